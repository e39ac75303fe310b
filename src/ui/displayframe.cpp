#include "ui/displayframe.h"

#include "ui/uilook.h"
#include "ui/wrappingbutton.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

namespace {

/** The word about the radio under the status line: light red on the frame's navy. */
const QColor kRadioWordColour{255, 160, 160};

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
    setAccessibleName(QStringLiteral("Radio display"));

    // The live values show in window-text colour (black) on light green.
    m_freq = greenLabel(this, "Freq", QString(), look::arial(20.25, true));
    m_freq->setToolTip(QStringLiteral("Current main frequency"));
    look::place(m_freq, 300, 480, 3120, 600);

    m_lsplit = greenLabel(this, "Lsplit", QStringLiteral("SPL"), look::arial(8.25, true));
    look::place(m_lsplit, 3030, 495, 330, 195);

    m_lmode = greenLabel(this, "Lmode", QStringLiteral("FM"), look::arial(8.25));
    look::place(m_lmode, 2775, 840, 555, 195);
    m_lmode->setAccessibleDescription(QStringLiteral("Current operating mode"));
    m_lsplit->setAccessibleName(QStringLiteral("Split on"));
    m_lsplit->setAccessibleDescription(QStringLiteral("The radio works split"));
    showFrequency(QString());
    showMode(m_lmode->text());

    m_lradio = new QLabel(this);
    m_lradio->setObjectName(QStringLiteral("Lradio"));
    m_lradio->setFont(look::arial(8.25, true));
    look::paint(m_lradio, look::kNavy, kRadioWordColour);
    look::place(m_lradio, 300, 1560, 3120, 240);
    m_lradio->hide();

    m_addCurrent = new WrappingButton(QStringLiteral("ADD MEM"), this);
    m_addCurrent->setObjectName(QStringLiteral("CaddCurrMem"));
    m_addCurrent->setToolTip(QStringLiteral("Add display frequency to Mem database"));
    look::place(m_addCurrent, 3540, 480, 525, 1020);
    connect(m_addCurrent, &QPushButton::clicked, this, &DisplayFrame::addMemoryRequested);

    m_inStringa = new QLineEdit(this);
    m_inStringa->setObjectName(QStringLiteral("InStringa"));
    m_inStringa->setFont(look::arial(9));
    m_inStringa->setReadOnly(true);  // the radio's and the program's words only
    m_inStringa->setAccessibleName(QStringLiteral("Status line"));
    m_inStringa->setAccessibleDescription(
        QStringLiteral("The radio's answer to the last command, and the program's notices"));
    QPalette box = m_inStringa->palette();
    box.setColor(QPalette::Base, Qt::white);
    box.setColor(QPalette::Text, Qt::black);
    m_inStringa->setPalette(box);
    look::place(m_inStringa, 300, 1155, 3120, 330);
    connect(m_inStringa, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (!m_elidedShown.isNull() && text != m_elidedShown) {
            m_elidedShown.clear();
            m_inStringa->setToolTip(QString());
        }
    });
}

void DisplayFrame::showStatusElided(const QString& words, const QString& detail)
{
    const QFontMetrics metrics = m_inStringa->fontMetrics();
    // The line's text area: its contents less the frame and the margins QLineEdit keeps.
    const int frame = m_inStringa->style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
    constexpr int kLineEditMargins = 2 * 2 + 2;
    const int room = m_inStringa->contentsRect().width() - 2 * frame - kLineEditMargins -
                     metrics.horizontalAdvance(words);
    const QString text = words + metrics.elidedText(detail, Qt::ElideMiddle, qMax(room, 0));
    m_elidedShown = text;
    m_inStringa->setText(text);
    m_inStringa->setCursorPosition(0);
    m_inStringa->setToolTip(words + detail);
}

void DisplayFrame::showFrequency(const QString& text)
{
    m_freq->setText(text);
    m_freq->setAccessibleName(text.isEmpty() ? QStringLiteral("Radio frequency: not told yet")
                                             : QStringLiteral("Radio frequency: ") + text);
}

void DisplayFrame::showMode(const QString& mode)
{
    m_lmode->setText(mode);
    m_lmode->setAccessibleName(QStringLiteral("Radio mode: ") + mode);
}

void DisplayFrame::setAddMemoryEnabled(bool enabled)
{
    m_addCurrent->setEnabled(enabled);
}

void DisplayFrame::setSplitShown(bool shown)
{
    m_splitShown = shown;
    m_lsplit->setVisible(shown);
}

void DisplayFrame::setDimmed(bool dimmed)
{
    m_dimmed = dimmed;
    const QColor text = dimmed ? look::kDimmedText : QColor(Qt::black);
    look::paint(m_freq, look::kLightGreen, text);
    look::paint(m_lmode, look::kLightGreen, text);
}

QString DisplayFrame::radioWord() const
{
    return m_lradio->text();
}

void DisplayFrame::setRadioWord(const QString& word)
{
    m_lradio->setText(word);
    m_lradio->setVisible(!word.isEmpty());
}
