#pragma once

#include "common/errorcatalogue.h"

#include <QObject>
#include <QString>
#include <QVariant>

class QAbstractItemModel;

/** Fields of TabFreq in grid column order (column 0 .. 9). The hidden integer primary
 *  key "id" is not a grid column. */
inline const char* const kMemoryFields[10] = {"Name", "MHz", "KHz", "Hz", "Mode",
                                              "sMHz", "sKHz", "sHz", "Split", "Scan"};
/** Column captions of the grid (column 7 is captioned "sHZ", bound to sHz). */
inline const char* const kMemoryCaptions[10] = {"Name", "MHz", "KHz", "Hz", "Mode",
                                                "sMHz", "sKHz", "sHZ", "Split", "Scan"};

namespace memcol {
constexpr int kName = 0, kMHz = 1, kKHz = 2, kHz = 3, kMode = 4, kSMHz = 5, kSKHz = 6,
              kSHz = 7, kSplit = 8, kScan = 9;
}

/**
 * The data control of the memory grid: the current bookmark database (an SQLite file), the
 * record source (a query text given to SQLite as it is), the rows of that view fetched
 * lazily, the current record, and the pending edit of one row. The only code that speaks
 * SQL, besides MemoryWriter's own connection for adding rows.
 *
 * Position: currentRow() is 0..recordCount()-1 on a record, recordCount() past the last
 * record (end of file), -1 when the view is empty or failed to open.
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

    /** Writes a pending row edit, reopens the file, runs the record source and moves to the
     *  first row (Reposition is emitted). On failure the view is empty and error says why,
     *  naming the file; nothing in the file is changed. */
    bool refresh(AppError* error);
    bool isOpen() const;

    int recordCount() const;
    int currentRow() const;
    bool isEof() const;
    void moveFirst();
    void moveNext();      ///< may move past the last record (end of file)
    void movePrevious();
    void moveLast();
    void moveTo(int row); ///< row in 0..recordCount(); recordCount() is end of file

    /** Value of a field of the current record, by name without regard to case; a null
     *  QVariant for a null field or when there is no current record. Pending edits of the
     *  current row are included. */
    QVariant field(const QString& name) const;

    /** The grid's model: ten columns in kMemoryFields order, headers kMemoryCaptions, one
     *  row per record of the view. Cells are editable; setData puts the value into the
     *  pending row buffer without any check (the grid applies the cell rules first). */
    QAbstractItemModel* model() const;

    /** Sets a cell of the current row from code (scan toggle, split flag, mode pop-up):
     *  marks the row edited; written with the next row write. */
    void setCurrentCell(int column, const QVariant& value);

    bool hasPendingRow() const;
    int pendingRow() const;
    /** Writes the pending row (empties the split parts when Split is false first). */
    bool writePendingRow(AppError* error);
    /** Deletes the current record from the file and re-reads the view, staying at the same
     *  position (or the new last record). */
    bool deleteCurrentRow(AppError* error);

signals:
    /** The current record changed (also past the last record, and after refresh). */
    void Reposition();

private:
    class Private;
    Private* d;
};
