#include "exchange/memoryimport.h"

#include "exchange/csvreader.h"
#include "exchange/memoryrules.h"
#include "exchange/rowmappers.h"
#include "memory/datafreq.h"
#include "memory/sqlitefile.h"

#include <QFile>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>

#include <sqlite3.h>

namespace {

/** Progress and cancel are looked at once per this many records. */
constexpr qint64 kReportEvery = 1000;
/** Lines read to guess the format. */
constexpr int kGuessLines = 20;

const QString kUnchanged = QStringLiteral("nothing was imported; the database is as it was");

/**
 * The INSERT of every row, run on the connection's own SQLite handle (the same connection,
 * inside its transaction): binding through QSqlQuery names every placeholder anew for each
 * value, which cost more per row than SQLite's own work. Values are bound as Qt's driver
 * binds them, so what is stored is the same.
 */
class RowInsert {
public:
    RowInsert() = default;
    RowInsert(const RowInsert&) = delete;
    RowInsert& operator=(const RowInsert&) = delete;
    ~RowInsert() { sqlite3_finalize(m_statement); }

    bool prepare(const QSqlDatabase& db, const char* sql)
    {
        const QVariant handle = db.driver()->handle();
        if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0 ||
            *static_cast<sqlite3* const*>(handle.constData()) == nullptr) {
            m_error = QSqlError(QString(), QStringLiteral("the SQLite driver gives no handle"),
                                QSqlError::ConnectionError);
            return false;
        }
        m_db = *static_cast<sqlite3* const*>(handle.constData());
        return check(sqlite3_prepare_v2(m_db, sql, -1, &m_statement, nullptr));
    }

    bool insert(const StoredRow& row)
    {
        sqlite3_reset(m_statement);
        // The name goes in as UTF-8 bytes made text by SQLite (CAST in the statement): text
        // handed over as UTF-16 loses a leading U+FEFF (SQLite takes it for a byte-order mark).
        const QVariant& name = row[memcol::kName];
        const bool nameNull = isNull(name);
        if (!nameNull)
            m_name = name.toString().toUtf8();
        if (!check(nameNull ? sqlite3_bind_null(m_statement, 1)
                            : sqlite3_bind_blob(m_statement, 1, m_name.constData(),
                                                int(m_name.size()), SQLITE_STATIC)))
            return false;
        for (int c = 1; c < int(row.size()); ++c) {
            if (!bind(c + 1, row[c]))
                return false;
        }
        const int result = sqlite3_step(m_statement);
        if (result == SQLITE_DONE)
            return true;
        sqlite3_reset(m_statement);
        return check(result);
    }

    QSqlError lastError() const { return m_error; }

private:
    /** Null as Qt's driver takes it: no value, or a null string. */
    static bool isNull(const QVariant& value)
    {
        if (value.isNull())
            return true;
        if (value.typeId() == QMetaType::QString)
            return static_cast<const QString*>(value.constData())->isNull();
        return false;
    }

    bool bind(int index, const QVariant& value)
    {
        if (isNull(value))
            return check(sqlite3_bind_null(m_statement, index));
        switch (value.typeId()) {
            case QMetaType::QString: {
                // As UTF-8, the database's own encoding: SQLite has nothing to convert.
                QByteArray& utf8 = m_utf8[std::size_t(index)];
                toUtf8(*static_cast<const QString*>(value.constData()), &utf8);
                return check(sqlite3_bind_text(m_statement, index, utf8.constData(),
                                               int(utf8.size()), SQLITE_STATIC));
            }
            case QMetaType::Int:
            case QMetaType::LongLong:
            case QMetaType::Bool:
                return check(sqlite3_bind_int64(m_statement, index, value.toLongLong()));
            default: {
                const QString text = value.toString();
                return check(sqlite3_bind_text16(m_statement, index, text.utf16(),
                                                 int(text.size() * sizeof(QChar)),
                                                 SQLITE_TRANSIENT));
            }
        }
    }

    /** text as UTF-8 in out, reusing its room (the values of a row are short). */
    static void toUtf8(const QString& text, QByteArray* out)
    {
        const qsizetype size = text.size();
        const QChar* const units = text.constData();
        out->resize(size);
        char* const bytes = out->data();
        for (qsizetype i = 0; i < size; ++i) {
            if (units[i].unicode() >= 0x80) {
                *out = text.toUtf8();
                return;
            }
            bytes[i] = char(units[i].unicode());
        }
    }

    /** True for SQLITE_OK; else the error as Qt's driver reports it. */
    bool check(int result)
    {
        if (result == SQLITE_OK)
            return true;
        m_error = QSqlError(QString(), QString::fromUtf8(sqlite3_errmsg(m_db)),
                            QSqlError::StatementError, QString::number(result));
        return false;
    }

    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_statement = nullptr;
    QByteArray m_name;
    std::array<QByteArray, std::tuple_size_v<StoredRow> + 1> m_utf8;  ///< by placeholder
    QSqlError m_error;
};

