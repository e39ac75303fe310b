// The rigctld protocol as clients meet it: each row connects to a server over 127.0.0.1,
// sends request bytes and compares the reply bytes and what was sent to the radio.
// Line shapes follow a captured session with Hamlib 4.5's own rigctld (plain and extended
// forms, RPRT codes, the "0\nRPRT 0" of \get_lock_mode, the bare "ChkVFO: 0").

#include "fakerig.h"
#include "net/rigctlserver.h"

#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>

Q_DECLARE_METATYPE(RigControl::Outcome)

namespace {

/** Waits until the client has received at least as many bytes as expected (or 10 s), and
 *  returns all it received. */
QByteArray receive(QTcpSocket* client, qsizetype expectedSize)
{
    QByteArray received;
    (void)QTest::qWaitFor(
        [&] {
            received += client->readAll();
            return received.size() >= expectedSize;
        },
        10'000);
    return received + client->readAll();
}

enum class Start { Known, FrequencyUnknown, ModeUnknown, PortClosed };

}  // namespace
Q_DECLARE_METATYPE(Start)

class TestRigctlProtocol : public QObject {
    Q_OBJECT
private slots:
    void exchange_data();
    void exchange();
    void dumpStateOpensWithTheRadiosRanges();
    void readsOfUnknownStateShareOneRequest();
};

void TestRigctlProtocol::exchange_data()
{
    QTest::addColumn<Start>("start");
    QTest::addColumn<RigControl::Outcome>("outcome");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QStringList>("sent");

    const auto ok = RigControl::Outcome::Ok;
    const auto known = Start::Known;
    const QStringList none;
    // Reads come from the state, with nothing sent.
    QTest::newRow("f") << known << ok << QByteArray("f\n") << QByteArray("145400000\n") << none;
    QTest::newRow("get_freq, CR LF")
        << known << ok << QByteArray("\\get_freq\r\n") << QByteArray("145400000\n") << none;
    QTest::newRow("m") << known << ok << QByteArray("m\n") << QByteArray("FM\n15000\n") << none;
    QTest::newRow("v") << known << ok << QByteArray("v\n") << QByteArray("VFOA\n") << none;
    QTest::newRow("s") << known << ok << QByteArray("s\n") << QByteArray("0\nVFOA\n") << none;
    QTest::newRow("t") << known << ok << QByteArray("t\n") << QByteArray("0\n") << none;
    QTest::newRow("chk_vfo") << known << ok << QByteArray("\\chk_vfo\n") << QByteArray("0\n")
                             << none;
    QTest::newRow("powerstat") << known << ok << QByteArray("\\get_powerstat\n")
                               << QByteArray("1\n") << none;
    QTest::newRow("lock mode") << known << ok << QByteArray("\\get_lock_mode\n")
                               << QByteArray("0\nRPRT 0\n") << none;
    QTest::newRow("three on a line") << known << ok << QByteArray("f m  v\n")
                                     << QByteArray("145400000\nFM\n15000\nVFOA\n") << none;
    // Sets: one catalogue request each, the radio's verdict as the code.
    QTest::newRow("F") << known << ok << QByteArray("F 14074000.000000\n") << QByteArray("RPRT 0\n")
                       << QStringList{"F 14074000"};
    QTest::newRow("F lowest") << known << ok << QByteArray("\\set_freq 30000\n")
                              << QByteArray("RPRT 0\n") << QStringList{"F 30000"};
    QTest::newRow("F then f") << known << ok << QByteArray("F 7074000\nf\n")
                              << QByteArray("RPRT 0\n7074000\n") << QStringList{"F 7074000"};
    QTest::newRow("M USB") << known << ok << QByteArray("M USB 0\n") << QByteArray("RPRT 0\n")
                           << QStringList{"M 1"};
    QTest::newRow("M PKTUSB is USB") << known << ok << QByteArray("M PKTUSB 3000\n")
                                     << QByteArray("RPRT 0\n") << QStringList{"M 1"};
    QTest::newRow("M WFM") << known << ok << QByteArray("M WFM -1\n") << QByteArray("RPRT 0\n")
                           << QStringList{"M 6"};
    QTest::newRow("V VFOB") << known << ok << QByteArray("V VFOB\n") << QByteArray("RPRT 0\n")
                            << QStringList{"V B"};
    QTest::newRow("V Main") << known << ok << QByteArray("V Main\n") << QByteArray("RPRT 0\n")
                            << QStringList{"V A"};
    QTest::newRow("V VFOB, f asks the radio once")
        << known << ok << QByteArray("V VFOB\nf\nf\n") << QByteArray("RPRT 0\n7050000\n7050000\n")
        << QStringList{"V B", "03"};
    QTest::newRow("V VFOA again, f from state")
        << known << ok << QByteArray("V VFOA\nf\n") << QByteArray("RPRT 0\n145400000\n")
        << QStringList{"V A"};
    QTest::newRow("V currVFO") << known << ok << QByteArray("V currVFO\n") << QByteArray("RPRT 0\n")
                               << none;
    QTest::newRow("S on, s") << known << ok << QByteArray("S 1 VFOB\ns\n")
                             << QByteArray("RPRT 0\n1\nVFOB\n") << QStringList{"S 1"};
    QTest::newRow("S off") << known << ok << QByteArray("S 0 VFOA\n") << QByteArray("RPRT 0\n")
                           << QStringList{"S 0"};
    // Split frequency and mode: on the transmit VFO (B while receiving on A), back to A.
    QTest::newRow("I, i") << known << ok << QByteArray("I 14076000\ni\nf\n")
                          << QByteArray("RPRT 0\n14076000\n145400000\n")
                          << QStringList{"V B", "F 14076000", "V A"};
    QTest::newRow("X PKTUSB, x") << known << ok << QByteArray("X PKTUSB -1\nx\nm\n")
                                 << QByteArray("RPRT 0\nUSB\n2400\nFM\n15000\n")
                                 << QStringList{"V B", "M 1", "V A"};
    QTest::newRow("I on VFO B goes to A and back")
        << known << ok << QByteArray("V VFOB\nI 7074000\nv\ni\n")
        << QByteArray("RPRT 0\nRPRT 0\nVFOB\n7074000\n")
        << QStringList{"V B", "V A", "F 7074000", "V B"};
    QTest::newRow("i, x not known yet")
        << known << ok << QByteArray("i\n+x\n")
        << QByteArray("RPRT -11\nget_split_mode:\nRPRT -11\n") << none;
    QTest::newRow("I refused") << known << ok << QByteArray("I 200000000\nX CWR 0\n")
                               << QByteArray("RPRT -1\nRPRT -1\n") << none;
    QTest::newRow("I, FA to the VFO switch")
        << known << RigControl::Outcome::Rejected << QByteArray("I 14076000\n")
        << QByteArray("RPRT -9\n") << QStringList{"V B"};
    QTest::newRow("X, no answer: back to A all the same")
        << known << RigControl::Outcome::Timeout << QByteArray("X USB 0\n")
        << QByteArray("RPRT -5\n") << QStringList{"V B", "V A"};
    // Refused before anything is sent.
    QTest::newRow("F below range")
        << known << ok << QByteArray("F 29999\n") << QByteArray("RPRT -1\n") << none;
    QTest::newRow("F above range")
        << known << ok << QByteArray("F 200000000\n") << QByteArray("RPRT -1\n") << none;
    QTest::newRow("F not a number")
        << known << ok << QByteArray("F 14.0abc\n") << QByteArray("RPRT -1\n") << none;
    QTest::newRow("F missing") << known << ok << QByteArray("F\n") << QByteArray("RPRT -1\n")
                               << none;
    QTest::newRow("M CWR") << known << ok << QByteArray("M CWR 0\n") << QByteArray("RPRT -1\n")
                           << none;
    QTest::newRow("M bad passband")
        << known << ok << QByteArray("M USB wide\n") << QByteArray("RPRT -1\n") << none;
    QTest::newRow("V VFOC") << known << ok << QByteArray("V VFOC\n") << QByteArray("RPRT -1\n")
                            << none;
    QTest::newRow("S 2") << known << ok << QByteArray("S 2 VFOB\n") << QByteArray("RPRT -1\n")
                         << none;
    QTest::newRow("T 1") << known << ok << QByteArray("T 1\n") << QByteArray("RPRT -11\n") << none;
    QTest::newRow("unknown") << known << ok << QByteArray("J 1 2\n") << QByteArray("RPRT -4\n")
                             << none;
    QTest::newRow("unknown long, then f") << known << ok << QByteArray("\\set_level AF 0.5\nf\n")
                                          << QByteArray("RPRT -4\n145400000\n") << none;
    QTest::newRow("junk") << known << ok << QByteArray("\x01\xff\x7f garbage\n")
                          << QByteArray("RPRT -4\n") << none;
    // The radio's verdicts.
    QTest::newRow("FA") << known << RigControl::Outcome::Rejected << QByteArray("F 7074000\n")
                        << QByteArray("RPRT -9\n") << QStringList{"F 7074000"};
    QTest::newRow("no answer") << known << RigControl::Outcome::Timeout << QByteArray("M AM 0\n")
                               << QByteArray("RPRT -5\n") << QStringList{"M 2"};
    QTest::newRow("write failed") << known << RigControl::Outcome::WriteFailed
                                  << QByteArray("V VFOA\n") << QByteArray("RPRT -6\n")
                                  << QStringList{"V A"};
    QTest::newRow("port closed") << Start::PortClosed << ok << QByteArray("F 7074000\n")
                                 << QByteArray("RPRT -6\n") << none;
    // Unknown state: one read of the radio.
    QTest::newRow("f unknown") << Start::FrequencyUnknown << ok << QByteArray("f\nf\n")
                               << QByteArray("7050000\n7050000\n") << QStringList{"03"};
    QTest::newRow("m unknown") << Start::ModeUnknown << ok << QByteArray("m\n")
                               << QByteArray("CW\n2400\n") << QStringList{"04"};
    QTest::newRow("f unknown, no answer")
        << Start::FrequencyUnknown << RigControl::Outcome::Timeout << QByteArray("f\n")
        << QByteArray("RPRT -5\n") << QStringList{"03"};
    // Extended form.
    QTest::newRow("+f") << known << ok << QByteArray("+f\n")
                        << QByteArray("get_freq:\nFrequency: 145400000\nRPRT 0\n") << none;
    QTest::newRow(";m") << known << ok << QByteArray(";m\n")
                        << QByteArray("get_mode:;Mode: FM;Passband: 15000;RPRT 0\n") << none;
    QTest::newRow("|s") << known << ok << QByteArray("|\\get_split_vfo\n")
                        << QByteArray("get_split_vfo:|Split: 0|TX VFO: VFOA|RPRT 0\n") << none;
    QTest::newRow("+F") << known << ok << QByteArray("+F 7074000.000000\n")
                        << QByteArray("set_freq: 7074000.000000\nRPRT 0\n")
                        << QStringList{"F 7074000"};
    QTest::newRow("+F refused") << known << ok << QByteArray("+F 1\n")
                                << QByteArray("set_freq: 1\nRPRT -1\n") << none;
    QTest::newRow("+T") << known << ok << QByteArray("+T 1\n")
                        << QByteArray("set_ptt: 1\nRPRT -11\n") << none;
    QTest::newRow("+chk_vfo") << known << ok << QByteArray("+\\chk_vfo\n")
                              << QByteArray("ChkVFO: 0\n") << none;
    QTest::newRow("+f no answer") << Start::FrequencyUnknown << RigControl::Outcome::Timeout
                                  << QByteArray("+f\n") << QByteArray("get_freq:\nRPRT -5\n")
                                  << QStringList{"03"};
    // Quit answers, then the server closes the connection (the rest is never read).
    QTest::newRow("q") << known << ok << QByteArray("q\nF 7074000\n") << QByteArray("RPRT 0\n")
                       << none;
}

void TestRigctlProtocol::exchange()
{
    QFETCH(Start, start);
    QFETCH(RigControl::Outcome, outcome);
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, reply);
    QFETCH(QStringList, sent);

