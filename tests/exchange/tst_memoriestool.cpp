// The command-line tool corvane-memories as a child process: exit statuses, messages and
// untouched databases for bad files and bad databases, list and check, the progress line.
#include "support/memoryfixture.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QByteArray kGood = "Location,Name,Frequency,Mode\n1,Calling,146.52,FM\n";

/** The tool's run: exit status and both outputs. */
struct Run {
    int status = -1;
    QString out;
    QString err;
};

Run runTool(const QStringList& arguments)
{
    QProcess tool;
    tool.start(QStringLiteral(CORVANE_MEMORIES_PATH), arguments);
    if (!tool.waitForFinished(60000))
        return {};
    return {tool.exitCode(), QString::fromUtf8(tool.readAllStandardOutput()),
            QString::fromUtf8(tool.readAllStandardError())};
}

QString writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

/** A CHIRP file of count memories. */
QByteArray manyMemories(int count)
{
    QByteArray bytes = "Location,Name,Frequency,Mode\n";
    for (int i = 0; i < count; ++i)
        bytes += QByteArray::number(i) + ",Memory " + QByteArray::number(i) + ",145." +
                 QByteArray::number(100000 + i) + ",FM\n";
    return bytes;
}

/** Another connection holding an exclusive lock on the file while it lives. */
class ExclusiveLock {
public:
    explicit ExclusiveLock(const QString& path)
    {
        QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "locker");
        other.setDatabaseName(path);
        m_held = other.open() && QSqlQuery(other).exec("BEGIN EXCLUSIVE");
    }
    ~ExclusiveLock()
    {
        {
            QSqlDatabase other = QSqlDatabase::database("locker", false);
            QSqlQuery(other).exec("ROLLBACK");
            other.close();
        }
        QSqlDatabase::removeDatabase("locker");
    }
    bool held() const { return m_held; }

private:
    bool m_held = false;
};

}  // namespace

class TestMemoriesTool : public QObject {
    Q_OBJECT
private slots:
    void init();
    void badInput_data();
    void badInput();
    void readOnlyAndLockedDatabases();
    void fullDiskLeavesDatabaseAndFileAsTheyWere();
    void listAndCheck();
    void progressLineOnlyOnATerminal();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_db;
};

void TestMemoriesTool::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_db = fixture::makeDatabase(m_dir->path(), "MY.MDB",
                                 {fixture::memory("Kept", "007", "050", "000", "LSB")});
}

