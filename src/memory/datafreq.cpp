#include "memory/datafreq.h"

#include "memory/memorymodel.h"
#include "memory/rowstore.h"
#include "memory/rowwrites.h"
#include "memory/sqlitefile.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTimer>

#include <algorithm>
#include <optional>

namespace {

constexpr int kColumns = 10;
/** The engine's page cache of the grid's connection, in KiB. The grid reads a few index pages
 *  per screen, and the system keeps the file's pages anyway; the engine's default (2 MB)
 *  would grow with the database as the keys are read ahead. */
constexpr int kPageCacheKiB = 512;

/** Keeps the engine's page cache of the connection to kPageCacheKiB. Only a matter of memory:
 *  where it fails the default stays. */
void limitPageCache(const QString& connection)
{
    QSqlQuery pragma(QSqlDatabase::database(connection, false));
    pragma.exec(QStringLiteral("PRAGMA cache_size = -%1").arg(kPageCacheKiB));
}

/** SQLite's count of changes that other connections committed to the file, as seen from
 *  this one; nullopt when it cannot be read. */
std::optional<qint64> dataVersion(const QString& connection)
{
    QSqlQuery pragma(QSqlDatabase::database(connection, false));
    if (!pragma.exec(QStringLiteral("PRAGMA data_version")) || !pragma.next())
        return std::nullopt;
    return pragma.value(0).toLongLong();
}

/** The column of a field name, without regard to case; -1 for none. */
int columnOf(const QString& name)
{
    for (int c = 0; c < kColumns; ++c) {
        if (name.compare(QLatin1String(kMemoryFields[c]), Qt::CaseInsensitive) == 0)
            return c;
    }
    return -1;
}

}  // namespace

class DataFreq::Private {
public:
    DataFreq* q = nullptr;  ///< the owner, for signals sent from its const lookups
    QString path;           ///< the file the next refresh opens
    QString openPath;       ///< the file open now, named by every write failure
    QString source = QStringLiteral("TabFreq");
    QString find;  ///< the find filter's text
    QString connection = sqlitefile::uniqueConnectionName(QStringLiteral("corvane.datafreq"));
    bool open = false;
    bool readOnly = false;
    RowStore rows;
    int current = -1;
    int pendingRow = -1;
    qint64 lastAddedKey = -1;  ///< the row showAddedRow() placed last, and where
    int lastAddedRow = -1;
    MemoryRecord pending;
    unsigned pendingColumns = 0;
    MemoryModel* model = nullptr;
    QTimer readAhead;  ///< reads the rest of the view's keys while the window is idle
    std::optional<qint64> seenVersion;  ///< data_version when the view was last read

    void readAheadLater()
    {
        if (open && rows.windowed() && !rows.allKeysRead())
            readAhead.start();
        else
            readAhead.stop();
    }

    void closeFile()
    {
        readAhead.stop();
        rows.clear();
        openPath.clear();
        if (open || QSqlDatabase::contains(connection))
            sqlitefile::close(connection);
        open = false;
        readOnly = false;
    }
    bool refuseWrite(AppError* error) const
    {
        if (!open) {
            *error = sqlitefile::fileError(errors::kDatabaseError, path,
                                           QStringLiteral("the database is not open"));
            return true;
        }
        if (readOnly) {
            *error = sqlitefile::fileError(errors::kDatabaseReadOnly, openPath,
                                           QStringLiteral("the file is read-only"));
            return true;
        }
        return false;
    }
};

DataFreq::DataFreq(QObject* parent) : QObject(parent), d(std::make_unique<Private>())
{
    d->q = this;
    d->model = new MemoryModel(this);
    d->readAhead.setInterval(0);
    d->readAhead.setSingleShot(true);
    connect(&d->readAhead, &QTimer::timeout, this, [this] {
        d->rows.readAhead();
        d->readAheadLater();
    });
}

DataFreq::~DataFreq()
{
    AppError ignored;
    writePendingRow(&ignored);  // last chance: a pending edit is not dropped silently
    delete d->model;
    d->closeFile();
}

