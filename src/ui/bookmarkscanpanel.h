#pragma once

#include <QGroupBox>

class QButtonGroup;
class QPushButton;
class QRadioButton;

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
    /** OptSpeed(index), index 0..2. */
    QRadioButton* speedOption(int index) const;
    /** The three options, button id = index. */
    QButtonGroup* speedGroup() const { return m_speedGroup; }

private:
    QPushButton* m_start;
    QPushButton* m_stop;
    QRadioButton* m_speed[kSpeedCount];
    QButtonGroup* m_speedGroup;
};
