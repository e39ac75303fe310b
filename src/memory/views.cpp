#include "memory/views.h"

#include <QRegularExpression>

#include <algorithm>

namespace {

const QString kByName = QStringLiteral("TabFreqByName");
const QString kByFrequency = QStringLiteral("TabFreqByFreq");
const QString kMarked = QStringLiteral("TabFreqMarked");
const QString kMarkedByName = QStringLiteral("TabFreqMarkedByName");
const QString kMarkedByFrequency = QStringLiteral("TabFreqMarkedByFreq");

QStringList orderColumnsOf(ViewOrder order)
{
    switch (order) {
        case ViewOrder::None:
            break;
        case ViewOrder::ByName:
            return {QStringLiteral("Name"), QStringLiteral("MHz"), QStringLiteral("KHz"),
                    QStringLiteral("Hz")};
        case ViewOrder::ByFrequency:
            return {QStringLiteral("MHz"), QStringLiteral("KHz"), QStringLiteral("Hz")};
    }
    return {};
}

QString indexOf(ViewOrder order, bool onlyScan)
{
    if (!onlyScan)
        return {};  // the engine picks the order's own index by itself
    switch (order) {
        case ViewOrder::None:
            return kMarked;
        case ViewOrder::ByName:
            return kMarkedByName;
        case ViewOrder::ByFrequency:
            return kMarkedByFrequency;
    }
    return {};
}

/** text with LIKE's wildcards and the escape character itself escaped by a backslash. */
QString escapedForLike(const QString& text)
{
    QString escaped;
    for (const QChar c : text) {
        if (c == QLatin1Char('%') || c == QLatin1Char('_') || c == QLatin1Char('\\'))
            escaped += QLatin1Char('\\');
        escaped += c;
    }
    return escaped;
}

bool allDigits(const QString& text)
{
    return std::all_of(text.begin(), text.end(),
                       [](QChar c) { return c.isDigit() && c.unicode() < 128; });
}

/** The start of the nine-digit stored frequency (MHz, KHz, Hz with leading zeros) that a
 *  number with a decimal point or comma stands for in MHz; empty when it is none. */
QString storedFrequencyPrefix(const QString& text)
{
    const qsizetype point = text.indexOf(QRegularExpression(QStringLiteral("[.,]")));
    const QString whole = text.left(point);
    const QString fraction = text.mid(point + 1);
    if (whole.size() > 3 || fraction.size() > 6 || !allDigits(whole) || !allDigits(fraction))
        return {};
    return whole.rightJustified(3, QLatin1Char('0')) + fraction;
}

}  // namespace

ViewCondition findCondition(const QString& text)
{
    const QString find = text.trimmed();
    if (find.isEmpty())
        return {};
    ViewCondition condition;
    condition.sql = QStringLiteral("(Name LIKE ? ESCAPE '\\'");
    condition.binds.append(QLatin1Char('%') + escapedForLike(find) + QLatin1Char('%'));
    if (allDigits(find)) {
        condition.sql += QStringLiteral(" OR ltrim(MHz||KHz||Hz,'0') LIKE ?");
        condition.binds.append(find + QLatin1Char('%'));
    } else if (const QString prefix = storedFrequencyPrefix(find); !prefix.isEmpty()) {
        condition.sql += QStringLiteral(" OR MHz||KHz||Hz LIKE ?");
        condition.binds.append(prefix + QLatin1Char('%'));
    }
    condition.sql += QLatin1Char(')');
    return condition;
}

QString viewQuery(ViewOrder order, bool onlyScan)
{
    QString query = QStringLiteral("SELECT * FROM TabFreq");
    if (onlyScan)
        query += QStringLiteral(" WHERE Scan='Y'");
    switch (order) {
        case ViewOrder::None:
            break;
        case ViewOrder::ByName:
            query += QStringLiteral(" ORDER BY Name,MHz,KHz,Hz");
            break;
        case ViewOrder::ByFrequency:
            query += QStringLiteral(" ORDER BY MHz,KHz,Hz");
            break;
    }
    return query;
}

std::optional<ViewShape> viewShapeOf(const QString& recordSource)
{
    if (recordSource == QLatin1String("TabFreq"))
        return ViewShape{};
    for (ViewOrder order : {ViewOrder::None, ViewOrder::ByName, ViewOrder::ByFrequency}) {
        for (bool onlyScan : {false, true}) {
            if (recordSource == viewQuery(order, onlyScan))
                return ViewShape{orderColumnsOf(order),
                                 onlyScan,
                                 indexOf(order, onlyScan),
                                 {},
                                 order == ViewOrder::ByFrequency};
        }
    }
    return std::nullopt;
}

QStringList viewIndexStatements()
{
    // The filtered views get partial indexes: small (only the marked memories). Scan leads
    // them so that they cover the filter and give the order with rowid right after the
    // ordering columns; the filter alone keeps its own index, whose entries are in row order.
    return {
        QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON TabFreq (Name, MHz, KHz, Hz)")
            .arg(kByName),
        QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON TabFreq (MHz, KHz, Hz)").arg(kByFrequency),
        QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON TabFreq (Scan) WHERE Scan='Y'")
            .arg(kMarked),
        QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON TabFreq (Scan, Name, MHz, KHz, Hz) "
                       "WHERE Scan='Y'")
            .arg(kMarkedByName),
        QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON TabFreq (Scan, MHz, KHz, Hz) "
                       "WHERE Scan='Y'")
            .arg(kMarkedByFrequency),
    };
}

QStringList viewIndexNames()
{
    return {kByName, kByFrequency, kMarked, kMarkedByName, kMarkedByFrequency};
}