void DataFreq::setDatabaseName(const QString& path)
{
    d->path = path;
}
QString DataFreq::databaseName() const
{
    return d->path;
}
void DataFreq::setRecordSource(const QString& sql)
{
    d->source = sql;
}
QString DataFreq::recordSource() const
{
    return d->source;
}
void DataFreq::setFindText(const QString& text)
{
    d->find = text;
}
QString DataFreq::findText() const
{
    return d->find;
}
bool DataFreq::isOpen() const
{
    return d->open;
}
bool DataFreq::isWindowed() const
{
    return d->open && d->rows.windowed();
}
bool DataFreq::isReadOnly() const
{
    return d->open && d->readOnly;
}
QAbstractItemModel* DataFreq::model() const
{
    return d->model;
}
int DataFreq::recordCount() const
{
    return d->rows.count();
}
int DataFreq::currentRow() const
{
    return d->current;
}
bool DataFreq::hasPendingRow() const
{
    return d->pendingRow >= 0;
}
int DataFreq::pendingRow() const
{
    return d->pendingRow;
}

bool DataFreq::isEof() const
{
    return d->rows.count() == 0 || d->current >= d->rows.count();
}

bool DataFreq::refresh(AppError* error)
{
    if (!writePendingRow(error))
        return false;
    d->model->announceResetBegin();
    d->closeFile();
    d->current = -1;
    bool ok = sqlitefile::open(d->connection, d->path, &d->readOnly, error);
    if (ok) {
        d->open = true;
        d->openPath = d->path;
        limitPageCache(d->connection);
        if (!d->readOnly)
            ViewKeys::addIndexes(d->connection);
        ok = d->rows.load(d->connection, d->path, d->source, d->find, error);
        if (!ok)
            d->closeFile();
    }
    if (ok && d->rows.count() > 0)
        d->current = 0;
    d->seenVersion = ok ? dataVersion(d->connection) : std::nullopt;
    d->model->announceResetEnd();
    d->readAheadLater();
    emit repositioned();
    if (ok)
        emit databaseOpened(d->readOnly);
    return ok;
}

void DataFreq::moveFirst()
{
    moveTo(0);
}
void DataFreq::moveLast()
{
    moveTo(d->rows.count() - 1);
}
void DataFreq::moveNext()
{
    moveTo(d->current + 1);
}
void DataFreq::movePrevious()
{
    moveTo(std::max(d->current - 1, 0));
}

void DataFreq::moveTo(int row)
{
    const int count = d->rows.count();
    if (count == 0)
        return;
    row = std::clamp(row, 0, count);
    if (row == d->current || !mayLeavePendingRow(row))
        return;
    d->current = row;
    emit repositioned();
}

QVariant DataFreq::field(const QString& name) const
{
    if (d->current < 0 || d->current >= d->rows.count())
        return {};
    if (name.compare(QLatin1String("rowid"), Qt::CaseInsensitive) == 0) {
        const std::optional<qint64> key = d->rows.keyAt(d->current);
        return key ? QVariant(*key) : QVariant();
    }
    const int column = columnOf(name);
    return column < 0 ? QVariant() : cell(d->current, column);
}

const MemoryRecord* DataFreq::recordAt(int row) const
{
    const MemoryRecord* record = d->rows.record(row);
    // A failed read is told once, after the current paint or lookup has finished: reads
    // happen while the grid paints, where no message box may open.
    if (std::optional<AppError> error = d->rows.takeNewReadError()) {
        DataFreq* self = d->q;
        QMetaObject::invokeMethod(
            self, [self, e = *error] { emit self->readFailed(e); }, Qt::QueuedConnection);
    }
    return record;
}

QVariant DataFreq::cell(int row, int column) const
{
    if (column < 0 || column >= kColumns)
        return {};
    QVariant value;
    if (row == d->pendingRow) {
        value = d->pending.values[column];
    } else {
        const MemoryRecord* record = recordAt(row);
        if (!record)
            return {};
        value = record->values[column];
    }
    if (column == memcol::kSplit && !value.isNull())
        return value.toInt() != 0;
    return value;
}

bool DataFreq::mayLeavePendingRow(int row)
{
    if (d->pendingRow < 0 || d->pendingRow == row)
        return true;
    AppError error;
    if (writePendingRow(&error))
        return true;
    emit rowWriteFailed(error);
    return false;
}

bool DataFreq::setCell(int row, int column, const QVariant& value)
{
    if (!d->open || d->readOnly || row < 0 || row >= d->rows.count() || column < 0 ||
        column >= kColumns)
        return false;
    if (!mayLeavePendingRow(row))
        return false;
    if (d->pendingRow < 0) {
        const MemoryRecord* record = recordAt(row);
        if (!record || record->unread)
            return false;
        d->pending = *record;
        d->pendingRow = row;
        d->pendingColumns = 0;
    }
    d->pending.values[column] = rowwrites::storedValue(column, value);
    d->pendingColumns |= 1u << column;
    d->model->announceRowChanged(row);
    return true;
}

