#include "memory/datafreq.h"

#include "support/memoryfixture.h"

#include <QAbstractItemModel>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using fixture::memory;

namespace {

const QString kByNone = QStringLiteral("SELECT * FROM TabFreq");

/** Three memories in table order: 145.500.000 FM, 007.050.000 LSB split-less, 014.250.000 USB. */
QList<fixture::Row> threeMemories()
{
    return {memory(QStringLiteral("Repeater"), "145", "500", "000", "FM", "Y"),
            memory(QString(), "007", "050", "000", "LSB"),
            memory(QStringLiteral("Twenty"), "014", "250", "000", "USB", "Y")};
}

/** Another connection holding an exclusive lock on the file while it lives. */
class ExclusiveLock {
public:
    explicit ExclusiveLock(const QString& path)
    {
        QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", kName);
        other.setDatabaseName(path);
        m_held = other.open() && QSqlQuery(other).exec("BEGIN EXCLUSIVE");
    }
    ~ExclusiveLock()
    {
        {
            QSqlDatabase other = QSqlDatabase::database(kName, false);
            QSqlQuery(other).exec("ROLLBACK");
            other.close();
        }
        QSqlDatabase::removeDatabase(kName);
    }
    bool held() const { return m_held; }

private:
    static constexpr const char* kName = "locker";
    bool m_held = false;
};

}  // namespace