void TestMemoriesTool::badInput_data()
{
    QTest::addColumn<QStringList>("arguments");  // FILE and DB stand for the two paths
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");    // part of standard error
    QTest::addColumn<QStringList>("names");  // the database's names afterwards

    const QStringList import = {"import", "FILE", "DB"};
    const QStringList kept = {"Kept"};
    QTest::newRow("empty file") << import << QByteArray() << 1 << "is empty" << kept;
    QTest::newRow("binary junk")
        << import << QByteArray("\x00\xff\x13\x37PK\x03\x04\xfe", 10) << 1
        << "the file holds NUL bytes (the first at byte 0): it is not a text file" << kept;
    QByteArray noise = "1;2;3\n";
    for (int i = 0; i < 4000; ++i)
        noise += char(1 + (i * 7919) % 255);
    QTest::newRow("binary with a \";\" in its first line")
        << import << noise << 1 << "control bytes in 4006: it is not a text file" << kept;
    QTest::newRow("UTF-16 without a byte-order mark")
        << import << QByteArray("N\0a\0m\0e\0,\0F\0r\0e\0q\0u\0e\0n\0c\0y\0\n\0", 30) << 1
        << "UTF-16 text without a byte-order mark" << kept;
    QTest::newRow("comment line first: still CHIRP")
        << import << "# Club frequency list; updated 2024\n" + kGood << 0 << ""
        << QStringList{"Kept", "Calling"};
    QTest::newRow("control characters from the file are shown escaped")
        << import << kGood + "2,Red,145.5,F\x1b[2JM\n"
        << 3 << "line 3: the mode \"F\\x1B[2JM\" is not one of this radio's modes" << kept;
    QTest::newRow("--skip-bad and not one good row")
        << QStringList{"import", "FILE", "DB", "--skip-bad"}
        << QByteArray("Location,Name,Frequency,Mode\n1,UHF,446.0,FM\n") << 3
        << "corvane-memories: none of the 1 rows can be imported; nothing was imported" << kept;
    QTest::newRow("gqrx \"Unknown\" takes --default-mode")
        << QStringList{"import", "FILE", "DB", "--default-mode", "usb"}
        << QByteArray("# Frequency , Name , Modulation , Bandwidth\n14250000, Net, Unknown, 2800\n")
        << 0 << "line 2: taken, but the modulation \"Unknown\" is taken as USB (--default-mode)"
        << QStringList{"Kept", "Net"};
    QTest::newRow("list takes no --format")
        << QStringList{"list", "DB", "--format", "csv"} << QByteArray() << 2
        << "corvane-memories: --format does not apply to list\n\nUsage:" << kept;
    QTest::newRow("header only") << import << QByteArray("Location,Name,Frequency,Mode\r\n") << 1
                                 << "holds no memories; nothing was imported" << kept;
    QTest::newRow("wrong header") << QStringList{"import", "FILE", "DB", "--format", "chirp"}
                                  << QByteArray("Location,Name,Freq,Mode\n1,A,145.5,FM\n") << 1
                                  << "line 1: the header has no column \"Frequency\"" << kept;
    QTest::newRow("mixed rows, no --skip-bad: nothing")
        << import << kGood + "2,UHF,446.0,FM\n3,Good too,145.5,USB\n"
        << 3 << "line 3: the frequency 446.000000 MHz is outside" << kept;
    QTest::newRow("mixed rows, --skip-bad: the good ones")
        << QStringList{"import", "FILE", "DB", "--skip-bad"}
        << kGood + "2,UHF,446.0,FM\n3,Good too,145.5,USB\n"
        << 0 << "line 3: the frequency 446.000000 MHz is outside"
        << QStringList{"Kept", "Calling", "Good too"};
    QTest::newRow("missing database is not created")
        << QStringList{"import", "FILE", "NOPE.MDB"} << kGood << 1 << "Couldn't find file" << kept;
    QTest::newRow("unknown format")
        << QStringList{"import", "FILE", "DB", "--format", "xls"} << kGood << 2
        << "corvane-memories: --format takes chirp, gqrx or csv\n\nUsage:" << kept;
    QTest::newRow("export needs a format")
        << QStringList{"export", "DB", "FILE"} << QByteArray() << 2
        << "corvane-memories: export needs --format chirp, gqrx or csv\n\nUsage:" << kept;
    QTest::newRow("unknown command")
        << QStringList{"merge", "FILE", "DB"} << kGood << 2 << "unknown command merge" << kept;
}

void TestMemoriesTool::badInput()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, file);
    QFETCH(int, status);
    QFETCH(QString, message);
    QFETCH(QStringList, names);
    const QString path = writeFile(m_dir->filePath("in.csv"), file);
    arguments.replaceInStrings(QRegularExpression("^FILE$"), path);
    arguments.replaceInStrings(QRegularExpression("^DB$"), m_db);
    arguments.replaceInStrings(QRegularExpression("^NOPE.MDB$"), m_dir->filePath("NOPE.MDB"));
    const QByteArray before = fixture::bytesOf(m_db);

    const Run run = runTool(arguments);
    QCOMPARE(run.status, status);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    QVERIFY2(!run.err.contains(QChar(0x1B)) && run.err.count('\n') < 50, qPrintable(run.err));
    QCOMPARE(fixture::rowsOf(m_db, "SELECT Name FROM TabFreq ORDER BY id"), names);
    if (names == QStringList{"Kept"})
        QCOMPARE(fixture::bytesOf(m_db), before);
    QVERIFY(!QFile::exists(m_dir->filePath("NOPE.MDB")));
}

void TestMemoriesTool::readOnlyAndLockedDatabases()
{
    const QString file = writeFile(m_dir->filePath("in.csv"), kGood);
    const QByteArray before = fixture::bytesOf(m_db);
    {
        const ExclusiveLock lock(m_db);
        QVERIFY(lock.held());
        const Run run = runTool({"import", file, m_db});
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains("the database is in use") &&
                     run.err.contains("nothing was imported; the database is as it was"),
                 qPrintable(run.err));
    }
    QVERIFY(QFile::setPermissions(m_db, QFile::ReadOwner | QFile::ReadGroup));
    const Run run = runTool({"import", file, m_db});
    QCOMPARE(run.status, 1);
    QVERIFY2(run.err.contains("read-only"), qPrintable(run.err));
    QCOMPARE(fixture::bytesOf(m_db), before);
}

