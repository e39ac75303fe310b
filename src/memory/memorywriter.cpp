#include "memory/memorywriter.h"

#include "memory/sqlitefile.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace {

constexpr int kPadDigits = 9;

bool isOneDigit(const QString& caption)
{
    return caption.size() == 1 && caption.at(0) >= QLatin1Char('0') &&
           caption.at(0) <= QLatin1Char('9');
}

}  // namespace

QString normaliseDisplayFrequency(const QString& display)
{
    switch (display.size()) {
        case 8:
            return QStringLiteral("000") + display;
        case 9:
            return QStringLiteral("00") + display;
        case 10:
            return QStringLiteral("0") + display;
        default:
            return display;
    }
}

std::optional<NewMemory> memoryFromDisplay(const QString& display, const QString& modeCaption,
                                           QString* refusal)
{
    if (display.trimmed().isEmpty()) {
        *refusal = QStringLiteral("No frequency is shown yet: the radio has not reported one.");
        return std::nullopt;
    }
    const QString text = normaliseDisplayFrequency(display);
    return NewMemory{text.mid(0, 3), text.mid(4, 3), text.mid(8, 3), modeCaption.trimmed()};
}

std::optional<NewMemory> memoryFromPad(const QStringList& digitCaptions, const QString& modeCaption,
                                       QString* refusal)
{
    bool complete = digitCaptions.size() == kPadDigits;
    for (const QString& caption : digitCaptions)
        complete = complete && isOneDigit(caption);
    if (!complete) {
        *refusal =
            QStringLiteral("The keyed frequency is not complete: a digit has not been keyed yet.");
        return std::nullopt;
    }
    const QString digits = digitCaptions.join(QString());
    return NewMemory{digits.mid(0, 3), digits.mid(3, 3), digits.mid(6, 3), modeCaption.trimmed()};
}

bool MemoryWriter::addMemory(const QString& databasePath, const NewMemory& memory, AppError* error,
                             qint64* key)
{
    const QString connection = sqlitefile::uniqueConnectionName(QStringLiteral("corvane.add"));
    bool readOnly = false;
    if (!sqlitefile::open(connection, databasePath, &readOnly, error))
        return false;
    bool ok = false;
    if (readOnly) {
        *error = sqlitefile::fileError(errors::kDatabaseReadOnly, databasePath,
                                       QStringLiteral("the file is read-only"));
    } else {
        QSqlQuery query(QSqlDatabase::database(connection, false));
        ok = query.prepare(QStringLiteral(
            "INSERT INTO TabFreq (MHz, KHz, Hz, Mode, Split) VALUES (?, ?, ?, ?, 0)"));
        query.addBindValue(memory.mhz);
        query.addBindValue(memory.khz);
        query.addBindValue(memory.hz);
        query.addBindValue(memory.mode);
        ok = ok && query.exec();
        if (!ok)
            *error = sqlitefile::errorFor(query.lastError(), databasePath, errors::kDatabaseError);
        else if (key)
            *key = query.lastInsertId().toLongLong();
    }
    sqlitefile::close(connection);
    return ok;
}
