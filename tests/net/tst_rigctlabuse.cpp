// Bad input from the network is normal input: junk, a megabyte line, a client that never
// reads, a thousand connections opened and dropped, more clients than allowed (idle,
// dripping or busy), a client gone mid-request or half-closed, a connection that never
// completes a line, a silent radio behind queued sets, a client from an address not
// allowed. Through all of it a well-behaved client stays served within the advertised
// timeout, nothing reaches the radio that was not asked for, and the server's memory stays
// bounded. A VFO switch left in place stops the bookmark scan once its grace is over.

#include "fakerig.h"
#include "net/allowlist.h"
#include "net/radiodescription.h"
#include "net/rigctldispatcher.h"
#include "net/rigctlserver.h"
#include "net/rigctlsession.h"

#include <QFile>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>

#include <algorithm>
#include <chrono>
#include <memory>

#include <sys/socket.h>

namespace {

constexpr int kWaitMs = 20'000;

/** Resident memory of this process in KiB (Linux), 0 when unknown. */
qint64 residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return 0;
}

std::unique_ptr<QTcpSocket> connectTo(const RigctlServer& server,
                                      const QHostAddress& from = QHostAddress())
{
    auto client = std::make_unique<QTcpSocket>();
    if (!from.isNull())
        client->bind(from);
    client->connectToHost(server.address(), server.port());
    return client;
}

/** Everything the client receives until the server closes the connection. */
QByteArray receiveToEnd(QTcpSocket* client)
{
    QByteArray received;
    (void)QTest::qWaitFor(
        [&] {
            received += client->readAll();
            return client->state() == QAbstractSocket::UnconnectedState;
        },
        kWaitMs);
    return received + client->readAll();
}

/** Asks for the frequency and returns what came back (empty after 20 s of nothing). */
QByteArray askFrequency(QTcpSocket* client)
{
    client->write("f\n");
    QByteArray received;
    (void)QTest::qWaitFor(
        [&] {
            received += client->readAll();
            return received.endsWith('\n');
        },
        kWaitMs);
    return received;
}

bool waitClosed(QTcpSocket* client)
{
    return QTest::qWaitFor(
        [client] { return client->state() == QAbstractSocket::UnconnectedState; }, kWaitMs);
}

}  // namespace

class TestRigctlAbuse : public QObject {
    Q_OBJECT
private slots:
    void init();
    void badInputLeavesOthersServed();
    void clientLimit();
    void clientGoneMidRequest();
    void halfClose_data();
    void halfClose();
    void timeouts_data();
    void timeouts();
    void noReplyLaterThanAdvertised();
    void allowList_data();
    void allowList();
    void otherHostRefused();

private:
    std::unique_ptr<FakeRig> m_rig;
    std::unique_ptr<RigctlServer> m_server;
};

void TestRigctlAbuse::init()
{
    m_server.reset();
    m_rig = std::make_unique<FakeRig>();
    m_rig->state = knownState();
    m_server = std::make_unique<RigctlServer>(m_rig.get());
    QString error;
    QVERIFY2(m_server->listen(QHostAddress::LocalHost, 0, &error), qPrintable(error));
}

