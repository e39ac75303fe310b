// The "Com Port" menu: switching ports, the recovery when a port cannot be opened, the
// stored choice, the ticks, and "Radio settings…" with its check, for the IC-706 family and
// for a radio on another computer (Hamlib's rigctld on 127.0.0.1).
#include "radiobench.h"

#include "link/seriallink.h"
#include "radio/radiocommands.h"
#include "settings/inifile.h"
#include "support/dialogwatch.h"
#include "support/memoryfixture.h"
#include "support/rigctld.h"
#include "ui/hamliblinefields.h"
#include "ui/mainmenus.h"
#include "ui/radiosettingscontroller.h"
#include "ui/radiosettingsdialog.h"

#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTest>
#include <QTreeView>

#include <sys/resource.h>

#include <csignal>
#include <optional>

class TestPortSelection : public QObject {
    Q_OBJECT
private slots:
    void startupTicksStoredPort();
    void choosePort_data();
    void choosePort();
    void radioSettingsFindTheRadio_data();
    void radioSettingsFindTheRadio();
    void radioSettingsRemoteRadio();
};

namespace {

/** While it lives, no file of this process can grow beyond a size (root included): a
 *  longer write fails with EFBIG instead of raising SIGXFSZ. */
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &m_limit);
        rlimit limit = m_limit;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_limit);
        std::signal(SIGXFSZ, m_handler);
    }

private:
    rlimit m_limit{};
    void (*m_handler)(int) = nullptr;
};

QList<int> ticked(const MainMenus* menus)
{
    QList<int> result;
    for (int n = 1; n <= MainMenus::kComCount; ++n) {
        if (menus->comAction(n)->isChecked())
            result.append(n);
    }
    return result;
}

}  // namespace

void TestPortSelection::startupTicksStoredPort()
{
    RadioBench bench;
    QVERIFY(bench.startRadio());
    QVERIFY(bench.setSetting(QStringLiteral("COMPORT"), QStringLiteral("3")));
    QVERIFY(bench.setSetting(QStringLiteral("COM3"), bench.radio().devicePath()));
    QVERIFY(bench.loadWindow());
    QCOMPARE(ticked(bench.window()->menus()), QList<int>{3});
    QCOMPARE(bench.window()->menus()->comAction(3)->toolTip(), bench.radio().devicePath());
    QCOMPARE(bench.window()->menus()->comAction(3)->statusTip(), bench.radio().devicePath());
}

void TestPortSelection::choosePort_data()
{
    QTest::addColumn<int>("choice");
    QTest::addColumn<bool>("settingsWritable");
    QTest::addColumn<int>("portInUse");         // 1: the second radio, 2: the first
    QTest::addColumn<QString>("storedPort");    // COMPORT afterwards
    QTest::addColumn<QString>("messageTitle");  // empty: no message

    QTest::newRow("same port again") << 2 << true << 2 << "2"
                                     << "";
    QTest::newRow("COM 1") << 1 << true << 1 << "1"
                           << "";
    QTest::newRow("COM 3 missing") << 3 << true << 2 << ""
                                   << "Impossibile impostare parametro";
    QTest::newRow("COM 4 in use") << 4 << true << 2 << ""
                                  << "Impossibile impostare parametro";
    QTest::newRow("settings not writable") << 1 << false << 1 << ""
                                           << "Corvane";
}

void TestPortSelection::choosePort()
{
    QFETCH(int, choice);
    QFETCH(bool, settingsWritable);
    QFETCH(int, portInUse);
    QFETCH(QString, storedPort);
    QFETCH(QString, messageTitle);

    RadioBench bench;
    QVERIFY(bench.startRadio());
    VirtualRadio second;
    QString error;
    QVERIFY2(second.start(&error), qPrintable(error));
    QStringList secondFrames;
    connect(&second, &VirtualRadio::frameReceived, &second, [&](const QByteArray& frame) {
        secondFrames.append(QString::fromLatin1(frame.toHex().toUpper()));
    });
    QVERIFY(bench.setSetting(QStringLiteral("COM1"), second.devicePath()));
    QVERIFY(bench.setSetting(QStringLiteral("COM3"), QStringLiteral("/dev/corvane-no-port")));
    QVERIFY(bench.setSetting(QStringLiteral("COM4"), second.devicePath()));
    QVERIFY(bench.loadWindow());
    SerialLink holder;  // another program holds the second radio's line as COM 4
    if (choice == 4)
        QVERIFY(holder.open(second.devicePath(), nullptr));
    // A settings file longer than files may grow: its new text cannot be written, while the
    // port's small lock file still can.
    std::optional<FileSizeLimit> frozen;
    if (!settingsWritable) {
        QVERIFY(bench.setSetting(QStringLiteral("NOTE"), QString(4096, u'x')));
        frozen.emplace(1024);
    }

    bench.window()->menus()->comAction(choice)->trigger();
    frozen.reset();

    QCOMPARE(bench.messages().size(), messageTitle.isEmpty() ? 0 : 1);
    if (!messageTitle.isEmpty()) {
        QCOMPARE(bench.messages().first().title, messageTitle);
        QCOMPARE(bench.messages().first().icon, QMessageBox::Warning);
        const QString text = bench.messages().first().text;
        if (!settingsWritable)
            QVERIFY(text.contains(QStringLiteral("could not be stored")));
        else  // one box: the failure, what to do, and that the previous port is in use again
            QVERIFY2(text.contains(QStringLiteral("Then choose \"COM %1\" again").arg(choice)) &&
                         text.endsWith(QStringLiteral("Corvane goes on with COM 2.")),
                     qPrintable(text));
    }
    QCOMPARE(bench.setting(QStringLiteral("COMPORT")), storedPort);
    QCOMPARE(ticked(bench.window()->menus()), QList<int>{portInUse});
    QCOMPARE(bench.window()->portNumber(), portInUse);

    // The port in use is read as soon as it is open again.
    const auto inUse = [&] { return portInUse == 1 ? secondFrames : bench.frames(); };
    QTRY_COMPARE(inUse(), (QStringList{frameTo48("03"), frameTo48("04")}));
    QTRY_VERIFY(bench.window()->radioCommands()->idle());
    bench.clearFrames();
    secondFrames.clear();

    bench.window()->Cstep_Click(3);
    const QString frame = frameTo48("1003");
    if (portInUse == 1)
        QTRY_COMPARE(secondFrames, QStringList{frame});
    else
        QTRY_COMPARE(bench.frames(), QStringList{frame});
}

