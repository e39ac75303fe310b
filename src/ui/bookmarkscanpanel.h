#pragma once

#include <QGroupBox>

class QButtonGroup;
class QPushButton;

/**
 * "BOOKMARK SCAN" group: START (CscanDB), STOP (CstopScan, disabled at creation) and the
 * three speed options OptSpeed 0 FAST, 1 MEDIUM (selected at creation), 2 SLOW.
 * It tells what the operator asked for and shows which of START and STOP may be pressed.
 */
class BookmarkScanPanel : public QGroupBox {
    Q_OBJECT
public:
    static constexpr int kSpeedCount = 3;

    explicit BookmarkScanPanel(QWidget* parent = nullptr);

    void setButtons(bool startEnabled, bool stopEnabled);

signals:
    void startRequested();
    void stopRequested();
    /** OptSpeed(index) was chosen: 0 FAST, 1 MEDIUM, 2 SLOW. */
    void speedChosen(int index);

private:
    QPushButton* m_start;
    QPushButton* m_stop;
    QButtonGroup* m_speedGroup;
};
