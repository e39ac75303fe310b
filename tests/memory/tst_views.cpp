#include "memory/datafreq.h"
#include "memory/views.h"

#include "support/memoryfixture.h"

#include <QTemporaryDir>
#include <QTest>

using fixture::memory;

class TestViews : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_path;

private slots:
    void initTestCase()
    {
        // Names in mixed case: the name order ignores case, as an operator reads names.
        m_path = fixture::makeDatabase(m_dir.path(), "views.MDB",
                                       {memory("Beta", "145", "500", "000", "FM", "Y"),
                                        memory("alpha", "007", "050", "000", "LSB"),
                                        memory("Gamma", "014", "250", "000", "USB", "Y"),
                                        memory("alpha", "003", "600", "000", "LSB", "y"),
                                        memory(QString(), "050", "100", "000", "USB", "Y")});
    }

    void views_data()
    {
        QTest::addColumn<ViewOrder>("order");
        QTest::addColumn<bool>("onlyScan");
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("frequencies");
        QTest::newRow("none") << ViewOrder::None << false << "SELECT * FROM TabFreq"
                              << "145.500,007.050,014.250,003.600,050.100";
        QTest::newRow("none, scan")
            << ViewOrder::None << true << "SELECT * FROM TabFreq WHERE Scan='Y'"
            << "145.500,014.250,050.100";
        QTest::newRow("name") << ViewOrder::ByName << false
                              << "SELECT * FROM TabFreq ORDER BY Name,MHz,KHz,Hz"
                              << "050.100,003.600,007.050,145.500,014.250";
        QTest::newRow("name, scan")
            << ViewOrder::ByName << true
            << "SELECT * FROM TabFreq WHERE Scan='Y' ORDER BY Name,MHz,KHz,Hz"
            << "050.100,145.500,014.250";
        QTest::newRow("freq") << ViewOrder::ByFrequency << false
                              << "SELECT * FROM TabFreq ORDER BY MHz,KHz,Hz"
                              << "003.600,007.050,014.250,050.100,145.500";
        QTest::newRow("freq, scan") << ViewOrder::ByFrequency << true
                                    << "SELECT * FROM TabFreq WHERE Scan='Y' ORDER BY MHz,KHz,Hz"
                                    << "014.250,050.100,145.500";
    }
    void views()
    {
        QFETCH(ViewOrder, order);
        QFETCH(bool, onlyScan);
        QFETCH(QString, query);
        QFETCH(QString, frequencies);
        QCOMPARE(viewQuery(order, onlyScan), query);
        DataFreq data;
        data.setDatabaseName(m_path);
        data.setRecordSource(viewQuery(order, onlyScan));
        QCOMPARE(data.recordSource(), query);
        AppError error;
        QVERIFY2(data.refresh(&error), qPrintable(error.text));
        QStringList seen;
        for (data.moveFirst(); !data.isEof(); data.moveNext())
            seen << data.field("MHz").toString() + '.' + data.field("KHz").toString();
        QCOMPARE(seen.join(','), frequencies);
    }

    void tableNameReadsTheWholeTable()
    {
        DataFreq data;  // the record source before a view is chosen is the table's name
        data.setDatabaseName(m_path);
        QCOMPARE(data.recordSource(), QStringLiteral("TabFreq"));
        AppError error;
        QVERIFY2(data.refresh(&error), qPrintable(error.text));
        QCOMPARE(data.recordCount(), 5);
    }

    void emptyViewHasNoCurrentRecord()
    {
        const QString path = fixture::makeDatabase(m_dir.path(), "unmarked.MDB",
                                                   {memory("a", "007", "050", "000", "LSB")});
        DataFreq data;
        data.setDatabaseName(path);
        data.setRecordSource(viewQuery(ViewOrder::ByFrequency, true));
        AppError error;
        QVERIFY(data.refresh(&error));
        QCOMPARE(data.recordCount(), 0);
        QVERIFY(data.isEof());
        QVERIFY(data.field("MHz").isNull());
    }
};

QTEST_GUILESS_MAIN(TestViews)
#include "tst_views.moc"