/** One import: the file, the reader, the database connection and the counts. */
class ImportRun {
public:
    ImportRun(const QString& file, const QString& db, const ImportOptions& options,
              const ExchangeCallbacks& callbacks)
        : m_filePath(file),
          m_dbPath(db),
          m_options(options),
          m_callbacks(callbacks),
          m_reader(&m_file, QLatin1Char(','))
    {
    }
    ~ImportRun() { closeDatabase(); }

    ImportResult run();

private:
    bool openFile();
    bool chooseFormat();
    bool openDatabase();
    bool readRecords();
    bool handle(const CsvRecord& record);
    bool finish();
    bool fail(const QString& error);
    void closeDatabase();
    bool exec(const QString& sql);

    QString m_filePath, m_dbPath;
    ImportOptions m_options;
    ExchangeCallbacks m_callbacks;
    QFile m_file;
    CsvReader m_reader;
    bool m_gqrxCommaForm = false;
    std::unique_ptr<RowMapper> m_mapper;
    QString m_connection;
    bool m_inTransaction = false;
    std::optional<RowInsert> m_insert;
    int m_nameLimit = 0;
    ImportResult m_result;
};

ImportResult ImportRun::run()
{
    if (openFile() && chooseFormat() && openDatabase() && readRecords() && finish())
        m_result.ok = true;
    closeDatabase();
    return m_result;
}

bool ImportRun::fail(const QString& error)
{
    if (m_inTransaction) {
        m_insert.reset();
        exec(QStringLiteral("ROLLBACK"));
        m_inTransaction = false;
    }
    m_result.ok = false;
    m_result.error = error;
    return false;
}

bool ImportRun::exec(const QString& sql)
{
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    return query.exec(sql);
}

bool ImportRun::openFile()
{
    m_file.setFileName(m_filePath);
    if (!m_file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("%1 cannot be read: %2").arg(m_filePath, m_file.errorString()));
    if (m_file.size() == 0)
        return fail(QStringLiteral("%1 is empty: there are no memories to import").arg(m_filePath));
    QString error;
    if (!m_reader.prepare(&error))
        return fail(QStringLiteral("%1 cannot be read: %2; %3").arg(m_filePath, error, kUnchanged));
    m_result.encoding = m_reader.encodingName();
    return true;
}

bool ImportRun::chooseFormat()
{
    QStringList lines;
    CsvRecord record;
    m_reader.setSeparator(QChar(0));  // whole lines
    while (lines.size() < kGuessLines && m_reader.next(&record))
        lines.append(record.fields().join(QString()));
    const FormatGuess guess = guessFormat(lines);
    if (m_options.format) {
        m_result.format = *m_options.format;
        m_gqrxCommaForm = guess.format == MemoryFormat::Gqrx && guess.gqrxCommaForm;
    } else if (guess.format) {
        m_result.format = *guess.format;
        m_gqrxCommaForm = guess.gqrxCommaForm;
    } else {
        return fail(QStringLiteral("%1 is not a CHIRP CSV file, a gqrx bookmarks file or a Corvane "
                                   "CSV file (its first lines do not say which); nothing was "
                                   "imported")
                        .arg(m_filePath));
    }
    m_reader.setSeparator(separatorOf(m_result.format, m_gqrxCommaForm));
    // gqrx splits its lines at the separator and trims, nothing more: quotes are text.
    m_reader.setQuoting(m_result.format != MemoryFormat::Gqrx);
    m_mapper = makeRowMapper(m_result.format, m_gqrxCommaForm, m_options.defaultMode);
    if (!m_reader.rewind())
        return fail(QStringLiteral("%1 cannot be read: %2").arg(m_filePath, m_file.errorString()));
    return true;
}

