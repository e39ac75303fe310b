// The memory file readers over arbitrary file contents, in each format: CHIRP CSV, gqrx
// (semicolon and older comma form) and the own CSV. Every row a reader takes must keep the
// memory rules, lines must come in order, and a taken row written as own CSV must read back
// as the same row. Any broken rule aborts (a finding).

#include "exchange/csvreader.h"
#include "exchange/memoryrules.h"
#include "exchange/rowmappers.h"
#include "exchange/rowwriters.h"
#include "fuzzcheck.h"
#include "profile/radioprofile.h"

#include <QBuffer>

#include <cstddef>
#include <cstdint>

namespace {

/** The own CSV writer's line for row, read back by the own CSV reader. */
void checkRoundTrip(const StoredRow& row)
{
    const std::unique_ptr<RowWriter> writer = makeRowWriter(MemoryFormat::OwnCsv);
    QByteArray bytes = writer->header() + writer->write(row, 1).bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    CsvReader reader(&buffer, QLatin1Char(','));
    QString error;
    check(reader.prepare(&error), "own CSV written is readable");
    const std::unique_ptr<RowMapper> mapper = makeRowMapper(MemoryFormat::OwnCsv, false);
    CsvRecord record;
    int rows = 0;
    while (reader.next(&record)) {
        const MappedRecord mapped = mapper->map(record);
        if (mapped.kind == MappedRecord::Kind::Memory) {
            check(mapped.row == row, "own CSV reads back the row written");
            ++rows;
        }
    }
    check(rows == 1, "own CSV holds the one row written");
}

void readAs(QByteArray bytes, MemoryFormat format, bool commaForm)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    CsvReader reader(&buffer, separatorOf(format, commaForm));
    QString error;
    if (!reader.prepare(&error))
        return;
    const std::unique_ptr<RowMapper> mapper = makeRowMapper(format, commaForm);
    CsvRecord record;
    qint64 lastLine = 0;
    while (reader.next(&record)) {
        check(record.line > lastLine && record.line <= reader.lineCount(), "lines in order");
        check(record.fields().size() == record.size(), "every field decodes");
        lastLine = record.line;
        const MappedRecord mapped = mapper->map(record);
        if (mapped.kind == MappedRecord::Kind::Fatal)
            return;
        if (mapped.kind != MappedRecord::Kind::Memory || memoryrules::ruleBreak(mapped.row, 0))
            continue;
        check(radioprofile::current().receives(quint64(memoryrules::mainHz(mapped.row))),
              "a taken memory is in range");
        checkRoundTrip(mapped.row);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    readAs(bytes, MemoryFormat::Chirp, false);
    readAs(bytes, MemoryFormat::Gqrx, false);
    readAs(bytes, MemoryFormat::Gqrx, true);
    readAs(bytes, MemoryFormat::OwnCsv, false);
    return 0;
}
