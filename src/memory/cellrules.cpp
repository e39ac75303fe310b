#include "memory/cellrules.h"

#include "memory/datafreq.h"
#include "profile/radioprofile.h"
#include "protocol/civ.h"

#include <QRegularExpression>

#include <charconv>
#include <cmath>
#include <system_error>

namespace {

const QString kWrongFrequency = QStringLiteral("Wrong frequency");
const QString kWrongFormat = QStringLiteral("Wrong frequency format");
const QString kErrorBeforeUpdate = QStringLiteral("Error Before Update");
const QString kWrongMode = QStringLiteral("Wrong operation mode");

/** "Wrong operation mode", then the modes the cell takes, in the radio's code order. */
QString wrongModeText()
{
    QStringList modes;
    for (quint8 code = 0; !modeName(code).isEmpty(); ++code)
        modes.append(modeName(code));
    return kWrongMode + QStringLiteral(". Use: ") + modes.join(QStringLiteral(", "));
}
const QString kWrongScanFlag = QStringLiteral("Wrong scan flag. Use: Y,N");

constexpr int kFrequencyPartWidth = 3;

/** Blanks the conversion ignores around a number. */
bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

QString trimBlanks(const QString& text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && isBlank(text.at(first)))
        ++first;
    while (last > first && isBlank(text.at(last - 1)))
        --last;
    return text.mid(first, last - first);
}

/** Accepted range of one frequency column. */
struct Range {
    int low;
    int high;
};

Range rangeOf(int column)
{
    if (column == memcol::kMHz || column == memcol::kSMHz)
        return {1, 200};
    return {0, 999};
}

/** Above 200 MHz a megahertz cell takes what the radio in use receives: 400 to 470 for an
 *  IC-706MKIIG, nothing for the others. */
bool receivedMegahertz(int column, int megahertz)
{
    if ((column != memcol::kMHz && column != memcol::kSMHz) || megahertz <= 200)
        return false;
    const quint64 from = quint64(megahertz) * 1'000'000;
    for (const FrequencyRange& range : radioprofile::current().ranges) {
        if (range.lowestHz <= from + 999'999 && range.highestHz >= from)
            return true;
    }
    return false;
}

bool isSplitPart(int column)
{
    return column == memcol::kSMHz || column == memcol::kSKHz || column == memcol::kSHz;
}

bool isMainPart(int column)
{
    return column == memcol::kMHz || column == memcol::kKHz || column == memcol::kHz;
}

QString padded(const QString& text)
{
    return text.size() < kFrequencyPartWidth ? text.rightJustified(kFrequencyPartWidth, u'0')
                                             : text;
}

CellVerdict refused(const QString& cellText, const QString& message,
                    CellVerdict::Icon icon = CellVerdict::Icon::None)
{
    return CellVerdict{true, cellText, message, icon};
}

CellVerdict accepted(const QString& cellText)
{
    return CellVerdict{false, cellText, QString(), CellVerdict::Icon::None};
}

/**
 * MHz, KHz, Hz and their split twins. An accepted number is stored as its value in three
 * digits with leading zeros (so " 7", "7.0" and "007" all become "007" and the stored form
 * stays three digits). A refused number brings the previous value back, padded the same
 * way unless it is an empty split part. A text that does not convert keeps what was typed.
 */
CellVerdict frequencyRule(int column, const QString& typed, const QString& previous)
{
    const bool split = isSplitPart(column);
    if (split && trimBlanks(typed).isEmpty())
        return accepted(QString());  // an empty split part is valid, silently

    const Int16Conversion number = convertInt16(typed);
    if (number.status == Int16Conversion::Status::Format)
        return refused(typed, kWrongFormat);
    if (number.status == Int16Conversion::Status::Overflow)
        return refused(typed, kErrorBeforeUpdate, CellVerdict::Icon::Critical);

    const Range range = rangeOf(column);
    if ((number.value < range.low || number.value > range.high) &&
        !receivedMegahertz(column, number.value)) {
        const bool keepEmpty = split && previous.isEmpty();
        return refused(keepEmpty ? previous : padded(previous), kWrongFrequency);
    }
    return accepted(padded(QString::number(number.value)));
}

CellVerdict modeRule(const QString& typed, const QString& previous)
{
    // The modes the radio knows, by the names the protocol gives them.
    const QString mode = typed.trimmed().toUpper();
    if (!modeCode(mode))
        return refused(previous, wrongModeText());
    return accepted(mode);
}

/** "Y" marks the memory; the empty text and "N" both store the empty text, the one form
 *  of an unmarked memory that the scan toggle also writes. */
CellVerdict scanRule(const QString& typed, const QString& previous)
{
    const QString flag = typed.trimmed().toUpper();
    if (flag == QLatin1String("Y"))
        return accepted(flag);
    if (flag.isEmpty() || flag == QLatin1String("N"))
        return accepted(QString());
    return refused(previous, kWrongScanFlag);
}

}  // namespace

Int16Conversion convertInt16(const QString& text)
{
    static const QRegularExpression kNumber(
        QStringLiteral("^[+-]?([0-9]+(\\.[0-9]*)?|\\.[0-9]+)([eE][+-]?[0-9]+)?$"));
    const QString body = trimBlanks(text);
    if (!kNumber.match(body).hasMatch())
        return {Int16Conversion::Status::Format, 0};

    // from_chars reads the C notation whatever the process locale; it takes no '+' sign.
    const QByteArray latin = body.toLatin1();
    const char* begin = latin.constData() + (latin.startsWith('+') ? 1 : 0);
    double value = 0.0;
    const auto [end, status] = std::from_chars(begin, latin.constData() + latin.size(), value);
    if (status == std::errc::result_out_of_range) {
        // Out of a double's range: too small rounds to 0, too large overflows.
        if (!body.contains(QLatin1String("e-"), Qt::CaseInsensitive))
            return {Int16Conversion::Status::Overflow, 0};
        value = 0.0;
    } else if (status != std::errc() || end != latin.constData() + latin.size()) {
        return {Int16Conversion::Status::Format, 0};
    }
    // nearbyint rounds in the default mode, to nearest with a half to the even neighbour.
    const double whole = std::nearbyint(value);
    if (!std::isfinite(whole) || whole < -32768.0 || whole > 32767.0)
        return {Int16Conversion::Status::Overflow, 0};
    return {Int16Conversion::Status::Ok, static_cast<int>(whole)};
}

CellVerdict checkCellEdit(int column, const QString& typed, const QString& previous)
{
    if (isMainPart(column) || isSplitPart(column))
        return frequencyRule(column, typed, previous);
    if (column == memcol::kMode)
        return modeRule(typed, previous);
    if (column == memcol::kScan)
        return scanRule(typed, previous);
    return accepted(typed);  // Name and Split have no rule
}

bool splitFromParts(const QString& sMHz, const QString& sKHz, const QString& sHz)
{
    return !sMHz.isEmpty() && !sKHz.isEmpty() && !sHz.isEmpty();
}
