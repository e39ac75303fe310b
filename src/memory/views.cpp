#include "memory/views.h"

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

}  // namespace

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
                return ViewShape{orderColumnsOf(order), onlyScan, indexOf(order, onlyScan)};
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
