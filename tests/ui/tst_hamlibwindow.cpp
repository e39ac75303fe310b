// The whole window on a radio reached through Hamlib: section RADIO names Hamlib's own
// IC-706MKIIG backend (model 3011) on corvane-sim's pseudo-terminal, the sim answering at
// address 88 (0x58). The pad's SEND, a mode button, a recall with split and the bookmark scan
// go through the radio model, Hamlib's worker thread and the serial line, and are checked as
// the frames the sim received; a radio that falls silent leaves the window responsive.
#include "hamlib/hamlibbackend.h"
#include "hamlib/hamlibradio.h"
#include "hamlib/hamlibworker.h"
#include "memory/datafreq.h"
#include "radio/framelog.h"
#include "radio/radiocommands.h"
#include "radio/radiostate.h"
#include "settings/apppath.h"
#include "settings/inifile.h"
#include "settings/radiochoice.h"
#include "support/latencyprobe.h"
#include "support/memoryfixture.h"
#include "support/simprocess.h"
#include "ui/displayframe.h"
#include "ui/entrypad.h"
#include "ui/f706.h"
#include "ui/memorycontroller.h"
#include "ui/messagebox.h"
#include "ui/radiosettingscontroller.h"
#include "ui/scancontroller.h"

#include <QAbstractButton>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

constexpr int kWaitMs = 15'000;
const QString kHome = QStringLiteral("HOME.MDB");

/** A frame to the sim's address from the controller: FE FE 58 E0 body FD. */
QString to58(const char* body)
{
    return QStringLiteral("FEFE58E0") + QLatin1String(body) + QStringLiteral("FD");
}

/** The frames the sim received contain these in this order (others may come between, as
 *  Hamlib reads or selects a VFO on its own); a pattern with '*' matches what begins with
 *  its part before the '*' (a mode frame with whatever filter byte Hamlib adds). */
bool inOrder(const QStringList& frames, const QStringList& wanted)
{
    qsizetype next = 0;
    for (const QString& frame : frames) {
        if (next == wanted.size())
            break;
        const QString& want = wanted[next];
        const qsizetype star = want.indexOf(u'*');
        const bool match = star >= 0 ? frame.startsWith(want.left(star)) : frame == want;
        if (match)
            ++next;
    }
    return next == wanted.size();
}


}  // namespace

class TestHamlibWindow : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void commandsRecallAndScan();
    void silentRadio();
    void useRadioSwitchesTheRunningWindow();

private:
    /** corvane-sim at 88, a settings file choosing it through Hamlib 3011, a window loaded
     *  on it with the memories of kHome; false when any of it failed. */
    bool startWindow(const QString& poll);
    void click(const char* name);
    void selectMemory(const QString& name);
    HamlibRadio* hamlib() const;
    /** Waits until Hamlib has carried out everything asked of it. */
    bool hamlibIdle() const;

    QTemporaryDir m_dir;
    /** The radio of one test: a fresh SimProcess each time (it keeps the device path it
     *  printed first, which another test's pseudo-terminal may have taken since). */
    std::unique_ptr<SimProcess> m_simProcess;
    SimProcess& sim() { return *m_simProcess; }
    std::unique_ptr<F706> m_window;
    QList<MessageRequest> m_messages;
};

void TestHamlibWindow::init()
{
    m_simProcess = std::make_unique<SimProcess>();
    setMessageHandler([this](const MessageRequest& request) {
        m_messages.append(request);
        return QMessageBox::Ok;
    });
}

void TestHamlibWindow::cleanup()
{
    m_window.reset();
    m_simProcess.reset();
    setMessageHandler({});
}

