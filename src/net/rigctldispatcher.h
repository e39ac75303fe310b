#pragma once

#include "net/rigcontrol.h"
#include "net/rigctlprotocol.h"

#include <QObject>
#include <QTimer>

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <optional>

/**
 * Carries out rigctld commands on the radio, for every client of the server.
 *
 * Reads answer from the snapshot (the selected VFO's values as last shown) without a
 * frame on the line. Only while a value is unknown does a read ask the radio (03 / 04);
 * reads arriving while that request waits join it instead of sending another. The split
 * frequency and mode (i, x) are those last known of the transmit VFO: with split on,
 * the VFO not selected.
 *
 * Sets are checked first (the frequencies the radio in use receives, the mode table, VFO names) and
 * refused with "RPRT -1" before anything is sent; a valid set answers with the radio's
 * verdict: FB 0, FA -9, no answer -5, port closed or write failed -6. Setting the split
 * frequency or mode (I, X) selects the transmit VFO, sets it and selects the receive VFO
 * again (07 01, 05 / 06, 07 00 while receiving on A), each step confirmed before the
 * next; after a failed step the receive VFO is selected again all the same.
 *
 * Requests for the radio wait their turn here, one at a time on the line. Every reply
 * goes out within the reply budget (the timeout \dump_state advertises, less a margin):
 * a request whose turn could not come in time answers -5 at once, and one still waiting
 * at the end of its budget answers -5 then (and, if it had not been sent, never is).
 *
 * A set stops what else drives the radio (RigControl::takeOver, the bookmark scan)
 * before it is sent. A VFO switch alone does not: Hamlib's NET client selects VFO B and
 * A again when it opens, only to read; a switch that is not undone within
 * kVfoSwitchGrace (with no set in between) counts as a change.
 */
class RigctlDispatcher : public QObject {
    Q_OBJECT
public:
    using ReplySink = std::function<void(const rigctl::Reply&)>;

    /** Room left within the advertised timeout for the reply's way back to the client. */
    static constexpr std::chrono::milliseconds kReplyMargin{100};
    static constexpr std::chrono::milliseconds kVfoSwitchGrace{3000};

    explicit RigctlDispatcher(RigControl* rig, QObject* parent = nullptr);

    /** Runs one command. Returns the reply when it is known at once; otherwise
     *  std::nullopt, and sink is called once later (or never, when the server is
     *  destroyed first). A sink belonging to a client must guard against that client being
     *  gone (it is called after the client left). */
    std::optional<rigctl::Reply> execute(const rigctl::Request& request, ReplySink sink);

    /** The longest time from a request to its reply (default: the advertised timeout less
     *  kReplyMargin). */
    void setReplyBudget(std::chrono::milliseconds budget) { m_replyBudget = budget; }
    /** How long a VFO switch may stay without counting as a change (default kVfoSwitchGrace). */
    void setVfoSwitchGrace(std::chrono::milliseconds grace) { m_vfoSwitchGrace.setInterval(grace); }

private:
    using Reply = rigctl::Reply;
    using Clock = std::chrono::steady_clock;
    using Finish = std::function<void(const Reply&)>;
    /** Starts a request's work on the radio; calls its finish exactly once. */
    using Work = std::function<void(Finish)>;
    enum class Read { None, Frequency, Mode };
    struct Job {
        Work work;
        int frames = 1;  ///< frames on the line at most, each up to the answer timeout
        Clock::time_point deadline;
        std::vector<ReplySink> sinks;
        Read read = Read::None;
        bool answered = false;
    };
    using JobPointer = std::shared_ptr<Job>;

    std::optional<Reply> executeRead(const rigctl::Request& request, ReplySink sink);
    std::optional<Reply> executeSet(const rigctl::Request& request, ReplySink sink);
    std::optional<Reply> setVfo(const rigctl::Request& request, ReplySink sink);
    std::optional<Reply> setSplit(const rigctl::Request& request, ReplySink sink);
    std::optional<Reply> setSplitValue(const rigctl::Request& request, ReplySink sink);
    std::optional<Reply> read(Read what, ReplySink sink);
    std::optional<Reply> submit(Work work, int frames, ReplySink sink, Read read = Read::None);
    void pump();
    void finishJob(const JobPointer& job, const Reply& reply);
    void answer(const JobPointer& job, const Reply& reply);
    /** Starts the deadline timer for the earliest job not answered yet (stops it if none). */
    void armDeadline();
    void onDeadline();

    /** Work that sends one request and answers with the radio's verdict. */
    Work single(std::function<bool(RigControl::Done)> send);
    /** Work that sets the transmit VFO: select it, send, select the receive VFO again. */
    Work onTransmitVfo(std::function<bool(RigControl::Done)> send);
    Reply afterRead(RigControl::Outcome outcome, Read what) const;

    void takeOverForSet();
    void noteVfoRequest(RigControl::Vfo target);
    void onVfoSwitchGraceOver();

    Reply frequencyReply(std::optional<quint64> hz) const;
    Reply modeReply(std::optional<quint8> mode) const;
    Reply splitReply() const;
    Reply vfoReply() const;

    RigControl* m_rig;
    std::chrono::milliseconds m_replyBudget;
    std::deque<JobPointer> m_queue;
    JobPointer m_running;
    Clock::time_point m_runningWorstEnd;
    const Job* m_starting = nullptr;  ///< the job whose work is being started
    bool m_pumping = false;
    QTimer m_deadline;
    /** The VFO a client switched away from, until it switches back or sets something. */
    std::optional<RigControl::Vfo> m_vfoBeforeSwitch;
    QTimer m_vfoSwitchGrace;
};
