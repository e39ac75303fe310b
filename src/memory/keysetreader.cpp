#include "memory/keysetreader.h"

#include "memory/sqlitefile.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>

namespace {

QString whereOf(const QStringList& conditions)
{
    return conditions.isEmpty()
               ? QString()
               : QStringLiteral(" WHERE ") + conditions.join(QStringLiteral(" AND "));
}

}  // namespace

KeysetReader::KeysetReader(const QString& connection, const QString& path, const ViewShape& shape,
                           const QString& keyColumn)
    : m_connection(connection), m_path(path), m_shape(shape), m_keyColumn(keyColumn)
{
}

AppError KeysetReader::errorOf(const QSqlQuery& query) const
{
    return sqlitefile::errorFor(query.lastError(), m_path, errors::kDatabaseError);
}

QString KeysetReader::from() const
{
    QString text = QStringLiteral(" FROM TabFreq");
    if (!m_shape.index.isEmpty())
        text += QStringLiteral(" INDEXED BY ") + m_shape.index;
    return text;
}

QString KeysetReader::orderBy(bool descending) const
{
    QStringList columns = m_shape.orderColumns + QStringList{m_keyColumn};
    if (descending) {
        for (QString& column : columns)
            column += QStringLiteral(" DESC");
    }
    return QStringLiteral(" ORDER BY ") + columns.join(QLatin1Char(','));
}

QStringList KeysetReader::filters(QVariantList* binds) const
{
    QStringList conditions;
    if (m_shape.onlyScan)
        conditions.append(QStringLiteral("Scan='Y'"));
    if (!m_shape.find.sql.isEmpty()) {
        conditions.append(m_shape.find.sql);
        binds->append(m_shape.find.binds);
    }
    return conditions;
}

bool KeysetReader::findsByKey() const
{
    return m_shape.findByKey && !m_shape.find.sql.isEmpty();
}

QStringList KeysetReader::baseConditions(QVariantList* binds) const
{
    if (!findsByKey())
        return filters(binds);
    // The keys found are gathered once, by the inner statement alone, through an index that
    // holds Name (with the scan filter inside, the marked rows' index). The unary plus keeps
    // the engine from reading the view by these keys and sorting them: the order's index is
    // walked, and each of its entries is checked against the keys without the table.
    QStringList conditions;
    if (m_shape.onlyScan)
        conditions.append(QStringLiteral("Scan='Y'"));  // lets the marked rows' index serve
    conditions.append(QStringLiteral("+%1 IN (SELECT %1 FROM TabFreq%2)")
                          .arg(m_keyColumn, whereOf(filters(binds))));
    return conditions;
}

QString KeysetReader::firstRowsStatement(QVariantList* binds) const
{
    return QStringLiteral("SELECT ") +
           (QStringList{m_keyColumn} + m_shape.orderColumns + QStringList{QStringLiteral("*")})
               .join(QLatin1Char(',')) +
           from() + whereOf(baseConditions(binds)) + orderBy() + QStringLiteral(" LIMIT ?");
}

QString KeysetReader::allRowsStatement(QVariantList* binds) const
{
    return QStringLiteral("SELECT ") + m_keyColumn + QStringLiteral(",* FROM TabFreq") +
           whereOf(baseConditions(binds)) + orderBy();
}

bool KeysetReader::servedByIndex() const
{
    QVariantList binds;
    const QString statement = firstRowsStatement(&binds);
    binds.append(1);
    QSqlQuery plan = sqlitefile::forwardQuery(m_connection);
    if (!sqlitefile::prepareAndRun(plan, QStringLiteral("EXPLAIN QUERY PLAN ") + statement, binds))
        return false;
    while (plan.next()) {
        if (plan.value(3).toString().contains(QLatin1String("TEMP B-TREE")))
            return false;
    }
    return !plan.lastError().isValid();
}

bool KeysetReader::counted(const QString& fromWhere, const QVariantList& binds, qint64* result,
                           AppError* error) const
{
    QSqlQuery query = sqlitefile::forwardQuery(m_connection);
    if (!sqlitefile::prepareAndRun(query, QStringLiteral("SELECT COUNT(*)") + fromWhere, binds) ||
        !query.next()) {
        *error = errorOf(query);
        return false;
    }
    *result = query.value(0).toLongLong();
    return true;
}

bool KeysetReader::count(qint64* result, AppError* error) const
{
    QVariantList binds;
    // A find the order's index cannot serve is counted through the index the engine finds
    // holding every column the filters read, in one pass.
    if (findsByKey())
        return counted(QStringLiteral(" FROM TabFreq") + whereOf(filters(&binds)), binds, result,
                       error);
    const QString where = whereOf(baseConditions(&binds));
    return counted(from() + where, binds, result, error);
}

/** Rows after the cursor that share its first `level` ordering values: for level == the
 *  number of ordering columns, a greater key; else a greater value in column `level` (under
 *  the column's collation; after a null, any value). */
