#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QObject>

/**
 * The byte stream between the server and one client, as a session sees it. The server's
 * own kind is a TCP connection (TcpChannel); tests and the fuzz target feed a session
 * through one of their own.
 *
 * Input ends when the client shuts down its sending side (a half-close) or closes: what it
 * sent before still reads, and replies can still be written until the channel is closed.
 */
class RigctlChannel : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    /** Up to max bytes of the client's input not yet read. */
    virtual QByteArray read(qsizetype max) = 0;
    /** Bytes of input not yet read. */
    virtual qsizetype bytesAvailable() const = 0;
    /** The client will send nothing more (what is buffered still reads). */
    virtual bool inputEnded() const = 0;
    /** Queues bytes for the client. */
    virtual void write(const QByteArray& bytes) = 0;
    /** Bytes written but not yet taken by the client. */
    virtual qsizetype bytesToWrite() const = 0;
    /** Sends what is queued, then closes; closed() follows. */
    virtual void closeAfterWriting() = 0;
    /** Closes at once, dropping what is queued; closed() follows. */
    virtual void abort() = 0;
    virtual QHostAddress peerAddress() const = 0;

signals:
    /** Input arrived, or the input ended. */
    void readyRead();
    /** The connection is gone both ways; emitted once, from the event loop. */
    void closed();
};
