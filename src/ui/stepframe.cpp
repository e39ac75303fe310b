#include "ui/stepframe.h"

#include "ui/uilook.h"

#include <QPushButton>

namespace {

constexpr const char* kCaptions[StepFrame::kStepCount] = {"10 Hz",  "100 Hz", "1 KHz",    "5 KHz",
                                                          "9 KHz",  "10 KHz", "12.5 KHz", "20 KHz",
                                                          "25 KHz", "100 KHz"};

// Buttons sit in one row, 900 twips apart.
constexpr int kFirstLeft = 135;
constexpr int kPitch = 900;

}  // namespace

StepFrame::StepFrame(QWidget* parent) : QGroupBox(QStringLiteral("STEP"), parent)
{
    setObjectName(QStringLiteral("FrameStep"));
    setToolTip(QStringLiteral("Change frequency step"));
    look::paint(this, look::kNavy, Qt::white);
    look::place(this, 90, 90, 9195, 780);

    for (int i = 0; i < kStepCount; ++i) {
        auto* button = new QPushButton(QString::fromLatin1(kCaptions[i]), this);
        button->setObjectName(QStringLiteral("Cstep_%1").arg(i));
        button->setAccessibleDescription(QStringLiteral("Change frequency step"));
        look::place(button, kFirstLeft + kPitch * i, 270, 825, 375);
        connect(button, &QPushButton::clicked, this, [this, i] { emit stepChosen(i); });
    }
}
