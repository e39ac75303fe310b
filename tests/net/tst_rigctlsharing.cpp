// Sharing end to end: Hamlib's own client `rigctl -m 2` (NET rigctl) drives the window,
// which drives the virtual radio on a real pseudo-terminal. What a client sets reaches the
// radio as exactly the catalogue's frames and shows on the display; reads are answered
// from the display's state with nothing on the line; two clients share the one radio; a
// client's set ends a running bookmark scan as STOP does, a client that only reads does
// not; the split frequency and mode go to VFO B and back; a table full of idle
// connections does not keep a new client out. And Corvane to Corvane: a second window that
// reaches this one's radio as "a radio on another computer" (Hamlib's NET rigctl inside it)
// recalls a split memory and runs its bookmark scan on the radio, and this window follows.

#include "hamlib/hamlibbackend.h"
#include "hamlib/hamlibradio.h"
#include "net/rigctlserver.h"
#include "radio/radiocommands.h"
#include "radio/radiostate.h"
#include "settings/apppath.h"
#include "settings/inifile.h"
#include "settings/radiochoice.h"
#include "support/memoryfixture.h"
#include "ui/f706.h"
#include "ui/mainmenus.h"
#include "ui/memorycontroller.h"
#include "ui/radiobench.h"
#include "ui/scancontroller.h"
#include "ui/sharingcontroller.h"

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTableView>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <memory>

namespace {

constexpr int kWaitMs = 30'000;

QStringList outputLines(QProcess* process)
{
    return QString::fromUtf8(process->readAllStandardOutput())
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

/** The frames without the one read of VFO B's frequency a client's open may send. */
QStringList withoutReads(QStringList frames)
{
    const qsizetype reads = frames.removeAll(frameTo48("03"));
    if (reads > 1)
        qWarning("%lld reads of the frequency", static_cast<long long>(reads));
    return reads > 1 ? QStringList{} : frames;
}

}  // namespace

class TestRigctlSharing : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void rigctlSetsAndReads();
    void twoClientsAtOnce();
    void clientSetStopsTheBookmarkScan();
    void readingClientLeavesTheScanRunning();
    void splitFrequencyAndModeOnVfoB();
    void corvaneToCorvane();
    void idleConnectionsGiveWay();
    void portInUseIsToldAndStartupGoesOn();
    void networkNeedsAnAllowList();
    void menuItemTurnsSharingOffAndStoresIt();

private:
    /** The window on a bookmark database of three marked memories, sharing. */
    void loadScanBook();
    /** Runs rigctl -m 2 against the server with the commands; its output lines. */
    QStringList runRigctl(const QStringList& commands, int* exitCode);
    std::unique_ptr<QProcess> startInteractive();
    QStringList ask(QProcess* client, const QByteArray& command, int lines);

    QString m_rigctl;
    std::unique_ptr<RadioBench> m_bench;
    std::unique_ptr<SharingController> m_sharing;
};

void TestRigctlSharing::initTestCase()
{
    m_rigctl = QStandardPaths::findExecutable(QStringLiteral("rigctl"));
    if (m_rigctl.isEmpty())
        QSKIP("rigctl is not installed (Debian package libhamlib-utils)");
}

void TestRigctlSharing::init()
{
    m_bench = std::make_unique<RadioBench>();
    QVERIFY(m_bench->startRadio());
    QVERIFY(m_bench->loadWindow());
    m_sharing = std::make_unique<SharingController>(m_bench->window());
    QString error;
    QVERIFY2(m_sharing->server()->listen(QHostAddress::LocalHost, 0, &error), qPrintable(error));
    m_bench->clearFrames();
}

void TestRigctlSharing::cleanup()
{
    m_sharing.reset();
    m_bench.reset();
}

QStringList TestRigctlSharing::runRigctl(const QStringList& commands, int* exitCode)
{
    QProcess process;
    QSignalSpy finished(&process, &QProcess::finished);
    const QString server = QStringLiteral("127.0.0.1:%1").arg(m_sharing->server()->port());
    process.start(m_rigctl, QStringList{"-m", "2", "-r", server} + commands);
    if (!finished.wait(kWaitMs)) {
        process.kill();
        process.waitForFinished(kWaitMs);
    }
    *exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    if (*exitCode != 0)
        qWarning("rigctl: %s", process.readAllStandardError().constData());
    return outputLines(&process);
}

