#include "ui/bookmarkscanpanel.h"

#include "ui/uilook.h"

#include <QButtonGroup>
#include <QPushButton>
#include <QRadioButton>

namespace {

struct SpeedSpec {
    const char* caption;
    const char* tooltip;
    int top;
};

constexpr SpeedSpec kSpeeds[BookmarkScanPanel::kSpeedCount] = {
    {"FAST", "Fast scan speed", 1380},
    {"MEDIUM", "Medium scan speed", 1620},
    {"SLOW", "Slow scan speed", 1860},
};

constexpr int kMediumIndex = 1;

}  // namespace

BookmarkScanPanel::BookmarkScanPanel(QWidget* parent)
    : QGroupBox(QStringLiteral("BOOKMARK SCAN"), parent),
      m_start(new QPushButton(QStringLiteral("START"), this)),
      m_stop(new QPushButton(QStringLiteral("STOP"), this)),
      m_speedGroup(new QButtonGroup(this))
{
    setObjectName(QStringLiteral("FrameScan"));
    look::paint(this, look::kNavy, Qt::white);
    look::place(this, 4575, 1845, 1695, 2115);

    m_start->setObjectName(QStringLiteral("CscanDB"));
    m_start->setToolTip(QStringLiteral("Start database scan"));
    look::place(m_start, 180, 300, 1365, 405);

    m_stop->setObjectName(QStringLiteral("CstopScan"));
    m_stop->setToolTip(QStringLiteral("Stop database scan"));
    m_stop->setEnabled(false);
    look::place(m_stop, 180, 840, 1365, 405);

    for (int i = 0; i < kSpeedCount; ++i) {
        auto* option = new QRadioButton(QString::fromLatin1(kSpeeds[i].caption), this);
        option->setObjectName(QStringLiteral("OptSpeed_%1").arg(i));
        option->setToolTip(QString::fromLatin1(kSpeeds[i].tooltip));
        // Option buttons draw with the button roles; these show the frame's navy and white.
        option->setBackgroundRole(QPalette::Window);
        option->setForegroundRole(QPalette::WindowText);
        look::paint(option, look::kNavy, Qt::white);
        look::place(option, 180, kSpeeds[i].top, 1155, 195);
        m_speedGroup->addButton(option, i);
        option->setChecked(i == kMediumIndex);
    }
    connect(m_start, &QPushButton::clicked, this, &BookmarkScanPanel::startRequested);
    connect(m_stop, &QPushButton::clicked, this, &BookmarkScanPanel::stopRequested);
    connect(m_speedGroup, &QButtonGroup::idClicked, this, &BookmarkScanPanel::speedChosen);
}

void BookmarkScanPanel::setButtons(bool startEnabled, bool stopEnabled)
{
    m_start->setEnabled(startEnabled);
    m_stop->setEnabled(stopEnabled);
}
