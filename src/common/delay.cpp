#include "common/delay.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <vector>

namespace {

/** Longest single arming of the wake-up timer; a longer wait re-arms (QTimer counts in
 *  int milliseconds). */
constexpr std::chrono::milliseconds kLongestArm = std::chrono::hours(24);

/** Longest wait, in seconds (about 31 years): keeps the nanosecond count in range. */
constexpr double kLongestPause = 1e9;

/** The event loops of the Delays running now, innermost last. All on the GUI thread. */
std::vector<QEventLoop*> g_runningLoops;
bool g_aborted = false;

/** Registers a running loop for abortDelays() for as long as the wait lasts. */
class RunningLoop {
public:
    explicit RunningLoop(QEventLoop* loop) : m_loop(loop) { g_runningLoops.push_back(loop); }
    ~RunningLoop() { std::erase(g_runningLoops, m_loop); }
    RunningLoop(const RunningLoop&) = delete;
    RunningLoop& operator=(const RunningLoop&) = delete;

private:
    QEventLoop* m_loop;
};

/** Whole milliseconds still to wait, rounded up so that the timer never fires before
 *  the end; zero when the time is up. */
std::chrono::milliseconds remainingMs(std::chrono::nanoseconds total, const QElapsedTimer& clock)
{
    const std::chrono::nanoseconds left = total - std::chrono::nanoseconds(clock.nsecsElapsed());
    if (left <= std::chrono::nanoseconds::zero())
        return std::chrono::milliseconds::zero();
    return std::min(std::chrono::ceil<std::chrono::milliseconds>(left), kLongestArm);
}

}  // namespace

void Delay(double PauseTime)
{
    // !(x > 0) also catches NaN.
    if (!(PauseTime > 0) || g_aborted)
        return;
    const std::chrono::nanoseconds total(
        static_cast<std::chrono::nanoseconds::rep>(std::min(PauseTime, kLongestPause) * 1e9));

    QElapsedTimer clock;  // monotonic: a wait across midnight or a clock change still ends
    clock.start();
    QEventLoop loop;
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    QObject::connect(&wake, &QTimer::timeout, &loop, &QEventLoop::quit);
    const RunningLoop running(&loop);

    // The loop may also end early (a timer quirk, an outer quit): re-arm for the rest.
    for (auto left = remainingMs(total, clock); left.count() > 0 && !g_aborted;
         left = remainingMs(total, clock)) {
        wake.start(left);
        loop.exec();
    }
}

void abortDelays()
{
    g_aborted = true;
    for (QEventLoop* loop : g_runningLoops)
        loop->quit();
}

bool delaysAborted()
{
    return g_aborted;
}

void resetDelays()
{
    g_aborted = false;
}