std::unique_ptr<QProcess> TestRigctlSharing::startInteractive()
{
    auto process = std::make_unique<QProcess>();
    const QString server = QStringLiteral("127.0.0.1:%1").arg(m_sharing->server()->port());
    process->start(m_rigctl, {"-m", "2", "-r", server});
    process->write("\\set_cache 0\n");  // every read goes to the server
    return process;
}

QStringList TestRigctlSharing::ask(QProcess* client, const QByteArray& command, int lines)
{
    client->write(command + '\n');
    QString text;
    QStringList values;
    (void)QTest::qWaitFor(
        [&] {
            text += QString::fromUtf8(client->readAllStandardOutput());
            values.clear();
            for (QString line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
                line.remove(QStringLiteral("Rig command:")).remove(QLatin1Char('>'));
                line = line.trimmed();
                if (!line.isEmpty())
                    values.append(line);
            }
            return values.size() >= lines;
        },
        kWaitMs);
    return values;
}

void TestRigctlSharing::rigctlSetsAndReads()
{
    int exitCode = -1;
    const QStringList output = runRigctl(
        {"\\set_cache", "0", "F",    "14074000", "f", "M",    "USB", "0", "m",     "V", "VFOB",
         "v",           "V", "VFOA", "S",        "1", "VFOB", "s",   "F", "20000", "f"},
        &exitCode);
    QCOMPARE(exitCode, 0);
    // (The passband after "m" is Hamlib's own cached value, not checked here.)
    QCOMPARE(output.mid(0, 2), (QStringList{"14074000", "USB"}));
    QCOMPARE(output.mid(3, 3), (QStringList{"VFOB", "1", "VFOB"}));
    // The out-of-range set is refused before sending ("RPRT -1"): the frequency stays.
    QVERIFY(output.contains(QStringLiteral("Invalid parameter")));
    QCOMPARE(output.last(), QStringLiteral("14074000"));
    // Hamlib's open reads VFO B by selecting it and A again; the radio announces each
    // VFO's values as it is selected, so the reads are answered from the state (a read
    // that came before VFO B's announcement asks the radio once, 03). Then one frame for
    // each set and none for the reads.
    QVERIFY2(m_bench->waitForFrames(7), qPrintable(m_bench->frames().join(QLatin1Char(' '))));
    QCOMPARE(
        withoutReads(m_bench->frames()),
        (QStringList{frameTo48("0701"), frameTo48("0700"), frameTo48("050040071400"),
                     frameTo48("0601"), frameTo48("0701"), frameTo48("0700"), frameTo48("0F01")}));
    QTRY_COMPARE(m_bench->find<QLabel>("Freq")->text(), QStringLiteral("14.074.000"));
    QTRY_COMPARE(m_bench->find<QLabel>("Lmode")->text(), QStringLiteral("USB"));
    QCOMPARE(m_bench->radio().frequency(), quint64{14'074'000});
    QCOMPARE(m_bench->radio().split(), true);
}

void TestRigctlSharing::twoClientsAtOnce()
{
    auto* indicator = m_sharing->indicator();
    const QString where = QStringLiteral("Sharing 127.0.0.1:%1").arg(m_sharing->server()->port());
    std::unique_ptr<QProcess> first = startInteractive();
    std::unique_ptr<QProcess> second = startInteractive();
    QTRY_COMPARE_WITH_TIMEOUT(indicator->text(), where + QStringLiteral(" · 2 clients"), kWaitMs);
    QWidget* focused = QApplication::focusWidget();

    first->write("F 7074000\n");
    second->write("M CW 0\n");
    QVERIFY(m_bench->waitForFrames(2));
    QTRY_COMPARE(m_bench->find<QLabel>("Freq")->text(), QStringLiteral("7.074.000"));
    QTRY_COMPARE(m_bench->find<QLabel>("Lmode")->text(), QStringLiteral("CW"));
    // Each reads what the other set.
    QCOMPARE(ask(first.get(), "m", 2).value(0), QStringLiteral("Mode: CW"));
    QCOMPARE(ask(second.get(), "f", 1), QStringList{"Frequency: 7074000"});
    // Besides what each open sends (VFO switches and reads), the two sets, once each.
    QStringList sets = m_bench->frames();
    const QStringList openFrames{frameTo48("0701"), frameTo48("0700"), frameTo48("03"),
                                 frameTo48("04")};
    sets.removeIf([&](const QString& frame) { return openFrames.contains(frame); });
    sets.sort();
    QCOMPARE(sets, (QStringList{frameTo48("050040070700"), frameTo48("0603")}));
    QCOMPARE(QApplication::focusWidget(), focused);

    for (QProcess* client : {first.get(), second.get()}) {
        client->write("q\n");
        client->closeWriteChannel();
    }
    QVERIFY(QTest::qWaitFor(
        [&] {
            return first->state() == QProcess::NotRunning &&
                   second->state() == QProcess::NotRunning;
        },
        kWaitMs));
    QTRY_COMPARE_WITH_TIMEOUT(indicator->text(), where + QStringLiteral(" · 0 clients"), kWaitMs);
    QVERIFY(m_bench->messages().isEmpty());
}

