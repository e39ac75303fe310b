#pragma once

#include <QElapsedTimer>
#include <QFile>
#include <QObject>
#include <QString>

class SerialLink;

/** One line of a transcript of the line: the seconds since it began, then text,
 *  "[  1.234 s] text". */
QString transcriptLine(qint64 nanoseconds, const QString& text);
/** The transcript line of a frame: its direction and its bytes in hexadecimal,
 *  "[  1.234 s] to radio    FE FE 48 E0 07 00 FD". */
QString frameTranscriptLine(qint64 nanoseconds, bool toRadio, const QByteArray& frame);

/**
 * The frame log for trouble-shooting: every frame written to the serial link and every frame
 * received from it, one line each (frameTranscriptLine), appended to a file that begins
 * with the version and the wall-clock time of the start. Every line is flushed at once, so
 * the log is whole up to the last frame whatever ends the program.
 */
class FrameLog : public QObject {
    Q_OBJECT
public:
    explicit FrameLog(QObject* parent = nullptr);
    ~FrameLog() override;

    /** Logs the frames that pass on link from now on (a log may watch one link). */
    void watch(SerialLink* link);

    /** Opens path for appending and starts logging; false with the cause when the file
     *  cannot be opened (the log is then off). A log already running is stopped first. */
    bool start(const QString& path, QString* error);
    void stop();
    /** One line of a backend's own trace (Hamlib's debug output), "[  1.234 s] text";
     *  nothing while the log is off. */
    void note(const QString& text);
    bool isRunning() const { return m_file.isOpen(); }
    QString path() const { return m_file.fileName(); }

signals:
    /** A line could not be written (a full disk, a removed drive): the log is off now. */
    void failed(const QString& error);
    /** The log started or stopped (also when it failed). */
    void runningChanged(bool running);

private:
    void writeLine(const QString& line);

    QFile m_file;
    QElapsedTimer m_clock;
};
