// The upper half of the window against the virtual radio: every command button writes
// exactly its frame, and what comes back from the line reaches the display.
#include "radiobench.h"

#include "ui/comframe.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
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

QTEST_MAIN(TestRadioCommands)
#include "tst_windowcommands.moc"
