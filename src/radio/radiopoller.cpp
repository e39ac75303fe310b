#include "radio/radiopoller.h"

#include "radio/radiocommands.h"
#include "radio/radiostate.h"

RadioPoller::RadioPoller(RadioCommands* commands, RadioState* state, QObject* parent)
    : QObject(parent), m_commands(commands), m_state(state)
{
    connect(&m_timer, &QTimer::timeout, this, &RadioPoller::poll);
    connect(m_state, &RadioState::connectionChanged, this, &RadioPoller::update);
    connect(m_state, &RadioState::announcementHeard, this, &RadioPoller::update);
}

void RadioPoller::setPolling(std::chrono::seconds period, bool untilAnnounced)
{
    m_untilAnnounced = untilAnnounced;
    m_timer.setInterval(period);
    update();
}

void RadioPoller::update()
{
    const bool wanted = m_timer.intervalAsDuration().count() > 0 && m_state->isOpen() &&
                        !(m_untilAnnounced && m_state->heardAnnouncement());
    if (!wanted)
        m_timer.stop();
    else if (!m_timer.isActive())
        m_timer.start();
}

void RadioPoller::poll()
{
    // A sequence (start-up, a recall) holds the line: its frames are read back anyway.
    if (!m_commands->sequenceRunning())
        m_commands->readRadio();
}
