#pragma once

#include "net/rigctlprotocol.h"

#include <QByteArray>
#include <QObject>

#include <deque>

class QTcpSocket;
class RigctlDispatcher;

/**
 * One client of the rigctld server: reads its lines, runs their commands one after
 * another through the dispatcher and writes each reply in order. While a command waits for
 * the radio, the client's further input stays unread (in the socket, at most
 * kReadBufferBytes here), so a client cannot queue more than one request for the radio.
 *
 * Bounds: a line longer than kMaxLineBytes, or more than kMaxUnsentBytes of replies the
 * client does not read, closes the client at once; so does "q" / "Q" / "\quit" (after
 * "RPRT 0"). Anything else, junk included, is answered.
 */
class RigctlSession : public QObject {
    Q_OBJECT
public:
    /** Longest request line, bytes, line end excluded (Hamlib's own lines stay under 100). */
    static constexpr qsizetype kMaxLineBytes = 1024;
    /** Input Qt may hold for this client beyond the line being read. */
    static constexpr qsizetype kReadBufferBytes = 4096;
    /** Replies written but not yet taken by the client (about 30 \dump_state answers). */
    static constexpr qsizetype kMaxUnsentBytes = 64 * 1024;

    /** Takes ownership of socket (already connected). */
    RigctlSession(QTcpSocket* socket, RigctlDispatcher* dispatcher, QObject* parent = nullptr);

    /** Serves what the client already sent; later input is served as it arrives. */
    void start();
    /** Closes the connection at once; closed() follows. */
    void abort();

signals:
    /** The connection is gone (by the client, by quit, or closed for abuse). Emitted once;
     *  the owner then deletes the session with deleteLater(). */
    void closed();

private:
    void serve();
    bool takeLine(QByteArray* line);
    void run(const rigctl::Request& request);
    void answer(const rigctl::Request& request, const rigctl::Reply& reply);
    void onDisconnected();
    void finish();

    QTcpSocket* m_socket;
    RigctlDispatcher* m_dispatcher;
    QByteArray m_input;
    std::deque<rigctl::Request> m_pending;  ///< the rest of the current line's commands
    bool m_waiting = false;                 ///< a command waits for the radio
    bool m_closing = false;
    bool m_serving = false;
    bool m_closedSent = false;
};