bool TestHamlibWindow::startWindow(const QString& poll)
{
    if (!sim().start({QStringLiteral("--address"), QStringLiteral("88")})) {
        qWarning("sim: %s", qPrintable(sim().errorString()));
        return false;
    }
    const QString appPath = withTrailingSeparator(m_dir.path());
    const QString settings = settingsFilePath(appPath);
    const auto row = [](const QStringList& texts, int split) {
        fixture::Row values;
        for (const QString& text : texts.mid(0, 8))
            values.append(text);
        values << split << texts[8];
        return values;
    };
    const QList<fixture::Row> rows = {
        row({"Alpha", "145", "500", "000", "FM", "", "", "", "Y"}, 0),
        row({"Bravo", "014", "250", "000", "USB", "", "", "", "Y"}, 0),
        row({"Repeater", "145", "600", "000", "FM", "145", "000", "000", ""}, 1),
    };
    RadioChoice choice;
    choice.backend = RadioBackendKind::Hamlib;
    choice.hamlibModel = 3011;
    choice.device = sim().devicePath();
    choice.baud = 9600;
    AppError error;
    if (fixture::makeDatabase(m_dir.path(), kHome, rows).isEmpty() ||
        !WriteINI(settings, QStringLiteral("SETTINGS"), QStringLiteral("ADDR706"), "88") ||
        !WriteINI(settings, QStringLiteral("SETTINGS"), QStringLiteral("POLL"), poll) ||
        !WriteINI(settings, QStringLiteral("BOOKMARKS"), QStringLiteral("BOOK0CAPTION"), "Home") ||
        !WriteINI(settings, QStringLiteral("BOOKMARKS"), QStringLiteral("BOOK0"), kHome) ||
        !writeRadioChoice(settings, choice, &error)) {
        qWarning("settings: %s", qPrintable(error.text));
        return false;
    }
    m_window = std::make_unique<F706>(appPath);
    QString logError;
    if (!m_window->frameLog()->start(m_dir.filePath(QStringLiteral("frames.log")), &logError)) {
        qWarning("frame log: %s", qPrintable(logError));
        return false;
    }
    if (!m_window->Form_Load(&error)) {
        qWarning("start-up: %d %s", error.number, qPrintable(error.text));
        return false;
    }
    // Start-up's VFO A, FM, split off and the pad's frequency went through Hamlib (which
    // sends no mode frame for the mode the radio is in already).
    if (!hamlibIdle())
        return false;
    if (!inOrder(sim().frameTexts(), {to58("0700"), to58("0F00"), to58("050000404501")})) {
        qWarning("start-up frames: %s", qPrintable(sim().frameTexts().join(' ')));
        return false;
    }
    return true;
}

HamlibRadio* TestHamlibWindow::hamlib() const
{
    const auto* backend = qobject_cast<HamlibBackend*>(m_window->radioBackend());
    return backend ? backend->radio() : nullptr;
}

bool TestHamlibWindow::hamlibIdle() const
{
    return QTest::qWaitFor(
        [this] {
            return hamlib() && hamlib()->pendingCount() == 0 && m_window->radioCommands()->idle();
        },
        kWaitMs);
}

void TestHamlibWindow::click(const char* name)
{
    auto* button = m_window->findChild<QAbstractButton*>(QString::fromLatin1(name));
    QVERIFY2(button, name);
    QVERIFY2(button->isEnabled(), name);
    QTest::mouseClick(button, Qt::LeftButton);
}

void TestHamlibWindow::selectMemory(const QString& name)
{
    auto* grid = m_window->findChild<QTableView*>(QStringLiteral("DBGrid1"));
    for (int row = 0; row < grid->model()->rowCount(); ++row) {
        if (grid->model()->index(row, memcol::kName).data().toString() == name) {
            grid->setCurrentIndex(grid->model()->index(row, memcol::kMHz));
            return;
        }
    }
    QFAIL(qPrintable(name));
}