class TestDataFreq : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    std::unique_ptr<DataFreq> openOn(const QString& path, const QString& source = kByNone)
    {
        return fixture::openedDataFreq(path, source);
    }
    QString threeRowFile(const QString& name)
    {
        return fixture::makeDatabase(m_dir.path(), name, threeMemories());
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY2(QFile::exists(QStringLiteral(CORVANE_TEMPLATE_PATH)), CORVANE_TEMPLATE_PATH);
    }

    void navigation_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("moves");
        QTest::addColumn<QList<int>>("positions");
        QTest::addColumn<int>("repositions");
        QTest::newRow("forward past the end")
            << 3 << "next next next next" << QList<int>{1, 2, 3, 3} << 3;
        QTest::newRow("back from the end")
            << 3 << "last next prev prev prev prev" << QList<int>{2, 3, 2, 1, 0, 0} << 5;
        QTest::newRow("first and last") << 3 << "last first first" << QList<int>{2, 0, 0} << 2;
        QTest::newRow("one row") << 1 << "next next first" << QList<int>{1, 1, 0} << 2;
        QTest::newRow("empty view")
            << 0 << "first next last prev" << QList<int>{-1, -1, -1, -1} << 0;
    }
    void navigation()
    {
        QFETCH(int, rows);
        QFETCH(QString, moves);
        QFETCH(QList<int>, positions);
        QFETCH(int, repositions);
        const QString path = fixture::makeDatabase(m_dir.path(), QStringLiteral("nav.MDB"),
                                                   threeMemories().mid(0, rows));
        auto data = openOn(path);
        QCOMPARE(data->recordCount(), rows);
        QCOMPARE(data->currentRow(), rows > 0 ? 0 : -1);
        QCOMPARE(data->isEof(), rows == 0);
        QSignalSpy spy(data.get(), &DataFreq::repositioned);
        const QStringList steps = moves.split(QLatin1Char(' '));
        for (int i = 0; i < steps.size(); ++i) {
            if (steps[i] == "next")
                data->moveNext();
            else if (steps[i] == "prev")
                data->movePrevious();
            else if (steps[i] == "first")
                data->moveFirst();
            else
                data->moveLast();
            QCOMPARE(data->currentRow(), positions[i]);
            QCOMPARE(data->isEof(), rows == 0 || positions[i] == rows);
        }
        QCOMPARE(spy.count(), repositions);
    }

    void fieldByName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("row");
        QTest::addColumn<QVariant>("expected");
        QTest::newRow("MHz") << "MHz" << 0 << QVariant(QStringLiteral("145"));
        QTest::newRow("lower case") << "khz" << 0 << QVariant(QStringLiteral("500"));
        QTest::newRow("split as the panel reads it") << "split" << 0 << QVariant(false);
        QTest::newRow("sHZ as the grid binds it") << "sHZ" << 0 << QVariant();
        QTest::newRow("null name") << "Name" << 1 << QVariant();
        QTest::newRow("mode") << "MODE" << 1 << QVariant(QStringLiteral("LSB"));
        QTest::newRow("scan") << "Scan" << 2 << QVariant(QStringLiteral("Y"));
        QTest::newRow("no such field") << "Frequency" << 0 << QVariant();
        QTest::newRow("past the last record") << "MHz" << 3 << QVariant();
    }
    void fieldByName()
    {
        QFETCH(QString, name);
        QFETCH(int, row);
        QFETCH(QVariant, expected);
        auto data = openOn(threeRowFile(QStringLiteral("field.MDB")));
        data->moveTo(row);
        const QVariant value = data->field(name);
        QCOMPARE(value.isNull(), expected.isNull());
        if (!expected.isNull())
            QCOMPARE(value, expected);
    }

    void modelShowsTheView()
    {
        const QString path = fixture::makeDatabase(
            m_dir.path(), QStringLiteral("model.MDB"),
            {memory("A", "001", "002", "003", "CW"),
             {QVariant("B"), "145", "500", "000", "FM", "145", "100", "000", 1, QVariant()}});
        auto data = openOn(path);
        QAbstractItemModel* model = data->model();
        QCOMPARE(model->rowCount(), 2);
        QCOMPARE(model->columnCount(), 10);
        QStringList headers;
        for (int c = 0; c < 10; ++c)
            headers << model->headerData(c, Qt::Horizontal).toString();
        QCOMPARE(headers.join(','),
                 QStringLiteral("Name,MHz,KHz,Hz,Mode,sMHz,sKHz,sHZ,Split,Scan"));
        QCOMPARE(model->data(model->index(0, memcol::kHz)).toString(), QStringLiteral("003"));
        QCOMPARE(model->data(model->index(0, memcol::kSplit)).toString(), QStringLiteral("False"));
        QCOMPARE(model->data(model->index(1, memcol::kSplit)).toString(), QStringLiteral("True"));
        QCOMPARE(model->data(model->index(1, memcol::kSplit), Qt::EditRole), QVariant(true));
        QVERIFY(model->data(model->index(0, memcol::kScan)).isNull());
        QVERIFY(model->flags(model->index(1, 4)) & Qt::ItemIsEditable);
        QVERIFY(!model->insertRows(0, 1));
    }

    void pendingEditIsWrittenOnRowWrite()
    {
        const QString path = threeRowFile(QStringLiteral("edit.MDB"));
        auto data = openOn(path);
        QAbstractItemModel* model = data->model();
        QSignalSpy changed(model, &QAbstractItemModel::dataChanged);
        QVERIFY(model->setData(model->index(0, memcol::kName), QStringLiteral("Local rpt")));
        data->setCurrentCell(memcol::kMode, QStringLiteral("AM"));
        QVERIFY(changed.count() >= 2);
        QVERIFY(data->hasPendingRow());
        QCOMPARE(data->pendingRow(), 0);
        QCOMPARE(data->field("name").toString(), QStringLiteral("Local rpt"));
        QCOMPARE(fixture::rowsOf(path, "SELECT Name, Mode FROM TabFreq WHERE id=1"),
                 QStringList{"Repeater|FM"});
        AppError error;
        QVERIFY2(data->writePendingRow(&error), qPrintable(error.text));
        QVERIFY(!data->hasPendingRow());
        QCOMPARE(fixture::rowsOf(path, "SELECT Name, Mode FROM TabFreq WHERE id=1"),
                 QStringList{"Local rpt|AM"});
        QCOMPARE(model->data(model->index(0, memcol::kMode)).toString(), QStringLiteral("AM"));
    }

    void rowWriteRule_data()
    {
        QTest::addColumn<QStringList>("parts");
        QTest::addColumn<bool>("split");
        QTest::addColumn<QString>("stored");
        QTest::newRow("split kept") << QStringList{"145", "100", "000"} << true << "145|100|000|1";
        QTest::newRow("split false empties the parts")
            << QStringList{"145", "100", "000"} << false << "|||0";
        QTest::newRow("part typed only") << QStringList{"", "100", ""} << false << "|||0";
        QTest::newRow("nulls become empty")
            << QStringList{QString(), QString(), QString()} << false << "|||0";
    }
    void rowWriteRule()
    {
        QFETCH(QStringList, parts);
        QFETCH(bool, split);
        QFETCH(QString, stored);
        const QString path = threeRowFile(QStringLiteral("split.MDB"));
        auto data = openOn(path);
        data->moveTo(1);
        for (int i = 0; i < 3; ++i)
            data->setCurrentCell(memcol::kSMHz + i, parts[i].isNull() ? QVariant() : parts[i]);
        data->setCurrentCell(memcol::kSplit, split);
        AppError error;
        QVERIFY2(data->writePendingRow(&error), qPrintable(error.text));
        QCOMPARE(fixture::rowsOf(path, "SELECT sMHz, sKHz, sHz, Split FROM TabFreq WHERE id=2"),
                 QStringList{stored});
        QCOMPARE(data->field("sKHz").toString(), stored.section('|', 1, 1));
    }

    void pendingEditIsWrittenWhenLeavingTheRow_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("move to another row") << "move";
        QTest::newRow("edit another row") << "edit";
        QTest::newRow("refresh") << "refresh";
        QTest::newRow("destroyed") << "destroy";
    }
    void pendingEditIsWrittenWhenLeavingTheRow()
    {
        QFETCH(QString, how);
        const QString path = threeRowFile(QStringLiteral("leave.MDB"));
        auto data = openOn(path);
        data->setCurrentCell(memcol::kScan, QString());
        AppError error;
        if (how == "move")
            data->moveNext();
        else if (how == "edit")
            QVERIFY(data->setCell(2, memcol::kName, QStringLiteral("20 m")));
        else if (how == "refresh")
            QVERIFY(data->refresh(&error));
        else
            data.reset();
        QCOMPARE(fixture::rowsOf(path, "SELECT Scan FROM TabFreq WHERE id=1"), QStringList{""});
    }

    void deleteKeepsThePosition_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("after");
        QTest::addColumn<QString>("currentMHz");
        QTest::newRow("first row") << 3 << 0 << 0 << "007";
        QTest::newRow("middle row") << 3 << 1 << 1 << "014";
        QTest::newRow("last row") << 3 << 2 << 1 << "007";
        QTest::newRow("only row") << 1 << 0 << -1 << "";
    }
    void deleteKeepsThePosition()
    {
        QFETCH(int, rows);
        QFETCH(int, row);
        QFETCH(int, after);
        QFETCH(QString, currentMHz);
        const QString path = fixture::makeDatabase(m_dir.path(), QStringLiteral("del.MDB"),
                                                   threeMemories().mid(0, rows));
        auto data = openOn(path);
        data->moveTo(row);
        data->setCurrentCell(memcol::kName, QStringLiteral("dropped with the row"));
        QSignalSpy reposition(data.get(), &DataFreq::repositioned);
        QSignalSpy removed(data->model(), &QAbstractItemModel::rowsRemoved);
        AppError error;
        QVERIFY2(data->deleteCurrentRow(&error), qPrintable(error.text));
        QCOMPARE(reposition.count(), 1);
        QCOMPARE(removed.count(), 1);
        QCOMPARE(data->recordCount(), rows - 1);
        QCOMPARE(data->currentRow(), after);
        QCOMPARE(data->field("MHz").toString(), currentMHz);
        QCOMPARE(fixture::rowsOf(path, kByNone).size(), rows - 1);
        QVERIFY(!data->hasPendingRow());
        QCOMPARE(
            fixture::rowsOf(path, "SELECT * FROM TabFreq WHERE id=" + QString::number(row + 1)),
            QStringList());
    }

    void brokenFilesAreRefused_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("number");
        QTest::newRow("Access file") << "jet" << int(errors::kUnrecognizedDatabase);
        QTest::newRow("missing file") << "missing" << int(errors::kDatabaseNotFound);
        QTest::newRow("no TabFreq table") << "notable" << int(errors::kTableNotFound);
        QTest::newRow("empty file") << "empty" << int(errors::kTableNotFound);
        QTest::newRow("a folder") << "folder" << int(errors::kDatabaseNotFound);
    }
    void brokenFilesAreRefused()
    {
        QFETCH(QString, kind);
        QFETCH(int, number);
        const QString path = m_dir.filePath(kind + QStringLiteral(".MDB"));
        if (kind == "jet") {
            fixture::makeJetFile(m_dir.path(), kind + ".MDB");
        } else if (kind == "notable") {
            fixture::makeDatabase(m_dir.path(), kind + ".MDB", {});
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "drop");
            db.setDatabaseName(path);
            QVERIFY(db.open());
            QVERIFY(QSqlQuery(db).exec("ALTER TABLE TabFreq RENAME TO Other"));
            db.close();
        } else if (kind == "empty") {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
        } else if (kind == "folder") {
            QVERIFY(QDir(m_dir.path()).mkpath(kind + ".MDB"));
        }
        QSqlDatabase::removeDatabase("drop");
        const QByteArray before = fixture::bytesOf(path);
        auto data = std::make_unique<DataFreq>();
        data->setDatabaseName(path);
        data->setRecordSource(kByNone);
        QSignalSpy reposition(data.get(), &DataFreq::repositioned);
        AppError error;
        QVERIFY(!data->refresh(&error));
        QCOMPARE(error.number, number);
        QVERIFY2(error.text.contains(QDir::toNativeSeparators(path)), qPrintable(error.text));
        QVERIFY(!data->isOpen());
        QCOMPARE(data->recordCount(), 0);
        QCOMPARE(data->currentRow(), -1);
        QCOMPARE(reposition.count(), 1);
        data.reset();
        QCOMPARE(QFile::exists(path), kind != "missing");
        QCOMPARE(fixture::bytesOf(path), before);
    }

    void readOnlyFileIsShownButNotWritten()
    {
        const QString path = threeRowFile(QStringLiteral("ro.MDB"));
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup));
        const QByteArray before = fixture::bytesOf(path);
        auto data = openOn(path);
        QVERIFY(data->isOpen());
        QVERIFY(data->isReadOnly());
        QCOMPARE(data->recordCount(), 3);
        // No cell takes an edit, so no write can fail later.
        QVERIFY(!(data->model()->index(0, memcol::kName).flags() & Qt::ItemIsEditable));
        QVERIFY(!data->setCell(0, memcol::kName, QStringLiteral("changed")));
        data->setCurrentCell(memcol::kScan, QStringLiteral("Y"));
        QVERIFY(!data->hasPendingRow());
        QCOMPARE(data->field("Name").toString(), QStringLiteral("Repeater"));
        AppError error;
        QVERIFY(!data->deleteCurrentRow(&error));
        QCOMPARE(error.number, int(errors::kDatabaseReadOnly));
        data.reset();
        QCOMPARE(fixture::bytesOf(path), before);
    }

    void lockedFileFailsQuickly()
    {
        const QString path = threeRowFile(QStringLiteral("locked.MDB"));
        auto data = openOn(path);
        data->setCurrentCell(memcol::kName, QStringLiteral("kept while locked"));
        const QByteArray before = fixture::bytesOf(path);
        {
            const ExclusiveLock lock(path);
            QVERIFY(lock.held());
            AppError error;
            QVERIFY(!data->writePendingRow(&error));
            QCOMPARE(error.number, int(errors::kDatabaseLocked));
            QVERIFY2(error.text.contains(QDir::toNativeSeparators(path)), qPrintable(error.text));
            QVERIFY(data->hasPendingRow());
            data->discardPendingRow();
            QVERIFY(!data->refresh(&error));
            QCOMPARE(error.number, int(errors::kDatabaseLocked));
        }
        QCOMPARE(fixture::bytesOf(path), before);
        AppError error;
        QVERIFY2(data->refresh(&error), qPrintable(error.text));
        QCOMPARE(data->recordCount(), 3);
    }

    void rowsUnreadableWhileLockedAreToldOnceAndNotEdited()
    {
        const QString path = fixture::makeDatabase(m_dir.path(), "lazylock.MDB", {});
        fixture::fillGenerated(path, 1000);
        auto data = openOn(path, QStringLiteral("SELECT * FROM TabFreq"));
        QSignalSpy told(data.get(), &DataFreq::readFailed);
        const QByteArray before = fixture::bytesOf(path);
        {
            const ExclusiveLock lock(path);
            QVERIFY(lock.held());
            // Rows past the first screen are read when first needed: here, under the lock.
            QVERIFY(data->cell(600, memcol::kMHz).isNull());
            QVERIFY(data->cell(900, memcol::kMHz).isNull());
            QVERIFY(!data->setCell(600, memcol::kName, QStringLiteral("overwrite")));
        }
        QTRY_COMPARE(told.size(), 1);
        QCOMPARE(told.first().first().value<AppError>().number, int(errors::kDatabaseLocked));
        QVERIFY(!data->hasPendingRow());
        QCOMPARE(fixture::bytesOf(path), before);
        AppError error;
        QVERIFY2(data->refresh(&error), qPrintable(error.text));
        QVERIFY(!data->cell(600, memcol::kMHz).isNull());
    }

    void fileStaysOneFileAndConnectionsGo()
    {
        QDir dir(m_dir.filePath("single"));
        QVERIFY(dir.mkpath("."));
        const QString path = fixture::makeDatabase(dir.path(), "one.MDB", threeMemories());
        const QStringList connectionsBefore = QSqlDatabase::connectionNames();
        {
            auto first = openOn(path);
            auto second = openOn(path);
            QCOMPARE(second->recordCount(), 3);
            first->setCurrentCell(memcol::kName, QStringLiteral("x"));
            AppError error;
            QVERIFY(first->writePendingRow(&error));
            QVERIFY(second->deleteCurrentRow(&error));
            QCOMPARE(QSqlDatabase::connectionNames().size(), connectionsBefore.size() + 2);
        }
        QCOMPARE(QSqlDatabase::connectionNames(), connectionsBefore);
        QCOMPARE(dir.entryList(QDir::Files), QStringList{"one.MDB"});
    }

    void largeDatabaseOpensWhole()
    {
        constexpr int kRows = 100000;
        const QString path = fixture::makeDatabase(m_dir.path(), "large.MDB", {});
        fixture::fillGenerated(path, kRows);
        const QString byFreq = QStringLiteral("SELECT * FROM TabFreq ORDER BY MHz,KHz,Hz");
        const QStringList expected = fixture::rowsOf(path, byFreq + " LIMIT 1 OFFSET 54321");
        auto data = openOn(path, byFreq);
        QCOMPARE(data->recordCount(), kRows);
        QCOMPARE(data->model()->rowCount(), kRows);
        data->moveTo(54321);
        QCOMPARE(data->field("rowid").toString(), expected.first().section('|', 0, 0));
        QCOMPARE(data->model()->data(data->model()->index(54321, memcol::kName)).toString(),
                 expected.first().section('|', 1, 1));
        data->moveLast();
        QCOMPARE(data->currentRow(), kRows - 1);
        QCOMPARE(data->field("MHz").toString(), QStringLiteral("200"));
        data->moveNext();
        QVERIFY(data->isEof());
    }
};

QTEST_GUILESS_MAIN(TestDataFreq)
#include "tst_datafreq.moc"
