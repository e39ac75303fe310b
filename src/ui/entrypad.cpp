#include "ui/entrypad.h"

#include "exchange/frequencytext.h"
#include "profile/radioprofile.h"
#include "ui/filledshape.h"
#include "ui/uilook.h"

#include <QLabel>
#include <QPushButton>

#include <algorithm>
#include <iterator>

namespace {

/** Bounds of a frequency the pad lets SEND: both comparisons are strict. */
constexpr qint32 kLowestExcluded = 50'000;

constexpr int kDigitLefts[EntryPad::kDigitCount] = {225,  450,  675,  1080, 1305,
                                                    1530, 1890, 2115, 2340};
constexpr char kInitialDigits[] = "145400000";
/** The largest value the nine digits hold. */
constexpr qint64 kNineDigitsHz = 999'999'999;

const QString kTypedRule = QStringLiteral(
    "Type a frequency and press Return: with a point or comma it is MHz (14.074 or 7,0745), "
    "up to six digits kHz (14074), more digits Hz (14074000). Nine digits are the pad's own.");

/** The entry shown in the nine digits as one text: "145.400.000 Hz", or the digits keyed. */
QString spokenEntry(const QString& shown)
{
    if (shown.size() == EntryPad::kDigitCount)
        return shown.left(3) + QLatin1Char('.') + shown.mid(3, 3) + QLatin1Char('.') +
               shown.mid(6) + QStringLiteral(" Hz");
    if (shown.isEmpty())
        return QStringLiteral("no digit keyed");
    return QStringLiteral("%1 keyed, %2 of %3 digits")
        .arg(shown)
        .arg(shown.size())
        .arg(EntryPad::kDigitCount);
}

QString nineDigits(qint64 hz)
{
    return QStringLiteral("%1").arg(hz, EntryPad::kDigitCount, 10, QLatin1Char('0'));
}

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

    // Beside key 0: how Return will read the entry typed so far.
    m_reading = new QLabel(this);
    m_reading->setObjectName(QStringLiteral("TypedFreq"));
    m_reading->setFont(look::arial(8));
    m_reading->setToolTip(kTypedRule);
    m_reading->setAccessibleName(QStringLiteral("Typed frequency"));
    m_reading->setAccessibleDescription(kTypedRule);
    look::paint(m_reading, look::kNavy, Qt::white);
    look::place(m_reading, 1785, 2160, 1050, 375);
    showEntry();

    connect(m_send, &QPushButton::clicked, this, &EntryPad::sendRequested);
    connect(m_addMain, &QPushButton::clicked, this, [this] { emit addMemoryRequested(m_entry); });
}

void EntryPad::buildDigits()
{
    auto* backing = new FilledShape(FilledShape::Kind::Rectangle, Qt::white, this);
    backing->setObjectName(QStringLiteral("Shape1"));
    backing->setAccessibleName(QStringLiteral("Frequency to send"));
    m_backing = backing;
    look::place(backing, 180, 270, 2535, 420);

    for (int i = 0; i < kDigitCount; ++i) {
        auto* label = new QLabel(m_entry.at(i), this);
        label->setObjectName(QStringLiteral("NewFreq_%1").arg(i));
        label->setAlignment(Qt::AlignCenter);
        // Black on the white of the backing rectangle, whatever the desktop's colours.
        look::paint(label, Qt::white, Qt::black);
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
        key->setAccessibleDescription(QStringLiteral("Key the digit %1 of the frequency").arg(k));
        look::place(key, kKeyPlaces[k].left, kKeyPlaces[k].top, 600, 375);
        connect(key, &QPushButton::clicked, this, [this, k] { Tasto_Click(k); });
        m_keys[k] = key;
    }
}

void EntryPad::Tasto_Click(int k)
{
    m_typed.clear();  // a key of the pad ends a typed entry: the digits keyed before it stay
    if (posCifra() == kLastDigit)
        m_entry.clear();
    m_entry += QString::number(k);
    showEntry();
    if (posCifra() == kLastDigit)
        checkEntry();
    else
        m_send->setEnabled(false);
}