    FakeRig rig;
    rig.state = knownState();
    rig.nextOutcome = outcome;
    if (start == Start::FrequencyUnknown)
        rig.state.frequencyHz = rig.state.vfoFrequencyHz[0] = std::nullopt;
    if (start == Start::ModeUnknown)
        rig.state.modeCode = rig.state.vfoModeCode[0] = std::nullopt;
    if (start == Start::PortClosed) {
        rig.state.lineOpen = false;
        rig.writable = false;
    }
    RigctlServer server(&rig);
    QString error;
    QVERIFY2(server.listen(QHostAddress::LocalHost, 0, &error), qPrintable(error));

    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, server.port());
    QVERIFY(client.waitForConnected(10'000));
    client.write(request);
    QCOMPARE(receive(&client, reply.size()), reply);
    QCOMPARE(rig.sent, sent);
    if (request.startsWith("q\n")) {
        QTRY_COMPARE(client.state(), QAbstractSocket::UnconnectedState);
    } else {
        // Nothing further comes: the client is still served.
        client.write("\\get_powerstat\n");
        const QByteArray powerstat(start == Start::PortClosed ? "RPRT -6\n" : "1\n");
        QCOMPARE(receive(&client, powerstat.size()), powerstat);
    }
}

void TestRigctlProtocol::dumpStateOpensWithTheRadiosRanges()
{
    FakeRig rig;
    rig.state = knownState();
    RigctlServer server(&rig);
    QVERIFY(server.listen(QHostAddress::LocalHost, 0, nullptr));
    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, server.port());
    client.write("\\dump_state\n");
    QByteArray text;
    QTRY_VERIFY_WITH_TIMEOUT((text += client.readAll(), text.endsWith("done\n")), 10'000);
    const QList<QByteArray> lines = text.split('\n');
    // Protocol 1, the IC-706MKII's model, region, then its one reception range: 30 kHz to
    // 199.999999 MHz, LSB USB AM CW RTTY FM WFM, VFO A and B; then the end of the list.
    QCOMPARE(lines.mid(0, 5), (QList<QByteArray>{"1", "3010", "0",
                                                 "30000.000000 199999999.000000 0x7f -1 -1 0x3 0x0",
                                                 "0 0 0 0 0 0 0"}));
    QVERIFY(lines.contains("144000000.000000 148000000.000000 0x3e 5000 20000 0x3 0x0"));
    QVERIFY(lines.contains("0x20 15000"));  // FM's normal filter, as "m" reports it
    QVERIFY(lines.contains("ptt_type=0x0"));
    QVERIFY(lines.contains("timeout=3000"));
    // The lines Hamlib's test clients look for in \dump_caps.
    client.write("\\dump_caps\n");
    QByteArray caps;
    QTRY_VERIFY_WITH_TIMEOUT((caps += client.readAll(), caps.endsWith("RPRT 0\n")), 10'000);
    for (const char* line : {"Mfg name:\tIcom", "Can set Split Freq:\tY", "Can get Split Freq:\tY",
                             "Can set Split Mode:\tY", "Can get Split Mode:\tY"})
        QVERIFY2(caps.split('\n').contains(line), line);
    QVERIFY(rig.sent.isEmpty());
}

void TestRigctlProtocol::readsOfUnknownStateShareOneRequest()
{
    FakeRig rig;
    rig.state = knownState();
    rig.state.frequencyHz = rig.state.vfoFrequencyHz[0] = std::nullopt;
    rig.hold = true;
    RigctlServer server(&rig);
    QVERIFY(server.listen(QHostAddress::LocalHost, 0, nullptr));
    QTcpSocket first;
    QTcpSocket second;
    first.connectToHost(QHostAddress::LocalHost, server.port());
    first.write("f\n");
    QTRY_COMPARE(rig.held.size(), 1);
    // "v" is answered at once, and "f" of the same line has run by the time "VFOA" is out.
    second.connectToHost(QHostAddress::LocalHost, server.port());
    second.write("v f\n");
    QCOMPARE(receive(&second, 5), QByteArray("VFOA\n"));
    QCOMPARE(rig.sent, QStringList{"03"});
    rig.release();
    QCOMPARE(receive(&first, 8), QByteArray("7050000\n"));
    QCOMPARE(receive(&second, 8), QByteArray("7050000\n"));
    QCOMPARE(rig.sent, QStringList{"03"});
}

QTEST_GUILESS_MAIN(TestRigctlProtocol)
#include "tst_rigctlprotocol.moc"
