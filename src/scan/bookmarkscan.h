#pragma once

#include "common/errorcatalogue.h"

#include <QObject>

#include <chrono>
#include <functional>

class DataFreq;

/**
 * The bookmark scan: recalls the memories of the grid's current view one after another,
 * in the view's order, dwelling dwell() seconds after each, round and round until STOP.
 *
 * start() runs the whole scan inside itself; every wait is a Delay, so STOP, the speed
 * options, the menus and the grid keep working during the scan, and a view change goes on
 * with the new rows. The loop, as the window's "START" handler:
 *
 *   record count < 1 -> nothing; else running (runningChanged(true)), move first;
 *   loop: not running -> end; recall; wait the dwell (read as the wait begins);
 *         move next; at end of file move first.
 *
 * States: Idle (not running), Scanning (running, the loop runs), HaltedByError (a recall or
 * a row write failed: scanError was emitted and the loop has ended, but the scan stays
 * running until STOP). The window's START is enabled exactly while the scan is not running,
 * its STOP while it is.
 *
 * Quitting (abortDelays()) ends the loop at once: nothing more is recalled. A scan started
 * from inside the wait of a stopped one supersedes it: the stopped loop ends at its next
 * test even when the new scan halted by error and is left running.
 */
class BookmarkScan : public QObject {
    Q_OBJECT
public:
    /** Recalls the grid's current memory into the radio (the window's Crecall). False with
     *  error when the memory could not be sent; an empty panel is no error. */
    using RecallFunction = std::function<bool(AppError* error)>;

    enum class State { Idle, Scanning, HaltedByError };

    /** The dwell at start-up, matching the option "MEDIUM". */
    static constexpr double kStartDwell = 1.5;
    /** Shortest dwell: a wait of 0 would not let events run and STOP could not be served. */
    static constexpr std::chrono::milliseconds kShortestDwell{10};

    BookmarkScan(DataFreq* data, RecallFunction recall, QObject* parent = nullptr);

    /** True from START until STOP (also while halted by error). The window's
     *  DataFreq_Reposition leaves the position at end of file while this is true. */
    bool isRunning() const { return m_active; }
    State state() const;
    /** The dwell after each recall, in seconds. */
    double dwell() const { return m_dwell; }
    void setDwell(double seconds);

    /** The speed options: index 0 "FAST", 1 "MEDIUM", 2 "SLOW": dwell = index + 0.5 s. */
    void setSpeed(int index);
    /** "START": runs the scan to its end (returns after STOP, an error or quitting). */
    void start();
    /** "STOP": not running any more; the loop ends at its next test. */
    void stop();

signals:
    /** The scan began (START) or ended (STOP). */
    void runningChanged(bool running);
    /** The scan halted: the window shows error.text in a box titled "Error during scan"
     *  with the critical icon; the scan stays running until STOP. */
    void scanError(const AppError& error);
    /** A dwell of this many seconds begins (after each recall). */
    void dwellStarted(double seconds);

private:
    bool loopGoesOn(quint64 generation) const;
    void runLoop(quint64 generation);
    bool step(quint64 generation);
    void halt(const AppError& error);
    void setRunning(bool running);

    DataFreq* m_data;
    RecallFunction m_recall;
    bool m_active = false;
    bool m_halted = false;
    double m_dwell = kStartDwell;
    quint64 m_generation = 0;  ///< which START the running loop belongs to
    bool m_rowWriteFailed = false;
    AppError m_rowWriteError;
};
