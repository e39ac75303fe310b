#pragma once

#include "exchange/memoryformat.h"
#include "exchange/memoryrules.h"

#include <QByteArray>

#include <memory>

/** The text an export writes for one stored row. */
struct WrittenRow {
    QByteArray bytes;  ///< what goes into the file (empty when the row is not written)
    QString problem;   ///< why the row is not written, or what was written differently
    bool written = true;
};

/**
 * Writes the rows of one format, UTF-8. CHIRP gets CHIRP's own column header and CR LF
 * line ends; gqrx the current form (tag table, then the bookmarks); the own CSV the ten
 * fields by name with nulls kept (an empty field is null, "" the empty text). A row that
 * breaks the memory rules is written as it stands in the own CSV (and said so), and left
 * out with its reason in the other two, where it has no meaning.
 */
class RowWriter {
public:
    virtual ~RowWriter() = default;
    virtual QByteArray header() const = 0;
    /** position: the row's place in the export, from 1. */
    virtual WrittenRow write(const StoredRow& row, qint64 position) const = 0;
};

std::unique_ptr<RowWriter> makeRowWriter(MemoryFormat format);

/** The CHIRP columns written, in order (CHIRP's own header). */
QStringList chirpColumns();
