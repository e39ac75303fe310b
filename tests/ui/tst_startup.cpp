// Start-up, its failures, quitting (also inside a wait), what the line reports while the
// window runs, and how the radio is read (STARTUP, POLL) against corvane-sim's log.
#include "radiobench.h"

#include "common/delay.h"
#include "link/seriallink.h"
#include "memory/bookmarkfiles.h"
#include "memory/datafreq.h"
#include "radio/framelog.h"
#include "radio/radiocommands.h"
#include "radio/radiostate.h"
#include "settings/apppath.h"
#include "settings/inifile.h"
#include "support/dialogwatch.h"
#include "support/memoryfixture.h"
#include "support/ptyclient.h"
#include "support/simprocess.h"
#include "ui/displayframe.h"
#include "ui/firststartdialog.h"
#include "ui/helpmenu.h"
#include "ui/mainmenus.h"
#include "ui/programstart.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableView>
#include <QTest>
#include <QTimer>

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void framesLeaveTwoTenthsApart();
    void failureStopsStartup_data();
    void failureStopsStartup();
    void startWithoutTheRadio_data();
    void startWithoutTheRadio();
    void quitInsideWaitSendsNothingMore_data();
    void quitInsideWaitSendsNothingMore();
    void lineEventsTellTheOperator_data();
    void lineEventsTellTheOperator();
    void lostPortIsToldOnceAndChosenAgain();
    void portLostDuringStartupStopsIt();
    void readsOnlyWhenNeeded_data();
    void readsOnlyWhenNeeded();
    void frameLogHoldsEveryFrame();
};

void TestStartup::framesLeaveTwoTenthsApart()
{
    SimProcess sim;
    QVERIFY2(sim.start(), qPrintable(sim.errorString()));
    RadioBench bench;
    QVERIFY(bench.startRadio());
    QVERIFY(bench.setSetting(QStringLiteral("COM2"), sim.devicePath()));
    F706 window(bench.appPath());
    AppError error;
    QVERIFY(window.Form_Load(&error));
    QVERIFY(sim.waitForFrames(4));

    const QList<SimProcess::Frame> frames = sim.frames();
    QCOMPARE(sim.frameTexts(), (QStringList{frameTo48("0700"), frameTo48("0605"), frameTo48("0F00"),
                                            frameTo48("050000404501")}));
    for (int i = 1; i < frames.size(); ++i) {
        const double gap = frames[i].seconds - frames[i - 1].seconds;
        QVERIFY2(gap > 0.19 && gap < 0.5, qPrintable(QString::number(gap)));
    }
    QVERIFY(window.menus()->comAction(2)->isChecked());
    QCOMPARE(window.tempoScan(), 1.5);
    QTRY_COMPARE(window.findChild<QLabel*>("Lmode")->text(), QStringLiteral("FM"));
}

void TestStartup::failureStopsStartup_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("number");
    QTest::newRow("address not a number") << "ADDR706"
                                          << "4A" << errors::kSettingsNotNumber;
    QTest::newRow("address above a byte") << "ADDR706"
                                          << "256" << errors::kSettingsOutOfRange;
    QTest::newRow("port not a number") << "COMPORT"
                                       << "two" << errors::kSettingsNotNumber;
    QTest::newRow("port 0") << "COMPORT"
                            << "0" << errors::kSettingsOutOfRange;
    QTest::newRow("port 5") << "COMPORT"
                            << "5" << errors::kSettingsOutOfRange;
    QTest::newRow("POLL neither a word nor a number") << "POLL"
                                                      << "aut" << errors::kSettingsNotNumber;
    QTest::newRow("POLL 0 seconds") << "POLL"
                                    << "0" << errors::kSettingsOutOfRange;
    QTest::newRow("STARTUP unknown") << "STARTUP"
                                     << "hold" << errors::kSettingsOutOfRange;
}

