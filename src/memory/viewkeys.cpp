#include "memory/viewkeys.h"

#include "memory/sqlitefile.h"

#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <algorithm>

namespace {

QSqlQuery queryOn(const QString& connection)
{
    QSqlQuery query(QSqlDatabase::database(connection, false));
    query.setForwardOnly(true);
    return query;
}

bool run(QSqlQuery& query, const QString& sql, const QVariantList& binds)
{
    if (!query.prepare(sql))
        return false;
    for (const QVariant& value : binds)
        query.addBindValue(value);
    return query.exec();
}

QString whereOf(const QStringList& conditions)
{
    return conditions.isEmpty() ? QString() : QStringLiteral(" WHERE ") + conditions.join(" AND ");
}

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
    QSqlQuery existing = queryOn(connection);
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
    m_keys.clear();
    m_count = 0;
    m_exhausted = true;
    m_cursorValues.clear();
    m_written.clear();
    m_readError.reset();
    m_mode = Mode::Whole;
}

bool ViewKeys::complete() const
{
    return m_exhausted || m_keys.size() >= m_count;
}

bool ViewKeys::load(const QString& connection, const QString& path, const QString& source,
                    int firstRows, const RowSink& sink, AppError* error)
{
    clear();
    m_connection = connection;
    m_path = path;
    if (!findKeyColumn(error))
        return false;
    const std::optional<ViewShape> shape = viewShapeOf(source);
    if (shape) {
        m_shape = *shape;
        if (loadWindowed(firstRows, sink, error))
            return true;
        clear();  // no serving index: the record source is run whole below
    }
    return loadWhole(source, firstRows, sink, error);
}

