// The virtual radio in-process, seen from a raw client on its pseudo-terminal: echo first,
// then the answer, byte for byte.

#include "sim/frontpanel.h"
#include "sim/virtualradio.h"
#include "support/ptyclient.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {

/** Every request is followed, in the same write, by a read-mode request: its answer closes
 *  the expected bytes, which proves that nothing else came in between. */
const QByteArray kSentinel = QByteArray::fromHex("FEFE48E004FD");
const QString kModeFm = QStringLiteral("FEFEE048040501");
const QString kOk = QStringLiteral("FEFEE048FBFD");
const QString kNg = QStringLiteral("FEFEE048FAFD");

/** State every test starts from: A 145.400.000 FM, B 7.050.000 LSB, on VFO A. */
const QString kStartState = QStringLiteral(
    "vfo=A a=145400000/5/1 b=7050000/0/1 split=0 scan=0 step=0 silent=0 transceive=1");

QByteArray hex(const QString& text)
{
    return QByteArray::fromHex(text.toLatin1());
}

QString hexText(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes.toHex().toUpper());
}

/** The frequency announcement as the radio sends it: ten digits, pairs least significant
 *  first. */
QString announceText(quint64 hz)
{
    const QString digits = QString::number(hz).rightJustified(10, QLatin1Char('0'));
    QString bcd;
    for (int pair = 4; pair >= 0; --pair) {
        bcd += digits.mid(pair * 2, 2);
    }
    return QStringLiteral("FEFE004800") + bcd + QStringLiteral("FD");
}

}  // namespace

class TestVirtualRadio : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void answers_data();
    void answers();
    void frontPanel_data();
    void frontPanel();
    void frontPanelRefuses_data();
    void frontPanelRefuses();
    void garbageHasNoEndOfFrame();
    void scanSteps_data();
    void scanSteps();
    void silentRadioSendsNothing();
    void everyFrameIsReported();
    void nextClientStartsOnACleanLine();

private:
    /** Writes request + sentinel in one write and returns all that came back up to the
     *  expected length (or everything, when less came). */
    QString exchange(const QByteArray& request, qsizetype expectedLength);

    std::unique_ptr<VirtualRadio> m_radio;
    std::unique_ptr<FrontPanel> m_panel;
    std::unique_ptr<PtyClient> m_client;
};

void TestVirtualRadio::init()
{
    m_radio = std::make_unique<VirtualRadio>();
    QString error;
    QVERIFY2(m_radio->start(&error), qPrintable(error));
    m_radio->setScanInterval(std::chrono::hours(1));  // scanning steps only where a test asks
    m_panel = std::make_unique<FrontPanel>(m_radio.get());
    m_radio->selectVfo(VirtualRadio::VfoId::B);
    m_radio->setFrequency(7'050'000);
    m_radio->setMode(0);
    m_radio->selectVfo(VirtualRadio::VfoId::A);  // announced to nobody: lost
    QVERIFY(!m_radio->hasClient());
    m_client = std::make_unique<PtyClient>();
    QVERIFY2(m_client->open(m_radio->devicePath()), qPrintable(m_client->errorString()));
    QVERIFY(m_radio->hasClient());
    QCOMPARE(m_panel->stateText(), kStartState);
}

void TestVirtualRadio::cleanup()
{
    m_client.reset();
    m_panel.reset();
    m_radio.reset();
}

QString TestVirtualRadio::exchange(const QByteArray& request, qsizetype expectedLength)
{
    m_client->clear();
    if (!m_client->write(request + kSentinel)) {
        return m_client->errorString();
    }
    m_client->waitForBytes(expectedLength);
    return hexText(m_client->received().left(expectedLength));
}