void TestHamlibWindow::commandsRecallAndScan()
{
    QVERIFY(startWindow(QStringLiteral("off")));
    RadioState* radio = m_window->radioState();
    QVERIFY(radio->isOpen());
    QCOMPARE(radio->device(), sim().devicePath());
    // The profile is the MKIIG's as Hamlib tells it: 70 cm too, and the one limit said once.
    QVERIFY(m_window->displayFrame()->inStringa()->text().contains(u"999.999999 MHz"));
    // The controls follow what Hamlib says the radio can do: on, or off saying why.
    const HamlibCapabilities caps = *hamlib()->capabilities();
    const auto offered = [this](const char* name, bool can, const char* why) {
        const auto* button = m_window->findChild<QPushButton*>(QString::fromLatin1(name));
        QVERIFY2(button && button->isEnabled() == can, name);
        if (!can)
            QCOMPARE(
                button->toolTip(),
                QStringLiteral("The IC-706MkIIG cannot %1 through Hamlib").arg(QLatin1String(why)));
    };
    offered("Csplit", caps.split, "switch split");
    offered("Cscan", caps.radioScan, "start its own scan");
    offered("Cstep_2", caps.tuningStep, "set its tuning step");
    if (caps.tuningStep) {
        sim().clearFrames();
        click("Cstep_2");  // 1 kHz
        QVERIFY(hamlibIdle());
        QVERIFY2(sim().frameTexts().contains(to58("1002")),
                 qPrintable(sim().frameTexts().join(' ')));
    }

    // SEND: the pad's nine digits.
    sim().clearFrames();
    EntryPad* pad = m_window->entryPad();
    for (const QChar digit : QStringLiteral("432100000"))
        pad->typeDigit(digit.digitValue());
    pad->pressSend();
    QVERIFY(hamlibIdle());
    QVERIFY2(sim().frameTexts().contains(to58("050000103204")),
             qPrintable(sim().frameTexts().join(' ')));
    // Hamlib's own trace of that frame is in the frame log.
    QFile log(m_dir.filePath(QStringLiteral("frames.log")));
    QVERIFY(log.open(QIODevice::ReadOnly));
    QVERIFY2(log.readAll().contains("fe fe 58 e0 05 00 00 10 32 04 fd"), "no trace of SEND");
    QTRY_COMPARE(radio->frequencyText(), QStringLiteral("432.100.000"));

    // A mode button.
    sim().clearFrames();
    click("Cusb");
    QVERIFY(hamlibIdle());
    QVERIFY2(inOrder(sim().frameTexts(), {to58("0601*")}),
             qPrintable(sim().frameTexts().join(' ')));
    QTRY_COMPARE(radio->modeName(), QStringLiteral("USB"));

    // A recall with split: VFO B gets the split frequency, split on (Hamlib selects VFO A to
    // switch it; VFO B is selected again), the mode (none sent: VFO B is in FM already), then
    // VFO A the main frequency and the mode.
    sim().clearFrames();
    selectMemory(QStringLiteral("Repeater"));
    click("Crecall");
    QVERIFY(hamlibIdle());
    QVERIFY2(
        inOrder(sim().frameTexts(), {to58("0701"), to58("050000004501"), to58("0F01"), to58("0701"),
                                     to58("0700"), to58("050000604501"), to58("0605*")}),
        qPrintable(sim().frameTexts().join(' ')));
    const QString state = sim().state();
    QVERIFY2(state.contains(u"split=1") && state.contains(u"a=145600000/5/") &&
                 state.contains(u"b=145000000/5/"),
             qPrintable(state));
    QTRY_VERIFY(radio->split());
    QVERIFY(m_window->displayFrame()->splitShown());
    QCOMPARE(radio->frequencyText(), QStringLiteral("145.600.000"));

    // The bookmark scan steps through two memories, each recalled through Hamlib.
    sim().clearFrames();
    click("OptSpeed_0");
    const auto recalled = [this](const char* frequency) {
        return sim().frameTexts().contains(to58(frequency));
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
    QTRY_VERIFY_WITH_TIMEOUT(!stopper.isActive(), kWaitMs);
    auto* controller = m_window->findChild<MemoryController*>();
    QTRY_VERIFY_WITH_TIMEOUT(!controller->scan()->scanAttivo(), kWaitMs);
    QVERIFY(hamlibIdle());
    // Split goes off first (once: Hamlib sends nothing for what the radio is already).
    QVERIFY2(inOrder(sim().frameTexts(),
                     {to58("0F00"), to58("050000504501"), to58("050000251400"), to58("0601*")}) ||
                 inOrder(sim().frameTexts(),
                         {to58("0F00"), to58("050000251400"), to58("0601*"), to58("050000504501")}),
             qPrintable(sim().frameTexts().join(' ')));
    QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.value(0).text));
}

