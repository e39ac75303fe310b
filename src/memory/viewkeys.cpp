#include "memory/viewkeys.h"

#include "memory/sqlitefile.h"

#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <algorithm>

namespace {

/** The statement a record source stands for, with the row key as its first column: a bare
 *  table name reads the whole table; "SELECT * FROM t ..." gets the key in front of "*".
 *  Empty when the text has no place for the key. */
QString wholeStatementFor(const QString& source, const QString& keyColumn)
{
    static const QRegularExpression kTableName(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    static const QRegularExpression kSelectAll(
        QStringLiteral("^\\s*SELECT\\s+\\*\\s+FROM\\s+([A-Za-z_][A-Za-z0-9_]*)\\b"),
        QRegularExpression::CaseInsensitiveOption);
    const QString statement =
        kTableName.match(source).hasMatch() ? QStringLiteral("SELECT * FROM ") + source : source;
    const QRegularExpressionMatch match = kSelectAll.match(statement);
    if (!match.hasMatch())
        return {};
    return QStringLiteral("SELECT %1.%2, * FROM %1").arg(match.captured(1), keyColumn) +
           statement.mid(match.capturedEnd());
}

}  // namespace

void ViewKeys::addIndexes(const QString& connection)
{
    QSqlDatabase db = QSqlDatabase::database(connection, false);
    QSqlQuery existing = sqlitefile::forwardQuery(connection);
    // Nothing is written when every index is there already (the template has them).
    if (existing.exec(QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE type='index' "
                                     "AND tbl_name='TabFreq' COLLATE NOCASE AND name IN "
                                     "('%1')")
                          .arg(viewIndexNames().join(QStringLiteral("','")))) &&
        existing.next() && existing.value(0).toInt() == viewIndexNames().size())
        return;
    existing = QSqlQuery();
    if (!db.transaction())
        return;
    bool ok = true;
    for (const QString& statement : viewIndexStatements()) {
        QSqlQuery query(db);
        ok = ok && query.exec(statement);
    }
    // All or none: a table whose columns do not fit is left as it was and read whole.
    if (!(ok && db.commit()))
        db.rollback();
}

void ViewKeys::clear()
{
    m_segments.clear();
    m_count = 0;
    m_exhausted = false;
    m_drifted = false;
    m_written.clear();
    m_readError.reset();
    m_mode = Mode::Whole;
}

bool ViewKeys::complete() const
{
    return m_exhausted || (m_segments.size() == 1 && m_segments.front().end() >= m_count);
}

bool ViewKeys::load(const QString& connection, const QString& path, const QString& source,
                    const QString& find, int firstRows, const RowSink& sink, AppError* error)
{
    clear();
    m_connection = connection;
    m_path = path;
    if (!findKeyColumn(error))
        return false;
    if (std::optional<ViewShape> shape = viewShapeOf(source)) {
        shape->find = findCondition(find);
        m_reader = KeysetReader(connection, path, *shape, m_keyColumn);
        if (m_reader.servedByIndex())
            return loadWindowed(firstRows, sink, error);
        if (!shape->find.sql.isEmpty()) {
            QVariantList binds;
            const QString statement = m_reader.allRowsStatement(&binds);
            return loadWhole(statement, binds, firstRows, sink, error);
        }
    }
    // As written, once (a find text has no place in a record source of unknown shape).
    return loadWhole(wholeStatementFor(source, m_keyColumn), {}, firstRows, sink, error);
}

bool ViewKeys::findKeyColumn(AppError* error)
{
    QStringList columns;
    for (const sqlitefile::Column& column : sqlitefile::tabFreqColumns(m_connection))
        columns.append(column.name.toLower());
    for (const char* name : {"rowid", "_rowid_", "oid"}) {
        if (columns.contains(QLatin1String(name)))
            continue;
        QSqlQuery probe = sqlitefile::forwardQuery(m_connection);
        if (probe.exec(QStringLiteral("SELECT %1 FROM TabFreq LIMIT 0").arg(QLatin1String(name)))) {
            m_keyColumn = QLatin1String(name);
            return true;
        }
        break;  // a table without rowid
    }
    *error =
        sqlitefile::fileError(errors::kDatabaseError, m_path,
                              QStringLiteral("the table TabFreq has no rowid to key its rows"));
    return false;
}

