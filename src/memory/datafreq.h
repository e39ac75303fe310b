#pragma once

#include "common/errorcatalogue.h"

#include <QObject>
#include <QString>
#include <QVariant>

#include <memory>

class QAbstractItemModel;
struct MemoryRecord;

/** Fields of TabFreq in grid column order (column 0 .. 9). Rows are keyed by SQLite's
 *  rowid; a column "id" of the table, if any, is neither a grid column nor a key. */
inline const char* const kMemoryFields[10] = {"Name", "MHz",  "KHz", "Hz",    "Mode",
                                              "sMHz", "sKHz", "sHz", "Split", "Scan"};
/** Column captions of the grid (column 7 is captioned "sHZ", bound to sHz). */
inline const char* const kMemoryCaptions[10] = {"Name", "MHz",  "KHz", "Hz",    "Mode",
                                                "sMHz", "sKHz", "sHZ", "Split", "Scan"};

namespace memcol {
constexpr int kName = 0, kMHz = 1, kKHz = 2, kHz = 3, kMode = 4, kSMHz = 5, kSKHz = 6, kSHz = 7,
              kSplit = 8, kScan = 9;
}

/**
 * The data control of the memory grid: the current bookmark database (an SQLite file), the
 * record source (a query text given to SQLite as it is), the rows of that view fetched
 * lazily, the current record, and the pending edit of one row. Its SQL is spoken by its
 * parts (RowStore, ViewKeys, KeysetReader) on the connection sqlitefile::open gives it;
 * MemoryWriter adds rows on a connection of its own, and the import and export of
 * src/exchange/ open theirs the same way (README, "Layout").
 *
 * Position: currentRow() is 0..recordCount()-1 on a record, recordCount() past the last
 * record (end of file), -1 when the view is empty or failed to open.
 *
 * The file: an SQLite 3 file holding TabFreq, opened on a connection of this instance's
 * own; a missing file is never created, a file without write permission is shown
 * read-only, a file locked by another program fails after a short wait. Every failure is
 * an AppError whose text names the file and the cause; nothing in the file changes then.
 *
 * Rows: refresh() counts the view and reads its first rows; one of the six view queries is
 * then read a window at a time in its own order (through the indexes that a writable file
 * gets when it lacks them), any other record source is run whole once; the fields of a row
 * are read when the grid or field() first needs them (see RowStore and ViewKeys), so a view
 * of 100 000 memories opens, scrolls and jumps at once. Rows are keyed by SQLite's rowid.
 *
 * The pending row: cell edits go into a one-row buffer; the row is written (UPDATE by its
 * key) by writePendingRow(), and before the current row moves to another row, before a
 * refresh, before another row is edited, and when the object is destroyed. Rows keep their
 * place in the view until the next refresh, as the grid shows them. Whether the current row
 * may change is decided in one place, mayLeavePendingRow(): a pending row that cannot be
 * written keeps the current row (and the grid, which asks the same) where it is, with the
 * edit, until it is written or discarded. Write failures name the file open now, also after
 * setDatabaseName() has named the next one.
 *
 * A read-only file: its cells are not editable and setCell() refuses every value, so no
 * edit can become pending; databaseOpened(true) tells the window once per refresh.
 */
class DataFreq : public QObject {
    Q_OBJECT
public:
    explicit DataFreq(QObject* parent = nullptr);
    ~DataFreq() override;

    void setDatabaseName(const QString& path);
    QString databaseName() const;
    void setRecordSource(const QString& sql);
    QString recordSource() const;
    /** The find filter on the view (see findCondition()): taken by the next refresh, for
     *  the six view queries; the view's order stays. Empty: every row of the view. */
    void setFindText(const QString& text);
    QString findText() const;

    /** Writes a pending row edit, reopens the file, runs the record source and moves to the
     *  first row (repositioned is emitted). On failure the view is empty and error says why,
     *  naming the file; nothing in the file is changed. */
    bool refresh(AppError* error);
    bool isOpen() const;