void TestPortSelection::radioSettingsFindTheRadio_data()
{
    QTest::addColumn<bool>("settingsWritable");
    QTest::newRow("stored") << true;
    QTest::newRow("settings not writable") << false;
}

void TestPortSelection::radioSettingsFindTheRadio()
{
    QFETCH(bool, settingsWritable);
    // The radio is at 72 and 19 200 baud; the settings say 88 and 9600.
    RadioBench bench;
    QVERIFY(bench.startRadio(0x48));
    bench.radio().setLineRate(19200);
    QVERIFY(bench.setSetting(QStringLiteral("ADDR706"), QStringLiteral("88")));
    QVERIFY(bench.loadWindow());
    F706* window = bench.window();
    QCOMPARE(bench.radio().clientBaudRate(), 9600);
    std::optional<FileSizeLimit> frozen;
    if (!settingsWritable)
        QVERIFY(bench.setSetting(QStringLiteral("NOTE"), QString(4096, u'x')));
    const QByteArray before = fixture::bytesOf(bench.settingsFile());

    QString shownDevice;
    QStringList results;
    bool releasedWhileChecking = false;
    bool backAfterCheck = false;
    int filledIn = 0;
    whenDialogShows<RadioSettingsDialog>(this, [&](RadioSettingsDialog* dialog) {
        shownDevice = dialog->findChild<QLineEdit*>("PortPath")->text();
        auto* check = dialog->findChild<QPushButton*>("CheckRadio");
        auto* result = dialog->findChild<QLabel*>("CheckResult");
        const auto runCheck = [&] {
            check->click();
            releasedWhileChecking = !window->link()->isOpen();
            QVERIFY(QTest::qWaitFor([check] { return check->isEnabled(); }, 10'000));
            results.append(result->text());
        };
        runCheck();  // at 9600 baud no address answers
        backAfterCheck = window->link()->isOpen() && window->link()->baudRate() == 9600;
        auto* baud = dialog->findChild<QComboBox*>("BaudRate");
        baud->setCurrentIndex(baud->findData(19200));
        runCheck();  // at 19 200 baud the radio answers at 72
        filledIn = dialog->findChild<QSpinBox*>("RadioAddress")->value();
        auto* poll = dialog->findChild<QComboBox*>("Poll");
        poll->setCurrentIndex(poll->findData("off"));
        auto* startup = dialog->findChild<QComboBox*>("Startup");
        startup->setCurrentIndex(startup->findData("keep"));
        auto* buttons = dialog->findChild<QDialogButtonBox*>();
        if (!settingsWritable)
            frozen.emplace(1024);
        buttons->button(QDialogButtonBox::Ok)->click();
        frozen.reset();
        if (dialog->isVisible()) {  // the store failed: said in the dialog, then Cancel
            results.append(result->text());
            buttons->button(QDialogButtonBox::Cancel)->click();
        }
    });
    window->menus()->radioSettingsAction()->trigger();

    const QString device = bench.radio().devicePath();
    QCOMPARE(shownDevice, device);
    QVERIFY(releasedWhileChecking);
    QVERIFY(backAfterCheck);
    QCOMPARE(results.value(0), "No radio answered on " + device +
                                   " at 9600 baud, at address 88 (0x58) nor at 72 (0x48) or "
                                   "78 (0x4E). Check that the radio is on, its CI-V address "
                                   "and baud rate (in its menu), and the cable.");
    QCOMPARE(results.value(1), "No radio answered at address 88 (0x58) on " + device +
                                   " at 19200 baud, but one answered at address 72 (0x48). "
                                   "That address is filled in now.");
    QCOMPARE(filledIn, 72);
    QVERIFY(bench.messages().isEmpty());
    if (!settingsWritable) {
        // Nothing stored, nothing changed: the port is back at the settings in use.
        QVERIFY2(results.value(2).contains("could not be written"), qPrintable(results.value(2)));
        QCOMPARE(fixture::bytesOf(bench.settingsFile()), before);
        QVERIFY(window->link()->isOpen());
        QCOMPARE(window->link()->baudRate(), 9600);
        QCOMPARE(window->radioCommands()->radioAddress(), quint8(88));
        return;
    }
    QCOMPARE(results.size(), 2);
    for (const auto& [key, value] : {std::pair{"ADDR706", "72"},
                                     {"BAUD", "19200"},
                                     {"POLL", "off"},
                                     {"STARTUP", "keep"},
                                     {"COMPORT", "2"}})
        QCOMPARE(bench.setting(key), QString::fromLatin1(value));
    QCOMPARE(readIniValue(bench.settingsFile(), "SETTINGS", "COM2", "", kIniLongValueLength),
             device);
    // Reopened at the new rate and address: the radio understands the window now.
    QVERIFY(window->link()->isOpen());
    QCOMPARE(bench.radio().clientBaudRate(), 19200);
    QVERIFY(window->menus()->comAction(2)->isChecked());
    window->Cmode_Click(1);
    QTRY_COMPARE(bench.radio().mode(), quint8(1));
}

void TestPortSelection::radioSettingsRemoteRadio()
{
    if (QStandardPaths::findExecutable(QStringLiteral("rigctld")).isEmpty())
        QSKIP("rigctld is not installed (Debian package libhamlib-utils)");
    RadioBench bench;
    QVERIFY(bench.startRadio(0x58));
    QVERIFY(bench.setSetting(QStringLiteral("ADDR706"), QStringLiteral("88")));
    QVERIFY(bench.loadWindow());
    F706* window = bench.window();
    QSignalSpy chosen(window->radioSettings(), &RadioSettingsController::radioChosen);
    Rigctld rigctld;
    const quint16 port = freeTcpPort();
    const QString remote = QStringLiteral("127.0.0.1:%1").arg(port);

    QStringList found;  // the Hamlib list narrowed: "number manufacturer model"
    int hamlibModel = 0;
    QStringList results;
    bool portKept = true;
    whenDialogShows<RadioSettingsDialog>(this, [&](RadioSettingsDialog* dialog) {
        // Hamlib's list, narrowed as the name is typed.
        dialog->findChild<QRadioButton*>("RadioHamlib")->click();
        auto* filter = dialog->findChild<QLineEdit*>("HamlibModelFilter");
        QTest::keyClicks(filter, "706MKIIG");
        QTest::keyClick(filter, Qt::Key_Return);  // on to the list, not the dialog's OK
        QVERIFY(dialog->isVisible());
        const QAbstractItemModel* shown = dialog->findChild<QTreeView*>("HamlibModelList")->model();
        for (int row = 0; row < shown->rowCount(); ++row)
            found.append(shown->index(row, 3).data().toString() + ' ' +
                         shown->index(row, 0).data().toString() + ' ' +
                         shown->index(row, 1).data().toString());
        hamlibModel = dialog->findChild<HamlibLineFields*>()->model();

        // The radio on another computer: nobody listens yet, then rigctld does.
        dialog->findChild<QRadioButton*>("RadioRemote")->click();
        QTest::keyClicks(dialog->findChild<QLineEdit*>("RemoteHost"), "127.0.0.1");
        dialog->findChild<QSpinBox*>("RemotePort")->setValue(port);
        auto* check = dialog->findChild<QPushButton*>("CheckRadio");
        auto* result = dialog->findChild<QLabel*>("CheckResult");
        const auto runCheck = [&] {
            check->click();
            portKept = portKept && window->link()->isOpen();  // a remote check needs no port
            QVERIFY(QTest::qWaitFor([check] { return check->isEnabled(); }, 20'000));
            results.append(result->text());
        };
        runCheck();
        QVERIFY(rigctld.start(port));
        runCheck();
        dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    window->menus()->radioSettingsAction()->trigger();

    QCOMPARE(found, QStringList{"3011 Icom IC-706MkIIG"});
    QCOMPARE(hamlibModel, 3011);
    QCOMPARE(results,
             (QStringList{"The radio on the other computer cannot be reached (" + remote + ")",
                          "The radio at " + remote + " answers: 145.000.000"}));
    QVERIFY(portKept);
    // Stored in section RADIO, the IC-706 line left as it was, and handed on once.
    QCOMPARE(ReadINI(bench.settingsFile(), "RADIO", "BACKEND", ""), "remote");
    QCOMPARE(ReadINI(bench.settingsFile(), "RADIO", "REMOTE", ""), remote);
    QCOMPARE(bench.setting("ADDR706"), "88");
    QCOMPARE(chosen.size(), 1);
    const auto told = chosen.first().first().value<RadioChoice>();
    QCOMPARE(int(told.backend), int(RadioBackendKind::Remote));
    QCOMPARE(told.remote, remote);
}

QTEST_MAIN(TestPortSelection)
#include "tst_portselection.moc"
