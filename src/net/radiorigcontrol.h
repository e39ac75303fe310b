#pragma once

#include "net/rigcontrol.h"

#include <functional>

class RadioCommands;
class RadioState;

/**
 * The rigctld server's view of the real radio: reads come from RadioState (what the
 * display shows), requests go through RadioCommands, the same sender as the window's
 * buttons, with a completion so each client hears the radio's own answer.
 *
 * beforeSet is what takeOver() runs: the program stops a running bookmark scan the way
 * STOP does, so the scan's next recall cannot overwrite what the client set.
 */
class RadioRigControl : public RigControl {
public:
    RadioRigControl(RadioState* state, RadioCommands* commands,
                    std::function<void()> beforeSet = {});

    Snapshot snapshot() const override;
    std::chrono::milliseconds answerTimeout() const override;
    void takeOver() override;
    bool setFrequency(quint64 hz, Done done) override;
    bool setMode(quint8 modeCode, Done done) override;
    bool selectVfo(Vfo vfo, Done done) override;
    bool setSplit(bool on, Done done) override;
    bool readFrequency(Done done) override;
    bool readMode(Done done) override;

private:
    RadioState* m_state;
    RadioCommands* m_commands;
    std::function<void()> m_beforeSet;
};
