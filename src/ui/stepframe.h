#pragma once

#include <QGroupBox>

/** "STEP" group: ten tuning-step buttons Cstep 0..9; the index is the step code sent. */
class StepFrame : public QGroupBox {
    Q_OBJECT
public:
    static constexpr int kStepCount = 10;

    explicit StepFrame(QWidget* parent = nullptr);

signals:
    /** Cstep(index) was clicked. */
    void stepChosen(int index);
};