void DataFreq::setCurrentCell(int column, const QVariant& value)
{
    setCell(d->current, column, value);
}

bool DataFreq::writePendingRow(AppError* error)
{
    if (d->pendingRow < 0)
        return true;
    if (d->refuseWrite(error))
        return false;
    MemoryRecord record = d->pending;
    unsigned columns = d->pendingColumns;
    rowwrites::emptySplitPartsUnlessSplit(&record, &columns);
    if (!rowwrites::update(d->connection, d->rows.keyColumn(), record, columns, d->openPath, error))
        return false;
    const int row = d->pendingRow;
    d->rows.update(row, record);
    d->pendingRow = -1;
    d->pendingColumns = 0;
    d->model->announceRowChanged(row);
    return true;
}

void DataFreq::discardPendingRow()
{
    const int row = d->pendingRow;
    d->pendingRow = -1;
    d->pendingColumns = 0;
    if (row >= 0)
        d->model->announceRowChanged(row);
}

bool DataFreq::deleteCurrentRow(AppError* error)
{
    const int row = d->current;
    if (row < 0 || row >= d->rows.count()) {
        *error = sqlitefile::fileError(errors::kNoCurrentRecord, d->openPath, QString());
        return false;
    }
    if (d->refuseWrite(error))
        return false;
    if (d->pendingRow >= 0 && d->pendingRow != row && !writePendingRow(error))
        return false;
    // A row the file no longer holds has no key: it only leaves the view.
    const std::optional<qint64> key = d->rows.keyAt(row);
    if (key && !rowwrites::deleteRow(d->connection, d->rows.keyColumn(), *key, d->openPath, error))
        return false;
    if (d->pendingRow == row)
        discardPendingRow();
    d->model->announceRemoveBegin(row);
    d->rows.remove(row);
    d->model->announceRemoveEnd();
    d->current = std::min(row, d->rows.count() - 1);
    emit repositioned();
    return true;
}

bool DataFreq::showAddedRow(qint64 key, AppError* error)
{
    if (!d->open)
        return refresh(error);
    if (!writePendingRow(error))
        return false;
    const ViewKeys::Placement placed = d->rows.add(key, error);
    d->lastAddedKey = key;
    d->lastAddedRow = placed.kind == ViewKeys::Placement::Inserted ? placed.row : -1;
    switch (placed.kind) {
        case ViewKeys::Placement::Reload:
            return refresh(error);
        case ViewKeys::Placement::Inserted:
            d->model->announceInsert(placed.row);
            break;
        case ViewKeys::Placement::NotInView:
            break;
    }
    d->current = d->rows.count() > 0 ? 0 : -1;    // as a refresh leaves it: on the first row
    d->seenVersion = dataVersion(d->connection);  // the row added is ours, not news
    emit repositioned();
    return true;
}

bool DataFreq::changedOutside() const
{
    if (!d->open || !d->seenVersion)
        return false;
    const std::optional<qint64> now = dataVersion(d->connection);
    return now && *now != *d->seenVersion;
}

bool DataFreq::refreshKeepingRecord(AppError* error)
{
    const int row = d->current;
    const std::optional<qint64> key = row >= 0 ? d->rows.keyAt(row) : std::nullopt;
    if (!refresh(error))
        return false;
    if (!key || d->rows.keyAt(std::min(row, d->rows.count() - 1)) == key) {
        if (row > 0)
            moveTo(std::min(row, d->rows.count() - 1));
        return true;
    }
    for (int r = 0; r < d->rows.count(); ++r) {
        if (d->rows.keyAt(r) == key) {
            moveTo(r);
            return true;
        }
    }
    moveTo(std::min(row, d->rows.count() - 1));  // the record is gone: the same place
    return true;
}

int DataFreq::rowOfAdded(qint64 key)
{
    if (d->lastAddedKey == key && d->lastAddedRow >= 0 && d->rows.keyAt(d->lastAddedRow) == key)
        return d->lastAddedRow;
    // A view read again whole has all its keys in memory.
    if (!d->rows.allKeysRead())
        return -1;
    for (int row = 0; row < d->rows.count(); ++row) {
        if (d->rows.keyAt(row) == key)
            return row;
    }
    return -1;
}
