#include "sim/ptyline.h"

#include <QSocketNotifier>
#include <QTimer>

#include <fcntl.h>
#include <sys/inotify.h>
#include <termios.h>
#include <unistd.h>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

namespace {

/** Bytes read from the line in one go. */
constexpr qsizetype kReadChunk = 4096;

/** A full line that nobody reads for this long has no client: what waits there is stale. */
constexpr std::chrono::seconds kStallTime{2};

QString systemError(const char* what)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(what),
                                        QString::fromLocal8Bit(std::strerror(errno)));
}

}  // namespace

PtyLine::PtyLine(QObject* parent) : QObject(parent), m_stallTimer(new QTimer(this))
{
    m_stallTimer->setSingleShot(true);
    m_stallTimer->setInterval(kStallTime);
    connect(m_stallTimer, &QTimer::timeout, this, &PtyLine::onWriteStalled);
}

PtyLine::~PtyLine()
{
    delete m_readNotifier;
    delete m_writeNotifier;
    delete m_watchNotifier;
    if (m_watchFd >= 0) {
        ::close(m_watchFd);
    }
    if (m_masterFd >= 0) {
        ::close(m_masterFd);
    }
    if (m_slaveFd >= 0) {
        ::close(m_slaveFd);
    }
}

bool PtyLine::open(QString* error)
{
    if (isOpen()) {
        *error = QStringLiteral("the line is open already");
        return false;
    }
    if (!openDescriptors(error)) {
        return false;
    }
    m_readNotifier = new QSocketNotifier(m_masterFd, QSocketNotifier::Read, this);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &PtyLine::onReadable);
    m_writeNotifier = new QSocketNotifier(m_masterFd, QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, &PtyLine::flushQueue);
    watchClients();
    return true;
}

void PtyLine::watchClients()
{
    // Watching starts after the radio's own open of the slave, so every event is a client's.
    const int fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd < 0) {
        return;
    }
    if (::inotify_add_watch(fd, m_devicePath.toLocal8Bit().constData(), IN_OPEN | IN_CLOSE) < 0) {
        ::close(fd);
        return;
    }
    m_watchFd = fd;
    m_clients = 0;
    m_watchNotifier = new QSocketNotifier(m_watchFd, QSocketNotifier::Read, this);
    connect(m_watchNotifier, &QSocketNotifier::activated, this, &PtyLine::readClientEvents);
}

void PtyLine::readClientEvents()
{
    // A close event comes with the last close of an opened file, so opens and closes pair
    // up even when a client's descriptor is shared by a child process.
    alignas(inotify_event) char buffer[4096];
    ssize_t n;
    while (m_watchFd >= 0 && (n = ::read(m_watchFd, buffer, sizeof buffer)) > 0) {
        for (ssize_t at = 0; at < n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            if (event->mask & IN_Q_OVERFLOW) {
                m_clients = qMax(m_clients, 1);  // events lost: assume somebody listens
            } else if (event->mask & IN_OPEN) {
                ++m_clients;
            } else if ((event->mask & IN_CLOSE) && m_clients > 0 && --m_clients == 0) {
                discardUnread();  // the next client starts on a clean line
            }
            at += ssize_t(sizeof(inotify_event)) + event->len;
        }
    }
}

int PtyLine::clientBaudRate() const
{
    // Every open of the slave shares one set of line settings, so the radio's own slave
    // descriptor reads what the client set.
    termios tio{};
    if (m_slaveFd < 0 || ::tcgetattr(m_slaveFd, &tio) != 0)
        return 0;
    switch (::cfgetospeed(&tio)) {
        case B300:
            return 300;
        case B600:
            return 600;
        case B1200:
            return 1200;
        case B2400:
            return 2400;
        case B4800:
            return 4800;
        case B9600:
            return 9600;
        case B19200:
            return 19200;
        case B38400:
            return 38400;
        case B57600:
            return 57600;
        case B115200:
            return 115200;
        default:
            return 0;
    }
}

bool PtyLine::hasClient()
{
    readClientEvents();
    return m_clients > 0;
}

bool PtyLine::openDescriptors(QString* error)
{
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    char name[128] = {};
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0 ||
        ::ptsname_r(master, name, sizeof name) != 0) {
        *error = systemError("cannot create a pseudo-terminal");
        if (master >= 0) {
            ::close(master);
        }
        return false;
    }
    const int slave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    termios tio{};
    bool ok = slave >= 0 && ::tcgetattr(slave, &tio) == 0;
    if (ok) {
        // Raw: the slave side never echoes or translates what a client writes.
        ::cfmakeraw(&tio);
        ::cfsetispeed(&tio, B9600);
        ::cfsetospeed(&tio, B9600);
        ok = ::tcsetattr(slave, TCSANOW, &tio) == 0;
    }
    if (!ok) {
        *error = systemError("cannot set up the pseudo-terminal");
        if (slave >= 0) {
            ::close(slave);
        }
        ::close(master);
        return false;
    }
    m_masterFd = master;
    m_slaveFd = slave;
    m_devicePath = QString::fromLocal8Bit(name);
    return true;
}

void PtyLine::onReadable()
{
    char buffer[kReadChunk];
    const ssize_t n = ::read(m_masterFd, buffer, sizeof buffer);
    if (n > 0) {
        emit bytesRead(QByteArray(buffer, n));
    }
    // n <= 0: EAGAIN or a transient error; the notifier fires again when data comes.
}

PtyLine::WriteResult PtyLine::write(const QByteArray& bytes)
{
    if (!isOpen()) {
        return WriteResult::Closed;
    }
    // An open that came before these bytes is always seen here, whatever order the event
    // loop serves the notifiers in.
    if (!hasClient()) {
        return WriteResult::NoClient;
    }
    if (m_queue.size() + bytes.size() > kMaxQueued) {
        return WriteResult::QueueFull;
    }
    m_queue.append(bytes);
    flushQueue();
    return WriteResult::Queued;
}

void PtyLine::flushQueue()
{
    while (!m_queue.isEmpty()) {
        const ssize_t n = ::write(m_masterFd, m_queue.constData(), m_queue.size());
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;  // EAGAIN: the line is full until the client reads
        }
        m_queue.remove(0, n);
        m_stallTimer->stop();
    }
    const bool waiting = !m_queue.isEmpty();
    m_writeNotifier->setEnabled(waiting);
    if (waiting && !m_stallTimer->isActive()) {
        m_stallTimer->start();
    }
}

void PtyLine::onWriteStalled()
{
    // Nobody has read the full line for a while: drop what waits there, keep the queue.
    ::tcflush(m_slaveFd, TCIFLUSH);
    flushQueue();
}

void PtyLine::discardUnread()
{
    m_queue.clear();
    m_stallTimer->stop();
    if (isOpen()) {
        m_writeNotifier->setEnabled(false);
        ::tcflush(m_slaveFd, TCIFLUSH);
    }
}