void TestRigctlSharing::clientSetStopsTheBookmarkScan()
{
    loadScanBook();
    if (QTest::currentTestFailed())
        return;

    // START runs the scan inside its click: the client is started from within it, once the
    // first memory is recalled. A scan that went on regardless is stopped after three rounds.
    constexpr int kRecallFrames = 4;
    std::unique_ptr<QProcess> client;
    connect(&m_bench->radio(), &VirtualRadio::frameReceived, m_bench->window(), [&] {
        if (m_bench->frames().size() == kRecallFrames && !client) {
            client = startInteractive();
            client->write("F 7074000\n");
        } else if (m_bench->frames().size() > 12 * kRecallFrames) {
            m_bench->click("CstopScan");
        }
    });
    m_bench->click("CscanDB");
    QTRY_COMPARE_WITH_TIMEOUT(m_bench->radio().frequency(), quint64{7'074'000}, kWaitMs);
    QTRY_VERIFY(m_bench->find<QPushButton>("CscanDB")->isEnabled());
    QVERIFY(!m_bench->find<QPushButton>("CstopScan")->isEnabled());
    // After the client's frame no memory is recalled again: the radio stays where it was set.
    const QStringList frames = m_bench->frames();
    const qsizetype set = frames.indexOf(frameTo48("050040070700"));
    QVERIFY(set >= kRecallFrames);
    const QStringList after = frames.mid(set + 1);
    QVERIFY2(!std::any_of(after.cbegin(), after.cend(),
                          [](const QString& frame) { return frame.contains("E005"); }),
             qPrintable(after.join(' ')));
    QCOMPARE(m_bench->radio().frequency(), quint64{7'074'000});
    client->write("q\n");
    client->closeWriteChannel();
    QVERIFY(QTest::qWaitFor([&] { return client->state() == QProcess::NotRunning; }, kWaitMs));
}

void TestRigctlSharing::loadScanBook()
{
    m_sharing.reset();
    m_bench = std::make_unique<RadioBench>();
    QVERIFY(m_bench->startRadio());
    const QString book =
        fixture::makeDatabase(m_bench->appPath(), "HOME.MDB",
                              {fixture::memory("A", "145", "500", "000", "FM", "Y"),
                               fixture::memory("B", "145", "600", "000", "FM", "Y"),
                               fixture::memory("C", "145", "700", "000", "FM", "Y")});
    QVERIFY(WriteINI(m_bench->settingsFile(), "BOOKMARKS", "BOOK0CAPTION", "Home") &&
            WriteINI(m_bench->settingsFile(), "BOOKMARKS", "BOOK0", "HOME.MDB"));
    QVERIFY(m_bench->loadWindow());
    m_sharing = std::make_unique<SharingController>(m_bench->window());
    QString error;
    QVERIFY2(m_sharing->server()->listen(QHostAddress::LocalHost, 0, &error), qPrintable(error));
    m_bench->clearFrames();
    m_bench->click("OptSpeed_0");
}