QString KeysetReader::afterCursor(const KeysetCursor& cursor, int level, QVariantList* binds) const
{
    QStringList parts;
    for (int c = 0; c < level; ++c) {
        parts.append(m_shape.orderColumns.at(c) + QStringLiteral(" IS ?"));
        binds->append(cursor.values.at(c));
    }
    if (level == m_shape.orderColumns.size()) {
        parts.append(m_keyColumn + QStringLiteral(" > ?"));
        binds->append(cursor.key);
    } else if (cursor.values.at(level).isNull()) {
        parts.append(m_shape.orderColumns.at(level) + QStringLiteral(" IS NOT NULL"));
    } else {
        parts.append(m_shape.orderColumns.at(level) + QStringLiteral(" > ?"));
        binds->append(cursor.values.at(level));
    }
    return parts.join(QStringLiteral(" AND "));
}

bool KeysetReader::readAfter(const KeysetCursor& cursor, int limit, const QSet<qint64>& skip,
                             KeysetRun* out, AppError* error) const
{
    out->keys.clear();
    out->last = cursor;
    out->endReached = false;
    const int levels = static_cast<int>(m_shape.orderColumns.size());
    const QString columns =
        (QStringList{m_keyColumn} + m_shape.orderColumns).join(QLatin1Char(','));
    int need = limit;
    for (int level = levels; level >= 0 && need > 0; --level) {
        QVariantList binds;
        QStringList conditions = baseConditions(&binds);
        conditions.append(afterCursor(cursor, level, &binds));
        binds.append(need + static_cast<int>(skip.size()));
        QSqlQuery query = sqlitefile::forwardQuery(m_connection);
        if (!sqlitefile::prepareAndRun(query,
                                       QStringLiteral("SELECT ") + columns + from() +
                                           whereOf(conditions) + orderBy() +
                                           QStringLiteral(" LIMIT ?"),
                                       binds)) {
            *error = errorOf(query);
            return false;
        }
        while (need > 0 && query.next()) {
            const qint64 key = query.value(0).toLongLong();
            if (skip.contains(key))
                continue;  // listed already, at the place it had when it was read
            out->keys.append(key);
            out->last = cursorAt(query);
            --need;
        }
        if (query.lastError().isValid()) {
            *error = errorOf(query);
            return false;
        }
    }
    out->endReached = need > 0;
    return true;
}

bool KeysetReader::readAt(int first, int limit, int total, KeysetRun* out, AppError* error) const
{
    out->keys.clear();
    out->endReached = false;
    // OFFSET steps over the rows in the engine, so the nearer end of the view is the start.
    const bool fromEnd = total - (first + limit) < first;
    const int offset = fromEnd ? std::max(0, total - (first + limit)) : first;
    QStringList columns = QStringList{m_keyColumn} + m_shape.orderColumns;
    QVariantList binds;
    const QString where = whereOf(baseConditions(&binds));
    binds << limit << offset;
    QSqlQuery query = sqlitefile::forwardQuery(m_connection);
    if (!sqlitefile::prepareAndRun(query,
                                   QStringLiteral("SELECT ") + columns.join(QLatin1Char(',')) +
                                       from() + where + orderBy(fromEnd) +
                                       QStringLiteral(" LIMIT ? OFFSET ?"),
                                   binds)) {
        *error = errorOf(query);
        return false;
    }
    KeysetCursor last;
    while (query.next()) {
        out->keys.append(query.value(0).toLongLong());
        if (!fromEnd || !last.valid)  // the last row in the view's order
            last = cursorAt(query);
    }
    if (query.lastError().isValid()) {
        *error = errorOf(query);
        return false;
    }
    if (fromEnd)
        std::reverse(out->keys.begin(), out->keys.end());
    out->last = last;
    return true;
}

KeysetCursor KeysetReader::cursorAt(const QSqlQuery& query) const
{
    KeysetCursor cursor{{}, query.value(0).toLongLong(), true};
    for (int c = 1; c <= m_shape.orderColumns.size(); ++c)
        cursor.values.append(query.value(c));
    return cursor;
}

bool KeysetReader::valuesOf(qint64 key, std::optional<QVariantList>* values, AppError* error) const
{
    QVariantList binds;
    QStringList conditions = baseConditions(&binds);
    conditions.append(m_keyColumn + QStringLiteral(" = ?"));
    binds.append(key);
    const QStringList columns = m_shape.orderColumns + QStringList{m_keyColumn};
    QSqlQuery query = sqlitefile::forwardQuery(m_connection);
    if (!sqlitefile::prepareAndRun(query,
                                   QStringLiteral("SELECT ") + columns.join(QLatin1Char(',')) +
                                       QStringLiteral(" FROM TabFreq") + whereOf(conditions),
                                   binds)) {
        *error = errorOf(query);
        return false;
    }
    values->reset();
    if (query.next()) {
        QVariantList found;
        for (int c = 0; c < m_shape.orderColumns.size(); ++c)
            found.append(query.value(c));
        *values = found;
    }
    return true;
}

bool KeysetReader::rowsBefore(const QVariantList& values, qint64 key, qint64* before,
                              AppError* error) const
{
    *before = 0;
    const int levels = static_cast<int>(m_shape.orderColumns.size());
    for (int level = 0; level <= levels; ++level) {
        QVariantList binds;
        QStringList conditions = baseConditions(&binds);
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
            conditions.append(
                QStringLiteral("(%1 < ? OR %1 IS NULL)").arg(m_shape.orderColumns.at(level)));
            binds.append(values.at(level));
        }
        qint64 part = 0;
        if (!counted(from() + whereOf(conditions), binds, &part, error))
            return false;
        *before += part;
    }
    return true;
}
