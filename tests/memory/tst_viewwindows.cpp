#include "memory/datafreq.h"
#include "memory/memorywriter.h"
#include "memory/views.h"
#include "scan/bookmarkscan.h"

#include "support/memoryfixture.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr int kRows = 3000;  // more than the first window and a few chunks of keys
const char* const kFields = "Name, MHz, KHz, Hz, Mode, sMHz, sKHz, sHz, Split, Scan";

/** Runs statements on a connection of the test's own, in one transaction. */
void execAll(const QString& path, const QStringList& statements,
             const QList<QVariantList>& binds = {})
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "setup");
        db.setDatabaseName(path);
        QVERIFY(db.open());
        db.transaction();
        for (qsizetype i = 0; i < statements.size(); ++i) {
            QSqlQuery query(db);
            query.prepare(statements[i]);
            for (const QVariant& value : binds.value(i))
                query.addBindValue(value);
            QVERIFY2(query.exec(), qPrintable(query.lastError().text() + ": " + statements[i]));
        }
        QVERIFY(db.commit());
    }
    QSqlDatabase::removeDatabase("setup");
}

/** Rows full of ties: names null, empty, differing only in case or by a trailing blank;
 *  frequency parts null and empty; scan marks in several spellings. */
QList<QVariantList> tiedRows(int count)
{
    const QVariantList names{QVariant(), "",     "alpha", "Alpha", "ALPHA",
                             "alpha ",   "beta", "B",     "zulu",  "Zulu"};
    const QVariantList mhz{QVariant(), "", "007", "014", "145"};
    const QVariantList scans{"Y", QVariant(), "", "y", "N"};
    QList<QVariantList> rows;
    quint32 seed = 12345;
    const auto pick = [&seed](const QVariantList& from) {
        seed = seed * 1103515245u + 12345u;
        return from.at((seed >> 16) % from.size());
    };
    for (int i = 0; i < count; ++i) {
        const QVariant scan = i % 20 == 0 ? QVariant("Y") : pick(scans.mid(1));
        rows.append({pick(names), pick(mhz), pick({"050", "250"}), pick({"000", "500"}), "FM",
                     QVariant(), QVariant(), QVariant(), 0, scan});
    }
    return rows;
}

void insertRows(const QString& path, const QString& table, const QList<QVariantList>& rows)
{
    const QString insert = QStringLiteral("INSERT INTO %1 (%2) VALUES (?,?,?,?,?,?,?,?,?,?)")
                               .arg(table, QLatin1String(kFields));
    execAll(path, QStringList(rows.size(), insert), rows);
}

QString textOf(const QVariant& value)
{
    return value.isNull() ? QStringLiteral("~") : value.toString();
}

/** The view as the bookmark scan walks it (move first, move next until end of file): each
 *  row as its key and ten fields joined by "|". */
QStringList walked(DataFreq& data)
{
    QStringList rows;
    for (data.moveFirst(); !data.isEof(); data.moveNext()) {
        QStringList fields{data.field("rowid").toString()};
        for (int c = 0; c < 10; ++c) {
            const QVariant value = data.cell(data.currentRow(), c);
            fields << (c == memcol::kSplit && !value.isNull() ? QString::number(value.toInt())
                                                              : textOf(value));
        }
        rows << fields.join('|');
    }
    return rows;
}

std::unique_ptr<DataFreq> opened(const QString& path, const QString& source)
{
    return fixture::openedDataFreq(path, source);
}

void addMemory(DataFreq& data, const NewMemory& memory)
{
    AppError error;
    qint64 key = 0;
    QVERIFY2(MemoryWriter::addMemory(data.databaseName(), memory, &error, &key),
             qPrintable(error.text));
    QVERIFY2(data.showAddedRow(key, &error), qPrintable(error.text));
}

void deleteRow(DataFreq& data, int row)
{
    data.moveTo(row);
    AppError error;
    QVERIFY2(data.deleteCurrentRow(&error), qPrintable(error.text));
}

}  // namespace