void TestVirtualRadio::answers_data()
{
    QTest::addColumn<QString>("request");
    QTest::addColumn<QString>("answer");    // after the echo, before the sentinel's answer
    QTest::addColumn<QString>("sentinel");  // the read-mode answer that closes the exchange
    QTest::addColumn<QString>("state");

    const QString modeLsb = QStringLiteral("FEFEE048040001FD");
    const QString fm = kModeFm + QStringLiteral("FD");
    const QString start = kStartState;
    const auto with = [&start](const char* from, const char* to) {
        return QString(start).replace(QLatin1String(from), QLatin1String(to));
    };

    QTest::newRow("read frequency") << "FEFE48E003FD"
                                    << "FEFEE048030000404501FD" << fm << start;
    QTest::newRow("read mode") << "FEFE48E004FD" << fm << fm << start;
    QTest::newRow("read frequency with data") << "FEFE48E00300FD" << kNg << fm << start;
    QTest::newRow("set 7.050.500")
        << "FEFE48E0050005050700FD" << kOk << fm << with("a=145400000", "a=7050500");
    QTest::newRow("set 30 kHz, lowest")
        << "FEFE48E0050000030000FD" << kOk << fm << with("a=145400000", "a=30000");
    QTest::newRow("set 29.999 kHz") << "FEFE48E0059999020000FD" << kNg << fm << start;
    QTest::newRow("set 199.999.999, highest")
        << "FEFE48E0059999999901FD" << kOk << fm << with("a=145400000", "a=199999999");
    QTest::newRow("set 200 MHz") << "FEFE48E0050000000002FD" << kNg << fm << start;
    QTest::newRow("set 1 GHz") << "FEFE48E0050000000010FD" << kNg << fm << start;
    QTest::newRow("set frequency, bad BCD") << "FEFE48E005000A404501FD" << kNg << fm << start;
    QTest::newRow("set frequency, four bytes") << "FEFE48E00500404501FD" << kNg << fm << start;
    QTest::newRow("set mode CW") << "FEFE48E00603FD" << kOk << "FEFEE048040301FD"
                                 << with("a=145400000/5", "a=145400000/3");
    QTest::newRow("set mode WFM") << "FEFE48E00606FD" << kOk << "FEFEE048040601FD"
                                  << with("a=145400000/5", "a=145400000/6");
    QTest::newRow("set mode USB, filter 2") << "FEFE48E0060102FD" << kOk << "FEFEE048040102FD"
                                            << with("a=145400000/5/1", "a=145400000/1/2");
    QTest::newRow("set mode 07") << "FEFE48E00607FD" << kNg << fm << start;
    QTest::newRow("set mode, filter 4") << "FEFE48E0060104FD" << kNg << fm << start;
    QTest::newRow("set mode, no data") << "FEFE48E006FD" << kNg << fm << start;
    QTest::newRow("VFO B announces B")
        << "FEFE48E00701FD" << kOk + "FEFE0048000000050700FD" + "FEFE0048010001FD" << modeLsb
        << with("vfo=A", "vfo=B");
    QTest::newRow("VFO A again announces nothing") << "FEFE48E00700FD" << kOk << fm << start;
    QTest::newRow("A = B copies A into B")
        << "FEFE48E007A0FD" << kOk << fm << with("b=7050000/0/1", "b=145400000/5/1");
    QTest::newRow("A/B exchange announces")
        << "FEFE48E007B0FD" << kOk + "FEFE0048000000050700FD" + "FEFE0048010001FD" << modeLsb
        << "vfo=A a=7050000/0/1 b=145400000/5/1 split=0 scan=0 step=0 silent=0 transceive=1";
    QTest::newRow("VFO 02") << "FEFE48E00702FD" << kNg << fm << start;
    QTest::newRow("VFO, no data") << "FEFE48E007FD" << kNg << fm << start;
    QTest::newRow("scan start") << "FEFE48E00E01FD" << kOk << fm << with("scan=0", "scan=1");
    QTest::newRow("scan stop") << "FEFE48E00E00FD" << kOk << fm << start;
    QTest::newRow("scan 02") << "FEFE48E00E02FD" << kNg << fm << start;
    QTest::newRow("split on") << "FEFE48E00F01FD" << kOk << fm << with("split=0", "split=1");
    QTest::newRow("split off") << "FEFE48E00F00FD" << kOk << fm << start;
    QTest::newRow("split read") << "FEFE48E00FFD"
                                << "FEFEE0480F00FD" << fm << start;
    QTest::newRow("split 02") << "FEFE48E00F02FD" << kNg << fm << start;
    QTest::newRow("step 12.5 kHz") << "FEFE48E01006FD" << kOk << fm << with("step=0", "step=6");
    QTest::newRow("step 100 kHz") << "FEFE48E01009FD" << kOk << fm << with("step=0", "step=9");
    QTest::newRow("step 0A") << "FEFE48E0100AFD" << kNg << fm << start;
    QTest::newRow("step read") << "FEFE48E010FD"
                               << "FEFEE04810"
                                  "00FD"
                               << fm << start;
    QTest::newRow("unknown command") << "FEFE48E01A0328FD" << kNg << fm << start;
    QTest::newRow("read ID, unknown") << "FEFE48E01900FD" << kNg << fm << start;
    QTest::newRow("other radio") << "FEFE58E003FD"
                                 << "" << fm << start;
    QTest::newRow("broadcast address") << "FEFE00E00500000000FD"
                                       << "" << fm << start;
    QTest::newRow("other controller gets the answer") << "FEFE48E103FD"
                                                      << "FEFEE148030000404501FD" << fm << start;
    QTest::newRow("three preamble bytes") << "FEFEFE48E00603FD" << kOk << "FEFEE048040301FD"
                                          << with("a=145400000/5", "a=145400000/3");
    QTest::newRow("noise before a frame")
        << "1234FD00FEFE48E01006FD" << kOk << fm << with("step=0", "step=6");
    QTest::newRow("cut frame then a whole one")
        << "FEFE48E00500FEFE48E01009FD" << kOk << fm << with("step=0", "step=9");
    QTest::newRow("empty frame") << "FEFEFD"
                                 << "" << fm << start;
    QTest::newRow("no command byte") << "FEFE48E0FD"
                                     << "" << fm << start;
}

