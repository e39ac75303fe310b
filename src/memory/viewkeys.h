#pragma once

#include "common/errorcatalogue.h"
#include "memory/keysetreader.h"
#include "memory/views.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QVariant>

#include <functional>
#include <optional>
#include <vector>

class QSqlQuery;

/**
 * The row keys of one view, in the view's order. A row key is SQLite's rowid of the row in
 * TabFreq (under whichever of the names rowid, _rowid_, oid the table leaves free), never a
 * column of the table's own.
 *
 * Windowed (a view query of known shape whose order an index serves): load() counts the view
 * and reads only its first rows. Other keys are read on demand: next to keys already read by
 * keyset paging from the last of them (KeysetReader), elsewhere (a jump into the middle or to
 * the end) by the row's position. The keys read so far are runs of consecutive rows
 * (segments) that join up as the gaps between them are read. No statement stays open
 * between reads, so no lock is left on the file.
 *
 * Whole (any other record source, or no serving index, as in a read-only database that was
 * never opened writable): load() runs the record source once with the row key added and keeps
 * every key, as a plain snapshot.
 *
 * Either way the list is a snapshot of the view: rows keep their place until the next load(),
 * whatever is written to them. Once this program has written a row, positions in the file's
 * order may differ from the snapshot's, so gaps are then read only from their edges (where a
 * written row met again at its new place is passed over), never by position. Rows that the
 * file no longer holds when their keys are read (another program deleted them) stay as rows
 * without a key.
 */
class ViewKeys {
public:
    enum class Mode { Windowed, Whole };
    /** Keys read at least at a time next to keys already read. */
    static constexpr int kChunkRows = 1024;
    /** Keys read around a row reached by its position. */
    static constexpr int kIslandRows = 256;

    /** Called for each row of the first window with the query on that row; the row key is
     *  column 0, the table's fields follow by name. */
    using RowSink = std::function<void(const QSqlQuery& query)>;

    /** Gives the file the indexes that serve the views (viewIndexStatements()) when it
     *  lacks any, all in one transaction; on any failure (a locked file, a full disk, a
     *  table without these columns) the file is left as it was and the views are read
     *  whole. For a file opened writable. */
    static void addIndexes(const QString& connection);

    /** Counts the view and reads its first firstRows rows whole (handed to sink). find: the
     *  view's find filter (findCondition), for the six view queries. On failure the list is
     *  empty and error names the file. */
    bool load(const QString& connection, const QString& path, const QString& source,
              const QString& find, int firstRows, const RowSink& sink, AppError* error);
    void clear();

    Mode mode() const { return m_mode; }
    /** The name under which the row key is selected and matched ("rowid" mostly). */
    QString keyColumn() const { return m_keyColumn; }
    int count() const { return m_count; }
    /** True when every key of the snapshot has been read (or no more can be). */
    bool complete() const;

    /** The key of a row, reading keys around it when needed; nullopt for a row the file no
     *  longer holds or outside 0..count()-1. A failed read is kept in takeReadError(). */
    std::optional<qint64> keyAt(int row);
    /** Reads the next chunk of keys after the first run (for reading ahead while idle). */
    void readAhead();
    /** The keys of rows first..last (read as needed); absent rows are left out. */
    QList<qint64> keysOf(int first, int last);

    /** The row was written by this program (see the class comment). */
    void noteWritten(qint64 key)
    {
        m_written.insert(key);
        m_drifted = true;
    }
    /** Drops a row from the view (after it was deleted from the file). */
    void remove(int row);

    /** Where a row just added to the file goes. Inserted: at row (count() has grown);
     *  NotInView: the view's filter leaves it out; Reload: this list cannot place it
     *  exactly (Whole mode, or rows were written since load()): read the view again. */
    struct Placement {
        enum Kind { Inserted, NotInView, Reload } kind = Reload;
        int row = -1;
    };
    Placement add(qint64 key, AppError* error);

    /** The failure of a read on demand, once. */
    std::optional<AppError> takeReadError();

private:
    /** Keys of consecutive rows from start on; cursor is the place of the last key read
     *  (kept when that row is deleted, so reading can go on after it). */
    struct Segment {
        int start = 0;
        QList<qint64> keys;
        KeysetCursor cursor;
        int end() const { return start + static_cast<int>(keys.size()); }
    };

    bool findKeyColumn(AppError* error);
    bool loadWhole(const QString& statement, const QVariantList& binds, int firstRows,
                   const RowSink& sink, AppError* error);
    bool loadWindowed(int firstRows, const RowSink& sink, AppError* error);
    int segmentBefore(int row) const;
    bool extend(int index, int wanted, AppError* error);
    bool readIsland(int row, AppError* error);
    void joinWithNext(int index);
    void shiftAfter(int row, int by);

    QString m_connection;
    QString m_path;
    Mode m_mode = Mode::Whole;
    QString m_keyColumn = QStringLiteral("rowid");
    KeysetReader m_reader;
    std::vector<Segment> m_segments;
    int m_count = 0;
    bool m_exhausted = false;  ///< the view ended before count(): the rest has no keys
    QSet<qint64> m_written;    ///< rows written since load(): passed over when met again
    bool m_drifted = false;    ///< the file's order may differ from the snapshot's
    std::optional<AppError> m_readError;
};
