#pragma once

#include "exchange/memoryimport.h"
#include "exchange/memoryrules.h"
#include "memory/views.h"

#include <QStringList>

struct ExportResult {
    bool ok = false;
    bool cancelled = false;  ///< stopped by the front end; the file is as it was
    QString error;           ///< why not, when !ok; says that the file was left as it was
    qint64 written = 0;      ///< memories written
    qint64 leftOut = 0;      ///< rows not written (they break the rules; reported)
    qint64 remarks = 0;      ///< rows written with a remark (reported)
};

/**
 * Exports every memory of the bookmark database db to file, in the view order given, in the
 * chosen format. The file is written under a temporary name and renamed into place only
 * when complete, so a failed or cancelled export never leaves a half file over an older one.
 * Rows are read one at a time. Every row left out or written with a remark is reported
 * with its place in the view and the reason.
 */
ExportResult exportMemories(const QString& db, const QString& file, MemoryFormat format,
                            ViewOrder order, const ExchangeCallbacks& callbacks);

/** Reads every row of db in the view order, one at a time, for list and check; visit
 *  returns false to stop. False with error when the database cannot be read. */
bool readMemories(const QString& db, ViewOrder order,
                  const std::function<bool(qint64 id, const StoredRow& row)>& visit, QString* error,
                  qint64* total = nullptr);

/** The engine's integrity check of db and the declared name size: problems gets each line
 *  the engine reports (none for a sound file). False with error when db cannot be read. */
bool checkIntegrity(const QString& db, QStringList* problems, int* nameLimit, QString* error);
