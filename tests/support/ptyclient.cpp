#include "support/ptyclient.h"

#include <QSocketNotifier>
#include <QTest>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

namespace {

QString systemError(const QString& what)
{
    return QStringLiteral("%1: %2").arg(what, QString::fromLocal8Bit(std::strerror(errno)));
}

}  // namespace

PtyClient::PtyClient(QObject* parent) : QObject(parent) {}

PtyClient::~PtyClient()
{
    close();
}

bool PtyClient::open(const QString& devicePath)
{
    close();
    const int fd = ::open(devicePath.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    termios tio{};
    if (fd < 0 || ::tcgetattr(fd, &tio) != 0) {
        m_error = systemError(devicePath);
        if (fd >= 0) {
            ::close(fd);
        }
        return false;
    }
    ::cfmakeraw(&tio);
    ::cfsetispeed(&tio, B9600);
    ::cfsetospeed(&tio, B9600);
    ::tcsetattr(fd, TCSANOW, &tio);
    m_fd = fd;
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &PtyClient::onReadable);
    return true;
}

void PtyClient::close()
{
    delete m_notifier;
    m_notifier = nullptr;
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

bool PtyClient::write(const QByteArray& bytes)
{
    const ssize_t n = m_fd < 0 ? -1 : ::write(m_fd, bytes.constData(), bytes.size());
    if (n != bytes.size()) {
        m_error = systemError(QStringLiteral("write"));
        return false;
    }
    return true;
}

bool PtyClient::waitForBytes(qsizetype count, int timeoutMs)
{
    return QTest::qWaitFor([this, count] { return m_received.size() >= count; }, timeoutMs);
}

void PtyClient::onReadable()
{
    char buffer[4096];
    const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
    if (n > 0) {
        const QByteArray bytes(buffer, n);
        m_received.append(bytes);
        emit bytesRead(bytes);
    }
}
