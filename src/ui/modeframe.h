#pragma once

#include <QGroupBox>

class QPushButton;

/** "MODE" group: the seven mode buttons Clsb, Cusb, Ccw, Crtty, Cam, Cfm, Cwfm. */
class ModeFrame : public QGroupBox {
    Q_OBJECT
public:
    static constexpr int kModeCount = 7;

    explicit ModeFrame(QWidget* parent = nullptr);

    /** The button that sets mode code (0 LSB ... 6 WFM). */
    QPushButton* button(quint8 modeCode) const;

signals:
    /** A mode button was clicked; modeCode is its CI-V mode code. */
    void modeClicked(quint8 modeCode);

private:
    QPushButton* m_byCode[kModeCount] = {};
};
