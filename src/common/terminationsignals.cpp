#include "common/terminationsignals.h"

#include <QSocketNotifier>
#include <QString>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>

namespace {

constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};

/** The self-pipe: written by the handler, read on the event loop. */
int g_pipe[2] = {-1, -1};

extern "C" void onTerminationSignal(int signalNumber)
{
    // Only async-signal-safe calls here: the pipe write and errno.
    const int saved = errno;
    const auto byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
    errno = saved;
}

void setDisposition(void (*handler)(int))
{
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : kSignals)
        ::sigaction(number, &action, nullptr);
}

}  // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {}

TerminationSignals::~TerminationSignals()
{
    if (g_pipe[0] < 0)
        return;
    setDisposition(SIG_DFL);
    delete m_notifier;
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
}

bool TerminationSignals::start(QString* error)
{
    if (g_pipe[0] >= 0) {
        *error = QStringLiteral("the termination signals are watched already");
        return false;
    }
    if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        *error = QStringLiteral("pipe: ") + QString::fromLocal8Bit(std::strerror(errno));
        g_pipe[0] = g_pipe[1] = -1;
        return false;
    }
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::onPipeReadable);
    setDisposition(onTerminationSignal);
    return true;
}

void TerminationSignals::onPipeReadable()
{
    unsigned char byte = 0;
    if (::read(g_pipe[0], &byte, 1) != 1)
        return;
    // From now on a further signal takes the system's default: the process ends at once.
    setDisposition(SIG_DFL);
    emit endRequested(byte);
}
