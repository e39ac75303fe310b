#pragma once

#include "net/rigcontrol.h"

#include <QObject>
#include <QStringList>
#include <QTimer>

#include <chrono>
#include <functional>
#include <utility>

/**
 * A radio for the server's unit tests: keeps the snapshot, records each request as text
 * ("F 14074000", "M 1", "V B", "S 1", "03", "04") and answers it from the event loop with
 * the outcome set in nextOutcome. An Ok answer changes the snapshot as the radio's echo
 * would (the selected VFO's values too); a read (03/04) that is answered Ok makes
 * radioFrequency / radioMode known. With writable false, every request fails at once
 * (port closed). takeOvers counts the server's takeOver() calls (a set stopping the scan).
 */
class FakeRig : public QObject, public RigControl {
public:
    Snapshot state;
    QStringList sent;
    Outcome nextOutcome = Outcome::Ok;
    bool writable = true;
    quint64 radioFrequency = 7'050'000;
    quint8 radioMode = 3;
    /** With hold true, answers wait until release(). */
    bool hold = false;
    QList<std::function<void()>> held;
    int takeOvers = 0;
    /** Requests sent and not answered yet (held ones included). */
    int unanswered = 0;
    /** How long the radio takes to answer (a silent radio: Timeout after answerTime). */
    std::chrono::milliseconds delay{0};
    std::chrono::milliseconds answerTime{1000};

    void release()
    {
        const auto answers = std::exchange(held, {});
        for (const auto& answer : answers)
            answer();
    }

    Snapshot snapshot() const override { return state; }
    std::chrono::milliseconds answerTimeout() const override { return answerTime; }
    void takeOver() override { ++takeOvers; }

    bool setFrequency(quint64 hz, Done done) override
    {
        return request(QStringLiteral("F %1").arg(hz), done, [this, hz] { showFrequency(hz); });
    }
    bool setMode(quint8 modeCode, Done done) override
    {
        return request(QStringLiteral("M %1").arg(modeCode), done,
                       [this, modeCode] { showMode(modeCode); });
    }
    bool selectVfo(Vfo vfo, Done done) override
    {
        return request(vfo == Vfo::B ? QStringLiteral("V B") : QStringLiteral("V A"), done,
                       [this, vfo] { state.vfo = vfo; });
    }
    bool setSplit(bool on, Done done) override
    {
        return request(QStringLiteral("S %1").arg(on ? 1 : 0), done,
                       [this, on] { state.split = on; });
    }
    bool readFrequency(Done done) override
    {
        return request(QStringLiteral("03"), done, [this] { showFrequency(radioFrequency); });
    }
    bool readMode(Done done) override
    {
        return request(QStringLiteral("04"), done, [this] { showMode(radioMode); });
    }

    /** The display shows a value, kept for the selected VFO as RadioState keeps it. */
    void showFrequency(quint64 hz)
    {
        state.frequencyHz = hz;
        if (state.vfo != Vfo::Unknown)
            state.vfoFrequencyHz[state.vfo == Vfo::B] = hz;
    }
    void showMode(quint8 mode)
    {
        state.modeCode = mode;
        if (state.vfo != Vfo::Unknown)
            state.vfoModeCode[state.vfo == Vfo::B] = mode;
    }

private:
    template <typename Apply>
    bool request(const QString& text, const Done& done, Apply apply)
    {
        if (!writable)
            return false;
        sent.append(text);
        ++unanswered;
        const Outcome outcome = nextOutcome;
        auto answer = [this, done, outcome, apply] {
            --unanswered;
            if (outcome == Outcome::Ok)
                apply();
            done(outcome);
        };
        if (hold)
            held.append(answer);
        else
            QTimer::singleShot(delay, this, answer);
        return true;
    }
};

/** The state the table starts from: 145.4 MHz FM on VFO A, split off, port open. */
inline RigControl::Snapshot knownState()
{
    RigControl::Snapshot state;
    state.frequencyHz = 145'400'000;
    state.modeCode = 5;
    state.vfo = RigControl::Vfo::A;
    state.lineOpen = true;
    state.vfoFrequencyHz[0] = state.frequencyHz;
    state.vfoModeCode[0] = state.modeCode;
    return state;
}
