#include "settings/apppath.h"

#include <QCoreApplication>
#include <QDir>
#include <QTest>

class TestAppPath : public QObject {
    Q_OBJECT

private slots:
    void fromArguments_data();
    void fromArguments();
    void trailingSeparator_data();
    void trailingSeparator();
    void settingsFileIsInAppPath();
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

QTEST_GUILESS_MAIN(TestAppPath)
#include "tst_apppath.moc"
