#pragma once

#include "exchange/memoryformat.h"

#include <QString>

#include <functional>
#include <optional>

/** A row of a file that is not taken (import) or not written as it is (export). */
struct RowIssue {
    qint64 line = 0;  ///< import: line of the file; export: place of the row in the view
    QString reason;
    bool remark = false;  ///< the row was taken (written), with what of it is lost
};

/** What the front end hears while the work runs; every member may be left empty. */
struct ExchangeCallbacks {
    std::function<void(qint64 done, qint64 total)> progress;  ///< now and then, not per row
    std::function<bool()> cancelRequested;                    ///< asked now and then
    std::function<void(const RowIssue&)> rowIssue;            ///< every issue, in file order
};

struct ImportOptions {
    std::optional<MemoryFormat> format;  ///< empty: guessed from the file's first lines
    bool skipBad = false;                ///< put the good rows in even when some are refused
    bool dryRun = false;                 ///< check everything, write nothing (the preview)
    QString defaultMode;  ///< the mode of gqrx bookmarks without one ("Unknown"); empty: refused
};

struct ImportResult {
    bool ok = false;         ///< the memories went in (or, for a dry run, would go in)
    bool cancelled = false;  ///< stopped by the front end; the database is as it was
    QString error;           ///< why not, when !ok; says whether the database changed
    MemoryFormat format = MemoryFormat::OwnCsv;
    QString encoding;    ///< the file's encoding as read ("UTF-8", "Latin-1 (...)")
    qint64 added = 0;    ///< memories added (dry run: that would be added)
    qint64 refused = 0;  ///< rows refused
    qint64 remarks = 0;  ///< rows taken with a remark (something of them is lost)
};

/**
 * Imports the memories of file into the bookmark database db (an existing SQLite file with
 * TabFreq; never created) in one transaction: every row goes in or none does. Every row is
 * mapped by its format and must then keep the memory rules; a refused row is reported with
 * its line and reason. Without skipBad one refused row means nothing is written (all rows
 * are still checked and reported); with it the good rows go in. A file that is not of the
 * format, a database that cannot be written, a full disk or a cancel leave the database
 * exactly as it was, and the error says so. The file is read one record at a time.
 */
ImportResult importMemories(const QString& file, const QString& db, const ImportOptions& options,
                            const ExchangeCallbacks& callbacks);

class QSqlDatabase;
/** The declared size of TabFreq.Name on the open database ("TEXT(50)" -> 50); 0 when the
 *  column declares none (then any length fits). */
int nameLimitOf(const QSqlDatabase& db);