void TestRigctlSharing::readingClientLeavesTheScanRunning()
{
    loadScanBook();
    if (QTest::currentTestFailed())
        return;
    // Hamlib's open selects VFO B and A again only to read; then the client reads and
    // leaves. The scan goes on recalling memories after it, until STOP.
    constexpr int kRecallFrames = 4;
    QProcess client;
    qsizetype clientDone = -1;
    connect(&client, &QProcess::finished, m_bench->window(),
            [&] { clientDone = m_bench->frames().size(); });
    connect(&m_bench->radio(), &VirtualRadio::frameReceived, m_bench->window(), [&] {
        const qsizetype count = m_bench->frames().size();
        if (count == kRecallFrames && client.state() == QProcess::NotRunning && clientDone < 0) {
            const QString server = QStringLiteral("127.0.0.1:%1").arg(m_sharing->server()->port());
            client.start(m_rigctl, {"-m", "2", "-r", server, "f", "m", "v", "s", "f"});
        } else if ((clientDone >= 0 && count >= clientDone + 2 * kRecallFrames) ||
                   count > 40 * kRecallFrames) {
            m_bench->click("CstopScan");
        }
    });
    m_bench->click("CscanDB");
    // The scan runs inside the wait (its START handler returns when it stops).
    QTRY_VERIFY_WITH_TIMEOUT(
        !m_bench->frames().isEmpty() && m_bench->find<QPushButton>("CscanDB")->isEnabled(),
        4 * kWaitMs);
    QCOMPARE(client.exitCode(), 0);
    const QStringList frames = m_bench->frames();
    QVERIFY2(clientDone >= 0, qPrintable(frames.join(QLatin1Char(' '))));
    // Memories went on being recalled after the client had read and gone.
    const QStringList after = frames.mid(clientDone);
    QVERIFY2(std::count_if(after.cbegin(), after.cend(),
                           [](const QString& frame) { return frame.contains("E005"); }) >= 2,
             qPrintable(frames.join(' ')));
    QCOMPARE(outputLines(&client).value(0).left(4), QStringLiteral("1455"));
}

void TestRigctlSharing::splitFrequencyAndModeOnVfoB()
{
    int exitCode = -1;
    const QStringList output =
        runRigctl({"I", "14076000", "i", "X", "PKTUSB", "-1", "x", "f", "m"}, &exitCode);
    QCOMPARE(exitCode, 0);
    QCOMPARE(output.value(0), QStringLiteral("14076000"));
    QCOMPARE(output.value(1), QStringLiteral("USB"));
    QCOMPARE(output.value(3), QStringLiteral("145400000"));
    QCOMPARE(output.value(4), QStringLiteral("FM"));
    // The open's reads (VFO B and A again), then each split set on VFO B and back to A,
    // every frame answered FB before the next.
    QVERIFY2(m_bench->waitForFrames(8), qPrintable(m_bench->frames().join(QLatin1Char(' '))));
    QCOMPARE(withoutReads(m_bench->frames()),
             (QStringList{frameTo48("0701"), frameTo48("0700"), frameTo48("0701"),
                          frameTo48("050060071400"), frameTo48("0700"), frameTo48("0701"),
                          frameTo48("0601"), frameTo48("0700")}));
    QCOMPARE(m_bench->radio().frequency(), quint64{145'400'000});
}

