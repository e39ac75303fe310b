// The upper half of the window against the virtual radio: every command button writes
// exactly its frame, what comes back from the line reaches the display, and what the radio
// does not confirm goes back to what it did.
#include "radiobench.h"

#include "link/seriallink.h"
#include "net/rigctlserver.h"
#include "radio/radiocommands.h"
#include "radio/radiostate.h"
#include "ui/comframe.h"
#include "ui/displayframe.h"
#include "ui/entrypad.h"
#include "ui/sharingcontroller.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTcpSocket>
#include <QTest>

class TestRadioCommands : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void buttonWritesOneFrame_data();
    void buttonWritesOneFrame();
    void splitToggles();
    void scanToggles();
    void modeButtonLeavesDisplayToTheEcho();
    void frameFromLineUpdatesDisplay_data();
    void frameFromLineUpdatesDisplay();
    void startupLeavesKnownState();
    void otherAddressFromSettings();
    void displayShowsWhatTheRadioConfirmed_data();
    void displayShowsWhatTheRadioConfirmed();

private:
    std::unique_ptr<RadioBench> m_bench;
};

void TestRadioCommands::init()
{
    m_bench = std::make_unique<RadioBench>();
    QVERIFY(m_bench->startRadio());
    QVERIFY(m_bench->loadWindow());
}

void TestRadioCommands::cleanup()
{
    m_bench.reset();
}

void TestRadioCommands::buttonWritesOneFrame_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("frame");
    const struct {
        const char* button;
        const char* body;
    } rows[] = {
        {"Clsb", "0600"},    {"Cusb", "0601"},          {"Cam", "0602"},     {"Ccw", "0603"},
        {"Crtty", "0604"},   {"Cfm", "0605"},           {"Cwfm", "0606"},    {"Cstep_0", "1000"},
        {"Cstep_1", "1001"}, {"Cstep_5", "1005"},       {"Cstep_6", "1006"}, {"Cstep_8", "1008"},
        {"Cstep_9", "1009"}, {"Csend", "050000404501"},
    };
    for (const auto& row : rows)
        QTest::newRow(row.button) << QString::fromLatin1(row.button) << frameTo48(row.body);
}

void TestRadioCommands::buttonWritesOneFrame()
{
    QFETCH(QString, button);
    QFETCH(QString, frame);
    m_bench->click(button.toLatin1().constData());
    QVERIFY(m_bench->waitForFrames(1));
    // A second, known frame behind it shows that the click wrote nothing more.
    m_bench->window()->SelezionaVfoA();
    QVERIFY(m_bench->waitForFrames(2));
    QCOMPARE(m_bench->frames(), (QStringList{frame, frameTo48("0700")}));
}

void TestRadioCommands::splitToggles()
{
    auto* lsplit = m_bench->find<QLabel>("Lsplit");
    QVERIFY(lsplit->isHidden());
    m_bench->click("Csplit");
    QVERIFY(!lsplit->isHidden());
    m_bench->click("Csplit");
    QVERIFY(lsplit->isHidden());
    QVERIFY(m_bench->waitForFrames(2));
    QCOMPARE(m_bench->frames(), (QStringList{frameTo48("0F01"), frameTo48("0F00")}));
    QVERIFY(!m_bench->radio().split());
}

void TestRadioCommands::scanToggles()
{
    auto* scan = m_bench->find<QPushButton>("Cscan");
    m_bench->click("Cscan");
    QCOMPARE(scan->text(), ComFrame::kScanStopCaption);
    QTRY_VERIFY(m_bench->radio().scanning());
    m_bench->find<QAbstractButton>("OptSpeed_0")->click();  // speed is not this scan's
    m_bench->click("Cscan");
    QCOMPARE(scan->text(), ComFrame::kScanStartCaption);
    QVERIFY(m_bench->waitForFrames(2));
    QCOMPARE(m_bench->frames(), (QStringList{frameTo48("0E01"), frameTo48("0E00")}));
}

void TestRadioCommands::modeButtonLeavesDisplayToTheEcho()
{
    auto* lmode = m_bench->find<QLabel>("Lmode");
    m_bench->radio().setSilent(true);
    m_bench->click("Clsb");
    QVERIFY(m_bench->waitForFrames(1));
    QCOMPARE(lmode->text(), QStringLiteral("FM"));
    m_bench->radio().setSilent(false);
    m_bench->click("Clsb");
    QTRY_COMPARE(lmode->text(), QStringLiteral("LSB"));
}

