#pragma once

#include "scan/bookmarkscan.h"

#include <QObject>

class BookmarkScanPanel;
class DataFreq;
class QWidget;

/**
 * The bookmark scan as the window runs it: START (CscanDB), STOP (CstopScan) and the speed
 * options OptSpeed 0..2 come here through the window's handlers. The scan itself, ScanAttivo
 * and TempoScan live in BookmarkScan; this class keeps the panel's buttons in step with it
 * and shows "Error during scan" when it halts.
 *
 * START runs the scan from the event loop, not inside the button's own mouse handling: the
 * loop lasts until STOP, and each of its waits serves the window's events.
 */
class ScanController : public QObject {
    Q_OBJECT
public:
    ScanController(BookmarkScanPanel* panel, DataFreq* data, BookmarkScan::RecallFunction recall,
                   QWidget* boxParent, QObject* parent = nullptr);

    bool scanAttivo() const { return m_scan->scanAttivo(); }
    BookmarkScan::State state() const { return m_scan->state(); }
    double tempoScan() const { return m_scan->tempoScan(); }
    void setTempoScan(double seconds) { m_scan->setTempoScan(seconds); }

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