void TestRigctlSharing::corvaneToCorvane()
{
    // The house: its own memories, and the shack's Corvane as its radio.
    QTemporaryDir houseDir;
    const QString appPath = withTrailingSeparator(houseDir.path());
    const QString settings = settingsFilePath(appPath);
    const QString book = fixture::makeDatabase(
        houseDir.path(), "HOUSE.MDB",
        {fixture::memory("Alpha", "145", "500", "000", "FM", "Y"),
         fixture::memory("Bravo", "014", "250", "000", "USB", "Y"),
         {"Repeater", "145", "600", "000", "FM", "145", "000", "000", 1, ""}});
    RadioChoice choice;
    choice.backend = RadioBackendKind::Remote;
    choice.remote = QStringLiteral("127.0.0.1:%1").arg(m_sharing->server()->port());
    AppError error;
    QVERIFY(!book.isEmpty());
    QVERIFY(WriteINI(settings, "SETTINGS", "POLL", "1") &&
            WriteINI(settings, "BOOKMARKS", "BOOK0CAPTION", "House") &&
            WriteINI(settings, "BOOKMARKS", "BOOK0", "HOUSE.MDB"));
    QVERIFY2(writeRadioChoice(settings, choice, &error), qPrintable(error.text));
    F706 house(appPath);
    QVERIFY2(house.Form_Load(&error), qPrintable(error.text));
    QTRY_VERIFY_WITH_TIMEOUT(house.radioState()->isOpen(), kWaitMs);
    const auto* backend = qobject_cast<HamlibBackend*>(house.radioBackend());
    QVERIFY(backend);
    const auto houseIdle = [&] {
        return QTest::qWaitFor(
            [&] { return backend->radio()->pendingCount() == 0 && house.radioCommands()->idle(); },
            kWaitMs);
    };
    QVERIFY(houseIdle());
    const auto click = [&house](const char* name) {
        auto* button = house.findChild<QAbstractButton*>(QString::fromLatin1(name));
        QVERIFY2(button && button->isEnabled(), name);
        QTest::mouseClick(button, Qt::LeftButton);
    };
    VirtualRadio& radio = m_bench->radio();
    RadioState* shack = m_bench->window()->radioState();

    // A recall with split from the house: the shack's radio holds both VFOs and split, and
    // the shack's window shows it.
    auto* grid = house.findChild<QTableView*>(QStringLiteral("DBGrid1"));
    for (int row = 0; row < grid->model()->rowCount(); ++row) {
        if (grid->model()->index(row, 0).data().toString() == QLatin1String("Repeater"))
            grid->setCurrentIndex(grid->model()->index(row, 1));
    }
    m_bench->clearFrames();
    click("Crecall");
    QVERIFY(houseIdle());
    QTRY_VERIFY_WITH_TIMEOUT(radio.split(), kWaitMs);
    QCOMPARE(radio.frequency(VirtualRadio::VfoId::A), quint64{145'600'000});
    QCOMPARE(radio.frequency(VirtualRadio::VfoId::B), quint64{145'000'000});
    QCOMPARE(radio.currentVfo(), VirtualRadio::VfoId::A);
    QTRY_COMPARE(shack->frequencyText(), QStringLiteral("145.600.000"));
    QVERIFY(shack->split());
    QTRY_VERIFY_WITH_TIMEOUT(house.radioState()->split(), kWaitMs);

    // The house's bookmark scan recalls both marked memories on the shack's radio.
    m_bench->clearFrames();
    click("OptSpeed_0");
    const auto recalled = [this](const char* body) {
        return m_bench->frames().contains(frameTo48(body));
    };
    QTimer stopper;
    connect(&stopper, &QTimer::timeout, this, [&] {
        if (recalled("050000504501") && recalled("050000251400")) {
            stopper.stop();
            click("CstopScan");
        }
    });
    stopper.start(20);
    click("CscanDB");  // runs until STOP, events running
    QTRY_VERIFY_WITH_TIMEOUT(!stopper.isActive(), 2 * kWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(!house.findChild<MemoryController*>()->scan()->scanAttivo(), kWaitMs);
    QVERIFY(houseIdle());
    QVERIFY(!radio.split());
    QVERIFY2(recalled("0601"), qPrintable(m_bench->frames().join(' ')));
}

void TestRigctlSharing::idleConnectionsGiveWay()
{
    // Sixteen connections hold every place: silent ones and ones dripping a line.
    std::vector<std::unique_ptr<QTcpSocket>> idle;
    for (int i = 0; i < RigctlServer::kMaxClients; ++i) {
        idle.push_back(std::make_unique<QTcpSocket>());
        idle.back()->connectToHost(QHostAddress::LocalHost, m_sharing->server()->port());
        QVERIFY(idle.back()->waitForConnected(kWaitMs));
        if (i % 2 == 1)
            idle.back()->write("\\dump");
    }
    QTRY_COMPARE(m_sharing->server()->clientCount(), RigctlServer::kMaxClients);
    int exitCode = -1;
    QCOMPARE(runRigctl({"f"}, &exitCode), QStringList{"145400000"});
    QCOMPARE(exitCode, 0);
}

void TestRigctlSharing::portInUseIsToldAndStartupGoesOn()
{
    m_sharing.reset();
    QTcpServer occupant;
    QVERIFY(occupant.listen(QHostAddress::LocalHost, 0));
    const QString port = QString::number(occupant.serverPort());
    m_sharing = std::make_unique<SharingController>(m_bench->window());
    SharingArguments arguments;
    arguments.port = port;
    const QString error = m_sharing->start(arguments);
    QVERIFY2(error.contains(QStringLiteral("TCP port ") + port) &&
                 error.contains(QStringLiteral("in use")),
             qPrintable(error));
    QCOMPARE(m_sharing->indicator()->text(), QStringLiteral("Not sharing: ") + error);
    QVERIFY(!m_sharing->shareAction()->isChecked());
    QVERIFY(m_bench->messages().isEmpty());
    // So long a reason leaves the menus where they are: the indicator is elided to the room
    // they leave, whole in its tooltip.
    QMenuBar* bar = m_bench->window()->menuBar();
    m_bench->window()->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_bench->window()));
    QTRY_VERIFY(
        m_sharing->indicator()->width() <
        m_sharing->indicator()->fontMetrics().horizontalAdvance(m_sharing->indicator()->text()));
    for (QAction* menu : bar->actions())
        QVERIFY2(bar->rect().contains(bar->actionGeometry(menu)) &&
                     !bar->actionGeometry(menu).isEmpty() &&
                     bar->actionGeometry(menu).right() < m_sharing->indicator()->x(),
                 qPrintable(menu->text()));
    QVERIFY(m_sharing->indicator()->toolTip().contains(error));
    // The window goes on: a button still sends its frame.
    m_bench->click("Cusb");
    QVERIFY(m_bench->waitForFrames(1));
    QCOMPARE(m_bench->frames(), QStringList{frameTo48("0601")});
}

