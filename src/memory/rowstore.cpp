#include "memory/rowstore.h"

#include "memory/datafreq.h"
#include "memory/sqlitefile.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <algorithm>

FieldPositions FieldPositions::of(const QSqlQuery& query)
{
    const QSqlRecord rec = query.record();
    FieldPositions positions;
    positions.id = rec.indexOf(QStringLiteral("id"));
    for (int c = 0; c < 10; ++c)
        positions.fields[c] = rec.indexOf(QString::fromLatin1(kMemoryFields[c]));
    return positions;
}

MemoryRecord FieldPositions::read(const QSqlQuery& query) const
{
    MemoryRecord record;
    record.id = query.value(id).toLongLong();
    for (int c = 0; c < 10; ++c) {
        if (fields[c] < 0)
            continue;
        const QVariant value = query.value(fields[c]);
        if (value.isNull())
            continue;
        record.values[c] =
            c == memcol::kSplit ? QVariant(value.toInt()) : QVariant(value.toString());
    }
    return record;
}

bool RowStore::load(const QString& connection, const QString& path, const QString& sql,
                    AppError* error)
{
    clear();
    m_connection = connection;
    m_path = path;
    QSqlQuery query(QSqlDatabase::database(connection, false));
    query.setForwardOnly(true);
    if (!query.exec(sql)) {
        *error = sqlitefile::errorFor(query.lastError(), path, errors::kDatabaseError);
        return false;
    }
    const FieldPositions positions = FieldPositions::of(query);
    if (positions.id < 0) {
        *error = sqlitefile::fileError(errors::kDatabaseError, path,
                                       QStringLiteral("the view has no row key column \"id\""));
        return false;
    }
    while (query.next()) {
        if (m_ids.size() < kFirstRowsKept) {
            MemoryRecord record = positions.read(query);
            m_ids.append(record.id);
            m_cache.insert(record.id, std::move(record));
        } else {
            m_ids.append(query.value(positions.id).toLongLong());
        }
    }
    if (query.lastError().isValid()) {
        *error = sqlitefile::errorFor(query.lastError(), path, errors::kDatabaseError);
        clear();
        return false;
    }
    return true;
}

void RowStore::clear()
{
    m_ids.clear();
    m_cache.clear();
    m_lastReadError.clear();
    m_newReadError.reset();
    m_readErrorReported = false;
}

const MemoryRecord* RowStore::record(int row) const
{
    if (row < 0 || row >= count())
        return nullptr;
    auto found = m_cache.constFind(m_ids.at(row));
    if (found == m_cache.constEnd()) {
        readBlock(row);
        found = m_cache.constFind(m_ids.at(row));
    }
    return found == m_cache.constEnd() ? nullptr : &found.value();
}

void RowStore::update(int row, const MemoryRecord& record)
{
    if (row >= 0 && row < count())
        m_cache.insert(m_ids.at(row), record);
}

void RowStore::remove(int row)
{
    if (row < 0 || row >= count())
        return;
    m_cache.remove(m_ids.at(row));
    m_ids.removeAt(row);
}

void RowStore::readBlock(int row) const
{
    if (m_cache.size() > kCacheLimit)
        m_cache.clear();
    const int first = row - row % kBlockRows;
    const int last = std::min(first + kBlockRows, count());
    QList<qint64> wanted;
    for (int r = first; r < last; ++r) {
        if (!m_cache.contains(m_ids.at(r)))
            wanted.append(m_ids.at(r));
    }
    QStringList marks(wanted.size(), QStringLiteral("?"));
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.setForwardOnly(true);
    bool ok = query.prepare(QStringLiteral("SELECT * FROM TabFreq WHERE id IN (") +
                            marks.join(QLatin1Char(',')) + QLatin1Char(')'));
    for (qint64 id : std::as_const(wanted))
        query.addBindValue(id);
    if (ok && query.exec()) {
        const FieldPositions positions = FieldPositions::of(query);
        while (query.next()) {
            MemoryRecord record = positions.read(query);
            m_cache.insert(record.id, std::move(record));
        }
    }
    if (query.lastError().isValid()) {
        const AppError error =
            sqlitefile::errorFor(query.lastError(), m_path, errors::kDatabaseError);
        m_lastReadError = error.text;
        if (!m_readErrorReported) {
            m_readErrorReported = true;
            m_newReadError = error;
        }
    }
    // Rows that could not be read show as empty instead of being asked for on every paint;
    // they are marked so that nobody edits (and so overwrites) fields nobody has seen.
    for (qint64 id : std::as_const(wanted)) {
        if (!m_cache.contains(id))
            m_cache.insert(id, MemoryRecord{id, {}, true});
    }
}

std::optional<AppError> RowStore::takeNewReadError() const
{
    std::optional<AppError> error;
    error.swap(m_newReadError);
    return error;
}
