#include "net/radiorigcontrol.h"

#include "radio/radiocommands.h"
#include "radio/radiostate.h"

RadioRigControl::RadioRigControl(RadioState* state, RadioCommands* commands,
                                 std::function<void()> beforeSet)
    : m_state(state), m_commands(commands), m_beforeSet(std::move(beforeSet))
{
}

RigControl::Snapshot RadioRigControl::snapshot() const
{
    Snapshot now;
    now.lineOpen = m_state->isOpen();
    now.radioAnswering = m_state->answering();
    // Last values are not told as the radio's while nothing can be heard from it: a
    // client's read then asks the radio, and hears its error or its answer.
    if (now.lineOpen && now.radioAnswering) {
        now.frequencyHz = m_state->frequencyHz();
        now.modeCode = m_state->modeCode();
    }
    now.vfo = m_state->vfo();
    now.split = m_state->split();
    for (const auto vfo : {RadioState::VfoSelected::A, RadioState::VfoSelected::B}) {
        if (!now.lineOpen || !now.radioAnswering)
            break;
        const int index = vfo == RadioState::VfoSelected::B ? 1 : 0;
        now.vfoFrequencyHz[index] = m_state->vfoFrequencyHz(vfo);
        now.vfoModeCode[index] = m_state->vfoModeCode(vfo);
    }
    return now;
}

std::chrono::milliseconds RadioRigControl::answerTimeout() const
{
    return m_commands->answerBound();
}

void RadioRigControl::takeOver()
{
    if (m_beforeSet)
        m_beforeSet();
}

bool RadioRigControl::setFrequency(quint64 hz, Done done)
{
    return !m_commands->setFrequency(hz, std::move(done));
}

bool RadioRigControl::setMode(quint8 modeCode, Done done)
{
    return !m_commands->setMode(modeCode, std::move(done));
}

bool RadioRigControl::selectVfo(Vfo vfo, Done done)
{
    return !m_commands->selectVfo(vfo == Vfo::B ? ::Vfo::B : ::Vfo::A, std::move(done));
}

bool RadioRigControl::setSplit(bool on, Done done)
{
    return !m_commands->setSplit(on, std::move(done));
}

bool RadioRigControl::readFrequency(Done done)
{
    return !m_commands->readFrequency(std::move(done));
}

bool RadioRigControl::readMode(Done done)
{
    return !m_commands->readMode(std::move(done));
}