void TestStartup::failureStopsStartup()
{
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(int, number);
    RadioBench bench;
    QVERIFY(bench.startRadio());
    QVERIFY(bench.setSetting(key, value));

    int exitCode = 0;
    QVERIFY(!startMainWindow(bench.appPath(), &exitCode));
    QCOMPARE(exitCode, kStartupFailedExitCode);
    QCOMPARE(bench.messages().size(), 1);
    const MessageRequest box = bench.messages().first();
    QCOMPARE(box.icon, QMessageBox::Critical);
    QVERIFY2(box.text.startsWith(
                 QStringLiteral("Error #%1\r\n%2").arg(number).arg(standardErrorText(number))),
             qPrintable(box.text));
    QVERIFY(bench.frames().isEmpty());
}

void TestStartup::startWithoutTheRadio_data()
{
    QTest::addColumn<QString>("port");  // what stands behind COM 2
    QTest::addColumn<int>("number");
    QTest::newRow("missing device") << "missing" << errors::kInvalidPortNumber;
    QTest::newRow("device in use") << "busy" << errors::kPortAlreadyOpen;
    QTest::newRow("not a serial device") << "file" << 0;
}

void TestStartup::startWithoutTheRadio()
{
    QFETCH(QString, port);
    QFETCH(int, number);
    RadioBench bench;
    QVERIFY(bench.startRadio());
    const QString folder = QDir(bench.appPath()).path();
    const QString home = fixture::makeDatabase(
        folder, "HOME.MDB", {fixture::memory("Alpha", "145", "500", "000", "FM", "Y")});
    QVERIFY(!home.isEmpty());
    QVERIFY(WriteINI(bench.settingsFile(), QString::fromLatin1(kBookmarksSection), "BOOK0",
                     "HOME.MDB"));
    SerialLink holder;  // another program holds the radio's line
    if (port == "busy") {
        QVERIFY(holder.open(bench.radio().devicePath(), nullptr));
    } else {
        QString device = "/dev/corvane-no-such-port";
        if (port == "file") {
            device = bench.appPath() + "NOT-A-PORT";
            QFile file(device);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write("x") == 1);
        }
        QVERIFY(bench.setSetting("COM2", device));
    }
    const QByteArray settingsBefore = fixture::bytesOf(bench.settingsFile());
    const QByteArray databaseBefore = fixture::bytesOf(home);

    QString shownError;
    bool demoOffered = true;
    whenDialogShows<FirstStartDialog>(this, [&](FirstStartDialog* dialog) {
        shownError = dialog->findChild<QLabel*>("PortError")->text();
        demoOffered = dialog->findChild<QPushButton*>("RunDemo") != nullptr;
        dialog->findChild<QPushButton*>("WorkWithoutRadio")->click();
    });
    int exitCode = -1;
    std::unique_ptr<F706> window = startMainWindow(bench.appPath(), &exitCode);
    QVERIFY(window);
    QCOMPARE(exitCode, 0);

    // One box, as before, then the dialog holding the same error; nothing written anywhere.
    QCOMPARE(bench.messages().size(), 1);
    const MessageRequest box = bench.messages().first();
    QCOMPARE(box.icon, QMessageBox::Critical);
    const QString expected = number ? QStringLiteral("Error #%1\r\n").arg(number) : "Error #";
    QVERIFY2(box.text.startsWith(expected), qPrintable(box.text));
    QVERIFY2(!shownError.isEmpty() && box.text.endsWith(shownError), qPrintable(shownError));
    QVERIFY(!demoOffered);
    QCOMPARE(fixture::bytesOf(bench.settingsFile()), settingsBefore);
    QCOMPARE(fixture::bytesOf(home), databaseBefore);
    QVERIFY(bench.frames().isEmpty());

    // The window: NO RADIO in the dimmed display, no port ticked, the grid editable.
    QCOMPARE(window->findChild<QLabel*>("Freq")->text(), QStringLiteral("NO RADIO"));
    QVERIFY(window->displayFrame()->dimmed());
    QVERIFY(!window->link()->isOpen());
    for (int n = 1; n <= MainMenus::kComCount; ++n)
        QVERIFY(!window->menus()->comAction(n)->isChecked());
    QAbstractItemModel* grid = window->findChild<QTableView*>("DBGrid1")->model();
    QCOMPARE(grid->rowCount(), 1);
    QVERIFY(grid->setData(grid->index(0, memcol::kName), "Renamed"));
    window->writePendingAtQuit();
    QCOMPARE(fixture::rowsOf(home, "SELECT Name FROM TabFreq"), QStringList{"Renamed"});

    // The "Com Port" menu connects the radio later.
    holder.close();
    QVERIFY(bench.setSetting("COM1", bench.radio().devicePath()));
    window->menus()->comAction(1)->trigger();
    QVERIFY(window->link()->isOpen());
    QVERIFY(!window->displayFrame()->dimmed());
    QVERIFY(window->findChild<QLabel*>("Freq")->text() != QStringLiteral("NO RADIO"));
    window->Cmode_Click(1);
    QTRY_COMPARE(bench.radio().mode(), quint8(1));
    QCOMPARE(bench.messages().size(), 1);
}

