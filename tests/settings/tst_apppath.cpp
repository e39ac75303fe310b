#include "settings/apppath.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestAppPath : public QObject {
    Q_OBJECT

private slots:
    void fromArguments_data();
    void fromArguments();
    void trailingSeparator_data();
    void trailingSeparator();
    void settingsFileIsInAppPath();
    void dataFolderRule_data();
    void dataFolderRule();
    void userDataFolderIsPrepared();
};

void TestAppPath::fromArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("expected");
    const QString program = QStringLiteral("corvane");
    const QString executableDir = QCoreApplication::applicationDirPath() + u'/';
    const QString currentDir = QDir::currentPath();
    QTest::newRow("no option: the executable's directory") << QStringList{program} << executableDir;
    QTest::newRow("--dir DIR") << QStringList{program, "--dir", "/tmp/corvane"} << "/tmp/corvane/";
    QTest::newRow("--dir=DIR") << QStringList{program, "--dir=/tmp/corvane"} << "/tmp/corvane/";
    QTest::newRow("already ends in /") << QStringList{program, "--dir", "/tmp/c/"} << "/tmp/c/";
    QTest::newRow("cleaned") << QStringList{program, "--dir", "/tmp/a/../b"} << "/tmp/b/";
    QTest::newRow("relative to the current directory")
        << QStringList{program, "--dir", "sub"} << currentDir + "/sub/";
    QTest::newRow("last one wins")
        << QStringList{program, "--dir", "/tmp/a", "--dir", "/tmp/b"} << "/tmp/b/";
    QTest::newRow("--dir without a value") << QStringList{program, "--dir"} << executableDir;
    QTest::newRow("--dir= empty") << QStringList{program, "--dir="} << executableDir;
    QTest::newRow("the first argument is the program, not an option")
        << QStringList{"--dir", "/tmp/x"} << executableDir;
    QTest::newRow("other options ignored")
        << QStringList{program, "-platform", "offscreen", "--dir", "/srv/r"} << "/srv/r/";
}

void TestAppPath::fromArguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, expected);
#ifdef Q_OS_WIN
    QSKIP("paths in this table are Unix paths");
#endif
    QCOMPARE(appPathFromArguments(arguments), expected);
}

void TestAppPath::trailingSeparator_data()
{
    QTest::addColumn<QString>("directory");
    QTest::addColumn<QString>("expected");
    QTest::newRow("appended") << "/tmp/x"
                              << "/tmp/x/";
    QTest::newRow("kept") << "/tmp/x/"
                          << "/tmp/x/";
    QTest::newRow("root") << "/"
                          << "/";
    QTest::newRow("empty stays empty") << ""
                                       << "";
}

void TestAppPath::trailingSeparator()
{
    QFETCH(QString, directory);
    QFETCH(QString, expected);
#ifdef Q_OS_WIN
    QSKIP("paths in this table are Unix paths");
#endif
    QCOMPARE(withTrailingSeparator(directory), expected);
}

void TestAppPath::settingsFileIsInAppPath()
{
    QCOMPARE(settingsFilePath(QStringLiteral("/tmp/c/")), QStringLiteral("/tmp/c/IC706.INI"));
}

void TestAppPath::dataFolderRule_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("writable");
    QTest::addColumn<bool>("holdsSettings");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("use");
    const QString program = QStringLiteral("corvane");
    const QString bin = QStringLiteral("/opt/corvane/bin/");
    const QString user = QStringLiteral("/home/op/.local/share/corvane/");
    const int given = int(DataFolderUse::Given);
    const int portable = int(DataFolderUse::Portable);
    const int userData = int(DataFolderUse::UserData);
    QTest::newRow("portable: writable, settings beside the program")
        << QStringList{program} << true << true << bin << portable;
    QTest::newRow("writable but no settings (a fresh copy): the user's folder")
        << QStringList{program} << true << false << user << userData;
    QTest::newRow("settings beside a read-only program: the user's folder")
        << QStringList{program} << false << true << user << userData;
    QTest::newRow("installed in a system folder: the user's folder")
        << QStringList{program} << false << false << user << userData;
    QTest::newRow("--dir beats a portable folder")
        << QStringList{program, "--dir", "/srv/r"} << true << true << "/srv/r/" << given;
    QTest::newRow("--dir=DIR for an installed program")
        << QStringList{program, "--dir=/srv/r"} << false << false << "/srv/r/" << given;
    QTest::newRow("--dir= empty names nothing")
        << QStringList{program, "--dir="} << false << false << user << userData;
}

void TestAppPath::dataFolderRule()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, writable);
    QFETCH(bool, holdsSettings);
    QFETCH(QString, expected);
    QFETCH(int, use);
#ifdef Q_OS_WIN
    QSKIP("paths in this table are Unix paths");
#endif
    const ExecutableFolder executable{QStringLiteral("/opt/corvane/bin"), writable, holdsSettings};
    const DataFolder folder =
        chooseDataFolder(arguments, executable, QStringLiteral("/home/op/.local/share/corvane"));
    QCOMPARE(folder.appPath, expected);
    QCOMPARE(int(folder.use), use);
}

void TestAppPath::userDataFolderIsPrepared()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString installed = dir.filePath("EMPTY.MDB");
    QFile source(installed);
    QVERIFY(source.open(QIODevice::WriteOnly) && source.write("template") == 8);
    source.close();
    QVERIFY(QFile::setPermissions(installed, QFileDevice::ReadOwner | QFileDevice::ReadOther));

    // The real check of the executable's folder: the settings file makes it portable.
    QVERIFY(!inspectExecutableFolder(dir.path()).holdsSettings);
    const QString appPath = dir.filePath("home/.local/share/corvane") + u'/';
    QString error;
    QVERIFY2(prepareUserDataFolder(appPath, installed, "EMPTY.MDB", &error), qPrintable(error));
    QFile copy(appPath + "EMPTY.MDB");
    QVERIFY(copy.open(QIODevice::ReadWrite));
    QCOMPARE(copy.readAll(), QByteArray("template"));

    // The operator's copy is never replaced on a later start.
    QVERIFY(copy.seek(0) && copy.write("mine") == 4);
    copy.close();
    QVERIFY2(prepareUserDataFolder(appPath, installed, "EMPTY.MDB", &error), qPrintable(error));
    QVERIFY(copy.open(QIODevice::ReadOnly));
    QCOMPARE(copy.readAll(), QByteArray("minelate"));

    QFile settings(appPath + "IC706.INI");
    QVERIFY(settings.open(QIODevice::WriteOnly));
    settings.close();
    const ExecutableFolder portable = inspectExecutableFolder(appPath);
    QVERIFY(portable.holdsSettings && portable.writable);

    QVERIFY(!prepareUserDataFolder(appPath + "IC706.INI/sub/", installed, "EMPTY.MDB", &error));
    QVERIFY2(error.contains("IC706.INI/sub/"), qPrintable(error));
}

QTEST_GUILESS_MAIN(TestAppPath)
#include "tst_apppath.moc"
