// corvane-sim as a program: its command line, device path and symlink, front panel on
// standard input, frame log, and clean exits.

#include "support/ptyclient.h"
#include "support/simprocess.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>
#include <csignal>

namespace {

QString hexText(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes.toHex().toUpper());
}

QByteArray fileContents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

/** User + system CPU time of a process in milliseconds, from /proc. */
qint64 cpuMilliseconds(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) {
        return -1;
    }
    const QByteArray text = stat.readAll();
    // Fields after the command name (which is in parentheses): state is field 3, utime 14,
    // stime 15.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    const qint64 ticks = fields.value(11).toLongLong() + fields.value(12).toLongLong();
    return ticks * 1000 / ::sysconf(_SC_CLK_TCK);
}

}  // namespace

class TestSimProgram : public QObject {
    Q_OBJECT
private slots:
    void init();
    void printsDevicePathAndStopsCleanly_data();
    void printsDevicePathAndStopsCleanly();
    void answersOnItsAddress_data();
    void answersOnItsAddress();
    void refusesBadArguments_data();
    void refusesBadArguments();
    void replacesStaleLinkAndRemovesIt();
    void leavesARealFileAlone();
    void frontPanelCommands_data();
    void frontPanelCommands();
    void logsEveryFrameWithTime();
    void logsToAFile();
    void runsOnAfterEndOfInputWithoutSpinning();
    void quitCommandEnds();

private:
    QTemporaryDir m_dir;
};

void TestSimProgram::init()
{
    QVERIFY(m_dir.isValid());
}

void TestSimProgram::printsDevicePathAndStopsCleanly_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGTERM") << SIGTERM;
    QTest::newRow("SIGINT") << SIGINT;
    QTest::newRow("SIGHUP") << SIGHUP;
}

void TestSimProgram::printsDevicePathAndStopsCleanly()
{
    QFETCH(int, signalNumber);

    const QString link = m_dir.filePath(QStringLiteral("radio"));
    SimProcess sim;
    QVERIFY2(sim.start({QStringLiteral("--link"), link}), qPrintable(sim.errorString()));
    QVERIFY2(sim.devicePath().startsWith(QLatin1String("/dev/pts/")), qPrintable(sim.devicePath()));
    QVERIFY(QFileInfo::exists(sim.devicePath()));
    QCOMPARE(QFileInfo(link).symLinkTarget(), sim.devicePath());

    ::kill(pid_t(sim.process().processId()), signalNumber);
    QTRY_COMPARE(sim.process().state(), QProcess::NotRunning);
    QCOMPARE(sim.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.process().exitCode(), 0);
    QVERIFY(!QFileInfo(link).isSymLink());
    QTRY_VERIFY(!sim.logLines().isEmpty() && sim.logLines().last().endsWith(u" INFO stopped"));
}

void TestSimProgram::answersOnItsAddress_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("otherAddress");

    QTest::newRow("default 72") << QStringList{} << "48"
                                << "58";
    QTest::newRow("decimal 88") << QStringList{"--address", "88"} << "58"
                                << "48";
    QTest::newRow("hex 0x58") << QStringList{"--address", "0x58"} << "58"
                              << "48";
    QTest::newRow("hex 0X4E") << QStringList{"--address", "0X4E"} << "4E"
                              << "48";
}

void TestSimProgram::answersOnItsAddress()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, address);
    QFETCH(QString, otherAddress);

    SimProcess sim;
    QVERIFY2(sim.start(arguments), qPrintable(sim.errorString()));
    PtyClient client;
    QVERIFY2(client.open(sim.devicePath()), qPrintable(client.errorString()));
    // The frame to the other address is echoed only; the next one is answered.
    const QString request = "FEFE" + otherAddress + "E003FD" + "FEFE" + address + "E00F01FD";
    const QString expected = request + "FEFEE0" + address + "FBFD";
    QVERIFY(client.write(QByteArray::fromHex(request.toLatin1())));
    QVERIFY(client.waitForBytes(expected.size() / 2));
    QCOMPARE(hexText(client.received()), expected);
    QTRY_COMPARE(sim.frameTexts(),
                 QStringList({"FEFE" + otherAddress + "E003FD", "FEFE" + address + "E00F01FD"}));
}

void TestSimProgram::refusesBadArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("address 256") << QStringList{"--address", "256"};
    QTest::newRow("address -1") << QStringList{"--address", "-1"};
    QTest::newRow("address text") << QStringList{"--address", "radio"};
    QTest::newRow("address 0x") << QStringList{"--address", "0x"};
    QTest::newRow("log in a missing directory")
        << QStringList{"--log", "/nonexistent-corvane-dir/sim.log"};
    QTest::newRow("link in a missing directory")
        << QStringList{"--link", "/nonexistent-corvane-dir/radio"};
}

