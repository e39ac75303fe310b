#include "ui/modeframe.h"

#include "ui/uilook.h"

#include <QPushButton>

namespace {

struct ModeButtonDef {
    const char* name;
    const char* caption;
    quint8 code;
    int left;
};

// Left to right as on the window; the code is the CI-V mode byte.
constexpr ModeButtonDef kButtons[ModeFrame::kModeCount] = {
    {"Clsb", "LSB", 0, 90},     {"Cusb", "USB", 1, 855}, {"Ccw", "CW", 3, 1620},
    {"Crtty", "RTTY", 4, 2385}, {"Cam", "AM", 2, 3150},  {"Cfm", "FM", 5, 3915},
    {"Cwfm", "WFM", 6, 4680},
};

}  // namespace

ModeFrame::ModeFrame(QWidget* parent) : QGroupBox(QStringLiteral("MODE"), parent)
{
    setObjectName(QStringLiteral("FrameMode"));
    setToolTip(QStringLiteral("Change operating mode"));
    look::paint(this, look::kNavy, Qt::white);
    look::place(this, 90, 900, 5415, 810);

    for (const ModeButtonDef& def : kButtons) {
        auto* button = new QPushButton(QString::fromLatin1(def.caption), this);
        button->setObjectName(QString::fromLatin1(def.name));
        look::place(button, def.left, 270, 690, 375);
        const quint8 code = def.code;
        connect(button, &QPushButton::clicked, this, [this, code] { emit modeChosen(code); });
    }
}
