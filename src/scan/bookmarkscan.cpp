#include "scan/bookmarkscan.h"

#include "common/delay.h"
#include "memory/datafreq.h"

#include <algorithm>

namespace {

constexpr double kShortestDwellSeconds =
    std::chrono::duration<double>(BookmarkScan::kShortestDwell).count();

}  // namespace

BookmarkScan::BookmarkScan(DataFreq* data, RecallFunction recall, QObject* parent)
    : QObject(parent), m_data(data), m_recall(std::move(recall))
{
    if (m_data) {
        // Moving off an edited row writes it; a failed write keeps the grid on that row, so
        // the scan would recall it forever: while a scan runs it halts the scan instead.
        connect(m_data, &DataFreq::rowWriteFailed, this, [this](const AppError& error) {
            if (m_active && !m_halted) {
                m_rowWriteFailed = true;
                m_rowWriteError = error;
            }
        });
    }
}

BookmarkScan::State BookmarkScan::state() const
{
    if (!m_active)
        return State::Idle;
    return m_halted ? State::HaltedByError : State::Scanning;
}

void BookmarkScan::setDwell(double seconds)
{
    m_dwell = seconds;
}

void BookmarkScan::setSpeed(int index)
{
    m_dwell = index + 0.5;
}

void BookmarkScan::setRunning(bool running)
{
    m_active = running;
    emit runningChanged(running);
}

void BookmarkScan::start()
{
    if (m_active || !m_data || delaysAborted())
        return;  // START is disabled while a scan is on (running or halted)
    if (m_data->recordCount() < 1)
        return;
    m_halted = false;
    m_rowWriteFailed = false;
    const quint64 generation = ++m_generation;
    setRunning(true);
    m_data->moveFirst();
    runLoop(generation);
}

void BookmarkScan::stop()
{
    m_halted = false;
    setRunning(false);
}

bool BookmarkScan::loopGoesOn(quint64 generation) const
{
    return m_active && generation == m_generation && !delaysAborted();
}

void BookmarkScan::runLoop(quint64 generation)
{
    while (loopGoesOn(generation)) {
        if (!step(generation))
            return;
    }
}

/** One memory: recall, dwell, move on. False when the loop must end at once. */
bool BookmarkScan::step(quint64 generation)
{
    AppError error;
    if (!m_recall(&error)) {
        if (!delaysAborted())
            halt(error);
        return false;
    }
    if (delaysAborted())
        return false;

    const double dwell = std::max(m_dwell, kShortestDwellSeconds);
    emit dwellStarted(dwell);
    Delay(dwell);
    if (delaysAborted())
        return false;

    m_data->moveNext();
    if (m_data->isEof())
        m_data->moveFirst();
    if (m_rowWriteFailed && generation == m_generation && m_active) {
        m_rowWriteFailed = false;
        halt(m_rowWriteError);
        return false;
    }
    return true;
}

void BookmarkScan::halt(const AppError& error)
{
    m_halted = true;
    emit scanError(error);
}
