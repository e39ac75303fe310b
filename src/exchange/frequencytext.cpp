#include "exchange/frequencytext.h"

#include "profile/radioprofile.h"

#include <QStringList>

#include <array>

namespace frequencytext {

namespace {

/** More integer digits than this cannot be a radio frequency in any unit used here. */
constexpr int kMaxIntegerDigits = 12;

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool isThreeDigits(QStringView text)
{
    return text.size() == 3 && isDigit(text.at(0)) && isDigit(text.at(1)) && isDigit(text.at(2));
}

Parsed refuse(QStringView text, const QString& why)
{
    return {std::nullopt, QStringLiteral("\"%1\" is not a frequency: %2").arg(text, why)};
}

}  // namespace

Parsed parse(QStringView text, int unitDigits)
{
    // Views only: read for every row of an import, this allocates nothing unless it refuses.
    const QStringView body = text.trimmed();
    if (body.isEmpty())
        return {std::nullopt, QStringLiteral("the frequency is empty")};
    const qsizetype point = body.indexOf(QLatin1Char('.'));
    const QStringView whole = point < 0 ? body : body.first(point);
    QStringView fraction = point < 0 ? QStringView() : body.sliced(point + 1);
    if (whole.isEmpty() && fraction.isEmpty())
        return refuse(text, QStringLiteral("no digits"));
    for (const QStringView part : {whole, fraction}) {
        for (QChar c : part) {
            if (!isDigit(c))
                return refuse(text, QStringLiteral("it holds \"%1\"").arg(c));
        }
    }
    while (fraction.endsWith(QLatin1Char('0')))
        fraction.chop(1);
    if (fraction.size() > unitDigits)
        return refuse(text, QStringLiteral("it is finer than 1 Hz"));
    QStringView digits = whole;
    while (digits.startsWith(QLatin1Char('0')))
        digits = digits.sliced(1);
    if (digits.size() > kMaxIntegerDigits)
        return refuse(text, QStringLiteral("it is far too large"));
    qint64 hz = 0;
    for (QChar c : digits)
        hz = hz * 10 + (c.unicode() - u'0');
    for (qsizetype i = 0; i < unitDigits; ++i)
        hz = hz * 10 + (i < fraction.size() ? fraction.at(i).unicode() - u'0' : 0);
    return {hz, QString()};
}

bool inRange(qint64 hz)
{
    return hz >= 0 && radioprofile::current().receives(quint64(hz));
}

QString megahertzText(qint64 hz)
{
    return QStringLiteral("%1.%2").arg(hz / 1'000'000).arg(hz % 1'000'000, 6, 10, QLatin1Char('0'));
}

QString describe(qint64 hz)
{
    return megahertzText(hz) + QStringLiteral(" MHz");
}

QString outOfRange(const QString& what, qint64 hz)
{
    QStringList ranges;
    for (const FrequencyRange& range : radioprofile::current().ranges)
        ranges.append(QStringLiteral("%1 - %2").arg(describe(qint64(range.lowestHz)),
                                                    describe(qint64(range.highestHz))));
    return QStringLiteral("%1 %2 is outside %3")
        .arg(what, describe(hz), ranges.join(QStringLiteral(" and ")));
}

Parts partsOf(qint64 hz)
{
    // "000" to "999" made once and shared: an import makes up to six parts a row.
    static const std::array<QString, 1000> kThreeDigits = [] {
        std::array<QString, 1000> texts;
        for (int value = 0; value < 1000; ++value)
            texts[std::size_t(value)] = QStringLiteral("%1").arg(value, 3, 10, QLatin1Char('0'));
        return texts;
    }();
    const auto three = [](qint64 value) {
        return value >= 0 && value < 1000
                   ? kThreeDigits[std::size_t(value)]
                   : QStringLiteral("%1").arg(value, 3, 10, QLatin1Char('0'));
    };
    return {three(hz / 1'000'000), three(hz / 1000 % 1000), three(hz % 1000)};
}

std::optional<qint64> fromParts(QStringView mhz, QStringView khz, QStringView hz)
{
    if (!isThreeDigits(mhz) || !isThreeDigits(khz) || !isThreeDigits(hz))
        return std::nullopt;
    const auto value = [](QStringView digits) {
        return (digits.at(0).unicode() - u'0') * 100 + (digits.at(1).unicode() - u'0') * 10 +
               (digits.at(2).unicode() - u'0');
    };
    return qint64(value(mhz)) * 1'000'000 + value(khz) * 1000 + value(hz);
}

Typed readTyped(const QString& text)
{
    QString body = text.trimmed();
    body.replace(QLatin1Char(','), QLatin1Char('.'));
    constexpr qsizetype kMostKilohertzDigits = 6;
    Typed typed;
    if (body.contains(QLatin1Char('.')))
        typed.unit = TypedUnit::MHz;
    else
        typed.unit = body.size() <= kMostKilohertzDigits ? TypedUnit::kHz : TypedUnit::Hz;
    const int unitDigits =
        typed.unit == TypedUnit::MHz ? 6 : (typed.unit == TypedUnit::kHz ? 3 : 0);
    typed.hz = parse(body, unitDigits).hz;
    return typed;
}

QString unitName(TypedUnit unit)
{
    switch (unit) {
        case TypedUnit::MHz:
            return QStringLiteral("MHz");
        case TypedUnit::kHz:
            return QStringLiteral("kHz");
        case TypedUnit::Hz:
            break;
    }
    return QStringLiteral("Hz");
}

}  // namespace frequencytext
