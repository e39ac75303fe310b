#pragma once

#include "net/rigcontrol.h"
#include "net/rigctlprotocol.h"

#include <QObject>

#include <functional>
#include <optional>
#include <vector>

/**
 * Carries out rigctld commands on the radio, for every client of the server.
 *
 * Reads answer from the snapshot (what the display shows) without a frame on the line.
 * Only while the frequency or mode is unknown does a read ask the radio (03 / 04); reads
 * arriving while that request is out wait for its answer instead of sending another, so at
 * most one 03 and one 04 are out at a time. After a client switched the VFO, the shown
 * frequency and mode are the old VFO's until the radio announces the new one's (it does so
 * just after its FB); a read in that gap asks the radio once instead of answering the old
 * VFO's value.
 *
 * Sets are checked first (range 30 kHz .. 199.999999 MHz, the mode table, VFO names) and
 * refused with "RPRT -1" before anything is sent; a valid set sends one frame and answers
 * with the radio's verdict: FB 0, FA -9, no answer -5, port closed or write failed -6.
 */
class RigctlDispatcher : public QObject {
    Q_OBJECT
public:
    using ReplySink = std::function<void(const rigctl::Reply&)>;

    explicit RigctlDispatcher(RigControl* rig, QObject* parent = nullptr);

    /** Runs one command. Returns the reply when it is known at once; otherwise
     *  std::nullopt, and sink is called once later (or never, when the server is
     *  destroyed first). A sink belonging to a client must guard against that client being
     *  gone (it is called after the client left). */
    std::optional<rigctl::Reply> execute(const rigctl::Request& request, ReplySink sink);

private:
    using Reply = rigctl::Reply;
    std::optional<Reply> executeRead(const rigctl::Request& request, ReplySink sink);
    std::optional<Reply> executeSet(const rigctl::Request& request, ReplySink sink);
    std::optional<Reply> setFrequency(const rigctl::Request& request, ReplySink sink);
    std::optional<Reply> setMode(const rigctl::Request& request, ReplySink sink);
    std::optional<Reply> setVfo(const rigctl::Request& request, ReplySink sink);
    std::optional<Reply> setSplit(const rigctl::Request& request, ReplySink sink);
    std::optional<Reply> readFrequency(ReplySink sink);
    std::optional<Reply> readMode(ReplySink sink);
    Reply frequencyReply() const;
    Reply modeReply() const;
    Reply splitReply() const;
    Reply vfoReply() const;
    /** A set that was sent answers later with the radio's verdict; one that could not be
     *  sent answers -6 now. */
    static std::optional<Reply> sentOrFailed(bool written);
    static RigControl::Done verdictTo(ReplySink sink);
    void settleWaiters(std::vector<ReplySink>* waiters, RigControl::Outcome outcome, bool known,
                       Reply (RigctlDispatcher::*reply)() const);

    void noteVfoSwitched();
    bool frequencyStale(const RigControl::Snapshot& now);
    bool modeStale(const RigControl::Snapshot& now);

    RigControl* m_rig;
    /** Set by a VFO switch: the old VFO's values, stale while the snapshot still shows them. */
    std::optional<quint64> m_staleFrequency;
    std::optional<quint8> m_staleMode;
    std::vector<ReplySink> m_frequencyWaiters;
    std::vector<ReplySink> m_modeWaiters;
};
