#include "net/rigctlserver.h"

#include "net/rigctldispatcher.h"
#include "net/rigctlsession.h"

#include <QTcpServer>
#include <QTcpSocket>

RigctlServer::RigctlServer(RigControl* rig, QObject* parent)
    : QObject(parent), m_server(new QTcpServer(this)), m_dispatcher(new RigctlDispatcher(rig, this))
{
    connect(m_server, &QTcpServer::newConnection, this, &RigctlServer::onNewConnection);
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

void RigctlServer::onNewConnection()
{
    while (QTcpSocket* socket = m_server->nextPendingConnection()) {
        if (m_sessions.size() >= kMaxClients) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        auto* session = new RigctlSession(socket, m_dispatcher, this);
        connect(session, &RigctlSession::closed, this,
                [this, session] { onSessionClosed(session); });
        m_sessions.append(session);
        emit clientCountChanged(clientCount());
        session->start();
    }
}

void RigctlServer::onSessionClosed(RigctlSession* session)
{
    if (m_sessions.removeOne(session))
        emit clientCountChanged(clientCount());
    session->deleteLater();
}
