#pragma once

#include "radio/radiocommands.h"
#include "radio/radiostate.h"

#include <QtGlobal>

#include <chrono>
#include <functional>
#include <optional>

/**
 * What the rigctld server needs from the radio: the state the window shows, and set and
 * read requests whose completion reports the radio's answer. The program's adapter
 * (RadioRigControl) sends through the same commands as the window's buttons; unit tests
 * stand a fake in its place.
 *
 * Every request returns false when nothing could be sent (the port is closed, the write
 * failed at once); its completion is then never called. Otherwise the completion is
 * called exactly once, later, from the event loop.
 */
class RigControl {
public:
    /** The VFO the radio receives on, as the radio model knows it. */
    using Vfo = RadioState::VfoSelected;
    /** The radio's answer to one request: FB (or the read's answer), FA, none in time, or
     *  the frame could not be written when its turn came (the radio model's answers). */
    using Outcome = RadioCommands::Answer;
    using Done = std::function<void(Outcome)>;

    /** What the display shows now; no frequency or mode while the port is closed or the
     *  radio does not answer, so that a read asks the radio. */
    struct Snapshot {
        std::optional<quint64> frequencyHz;  ///< unknown until a frame told it
        std::optional<quint8> modeCode;      ///< 0 LSB, 1 USB, 2 AM, 3 CW, 4 RTTY, 5 FM, 6 WFM
        Vfo vfo = Vfo::Unknown;
        bool split = false;
        bool lineOpen = false;  ///< the serial port to the radio is open
        /** VFO A's and B's values as last shown while each was selected (index 0 A, 1 B);
         *  the selected one's may lag the display just after a switch. */
        std::optional<quint64> vfoFrequencyHz[2];
        std::optional<quint8> vfoModeCode[2];
        /** The radio answers; false after a run of frames it left unanswered, until it
         *  sends again. */
        bool radioAnswering = true;
    };

    virtual ~RigControl() = default;

    virtual Snapshot snapshot() const = 0;
    /** How long the radio may take to answer one request. */
    virtual std::chrono::milliseconds answerTimeout() const = 0;
    /** A client is about to change the radio: whatever else drives it (the bookmark scan)
     *  stops first, so it cannot overwrite what the client sets. */
    virtual void takeOver() = 0;
    /** 05 with the frequency in Hz (the caller has checked the radio's range). */
    virtual bool setFrequency(quint64 hz, Done done) = 0;
    /** 06 with the mode code 0..6. */
    virtual bool setMode(quint8 modeCode, Done done) = 0;
    /** 07 00 (A) or 07 01 (B). */
    virtual bool selectVfo(Vfo vfo, Done done) = 0;
    /** 0F 01 (on) or 0F 00 (off). */
    virtual bool setSplit(bool on, Done done) = 0;
    /** 03: the answer updates the snapshot's frequency. */
    virtual bool readFrequency(Done done) = 0;
    /** 04: the answer updates the snapshot's mode. */
    virtual bool readMode(Done done) = 0;
};
