#include "memory/sqlitefile.h"

#include <QAtomicInt>
#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

namespace sqlitefile {

namespace {

constexpr char kDriver[] = "QSQLITE";

// Primary SQLite result codes (the low byte of an extended code).
constexpr int kSqliteError = 1;
constexpr int kSqlitePerm = 3;
constexpr int kSqliteBusy = 5;
constexpr int kSqliteLocked = 6;
constexpr int kSqliteReadOnly = 8;
constexpr int kSqliteIoErr = 10;
constexpr int kSqliteCorrupt = 11;
constexpr int kSqliteFull = 13;
constexpr int kSqliteCantOpen = 14;
constexpr int kSqliteNotADb = 26;

/** A file the operator marked read-only (no write bit at all) is treated as read-only
 *  even for a user whom the system would let write it anyway. */
bool isReadOnlyFile(const QFileInfo& info)
{
    // WriteUser is left out: it tells what the current user may do, not how the file is marked.
    constexpr QFile::Permissions kAnyWrite =
        QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    return !info.isWritable() || (info.permissions() & kAnyWrite) == 0;
}

/** An SQLite URI for the file: mode=rw never creates a missing file. */
QString uriFor(const QFileInfo& info, bool readOnly)
{
    const QUrl url = QUrl::fromLocalFile(info.absoluteFilePath());
    return url.toString(QUrl::FullyEncoded) +
           (readOnly ? QStringLiteral("?mode=ro") : QStringLiteral("?mode=rw"));
}

int errorNumberFor(int primaryCode, const QString& engineText, int fallback)
{
    switch (primaryCode) {
        case kSqliteBusy:
        case kSqliteLocked:
            return errors::kDatabaseLocked;
        case kSqliteReadOnly:
            return errors::kDatabaseReadOnly;
        case kSqliteNotADb:
        case kSqliteCorrupt:
            return errors::kUnrecognizedDatabase;
        case kSqliteCantOpen:
        case kSqliteIoErr:
            return errors::kPathFileAccess;
        case kSqliteFull:
            return errors::kDiskFull;
        case kSqlitePerm:
            return errors::kPermissionDenied;
        case kSqliteError:
            if (engineText.contains(QStringLiteral("no such table"), Qt::CaseInsensitive))
                return errors::kTableNotFound;
            return fallback;
        default:
            return fallback;
    }
}

/** Checks that the open connection reads an SQLite database with a TabFreq table. */
bool checkTabFreq(const QSqlDatabase& db, const QString& path, AppError* error)
{
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type='table' AND "
                                   "name='TabFreq' COLLATE NOCASE"))) {
        *error = errorFor(query.lastError(), path, errors::kDatabaseError);
        return false;
    }
    if (query.next())
        return true;
    if (query.lastError().isValid())
        *error = errorFor(query.lastError(), path, errors::kDatabaseError);
    else
        *error = fileError(errors::kTableNotFound, path,
                           QStringLiteral("the file holds no table TabFreq"));
    return false;
}

}  // namespace

QString uniqueConnectionName(const QString& prefix)
{
    static QAtomicInt counter;
    return prefix + QLatin1Char('.') + QString::number(counter.fetchAndAddRelaxed(1) + 1);
}

bool open(const QString& connection, const QString& path, bool* readOnly, AppError* error)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists()) {
        *error = fileError(errors::kDatabaseNotFound, path, QStringLiteral("no such file"));
        return false;
    }
    if (info.isDir()) {
        *error = fileError(errors::kDatabaseNotFound, path,
                           QStringLiteral("a folder, not a database file"));
        return false;
    }
    if (!QSqlDatabase::isDriverAvailable(QString::fromLatin1(kDriver))) {
        *error = fileError(errors::kDatabaseError, path,
                           QStringLiteral("the SQLite driver of Qt SQL is not installed"));
        return false;
    }
    const bool ro = isReadOnlyFile(info);
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QString::fromLatin1(kDriver), connection);
        db.setDatabaseName(uriFor(info, ro));
        QString options = QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=") +
                          QString::number(kBusyTimeoutMs);
        if (ro)
            options += QStringLiteral(";QSQLITE_OPEN_READONLY");
        db.setConnectOptions(options);
        if (!db.open())
            *error = errorFor(db.lastError(), path, errors::kDatabaseNotFound);
        else
            ok = checkTabFreq(db, path, error);
    }
    if (!ok) {
        close(connection);
        return false;
    }
    if (readOnly)
        *readOnly = ro;
    return true;
}

QSqlQuery forwardQuery(const QString& connection)
{
    QSqlQuery query(QSqlDatabase::database(connection, false));
    query.setForwardOnly(true);
    return query;
}

bool prepareAndRun(QSqlQuery& query, const QString& sql, const QVariantList& values)
{
    if (!query.prepare(sql))
        return false;
    for (const QVariant& value : values)
        query.addBindValue(value);
    return query.exec();
}

QList<Column> tabFreqColumns(const QString& connection)
{
    QList<Column> columns;
    QSqlQuery query = forwardQuery(connection);
    if (!query.exec(QStringLiteral("PRAGMA table_info(TabFreq)")))
        return columns;
    while (query.next())
        columns.append({query.value(1).toString(), query.value(2).toString()});
    return columns;
}

void close(const QString& connection)
{
    {
        QSqlDatabase db = QSqlDatabase::database(connection, false);
        if (db.isOpen())
            db.close();
    }
    QSqlDatabase::removeDatabase(connection);
}

AppError errorFor(const QSqlError& sqlError, const QString& path, int fallback)
{
    const QString engineText =
        sqlError.databaseText().isEmpty() ? sqlError.text() : sqlError.databaseText();
    const int primary = sqlError.nativeErrorCode().toInt() & 0xff;
    return fileError(errorNumberFor(primary, engineText, fallback), path, engineText);
}

AppError fileError(int number, const QString& path, const QString& cause)
{
    const QString file =
        path.isEmpty() ? QStringLiteral("(no file name)") : QDir::toNativeSeparators(path);
    return AppError::withDetail(number,
                                cause.isEmpty() ? file : file + QStringLiteral(": ") + cause);
}

}  // namespace sqlitefile
