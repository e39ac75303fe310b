#pragma once

#include <QObject>
#include <QTimer>

#include <chrono>

class RadioCommands;
class RadioState;

/**
 * Reads the radio's frequency and mode at a fixed period, for radios that do not announce
 * their changes (CI-V transceive off). With untilAnnounced, it stops as soon as the radio
 * announces something on its own, and starts again whenever the port is opened anew: a
 * radio with transceive on then costs no line traffic at rest. The timer runs only while
 * there is something to read; a read still waiting for its answer is not asked again.
 */
class RadioPoller : public QObject {
    Q_OBJECT
public:
    RadioPoller(RadioCommands* commands, RadioState* state, QObject* parent = nullptr);

    /** period 0: never read. */
    void setPolling(std::chrono::seconds period, bool untilAnnounced);
    bool active() const { return m_timer.isActive(); }

private:
    void update();
    void poll();

    RadioCommands* m_commands;
    RadioState* m_state;
    QTimer m_timer;
    bool m_untilAnnounced = false;
};