void TestRadioCommands::frameFromLineUpdatesDisplay_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("text");
    QTest::newRow("announce 7.050.500") << QByteArray::fromHex("FEFE0048000005050700FD") << "Freq"
                                        << "7.050.500";
    QTest::newRow("announce USB") << QByteArray::fromHex("FEFE0048010101FD") << "Lmode"
                                  << "USB";
    QTest::newRow("refused") << QByteArray::fromHex("FEFEE048FAFD") << "InStringa"
                             << "ERROR";
    QTest::newRow("A = B") << QByteArray::fromHex("FEFE48E007A0FD") << "InStringa"
                           << "A = B";
    QTest::newRow("two frames in one write")
        << QByteArray::fromHex("FEFE0048010301FDFEFE0048000000000700FD") << "Freq"
        << "7.000.000";
}

void TestRadioCommands::frameFromLineUpdatesDisplay()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, control);
    QFETCH(QString, text);
    m_bench->radio().sendRaw(bytes);
    QWidget* widget = m_bench->window()->findChild<QWidget*>(control);
    QVERIFY(widget);
    const auto shown = [widget] {
        if (auto* label = qobject_cast<QLabel*>(widget))
            return label->text();
        return qobject_cast<QLineEdit*>(widget)->text();
    };
    QTRY_COMPARE(shown(), text);
}

void TestRadioCommands::startupLeavesKnownState()
{
    // Front-panel change after start-up: the radio announces, the display follows.
    auto* freq = m_bench->find<QLabel>("Freq");
    QTRY_COMPARE(freq->text(), QStringLiteral("145.400.000"));
    QTRY_COMPARE(m_bench->find<QLineEdit>("InStringa")->text(), QStringLiteral("OK"));
    QCOMPARE(m_bench->radio().mode(), quint8{5});
    m_bench->radio().setFrequency(14074000);
    QTRY_COMPARE(freq->text(), QStringLiteral("14.074.000"));
}

void TestRadioCommands::otherAddressFromSettings()
{
    m_bench = std::make_unique<RadioBench>();
    QVERIFY(m_bench->startRadio(0x58));
    QVERIFY(m_bench->setSetting(QStringLiteral("ADDR706"), QStringLiteral("88")));
    QVERIFY(m_bench->loadWindow());
    m_bench->click("Cwfm");
    QVERIFY(m_bench->waitForFrames(1));
    QCOMPARE(m_bench->frames(), QStringList{QStringLiteral("FEFE58E00606FD")});
    QTRY_COMPARE(m_bench->find<QLabel>("Lmode")->text(), QStringLiteral("WFM"));
}

namespace {

/** Sends one line of the rigctld protocol to the window's sharing server; its answer. */
QByteArray networkRead(quint16 port, const QByteArray& command)
{
    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, port);
    if (!QTest::qWaitFor([&] { return client.state() == QAbstractSocket::ConnectedState; }))
        return "not connected";
    client.write(command + '\n');
    QByteArray answer;
    (void)QTest::qWaitFor(
        [&] {
            answer += client.readAll();
            return answer.endsWith('\n');
        },
        10'000);
    return answer;
}

}  // namespace

void TestRadioCommands::displayShowsWhatTheRadioConfirmed_data()
{
    // What the radio does with SPLIT and then SEND 14.074.000 (or, for transceive off, a
    // turn of its knob; for the lost port, the port going away), and what shows after it:
    // the display, SPL, dimming, the word under the status line, the status line, a
    // network client's read of the frequency. Then the knob is turned to 7.074.000 with
    // transceive on: the word after that.
    QTest::addColumn<QString>("radio");
    QTest::addColumn<QString>("freq");
    QTest::addColumn<QString>("mode");
    QTest::addColumn<bool>("split");
    QTest::addColumn<bool>("dimmed");
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QByteArray>("networkFreq");
    QTest::addColumn<QString>("wordAfterKnob");
    const QString noAnswer = QStringLiteral(
        "NO ANSWER from the radio at address %1 — check the CI-V address and the cable");
    const QString silent = QStringLiteral("NOT ANSWERING");
    QTest::newRow("FB") << "FB"
                        << "14.074.000"
                        << "FM" << true << false << ""
                        << "OK" << QByteArray("14074000\n") << "";
    QTest::newRow("FA") << "FA"
                        << "145.400.000"
                        << "FM" << false << false << ""
                        << "NG: the radio refused the frequency 14.074.000"
                        << QByteArray("145400000\n") << "";
    QTest::newRow("nothing") << "nothing"
                             << "145.400.000"
                             << "FM" << false << true << silent << noAnswer.arg("48")
                             << QByteArray("RPRT -5\n") << "";
    // The radio is at 72 (48), the settings say 88 (58): only echoes come back, nothing
    // was ever confirmed, and the radio's own announcements are another radio's.
    QTest::newRow("wrong address")
        << "wrong address"
        << ""
        << "" << false << true << silent << noAnswer.arg("58") << QByteArray("RPRT -5\n") << silent;
    QTest::newRow("transceive off") << "transceive off"
                                    << "7.074.000"
                                    << "FM" << false << false << ""
                                    << "OK" << QByteArray("7074000\n") << "";
    QTest::newRow("port lost") << "port lost"
                               << "145.400.000"
                               << "FM" << false << true << ""
                               << "PORT CLOSED: " << QByteArray("RPRT -6\n") << "";
}

