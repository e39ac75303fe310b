#pragma once

#include "scan/bookmarkscan.h"

#include <QObject>

class BookmarkScanPanel;
class DataFreq;
class QWidget;

/**
 * The bookmark scan as the window runs it: START (CscanDB), STOP (CstopScan) and the speed
 * options OptSpeed 0..2 come here through the window's handlers. The scan itself lives in
 * BookmarkScan (ScanAttivo is its isRunning(), TempoScan its dwell()); this class keeps the
 * panel's buttons in step with it (START on while not running, STOP while running) and
 * shows "Error during scan" when it halts.
 *
 * START runs the scan from the event loop, not inside the button's own mouse handling: the
 * loop lasts until STOP, and each of its waits serves the window's events.
 */
class ScanController : public QObject {
    Q_OBJECT
public:
    ScanController(BookmarkScanPanel* panel, DataFreq* data, BookmarkScan::RecallFunction recall,
                   QWidget* boxParent, QObject* parent = nullptr);

    /** ScanAttivo. */
    bool scanAttivo() const { return m_scan->isRunning(); }
    BookmarkScan::State state() const { return m_scan->state(); }
    /** TempoScan, the dwell after each recall in seconds. */
    double tempoScan() const { return m_scan->dwell(); }
    void setTempoScan(double seconds) { m_scan->setDwell(seconds); }

    /** START: the scan runs from the event loop (queued), not inside the press. */
    void start();
    void stop() { m_scan->stop(); }
    void setSpeed(int index) { m_scan->setSpeed(index); }

private:
    void showScanError(const AppError& error);

    BookmarkScanPanel* m_panel;
    QWidget* m_boxParent;
    BookmarkScan* m_scan;
};