bool ViewKeys::findKeyColumn(AppError* error)
{
    QSqlQuery query = queryOn(m_connection);
    QStringList columns;
    if (query.exec(QStringLiteral("PRAGMA table_info(TabFreq)"))) {
        while (query.next())
            columns.append(query.value(1).toString().toLower());
    }
    for (const char* name : {"rowid", "_rowid_", "oid"}) {
        if (columns.contains(QLatin1String(name)))
            continue;
        QSqlQuery probe = queryOn(m_connection);
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

bool ViewKeys::loadWhole(const QString& source, int firstRows, const RowSink& sink, AppError* error)
{
    m_mode = Mode::Whole;
    const QString statement = wholeStatementFor(source, m_keyColumn);
    if (statement.isEmpty()) {
        *error = sqlitefile::fileError(errors::kDatabaseError, m_path,
                                       QStringLiteral("the view does not read SELECT * FROM a "
                                                      "table, so its rows have no key"));
        return false;
    }
    QSqlQuery query = queryOn(m_connection);
    if (!query.exec(statement)) {
        *error = sqlitefile::errorFor(query.lastError(), m_path, errors::kDatabaseError);
        return false;
    }
    while (query.next()) {
        if (m_keys.size() < firstRows)
            sink(query);
        m_keys.append(query.value(0).toLongLong());
    }
    if (query.lastError().isValid()) {
        *error = sqlitefile::errorFor(query.lastError(), m_path, errors::kDatabaseError);
        clear();
        return false;
    }
    m_count = static_cast<int>(m_keys.size());
    return true;
}

QString ViewKeys::from() const
{
    QString text = QStringLiteral(" FROM TabFreq");
    if (!m_shape.index.isEmpty())
        text += QStringLiteral(" INDEXED BY ") + m_shape.index;
    return text;
}

QString ViewKeys::orderBy() const
{
    return QStringLiteral(" ORDER BY ") +
           (m_shape.orderColumns + QStringList{m_keyColumn}).join(',');
}

QStringList ViewKeys::baseConditions() const
{
    return m_shape.onlyScan ? QStringList{QStringLiteral("Scan='Y'")} : QStringList{};
}

/** Rows after the cursor that share its first `level` ordering values: for level == the
 *  number of ordering columns, a greater key; else a greater value in column `level` (under
 *  the column's collation; after a null, any value). */
QString ViewKeys::afterCursor(int level, QVariantList* binds) const
{
    QStringList parts;
    for (int c = 0; c < level; ++c) {
        parts.append(m_shape.orderColumns.at(c) + QStringLiteral(" IS ?"));
        binds->append(m_cursorValues.at(c));
    }
    if (level == m_shape.orderColumns.size()) {
        parts.append(m_keyColumn + QStringLiteral(" > ?"));
        binds->append(m_cursorKey);
    } else if (m_cursorValues.at(level).isNull()) {
        parts.append(m_shape.orderColumns.at(level) + QStringLiteral(" IS NOT NULL"));
    } else {
        parts.append(m_shape.orderColumns.at(level) + QStringLiteral(" > ?"));
        binds->append(m_cursorValues.at(level));
    }
    return parts.join(QStringLiteral(" AND "));
}

bool ViewKeys::loadWindowed(int firstRows, const RowSink& sink, AppError* error)
{
    m_mode = Mode::Windowed;
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    const QString first = QStringLiteral("SELECT ") + m_keyColumn + QStringLiteral(", *") + from() +
                          whereOf(baseConditions()) + orderBy() + QStringLiteral(" LIMIT ?");
    if (!servedByIndex(first, firstRows))
        return false;
    // Count and first rows in one read transaction: the same state of the file.
    if (!db.transaction()) {
        *error = sqlitefile::errorFor(db.lastError(), m_path, errors::kDatabaseError);
        return false;
    }
    qint64 total = 0;
    bool ok = counted(from() + whereOf(baseConditions()), {}, &total, error);
    QSqlQuery query = queryOn(m_connection);
    ok = ok && run(query, first, {firstRows});
    while (ok && query.next()) {
        sink(query);
        m_keys.append(query.value(0).toLongLong());
        m_cursorKey = m_keys.last();
        m_cursorValues.clear();
        for (const QString& column : std::as_const(m_shape.orderColumns))
            m_cursorValues.append(query.value(query.record().indexOf(column)));
    }
    if (ok && query.lastError().isValid()) {
        *error = sqlitefile::errorFor(query.lastError(), m_path, errors::kDatabaseError);
        ok = false;
    }
    query = QSqlQuery();
    db.commit();
    if (!ok) {
        m_mode = Mode::Whole;
        m_keys.clear();
        return false;
    }
    m_count = static_cast<int>(total);
    m_exhausted = m_keys.size() < firstRows;
    return true;
}

/** False when the engine would sort the whole view for every window of it, or cannot run
 *  the window query at all (an index named for it is missing). */
bool ViewKeys::servedByIndex(const QString& windowQuery, int limit) const
{
    QSqlQuery plan = queryOn(m_connection);
    if (!run(plan, QStringLiteral("EXPLAIN QUERY PLAN ") + windowQuery, {limit}))
        return false;
    while (plan.next()) {
        if (plan.value(3).toString().contains(QLatin1String("TEMP B-TREE")))
            return false;
    }
    return !plan.lastError().isValid();
}

bool ViewKeys::counted(const QString& fromWhere, const QVariantList& binds, qint64* result,
                       AppError* error) const
{
    QSqlQuery query = queryOn(m_connection);
    if (!run(query, QStringLiteral("SELECT COUNT(*)") + fromWhere, binds) || !query.next()) {
        *error = sqlitefile::errorFor(query.lastError(), m_path, errors::kDatabaseError);
        return false;
    }
    *result = query.value(0).toLongLong();
    return true;
}

bool ViewKeys::readAfter(int level, int limit, QList<qint64>* keys, AppError* error) const
{
    QVariantList binds;
    const QStringList conditions = baseConditions() + QStringList{afterCursor(level, &binds)};
    binds.append(limit);
    QSqlQuery query = queryOn(m_connection);
    if (!run(query,
             QStringLiteral("SELECT ") + m_keyColumn + from() + whereOf(conditions) + orderBy() +
                 QStringLiteral(" LIMIT ?"),
             binds)) {
        *error = sqlitefile::errorFor(query.lastError(), m_path, errors::kDatabaseError);
        return false;
    }
    while (query.next())
        keys->append(query.value(0).toLongLong());
    if (query.lastError().isValid()) {
        *error = sqlitefile::errorFor(query.lastError(), m_path, errors::kDatabaseError);
        return false;
    }
    return true;
}

bool ViewKeys::setCursor(qint64 key, AppError* error)
{
    m_cursorKey = key;
    m_cursorValues.clear();
    if (m_shape.orderColumns.isEmpty())
        return true;
    QSqlQuery query = queryOn(m_connection);
    if (!run(query,
             QStringLiteral("SELECT ") + m_shape.orderColumns.join(',') +
                 QStringLiteral(" FROM TabFreq WHERE ") + m_keyColumn + QStringLiteral(" = ?"),
             {key}) ||
        !query.next()) {
        *error = sqlitefile::errorFor(query.lastError(), m_path, errors::kDatabaseError);
        return false;
    }
    for (int c = 0; c < m_shape.orderColumns.size(); ++c)
        m_cursorValues.append(query.value(c));
    return true;
}

/** Reads at least `wanted` more keys (fewer at the end of the view), level by level from the
 *  cursor: rows sharing the most ordering values with it come first. */
bool ViewKeys::extend(int wanted, AppError* error)
{
    int need = std::min(wanted, m_count - static_cast<int>(m_keys.size()));
    const int levels = static_cast<int>(m_shape.orderColumns.size());
    bool moved = false;
    for (int level = levels; level >= 0 && need > 0; --level) {
        QList<qint64> read;
        const int limit = need + static_cast<int>(m_written.size());
        if (!readAfter(level, limit, &read, error))
            return false;
        for (qint64 key : std::as_const(read)) {
            if (need == 0)
                break;
            if (m_written.contains(key))
                continue;  // listed already, at the place it had when it was read
            m_keys.append(key);
            --need;
            moved = true;
        }
    }
    m_exhausted = need > 0 || m_keys.size() >= m_count;
    return !moved || setCursor(m_keys.last(), error);
}

std::optional<qint64> ViewKeys::keyAt(int row)
{
    if (row < 0 || row >= m_count)
        return std::nullopt;
    if (row >= m_keys.size() && !complete()) {
        AppError error;
        const int wanted = std::max(kChunkRows, row + 1 - static_cast<int>(m_keys.size()));
        if (!extend(wanted, &error)) {
            m_exhausted = true;  // the rest shows as rows without a key until the next load
            if (!m_readError)
                m_readError = error;
        }
    }
    if (row >= m_keys.size())
        return std::nullopt;
    return m_keys.at(row);
}

void ViewKeys::readAhead()
{
    if (!complete())
        keyAt(static_cast<int>(m_keys.size()));
}

QList<qint64> ViewKeys::keysOf(int first, int last)
{
    QList<qint64> keys;
    keyAt(last);
    for (int row = first; row <= last && row < m_keys.size(); ++row)
        keys.append(m_keys.at(row));
    return keys;
}

void ViewKeys::remove(int row)
{
    if (row < 0 || row >= m_count)
        return;
    if (row < m_keys.size())
        m_keys.removeAt(row);
    --m_count;
}

bool ViewKeys::rowsBefore(const QVariantList& values, qint64 key, qint64* before,
                          AppError* error) const
{
    *before = 0;
    const int levels = static_cast<int>(m_shape.orderColumns.size());
    for (int level = 0; level <= levels; ++level) {
        QVariantList binds;
        QStringList conditions = baseConditions();
        for (int c = 0; c < level; ++c) {
            conditions.append(m_shape.orderColumns.at(c) + QStringLiteral(" IS ?"));
            binds.append(values.at(c));
        }
        if (level == levels) {
            conditions.append(m_keyColumn + QStringLiteral(" < ?"));
            binds.append(key);
        } else if (values.at(level).isNull()) {
            continue;  // nothing orders before a null
        } else {
            const QString column = m_shape.orderColumns.at(level);
            conditions.append(QStringLiteral("(%1 < ? OR %1 IS NULL)").arg(column));
            binds.append(values.at(level));
        }
        qint64 part = 0;
        if (!counted(from() + whereOf(conditions), binds, &part, error))
            return false;
        *before += part;
    }
    return true;
}

ViewKeys::Placement ViewKeys::add(qint64 key, AppError* error)
{
    if (m_mode != Mode::Windowed)
        return {Placement::Reload, -1};
    QStringList conditions = baseConditions();
    conditions.append(m_keyColumn + QStringLiteral(" = ?"));
    QSqlQuery query = queryOn(m_connection);
    const QString columns = (m_shape.orderColumns + QStringList{m_keyColumn}).join(',');
    if (!run(query,
             QStringLiteral("SELECT ") + columns + QStringLiteral(" FROM TabFreq") +
                 whereOf(conditions),
             {key})) {
        *error = sqlitefile::errorFor(query.lastError(), m_path, errors::kDatabaseError);
        return {Placement::Reload, -1};
    }
    if (!query.next())
        return {Placement::NotInView, -1};
    QVariantList values;
    for (int c = 0; c < m_shape.orderColumns.size(); ++c)
        values.append(query.value(c));
    query = QSqlQuery();
    if (!complete()) {
        QVariantList binds{key};
        QStringList after;
        for (int level = static_cast<int>(m_shape.orderColumns.size()); level >= 0; --level)
            after.append(QLatin1Char('(') + afterCursor(level, &binds) + QLatin1Char(')'));
        qint64 later = 0;
        const QString where = QStringLiteral(" FROM TabFreq WHERE %1 = ? AND (%2)")
                                  .arg(m_keyColumn, after.join(QStringLiteral(" OR ")));
        if (!counted(where, binds, &later, error))
            return {Placement::Reload, -1};
        if (later > 0) {
            ++m_count;
            return {Placement::Later, -1};
        }
    }
    qint64 before = 0;
    if (!rowsBefore(values, key, &before, error))
        return {Placement::Reload, -1};
    const int row = static_cast<int>(std::min<qint64>(before, m_keys.size()));
    m_keys.insert(row, key);
    ++m_count;
    return {Placement::Inserted, row};
}

std::optional<AppError> ViewKeys::takeReadError()
{
    std::optional<AppError> error;
    error.swap(m_readError);
    return error;
}
