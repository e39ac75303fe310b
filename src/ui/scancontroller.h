#pragma once

#include "scan/bookmarkscan.h"

#include <QObject>

class BookmarkScanPanel;
class DataFreq;
class QWidget;

/**
 * The "BOOKMARK SCAN" group of the window wired to the bookmark scan: START (CscanDB),
 * STOP (CstopScan) and the speed options OptSpeed 0..2. The scan itself, ScanAttivo and
 * TempoScan live in BookmarkScan; this class keeps the buttons in step with it and shows
 * "Error during scan" when it halts.
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

private:
    void setButtons(bool startEnabled, bool stopEnabled);
    void showScanError(const AppError& error);

    BookmarkScanPanel* m_panel;
    QWidget* m_boxParent;
    BookmarkScan* m_scan;
};
