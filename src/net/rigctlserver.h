#pragma once

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>

class QTcpServer;
class RigControl;
class RigctlDispatcher;
class RigctlSession;

/**
 * The rigctld-compatible TCP server: Hamlib programs ("Hamlib NET rigctl", model 2)
 * connect and control the radio through RigControl. No threads: every client is served
 * from the event loop, one line at a time.
 *
 * At most kMaxClients clients at once; a further connection is closed as soon as it is
 * accepted. The protocol has no authentication: listen on loopback unless the operator
 * asks for another address.
 */
class RigctlServer : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxClients = 16;
    /** The port Hamlib's rigctld uses by default. */
    static constexpr quint16 kDefaultPort = 4532;

    explicit RigctlServer(RigControl* rig, QObject* parent = nullptr);
    ~RigctlServer() override;

    /** Starts listening (port 0: any free port). False with *error naming the address, the
     *  port and the cause ("... TCP port 4532 ...: The bound address is already in use")
     *  when it cannot; the server then stays closed. */
    bool listen(const QHostAddress& address, quint16 port, QString* error);
    /** Stops listening and closes every client. */
    void close();

    bool isListening() const;
    QHostAddress address() const;
    quint16 port() const;
    int clientCount() const { return static_cast<int>(m_sessions.size()); }

signals:
    /** Listening started or stopped. */
    void listeningChanged(bool listening);
    void clientCountChanged(int count);

private:
    void onNewConnection();
    void onSessionClosed(RigctlSession* session);

    QTcpServer* m_server;
    RigctlDispatcher* m_dispatcher;
    QList<RigctlSession*> m_sessions;
};
