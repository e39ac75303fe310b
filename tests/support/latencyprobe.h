#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <algorithm>

namespace support {

/** The worst lateness of a 10 ms timer while it runs: how long the event loop stalled. Tests
 *  start one before something that must not block the window and compare worstMs() after. */
class LatencyProbe : public QObject {
public:
    LatencyProbe()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(10);
        connect(&m_timer, &QTimer::timeout, this,
                [this] { m_worstMs = std::max(m_worstMs, m_clock.restart() - 10); });
        m_clock.start();
        m_timer.start();
    }
    qint64 worstMs() const { return m_worstMs; }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_worstMs = 0;
};

}  // namespace support