bool ViewKeys::loadWhole(const QString& statement, const QVariantList& binds, int firstRows,
                         const RowSink& sink, AppError* error)
{
    m_mode = Mode::Whole;
    if (statement.isEmpty()) {
        *error = sqlitefile::fileError(errors::kDatabaseError, m_path,
                                       QStringLiteral("the view does not read SELECT * FROM a "
                                                      "table, so its rows have no key"));
        return false;
    }
    QSqlQuery query = sqlitefile::forwardQuery(m_connection);
    if (!sqlitefile::prepareAndRun(query, statement, binds)) {
        *error = sqlitefile::errorFor(query.lastError(), m_path, errors::kDatabaseError);
        return false;
    }
    Segment all;
    while (query.next()) {
        if (all.keys.size() < firstRows)
            sink(query);
        all.keys.append(query.value(0).toLongLong());
    }
    if (query.lastError().isValid()) {
        *error = sqlitefile::errorFor(query.lastError(), m_path, errors::kDatabaseError);
        clear();
        return false;
    }
    m_count = static_cast<int>(all.keys.size());
    m_segments.push_back(all);
    return true;
}

bool ViewKeys::loadWindowed(int firstRows, const RowSink& sink, AppError* error)
{
    m_mode = Mode::Windowed;
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    // Count and first rows in one read transaction: the same state of the file.
    if (!db.transaction()) {
        *error = sqlitefile::errorFor(db.lastError(), m_path, errors::kDatabaseError);
        return false;
    }
    Segment first;
    qint64 total = 0;
    bool ok = m_reader.count(&total, error);
    QSqlQuery query = sqlitefile::forwardQuery(m_connection);
    QVariantList binds;
    const QString statement = m_reader.firstRowsStatement(&binds);
    binds.append(firstRows);
    if (ok && !sqlitefile::prepareAndRun(query, statement, binds)) {
        *error = sqlitefile::errorFor(query.lastError(), m_path, errors::kDatabaseError);
        ok = false;
    }
    while (ok && query.next()) {
        sink(query);
        first.keys.append(query.value(0).toLongLong());
        first.cursor = m_reader.cursorAt(query);
    }
    if (ok && query.lastError().isValid()) {
        *error = sqlitefile::errorFor(query.lastError(), m_path, errors::kDatabaseError);
        ok = false;
    }
    query = QSqlQuery();
    db.commit();
    if (!ok) {
        clear();
        return false;
    }
    m_count = static_cast<int>(total);
    m_exhausted = first.keys.size() < std::min<qint64>(firstRows, total);
    m_segments.push_back(first);
    return true;
}

/** The index of the last segment that starts at or before row (segment 0 starts at 0). */
int ViewKeys::segmentBefore(int row) const
{
    const auto after = std::upper_bound(m_segments.begin(), m_segments.end(), row,
                                        [](int r, const Segment& s) { return r < s.start; });
    return static_cast<int>(after - m_segments.begin()) - 1;
}

void ViewKeys::joinWithNext(int index)
{
    if (index + 1 >= static_cast<int>(m_segments.size()))
        return;
    Segment& segment = m_segments[index];
    Segment& next = m_segments[index + 1];
    if (segment.end() < next.start)
        return;
    if (next.end() >= segment.end() && next.cursor.valid)
        segment.cursor = next.cursor;
    segment.keys += next.keys.mid(segment.end() - next.start);
    m_segments.erase(m_segments.begin() + index + 1);
}

/** Reads up to `wanted` keys after segment `index`, up to the next segment, and joins the
 *  two when the gap is closed. */
bool ViewKeys::extend(int index, int wanted, AppError* error)
{
    Segment& segment = m_segments[index];
    const bool last = index + 1 == static_cast<int>(m_segments.size());
    const int limit = last ? m_count : m_segments[index + 1].start;
    const int want = std::min(wanted, limit - segment.end());
    if (want <= 0)
        return true;
    KeysetRun run;
    if (!segment.cursor.valid) {  // nothing read yet: the view's first rows
        if (!m_reader.readAt(0, want, m_count, &run, error))
            return false;
        run.endReached = run.keys.size() < want;
    } else if (!m_reader.readAfter(segment.cursor, want, m_written, &run, error)) {
        return false;
    }
    segment.keys += run.keys;
    if (!run.keys.isEmpty())
        segment.cursor = run.last;
    if (run.endReached && segment.end() < limit) {
        m_exhausted = true;  // another program took rows away: the rest has no keys
        return true;
    }
    joinWithNext(index);
    return true;
}

