#pragma once

#include "common/errorcatalogue.h"

#include <QString>
#include <QVariant>

struct MemoryRecord;

/** How the grid's edits reach a row of TabFreq: the stored form of a cell value, the row
 *  write rule for split parts, and the statements that change or delete one row by key. */
namespace rowwrites {

/** The stored form of a cell value: text for the text fields (the empty text, never NULL,
 *  for an empty one), 0/1 for Split from a bool, a number or a yes/no text. */
QVariant storedValue(int column, const QVariant& value);

/** Row write rule: a row whose Split is false keeps no split parts; the parts emptied are
 *  added to changedColumns (a bit per column). */
void emptySplitPartsUnlessSplit(MemoryRecord* record, unsigned* changedColumns);

/** Writes the columns of record named by columns (a bit per column) to its row, found by
 *  record.key in keyColumn, over the open connection. A row no longer in the file is an
 *  error (3021); file names the file in every error. */
bool update(const QString& connection, const QString& keyColumn, const MemoryRecord& record,
            unsigned columns, const QString& file, AppError* error);

/** Deletes the row whose keyColumn is key. */
bool deleteRow(const QString& connection, const QString& keyColumn, qint64 key, const QString& file,
               AppError* error);

}  // namespace rowwrites
