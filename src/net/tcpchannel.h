#pragma once

#include "net/rigctlchannel.h"

class QSocketNotifier;

/**
 * A client's TCP connection on its socket descriptor. Unlike QTcpSocket it keeps the
 * connection open for writing after the client's end of input (the half-close of
 * `echo f | socat - TCP:...` or `shutdown(SHUT_WR)`), so every reply still goes out.
 *
 * At most kReadBufferBytes of input are held: beyond that the socket is left unread
 * until the session takes some (the client's further input waits in the kernel).
 */
class TcpChannel : public RigctlChannel {
    Q_OBJECT
public:
    static constexpr qsizetype kReadBufferBytes = 4096;

    /** Takes ownership of descriptor (a connected TCP socket). */
    explicit TcpChannel(qintptr descriptor, QObject* parent = nullptr);
    ~TcpChannel() override;

    QByteArray read(qsizetype max) override;
    qsizetype bytesAvailable() const override { return m_input.size(); }
    bool inputEnded() const override { return m_inputEnded; }
    void write(const QByteArray& bytes) override;
    qsizetype bytesToWrite() const override { return m_output.size(); }
    void closeAfterWriting() override;
    void abort() override;
    QHostAddress peerAddress() const override { return m_peer; }

private:
    void onReadable();
    void onWritable();
    void flush();
    void closeNow();

    int m_descriptor;
    QHostAddress m_peer;
    QSocketNotifier* m_readNotifier;
    QSocketNotifier* m_writeNotifier;
    QByteArray m_input;
    QByteArray m_output;
    bool m_inputEnded = false;
    bool m_closeWhenWritten = false;
};
