#pragma once

#include <QGroupBox>

class QButtonGroup;
class QPushButton;

/**
 * "BOOKMARK SCAN" group: START (CscanDB), STOP (CstopScan, disabled at creation) and the
 * three speed options OptSpeed 0 FAST, 1 MEDIUM (selected at creation), 2 SLOW.
 * Layout only; the bookmark scan wires its behaviour through the accessors.
 */
class BookmarkScanPanel : public QGroupBox {
    Q_OBJECT
public:
    static constexpr int kSpeedCount = 3;

    explicit BookmarkScanPanel(QWidget* parent = nullptr);

    QPushButton* startButton() const { return m_start; }
    QPushButton* stopButton() const { return m_stop; }
    /** The three options, button id = index. */
    QButtonGroup* speedGroup() const { return m_speedGroup; }

private:
    QPushButton* m_start;
    QPushButton* m_stop;
    QButtonGroup* m_speedGroup;
};
