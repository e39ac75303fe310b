#include "exchange/memoryformat.h"

#include "memory/datafreq.h"

#include <QStringList>

QString formatKey(MemoryFormat format)
{
    switch (format) {
        case MemoryFormat::Chirp:
            return QStringLiteral("chirp");
        case MemoryFormat::Gqrx:
            return QStringLiteral("gqrx");
        case MemoryFormat::OwnCsv:
            break;
    }
    return QStringLiteral("csv");
}

std::optional<MemoryFormat> formatFromKey(const QString& key)
{
    for (MemoryFormat f : {MemoryFormat::Chirp, MemoryFormat::Gqrx, MemoryFormat::OwnCsv}) {
        if (key.compare(formatKey(f), Qt::CaseInsensitive) == 0)
            return f;
    }
    return std::nullopt;
}

QString formatTitle(MemoryFormat format)
{
    switch (format) {
        case MemoryFormat::Chirp:
            return QStringLiteral("CHIRP CSV");
        case MemoryFormat::Gqrx:
            return QStringLiteral("gqrx bookmarks");
        case MemoryFormat::OwnCsv:
            break;
    }
    return QStringLiteral("Corvane CSV");
}

namespace {

QStringList headerNames(const QString& line)
{
    QStringList names;
    for (QString name : line.split(QLatin1Char(','))) {
        name = name.trimmed();
        if (name.size() >= 2 && name.startsWith(QLatin1Char('"')) &&
            name.endsWith(QLatin1Char('"')))
            name = name.mid(1, name.size() - 2);
        names.append(name.toLower());
    }
    return names;
}

bool isOwnHeader(const QStringList& names)
{
    for (const char* field : kMemoryFields) {
        if (!names.contains(QString::fromLatin1(field).toLower()))
            return false;
    }
    return true;
}

}  // namespace

FormatGuess guessFormat(const QStringList& firstLines)
{
    for (const QString& raw : firstLines) {
        const QString line = raw.trimmed();
        if (line.isEmpty())
            continue;
        if (line.startsWith(QLatin1Char('#'))) {
            // gqrx writes a commented header: "# Tag name ; color", "# Frequency ; Name ...".
            const QString lower = line.toLower();
            if (lower.contains(QLatin1String("tag name")) ||
                (lower.contains(QLatin1String("frequency")) && line.contains(QLatin1Char(';'))))
                return {MemoryFormat::Gqrx, false};
            if (lower.contains(QLatin1String("frequency")) &&
                lower.contains(QLatin1String("modulation")))
                return {MemoryFormat::Gqrx, true};
            continue;
        }
        const QStringList names = headerNames(line);
        if (isOwnHeader(names))
            return {MemoryFormat::OwnCsv, false};
        if (names.contains(QLatin1String("frequency")) || names.contains(QLatin1String("location")))
            return {MemoryFormat::Chirp, false};
        if (line.contains(QLatin1Char(';')))
            return {MemoryFormat::Gqrx, false};
        if (names.size() == 4) {
            bool isNumber = false;
            names.first().toLongLong(&isNumber);
            if (isNumber)
                return {MemoryFormat::Gqrx, true};
        }
        return {};
    }
    return {};
}