void TestRigctlAbuse::badInputLeavesOthersServed()
{
    auto normal = connectTo(*m_server);
    QCOMPARE(askFrequency(normal.get()), QByteArray("145400000\n"));
    const qint64 before = residentKiB();

    // Binary junk (no blanks, no letters) in 41 lines: each answered "RPRT -4", the client
    // kept and served.
    auto junk = connectTo(*m_server);
    QByteArray noise(4096, '\0');
    for (char& c : noise)
        c = static_cast<char>(0x80 + QRandomGenerator::global()->bounded(128));
    for (int i = 0; i < noise.size(); i += 100)
        noise[i] = '\n';
    junk->write(noise + "\nf\n");
    QByteArray junkReply;
    QVERIFY(QTest::qWaitFor([&] { return (junkReply += junk->readAll()).endsWith("145400000\n"); },
                            kWaitMs));
    QCOMPARE(junkReply.count("RPRT -4\n"), qsizetype(41));

    // A line of a megabyte: closed once the line passes the limit.
    auto huge = connectTo(*m_server);
    huge->write(QByteArray(1024 * 1024, 'F'));
    QVERIFY(waitClosed(huge.get()));

    // A client that asks and never reads: closed once its unread replies pass the limit
    // (as it reads nothing, only the server sees it go).
    QTRY_COMPARE(m_server->clientCount(), 2);
    QSignalSpy counts(m_server.get(), &RigctlServer::clientCountChanged);
    auto deaf = connectTo(*m_server);
    deaf->setReadBufferSize(16);
    QByteArray requests;
    for (int i = 0; i < 20'000; ++i)
        requests += "\\dump_state\n";
    deaf->write(requests);
    QVERIFY(QTest::qWaitFor([&] { return counts.size() == 2 && counts.at(1).at(0).toInt() == 2; },
                            kWaitMs));

    // A thousand connections opened and dropped, some in the middle of a line.
    for (int i = 0; i < 1000; ++i) {
        auto passing = connectTo(*m_server);
        QVERIFY(QTest::qWaitFor([&] { return passing->state() == QAbstractSocket::ConnectedState; },
                                kWaitMs));
        if (i % 2 == 0)
            passing->write("F 70");
        passing->abort();
    }

    QCOMPARE(askFrequency(normal.get()), QByteArray("145400000\n"));
    QVERIFY(QTest::qWaitFor([this] { return m_server->clientCount() == 2; }, kWaitMs));
    QVERIFY(m_rig->sent.isEmpty());
    const qint64 grownKiB = residentKiB() - before;
    qInfo("resident memory grew by %lld KiB", grownKiB);
#ifndef __SANITIZE_ADDRESS__  // the sanitizer keeps freed memory in quarantine
    QVERIFY2(grownKiB < 32 * 1024, qPrintable(QString::number(grownKiB)));
#endif
}

void TestRigctlAbuse::clientLimit()
{
    // The table filled by clients that say nothing, drip a line a byte at a time, or were
    // served once and went quiet: a newcomer takes the place of the one idle longest.
    std::vector<std::unique_ptr<QTcpSocket>> clients;
    for (int i = 0; i < RigctlServer::kMaxClients; ++i) {
        clients.push_back(connectTo(*m_server));
        QVERIFY(clients.back()->waitForConnected(kWaitMs));
        if (i % 3 == 1)
            clients.back()->write("\\dump_st");
        else if (i % 3 == 2)
            QCOMPARE(askFrequency(clients.back().get()), QByteArray("145400000\n"));
    }
    QTRY_COMPARE(m_server->clientCount(), RigctlServer::kMaxClients);
    // Each newcomer is served at once; the one gone quiet longest leaves (a client served
    // once and quiet since goes before a silent one that connected later).
    for (int round = 0; round < 4; ++round) {
        auto extra = connectTo(*m_server);
        QCOMPARE(askFrequency(extra.get()), QByteArray("145400000\n"));
        QVERIFY(waitClosed(clients[round].get()));
        QCOMPARE(m_server->clientCount(), RigctlServer::kMaxClients);
        clients[round] = std::move(extra);
    }
    QVERIFY(m_rig->sent.isEmpty());
}

void TestRigctlAbuse::clientGoneMidRequest()
{
    m_rig->hold = true;
    auto leaving = connectTo(*m_server);
    leaving->write("F 7074000\nf\n");
    QVERIFY(QTest::qWaitFor([this] { return m_rig->held.size() == 1; }, kWaitMs));
    leaving->abort();
    QVERIFY(QTest::qWaitFor([this] { return m_server->clientCount() == 0; }, kWaitMs));
    m_rig->release();  // the radio's answer comes for a client that has gone

    m_rig->hold = false;
    auto next = connectTo(*m_server);
    QCOMPARE(askFrequency(next.get()), QByteArray("7074000\n"));
    QCOMPARE(m_rig->sent, QStringList{"F 7074000"});
}

void TestRigctlAbuse::halfClose_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<bool>("radioHolds");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QStringList>("sent");

    QTest::newRow("echo f") << QByteArray("f\n") << false << QByteArray("145400000\n")
                            << QStringList{};
    QTest::newRow("set, radio still busy at the end")
        << QByteArray("F 14091000\n") << true << QByteArray("RPRT 0\n")
        << QStringList{"F 14091000"};
    QTest::newRow("lines waiting behind a set")
        << QByteArray("F 7074000\nf\nm v\n") << true
        << QByteArray("RPRT 0\n7074000\nFM\n15000\nVFOA\n") << QStringList{"F 7074000"};
    QTest::newRow("a piece of a line after the last one")
        << QByteArray("v\nF 70") << false << QByteArray("VFOA\n") << QStringList{};
    QTest::newRow("quit first") << QByteArray("q\nf\n") << false << QByteArray("RPRT 0\n")
                                << QStringList{};
}

