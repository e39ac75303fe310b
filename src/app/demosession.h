#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

class F706;
class VirtualRadio;

/**
 * corvane --demo: a virtual radio on a pseudo-terminal in this process, a settings file in
 * the demo directory whose COM2 points at it, a front panel that turns the radio's dial
 * now and then, and a transcript of every frame on the line on standard output.
 */
class DemoSession : public QObject {
    Q_OBJECT
public:
    explicit DemoSession(QObject* parent = nullptr);
    ~DemoSession() override;

    /** Default demo directory (per user, writable). */
    static QString defaultDirectory();

    /** Starts the radio and writes the demo settings into appPath's settings file. */
    bool prepare(const QString& appPath, QString* error);

    /** Notes in the transcript that the window is on screen. */
    void noteWindowShown() { print(QStringLiteral("window shown")); }

    /** Turns the radio's dial every few seconds, as an operator at the radio would. */
    void startFrontPanel();

    /** After seconds: saves a picture of window to file, prints its path, closes window. */
    void screenshotAndQuit(F706* window, const QString& file, double seconds);
    /** False when the screenshot could not be saved. */
    bool screenshotSaved() const { return m_screenshotSaved; }

private:
    /** Prints text as a transcript line, stamped with the time since the start. */
    void print(const QString& text);
    void printLine(const QString& line);
    void turnDial();

    VirtualRadio* m_radio;
    QTimer m_dial;
    QElapsedTimer m_clock;
    int m_dialStep = 0;
    bool m_screenshotSaved = true;
};