void TestSimProgram::refusesBadArguments()
{
    QFETCH(QStringList, arguments);

    SimProcess sim;
    QVERIFY(!sim.start(arguments));
    QTRY_COMPARE(sim.process().state(), QProcess::NotRunning);
    QCOMPARE(sim.process().exitCode(), 1);
    QVERIFY(sim.errorString().contains("corvane-sim:"));
}

void TestSimProgram::replacesStaleLinkAndRemovesIt()
{
    const QString link = m_dir.filePath(QStringLiteral("stale"));
    QVERIFY(QFile::link(QStringLiteral("/dev/pts/nonexistent"), link));
    SimProcess sim;
    QVERIFY2(sim.start({"--link", link}), qPrintable(sim.errorString()));
    QCOMPARE(QFileInfo(link).symLinkTarget(), sim.devicePath());
    PtyClient client;  // the link leads to the radio
    QVERIFY2(client.open(link), qPrintable(client.errorString()));
    QVERIFY(client.write(QByteArray::fromHex("FEFE48E00F00FD")));
    QVERIFY(client.waitForBytes(13));
    QCOMPARE(hexText(client.received()), "FEFE48E00F00FDFEFEE048FBFD");
    QVERIFY(sim.stop());
    QVERIFY(!QFileInfo(link).isSymLink());
}

void TestSimProgram::leavesARealFileAlone()
{
    const QString path = m_dir.filePath(QStringLiteral("notes.txt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write("keep me"), 7);
    file.close();
    SimProcess sim;
    QVERIFY(!sim.start({"--link", path}));
    QTRY_COMPARE(sim.process().state(), QProcess::NotRunning);
    QCOMPARE(sim.process().exitCode(), 1);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("keep me"));
}

void TestSimProgram::frontPanelCommands_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("client");  ///< a client has the line open
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("reply");  ///< checked when not empty
    QTest::addColumn<QString>("sent");
    QTest::addColumn<QString>("state");

    const QString start =
        "vfo=A a=145400000/5/1 b=145400000/5/1 split=0 scan=0 step=0 silent=0 transceive=1";
    QTest::newRow("freq")
        << "freq 7050000" << true << true << "frequency 7050000"
        << "FEFE0048000000050700FD"
        << "vfo=A a=7050000/5/1 b=145400000/5/1 split=0 scan=0 step=0 silent=0 transceive=1";
    QTest::newRow("mode")
        << "mode RTTY" << true << true << "mode 4"
        << "FEFE0048010401FD"
        << "vfo=A a=145400000/4/1 b=145400000/5/1 split=0 scan=0 step=0 silent=0 transceive=1";
    QTest::newRow("vfo")
        << "vfo b" << true << true << "VFO B"
        << "FEFE0048000000404501FD"
           "FEFE0048010501FD"
        << "vfo=B a=145400000/5/1 b=145400000/5/1 split=0 scan=0 step=0 silent=0 transceive=1";
    QTest::newRow("raw") << "raw FE FE E0 48 FB FD" << true << true << "6 bytes sent"
                         << "FEFEE048FBFD" << start;
    QTest::newRow("silent")
        << "silent on" << true << true << "silent on"
        << ""
        << "vfo=A a=145400000/5/1 b=145400000/5/1 split=0 scan=0 step=0 silent=1 transceive=1";
    QTest::newRow("transceive off")
        << "transceive off" << true << true << "transceive off"
        << ""
        << "vfo=A a=145400000/5/1 b=145400000/5/1 split=0 scan=0 step=0 silent=0 transceive=0";
    QTest::newRow("unknown") << "tune up" << true << false << ""
                             << "" << start;
    QTest::newRow("garbage beyond the line's queue")
        << "garbage 70000" << true << false
        << "70000 garbage bytes not sent: more than the line's queue of 65536 bytes has room for"
        << "" << start;
    QTest::newRow("raw with no client") << "raw FE FE E0 48 FB FD" << false << false
                                        << "6 bytes not sent: no client has the line open"
                                        << "" << start;
    QTest::newRow("freq with no client")
        << "freq 7050000" << false << true
        << "frequency 7050000; not announced: no client has the line open"
        << ""
        << "vfo=A a=7050000/5/1 b=145400000/5/1 split=0 scan=0 step=0 silent=0 transceive=1";
}

