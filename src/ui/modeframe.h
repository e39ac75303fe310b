#pragma once

#include <QGroupBox>

/** "MODE" group: the seven mode buttons Clsb, Cusb, Ccw, Crtty, Cam, Cfm, Cwfm. */
class ModeFrame : public QGroupBox {
    Q_OBJECT
public:
    static constexpr int kModeCount = 7;

    explicit ModeFrame(QWidget* parent = nullptr);

signals:
    /** A mode button was clicked; modeCode is its CI-V mode code. */
    void modeChosen(quint8 modeCode);
};