void EntryPad::typeDigit(int digit)
{
    if (m_typed.isEmpty()) {
        pressKey(digit);
        return;
    }
    constexpr qsizetype kMostTyped = 12;
    if (m_typed.size() < kMostTyped)
        m_typed += QString::number(digit);
    showEntry();
}

void EntryPad::typeDecimalPoint()
{
    if (!m_typed.isEmpty())
        return;  // one point
    if (posCifra() == kLastDigit)
        m_entry.clear();  // a complete entry gives way to a new one
    m_typed = m_entry + QLatin1Char('.');
    m_send->setEnabled(false);
    showEntry();
}

bool EntryPad::hasTypedEntry() const
{
    return !m_typed.isEmpty() || (posCifra() >= 0 && posCifra() < kLastDigit);
}

void EntryPad::pressReturn()
{
    if (!hasTypedEntry()) {
        pressSend();
        return;
    }
    const frequencytext::Typed typed =
        frequencytext::readTyped(m_typed.isEmpty() ? m_entry : m_typed);
    if (!typed.hz || *typed.hz > kNineDigitsHz) {
        emit statusText(kWrongFrequency);  // the typed text stays, to be mended
        return;
    }
    // The value read becomes the nine digits, which the range check passes or refuses.
    m_typed.clear();
    m_entry = nineDigits(*typed.hz);
    showEntry();
    checkEntry();
    pressSend();
}

void EntryPad::eraseLastDigit()
{
    if (!m_typed.isEmpty()) {
        m_typed.chop(1);
        if (!m_typed.contains(QLatin1Char('.')))
            m_typed.clear();  // the point went: the digits keyed before it are the entry again
        showEntry();
        return;
    }
    if (m_entry.isEmpty())
        return;
    m_entry.chop(1);
    showEntry();
    m_send->setEnabled(false);
}

void EntryPad::clearEntry()
{
    m_typed.clear();
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
    QString shown = m_entry;
    if (!m_typed.isEmpty()) {
        // A typed entry shows the value it reads as (nothing while it reads as none).
        const frequencytext::Typed typed = frequencytext::readTyped(m_typed);
        shown = typed.hz && *typed.hz <= kNineDigitsHz ? nineDigits(*typed.hz) : QString();
    }
    for (int i = 0; i < kDigitCount; ++i)
        m_digits[i]->setText(i < shown.size() ? QString(shown.at(i)) : QString());
    // The nine digits read as one value.
    const QString spoken = spokenEntry(shown);
    m_backing->setAccessibleDescription(spoken);
    m_send->setAccessibleDescription(m_send->toolTip().trimmed() + QStringLiteral(": ") + spoken);
    showReading();
}

void EntryPad::showReading()
{
    const QString text = !m_typed.isEmpty() ? m_typed : (hasTypedEntry() ? m_entry : QString());
    if (text.isEmpty()) {
        m_reading->clear();
        m_reading->setAccessibleDescription(kTypedRule);
        return;
    }
    const QString reading =
        text + QLatin1Char(' ') + frequencytext::unitName(frequencytext::readTyped(text).unit);
    m_reading->setText(m_reading->fontMetrics().elidedText(
        reading + QStringLiteral(" \u21B5"), Qt::ElideLeft, m_reading->contentsRect().width()));
    m_reading->setAccessibleDescription(QStringLiteral("Return reads %1. ").arg(reading) +
                                        kTypedRule);
}

void EntryPad::checkEntry()
{
    bool ok = false;
    const qint32 hertz = m_entry.toInt(&ok);
    if (ok && hertz > kLowestExcluded && radioprofile::current().receives(quint64(hertz))) {
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

void EntryPad::setAddMemoryEnabled(bool enabled)
{
    m_addMain->setEnabled(enabled);
}

void EntryPad::focusSend()
{
    m_send->setFocus(Qt::OtherFocusReason);
}
