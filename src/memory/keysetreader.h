#pragma once

#include "common/errorcatalogue.h"
#include "memory/views.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QVariant>

#include <optional>

class QSqlQuery;

/** A place in a view's order: the ordering values of a row (as read, nulls included) and
 *  its row key, which breaks ties. */
struct KeysetCursor {
    QVariantList values;
    qint64 key = 0;
    bool valid = false;  ///< false before any row was read
};

/** Row keys read from a view in its order, with the place of the last one. */
struct KeysetRun {
    QList<qint64> keys;
    KeysetCursor last;
    bool endReached = false;  ///< the view has no rows after these
};

/**
 * The statements that read one view of TabFreq in its order, a few rows at a time: the view
 * of a known shape (ViewShape) ordered by its columns under their own collations, nulls
 * first, then the row key. Each statement is one index range: rows after a cursor are read
 * level by level (the rows that share all its ordering values and have a greater key, then
 * those that share all but the last and have a greater last value, and so on), which keeps
 * nulls and ties in their exact place; a row at a position is reached by OFFSET, from the
 * start or from the end of the view, whichever is nearer.
 */
class KeysetReader {
public:
    KeysetReader() = default;
    KeysetReader(const QString& connection, const QString& path, const ViewShape& shape,
                 const QString& keyColumn);

    /** The first window's statement: the row key, the ordering values (see cursorAt()), then
     *  every field; binds gets the filter's values, to which the caller appends the LIMIT. */
    QString firstRowsStatement(QVariantList* binds) const;
    /** The whole view in its order without a chosen index: the row key, then every field;
     *  binds gets the filter's values. */
    QString allRowsStatement(QVariantList* binds) const;
    /** False when the engine would sort the whole view for a window, or cannot run it. */
    bool servedByIndex() const;
    bool count(qint64* result, AppError* error) const;
    /** Up to limit keys after cursor; keys in skip are passed over (not counted). */
    bool readAfter(const KeysetCursor& cursor, int limit, const QSet<qint64>& skip, KeysetRun* run,
                   AppError* error) const;
    /** The keys of rows first .. first+limit-1 of the view (total rows in all). */
    bool readAt(int first, int limit, int total, KeysetRun* run, AppError* error) const;
    /** The ordering values of the row with key when the view's filter lets it in. */
    bool valuesOf(qint64 key, std::optional<QVariantList>* values, AppError* error) const;
    /** How many rows of the view come before the place (values, key). */
    bool rowsBefore(const QVariantList& values, qint64 key, qint64* before, AppError* error) const;
    /** The place of the row a query stands on: the row key in column 0, then the ordering
     *  values in their order (as the statements above select them). */
    KeysetCursor cursorAt(const QSqlQuery& query) const;

private:
    QString from() const;
    QString orderBy(bool descending = false) const;
    /** The view's filters as they are written (scan, find); their values are appended to
     *  binds. */
    QStringList filters(QVariantList* binds) const;
    /** A find that picks its rows by key (ViewShape::findByKey). */
    bool findsByKey() const;
    /** The view's filters in the form its statements read them (see findByKey); their values
     *  are appended to binds. */
    QStringList baseConditions(QVariantList* binds) const;
    QString afterCursor(const KeysetCursor& cursor, int level, QVariantList* binds) const;
    bool counted(const QString& fromWhere, const QVariantList& binds, qint64* result,
                 AppError* error) const;
    AppError errorOf(const QSqlQuery& query) const;

    QString m_connection;
    QString m_path;
    ViewShape m_shape;
    QString m_keyColumn;
};