void TestStartup::quitInsideWaitSendsNothingMore_data()
{
    QTest::addColumn<int>("framesBeforeQuit");
    QTest::addColumn<bool>("closeBox");
    QTest::newRow("QUIT in the first wait") << 1 << false;
    QTest::newRow("QUIT in the second wait") << 2 << false;
    QTest::newRow("close box in the third wait") << 3 << true;
}

void TestStartup::quitInsideWaitSendsNothingMore()
{
    QFETCH(int, framesBeforeQuit);
    QFETCH(bool, closeBox);
    RadioBench bench;
    QVERIFY(bench.startRadio());
    F706 window(bench.appPath());
    int received = 0;
    connect(&bench.radio(), &VirtualRadio::frameReceived, &window, [&] {
        if (++received != framesBeforeQuit)
            return;
        if (closeBox)
            window.close();
        else
            window.findChild<QPushButton*>("Cquit")->click();
    });
    AppError error;
    QVERIFY(window.Form_Load(&error));
    QVERIFY(window.isUnloaded());
    QVERIFY(!window.link()->isOpen());
    window.Cscan_Click();  // a click that still arrives is not written either

    // A probe written behind everything on the line: all that came before it is in.
    PtyClient probe;
    QVERIFY2(probe.open(bench.radio().devicePath()), qPrintable(probe.errorString()));
    QVERIFY(probe.write(QByteArray::fromHex("FEFE48E003FD")));
    QVERIFY(bench.waitForFrames(framesBeforeQuit + 1));
    const QStringList all = {frameTo48("0700"), frameTo48("0605"), frameTo48("0F00")};
    QCOMPARE(bench.frames(), all.mid(0, framesBeforeQuit) + QStringList{frameTo48("03")});
}

void TestStartup::lineEventsTellTheOperator_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("icon");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    const QString powerOn = QStringLiteral("Rilevata probabile accensione interfaccia");
    QTest::newRow("break") << 1001 << int(QMessageBox::Information) << "CORVANE" << powerOn;
    QTest::newRow("framing") << 1004 << int(QMessageBox::Information) << "CORVANE" << powerOn;
    QTest::newRow("overrun") << 1006 << int(QMessageBox::NoIcon) << "Corvane"
                             << "Evento #1006";
    QTest::newRow("code 3") << 3 << int(QMessageBox::NoIcon) << "Corvane"
                            << "Evento #3";
}

