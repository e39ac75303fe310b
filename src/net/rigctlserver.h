#pragma once

#include "net/allowlist.h"

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>

#include <chrono>

class QTcpServer;
class RigControl;
class RigctlChannel;
class RigctlDispatcher;
class RigctlSession;

/**
 * The rigctld-compatible TCP server: Hamlib programs ("Hamlib NET rigctl", model 2)
 * connect and control the radio through RigControl. No threads: every client is served
 * from the event loop, one line at a time.
 *
 * At most kMaxClients clients at once. When the table is full, a new client takes the
 * place of the one idle longest (no command of its own in progress); only when every
 * client is in the middle of a command is the new one closed at once.
 *
 * The protocol has no authentication. With an allow-list set, a client that is neither
 * this computer (127.0.0.1, ::1) nor on the list is closed as soon as it is accepted, and
 * counted (refusedCount).
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

    /** Who may connect from beyond this computer; an empty list lets everyone in (only
     *  sensible while listening on loopback). */
    void setAllowList(const AllowList& allowList) { m_allowList = allowList; }
    /** How long a client may hold an unfinished line (RigctlSession::kLineTimeout unless
     *  set); applies to clients connecting from now on. */
    void setLineTimeout(std::chrono::milliseconds timeout) { m_lineTimeout = timeout; }
    /** Serves a client connected some other way (tests feed a session directly); the
     *  server takes ownership of channel. */
    void addClient(RigctlChannel* channel);

    bool isListening() const;
    QHostAddress address() const;
    quint16 port() const;
    int clientCount() const { return static_cast<int>(m_sessions.size()); }
    /** Connections closed at once because their address is not on the allow-list. */
    int refusedCount() const { return m_refused; }
    RigctlDispatcher* dispatcher() const { return m_dispatcher; }

signals:
    /** Listening started or stopped. */
    void listeningChanged(bool listening);
    void clientCountChanged(int count);
    void refusedCountChanged(int count);

private:
    void onIncoming(qintptr descriptor);
    bool makeRoom();
    void onSessionClosed(RigctlSession* session);

    QTcpServer* m_server;
    RigctlDispatcher* m_dispatcher;
    QList<RigctlSession*> m_sessions;
    AllowList m_allowList;
    int m_refused = 0;
    std::chrono::milliseconds m_lineTimeout;
};