void TestRigctlAbuse::halfClose()
{
    QFETCH(QByteArray, request);
    QFETCH(bool, radioHolds);
    QFETCH(QByteArray, reply);
    QFETCH(QStringList, sent);

    m_rig->hold = radioHolds;
    auto client = connectTo(*m_server);
    QVERIFY(client->waitForConnected(kWaitMs));
    client->write(request);
    QVERIFY(client->waitForBytesWritten(kWaitMs));
    QCOMPARE(::shutdown(static_cast<int>(client->socketDescriptor()), SHUT_WR), 0);
    if (radioHolds) {
        QVERIFY(QTest::qWaitFor([this] { return m_rig->held.size() == 1; }, kWaitMs));
        m_rig->release();
    }
    QCOMPARE(receiveToEnd(client.get()), reply);
    QCOMPARE(m_rig->sent, sent);
    QTRY_COMPARE(m_server->clientCount(), 0);
}

void TestRigctlAbuse::timeouts_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("closed");
    QTest::addColumn<int>("takeOvers");

    QTest::newRow("nothing sent: closed") << QByteArray() << QByteArray() << true << 0;
    QTest::newRow("part of a line: closed") << QByteArray("F 70") << QByteArray() << true << 0;
    QTest::newRow("quiet after a complete line: kept")
        << QByteArray("f\n") << QByteArray("145400000\n") << false << 0;
    QTest::newRow("VFO switch not undone: the scan stops")
        << QByteArray("V VFOB\n") << QByteArray("RPRT 0\n") << false << 1;
    QTest::newRow("VFO switch undone: the scan goes on")
        << QByteArray("V VFOB\nV VFOA\n") << QByteArray("RPRT 0\nRPRT 0\n") << false << 0;
}

void TestRigctlAbuse::timeouts()
{
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, reply);
    QFETCH(bool, closed);
    QFETCH(int, takeOvers);

    // Short times in place of the 10 s line timeout and the 3 s VFO switch grace. A client
    // that connects once the row's client is done and says nothing is the clock: when the
    // server has closed it, the row's client has been quiet for a line timeout and the
    // grace is over.
    const std::chrono::milliseconds lineTimeout(300);
    m_server->setLineTimeout(lineTimeout);
    m_server->dispatcher()->setVfoSwitchGrace(lineTimeout / 3);
    auto client = connectTo(*m_server);
    QVERIFY(client->waitForConnected(kWaitMs));
    client->write(request);
    QByteArray received;
    QVERIFY(QTest::qWaitFor([&] { return (received += client->readAll()).size() >= reply.size(); },
                            kWaitMs));
    QCOMPARE(received, reply);

    auto clock = connectTo(*m_server);
    QVERIFY(waitClosed(clock.get()));
    QCOMPARE(m_rig->takeOvers, takeOvers);
    if (closed) {
        QVERIFY(waitClosed(client.get()));
    } else {
        // Still served.
        client->write("\\get_powerstat\n");
        QByteArray answer;
        (void)QTest::qWaitFor([&] { return (answer += client->readAll()).endsWith('\n'); },
                              kWaitMs);
        QCOMPARE(answer, QByteArray("1\n"));
    }
    QTRY_COMPARE(m_server->clientCount(), closed ? 0 : 1);
}

void TestRigctlAbuse::noReplyLaterThanAdvertised()
{
    // A silent radio: each request is given up after the radio's answer time. Four clients
    // set at once; the ones whose turn could not come in time answer at once.
    m_rig->nextOutcome = RigControl::Outcome::Timeout;
    m_rig->delay = m_rig->answerTime;
    std::vector<std::unique_ptr<QTcpSocket>> clients;
    for (int i = 0; i < 4; ++i) {
        clients.push_back(connectTo(*m_server));
        QVERIFY(clients.back()->waitForConnected(kWaitMs));
    }
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    for (auto& client : clients)
        client->write("F 7074000\n");
    std::vector<QByteArray> replies(clients.size());
    std::vector<qint64> afterMs(clients.size(), -1);
    QVERIFY(QTest::qWaitFor(
        [&] {
            for (std::size_t i = 0; i < clients.size(); ++i) {
                replies[i] += clients[i]->readAll();
                if (afterMs[i] < 0 && replies[i].endsWith('\n'))
                    afterMs[i] =
                        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start)
                            .count();
            }
            return std::all_of(afterMs.cbegin(), afterMs.cend(), [](qint64 ms) { return ms >= 0; });
        },
        kWaitMs));
    for (std::size_t i = 0; i < clients.size(); ++i) {
        QCOMPARE(replies[i], QByteArray("RPRT -5\n"));
        QVERIFY2(afterMs[i] < rigctl::kClientTimeoutMs, qPrintable(QString::number(afterMs[i])));
    }
    // Two went to the radio one after the other; the others were never sent.
    QCOMPARE(m_rig->sent, (QStringList{"F 7074000", "F 7074000"}));
}

