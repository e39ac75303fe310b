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
    // Column 0 is the row key, whatever name the engine gives it (a rowid alias such as an
    // INTEGER PRIMARY KEY column lends it its name), so the fields are looked up after it.
    const QSqlRecord rec = query.record();
    FieldPositions positions;
    positions.fields.fill(-1);
    for (int c = 0; c < 10; ++c) {
        for (int i = 1; i < rec.count() && positions.fields[c] < 0; ++i) {
            if (rec.fieldName(i).compare(QLatin1String(kMemoryFields[c]), Qt::CaseInsensitive) == 0)
                positions.fields[c] = i;
        }
    }
    return positions;
}

MemoryRecord FieldPositions::read(const QSqlQuery& query) const
{
    MemoryRecord record;
    record.key = query.value(0).toLongLong();
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

bool RowStore::load(const QString& connection, const QString& path, const QString& source,
                    const QString& find, AppError* error)
{
    clear();
    m_connection = connection;
    m_path = path;
    std::optional<FieldPositions> positions;
    const auto keep = [this, &positions](const QSqlQuery& query) {
        if (!positions)
            positions = FieldPositions::of(query);
        MemoryRecord record = positions->read(query);
        m_cache.insert(record.key, std::move(record));
    };
    if (!m_keys.load(connection, path, source, find, kFirstRowsKept, keep, error)) {
        clear();
        return false;
    }
    return true;
}

void RowStore::clear()
{
    m_keys.clear();
    m_cache.clear();
    m_lastReadError.clear();
    m_newReadError.reset();
    m_readErrorReported = false;
}

const MemoryRecord* RowStore::record(int row) const
{
    static const MemoryRecord kAbsent{0, {}, true};
    if (row < 0 || row >= count())
        return nullptr;
    std::optional<qint64> key = m_keys.keyAt(row);
    if (std::optional<AppError> error = m_keys.takeReadError())
        noteReadError(*error);
    if (!key)
        return &kAbsent;  // the file no longer holds it: shown empty, never edited
    auto found = m_cache.constFind(*key);
    if (found == m_cache.constEnd()) {
        readBlock(row);
        found = m_cache.constFind(*key);
    }
    return found == m_cache.constEnd() ? nullptr : &found.value();
}

void RowStore::update(int row, const MemoryRecord& record)
{
    if (row < 0 || row >= count())
        return;
    // Only the fields that views order or filter by can move a row in the file's order.
    constexpr int kPlaceFields[] = {memcol::kName, memcol::kMHz, memcol::kKHz, memcol::kHz,
                                    memcol::kScan};
    const auto old = m_cache.constFind(record.key);
    bool moves = old == m_cache.constEnd();
    for (int c : kPlaceFields)
        moves = moves || old->values[c] != record.values[c];
    if (moves)
        m_keys.noteWritten(record.key);
    m_cache.insert(record.key, record);
}

void RowStore::remove(int row)
{
    if (row < 0 || row >= count())
        return;
    if (const std::optional<qint64> key = m_keys.keyAt(row))
        m_cache.remove(*key);
    m_keys.remove(row);
}

void RowStore::noteReadError(const AppError& error) const
{
    m_lastReadError = error.text;
    if (!m_readErrorReported) {
        m_readErrorReported = true;
        m_newReadError = error;
    }
}

void RowStore::readBlock(int row) const
{
    if (m_cache.size() > kCacheLimit)
        m_cache.clear();
    const int first = row - row % kBlockRows;
    const int last = std::min(first + kBlockRows, count()) - 1;
    QList<qint64> wanted;
    for (qint64 key : m_keys.keysOf(first, last)) {
        if (!m_cache.contains(key))
            wanted.append(key);
    }
    QStringList marks(wanted.size(), QStringLiteral("?"));
    QSqlQuery query = sqlitefile::forwardQuery(m_connection);
    bool ok = query.prepare(
        QStringLiteral("SELECT %1, * FROM TabFreq WHERE %1 IN (").arg(m_keys.keyColumn()) +
        marks.join(QLatin1Char(',')) + QLatin1Char(')'));
    for (qint64 key : std::as_const(wanted))
        query.addBindValue(key);
    if (ok && query.exec()) {
        const FieldPositions positions = FieldPositions::of(query);
        while (query.next()) {
            MemoryRecord record = positions.read(query);
            m_cache.insert(record.key, std::move(record));
        }
    }
    if (query.lastError().isValid())
        noteReadError(sqlitefile::errorFor(query.lastError(), m_path, errors::kDatabaseError));
    // Rows that could not be read show as empty instead of being asked for on every paint;
    // they are marked so that nobody edits (and so overwrites) fields nobody has seen.
    for (qint64 key : std::as_const(wanted)) {
        if (!m_cache.contains(key))
            m_cache.insert(key, MemoryRecord{key, {}, true});
    }
}

std::optional<AppError> RowStore::takeNewReadError() const
{
    std::optional<AppError> error;
    error.swap(m_newReadError);
    return error;
}
