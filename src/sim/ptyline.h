#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;
class QTimer;

/**
 * The radio's end of a pseudo-terminal: the master side, read and written without
 * blocking. A slave descriptor stays open in raw mode for the life of the line, so the
 * line never hangs up between clients and the slave never echoes what a client writes.
 *
 * Like a real line with nobody on it, what the radio sends while no client has the device
 * open is lost: opens and closes of the device are watched (inotify), bytes written with
 * no client are dropped, and whatever a client leaves unread when it closes is discarded,
 * so the next client starts on a clean line. Where the watch cannot be set up, the line
 * behaves as if a client were always there.
 *
 * What the line cannot take at once waits in a queue of at most kMaxQueued bytes and goes
 * out as the client reads; a write that does not fit in the queue is refused whole (never
 * cut), and the caller is told. When nobody reads a full line for a while, the unread
 * bytes are stale and are discarded so the radio never stalls.
 */
class PtyLine : public QObject {
    Q_OBJECT
public:
    /** Most bytes waiting for the client at any time. */
    static constexpr qsizetype kMaxQueued = 64 * 1024;

    /** What became of a write. */
    enum class WriteResult {
        Queued,     ///< on the line, or queued to go out in order
        NoClient,   ///< lost: nobody has the device open, as on a line with nobody on it
        QueueFull,  ///< refused whole: more than the queue has room for
        Closed,     ///< refused: the line is not open
    };

    explicit PtyLine(QObject* parent = nullptr);
    ~PtyLine() override;

    bool open(QString* error);
    bool isOpen() const { return m_masterFd >= 0; }
    /** The path a client opens, e.g. /dev/pts/7. */
    QString devicePath() const { return m_devicePath; }

    /** Queues bytes for the client; they go out in order, never blocking the caller. */
    WriteResult write(const QByteArray& bytes);

    /** Drops everything sent that the client has not read yet, queued bytes included. */
    void discardUnread();

    /** True while some process other than the radio has the device open. */
    bool hasClient();

    /** The rate in baud the client set on its end of the line (9600 until it sets one);
     *  0 when it cannot be read. */
    int clientBaudRate() const;

signals:
    /** Bytes the client wrote, as they arrived. */
    void bytesRead(const QByteArray& bytes);

private:
    bool openDescriptors(QString* error);
    void watchClients();
    void readClientEvents();
    void onReadable();
    void flushQueue();
    void onWriteStalled();

    int m_masterFd = -1;
    int m_slaveFd = -1;
    QString m_devicePath;
    QSocketNotifier* m_readNotifier = nullptr;
    QSocketNotifier* m_writeNotifier = nullptr;
    int m_watchFd = -1;  // inotify: opens and closes of the device by clients
    QSocketNotifier* m_watchNotifier = nullptr;
    int m_clients = 1;  // 1 until the watch is set up: no watch, a client is assumed
    QTimer* m_stallTimer;
    QByteArray m_queue;
};
