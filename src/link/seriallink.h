#pragma once

#include "common/errorcatalogue.h"
#include "link/framecutter.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <chrono>

class QSerialPort;

/**
 * The serial link to the radio: 9600 baud unless told otherwise (setBaudRate), 8N1, raw
 * bytes, DTR and RTS on where the port supports them. The only code that includes <QSerialPort>.
 * Receiving never blocks: every complete frame in the buffer is handed on at once, in order; a
 * partial frame waits for its next bytes and is dropped after a quiet gap.
 */
class SerialLink : public QObject {
    Q_OBJECT
public:
    /** Quiet gap after which a partial frame is dropped; see the definition. */
    static const std::chrono::milliseconds kQuietGap;

    /** The IC-706 family's factory setting, and this link's until setBaudRate(). */
    static constexpr qint32 kDefaultBaudRate = 9600;

    explicit SerialLink(QObject* parent = nullptr);
    ~SerialLink() override;

    /** The rate the next open() sets, in baud (9600 until set). The link keeps its rate
     *  across opens; an open link is not changed until it is opened again. */
    void setBaudRate(int baud) { m_baudRate = baud; }
    int baudRate() const { return m_baudRate; }

    /** Opens device at baudRate() 8N1. On failure returns false with error: a number from the
     *  error catalogue (8002 missing, 8005 in use, 70 no permission, 8015 line settings
     *  refused) and its text, which names the device. Opening an open link reopens it. */
    bool open(const QString& device, AppError* error);
    void close();
    bool isOpen() const;
    QString device() const;

    /** Queues one whole frame for the line. Returns false (and writes nothing) when the
     *  port is closed or the write fails; a frame written after close() never reaches
     *  the line. */
    bool write(const QByteArray& frame);

    /** Bytes of the partial frame waiting for its FD (never more than
     *  FrameCutter::kMaxFrameLength). */
    qsizetype partialSize() const { return m_cutter.partialSize(); }
    /** True when bytes of the radio are here but not yet handed on: in the system's or
     *  the port's buffer, or a frame begun and not finished. Only asks, never waits. */
    bool bytesWaiting() const;
    /** Bytes dropped since construction: over-long runs and stale partial frames. */
    qint64 droppedBytes() const { return m_cutter.droppedBytes(); }

signals:
    /** One complete frame, as frame text (upper-case hex, through FD). Frames come in
     *  the order received and never nest: frames that arrive while a receiver waits
     *  (Delay) follow when it returns. Nothing comes after close(). */
    void frameReceived(const QString& frameText);
    /** One whole frame was queued for the line by write(). */
    void frameWritten(const QByteArray& frame);
    /** A line event other than data, in the serial-control numbering (1001 break, 1004
     *  framing, ...); the window turns it into a message. */
    void lineEvent(int code);
    /** The device went away (USB cable pulled, the line's other end closed) or cannot be
     *  read or written any more: the port is closed already. Sent once, from the event
     *  loop; open() may be called again later. */
    void portLost(const AppError& error);
    /** A partial frame was dropped after the quiet gap. */
    void partialDropped(int byteCount);

private:
    void onReadyRead();
    void onErrorOccurred();
    void onQuietGap();
    void takeBytes();
    bool deliverPending();  ///< false when a receiver deleted this link
    void rearmReading();
    void losePort(int number);
    AppError openError(const QString& device) const;

    QSerialPort* m_port;
    FrameCutter m_cutter;
    QTimer m_quietTimer;
    QString m_device;
    int m_baudRate = kDefaultBaudRate;
    QStringList m_pending;       ///< frames cut but not yet handed over, oldest first
    bool m_delivering = false;   ///< a frameReceived emission is running up the stack
    bool m_configuring = false;  ///< errors now belong to open(), not to the line
    int m_falseAlarms = 0;       ///< read failures in a row on a line still up
    quint64 m_generation = 0;    ///< counts successful opens; stale news is not sent
};