void TestVirtualRadio::answers()
{
    QFETCH(QString, request);
    QFETCH(QString, answer);
    QFETCH(QString, sentinel);
    QFETCH(QString, state);

    const QByteArray bytes = hex(request);
    const QString expected = hexText(bytes + kSentinel) + answer + sentinel;
    QCOMPARE(exchange(bytes, expected.size() / 2), expected);
    QCOMPARE(m_panel->stateText(), state);
}

void TestVirtualRadio::frontPanel_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("sent");  // what the radio puts on the line
    QTest::addColumn<QString>("state");

    const QString start = kStartState;
    QTest::newRow("freq") << "freq 7050500"
                          << "FEFE0048000005050700FD"
                          << QString(start).replace("a=145400000", "a=7050500");
    QTest::newRow("freq 1 GHz") << "freq 1000000000"
                                << "FEFE0048000000000010FD"
                                << QString(start).replace("a=145400000", "a=1000000000");
    QTest::newRow("mode USB") << "mode USB"
                              << "FEFE0048010101FD"
                              << QString(start).replace("a=145400000/5", "a=145400000/1");
    QTest::newRow("mode lower case")
        << "mode cw"
        << "FEFE0048010301FD" << QString(start).replace("a=145400000/5", "a=145400000/3");
    QTest::newRow("mode code 7") << "mode 7"
                                 << "FEFE0048010701FD"
                                 << QString(start).replace("a=145400000/5", "a=145400000/7");
    QTest::newRow("mode hex code")
        << "MODE 0x06"
        << "FEFE0048010601FD" << QString(start).replace("a=145400000/5", "a=145400000/6");
    QTest::newRow("vfo b") << "vfo b"
                           << "FEFE0048000000050700FD"
                              "FEFE0048010001FD"
                           << QString(start).replace("vfo=A", "vfo=B");
    QTest::newRow("vfo a announces too") << " vfo A "
                                         << "FEFE0048000000404501FD"
                                            "FEFE0048010501FD"
                                         << start;
    QTest::newRow("double") << "double"
                            << "FEFE0048000000404501FD"
                               "FEFE0048010501FD"
                            << start;
    QTest::newRow("cut") << "cut"
                         << "FEFE004800" << start;
    QTest::newRow("raw with blanks") << "raw FE FE 00 48 01 03 FD"
                                     << "FEFE00480103FD" << start;
    QTest::newRow("raw packed") << "raw fefe0048"
                                << "FEFE0048" << start;
}

void TestVirtualRadio::frontPanel()
{
    QFETCH(QString, command);
    QFETCH(QString, sent);
    QFETCH(QString, state);

    QSignalSpy spy(m_radio.get(), &VirtualRadio::bytesSent);
    const FrontPanel::Result result = m_panel->execute(command);
    QVERIFY2(result.ok, qPrintable(result.message));
    QVERIFY(!result.quit);
    QVERIFY(m_client->waitForBytes(sent.size() / 2));
    QCOMPARE(hexText(m_client->received()), sent);
    QCOMPARE(spy.count(), command.trimmed().startsWith("vfo") ? 2 : 1);  // one write a frame
    QCOMPARE(m_panel->stateText(), state);
}

void TestVirtualRadio::frontPanelRefuses_data()
{
    QTest::addColumn<QString>("command");
    for (const char* command : {"freq",
                                "freq abc",
                                "freq -5",
                                "freq +5",
                                "freq 10000000000",
                                "mode",
                                "mode XYZ",
                                "mode 256",
                                "mode -1",
                                "vfo",
                                "vfo c",
                                "raw",
                                "raw FG",
                                "raw F",
                                "raw FE F",
                                "garbage",
                                "garbage 0",
                                "garbage x",
                                "garbage 1000001",
                                "silent",
                                "silent maybe",
                                "double 2",
                                "cut now",
                                "quit later",
                                "bogus",
                                ""}) {
        QTest::newRow(*command ? command : "empty line") << QString::fromLatin1(command);
    }
}

