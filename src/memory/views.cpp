#include "memory/views.h"

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
