#include "net/tcpchannel.h"

#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

QHostAddress peerOf(int descriptor)
{
    sockaddr_storage peer{};
    socklen_t size = sizeof peer;
    if (::getpeername(descriptor, reinterpret_cast<sockaddr*>(&peer), &size) != 0)
        return {};
    return QHostAddress(reinterpret_cast<const sockaddr*>(&peer));
}

bool wouldBlock(int error)
{
    return error == EAGAIN || error == EWOULDBLOCK || error == EINTR;
}

}  // namespace

TcpChannel::TcpChannel(qintptr descriptor, QObject* parent)
    : RigctlChannel(parent),
      m_descriptor(static_cast<int>(descriptor)),
      m_peer(peerOf(m_descriptor)),
      m_readNotifier(new QSocketNotifier(descriptor, QSocketNotifier::Read, this)),
      m_writeNotifier(new QSocketNotifier(descriptor, QSocketNotifier::Write, this))
{
    ::fcntl(m_descriptor, F_SETFL, ::fcntl(m_descriptor, F_GETFL) | O_NONBLOCK);
    const int on = 1;
    ::setsockopt(m_descriptor, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    m_writeNotifier->setEnabled(false);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &TcpChannel::onReadable);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, &TcpChannel::onWritable);
}

TcpChannel::~TcpChannel()
{
    m_readNotifier->setEnabled(false);
    m_writeNotifier->setEnabled(false);
    if (m_descriptor >= 0)
        ::close(m_descriptor);
}

QByteArray TcpChannel::read(qsizetype max)
{
    const QByteArray taken = m_input.left(max);
    m_input.remove(0, taken.size());
    if (m_descriptor >= 0 && !m_inputEnded && m_input.size() < kReadBufferBytes)
        m_readNotifier->setEnabled(true);
    return taken;
}

void TcpChannel::onReadable()
{
    const qsizetype room = kReadBufferBytes - m_input.size();
    if (room <= 0) {
        m_readNotifier->setEnabled(false);  // read again once the session took some
        return;
    }
    char buffer[kReadBufferBytes];
    const ssize_t got = ::recv(m_descriptor, buffer, static_cast<size_t>(room), 0);
    if (got < 0 && wouldBlock(errno))
        return;
    if (got < 0) {  // reset by the client: nobody to answer
        closeNow();
        return;
    }
    if (got == 0) {
        m_inputEnded = true;
        m_readNotifier->setEnabled(false);
    } else {
        m_input.append(buffer, got);
    }
    emit readyRead();
}

void TcpChannel::write(const QByteArray& bytes)
{
    if (m_descriptor < 0)
        return;
    m_output += bytes;
    flush();
}

void TcpChannel::onWritable()
{
    flush();
}

void TcpChannel::flush()
{
    while (!m_output.isEmpty()) {
        const ssize_t sent = ::send(m_descriptor, m_output.constData(),
                                    static_cast<size_t>(m_output.size()), MSG_NOSIGNAL);
        if (sent < 0 && wouldBlock(errno))
            break;
        if (sent < 0) {  // the client is gone
            closeNow();
            return;
        }
        m_output.remove(0, sent);
    }
    m_writeNotifier->setEnabled(!m_output.isEmpty());
    if (m_output.isEmpty() && m_closeWhenWritten)
        closeNow();
}

void TcpChannel::closeAfterWriting()
{
    m_closeWhenWritten = true;
    if (m_descriptor >= 0)
        flush();
}

void TcpChannel::abort()
{
    m_output.clear();
    if (m_descriptor >= 0) {
        // A reset, not an orderly close: a client that reads nothing still learns of it
        // at its next write.
        const linger reset{1, 0};
        ::setsockopt(m_descriptor, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
    }
    closeNow();
}

void TcpChannel::closeNow()
{
    if (m_descriptor < 0)
        return;
    m_readNotifier->setEnabled(false);
    m_writeNotifier->setEnabled(false);
    ::close(m_descriptor);
    m_descriptor = -1;
    m_output.clear();
    QTimer::singleShot(0, this, &TcpChannel::closed);
}
