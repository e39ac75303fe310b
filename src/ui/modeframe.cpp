#include "ui/modeframe.h"

#include "profile/radioprofile.h"
#include "ui/uilook.h"

#include <QPushButton>

namespace {

struct ModeButtonDef {
    const char* name;
    const char* caption;  ///< the mode's name, which gives its CI-V mode code
    int left;
};

/** The code of the mode named name (the profiles' names); 0 for none. */
quint8 codeNamed(const char* name)
{
    for (const RadioMode& mode : kRadioProfile.modes) {
        if (QString::fromUtf16(mode.name) == QLatin1String(name))
            return mode.code;
    }
    return 0;
}

// Left to right as on the window.
constexpr ModeButtonDef kButtons[ModeFrame::kModeCount] = {
    {"Clsb", "LSB", 90}, {"Cusb", "USB", 855}, {"Ccw", "CW", 1620},   {"Crtty", "RTTY", 2385},
    {"Cam", "AM", 3150}, {"Cfm", "FM", 3915},  {"Cwfm", "WFM", 4680},
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
        button->setAccessibleDescription(QStringLiteral("Change operating mode"));
        look::place(button, def.left, 270, 690, 375);
        const quint8 code = codeNamed(def.caption);
        connect(button, &QPushButton::clicked, this, [this, code] { emit modeChosen(code); });
    }
}
