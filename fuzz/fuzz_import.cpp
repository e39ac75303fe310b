// The whole import over arbitrary file contents, into a real database made from the
// template: byte 0 chooses the format (guessed, or forced to CHIRP, gqrx or the own CSV) and
// --skip-bad; the rest is the file. A failed import leaves the database byte for byte as it
// was; an import that succeeds added as many rows as it says, and those rows exported as own
// CSV and imported into a second database come back identical. Any broken rule aborts.

#include "fuzzcheck.h"

#include "exchange/memoryexport.h"
#include "exchange/memoryimport.h"

#include <QCoreApplication>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

namespace {

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    check(file.open(QIODevice::ReadOnly), "a file written here can be read");
    return file.readAll();
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    check(
        file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size(),
        "the work folder takes the file");
}

/** Every row of db, each field quoted as SQLite quotes it (types and nulls show). */
QStringList rowsOf(const QString& db)
{
    QStringList rows;
    {
        QSqlDatabase connection = QSqlDatabase::addDatabase("QSQLITE", "fuzz.rows");
        connection.setDatabaseName(db);
        check(connection.open(), "the database opens");
        QSqlQuery query(connection);
        check(query.exec("SELECT quote(Name)||quote(MHz)||quote(KHz)||quote(Hz)||quote(Mode)||"
                         "quote(sMHz)||quote(sKHz)||quote(sHz)||quote(Split)||quote(Scan) "
                         "FROM TabFreq ORDER BY id"),
              "the rows can be read");
        while (query.next())
            rows.append(query.value(0).toString());
    }
    QSqlDatabase::removeDatabase("fuzz.rows");
    return rows;
}

struct Work {
    QTemporaryDir dir;
    QByteArray empty = bytesOf(QStringLiteral(CORVANE_TEMPLATE_PATH));
    QString file = dir.filePath("in.txt");
    QString db = dir.filePath("IN.MDB");
    QString own = dir.filePath("own.csv");
    QString back = dir.filePath("BACK.MDB");
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Work work;
    if (size < 1)
        return 0;
    ImportOptions options;
    switch (data[0] % 4) {
        case 1:
            options.format = MemoryFormat::Chirp;
            break;
        case 2:
            options.format = MemoryFormat::Gqrx;
            break;
        case 3:
            options.format = MemoryFormat::OwnCsv;
            break;
        default:
            break;
    }
    options.skipBad = (data[0] & 4) != 0;
    if (data[0] & 8)
        options.defaultMode = QStringLiteral("AM");
    writeBytes(work.file, QByteArray(reinterpret_cast<const char*>(data) + 1,
                                     static_cast<qsizetype>(size - 1)));
    writeBytes(work.db, work.empty);
    const ImportResult in = importMemories(work.file, work.db, options, {});
    if (!in.ok) {
        check(bytesOf(work.db) == work.empty, "a failed import leaves the database as it was");
        return 0;
    }
    const QStringList rows = rowsOf(work.db);
    check(rows.size() == in.added, "the rows added are the rows counted");
    check(in.refused == 0 || options.skipBad, "rows refused without --skip-bad import nothing");

    const ExportResult out =
        exportMemories(work.db, work.own, MemoryFormat::OwnCsv, ViewOrder::None, {});
    check(out.ok && out.written == in.added && out.leftOut == 0, "every row imported exports");
    writeBytes(work.back, work.empty);
    const ImportResult again = importMemories(work.own, work.back, {}, {});
    check(again.ok && again.format == MemoryFormat::OwnCsv && again.added == in.added &&
              again.refused == 0 && again.remarks == 0,
          "the own CSV export imports whole");
    check(rowsOf(work.back) == rows, "the own CSV round trip keeps every row as it was");
    return 0;
}
