#include "exchange/memoryexport.h"

#include "common/replacingfile.h"
#include "exchange/rowwriters.h"
#include "memory/datafreq.h"
#include "memory/sqlitefile.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {

constexpr qint64 kReportEvery = 1000;

const QString kFileKept = QStringLiteral("nothing was written; %1 is as it was");

/** The positions of the row key and the ten fields in the result, by name. */
struct Columns {
    int id = -1;
    std::array<int, 10> fields{};
};

Columns columnsOf(const QSqlQuery& query)
{
    const QSqlRecord record = query.record();
    Columns columns;
    columns.id = record.indexOf(QStringLiteral("id"));
    for (int c = 0; c < 10; ++c)
        columns.fields[c] = record.indexOf(QString::fromLatin1(kMemoryFields[c]));
    return columns;
}

}  // namespace

bool readMemories(const QString& db, ViewOrder order,
                  const std::function<bool(qint64 id, const StoredRow& row)>& visit, QString* error,
                  qint64* total)
{
    const QString connection = sqlitefile::uniqueConnectionName(QStringLiteral("corvane.export"));
    AppError openError;
    if (!sqlitefile::open(connection, db, nullptr, &openError)) {
        *error = openError.text;
        return false;
    }
    bool ok = true;
    {
        QSqlQuery query(QSqlDatabase::database(connection, false));
        query.setForwardOnly(true);
        if (total) {
            ok = query.exec(QStringLiteral("SELECT COUNT(*) FROM TabFreq")) && query.next();
            *total = ok ? query.value(0).toLongLong() : 0;
        }
        ok = ok && query.exec(viewQuery(order, false));
        const Columns columns = columnsOf(query);
        while (ok && query.next()) {
            StoredRow row;
            for (int c = 0; c < 10; ++c) {
                if (columns.fields[c] >= 0)
                    row[c] = query.value(columns.fields[c]);
            }
            if (!visit(query.value(columns.id).toLongLong(), row))
                break;
        }
        if (ok && query.lastError().isValid())
            ok = false;
        if (!ok)
            *error = sqlitefile::errorFor(query.lastError(), db, errors::kDatabaseError).text;
    }
    sqlitefile::close(connection);
    return ok;
}

namespace {

QString cannotWrite(const QString& file, const QString& why)
{
    return QStringLiteral("%1 cannot be written: %2; ").arg(file, why) + kFileKept.arg(file);
}

/** The export's bytes on their way to the file, handed over a block at a time. */
class BlockWriter {
public:
    explicit BlockWriter(ReplacingFile* file) : m_file(file) {}
    bool append(const QByteArray& bytes)
    {
        m_block += bytes;
        return m_block.size() < kBlockBytes || flush();
    }
    bool flush()
    {
        const bool ok = m_file->write(m_block);
        m_block.clear();
        return ok;
    }

private:
    static constexpr qsizetype kBlockBytes = 64 * 1024;
    ReplacingFile* m_file;
    QByteArray m_block;
};

/** Writes one row (or reports why not); false when the file refused the bytes. */
bool writeRow(BlockWriter& out, const RowWriter& writer, const StoredRow& row, qint64 position,
              const ExchangeCallbacks& callbacks, ExportResult* result)
{
    const WrittenRow line = writer.write(row, position);
    bool ok = true;
    if (line.written) {
        ok = out.append(line.bytes);
        ++result->written;
    } else {
        ++result->leftOut;
    }
    if (!line.problem.isEmpty()) {
        result->remarks += line.written ? 1 : 0;
        if (callbacks.rowIssue)
            callbacks.rowIssue({position, line.problem});
    }
    return ok;
}

}  // namespace

ExportResult exportMemories(const QString& db, const QString& file, MemoryFormat format,
                            ViewOrder order, const ExchangeCallbacks& callbacks)
{
    ExportResult result;
    // Every write is checked and the file is synced before it replaces the older one: a
    // full disk is a failure with its cause, never a short file reported as written.
    ReplacingFile target(file);
    if (!target.open()) {
        result.error = cannotWrite(file, target.cause());
        return result;
    }
    BlockWriter out(&target);
    const std::unique_ptr<RowWriter> writer = makeRowWriter(format);
    bool written = out.append(writer->header());
    qint64 position = 0;
    qint64 total = 0;
    const auto visit = [&](qint64 /*id*/, const StoredRow& row) {
        written = writeRow(out, *writer, row, ++position, callbacks, &result);
        if (position % kReportEvery == 0) {
            if (callbacks.progress)
                callbacks.progress(position, total);
            result.cancelled = callbacks.cancelRequested && callbacks.cancelRequested();
        }
        return written && !result.cancelled;
    };
    QString readError;
    const bool read = readMemories(db, order, visit, &readError, &total);
    if (read && written && !result.cancelled) {
        result.ok = out.flush() && target.commit();
        if (!result.ok)
            result.error = cannotWrite(file, target.cause());
        else if (callbacks.progress)
            callbacks.progress(position, total);
        return result;
    }
    const QString cause = target.cause();  // before the cancel drops the temporary file
    target.cancel();
    if (result.cancelled)
        result.error = QStringLiteral("The export was cancelled; ") + kFileKept.arg(file);
    else if (!read)
        result.error = readError + QStringLiteral("; ") + kFileKept.arg(file);
    else
        result.error = cannotWrite(file, cause);
    return result;
}

bool checkIntegrity(const QString& db, QStringList* problems, int* nameLimit, QString* error)
{
    const QString connection = sqlitefile::uniqueConnectionName(QStringLiteral("corvane.check"));
    AppError openError;
    if (!sqlitefile::open(connection, db, nullptr, &openError)) {
        *error = openError.text;
        return false;
    }
    bool ok = true;
    {
        QSqlDatabase database = QSqlDatabase::database(connection, false);
        QSqlQuery query(database);
        ok = query.exec(QStringLiteral("PRAGMA integrity_check"));
        while (ok && query.next()) {
            const QString line = query.value(0).toString();
            if (line != QLatin1String("ok"))
                problems->append(line);
        }
        if (!ok)
            *error = sqlitefile::errorFor(query.lastError(), db, errors::kDatabaseError).text;
        QSqlRecord columns = database.record(QStringLiteral("TabFreq"));
        for (const char* field : kMemoryFields) {
            if (columns.indexOf(QString::fromLatin1(field)) < 0)
                problems->append(
                    QStringLiteral("TabFreq has no column %1").arg(QString::fromLatin1(field)));
        }
        *nameLimit = nameLimitOf(database);
    }
    sqlitefile::close(connection);
    return ok;
}