/** Reads the keys around row by its position; only while positions in the file's order are
 *  those of the snapshot (nothing written since load()). */
bool ViewKeys::readIsland(int row, AppError* error)
{
    const int before = segmentBefore(row);
    const int gapStart = m_segments[before].end();
    const int gapEnd =
        before + 1 < static_cast<int>(m_segments.size()) ? m_segments[before + 1].start : m_count;
    const int first = std::max(gapStart, std::min(row - kIslandRows / 2, gapEnd - kIslandRows));
    const int size = std::min(kIslandRows, gapEnd - first);
    KeysetRun run;
    if (!m_reader.readAt(first, size, m_count, &run, error))
        return false;
    if (run.keys.size() != size) {
        m_drifted = true;  // the file changed under the snapshot: read from the edges
        return true;
    }
    Segment island{first, run.keys, run.last};
    m_segments.insert(m_segments.begin() + before + 1, island);
    joinWithNext(before + 1);
    joinWithNext(before);
    return true;
}

std::optional<qint64> ViewKeys::keyAt(int row)
{
    if (row < 0 || row >= m_count || m_segments.empty())
        return std::nullopt;
    for (int tries = 0; tries < 3; ++tries) {
        const int index = segmentBefore(row);
        const Segment& segment = m_segments[index];
        if (row < segment.end())
            return segment.keys.at(row - segment.start);
        if (m_exhausted || m_mode != Mode::Windowed)
            return std::nullopt;
        AppError error;
        const int gap = row - segment.end();
        const bool ok = !m_drifted && gap >= kChunkRows
                            ? readIsland(row, &error)
                            : extend(index, std::max(kChunkRows, gap + 1), &error);
        if (!ok) {
            m_exhausted = true;  // shown as rows without a key until the next load
            if (!m_readError)
                m_readError = error;
        }
    }
    return std::nullopt;
}

void ViewKeys::readAhead()
{
    if (complete())
        return;
    AppError error;
    if (!extend(0, kChunkRows, &error)) {
        m_exhausted = true;
        if (!m_readError)
            m_readError = error;
    }
}

QList<qint64> ViewKeys::keysOf(int first, int last)
{
    QList<qint64> keys;
    for (int row = first; row <= last; ++row) {
        if (const std::optional<qint64> key = keyAt(row))
            keys.append(*key);
    }
    return keys;
}

void ViewKeys::shiftAfter(int row, int by)
{
    for (Segment& segment : m_segments) {
        if (segment.start > row)
            segment.start += by;
    }
    m_count += by;
}

void ViewKeys::remove(int row)
{
    if (row < 0 || row >= m_count)
        return;
    const int index = segmentBefore(row);
    Segment& segment = m_segments[index];
    if (row < segment.end())
        segment.keys.removeAt(row - segment.start);
    shiftAfter(row, -1);
}

ViewKeys::Placement ViewKeys::add(qint64 key, AppError* error)
{
    if (m_mode != Mode::Windowed || m_drifted)
        return {Placement::Reload, -1};
    std::optional<QVariantList> values;
    if (!m_reader.valuesOf(key, &values, error))
        return {Placement::Reload, -1};
    if (!values)
        return {Placement::NotInView, -1};
    qint64 before = 0;
    if (!m_reader.rowsBefore(*values, key, &before, error))
        return {Placement::Reload, -1};
    const int row = static_cast<int>(std::clamp<qint64>(before, 0, m_count));
    const int index = segmentBefore(row);
    Segment& segment = m_segments[index];
    // Inside a run of keys read, or at its end (where it becomes the place to go on reading
    // from), the key joins the run; in a gap it is read with the gap, as a row of the file.
    if (row <= segment.end()) {
        segment.keys.insert(row - segment.start, key);
        if (row == segment.end() - 1)
            segment.cursor = KeysetCursor{*values, key, true};
    }
    shiftAfter(row, 1);
    return {Placement::Inserted, row};
}

std::optional<AppError> ViewKeys::takeReadError()
{
    std::optional<AppError> error;
    error.swap(m_readError);
    return error;
}
