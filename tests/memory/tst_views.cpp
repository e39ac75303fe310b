#include "memory/datafreq.h"
#include "memory/views.h"

#include "support/memoryfixture.h"

#include <QFile>
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

    // The find filter over a real file: name contains (case ignored), frequency digits or
    // MHz with a point or comma; LIKE's wildcards and quotes in the text are plain
    // characters; the view's order and its scan filter stay. The frequency view reads its
    // finds by key (its index holds no Name): the same rows as the name view's.
    void find_data()
    {
        QTest::addColumn<ViewOrder>("order");
        QTest::addColumn<bool>("onlyScan");
        QTest::addColumn<QString>("find");
        QTest::addColumn<QString>("names");
        const ViewOrder name = ViewOrder::ByName, freq = ViewOrder::ByFrequency;
        QTest::newRow("name, case ignored") << name << false << "fT8"
                                            << "FT8 14074,ft8 40m";
        QTest::newRow("digits: frequency start or name") << freq << false << "14074"
                                                         << "FT8 14074,X 140.74";
        QTest::newRow("MHz with point") << freq << false << "145.5"
                                        << "Calling,Repeater";
        QTest::newRow("MHz with comma") << freq << false << "7,07"
                                        << "ft8 40m";
        QTest::newRow("whole MHz with point") << freq << false << "7."
                                              << "ft8 40m,a_b,145.07,axb";
        QTest::newRow("digits across MHz and kHz") << freq << false << "14507"
                                                   << "CW 14.5,2m low";
        QTest::newRow("the same in the name view") << name << false << "14507"
                                                   << "2m low,CW 14.5";
        QTest::newRow("point: a name like a number") << freq << false << "145.07"
                                                     << "145.07,2m low";
        QTest::newRow("point: kHz after MHz 7") << freq << false << "7.1"
                                                << "a_b,145.07";
        QTest::newRow("point: MHz 1") << freq << false << "1.83"
                                      << "kHz only";
        QTest::newRow("digits: kHz start below 10 MHz") << freq << false << "183"
                                                        << "kHz only";
        QTest::newRow("digits with leading zeros") << freq << false << "00183"
                                                   << "";
        QTest::newRow("point: four MHz digits") << freq << false << "1450.7"
                                                << "";
        QTest::newRow("percent is a character") << name << false << "50%"
                                                << "50%_off";
        QTest::newRow("underscore is a character") << name << false << "a_b"
                                                   << "a_b";
        QTest::newRow("backslash is a character") << name << false << "\\"
                                                  << "back\\slash";
        QTest::newRow("quotes are characters") << name << false << "x'); DROP TABLE TabFreq; --"
                                               << "";
        QTest::newRow("table order kept") << ViewOrder::None << false << "a"
                                          << "Calling,a_b,axb,back\\slash,Repeater";
        QTest::newRow("scan filter kept") << freq << true << "145"
                                          << "2m low,Calling";
        QTest::newRow("scan filter kept, name") << freq << true << "L"
                                                << "2m low,Calling";
        QTest::newRow("blank finds all") << freq << true << "  "
                                         << "FT8 14074,2m low,Calling";
    }
    void find()
    {
        QFETCH(ViewOrder, order);
        QFETCH(bool, onlyScan);
        QFETCH(QString, find);
        QFETCH(QString, names);
        const QString path = fixture::makeDatabase(
            m_dir.path(), QStringLiteral("find%1.MDB").arg(QTest::currentDataTag()).remove(' '),
            {memory("Calling", "145", "500", "000", "FM", "Y"),
             memory("FT8 14074", "014", "074", "000", "USB", "Y"),
             memory("X 140.74", "140", "740", "000", "FM"),
             memory("a_b", "007", "100", "000", "LSB"), memory("axb", "007", "200", "000", "LSB"),
             memory("50%_off", "050", "313", "000", "USB"),
             memory("5000 off", "050", "000", "000", "USB"),
             memory("back\\slash", "144", "800", "000", "FM"),
             memory("ft8 40m", "007", "074", "000", "USB"),
             memory("Repeater", "145", "575", "000", "FM"),
             memory("145.07", "007", "145", "070", "CW"),
             memory("CW 14.5", "014", "507", "000", "CW"),
             memory("2m low", "145", "070", "500", "FM", "Y"),
             memory("kHz only", "001", "830", "000", "CW")});
        DataFreq data;
        data.setDatabaseName(path);
        data.setRecordSource(viewQuery(order, onlyScan));
        data.setFindText(find);
        AppError error;
        QVERIFY2(data.refresh(&error), qPrintable(error.text));
        QVERIFY(data.isWindowed());
        QStringList seen;
        for (data.moveFirst(); !data.isEof(); data.moveNext())
            seen << data.field("Name").toString();
        QCOMPARE(seen.join(','), names);
        QCOMPARE(data.recordCount(), seen.size());
        QCOMPARE(fixture::rowsOf(path, "SELECT COUNT(*) FROM TabFreq"), QStringList{"14"});
    }

    // Found rows beyond the first window are read by keyset in the view's order, and a jump
    // to the end reads the last of them: the same rows as the filter written out plainly.
    void findPagesThroughLargeViews_data()
    {
        QTest::addColumn<ViewOrder>("order");
        QTest::addColumn<bool>("onlyScan");
        QTest::addColumn<QString>("find");
        QTest::addColumn<QString>("expectedSql");
        QTest::newRow("name view") << ViewOrder::ByName << false << "m00"
                                   << "SELECT Name FROM TabFreq WHERE Name LIKE 'M00%' ORDER BY "
                                      "Name,MHz,KHz,Hz,rowid";
        QTest::newRow("frequency view")
            << ViewOrder::ByFrequency << false << "10"
            << "SELECT Name FROM TabFreq WHERE Name LIKE '%10%' OR ltrim(MHz||KHz||Hz,'0') "
               "LIKE '10%' ORDER BY MHz,KHz,Hz,rowid";
        QTest::newRow("frequency view, scan")
            << ViewOrder::ByFrequency << true << "1"
            << "SELECT Name FROM TabFreq WHERE Scan='Y' AND (Name LIKE '%1%' OR "
               "ltrim(MHz||KHz||Hz,'0') LIKE '1%') ORDER BY MHz,KHz,Hz,rowid";
    }
    void findPagesThroughLargeViews()
    {
        QFETCH(ViewOrder, order);
        QFETCH(bool, onlyScan);
        QFETCH(QString, find);
        QFETCH(QString, expectedSql);
        QString path = m_dir.filePath("findlarge.MDB");
        if (!QFile::exists(path)) {  // made once for the table's rows
            path = fixture::makeDatabase(m_dir.path(), "findlarge.MDB", {});
            fixture::fillGenerated(path, 20000);
        }
        DataFreq data;
        data.setDatabaseName(path);
        data.setRecordSource(viewQuery(order, onlyScan));
        data.setFindText(find);
        AppError error;
        QVERIFY2(data.refresh(&error), qPrintable(error.text));
        QVERIFY(data.isWindowed());
        const QStringList expected = fixture::rowsOf(path, expectedSql);
        QVERIFY(expected.size() > 1000);
        QCOMPARE(data.recordCount(), expected.size());
        data.moveLast();
        QCOMPARE(data.field("Name").toString(), expected.last());
        QStringList seen;
        for (data.moveFirst(); !data.isEof(); data.moveNext())
            seen << data.field("Name").toString();
        QCOMPARE(seen, expected);
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
