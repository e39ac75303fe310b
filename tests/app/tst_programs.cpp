// --help and --version of every program, with no display at all: they must answer before
// anything reaches for a window system.
#include <QProcess>
#include <QTest>

class TestPrograms : public QObject {
    Q_OBJECT
private slots:
    void answersWithoutDisplay_data();
    void answersWithoutDisplay();
};

void TestPrograms::answersWithoutDisplay_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("output");  ///< what standard output starts with
    QTest::addColumn<QString>("mentions");
    const QString version = QStringLiteral(CORVANE_VERSION_TEXT);
    const QString corvane = QStringLiteral(CORVANE_PROGRAM_PATH);
    const QString sim = QStringLiteral(CORVANE_SIM_PATH);
    const QString memories = QStringLiteral(CORVANE_MEMORIES_PATH);
    QTest::newRow("corvane --version")
        << corvane << QStringList{"--version"} << 0 << "corvane " + version + "\n"
        << "";
    QTest::newRow("corvane -v") << corvane << QStringList{"-v"} << 0 << "corvane " + version + "\n"
                                << "";
    QTest::newRow("corvane --help") << corvane << QStringList{"--help"} << 0 << "Usage: "
                                    << "--log-frames";
    QTest::newRow("corvane -h after a window-system option")
        << corvane << QStringList{"-platform", "xcb", "-h"} << 0 << "Usage: "
        << "--rigctl-port";
    QTest::newRow("corvane, wrong option") << corvane << QStringList{"--no-such"} << 1 << ""
                                           << "no-such";
    QTest::newRow("corvane-sim --version")
        << sim << QStringList{"--version"} << 0 << "corvane-sim " + version + "\n"
        << "";
    QTest::newRow("corvane-sim --help") << sim << QStringList{"--help"} << 0 << "Usage: "
                                        << "--address";
    QTest::newRow("corvane-memories --version")
        << memories << QStringList{"--version"} << 0 << "corvane-memories " + version + "\n"
        << "";
    QTest::newRow("corvane-memories --help") << memories << QStringList{"--help"} << 0 << "Usage:"
                                             << "corvane-memories --version";
}

void TestPrograms::answersWithoutDisplay()
{
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, output);
    QFETCH(QString, mentions);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    QVERIFY(process.waitForFinished(30000));
    const QString out = QString::fromLocal8Bit(process.readAllStandardOutput());
    const QString err = QString::fromLocal8Bit(process.readAllStandardError());
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QVERIFY2(process.exitCode() == status, qPrintable(err));
    QVERIFY2(output.isEmpty() || out.startsWith(output), qPrintable(out));
    QVERIFY2((out + err).contains(mentions), qPrintable(out + err));
    QVERIFY2(!err.contains(QLatin1String("qt.qpa")), qPrintable(err));
}

QTEST_GUILESS_MAIN(TestPrograms)
#include "tst_programs.moc"
