// The "Com Port" menu: switching ports, the recovery when a port cannot be opened, the
// stored choice, and the ticks.
#include "radiobench.h"

#include "link/seriallink.h"
#include "ui/mainmenus.h"

#include <QAction>
#include <QDir>
#include <QTest>

#include <sys/resource.h>

#include <csignal>
#include <optional>

class TestPortSelection : public QObject {
    Q_OBJECT
private slots:
    void startupTicksStoredPort();
    void choosePort_data();
    void choosePort();
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
        QVERIFY(holder.open(second.devicePath(), nullptr, nullptr));
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
        if (!settingsWritable)
            QVERIFY(bench.messages().first().text.contains(QStringLiteral("could not be stored")));
    }
    QCOMPARE(bench.setting(QStringLiteral("COMPORT")), storedPort);
    QCOMPARE(ticked(bench.window()->menus()), QList<int>{portInUse});
    QCOMPARE(bench.window()->portNumber(), portInUse);

    bench.window()->Cstep_Click(3);
    const QString frame = frameTo48("1003");
    if (portInUse == 1)
        QTRY_COMPARE(secondFrames, QStringList{frame});
    else
        QTRY_COMPARE(bench.frames(), QStringList{frame});
}

QTEST_MAIN(TestPortSelection)
#include "tst_portselection.moc"