class TestViewWindows : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private slots:
    void views_data()
    {
        QTest::addColumn<ViewOrder>("order");
        QTest::addColumn<bool>("onlyScan");
        for (bool onlyScan : {false, true}) {
            const QString filter = onlyScan ? " WHERE Scan='Y'" : "";
            QTest::newRow(qPrintable("none" + filter)) << ViewOrder::None << onlyScan;
            QTest::newRow(qPrintable("name" + filter)) << ViewOrder::ByName << onlyScan;
            QTest::newRow(qPrintable("freq" + filter)) << ViewOrder::ByFrequency << onlyScan;
        }
    }
    /** Each view read a window at a time gives exactly the rows, in exactly the order, of
     *  its query run whole, on the file with the view indexes and on an older file without
     *  them; also after rows were added and deleted while the view was open. */
    void views()
    {
        QFETCH(ViewOrder, order);
        QFETCH(bool, onlyScan);
        const QString query = viewQuery(order, onlyScan);
        const QString path = fixture::makeDatabase(m_dir.path(), "ties.MDB", {});
        insertRows(path, "TabFreq", tiedRows(kRows));
        const QString older = m_dir.filePath("older.MDB");
        QFile::remove(older);
        QVERIFY(QFile::copy(path, older));
        QStringList drops;
        for (const QString& index : viewIndexNames())
            drops << "DROP INDEX " + index;
        execAll(older, drops);
        QCOMPARE(fixture::rowsOf(path, query), fixture::rowsOf(older, query));

        auto data = opened(path, query);
        QVERIFY(data->isWindowed());
        QCOMPARE(data->recordCount(), fixture::rowsOf(path, query).size());
        data->moveTo(40);  // only the first window has been read: the rest is read below
        addMemory(*data, {"000", "100", "000", "FM"});  // first by frequency
        addMemory(*data, {"014", "250", "000", "FM"});  // ties with stored memories
        addMemory(*data, {"199", "900", "000", "FM"});  // among rows not read yet
        deleteRow(*data, data->recordCount() / 2);      // reached by its position
        deleteRow(*data, data->recordCount() - 3);      // the same, from the end
        addMemory(*data, {"007", "050", "500", "LSB"});
        // A row written whose place may have changed (the rest is then read from the edges
        // of what was read), here to a name that orders as before.
        int alpha = 0;
        while (alpha < data->recordCount() && data->cell(alpha, memcol::kName) != "alpha")
            ++alpha;
        QVERIFY(data->setCell(alpha, memcol::kName, "ALPHA"));
        AppError error;
        QVERIFY2(data->writePendingRow(&error), qPrintable(error.text));
        QCOMPARE(walked(*data), fixture::rowsOf(path, query));
        addMemory(*data, {"145", "500", "000", "AM"});
        QCOMPARE(walked(*data), fixture::rowsOf(path, query));
        auto again = opened(path, query);
        QCOMPARE(walked(*again), fixture::rowsOf(path, query));

        // The bookmark scan walks the marked memories in that order, then starts again.
        if (!onlyScan)
            return;
        QStringList recalled;
        BookmarkScan* scanPointer = nullptr;
        BookmarkScan scan(data.get(), [&](AppError*) {
            recalled << data->field("rowid").toString();
            if (recalled.size() > data->recordCount())
                scanPointer->stop();
            return true;
        });
        scanPointer = &scan;
        scan.setDwell(0);
        scan.start();
        QStringList expected;
        for (const QString& row : fixture::rowsOf(path, query))
            expected << row.section('|', 0, 0);
        expected << expected.first();
        QCOMPARE(recalled, expected);
    }

    void foreignTables_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<bool>("readOnly");
        const QString ten = QString::fromLatin1(kFields).replace(",", " TEXT,") + " TEXT";
        QTest::newRow("the ten fields, no id") << "CREATE TABLE TabFreq (" + ten + ")" << false;
        QTest::newRow("id on every row the same")
            << "CREATE TABLE TabFreq (id INTEGER DEFAULT 7, " + ten + ")" << false;
        QTest::newRow("id a text key") << "CREATE TABLE TabFreq (id TEXT PRIMARY KEY DEFAULT "
                                          "'k', " +
                                              ten + ") WITHOUT ROWID"
                                       << false;
        QTest::newRow("a column named rowid")
            << "CREATE TABLE TabFreq (rowid TEXT DEFAULT 'x', " + ten + ")" << false;
        QTest::newRow("read-only, so without indexes")
            << "CREATE TABLE TabFreq (" + ten + ")" << true;
    }
    /** A bookmark database written by another program opens, shows each row once in the
     *  view's order, and an edit or a delete reaches exactly one row of the file. */
    void foreignTables()
    {
        QFETCH(QString, table);
        QFETCH(bool, readOnly);
        const QString path = m_dir.filePath("foreign.MDB");
        QFile::remove(path);
        execAll(path, {table});
        QList<QVariantList> rows;
        for (const char* name : {"delta", "Alpha", "charlie", "alpha", "bravo", "Delta"})
            rows.append({name, "145", "500", "000", "FM", "", "", "", 0, "Y"});
        if (table.contains("WITHOUT ROWID")) {
            insertRows(path, "TabFreq", rows.mid(0, 1));
            QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
            auto data = opened(path, viewQuery(ViewOrder::ByName, false));
            QVERIFY(!data->isOpen());  // no rowid to key rows by: refused, not guessed
            return;
        }
        insertRows(path, "TabFreq", rows);
        const QString byName = viewQuery(ViewOrder::ByName, false);
        const QString stored = QStringLiteral("SELECT _rowid_, %1 FROM TabFreq ORDER BY _rowid_")
                                   .arg(QLatin1String(kFields));
        if (readOnly)
            QFile::setPermissions(path, QFile::ReadOwner);
        const QByteArray bytes = fixture::bytesOf(path);
        const QStringList before = fixture::rowsOf(path, stored);

        auto data = opened(path, byName);
        QVERIFY(data->isOpen());
        QCOMPARE(data->isWindowed(), !readOnly);  // a read-only file gets no indexes
        QStringList names;
        for (const QString& row : walked(*data))
            names << row.section('|', 1, 1);
        QCOMPARE(names, fixture::rowsOf(path, "SELECT Name FROM TabFreq ORDER BY Name,MHz,KHz,Hz"));
        // A find in the frequency view picks its rows by this key; equal frequencies keep
        // the row order.
        auto found = opened(path, viewQuery(ViewOrder::ByFrequency, false));
        found->setFindText("LTA");
        AppError findError;
        QVERIFY2(found->refresh(&findError), qPrintable(findError.text));
        QCOMPARE(found->isWindowed(), !readOnly);
        QStringList foundNames;
        for (const QString& row : walked(*found))
            foundNames << row.section('|', 1, 1);
        QCOMPARE(foundNames, (QStringList{"delta", "Delta"}));
        found.reset();
        if (readOnly) {
            QVERIFY(data->isReadOnly());
            QCOMPARE(fixture::bytesOf(path), bytes);
            return;
        }
        QVERIFY(data->setCell(names.indexOf("bravo"), memcol::kName, "edited"));
        AppError error;
        QVERIFY2(data->writePendingRow(&error), qPrintable(error.text));
        deleteRow(*data, names.indexOf("delta"));
        const QStringList after = fixture::rowsOf(path, stored);
        QCOMPARE(after.size(), before.size() - 1);
        QStringList expected = before;
        for (QString& row : expected) {  // "bravo" was edited, "delta" deleted
            if (row.section('|', 1, 1) == "bravo")
                row.replace("|bravo|", "|edited|");
        }
        expected.removeIf([](const QString& row) { return row.section('|', 1, 1) == "delta"; });
        QCOMPARE(after, expected);
    }
};

QTEST_GUILESS_MAIN(TestViewWindows)
#include "tst_viewwindows.moc"