bool ImportRun::openDatabase()
{
    m_connection = sqlitefile::uniqueConnectionName(QStringLiteral("corvane.import"));
    bool readOnly = false;
    AppError error;
    if (!sqlitefile::open(m_connection, m_dbPath, &readOnly, &error)) {
        m_connection.clear();
        return fail(error.text + QStringLiteral("; ") + kUnchanged);
    }
    if (readOnly)
        return fail(sqlitefile::fileError(errors::kDatabaseReadOnly, m_dbPath,
                                          QStringLiteral("the file is read-only"))
                        .text +
                    QStringLiteral("; ") + kUnchanged);
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    m_nameLimit = nameLimitOf(db);
    // Taking the write lock at once: a database in use fails here, before any row is read.
    QSqlQuery begin(db);
    if (!begin.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return fail(sqlitefile::errorFor(begin.lastError(), m_dbPath, errors::kDatabaseError).text +
                    QStringLiteral("; ") + kUnchanged);
    m_inTransaction = true;
    m_insert.emplace();
    if (!m_insert->prepare(db,
                           "INSERT INTO TabFreq (Name, MHz, KHz, Hz, Mode, sMHz, sKHz, sHz, "
                           "Split, Scan) VALUES (CAST(? AS TEXT),?,?,?,?,?,?,?,?,?)"))
        return fail(
            sqlitefile::errorFor(m_insert->lastError(), m_dbPath, errors::kDatabaseError).text +
            QStringLiteral("; ") + kUnchanged);
    return true;
}

bool ImportRun::readRecords()
{
    CsvRecord record;
    qint64 records = 0;
    while (m_reader.next(&record)) {
        if (!handle(record))
            return false;
        if (++records % kReportEvery == 0) {
            if (m_callbacks.progress)
                m_callbacks.progress(m_reader.linesRead(), m_reader.lineCount());
            if (m_callbacks.cancelRequested && m_callbacks.cancelRequested()) {
                m_result.cancelled = true;
                return fail(QStringLiteral("The import was cancelled; ") + kUnchanged);
            }
        }
    }
    if (!m_reader.error().isEmpty())
        return fail(QStringLiteral("%1: %2; %3").arg(m_filePath, m_reader.error(), kUnchanged));
    if (m_callbacks.progress)
        m_callbacks.progress(m_reader.linesRead(), m_reader.lineCount());
    return true;
}

bool ImportRun::handle(const CsvRecord& record)
{
    MappedRecord mapped = m_mapper->map(record);
    if (mapped.kind == MappedRecord::Kind::Fatal)
        return fail(QStringLiteral("%1 is not a %2 file: %3; %4")
                        .arg(m_filePath, formatTitle(m_result.format), mapped.reason, kUnchanged));
    if (mapped.kind == MappedRecord::Kind::Memory) {
        if (auto reason = memoryrules::ruleBreak(mapped.row, m_nameLimit))
            mapped = {MappedRecord::Kind::Refused, {}, *reason, {}};
    }
    if (mapped.kind == MappedRecord::Kind::Refused) {
        ++m_result.refused;
        if (m_callbacks.rowIssue)
            m_callbacks.rowIssue({record.line, mapped.reason});
        return true;
    }
    if (mapped.kind != MappedRecord::Kind::Memory)
        return true;
    ++m_result.added;
    if (!mapped.remark.isEmpty()) {
        ++m_result.remarks;
        if (m_callbacks.rowIssue)
            m_callbacks.rowIssue({record.line, mapped.remark, true});
    }
    // Once a row is refused without skipBad nothing will be written: the rest is only checked.
    if (m_options.dryRun || (m_result.refused > 0 && !m_options.skipBad))
        return true;
    if (!m_insert->insert(mapped.row))
        return fail(
            sqlitefile::errorFor(m_insert->lastError(), m_dbPath, errors::kDatabaseError).text +
            QStringLiteral(" at line %1; ").arg(record.line) + kUnchanged);
    return true;
}

bool ImportRun::finish()
{
    if (m_result.added == 0 && m_result.refused == 0)
        return fail(QStringLiteral("%1 holds no memories; %2").arg(m_filePath, kUnchanged));
    m_insert.reset();
    if (m_options.dryRun) {
        exec(QStringLiteral("ROLLBACK"));
        m_inTransaction = false;
        return true;
    }
    if (m_result.added == 0) {
        m_result.remarks = 0;
        return fail(QStringLiteral("none of the %1 rows can be imported; %2")
                        .arg(m_result.refused)
                        .arg(kUnchanged));
    }
    if (m_result.refused > 0 && !m_options.skipBad) {
        const qint64 good = m_result.added;
        m_result.added = 0;
        m_result.remarks = 0;
        return fail(QStringLiteral("%1 of %2 rows cannot be imported; %3 (--skip-bad imports "
                                   "the %4 good rows)")
                        .arg(m_result.refused)
                        .arg(m_result.refused + good)
                        .arg(kUnchanged)
                        .arg(good));
    }
    QSqlQuery commit(QSqlDatabase::database(m_connection, false));
    if (!commit.exec(QStringLiteral("COMMIT")))
        return fail(
            sqlitefile::errorFor(commit.lastError(), m_dbPath, errors::kDatabaseError).text +
            QStringLiteral("; ") + kUnchanged);
    m_inTransaction = false;
    return true;
}

void ImportRun::closeDatabase()
{
    if (m_connection.isEmpty())
        return;
    if (m_inTransaction)
        fail(m_result.error);
    m_insert.reset();
    sqlitefile::close(m_connection);
    m_connection.clear();
}

}  // namespace

int nameLimitOf(const QSqlDatabase& db)
{
    static const QRegularExpression kSize(QStringLiteral("\\(\\s*(\\d+)\\s*\\)"));
    for (const sqlitefile::Column& column : sqlitefile::tabFreqColumns(db.connectionName())) {
        if (column.name.compare(QLatin1String("Name"), Qt::CaseInsensitive) == 0) {
            const QRegularExpressionMatch match = kSize.match(column.type);
            return match.hasMatch() ? match.captured(1).toInt() : 0;
        }
    }
    return 0;
}

ImportResult importMemories(const QString& file, const QString& db, const ImportOptions& options,
                            const ExchangeCallbacks& callbacks)
{
    ImportRun run(file, db, options, callbacks);
    return run.run();
}
