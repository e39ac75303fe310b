#include "net/rigctlserver.h"

#include "net/rigctldispatcher.h"
#include "net/rigctlsession.h"
#include "net/tcpchannel.h"

#include <QTcpServer>

#include <algorithm>
#include <functional>

namespace {

/** Hands each accepted descriptor over as it is, so the server's own channel reads it. */
class Listener : public QTcpServer {
public:
    Listener(std::function<void(qintptr)> accepted, QObject* parent)
        : QTcpServer(parent), m_accepted(std::move(accepted))
    {
    }

protected:
    void incomingConnection(qintptr descriptor) override { m_accepted(descriptor); }

private:
    std::function<void(qintptr)> m_accepted;
};

}  // namespace

RigctlServer::RigctlServer(RigControl* rig, QObject* parent)
    : QObject(parent),
      m_server(new Listener([this](qintptr descriptor) { onIncoming(descriptor); }, this)),
      m_dispatcher(new RigctlDispatcher(rig, this)),
      m_lineTimeout(RigctlSession::kLineTimeout)
{
}

RigctlServer::~RigctlServer()
{
    close();
}

bool RigctlServer::listen(const QHostAddress& address, quint16 port, QString* error)
{
    close();
    if (m_server->listen(address, port)) {
        emit listeningChanged(true);
        return true;
    }
    if (error != nullptr) {
        *error = QStringLiteral("Cannot share the radio on TCP port %1 of %2: %3")
                     .arg(port)
                     .arg(address.toString(), m_server->errorString());
    }
    return false;
}

void RigctlServer::close()
{
    const bool wasListening = m_server->isListening();
    m_server->close();
    const QList<RigctlSession*> sessions = std::exchange(m_sessions, {});
    for (RigctlSession* session : sessions) {
        disconnect(session, nullptr, this, nullptr);
        session->abort();
        session->deleteLater();
    }
    if (!sessions.isEmpty())
        emit clientCountChanged(0);
    if (wasListening)
        emit listeningChanged(false);
}

bool RigctlServer::isListening() const
{
    return m_server->isListening();
}

QHostAddress RigctlServer::address() const
{
    return m_server->serverAddress();
}

quint16 RigctlServer::port() const
{
    return m_server->serverPort();
}

void RigctlServer::onIncoming(qintptr descriptor)
{
    auto* channel = new TcpChannel(descriptor);
    if (!m_allowList.isEmpty() && !m_allowList.allows(channel->peerAddress())) {
        delete channel;  // closes it: not a byte is read or written
        emit refusedCountChanged(++m_refused);
        return;
    }
    addClient(channel);
}

void RigctlServer::addClient(RigctlChannel* channel)
{
    if (!makeRoom()) {
        delete channel;
        return;
    }
    auto* session = new RigctlSession(channel, m_dispatcher, this);
    session->setLineTimeout(m_lineTimeout);
    connect(session, &RigctlSession::closed, this, [this, session] { onSessionClosed(session); });
    m_sessions.append(session);
    emit clientCountChanged(clientCount());
    session->start();
}

bool RigctlServer::makeRoom()
{
    if (m_sessions.size() < kMaxClients)
        return true;
    RigctlSession* idlest = nullptr;
    for (RigctlSession* session : std::as_const(m_sessions)) {
        if (!session->busy() && (idlest == nullptr || session->lastLineAt() < idlest->lastLineAt()))
            idlest = session;
    }
    if (idlest == nullptr)
        return false;
    disconnect(idlest, nullptr, this, nullptr);
    m_sessions.removeOne(idlest);
    idlest->abort();
    idlest->deleteLater();
    return true;
}

void RigctlServer::onSessionClosed(RigctlSession* session)
{
    if (m_sessions.removeOne(session))
        emit clientCountChanged(clientCount());
    session->deleteLater();
}
