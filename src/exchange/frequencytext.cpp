#include "exchange/frequencytext.h"

#include "protocol/radioprofile.h"

namespace frequencytext {

namespace {

/** More integer digits than this cannot be a radio frequency in any unit used here. */
constexpr int kMaxIntegerDigits = 12;

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool isThreeDigits(const QString& text)
{
    return text.size() == 3 && isDigit(text.at(0)) && isDigit(text.at(1)) && isDigit(text.at(2));
}

Parsed refuse(const QString& text, const QString& why)
{
    return {std::nullopt, QStringLiteral("\"%1\" is not a frequency: %2").arg(text, why)};
}

}  // namespace

Parsed parse(const QString& text, int unitDigits)
{
    const QString body = text.trimmed();
    if (body.isEmpty())
        return {std::nullopt, QStringLiteral("the frequency is empty")};
    const qsizetype point = body.indexOf(QLatin1Char('.'));
    const QString whole = point < 0 ? body : body.left(point);
    QString fraction = point < 0 ? QString() : body.mid(point + 1);
    if (whole.isEmpty() && fraction.isEmpty())
        return refuse(text, QStringLiteral("no digits"));
    for (const QString& part : {whole, fraction}) {
        for (QChar c : part) {
            if (!isDigit(c))
                return refuse(text, QStringLiteral("it holds \"%1\"").arg(c));
        }
    }
    while (fraction.endsWith(QLatin1Char('0')))
        fraction.chop(1);
    if (fraction.size() > unitDigits)
        return refuse(text, QStringLiteral("it is finer than 1 Hz"));
    QString digits = whole;
    while (digits.startsWith(QLatin1Char('0')))
        digits.remove(0, 1);
    if (digits.size() > kMaxIntegerDigits)
        return refuse(text, QStringLiteral("it is far too large"));
    qint64 hz = 0;
    for (QChar c : digits + fraction.leftJustified(unitDigits, QLatin1Char('0')))
        hz = hz * 10 + (c.unicode() - u'0');
    return {hz, QString()};
}

bool inRange(qint64 hz)
{
    return hz >= 0 && kRadioProfile.range.contains(quint64(hz));
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
    return QStringLiteral("%1 %2 is outside %3 - %4")
        .arg(what, describe(hz), describe(qint64(kRadioProfile.range.lowestHz)),
             describe(qint64(kRadioProfile.range.highestHz)));
}

Parts partsOf(qint64 hz)
{
    const auto three = [](qint64 value) {
        return QStringLiteral("%1").arg(value, 3, 10, QLatin1Char('0'));
    };
    return {three(hz / 1'000'000), three(hz / 1000 % 1000), three(hz % 1000)};
}

std::optional<qint64> fromParts(const QString& mhz, const QString& khz, const QString& hz)
{
    if (!isThreeDigits(mhz) || !isThreeDigits(khz) || !isThreeDigits(hz))
        return std::nullopt;
    return mhz.toLongLong() * 1'000'000 + khz.toLongLong() * 1000 + hz.toLongLong();
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
