#pragma once

#include "common/errorcatalogue.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QVariant>

#include <array>
#include <optional>

class QSqlQuery;

/** One memory as read from TabFreq: the hidden row key and the ten fields in grid column
 *  order. A null QVariant stands for a null field; Split is held as the stored integer. */
struct MemoryRecord {
    qint64 id = 0;
    std::array<QVariant, 10> values;
    bool unread = false;  ///< the row could not be read: its fields are unknown, not null
};

/**
 * The rows of one view, fetched lazily. load() runs the record source once, exactly as
 * written, and keeps only the row key of every row in the view's order (a 100 000-row view
 * costs under a megabyte), so the record count is exact at once and the statement is
 * finished before load() returns: no lock is left on the file between reads. The fields of
 * a row are read by key when the row is first needed, a block of rows at a time, and kept
 * in a bounded cache.
 */
class RowStore {
public:
    /** Rows read together when one of them is needed. */
    static constexpr int kBlockRows = 64;
    /** Rows kept from the first pass, enough for a first screen without another read. */
    static constexpr int kFirstRowsKept = 256;
    /** The cache is emptied when it holds more rows than this. */
    static constexpr int kCacheLimit = 16384;

    /** Runs sql on the connection and keeps the row keys. The view must return TabFreq's
     *  row key column "id". On failure the store is empty and error names the file. */
    bool load(const QString& connection, const QString& path, const QString& sql, AppError* error);
    void clear();

    int count() const { return static_cast<int>(m_ids.size()); }
    qint64 idAt(int row) const { return m_ids.at(row); }

    /** The record of a row (0 <= row < count()), read from the file when not cached. A row
     *  that cannot be read (gone from the file, or the file locked) comes back with null
     *  fields until the next load(). The pointer is valid until the store changes. */
    const MemoryRecord* record(int row) const;

    /** Replaces the cached fields of a row (after it was written). */
    void update(int row, const MemoryRecord& record);
    /** Drops a row from the view (after it was deleted from the file). */
    void remove(int row);

    /** The last failure of a lazy read, empty when none since load(). */
    QString lastReadError() const { return m_lastReadError; }
    /** The first failure of a lazy read since load() or the last call, once: the caller
     *  reports it to the operator a single time, however many rows it affects. */
    std::optional<AppError> takeNewReadError() const;

private:
    void readBlock(int row) const;

    QString m_connection;
    QString m_path;
    QList<qint64> m_ids;
    mutable QHash<qint64, MemoryRecord> m_cache;
    mutable QString m_lastReadError;
    mutable std::optional<AppError> m_newReadError;
    mutable bool m_readErrorReported = false;
};

/** Column positions of the row key and the ten fields in a query's result, by name without
 *  regard to case; -1 for a field the result lacks. */
struct FieldPositions {
    int id = -1;
    std::array<int, 10> fields{};

    static FieldPositions of(const QSqlQuery& query);
    MemoryRecord read(const QSqlQuery& query) const;
};
