#include "ui/comframe.h"

#include "ui/uilook.h"

#include <QPushButton>

ComFrame::ComFrame(QWidget* parent)
    : QGroupBox(parent),
      m_scan(new QPushButton(kScanStartCaption, this)),
      m_split(new QPushButton(QStringLiteral("SPLIT"), this)),
      m_quit(new QPushButton(QStringLiteral("QUIT"), this))
{
    setObjectName(QStringLiteral("FrameCom"));
    look::paint(this, look::kNavy, Qt::white);
    look::place(this, 5580, 900, 3705, 810);
    setAccessibleName(QStringLiteral("Radio commands"));

    m_scan->setObjectName(QStringLiteral("Cscan"));
    m_scan->setToolTip(QStringLiteral("Start scan with current step"));
    look::place(m_scan, 90, 270, 1230, 375);

    m_split->setObjectName(QStringLiteral("Csplit"));
    m_split->setToolTip(QStringLiteral("Enable split"));
    look::place(m_split, 1395, 270, 1185, 375);

    m_quit->setObjectName(QStringLiteral("Cquit"));
    m_quit->setAccessibleDescription(QStringLiteral("Close the radio's port and end Corvane"));
    look::place(m_quit, 2655, 270, 960, 375);

    connect(m_scan, &QPushButton::clicked, this, &ComFrame::scanRequested);
    connect(m_split, &QPushButton::clicked, this, &ComFrame::splitRequested);
    connect(m_quit, &QPushButton::clicked, this, &ComFrame::quitRequested);
}

void ComFrame::showRadioScan(bool on)
{
    m_scan->setText(on ? kScanStopCaption : kScanStartCaption);
}