void TestSimProgram::frontPanelCommands()
{
    QFETCH(QString, command);
    QFETCH(bool, client);
    QFETCH(bool, ok);
    QFETCH(QString, reply);
    QFETCH(QString, sent);
    QFETCH(QString, state);

    SimProcess sim;
    QVERIFY2(sim.start(), qPrintable(sim.errorString()));
    PtyClient line;
    if (client)
        QVERIFY(line.open(sim.devicePath()));
    QString answer;
    QCOMPARE(sim.command(command, &answer), ok);
    QVERIFY(!answer.isEmpty());
    if (!reply.isEmpty())
        QCOMPARE(answer, reply);
    QCOMPARE(sim.state(), state);
    if (client) {
        QVERIFY(line.waitForBytes(sent.size() / 2));
        QCOMPARE(hexText(line.received()), sent);
    }
    // The log says what went out and what did not, never both for the same bytes.
    const QStringList sentLog = sim.logLines().filter(QLatin1String(" TX "));
    QCOMPARE(sentLog.size(), sent.isEmpty() ? 0 : 1 + int(command.startsWith("vfo")));
    const QStringList droppedLog = sim.logLines().filter(QLatin1String(" DROP "));
    QCOMPARE(droppedLog.size(),
             int(answer.contains("not sent") || answer.contains("not announced")));
    if (!droppedLog.isEmpty())
        QVERIFY2(droppedLog.first().endsWith(answer.mid(answer.lastIndexOf(": "))),
                 qPrintable(droppedLog.first()));
}

void TestSimProgram::logsEveryFrameWithTime()
{
    SimProcess sim;
    QVERIFY2(sim.start(), qPrintable(sim.errorString()));
    PtyClient client;
    QVERIFY(client.open(sim.devicePath()));
    QVERIFY(client.write(QByteArray::fromHex("FEFE48E00700FD")));
    QVERIFY(sim.waitForFrames(1));
    QVERIFY(
        client.write(QByteArray::fromHex("FEFE58E003FD"
                                         "FEFE48E01006FD")));
    QVERIFY(sim.waitForFrames(3));
    QCOMPARE(sim.frameTexts(), QStringList({"FEFE48E00700FD", "FEFE58E003FD", "FEFE48E01006FD"}));
    const QList<SimProcess::Frame> frames = sim.frames();
    QVERIFY(frames[0].seconds > 0);
    QVERIFY(frames[0].seconds <= frames[1].seconds);
    QVERIFY(frames[1].seconds <= frames[2].seconds);
    QCOMPARE(frames[2].bytes(), QByteArray::fromHex("FEFE48E01006FD"));
    // "<seconds with six decimals> RX <frame text>"
    const QStringList received = sim.logLines().filter(QLatin1String(" RX "));
    QCOMPARE(received.size(), 3);
    QVERIFY2(QRegularExpression(QStringLiteral("^\\d+\\.\\d{6} RX FEFE48E00700FD$"))
                 .match(received[0])
                 .hasMatch(),
             qPrintable(received[0]));
}

void TestSimProgram::logsToAFile()
{
    const QString logPath = m_dir.filePath(QStringLiteral("sim.log"));
    SimProcess sim;
    QVERIFY2(sim.start({"--log", logPath}), qPrintable(sim.errorString()));
    PtyClient client;
    QVERIFY(client.open(sim.devicePath()));
    QVERIFY(client.write(QByteArray::fromHex("FEFE48E00F01FD")));
    QTRY_VERIFY(fileContents(logPath).contains(" RX FEFE48E00F01FD\n"));
    QVERIFY(sim.frames().isEmpty());  // nothing on standard error
}

void TestSimProgram::runsOnAfterEndOfInputWithoutSpinning()
{
    QElapsedTimer wall;
    wall.start();
    SimProcess sim;
    QVERIFY2(sim.start(), qPrintable(sim.errorString()));
    sim.process().closeWriteChannel();
    QTRY_VERIFY(!sim.logLines().filter(QLatin1String("standard input closed")).isEmpty());
    PtyClient client;
    QVERIFY(client.open(sim.devicePath()));
    // Let it scan for a few steps (100 ms apart): a program spinning on its closed input
    // would burn the whole of that time.
    QVERIFY(client.write(QByteArray::fromHex("FEFE48E00E01FD")));
    const qsizetype fiveSteps = 7 + 6 + 5 * 11;
    QVERIFY(client.waitForBytes(fiveSteps));
    QCOMPARE(sim.process().state(), QProcess::Running);
    const qint64 cpu = cpuMilliseconds(sim.process().processId());
    QVERIFY(cpu >= 0);
    QVERIFY2(cpu * 2 < wall.elapsed(),
             qPrintable(QStringLiteral("%1 ms CPU in %2 ms").arg(cpu).arg(wall.elapsed())));
    QVERIFY(sim.stop());
}

void TestSimProgram::quitCommandEnds()
{
    const QString link = m_dir.filePath(QStringLiteral("radio-quit"));
    SimProcess sim;
    QVERIFY2(sim.start({"--link", link}), qPrintable(sim.errorString()));
    QVERIFY(QFileInfo(link).isSymLink());
    sim.process().write("quit\n");
    QTRY_COMPARE(sim.process().state(), QProcess::NotRunning);
    QCOMPARE(sim.process().exitCode(), 0);
    QVERIFY(!QFileInfo(link).isSymLink());
    QTRY_VERIFY(!sim.logLines().isEmpty() && sim.logLines().last().endsWith(u" INFO stopped"));
}

QTEST_GUILESS_MAIN(TestSimProgram)
#include "tst_simprogram.moc"
