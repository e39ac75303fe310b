#pragma once

#include "common/errorcatalogue.h"

#include <QObject>

#include <chrono>
#include <functional>

class DataFreq;

/**
 * The bookmark scan: recalls the memories of the grid's current view one after another,
 * in the view's order, dwelling TempoScan seconds after each, round and round until STOP.
 *
 * start() runs the whole scan inside itself; every wait is a Delay, so STOP, the speed
 * options, the menus and the grid keep working during the scan, and a view change goes on
 * with the new rows. The loop, as the window's "START" handler:
 *
 *   record count < 1 -> nothing; else ScanAttivo = true, START off, STOP on, move first;
 *   loop: ScanAttivo false -> end; recall; wait TempoScan (read as the wait begins);
 *         move next; at end of file move first.
 *
 * States: Idle (ScanAttivo false; START on, STOP off), Scanning (the loop runs; START off,
 * STOP on), HaltedByError (a recall or a row write failed: scanError was emitted and the
 * loop has ended, but ScanAttivo, START and STOP stay as in Scanning until STOP).
 *
 * Quitting (abortDelays()) ends the loop at once: nothing more is recalled. A scan started
 * from inside the wait of a stopped one supersedes it: the stopped loop ends at its next
 * test even when the new scan halted by error and left ScanAttivo true.
 */
class BookmarkScan : public QObject {
    Q_OBJECT
public:
    /** Recalls the grid's current memory into the radio (the window's Crecall). False with
     *  error when the memory could not be sent; an empty panel is no error. */
    using RecallFunction = std::function<bool(AppError* error)>;

    enum class State { Idle, Scanning, HaltedByError };

    /** TempoScan at start-up, matching the option "MEDIUM". */
    static constexpr double kStartTempoScan = 1.5;
    /** Shortest dwell: a wait of 0 would not let events run and STOP could not be served. */
    static constexpr std::chrono::milliseconds kShortestDwell{10};

    BookmarkScan(DataFreq* data, RecallFunction recall, QObject* parent = nullptr);

    /** ScanAttivo: true from START until STOP (also while halted by error). The window's
     *  DataFreq_Reposition leaves the position at end of file while this is true. */
    bool scanAttivo() const { return m_active; }
    State state() const;
    /** TempoScan, the dwell after each recall in seconds. */
    double tempoScan() const { return m_tempoScan; }
    void setTempoScan(double seconds);

    /** The speed options: index 0 "FAST", 1 "MEDIUM", 2 "SLOW": TempoScan = index + 0.5. */
    void setSpeed(int index);
    /** "START": runs the scan to its end (returns after STOP, an error or quitting). */
    void start();
    /** "STOP": ScanAttivo false, START on, STOP off; the loop ends at its next test. */
    void stop();

signals:
    /** New enabled states of CscanDB ("START") and CstopScan ("STOP"). */
    void buttonsChanged(bool startEnabled, bool stopEnabled);
    /** The scan halted: the window shows error.text in a box titled "Error during scan"
     *  with the critical icon; the flag and the buttons stay until STOP. */
    void scanError(const AppError& error);
    /** A dwell of this many seconds begins (after each recall). */
    void dwellStarted(double seconds);

private:
    bool loopGoesOn(quint64 generation) const;
    void runLoop(quint64 generation);
    bool step(quint64 generation);
    void halt(const AppError& error);
    void setButtons(bool startEnabled, bool stopEnabled);

    DataFreq* m_data;
    RecallFunction m_recall;
    bool m_active = false;
    bool m_halted = false;
    double m_tempoScan = kStartTempoScan;
    quint64 m_generation = 0;  ///< which START the running loop belongs to
    bool m_rowWriteFailed = false;
    AppError m_rowWriteError;
};