void TestRadioCommands::displayShowsWhatTheRadioConfirmed()
{
    QFETCH(QString, radio);
    QFETCH(QString, freq);
    QFETCH(QString, mode);
    QFETCH(bool, split);
    QFETCH(bool, dimmed);
    QFETCH(QString, word);
    QFETCH(QString, status);
    QFETCH(QByteArray, networkFreq);
    QFETCH(QString, wordAfterKnob);

    m_bench.reset();  // its end would take the new bench's answers to message boxes
    m_bench = std::make_unique<RadioBench>();
    if (radio == u"transceive off")
        QVERIFY(m_bench->setSetting(QStringLiteral("POLL"), QStringLiteral("auto")));
    QVERIFY(m_bench->startRadio());
    if (radio == u"wrong address")
        QVERIFY(m_bench->setSetting(QStringLiteral("ADDR706"), QStringLiteral("88")));
    QVERIFY(m_bench->loadWindow());
    F706* window = m_bench->window();
    SharingController sharing(window);
    QString error;
    QVERIFY2(sharing.server()->listen(QHostAddress::LocalHost, 0, &error), qPrintable(error));
    const QString device = window->radioState()->device();

    if (radio == u"transceive off") {
        m_bench->radio().setTransceive(false);
        m_bench->radio().setFrequency(7'074'000);  // nothing announced: only a read tells
    } else if (radio == u"port lost") {
        QVERIFY(m_bench->startRadio());  // the line goes away; a new radio behind COM 2
        QTRY_VERIFY(!window->link()->isOpen());
        status += device;
    } else {
        m_bench->radio().setRefusing(radio == u"FA");
        m_bench->radio().setSilent(radio == u"nothing");
        m_bench->click("Csplit");
        QVERIFY(window->displayFrame()->splitShown());  // at once, before any answer
        for (const QChar digit : QStringLiteral("014074000"))
            window->entryPad()->pressKey(digit.digitValue());
        m_bench->click("Csend");
    }
    auto* inStringa = m_bench->find<QLineEdit>("InStringa");
    QTRY_COMPARE(inStringa->text(), status);
    QTRY_COMPARE(m_bench->find<QLabel>("Freq")->text(), freq);
    QTRY_VERIFY(window->radioCommands()->idle());
    QCOMPARE(m_bench->find<QLabel>("Freq")->text(), freq);
    QCOMPARE(m_bench->find<QLabel>("Lmode")->text(), mode);
    QCOMPARE(window->displayFrame()->splitShown(), split);
    QCOMPARE(window->displayFrame()->dimmed(), dimmed);
    QCOMPARE(window->displayFrame()->radioWord(), word);
    QCOMPARE(inStringa->text(), status);
    QCOMPARE(networkRead(sharing.server()->port(), "f"), networkFreq);

    // Asked behind the announcement, the radio's answer at 72 (48) shows that the window has
    // read everything before it, whatever address the window itself uses.
    m_bench->radio().setSilent(false);
    m_bench->radio().setTransceive(true);
    m_bench->radio().setFrequency(7'074'000);
    if (window->link()->isOpen()) {
        std::optional<RadioCommands::Answer> asked;
        QVERIFY(!window->radioCommands()->askRadio(
            0x48, [&asked](RadioCommands::Answer answer) { asked = answer; }));
        QTRY_VERIFY(asked);
        QCOMPARE(*asked, RadioCommands::Answer::Ok);
    }
    QCOMPARE(window->displayFrame()->radioWord(), wordAfterKnob);
    QCOMPARE(window->displayFrame()->dimmed(), !wordAfterKnob.isEmpty() || radio == u"port lost");
}

QTEST_MAIN(TestRadioCommands)
#include "tst_windowcommands.moc"
