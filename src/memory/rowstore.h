#pragma once

#include "common/errorcatalogue.h"
#include "memory/viewkeys.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QVariant>

#include <array>
#include <optional>

class QSqlQuery;

/** One memory as read from TabFreq: the row key (SQLite's rowid) and the ten fields in grid
 *  column order. A null QVariant stands for a null field; Split is held as the stored
 *  integer. */
struct MemoryRecord {
    qint64 key = 0;
    std::array<QVariant, 10> values;
    bool unread = false;  ///< the row could not be read: its fields are unknown, not null
};

/**
 * The rows of one view. The row keys come from ViewKeys (a view of a known shape is read a
 * window at a time, by its own order); the fields of a row are read by key when the row is
 * first needed, a block of rows at a time, and kept in a small cache, so a view of 100 000
 * memories opens, scrolls and jumps at the cost of the rows on screen.
 */
class RowStore {
public:
    /** Rows read together when one of them is needed. */
    static constexpr int kBlockRows = 64;
    /** Rows read whole by load(), enough for a first screen without another read. */
    static constexpr int kFirstRowsKept = 128;
    /** The cache is emptied when it holds more rows than this (a few screens). */
    static constexpr int kCacheLimit = 1024;

    /** Reads the view of the record source on the connection, narrowed by the find text
     *  (findCondition): its row count and first rows. On failure the store is empty and
     *  error names the file. */
    bool load(const QString& connection, const QString& path, const QString& source,
              const QString& find, AppError* error);
    void clear();

    int count() const { return m_keys.count(); }
    /** The row key of a row; nullopt for a row the file no longer holds. */
    std::optional<qint64> keyAt(int row) const { return m_keys.keyAt(row); }
    /** The name the row key is matched by in statements ("rowid" mostly). */
    QString keyColumn() const { return m_keys.keyColumn(); }
    /** True when the view is read a window at a time (an index serves its order). */
    bool windowed() const { return m_keys.mode() == ViewKeys::Mode::Windowed; }
    /** False while keys of the view are still to be read (see readAhead()). */
    bool allKeysRead() const { return m_keys.complete(); }
    /** Reads the next chunk of row keys, so that later jumps find them at hand. */
    void readAhead() { m_keys.readAhead(); }

    /** The record of a row (0 <= row < count()), read from the file when not cached. A row
     *  that cannot be read (gone from the file, or the file locked) comes back unread, with
     *  null fields, until the next load(). The pointer is valid until the store changes. */
    const MemoryRecord* record(int row) const;

    /** Replaces the cached fields of a row (after it was written). */
    void update(int row, const MemoryRecord& record);
    /** Drops a row from the view (after it was deleted from the file). */
    void remove(int row);
    /** Places a row just added to the file (see ViewKeys::add). */
    ViewKeys::Placement add(qint64 key, AppError* error) { return m_keys.add(key, error); }

    /** The last failure of a lazy read, empty when none since load(). */
    QString lastReadError() const { return m_lastReadError; }
    /** The first failure of a lazy read since load() or the last call, once: the caller
     *  reports it to the operator a single time, however many rows it affects. */
    std::optional<AppError> takeNewReadError() const;

private:
    void readBlock(int row) const;
    void noteReadError(const AppError& error) const;

    QString m_connection;
    QString m_path;
    mutable ViewKeys m_keys;
    mutable QHash<qint64, MemoryRecord> m_cache;
    mutable QString m_lastReadError;
    mutable std::optional<AppError> m_newReadError;
    mutable bool m_readErrorReported = false;
};

/** Column positions of the ten fields in a query's result, by name without regard to case;
 *  -1 for a field the result lacks. The row key is column 0. */
struct FieldPositions {
    std::array<int, 10> fields{};

    static FieldPositions of(const QSqlQuery& query);
    MemoryRecord read(const QSqlQuery& query) const;
};
