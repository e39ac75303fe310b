// The first start with no settings file, offscreen: the dialog offers corvane-sim's port
// (through a link in a stand-in for /dev/serial/by-id), the operator picks it and a radio
// model, and the program goes on to send its start-up frames to that address.
#include "settings/inifile.h"
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

/** Runs answer on the first-start dialog once it is on screen (polled by a timer, as the
 *  dialog's own event loop runs). Deleting the timer returned stops the watch. */
QTimer* whenDialogShows(QObject* context, std::function<void(FirstStartDialog*)> answer)
{
    auto* poll = new QTimer(context);
    QObject::connect(poll, &QTimer::timeout, context, [poll, answer] {
        FirstStartDialog* dialog = nullptr;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* found = qobject_cast<FirstStartDialog*>(widget); found && found->isVisible())
                dialog = found;
        }
        if (!dialog)
            return;
        poll->stop();
        poll->deleteLater();
        answer(dialog);
    });
    poll->start(20);
    return poll;
}

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
    whenDialogShows(this, [&](FirstStartDialog* dialog) {
        auto* list = dialog->findChild<QListWidget*>("PortList");
        for (int row = 0; row < list->count(); ++row)
            offered.append(list->item(row)->text());
        // A typed path that opens nothing is refused in the dialog, which stays open.
        auto* path = dialog->findChild<QLineEdit*>("PortPath");
        path->clear();
        QTest::keyClicks(path, "/dev/corvane-no-such-port");
        dialog->findChild<QPushButton*>("UsePort")->click();
        refusal = dialog->findChild<QLabel*>("PortError")->text();
        list->setCurrentRow(0);
        dialog->findChild<QComboBox*>("RadioModel")->setCurrentIndex(1);  // IC-706MKII
        dialog->findChild<QPushButton*>("UsePort")->click();
    });
    int exitCode = -1;
    QCOMPARE(prepareStart(places, false, &exitCode), StartRoute::Window);
    QCOMPARE(exitCode, 0);

    QVERIFY2(!offered.isEmpty() &&
                 offered.first().startsWith("usb-Corvane_Virtual_CI-V-if00-port0") &&
                 offered.first().endsWith("-> " + sim.devicePath()),
             qPrintable(offered.join('|')));
    QVERIFY2(refusal.contains("/dev/corvane-no-such-port"), qPrintable(refusal));
    const QString settings = appPath + "IC706.INI";
    QCOMPARE(ReadINI(settings, "SETTINGS", "ADDR706", ""), QStringLiteral("78"));
    QCOMPARE(ReadINI(settings, "SETTINGS", "COMPORT", ""), QStringLiteral("1"));
    QCOMPARE(readIniValue(settings, "SETTINGS", "COM1", "", kIniLongValueLength), link);
    QCOMPARE(ReadINI(settings, "BOOKMARKS", "BOOK0", ""), QStringLiteral("DEFAULT.MDB"));
    QCOMPARE(fileBytes(appPath + "EMPTY.MDB"), fileBytes(CORVANE_TEMPLATE_PATH));
    QCOMPARE(fileBytes(appPath + "DEFAULT.MDB"), fileBytes(CORVANE_TEMPLATE_PATH));

    int startExit = -1;
    std::unique_ptr<F706> window = startMainWindow(appPath, &startExit);
    QVERIFY(window);
    QVERIFY(sim.waitForFrames(4));
    QCOMPARE(sim.frameTexts(), (QStringList{"FEFE4EE00700FD", "FEFE4EE00605FD", "FEFE4EE00F00FD",
                                            "FEFE4EE0050000404501FD"}));
    window.reset();

    // The next start finds the settings file: nothing is asked, nothing is rewritten.
    const QByteArray before = fileBytes(settings);
    bool asked = false;
    std::unique_ptr<QTimer> watch(whenDialogShows(this, [&asked](FirstStartDialog* dialog) {
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