void TestHamlibWindow::silentRadio()
{
    QVERIFY(startWindow(QStringLiteral("1")));
    RadioState* radio = m_window->radioState();
    QVERIFY(radio->answering());

    support::LatencyProbe probe;
    QVERIFY(sim().command(QStringLiteral("silent on")));
    click("Clsb");  // asked while the radio is silent: refused by no answer, not waited for
    QTRY_VERIFY_WITH_TIMEOUT(!radio->answering(), kWaitMs);
    QCOMPARE(m_window->displayFrame()->radioWord(), QStringLiteral("NOT ANSWERING"));
    QVERIFY(radio->isOpen());
    // The window's thread never waited on Hamlib: no stall as long as one Hamlib timeout.
    const qint64 timeoutMs = HamlibWorker::serialTimeout(9600).count();
    QVERIFY2(probe.worstMs() < timeoutMs, qPrintable(QString::number(probe.worstMs())));

    // The radio comes back: the next poll hears it.
    QVERIFY(sim().command(QStringLiteral("freq 7050000")));
    QVERIFY(sim().command(QStringLiteral("silent off")));
    QTRY_VERIFY_WITH_TIMEOUT(radio->answering(), kWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(radio->frequencyText(), QStringLiteral("7.050.000"), kWaitMs);
    QCOMPARE(m_window->displayFrame()->radioWord(), QString());
    QVERIFY2(probe.worstMs() < timeoutMs, qPrintable(QString::number(probe.worstMs())));
}

void TestHamlibWindow::useRadioSwitchesTheRunningWindow()
{
    QVERIFY(startWindow(QStringLiteral("off")));
    SimProcess other;
    QVERIFY2(other.start({QStringLiteral("--address"), QStringLiteral("88")}),
             qPrintable(other.errorString()));
    RadioChoice choice;
    choice.backend = RadioBackendKind::Hamlib;
    choice.hamlibModel = 3011;
    choice.device = other.devicePath();
    // Chosen in "Radio settings…": the dialog tells it once it has closed.
    emit m_window->radioSettings()->radioChosen(choice);
    QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.value(0).text));
    QCOMPARE(m_window->radioState()->device(), other.devicePath());
    QVERIFY(m_window->radioState()->isOpen());
    QVERIFY(hamlibIdle());

    // The window's commands reach the radio chosen now, and the one before hears nothing.
    sim().clearFrames();
    other.clearFrames();
    click("Ccw");
    QVERIFY(hamlibIdle());
    QVERIFY2(inOrder(other.frameTexts(), {to58("0603*")}),
             qPrintable(other.frameTexts().join(' ')));
    QVERIFY2(sim().frameTexts().isEmpty(), qPrintable(sim().frameTexts().join(' ')));
    QTRY_COMPARE(m_window->radioState()->modeName(), QStringLiteral("CW"));

    // A radio that cannot be opened: told with the serial line's error, and no radio after.
    choice.device = m_dir.path() + QStringLiteral("/no-such-port");
    AppError error;
    QVERIFY(!m_window->useRadio(choice, &error));
    QCOMPARE(error.number, 8002);
    QVERIFY(!m_window->radioState()->isOpen());
    QVERIFY(m_messages.isEmpty());
    // From the dialog, the same failure is told in a box.
    emit m_window->radioSettings()->radioChosen(choice);
    QCOMPARE(m_messages.size(), 1);
    QVERIFY2(m_messages.first().text.contains(u"8002"), qPrintable(m_messages.first().text));
}

QTEST_MAIN(TestHamlibWindow)
#include "tst_hamlibwindow.moc"
