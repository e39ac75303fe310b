#pragma once

#include "common/errorcatalogue.h"

#include <QList>
#include <QString>
#include <QVariantList>

class QSqlError;
class QSqlQuery;

/**
 * Opening a bookmark database (an SQLite 3 file with a TabFreq table) on a named Qt SQL
 * connection, and turning the engine's failures into catalogue errors that name the file.
 *
 * A missing file is never created: the file must exist, and it is opened through an SQLite
 * URI with mode=rw (or mode=ro), which cannot create one. A file without write permission
 * is opened read-only, so it can be shown while every write is refused. A short busy
 * timeout makes a file locked by another program fail quickly instead of hanging the
 * window. The default rollback journal is kept, so the database stays one file.
 */
namespace sqlitefile {

/** How long a statement waits for another program's lock before failing, in ms. */
constexpr int kBusyTimeoutMs = 200;

/** A connection name no other connection in the process uses ("prefix.N"). */
QString uniqueConnectionName(const QString& prefix);

/** Adds connection `connection` on the file `path`, opens it and checks that it is an
 *  SQLite database holding TabFreq. On failure the connection is removed again and error
 *  names the file and the cause. readOnly tells whether writes will be refused. */
bool open(const QString& connection, const QString& path, bool* readOnly, AppError* error);

/** A forward-only query on the open connection (rows read once, in order). */
QSqlQuery forwardQuery(const QString& connection);

/** Prepares sql on query, binds values to its placeholders in order and runs it. */
bool prepareAndRun(QSqlQuery& query, const QString& sql, const QVariantList& values);

/** One column of TabFreq as the file declares it: its name and declared type. */
struct Column {
    QString name;
    QString type;  ///< as written in the table's definition, "TEXT (40)"
};
/** The columns of TabFreq on the open connection, in table order (PRAGMA table_info);
 *  empty when the engine cannot tell. */
QList<Column> tabFreqColumns(const QString& connection);

/** Closes and removes the connection (every query on it must be gone already). */
void close(const QString& connection);

/** The catalogue error for an engine error on the file `path`: locked, read-only, not a
 *  database, missing table, or `fallback` for anything else; the text names the file and
 *  repeats the engine's own words. */
AppError errorFor(const QSqlError& sqlError, const QString& path, int fallback);

/** The catalogue error `number` with the file and a cause in its text. */
AppError fileError(int number, const QString& path, const QString& cause);

}  // namespace sqlitefile
