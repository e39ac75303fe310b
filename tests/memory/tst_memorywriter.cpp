#include "memory/memorywriter.h"

#include "memory/datafreq.h"

#include "support/memoryfixture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestMemoryWriter : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private slots:
    void displayIsNormalisedByLength_data()
    {
        QTest::addColumn<QString>("display");
        QTest::addColumn<QString>("normalised");
        QTest::newRow("below 1 MHz") << ".500.000"
                                     << "000.500.000";
        QTest::newRow("one MHz digit") << "7.050.000"
                                       << "007.050.000";
        QTest::newRow("two MHz digits") << "14.250.000"
                                        << "014.250.000";
        QTest::newRow("three MHz digits") << "145.500.000"
                                          << "145.500.000";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("other length") << "1.2"
                                      << "1.2";
    }
    void displayIsNormalisedByLength()
    {
        QFETCH(QString, display);
        QFETCH(QString, normalised);
        QCOMPARE(normaliseDisplayFrequency(display), normalised);
    }

    void memoryFromDisplay_data()
    {
        QTest::addColumn<QString>("display");
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("parts");  // empty: refused
        QTest::newRow("7.050.000 LSB") << "7.050.000"
                                       << "LSB"
                                       << "007|050|000|LSB";
        QTest::newRow(".500.000") << ".500.000"
                                  << " AM "
                                  << "000|500|000|AM";
        QTest::newRow("145.500.000") << "145.500.000"
                                     << "FM"
                                     << "145|500|000|FM";
        QTest::newRow("empty display refused") << ""
                                               << "FM"
                                               << "";
        QTest::newRow("blank display refused") << "  "
                                               << "FM"
                                               << "";
    }
    void memoryFromDisplay()
    {
        QFETCH(QString, display);
        QFETCH(QString, mode);
        QFETCH(QString, parts);
        QString refusal;
        const auto memory = ::memoryFromDisplay(display, mode, &refusal);
        QCOMPARE(memory.has_value(), !parts.isEmpty());
        if (memory)
            QCOMPARE(QStringList({memory->mhz, memory->khz, memory->hz, memory->mode}).join('|'),
                     parts);
        else
            QVERIFY(refusal.contains(QStringLiteral("No frequency")));
    }

    void memoryFromPad_data()
    {
        QTest::addColumn<QStringList>("digits");
        QTest::addColumn<QString>("parts");
        QTest::newRow("145.400.000")
            << QString("1,4,5,4,0,0,0,0,0").split(',') << "145|400|000|USB";
        QTest::newRow("007.050.000")
            << QString("0,0,7,0,5,0,0,0,0").split(',') << "007|050|000|USB";
        QTest::newRow("half keyed") << QString("1,4,5,,,,,,").split(',') << "";
        QTest::newRow("last digit missing") << QString("1,4,5,4,0,0,0,0,").split(',') << "";
        QTest::newRow("eight captions") << QString("1,4,5,4,0,0,0,0").split(',') << "";
        QTest::newRow("not a digit") << QString("1,4,5,4,0,0,0,0, ").split(',') << "";
    }
    void memoryFromPad()
    {
        QFETCH(QStringList, digits);
        QFETCH(QString, parts);
        QString refusal;
        const auto memory = ::memoryFromPad(digits, QStringLiteral("USB "), &refusal);
        QCOMPARE(memory.has_value(), !parts.isEmpty());
        if (memory)
            QCOMPARE(QStringList({memory->mhz, memory->khz, memory->hz, memory->mode}).join('|'),
                     parts);
        else
            QVERIFY(refusal.contains(QStringLiteral("not been keyed")));
    }

    void addMemoryStoresOneRow()
    {
        const QString path = fixture::makeDatabase(
            m_dir.path(), "add.MDB", {fixture::memory("Old", "001", "002", "003", "CW")});
        DataFreq shown;  // the grid's own connection stays open while the row is added
        shown.setDatabaseName(path);
        shown.setRecordSource("SELECT * FROM TabFreq ORDER BY MHz,KHz,Hz");
        AppError error;
        QVERIFY(shown.refresh(&error));
        QVERIFY2(MemoryWriter::addMemory(path, {"007", "050", "000", "LSB"}, &error),
                 qPrintable(error.text));
        QVERIFY2(MemoryWriter::addMemory(path, {"000", "500", "000", "AM"}, &error),
                 qPrintable(error.text));
        QCOMPARE(fixture::rowsOf(path, "SELECT * FROM TabFreq WHERE id > 1"),
                 QStringList({"2|~|007|050|000|LSB|~|~|~|0|~", "3|~|000|500|000|AM|~|~|~|0|~"}));
        QCOMPARE(QDir(m_dir.path()).entryList({"add.MDB*"}, QDir::Files), QStringList{"add.MDB"});
        QVERIFY(shown.refresh(&error));
        QCOMPARE(shown.recordCount(), 3);
        QCOMPARE(shown.field("KHz").toString(), QStringLiteral("500"));
    }

    void addMemoryFailsWithoutStoring_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("number");
        QTest::newRow("missing file") << "missing" << int(errors::kDatabaseNotFound);
        QTest::newRow("Access file") << "jet" << int(errors::kUnrecognizedDatabase);
        QTest::newRow("read-only file") << "readonly" << int(errors::kDatabaseReadOnly);
    }
    void addMemoryFailsWithoutStoring()
    {
        QFETCH(QString, kind);
        QFETCH(int, number);
        const QString name = kind + ".MDB";
        const QString path = m_dir.filePath(name);
        if (kind == "jet")
            fixture::makeJetFile(m_dir.path(), name);
        if (kind == "readonly") {
            fixture::makeDatabase(m_dir.path(), name, {});
            QVERIFY(QFile::setPermissions(path, QFile::ReadOwner));
        }
        const QByteArray before = fixture::bytesOf(path);
        AppError error;
        QVERIFY(!MemoryWriter::addMemory(path, {"145", "500", "000", "FM"}, &error));
        QCOMPARE(error.number, number);
        QVERIFY2(error.text.contains(QDir::toNativeSeparators(path)), qPrintable(error.text));
        QCOMPARE(QFile::exists(path), kind != "missing");
        QCOMPARE(fixture::bytesOf(path), before);
    }
};

QTEST_GUILESS_MAIN(TestMemoryWriter)
#include "tst_memorywriter.moc"