void TestMemoriesTool::fullDiskLeavesDatabaseAndFileAsTheyWere()
{
    const QString small = m_dir->filePath("small");
    QVERIFY(QDir().mkpath(small));
    QProcess mount;
    mount.start("mount", {"-t", "tmpfs", "-o", "size=96k", "tmpfs", small});
    if (!mount.waitForFinished(10000) || mount.exitStatus() != QProcess::NormalExit ||
        mount.exitCode() != 0)
        QSKIP("a small tmpfs cannot be mounted here (the test needs root and mount)");
    const auto unmount = qScopeGuard([&small] { QProcess::execute("umount", {small}); });

    const QString db = small + "/FULL.MDB";
    QVERIFY(QFile::copy(m_db, db));
    const QString old = writeFile(small + "/old.csv", "an older export\n");
    const QString big = writeFile(m_dir->filePath("big.csv"), manyMemories(5000));
    const QByteArray before = fixture::bytesOf(db);

    Run run = runTool({"import", big, db});
    QCOMPARE(run.status, 1);
    QVERIFY2(run.err.contains("Disk full") &&
                 run.err.contains("nothing was imported; the database is as it was"),
             qPrintable(run.err));
    QCOMPARE(fixture::bytesOf(db), before);

    // An export too large for the disk leaves the older file whole, and no half file.
    const QString source = fixture::makeDatabase(m_dir->path(), "BIG.MDB", {});
    fixture::fillGenerated(source, 5000);
    run = runTool({"export", source, old, "--format", "chirp"});
    QCOMPARE(run.status, 1);
    QVERIFY2(run.err.contains("nothing was written; " + old + " is as it was"),
             qPrintable(run.err));
    QCOMPARE(fixture::bytesOf(old), QByteArray("an older export\n"));
    QCOMPARE(QDir(small).entryList(QDir::Files | QDir::Hidden),
             (QStringList{"FULL.MDB", "old.csv"}));

    // The disk filled to the brim; a small export (a few KiB) over the older file. A write
    // that only a late flush would have failed is a failure too, named as such.
    QFile filler(small + "/filler");
    QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    while (filler.write(QByteArray(1024, 'x')) > 0) {
    }
    filler.close();
    const QString few = fixture::makeDatabase(m_dir->path(), "FEW.MDB", {});
    fixture::fillGenerated(few, 200);
    for (const char* format : {"chirp", "gqrx", "csv"}) {
        run = runTool({"export", few, old, "--format", format});
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains(old + " cannot be written: Disk full; nothing was written; " +
                                  old + " is as it was"),
                 qPrintable(run.err));
        QVERIFY2(run.out.isEmpty(), qPrintable(run.out));
        QCOMPARE(fixture::bytesOf(old), QByteArray("an older export\n"));
    }
    QCOMPARE(QDir(small).entryList(QDir::Files | QDir::Hidden),
             (QStringList{"filler", "FULL.MDB", "old.csv"}));
}