void TestStartup::lineEventsTellTheOperator()
{
    QFETCH(int, code);
    QFETCH(int, icon);
    QFETCH(QString, title);
    QFETCH(QString, text);
    RadioBench bench;
    QVERIFY(bench.startRadio());
    QVERIFY(bench.loadWindow());
    emit bench.window()->link()->lineEvent(code);
    QCOMPARE(bench.messages().size(), 1);
    QCOMPARE(int(bench.messages().first().icon), icon);
    QCOMPARE(bench.messages().first().title, title);
    QCOMPARE(bench.messages().first().text, text);
    QVERIFY(bench.window()->link()->isOpen());
}

void TestStartup::lostPortIsToldOnceAndChosenAgain()
{
    RadioBench bench;
    QVERIFY(bench.startRadio());
    QVERIFY(bench.loadWindow());
    F706* window = bench.window();

    // The radio's line goes away (a USB cable pulled); a new one appears behind COM 2.
    QVERIFY(bench.startRadio());
    QTRY_VERIFY(!window->link()->isOpen());
    QTRY_COMPARE(bench.messages().size(), 1);
    QCOMPARE(bench.messages().first().icon, QMessageBox::Warning);
    QVERIFY(bench.messages().first().text.contains(QStringLiteral("COM 2")));
    // At once, before any command: the status line names the device, the tick is gone,
    // the display is dimmed.
    const QString closed = QStringLiteral("PORT CLOSED: ") + window->radioState()->device();
    QCOMPARE(window->findChild<QLineEdit*>("InStringa")->text(), closed);
    QVERIFY(!window->menus()->comAction(2)->isChecked());
    QVERIFY(window->displayFrame()->dimmed());

    // SPLIT and SCAN write nothing, so their indicators stay as they were.
    QPushButton* scan = window->findChild<QPushButton*>("Cscan");
    const QString scanCaption = scan->text();
    const bool splitShown = window->displayFrame()->splitShown();
    window->Cscan_Click();
    window->Csplit_Click();
    QCOMPARE(scan->text(), scanCaption);
    QCOMPARE(window->displayFrame()->splitShown(), splitShown);
    QCOMPARE(window->findChild<QLineEdit*>("InStringa")->text(), closed);

    // The radio behind the new line was tuned meanwhile: the reopened port reads it.
    bench.radio().setFrequency(21'074'000);
    window->menus()->comAction(2)->trigger();
    QVERIFY(window->link()->isOpen());
    QVERIFY(window->menus()->comAction(2)->isChecked());
    QVERIFY(!window->displayFrame()->dimmed());
    QCOMPARE(bench.messages().size(), 1);
    QVERIFY(bench.waitForFrames(2));
    QCOMPARE(bench.frames(), (QStringList{frameTo48("03"), frameTo48("04")}));
    QTRY_COMPARE(window->findChild<QLabel*>("Freq")->text(), QStringLiteral("21.074.000"));
    QTRY_VERIFY(window->radioCommands()->idle());
    bench.clearFrames();
    window->Cfm_Click();
    QVERIFY(bench.waitForFrames(1));
    QCOMPARE(bench.frames(), QStringList{frameTo48("0605")});
}

void TestStartup::portLostDuringStartupStopsIt()
{
    // The radio's line goes away right after the first start-up frame: start-up ends with
    // one box that says what happened at this moment, and no window.
    RadioBench bench;
    QVERIFY(bench.startRadio());
    connect(
        &bench.radio(), &VirtualRadio::frameReceived, this,
        [&bench, this] { QTimer::singleShot(0, this, [&bench] { bench.startRadio(); }); },
        Qt::SingleShotConnection);
    int exitCode = 0;
    QVERIFY(!startMainWindow(bench.appPath(), &exitCode));
    QCOMPARE(exitCode, kStartupFailedExitCode);
    QCOMPARE(bench.messages().size(), 1);
    QCOMPARE(bench.messages().first().icon, QMessageBox::Critical);
    const QString text = bench.messages().first().text;
    QVERIFY2(text.contains(QStringLiteral("went away while Corvane was starting")),
             qPrintable(text));
    QVERIFY2(!text.contains(QStringLiteral("\"Com Port\" menu")), qPrintable(text));
}