void TestVirtualRadio::frontPanelRefuses()
{
    QFETCH(QString, command);

    const FrontPanel::Result result = m_panel->execute(command);
    QVERIFY(!result.ok);
    QVERIFY(!result.quit);
    QVERIFY(!result.message.isEmpty());
    QCOMPARE(m_panel->stateText(), kStartState);
    // Nothing went to the line: the next thing there is the sentinel's echo.
    const QString expected = hexText(kSentinel) + kModeFm + "FD";
    QCOMPARE(exchange({}, expected.size() / 2), expected);
}

void TestVirtualRadio::garbageHasNoEndOfFrame()
{
    QVERIFY(m_panel->execute("garbage 5000").ok);
    QVERIFY(m_client->waitForBytes(5000));
    QCOMPARE(m_client->received().size(), 5000);
    QVERIFY(!m_client->received().contains(char(0xFD)));
}

void TestVirtualRadio::scanSteps_data()
{
    QTest::addColumn<quint64>("from");
    QTest::addColumn<int>("stepCode");
    QTest::addColumn<QList<quint64>>("steps");

    QTest::newRow("10 Hz") << quint64(145'400'000) << 0
                           << QList<quint64>{145'400'010, 145'400'020, 145'400'030};
    QTest::newRow("12.5 kHz") << quint64(7'000'000) << 6
                              << QList<quint64>{7'012'500, 7'025'000, 7'037'500};
    QTest::newRow("9 kHz") << quint64(531'000) << 4 << QList<quint64>{540'000, 549'000, 558'000};
    QTest::newRow("wraps at the top")
        << quint64(199'850'000) << 9 << QList<quint64>{199'950'000, 30'000, 130'000};
}

void TestVirtualRadio::scanSteps()
{
    QFETCH(quint64, from);
    QFETCH(int, stepCode);
    QFETCH(QList<quint64>, steps);

    m_radio->setFrequency(from);
    const QByteArray step = QByteArray::fromHex("FEFE48E010FD").insert(5, char(stepCode));
    QVERIFY(m_client->write(step + QByteArray::fromHex("FEFE48E00E01FD")));
    QTRY_VERIFY(m_radio->scanning());
    QSignalSpy spy(m_radio.get(), &VirtualRadio::bytesSent);
    m_radio->setScanInterval(std::chrono::milliseconds(5));
    QTRY_VERIFY(spy.count() >= steps.size());
    for (int i = 0; i < steps.size(); ++i) {
        QCOMPARE(hexText(spy.at(i).at(0).toByteArray()), announceText(steps[i]));
    }
    QVERIFY(m_client->write(QByteArray::fromHex("FEFE48E00E00FD")));
    QTRY_VERIFY(!m_radio->scanning());
}

void TestVirtualRadio::silentRadioSendsNothing()
{
    QSignalSpy frames(m_radio.get(), &VirtualRadio::frameReceived);
    m_radio->setSilent(true);
    QVERIFY(m_panel->execute("freq 7000000").ok);  // announcement swallowed too
    QVERIFY(m_client->write(QByteArray::fromHex("FEFE48E003FD")));
    QTRY_COMPARE(frames.count(), 1);  // heard, but neither echoed nor answered
    m_radio->setSilent(false);
    const QString expected = hexText(kSentinel) + kModeFm + "FD";
    QCOMPARE(exchange({}, expected.size() / 2), expected);
}

void TestVirtualRadio::everyFrameIsReported()
{
    QSignalSpy frames(m_radio.get(), &VirtualRadio::frameReceived);
    QVERIFY(
        m_client->write(QByteArray::fromHex("FEFE58E003FD"
                                            "77"
                                            "FEFE48E00F01FD")));
    QTRY_COMPARE(frames.count(), 2);
    QCOMPARE(hexText(frames.at(0).at(0).toByteArray()), "FEFE58E003FD");
    QCOMPARE(hexText(frames.at(1).at(0).toByteArray()), "FEFE48E00F01FD");
}

void TestVirtualRadio::nextClientStartsOnACleanLine()
{
    // Answers left unread by one client and announcements made while nobody listens never
    // reach the next client.
    QVERIFY(m_client->write(QByteArray::fromHex("FEFE48E003FD")));
    QSignalSpy frames(m_radio.get(), &VirtualRadio::frameReceived);
    QVERIFY(frames.wait());
    m_client->close();
    QTRY_VERIFY(!m_radio->hasClient());
    m_radio->setFrequency(3'500'000);
    QVERIFY(m_client->open(m_radio->devicePath()));
    QVERIFY(m_radio->hasClient());
    const QString expected = hexText(QByteArray::fromHex("FEFE48E003FD") + kSentinel) +
                             "FEFEE048030000500300FD" + kModeFm + "FD";
    QCOMPARE(exchange(QByteArray::fromHex("FEFE48E003FD"), expected.size() / 2), expected);
}

QTEST_GUILESS_MAIN(TestVirtualRadio)
#include "tst_virtualradio.moc"
