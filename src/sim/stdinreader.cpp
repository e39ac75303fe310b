#include "sim/stdinreader.h"

#include <QSocketNotifier>

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>

namespace {

constexpr int kStdin = 0;
constexpr qsizetype kReadChunk = 4096;

/** A line longer than this without a newline is no command: it is dropped. */
constexpr qsizetype kMaxLine = 64 * 1024;

}  // namespace

StdinReader::StdinReader(QObject* parent) : QObject(parent) {}

bool StdinReader::start()
{
    if (::fcntl(kStdin, F_GETFL) < 0) {
        return false;
    }
    m_notifier = new QSocketNotifier(kStdin, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &StdinReader::onReadable);
    return true;
}

void StdinReader::onReadable()
{
    char buffer[kReadChunk];
    const ssize_t n = ::read(kStdin, buffer, sizeof buffer);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
        return;
    }
    if (n <= 0) {
        m_notifier->setEnabled(false);  // end of input: stop watching, never spin on it
        if (!m_pending.isEmpty()) {
            emit lineRead(QString::fromUtf8(m_pending));
            m_pending.clear();
        }
        emit finished();
        return;
    }
    m_pending.append(buffer, n);
    qsizetype newline;
    while ((newline = m_pending.indexOf('\n')) >= 0) {
        const QByteArray line = m_pending.left(newline);
        m_pending.remove(0, newline + 1);
        emit lineRead(QString::fromUtf8(line).trimmed());
    }
    if (m_pending.size() > kMaxLine) {
        m_pending.clear();
    }
}