void TestRigctlSharing::networkNeedsAnAllowList()
{
    m_sharing = std::make_unique<SharingController>(m_bench->window());
    // Nothing is bound: each is refused before listening, with what to add or mend.
    const struct {
        const char* address;
        const char* allow;
        QStringList told;
    } cases[] = {
        {"0.0.0.0", nullptr, {"0.0.0.0", "RIGCTLALLOW", "--rigctl-allow 192.168.1.0/24"}},
        {"::", "", {"RIGCTLALLOW", "--rigctl-allow"}},
        {"127.0.0.1", "192.168.1.0/24, 10", {"--rigctl-allow", "\"10\""}},
    };
    for (const auto& row : cases) {
        SharingArguments arguments;
        arguments.port = QStringLiteral("4599");
        arguments.address = QString::fromLatin1(row.address);
        if (row.allow != nullptr)
            arguments.allow = QString::fromLatin1(row.allow);
        const QString error = m_sharing->start(arguments);
        for (const QString& part : row.told)
            QVERIFY2(error.contains(part), qPrintable(error));
        QVERIFY(!m_sharing->server()->isListening());
        QCOMPARE(m_sharing->indicator()->text(), QStringLiteral("Not sharing: ") + error);
    }
    QVERIFY(m_bench->messages().isEmpty());
}

void TestRigctlSharing::menuItemTurnsSharingOffAndStoresIt()
{
    // The item names the port shared on, not the default one, and keeps it.
    QAction* item = m_sharing->shareAction();
    const QString port = QString::number(m_sharing->server()->port());
    QCOMPARE(item->text(), "Share on TCP port " + port);
    QVERIFY(item->isChecked());
    QVERIFY(m_bench->window()->menus()->comPortMenu()->actions().contains(item));
    item->trigger();
    QVERIFY(!item->isChecked());
    QVERIFY(!m_sharing->server()->isListening());
    QCOMPARE(m_sharing->indicator()->text(), QString());
    QCOMPARE(ReadINI(m_bench->settingsFile(), "NETWORK", "RIGCTLPORT", "absent"), "0");
    QCOMPARE(item->text(), "Share on TCP port " + port);
    item->trigger();
    QVERIFY(m_sharing->server()->isListening());
    QCOMPARE(QString::number(m_sharing->server()->port()), port);
    QCOMPARE(ReadINI(m_bench->settingsFile(), "NETWORK", "RIGCTLPORT", "absent"), port);
    QVERIFY(m_bench->messages().isEmpty());
}

QTEST_MAIN(TestRigctlSharing)
#include "tst_rigctlsharing.moc"
