#include "ui/entrypad.h"

#include "ui/filledshape.h"
#include "ui/uilook.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>

#include <algorithm>
#include <iterator>

namespace {

/** Bounds of a frequency the pad lets SEND: both comparisons are strict. */
constexpr qint32 kLowestExcluded = 50'000;
constexpr qint32 kHighestExcluded = 200'000'000;

constexpr int kDigitLefts[EntryPad::kDigitCount] = {225,  450,  675,  1080, 1305,
                                                    1530, 1890, 2115, 2340};
constexpr char kInitialDigits[] = "145400000";

struct KeyPlace {
    int left;
    int top;
};

// Tasto by digit: a telephone-style block with 0 under the middle column.
constexpr KeyPlace kKeyPlaces[EntryPad::kKeyCount] = {
    {1125, 2160}, {450, 810},   {1125, 810}, {1800, 810},  {450, 1260},
    {1125, 1260}, {1800, 1260}, {450, 1710}, {1125, 1710}, {1800, 1710},
};

}  // namespace

EntryPad::EntryPad(QWidget* parent) : QGroupBox(QStringLiteral("FREQUENCY SETTINGS"), parent)
{
    setObjectName(QStringLiteral("FrameNewFreq"));
    look::paint(this, look::kNavy, Qt::white);
    look::place(this, 6390, 1845, 2895, 3705);

    m_entry = QString::fromLatin1(kInitialDigits);
    buildDigits();
    buildKeys();

    m_send = new QPushButton(QStringLiteral("SEND"), this);
    m_send->setObjectName(QStringLiteral("Csend"));
    m_send->setToolTip(QStringLiteral("Set IC-706 with the above frequency "));
    look::place(m_send, 495, 2610, 1905, 420);

    m_addMain = new QPushButton(QStringLiteral("ADD MEM"), this);
    m_addMain->setObjectName(QStringLiteral("CaddMain"));
    m_addMain->setToolTip(QStringLiteral("Add above frequency to Mem database"));
    look::place(m_addMain, 495, 3105, 1905, 420);

    connect(m_send, &QPushButton::clicked, this, &EntryPad::sendRequested);
    connect(m_addMain, &QPushButton::clicked, this, [this] { emit addMemoryRequested(m_entry); });
}

void EntryPad::buildDigits()
{
    auto* backing = new FilledShape(FilledShape::Kind::Rectangle, Qt::white, this);
    backing->setObjectName(QStringLiteral("Shape1"));
    look::place(backing, 180, 270, 2535, 420);

    const QPalette system = QApplication::palette();
    for (int i = 0; i < kDigitCount; ++i) {
        auto* label = new QLabel(m_entry.at(i), this);
        label->setObjectName(QStringLiteral("NewFreq_%1").arg(i));
        label->setAlignment(Qt::AlignCenter);
        look::paint(label, system.color(QPalette::Base), system.color(QPalette::Text));
        if (i < kLastDigit) {
            label->setFont(look::arial(14.25, true));
            look::place(label, kDigitLefts[i], 315, 240, 285);
        } else {
            label->setFont(look::arial(9.75, true));
            look::place(label, kDigitLefts[i], 390, 240, 240);
        }
        m_digits[i] = label;
    }

    constexpr int kDotLefts[] = {975, 1815};
    for (int i = 0; i < 2; ++i) {
        auto* dot = new FilledShape(FilledShape::Kind::Circle, Qt::black, this);
        dot->setObjectName(QStringLiteral("ShapePunto_%1").arg(i));
        look::place(dot, kDotLefts[i], 540, 45, 45);
    }
}

void EntryPad::buildKeys()
{
    for (int k = 0; k < kKeyCount; ++k) {
        auto* key = new QPushButton(QString::number(k), this);
        key->setObjectName(QStringLiteral("Tasto_%1").arg(k));
        look::place(key, kKeyPlaces[k].left, kKeyPlaces[k].top, 600, 375);
        connect(key, &QPushButton::clicked, this, [this, k] { Tasto_Click(k); });
        m_keys[k] = key;
    }
}

void EntryPad::Tasto_Click(int k)
{
    if (posCifra() == kLastDigit)
        m_entry.clear();
    m_entry += QString::number(k);
    showEntry();
    if (posCifra() == kLastDigit)
        checkEntry();
    else
        m_send->setEnabled(false);
}

void EntryPad::eraseLastDigit()
{
    if (m_entry.isEmpty())
        return;
    m_entry.chop(1);
    showEntry();
    m_send->setEnabled(false);
}

void EntryPad::clearEntry()
{
    m_entry.clear();
    showEntry();
    m_send->setEnabled(false);
}

bool EntryPad::isSendKey(const QWidget* widget) const
{
    if (!widget)
        return false;
    if (widget == m_send)
        return true;
    return std::find(std::begin(m_keys), std::end(m_keys), widget) != std::end(m_keys);
}

void EntryPad::showEntry()
{
    for (int i = 0; i < kDigitCount; ++i)
        m_digits[i]->setText(i < m_entry.size() ? QString(m_entry.at(i)) : QString());
}

void EntryPad::checkEntry()
{
    bool ok = false;
    const qint32 hertz = m_entry.toInt(&ok);
    if (ok && hertz > kLowestExcluded && hertz < kHighestExcluded) {
        m_send->setEnabled(true);
        return;
    }
    m_send->setEnabled(false);
    emit statusText(kWrongFrequency);
}

QLabel* EntryPad::digitLabel(int index) const
{
    return (index >= 0 && index < kDigitCount) ? m_digits[index] : nullptr;
}

void EntryPad::pressKey(int digit)
{
    if (digit < 0 || digit >= kKeyCount)
        return;
    m_keys[digit]->setFocus(Qt::ShortcutFocusReason);
    m_keys[digit]->click();
}

bool EntryPad::sendEnabled() const
{
    return m_send->isEnabled();
}

void EntryPad::pressSend()
{
    if (m_send->isEnabled())
        m_send->click();
}

void EntryPad::focusSend()
{
    m_send->setFocus(Qt::OtherFocusReason);
}