void TestRigctlAbuse::allowList_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("peer");
    QTest::addColumn<bool>("allowed");

    QTest::newRow("this computer, always") << "10.0.0.7"
                                           << "127.0.0.1" << true;
    QTest::newRow("this computer, IPv6") << "10.0.0.7"
                                         << "::1" << true;
    QTest::newRow("another loopback address") << "127.0.0.1"
                                              << "127.0.0.2" << false;
    QTest::newRow("listed") << " 10.0.0.7 ,127.0.0.2"
                            << "127.0.0.2" << true;
    QTest::newRow("next to a listed one") << "10.0.0.7"
                                          << "10.0.0.8" << false;
    QTest::newRow("in a range") << "192.168.1.0/24"
                                << "192.168.1.200" << true;
    QTest::newRow("outside it") << "192.168.1.0/24"
                                << "192.168.2.1" << false;
    QTest::newRow("IPv4 on an IPv6 socket") << "192.168.1.0/24"
                                            << "::ffff:192.168.1.9" << true;
    QTest::newRow("IPv6 range") << "fd00::/8"
                                << "fd12:3456::1" << true;
    QTest::newRow("outside the IPv6 range") << "fd00::/8"
                                            << "fe80::1" << false;
    QTest::newRow("a host name is no entry") << "radio.example.org"
                                             << "" << false;
    QTest::newRow("prefix too long") << "192.168.1.0/33"
                                     << "" << false;
    QTest::newRow("a bare number is no entry") << "10"
                                               << "" << false;
}

void TestRigctlAbuse::allowList()
{
    QFETCH(QString, list);
    QFETCH(QString, peer);
    QFETCH(bool, allowed);
    QString error;
    const std::optional<AllowList> parsed = AllowList::parse(list, &error);
    if (peer.isEmpty()) {
        QVERIFY(!parsed);
        QVERIFY2(error.contains(list.trimmed()), qPrintable(error));
        return;
    }
    QVERIFY2(parsed, qPrintable(error));
    QCOMPARE(parsed->allows(QHostAddress(peer)), allowed);
}

void TestRigctlAbuse::otherHostRefused()
{
    // 127.0.0.2 stands for another computer.
    QString error;
    m_server->setAllowList(*AllowList::parse(QStringLiteral("127.0.0.1"), &error));
    QSignalSpy refused(m_server.get(), &RigctlServer::refusedCountChanged);
    auto stranger = connectTo(*m_server, QHostAddress(QStringLiteral("127.0.0.2")));
    stranger->write("F 7074000\n");
    QCOMPARE(receiveToEnd(stranger.get()), QByteArray());
    QTRY_COMPARE(m_server->refusedCount(), 1);
    QCOMPARE(refused.size(), 1);

    auto local = connectTo(*m_server, QHostAddress(QHostAddress::LocalHost));
    QCOMPARE(askFrequency(local.get()), QByteArray("145400000\n"));
    QVERIFY(m_rig->sent.isEmpty());
    QCOMPARE(m_server->clientCount(), 1);

    // The same over IPv6 loopback.
    RigctlServer v6(m_rig.get());
    v6.setAllowList(*AllowList::parse(QStringLiteral("127.0.0.1"), &error));
    QVERIFY2(v6.listen(QHostAddress::LocalHostIPv6, 0, &error), qPrintable(error));
    auto local6 = connectTo(v6);
    QCOMPARE(askFrequency(local6.get()), QByteArray("145400000\n"));
    QCOMPARE(v6.refusedCount(), 0);
}

QTEST_GUILESS_MAIN(TestRigctlAbuse)
#include "tst_rigctlabuse.moc"