void TestStartup::readsOnlyWhenNeeded_data()
{
    // corvane-sim starts on 21.074.000 USB. After start-up the radio's knob is turned to
    // 7.074.000: what the display shows then, and whether frames go on at rest.
    QTest::addColumn<QString>("startup");
    QTest::addColumn<QString>("poll");
    QTest::addColumn<QString>("transceive");
    QTest::addColumn<QStringList>("firstFrames");
    QTest::addColumn<QString>("freqAtStart");
    QTest::addColumn<QString>("freqAfterKnob");
    QTest::addColumn<bool>("framesAtRest");
    const QStringList reads{frameTo48("03"), frameTo48("04")};
    const QStringList reset{frameTo48("0700"), frameTo48("0605"), frameTo48("0F00"),
                            frameTo48("050000404501")};
    // Polling until the first announcement, then silence on the line.
    QTest::newRow("reset, auto, transceive on") << "reset"
                                                << "auto"
                                                << "on" << reset + reads << "145.400.000"
                                                << "7.074.000" << false;
    // Nothing is set; the radio is read once a second, as it never announces.
    QTest::newRow("keep, auto, transceive off") << "keep"
                                                << "auto"
                                                << "off" << reads << "21.074.000"
                                                << "7.074.000" << true;
    QTest::newRow("reset, off, transceive off") << "reset"
                                                << "off"
                                                << "off" << reset + reads << "145.400.000"
                                                << "145.400.000" << false;
}

void TestStartup::readsOnlyWhenNeeded()
{
    QFETCH(QString, startup);
    QFETCH(QString, poll);
    QFETCH(QString, transceive);
    QFETCH(QStringList, firstFrames);
    QFETCH(QString, freqAtStart);
    QFETCH(QString, freqAfterKnob);
    QFETCH(bool, framesAtRest);
    const QStringList reads{frameTo48("03"), frameTo48("04")};
    SimProcess sim;
    QVERIFY2(sim.start({QStringLiteral("--transceive"), transceive}),
             qPrintable(sim.errorString()));
    QVERIFY(sim.command(QStringLiteral("freq 21074000")) &&
            sim.command(QStringLiteral("mode USB")));
    RadioBench bench;
    QVERIFY(bench.startRadio());
    QVERIFY(bench.setSetting(QStringLiteral("COM2"), sim.devicePath()));
    QVERIFY(bench.setSetting(QStringLiteral("STARTUP"), startup));
    QVERIFY(bench.setSetting(QStringLiteral("POLL"), poll));
    F706 window(bench.appPath());
    AppError error;
    QVERIFY(window.Form_Load(&error));
    auto* freq = window.findChild<QLabel*>("Freq");
    QVERIFY(sim.waitForFrames(int(firstFrames.size())));
    QCOMPARE(sim.frameTexts().mid(0, firstFrames.size()), firstFrames);
    QTRY_COMPARE(freq->text(), freqAtStart);
    QCOMPARE(window.findChild<QLabel*>("Lmode")->text(),
             startup == u"keep" ? QStringLiteral("USB") : QStringLiteral("FM"));

    QVERIFY(sim.command(QStringLiteral("freq 7074000")));
    QTRY_COMPARE(freq->text(), freqAfterKnob);
    QTRY_VERIFY(window.radioCommands()->idle());
    const qsizetype atRest = sim.frames().size();
    if (framesAtRest) {
        QVERIFY(sim.waitForFrames(int(atRest) + 2));
        QCOMPARE(sim.frameTexts().mid(atRest, 2), reads);
    } else {
        // Absence takes time to see: two poll periods of nothing.
        QTest::qWait(2500);
        QCOMPARE(sim.frames().size(), atRest);
        QCOMPARE(freq->text(), freqAfterKnob);
    }
}

