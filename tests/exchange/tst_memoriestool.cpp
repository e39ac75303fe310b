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
        << "is not a CHIRP CSV file, a gqrx bookmarks file or a Corvane CSV file" << kept;
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
    QTest::newRow("unknown format") << QStringList{"import", "FILE", "DB", "--format", "xls"}
                                    << kGood << 2 << "--format takes chirp, gqrx or csv" << kept;
    QTest::newRow("export needs a format") << QStringList{"export", "DB", "FILE"} << QByteArray()
                                           << 2 << "export needs --format" << kept;
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
}

void TestMemoriesTool::listAndCheck()
{
    // Rows another program wrote: one keeps the rules, two do not.
    const QString db = fixture::makeDatabase(
        m_dir->path(), "FOREIGN.MDB",
        {{"Rep", "145", "600", "000", "FM", "145", "000", "000", 1, "Y"},
         {QVariant(), "446", "000", "000", "FM", QVariant(), QVariant(), QVariant(), 0, QVariant()},
         {"Half", "145", "500", "000", "usb", "145", QVariant(), QVariant(), 0, ""}});
    Run run = runTool({"list", db, "--order", "none"});
    QCOMPARE(run.status, 0);
    QCOMPARE(run.out, QStringLiteral("Name\tMHz\tKHz\tHz\tMode\tsMHz\tsKHz\tsHZ\tSplit\tScan\n"
                                     "Rep\t145\t600\t000\tFM\t145\t000\t000\tTrue\tY\n"
                                     "\t446\t000\t000\tFM\t\t\t\tFalse\t\n"
                                     "Half\t145\t500\t000\tusb\t145\t\t\tFalse\t\n"));
    run = runTool({"check", db});
    QCOMPARE(run.status, 3);
    QCOMPARE(run.err,
             QStringLiteral("row id 2: the frequency 446.000000 MHz is outside 0.030000 MHz - "
                            "199.999999 MHz\nrow id 3: the mode \"usb\" is not one of LSB, USB, "
                            "AM, CW, RTTY, FM, WFM\n"));
    QVERIFY2(run.out.contains("3 memories, 2 breaking the rules, 0 database problems"),
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
}

QTEST_GUILESS_MAIN(TestMemoriesTool)
#include "tst_memoriestool.moc"
