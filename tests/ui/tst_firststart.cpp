// The first start with no settings file, offscreen: the dialog offers corvane-sim's port
// (through a link in a stand-in for /dev/serial/by-id), the operator picks it and a radio
// model, "Use this port" finds the radio at another address of the family, and the program
// goes on to send its start-up frames to that address.
#include "settings/inifile.h"
#include "support/dialogwatch.h"
#include "support/simprocess.h"
#include "ui/f706.h"
#include "ui/firststart.h"
#include "ui/firststartdialog.h"
#include "ui/messagebox.h"
#include "ui/programstart.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class TestFirstStart : public QObject {
    Q_OBJECT
private slots:
    void choiceIsWrittenAndTheRadioStarts();
};

void TestFirstStart::choiceIsWrittenAndTheRadioStarts()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString byId = dir.filePath("by-id");
    QVERIFY(QDir().mkpath(byId));
    const QString link = byId + "/usb-Corvane_Virtual_CI-V-if00-port0";
    SimProcess sim;
    QVERIFY2(sim.start({"--address", "78", "--link", link}), qPrintable(sim.errorString()));
    QList<MessageRequest> messages;
    setMessageHandler([&messages](const MessageRequest& request) {
        messages.append(request);
        return QMessageBox::Ok;
    });

    const QString appPath = dir.filePath("home/.local/share/corvane") + u'/';
    const StartPlaces places{DataFolder{appPath, DataFolderUse::UserData},
                             QStringLiteral(CORVANE_TEMPLATE_PATH), byId};
    QStringList offered;
    QString refusal;
    QString checked;
    int filledIn = 0;
    whenDialogShows<FirstStartDialog>(this, [&](FirstStartDialog* dialog) {
        auto* list = dialog->findChild<QListWidget*>("PortList");
        for (int row = 0; row < list->count(); ++row)
            offered.append(list->item(row)->text());
        // A typed path that opens nothing is refused in the dialog, which stays open.
        auto* path = dialog->findChild<QLineEdit*>("PortPath");
        path->clear();
        QTest::keyClicks(path, "/dev/corvane-no-such-port");
        dialog->findChild<QPushButton*>("UsePort")->click();
        refusal = dialog->findChild<QLabel*>("PortError")->text();
        // The radio is asked at the address chosen; when it is silent there, the family's
        // other addresses are tried and the one that answered is filled in.
        list->setCurrentRow(0);
        dialog->findChild<QComboBox*>("RadioModel")->setCurrentIndex(2);  // IC-706MKIIG, 88
        auto* use = dialog->findChild<QPushButton*>("UsePort");
        use->click();
        QVERIFY(!use->isEnabled());
        QVERIFY(QTest::qWaitFor([use] { return use->isEnabled(); }, 10'000));
        checked = dialog->findChild<QLabel*>("PortError")->text();
        filledIn = dialog->findChild<QSpinBox*>("RadioAddress")->value();
        use->click();
    });
    int exitCode = -1;
    QCOMPARE(prepareStart(places, false, &exitCode), StartRoute::Window);
    QCOMPARE(exitCode, 0);

    QVERIFY2(!offered.isEmpty() &&
                 offered.first().startsWith("usb-Corvane_Virtual_CI-V-if00-port0") &&
                 offered.first().endsWith("-> " + sim.devicePath()),
             qPrintable(offered.join('|')));
    QVERIFY2(refusal.contains("/dev/corvane-no-such-port"), qPrintable(refusal));
    QVERIFY2(checked.startsWith("No radio answered at address 88 (0x58) on " + link +
                                " at 9600 baud, but one answered at address 78 (0x4E)."),
             qPrintable(checked));
    QCOMPARE(filledIn, 78);
    const QString settings = appPath + "IC706.INI";
    QCOMPARE(ReadINI(settings, "SETTINGS", "ADDR706", ""), QStringLiteral("78"));
    QCOMPARE(ReadINI(settings, "SETTINGS", "COMPORT", ""), QStringLiteral("1"));
    QCOMPARE(ReadINI(settings, "SETTINGS", "BAUD", ""), QStringLiteral("9600"));
    QCOMPARE(readIniValue(settings, "SETTINGS", "COM1", "", kIniLongValueLength), link);
    QCOMPARE(ReadINI(settings, "BOOKMARKS", "BOOK0", ""), QStringLiteral("DEFAULT.MDB"));
    QCOMPARE(fileBytes(appPath + "EMPTY.MDB"), fileBytes(CORVANE_TEMPLATE_PATH));
    QCOMPARE(fileBytes(appPath + "DEFAULT.MDB"), fileBytes(CORVANE_TEMPLATE_PATH));

    int startExit = -1;
    std::unique_ptr<F706> window = startMainWindow(appPath, &startExit);
    QVERIFY(window);
    // The checks' reads (88, then the family's 72 and 78; 78 again), then start-up at 78.
    QVERIFY(sim.waitForFrames(8));
    QCOMPARE(sim.frameTexts(), (QStringList{"FEFE58E003FD", "FEFE48E003FD", "FEFE4EE003FD",
                                            "FEFE4EE003FD", "FEFE4EE00700FD", "FEFE4EE00605FD",
                                            "FEFE4EE00F00FD", "FEFE4EE0050000404501FD"}));
    window.reset();

    // The next start finds the settings file: nothing is asked, nothing is rewritten.
    const QByteArray before = fileBytes(settings);
    bool asked = false;
    std::unique_ptr<QTimer> watch(
        whenDialogShows<FirstStartDialog>(this, [&asked](FirstStartDialog* dialog) {
            asked = true;
            dialog->reject();
        }));
    QCOMPARE(prepareStart(places, false, &exitCode), StartRoute::Window);
    QVERIFY(!asked);
    QCOMPARE(fileBytes(settings), before);
    QVERIFY2(messages.isEmpty(), qPrintable(messages.isEmpty() ? "" : messages.first().text));
    setMessageHandler({});
}

QTEST_MAIN(TestFirstStart)
#include "tst_firststart.moc"
