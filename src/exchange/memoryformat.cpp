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

/** The fields of a line split at separator, trimmed and in lower case. */
QStringList fieldsOf(const QString& line, QChar separator)
{
    QStringList fields = line.split(separator);
    for (QString& field : fields)
        field = field.trimmed().toLower();
    return fields;
}

bool isWholeNumber(const QString& text)
{
    bool ok = false;
    text.toLongLong(&ok);
    return ok;
}

/** gqrx's commented headers: "# Tag name ; color" and "# Frequency ; Name ; Modulation ;
 *  Bandwidth ; Tags" (separator ";"), or the older "# Frequency , Name , Modulation ,
 *  Bandwidth" (","). */
bool isGqrxComment(const QString& comment, QChar separator)
{
    const QStringList fields = fieldsOf(comment, separator);
    if (separator == QLatin1Char(';') && fields.size() == 2 &&
        fields.at(0) == QLatin1String("tag name") && fields.at(1) == QLatin1String("color"))
        return true;
    return fields.size() >= 3 && fields.at(0) == QLatin1String("frequency") &&
           fields.at(1) == QLatin1String("name") && fields.at(2) == QLatin1String("modulation");
}

/** A gqrx bookmark line: a whole number of hertz, then name, modulation and bandwidth (and
 *  tags, and gqrx's later extra field, in the current form). */
bool isGqrxBookmark(const QString& line, QChar separator)
{
    const QStringList fields = fieldsOf(line, separator);
    const bool count = separator == QLatin1Char(';') ? fields.size() == 5 || fields.size() == 6
                                                     : fields.size() == 4;
    return count && isWholeNumber(fields.at(0)) && isWholeNumber(fields.at(3));
}

/** gqrx's tag table line: "name ; #rrggbb". */
bool isGqrxTag(const QString& line)
{
    const QStringList fields = fieldsOf(line, QLatin1Char(';'));
    return fields.size() == 2 && fields.at(1).size() == 7 &&
           fields.at(1).startsWith(QLatin1Char('#'));
}

}  // namespace

FormatGuess guessFormat(const QStringList& firstLines)
{
    // Comments are passed over unless they are gqrx's own headers (a CHIRP file may open
    // with one of its own); the first other line decides: a header of the own CSV or of
    // CHIRP, or a line of gqrx's tag table or bookmarks.
    for (const QString& raw : firstLines) {
        const QString line = raw.trimmed();
        if (line.isEmpty())
            continue;
        if (line.startsWith(QLatin1Char('#'))) {
            const QString comment = line.mid(1);
            if (isGqrxComment(comment, QLatin1Char(';')))
                return {MemoryFormat::Gqrx, false};
            if (isGqrxComment(comment, QLatin1Char(',')))
                return {MemoryFormat::Gqrx, true};
            continue;
        }
        const QStringList names = headerNames(line);
        if (isOwnHeader(names))
            return {MemoryFormat::OwnCsv, false};
        if (names.contains(QLatin1String("frequency")) || names.contains(QLatin1String("location")))
            return {MemoryFormat::Chirp, false};
        if (isGqrxBookmark(line, QLatin1Char(';')) || isGqrxTag(line))
            return {MemoryFormat::Gqrx, false};
        if (isGqrxBookmark(line, QLatin1Char(',')))
            return {MemoryFormat::Gqrx, true};
        return {};
    }
    return {};
}
