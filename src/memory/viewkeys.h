#pragma once

#include "common/errorcatalogue.h"
#include "memory/views.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QVariant>

#include <functional>
#include <optional>

class QSqlQuery;

/**
 * The row keys of one view, in the view's order. A row key is SQLite's rowid of the row in
 * TabFreq (under whichever of the names rowid, _rowid_, oid the table leaves free), never a
 * column of the table's own.
 *
 * Windowed (a view query of known shape whose order an index serves): load() counts the view
 * and reads only its first rows; later keys are read on demand, a chunk at a time, by keyset
 * paging from the last key read (ordering values under their column collations, nulls first,
 * rowid last). No statement stays open between reads, so no lock is left on the file.
 *
 * Whole (any other record source, or no serving index, as in a read-only database that was
 * never opened writable): load() runs the record source once with the row key added and keeps
 * every key, as a plain snapshot.
 *
 * Either way the list is a snapshot of the view: rows keep their place until the next load(),
 * whatever is written to them. A row this program wrote is never listed a second time when
 * a later chunk meets it again at its new place. Rows that the file no longer holds when
 * their chunk is read (another program deleted them) stay as rows without a key.
 */
class ViewKeys {
public:
    enum class Mode { Windowed, Whole };
    /** Keys read at least at a time when the list is extended. */
    static constexpr int kChunkRows = 4096;

    /** Called for each row of the first window with the query on that row; the row key is
     *  column 0, the table's fields follow by name. */
    using RowSink = std::function<void(const QSqlQuery& query)>;

    /** Gives the file the indexes that serve the views (viewIndexStatements()) when it
     *  lacks any, all in one transaction; on any failure (a locked file, a full disk, a
     *  table without these columns) the file is left as it was and the views are read
     *  whole. For a file opened writable. */
    static void addIndexes(const QString& connection);

    /** Counts the view and reads its first firstRows rows whole (handed to sink). On
     *  failure the list is empty and error names the file. */
    bool load(const QString& connection, const QString& path, const QString& source, int firstRows,
              const RowSink& sink, AppError* error);
    void clear();

    Mode mode() const { return m_mode; }
    /** The name under which the row key is selected and matched ("rowid" mostly). */
    QString keyColumn() const { return m_keyColumn; }
    int count() const { return m_count; }
    /** True when every key of the snapshot has been read (or no more can be). */
    bool complete() const;

    /** The key of a row, reading keys up to it when needed; nullopt for a row the file no
     *  longer holds or outside 0..count()-1. A failed read is kept in takeReadError(). */
    std::optional<qint64> keyAt(int row);
    /** Reads the next chunk of keys (for reading ahead while idle). */
    void readAhead();
    /** The keys of rows first..last (read as needed); absent rows are left out. */
    QList<qint64> keysOf(int first, int last);

    /** The row was written by this program: if a later chunk meets it, it is skipped. */
    void noteWritten(qint64 key) { m_written.insert(key); }
    /** Drops a row from the view (after it was deleted from the file). */
    void remove(int row);

    /** Where a row just added to the file goes. Inserted: at row (0..count()-1, count()
     *  has grown); Later: among the rows not read yet (count() has grown); NotInView: the
     *  view's filter leaves it out; Reload: this list cannot place it (Whole mode). */
    struct Placement {
        enum Kind { Inserted, Later, NotInView, Reload } kind = Reload;
        int row = -1;
    };
    Placement add(qint64 key, AppError* error);

    /** The failure of a read on demand, once. */
    std::optional<AppError> takeReadError();

private:
    bool findKeyColumn(AppError* error);
    bool loadWhole(const QString& source, int firstRows, const RowSink& sink, AppError* error);
    bool loadWindowed(int firstRows, const RowSink& sink, AppError* error);
    bool extend(int wanted, AppError* error);
    bool readAfter(int level, int limit, QList<qint64>* keys, AppError* error) const;
    bool setCursor(qint64 key, AppError* error);
    bool servedByIndex(const QString& windowQuery, int limit) const;
    bool counted(const QString& fromWhere, const QVariantList& binds, qint64* result,
                 AppError* error) const;
    bool rowsBefore(const QVariantList& values, qint64 key, qint64* before, AppError* error) const;

    QString from() const;
    QString orderBy() const;
    QStringList baseConditions() const;
    QString afterCursor(int level, QVariantList* binds) const;

    QString m_connection;
    QString m_path;
    Mode m_mode = Mode::Whole;
    ViewShape m_shape;
    QString m_keyColumn = QStringLiteral("rowid");
    QList<qint64> m_keys;
    int m_count = 0;
    bool m_exhausted = true;
    QVariantList m_cursorValues;  ///< ordering values of the last key read
    qint64 m_cursorKey = 0;
    QSet<qint64> m_written;
    std::optional<AppError> m_readError;
};