    int recordCount() const;
    int currentRow() const;
    bool isEof() const;
    void moveFirst();
    void moveNext();  ///< may move past the last record (end of file)
    void movePrevious();
    void moveLast();
    /** row in 0..recordCount() (clamped); recordCount() is end of file. Emits repositioned
     *  when the position changes. Moving off an edited row writes it first; if that write
     *  fails, rowWriteFailed is emitted and the position and the edit stay as they were. */
    void moveTo(int row);

    /** Value of a field of the current record, by name without regard to case; a null
     *  QVariant for a null field or when there is no current record. Pending edits of the
     *  current row are included. "rowid" gives the row key. */
    QVariant field(const QString& name) const;

    /** Value of a cell, pending edits included: a QString for the text fields, a bool for
     *  Split, a null QVariant for a null field or a row outside the view. */
    QVariant cell(int row, int column) const;
    /** Puts a value into the pending row buffer (row 0..recordCount()-1). A pending edit of
     *  another row is written first; false when that fails (rowWriteFailed is emitted), the
     *  file is read-only, or the row or column is outside the view. Split takes a bool, 0/1
     *  or "True"/"False". */
    bool setCell(int row, int column, const QVariant& value);
    /** True when the view is read a window at a time (one of the six view queries, served
     *  by the view indexes); false when the record source was run whole. */
    bool isWindowed() const;
    /** True when the file is open read-only: every write is refused with an error. */
    bool isReadOnly() const;

    /** The grid's model: ten columns in kMemoryFields order, headers kMemoryCaptions, one
     *  row per record of the view. Cells are editable; setData puts the value into the
     *  pending row buffer without any check (the grid applies the cell rules first).
     *  Split shows as "True"/"False" and edits as a bool (stored 1/0); a null field shows
     *  as an empty cell. No rows are ever inserted through the model. */
    QAbstractItemModel* model() const;

    /** Sets a cell of the current row from code (scan toggle, split flag, mode pop-up):
     *  marks the row edited; written with the next row write. */
    void setCurrentCell(int column, const QVariant& value);

    /** True when row may become the current row: no edit of another row is pending, or it
     *  was written now. Otherwise rowWriteFailed is emitted and the edit stays pending. The
     *  one place where a row change is refused: moveTo(), setCell() and the grid ask it. */
    bool mayLeavePendingRow(int row);

    bool hasPendingRow() const;
    int pendingRow() const;
    /** Writes the pending row (empties the split parts when Split is false first). On
     *  failure the edit stays pending and error names the file and the cause. */
    bool writePendingRow(AppError* error);
    /** Forgets the pending edit; the row shows its stored values again. */
    void discardPendingRow();
    /** Deletes the current record from the file and re-reads the view, staying at the same
     *  position (or the new last record). */
    bool deleteCurrentRow(AppError* error);
    /** Shows a row just added to the file (by its rowid) as a refresh would, without reading
     *  the view again: the row takes its place in the view (if the view's filter lets it in)
     *  and the first record becomes current (repositioned is emitted). Falls back to refresh()
     *  for a view read whole. A pending row edit is written first. */
    bool showAddedRow(qint64 key, AppError* error);
    /** The view's row that holds key, or -1 when the view does not show it (or its place is
     *  not known without reading the whole view). For the row showAddedRow() just placed. */
    int rowOfAdded(qint64 key);

    /** True when another program (or another connection) changed the open file since the
     *  view was read (SQLite's PRAGMA data_version); cheap enough to ask every few seconds. */
    bool changedOutside() const;
    /** refresh(), then back to the record that was current (by its key) when the view still
     *  holds it, else to the same place. */
    bool refreshKeepingRecord(AppError* error);

signals:
    /** The current record changed (also past the last record, and after refresh). */
    void repositioned();
    /** A row write that the object made on its own (on a move or a new edit) failed; the
     *  edit is still pending. */
    void rowWriteFailed(const AppError& error);
    /** Rows of the view could not be read from the file (locked, damaged): they show empty
     *  and cannot be edited until the next refresh. Emitted once per refresh. */
    void readFailed(const AppError& error);
    /** A refresh opened the file; readOnly when its rows can be shown but not changed. */
    void databaseOpened(bool readOnly);

private:
    const MemoryRecord* recordAt(int row) const;

    class Private;
    std::unique_ptr<Private> d;
};
