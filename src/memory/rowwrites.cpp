#include "memory/rowwrites.h"

#include "memory/datafreq.h"
#include "memory/rowstore.h"
#include "memory/sqlitefile.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariantList>

namespace rowwrites {

namespace {

constexpr int kColumns = 10;
constexpr int kSplitParts[] = {memcol::kSMHz, memcol::kSKHz, memcol::kSHz};

/** A yes/no value as the grid or code may hand it over: bool, number, or text. */
int splitValueOf(const QVariant& value)
{
    if (value.typeId() == QMetaType::QString) {
        const QString text = value.toString().trimmed().toLower();
        return text == QLatin1String("true") || text == QLatin1String("yes") ||
                       text == QLatin1String("y") || text == QLatin1String("1") ||
                       text == QLatin1String("-1")
                   ? 1
                   : 0;
    }
    return value.toBool() ? 1 : 0;
}

}  // namespace

QVariant storedValue(int column, const QVariant& value)
{
    if (!value.isValid() || (value.isNull() && value.typeId() != QMetaType::QString))
        return {};
    if (column == memcol::kSplit)
        return splitValueOf(value);
    // A null QString would be bound as NULL; the empty text is stored as the empty text.
    const QString text = value.toString();
    return text.isNull() ? QString(QLatin1String("")) : text;
}

void emptySplitPartsUnlessSplit(MemoryRecord* record, unsigned* changedColumns)
{
    if (record->values[memcol::kSplit].toInt() != 0)
        return;
    for (int c : kSplitParts) {
        const QVariant& part = record->values[c];
        if (part.isNull() || !part.toString().isEmpty()) {
            record->values[c] = QString(QLatin1String(""));
            *changedColumns |= 1u << c;
        }
    }
}

bool update(const QString& connection, const QString& keyColumn, const MemoryRecord& record,
            unsigned columns, const QString& file, AppError* error)
{
    QStringList assignments;
    QVariantList values;
    for (int c = 0; c < kColumns; ++c) {
        if (columns & (1u << c)) {
            assignments.append(QLatin1String(kMemoryFields[c]) + QStringLiteral("=?"));
            values.append(record.values[c]);
        }
    }
    if (assignments.isEmpty())
        return true;
    values.append(record.key);
    QSqlQuery query = sqlitefile::forwardQuery(connection);
    if (!sqlitefile::prepareAndRun(query,
                                   QStringLiteral("UPDATE TabFreq SET ") +
                                       assignments.join(QLatin1Char(',')) +
                                       QStringLiteral(" WHERE %1=?").arg(keyColumn),
                                   values)) {
        *error = sqlitefile::errorFor(query.lastError(), file, errors::kDatabaseError);
        return false;
    }
    if (query.numRowsAffected() == 0) {
        *error = sqlitefile::fileError(errors::kNoCurrentRecord, file,
                                       QStringLiteral("the memory is no longer in the file"));
        return false;
    }
    return true;
}

bool deleteRow(const QString& connection, const QString& keyColumn, qint64 key, const QString& file,
               AppError* error)
{
    QSqlQuery query = sqlitefile::forwardQuery(connection);
    if (!sqlitefile::prepareAndRun(
            query, QStringLiteral("DELETE FROM TabFreq WHERE %1=?").arg(keyColumn), {key})) {
        *error = sqlitefile::errorFor(query.lastError(), file, errors::kDatabaseError);
        return false;
    }
    return true;
}

}  // namespace rowwrites
