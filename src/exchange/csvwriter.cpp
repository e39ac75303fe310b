#include "exchange/csvwriter.h"

QString csvField(const QString& text, QChar separator, bool quoted)
{
    const bool needs = quoted || text.contains(separator) || text.contains(QLatin1Char('"')) ||
                       text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r')) ||
                       text.startsWith(QLatin1Char('#'));
    if (!needs)
        return text;
    QString inner = text;
    inner.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + inner + QLatin1Char('"');
}
