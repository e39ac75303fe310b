#include "net/rigctlsession.h"

#include "net/rigctlchannel.h"
#include "net/rigctldispatcher.h"

#include <QPointer>

RigctlSession::RigctlSession(RigctlChannel* channel, RigctlDispatcher* dispatcher, QObject* parent)
    : QObject(parent),
      m_channel(channel),
      m_dispatcher(dispatcher),
      m_lastLineAt(std::chrono::steady_clock::now())
{
    m_channel->setParent(this);
    connect(m_channel, &RigctlChannel::readyRead, this, &RigctlSession::serve);
    connect(m_channel, &RigctlChannel::closed, this, &RigctlSession::finish);
    m_lineTimer.setSingleShot(true);
    m_lineTimer.setInterval(kLineTimeout);
    connect(&m_lineTimer, &QTimer::timeout, this, &RigctlSession::onLineTimeout);
}

void RigctlSession::start()
{
    m_lineTimer.start();
    serve();
}

void RigctlSession::abort()
{
    m_closing = true;
    m_pending.clear();
    m_channel->abort();
}

void RigctlSession::finish()
{
    m_closing = true;
    m_pending.clear();
    m_lineTimer.stop();
    if (m_closedSent)
        return;
    m_closedSent = true;
    emit closed();
}

void RigctlSession::onLineTimeout()
{
    // Idle after complete lines is allowed (the server may evict it when full); a
    // connection that never completes a line is not.
    if (busy())
        m_lineTimer.start();  // the radio's answer comes first
    else if (!m_completedLine || !m_input.isEmpty() || m_channel->bytesAvailable() > 0)
        abort();
}

void RigctlSession::serve()
{
    if (m_serving)
        return;  // called again from inside the loop: the running loop goes on
    m_serving = true;
    while (!m_waiting && !m_closing) {
        if (m_pending.empty()) {
            QByteArray line;
            if (!takeLine(&line))
                break;
            const QList<rigctl::Request> requests = rigctl::parseLine(line);
            m_pending.assign(requests.begin(), requests.end());
            continue;
        }
        const rigctl::Request request = m_pending.front();
        m_pending.pop_front();
        run(request);
    }
    m_serving = false;
    endIfDone();
}

bool RigctlSession::takeLine(QByteArray* line)
{
    m_input += m_channel->read(kMaxLineBytes + 1 - m_input.size());
    const qsizetype end = m_input.indexOf('\n');
    if (end < 0) {
        if (m_input.size() > kMaxLineBytes)
            abort();  // a line this long is no request
        return false;
    }
    *line = m_input.left(end);
    m_input.remove(0, end + 1);
    m_completedLine = true;
    m_lastLineAt = std::chrono::steady_clock::now();
    m_lineTimer.start();
    return true;
}

void RigctlSession::endIfDone()
{
    // After the end of input, the last complete line served and answered: close. A piece
    // of a line after the last line end is no request.
    if (!m_closing && !m_waiting && m_pending.empty() && m_channel->inputEnded() &&
        m_channel->bytesAvailable() == 0 && m_input.indexOf('\n') < 0) {
        m_closing = true;
        m_channel->closeAfterWriting();
    }
}

void RigctlSession::run(const rigctl::Request& request)
{
    QPointer<RigctlSession> self(this);
    m_waiting = true;
    const std::optional<rigctl::Reply> now =
        m_dispatcher->execute(request, [self, request](const rigctl::Reply& reply) {
            if (self && !self->m_closing) {
                self->answer(request, reply);
                self->serve();
            }
        });
    if (now)
        answer(request, *now);
}

void RigctlSession::answer(const rigctl::Request& request, const rigctl::Reply& reply)
{
    m_waiting = false;
    m_channel->write(rigctl::formatReply(request, reply));
    if (m_channel->bytesToWrite() > kMaxUnsentBytes) {
        abort();  // the client does not read its answers
        return;
    }
    if (request.entry != nullptr && request.entry->command == rigctl::Command::Quit) {
        m_closing = true;
        m_pending.clear();
        m_channel->closeAfterWriting();  // the reply still goes out first
    }
}
