#include "ui/displayframe.h"

#include "ui/uilook.h"
#include "ui/wrappingbutton.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

QLabel* greenLabel(QWidget* parent, const char* name, const QString& text, const QFont& font)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setFont(font);
    look::paint(label, look::kLightGreen, Qt::black);
    return label;
}

}  // namespace

DisplayFrame::DisplayFrame(QWidget* parent) : QGroupBox(parent)
{
    setObjectName(QStringLiteral("FrameDispl"));
    look::paint(this, look::kNavy, Qt::white);
    look::place(this, 120, 1860, 4335, 2115);

    // The live values show in window-text colour (black) on light green.
    m_freq = greenLabel(this, "Freq", QString(), look::arial(20.25, true));
    m_freq->setToolTip(QStringLiteral("Current main frequency"));
    look::place(m_freq, 300, 480, 3120, 600);

    m_lsplit = greenLabel(this, "Lsplit", QStringLiteral("SPL"), look::arial(8.25, true));
    look::place(m_lsplit, 3030, 495, 330, 195);

    m_lmode = greenLabel(this, "Lmode", QStringLiteral("FM"), look::arial(8.25));
    look::place(m_lmode, 2775, 840, 555, 195);

    m_addCurrent = new WrappingButton(QStringLiteral("ADD MEM"), this);
    m_addCurrent->setObjectName(QStringLiteral("CaddCurrMem"));
    m_addCurrent->setToolTip(QStringLiteral("Add display frequency to Mem database"));
    look::place(m_addCurrent, 3540, 480, 525, 1020);
    connect(m_addCurrent, &QPushButton::clicked, this, &DisplayFrame::addMemoryRequested);

    m_inStringa = new QLineEdit(this);
    m_inStringa->setObjectName(QStringLiteral("InStringa"));
    m_inStringa->setFont(look::arial(9));
    m_inStringa->setReadOnly(true);  // the radio's and the program's words only
    QPalette box = m_inStringa->palette();
    box.setColor(QPalette::Base, Qt::white);
    box.setColor(QPalette::Text, Qt::black);
    m_inStringa->setPalette(box);
    look::place(m_inStringa, 300, 1155, 3120, 330);
}

void DisplayFrame::setSplitShown(bool shown)
{
    m_splitShown = shown;
    m_lsplit->setVisible(shown);
}

void DisplayFrame::setDimmed(bool dimmed)
{
    m_dimmed = dimmed;
    const QColor text = dimmed ? QColor(Qt::gray) : QColor(Qt::black);
    look::paint(m_freq, look::kLightGreen, text);
    look::paint(m_lmode, look::kLightGreen, text);
}