// --log-frames: the start-up's frames and everything the radio wrote back (echoes, answers)
// are in the file, in order, each with its time; unticking the menu item ends the log.
void TestStartup::frameLogHoldsEveryFrame()
{
    SimProcess sim;
    QVERIFY2(sim.start(), qPrintable(sim.errorString()));
    RadioBench bench;
    QVERIFY(bench.startRadio());
    QVERIFY(bench.setSetting(QStringLiteral("COM2"), sim.devicePath()));
    const QString logPath = bench.appPath() + QStringLiteral("frames.log");
    int exitCode = -1;
    std::unique_ptr<F706> window =
        startMainWindow(bench.appPath(), &exitCode, QLatin1String(kSerialByIdFolder), logPath);
    QVERIFY(window);
    QAction* toggle = window->helpMenu()->logFramesAction();
    QVERIFY(toggle->isChecked());
    QVERIFY(sim.waitForFrames(6));  // the four start-up frames, then frequency and mode read
    QTRY_VERIFY(window->radioCommands()->idle());
    QTRY_COMPARE(window->findChild<QLabel*>("Lmode")->text(), QStringLiteral("FM"));

    // The log's lines after its header: the frames each way and the times.
    static const QRegularExpression kLine(
        QStringLiteral("^\\[ *(\\d+\\.\\d{3}) s\\] (to radio    |from radio  )"
                       "((?:[0-9A-F]{2} )+FD)$"));
    QStringList header, sent, received, malformed;
    QList<double> sentAt;
    const auto readLog = [&] {
        for (QStringList* list : {&header, &sent, &received, &malformed})
            list->clear();
        sentAt.clear();
        QStringList lines = QString::fromUtf8(fixture::bytesOf(logPath)).split('\n');
        header << lines.takeFirst();
        double previous = 0;
        for (const QString& line : lines) {
            const QRegularExpressionMatch match = kLine.match(line);
            const double seconds = match.captured(1).toDouble();
            if (!match.hasMatch() || seconds < previous) {
                malformed << line;
                continue;
            }
            previous = seconds;
            const QString frame = match.captured(3).remove(' ');
            if (match.captured(2).startsWith(QStringLiteral("to"))) {
                sent << frame;
                sentAt << seconds;
            } else {
                received << frame;
            }
        }
        return received.join(QString());
    };
    // Everything the radio wrote to the line (echoes and answers), from its own log.
    const auto writtenByRadio = [&] {
        QString written;
        for (const QString& line : sim.logLines()) {
            if (line.section(' ', 1, 1) == QLatin1String("TX"))
                written += line.section(' ', 2, 2);
        }
        return written;
    };
    QTRY_COMPARE(readLog(), writtenByRadio());
    QVERIFY2(header.first().startsWith(QStringLiteral("Corvane ")) &&
                 header.first().contains(QStringLiteral(" frame log, started ")),
             qPrintable(header.first()));
    QCOMPARE(malformed, QStringList{QString()});  // only the end of the last line
    QCOMPARE(sent, sim.frameTexts());
    QVERIFY(received.contains(QStringLiteral("FEFEE048FBFD")));  // the radio's OK
    for (int i = 1; i < 4; ++i)  // the start-up's frames, two tenths apart
        QVERIFY2(sentAt[i] - sentAt[i - 1] > 0.19, qPrintable(QString::number(sentAt[i])));

    // Unticked: the log ends; a frame sent later is not in it.
    toggle->trigger();
    QVERIFY(!toggle->isChecked());
    QVERIFY(!window->frameLog()->isRunning());
    const QByteArray before = fixture::bytesOf(logPath);
    sim.clearFrames();
    window->Cfm_Click();
    QVERIFY(sim.waitForFrames(1));
    QTRY_VERIFY(window->radioCommands()->idle());
    QCOMPARE(fixture::bytesOf(logPath), before);
    QVERIFY(bench.messages().isEmpty());
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
