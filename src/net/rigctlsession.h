#pragma once

#include "net/rigctlprotocol.h"

#include <QByteArray>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <deque>

class RigctlChannel;
class RigctlDispatcher;

/**
 * One client of the rigctld server: reads its lines, runs their commands one after
 * another through the dispatcher and writes each reply in order. While a command waits for
 * the radio, the client's further input stays unread (in the channel, which holds a few
 * KiB at most), so a client cannot queue more than one request for the radio.
 *
 * End of input (the client shut down its sending side): every complete line received
 * before it is still served and its replies sent; then the connection closes.
 *
 * Bounds: a line longer than kMaxLineBytes, or more than kMaxUnsentBytes of replies the
 * client does not read, closes the client at once; so does "q" / "Q" / "\quit" (after
 * "RPRT 0"). A client that has not completed a line within kLineTimeout of connecting or
 * of its last complete line, while it has sent nothing or only part of a line since, is
 * closed too. Anything else, junk included, is answered.
 */
class RigctlSession : public QObject {
    Q_OBJECT
public:
    /** Longest request line, bytes, line end excluded (Hamlib's own lines stay under 100). */
    static constexpr qsizetype kMaxLineBytes = 1024;
    /** Replies written but not yet taken by the client (about 30 \dump_state answers). */
    static constexpr qsizetype kMaxUnsentBytes = 64 * 1024;
    /** How long a connection may hold an unfinished line (or none at all after connecting). */
    static constexpr std::chrono::milliseconds kLineTimeout{10'000};

    /** Takes ownership of channel. */
    RigctlSession(RigctlChannel* channel, RigctlDispatcher* dispatcher, QObject* parent = nullptr);

    /** Changes kLineTimeout (before start()). */
    void setLineTimeout(std::chrono::milliseconds timeout) { m_lineTimer.setInterval(timeout); }
    /** Serves what the client already sent; later input is served as it arrives. */
    void start();
    /** Closes the connection at once; closed() follows. */
    void abort();

    /** A command of this client waits for the radio, or more of its line wait their turn. */
    bool busy() const { return m_waiting || !m_pending.empty(); }
    /** When the client last completed a line (or connected). */
    std::chrono::steady_clock::time_point lastLineAt() const { return m_lastLineAt; }
    RigctlChannel* channel() const { return m_channel; }

signals:
    /** The connection is gone (by the client, by quit, or closed for abuse). Emitted once;
     *  the owner then deletes the session with deleteLater(). */
    void closed();

private:
    void serve();
    bool takeLine(QByteArray* line);
    void run(const rigctl::Request& request);
    void answer(const rigctl::Request& request, const rigctl::Reply& reply);
    void endIfDone();
    void onLineTimeout();
    void finish();

    RigctlChannel* m_channel;
    RigctlDispatcher* m_dispatcher;
    QByteArray m_input;
    std::deque<rigctl::Request> m_pending;  ///< the rest of the current line's commands
    std::chrono::steady_clock::time_point m_lastLineAt;
    QTimer m_lineTimer;
    bool m_completedLine = false;  ///< at least one line since connecting
    bool m_waiting = false;        ///< a command waits for the radio
    bool m_closing = false;
    bool m_serving = false;
    bool m_closedSent = false;
};