void TestMemoriesTool::listAndCheck()
{
    // Rows another program wrote: one keeps the rules, two do not.
    const QString db = fixture::makeDatabase(
        m_dir->path(), "FOREIGN.MDB",
        {{"Rep", "145", "600", "000", "FM", "145", "000", "000", 1, "Y"},
         {QVariant(), "446", "000", "000", "FM", QVariant(), QVariant(), QVariant(), 0, QVariant()},
         {"Half", "145", "500", "000", "usb", "145", QVariant(), QVariant(), 0, ""},
         {"Tab\there\nnext\x1b[0m", "145", "500", "000", "FM", QVariant(), QVariant(), QVariant(),
          0, ""}});
    Run run = runTool({"list", db, "--order", "none"});
    QCOMPARE(run.status, 0);
    QCOMPARE(run.out,
             QStringLiteral("Name\tMHz\tKHz\tHz\tMode\tsMHz\tsKHz\tsHZ\tSplit\tScan\n"
                            "Rep\t145\t600\t000\tFM\t145\t000\t000\tTrue\tY\n"
                            "\t446\t000\t000\tFM\t\t\t\tFalse\t\n"
                            "Half\t145\t500\t000\tusb\t145\t\t\tFalse\t\n"
                            "Tab\\there\\nnext\\x1B[0m\t145\t500\t000\tFM\t\t\t\tFalse\t\n"));
    // Nothing on standard output when the database cannot be opened, not even the header.
    run = runTool({"list", m_dir->filePath("NOPE.MDB")});
    QCOMPARE(run.status, 1);
    QCOMPARE(run.out, QString());
    run = runTool({"check", db});
    QCOMPARE(run.status, 3);
    QCOMPARE(run.err,
             QStringLiteral("row id 2: the frequency 446.000000 MHz is outside 0.030000 MHz - "
                            "199.999999 MHz\nrow id 3: the mode \"usb\" is not one of LSB, USB, "
                            "AM, CW, RTTY, FM, WFM\n"));
    QVERIFY2(run.out.contains("4 memories, 2 breaking the rules, 0 database problems"),
             qPrintable(run.out));
    QCOMPARE(runTool({"check", m_db}).status, 0);
    run = runTool({"--help"});
    QCOMPARE(run.status, 0);
    for (const char* usage : {"import FILE DB.MDB [--format chirp|gqrx|csv] [--skip-bad]",
                              "export DB.MDB FILE --format chirp|gqrx|csv", "list DB.MDB",
                              "check DB.MDB", "Exit status"})
        QVERIFY2(run.out.contains(usage), usage);
}

void TestMemoriesTool::progressLineOnlyOnATerminal()
{
    const QString script = QStandardPaths::findExecutable("script");
    const QString file = writeFile(m_dir->filePath("many.csv"), manyMemories(2500));
    const Run piped = runTool({"import", file, m_db});
    QCOMPARE(piped.status, 0);
    QVERIFY2(!piped.err.contains("line 1000") && !piped.err.contains('\r'), qPrintable(piped.err));
    if (script.isEmpty())
        QSKIP("script(1) is not installed: no terminal to run the tool on");
    // On a terminal (script runs it on a pseudo-terminal) the progress line is drawn.
    const QString second = fixture::makeDatabase(m_dir->path(), "TTY.MDB", {});
    QProcess onTerminal;
    onTerminal.start(script, {"-qec",
                              QStringLiteral("'%1' import '%2' '%3'")
                                  .arg(QStringLiteral(CORVANE_MEMORIES_PATH), file, second),
                              "/dev/null"});
    QVERIFY(onTerminal.waitForFinished(60000));
    const QString seen = QString::fromUtf8(onTerminal.readAllStandardOutput());
    QVERIFY2(seen.contains("\rline 1000 / 2501"), qPrintable(seen));
    QVERIFY2(seen.contains("2500 memories added"), qPrintable(seen));

    // 30 refused rows: 20 messages on the terminal and the count of the rest; the report
    // has them all.
    QByteArray bad = "Location,Name,Frequency,Mode\n";
    for (int i = 0; i < 30; ++i)
        bad += QByteArray::number(i) + ",UHF," + QByteArray::number(430 + i) + ",FM\n";
    const QString badFile = writeFile(m_dir->filePath("bad.csv"), bad);
    const QString report = m_dir->filePath("report.txt");
    QProcess again;
    again.start(script, {"-qec",
                         QStringLiteral("'%1' import '%2' '%3' --skip-bad --report '%4'")
                             .arg(QStringLiteral(CORVANE_MEMORIES_PATH), badFile, second, report),
                         "/dev/null"});
    QVERIFY(again.waitForFinished(60000));
    const QString shown = QString::fromUtf8(again.readAllStandardOutput());
    QCOMPARE(shown.count(QRegularExpression("line \\d+: the frequency")), 20);
    QVERIFY2(shown.contains("... and 10 more messages about rows not shown here (all are in " +
                            report + ")"),
             qPrintable(shown));
    QCOMPARE(fixture::bytesOf(report).count('\n'), 30);
}

QTEST_GUILESS_MAIN(TestMemoriesTool)
#include "tst_memoriestool.moc"
