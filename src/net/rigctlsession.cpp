#include "net/rigctlsession.h"

#include "net/rigctldispatcher.h"

#include <QPointer>
#include <QTcpSocket>

RigctlSession::RigctlSession(QTcpSocket* socket, RigctlDispatcher* dispatcher, QObject* parent)
    : QObject(parent), m_socket(socket), m_dispatcher(dispatcher)
{
    m_socket->setParent(this);
    m_socket->setReadBufferSize(kReadBufferBytes);
    connect(m_socket, &QTcpSocket::readyRead, this, &RigctlSession::serve);
    connect(m_socket, &QTcpSocket::disconnected, this, &RigctlSession::onDisconnected);
    connect(m_socket, &QTcpSocket::errorOccurred, this, &RigctlSession::onDisconnected);
}

void RigctlSession::start()
{
    serve();
}

void RigctlSession::abort()
{
    m_closing = true;
    m_pending.clear();
    m_socket->abort();
    finish();
}

void RigctlSession::onDisconnected()
{
    if (m_socket->state() == QAbstractSocket::UnconnectedState)
        finish();  // an error that leaves the connection up changes nothing
}

void RigctlSession::finish()
{
    m_closing = true;
    m_pending.clear();
    if (m_closedSent)
        return;
    m_closedSent = true;
    emit closed();
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
}

bool RigctlSession::takeLine(QByteArray* line)
{
    m_input += m_socket->read(kMaxLineBytes + 1 - m_input.size());
    const qsizetype end = m_input.indexOf('\n');
    if (end < 0) {
        if (m_input.size() > kMaxLineBytes)
            abort();  // a line this long is no request
        return false;
    }
    *line = m_input.left(end);
    m_input.remove(0, end + 1);
    return true;
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
    m_socket->write(rigctl::formatReply(request, reply));
    if (m_socket->bytesToWrite() > kMaxUnsentBytes) {
        abort();  // the client does not read its answers
        return;
    }
    if (request.entry != nullptr && request.entry->command == rigctl::Command::Quit) {
        m_closing = true;
        m_pending.clear();
        m_socket->disconnectFromHost();  // the reply still goes out first
    }
}
