// Bad input from the network is normal input: junk, a megabyte line, a client that never
// reads, a thousand connections opened and dropped, more clients than allowed, a client
// gone mid-request. Through all of it a well-behaved client stays served, nothing reaches
// the radio that was not asked for, and the server's memory stays bounded.

#include "fakerig.h"
#include "net/rigctlserver.h"
#include "net/rigctlsession.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTcpSocket>
#include <QTest>

#include <memory>

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

std::unique_ptr<QTcpSocket> connectTo(const RigctlServer& server)
{
    auto client = std::make_unique<QTcpSocket>();
    client->connectToHost(QHostAddress::LocalHost, server.port());
    return client;
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

    // A client that asks and never reads: closed once its unread replies pass the limit.
    auto deaf = connectTo(*m_server);
    deaf->setReadBufferSize(16);
    QByteArray requests;
    for (int i = 0; i < 20'000; ++i)
        requests += "\\dump_state\n";
    deaf->write(requests);
    QVERIFY(waitClosed(deaf.get()));

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
    std::vector<std::unique_ptr<QTcpSocket>> clients;
    for (int i = 0; i < RigctlServer::kMaxClients; ++i) {
        clients.push_back(connectTo(*m_server));
        QCOMPARE(askFrequency(clients.back().get()), QByteArray("145400000\n"));
    }
    auto extra = connectTo(*m_server);
    QVERIFY(waitClosed(extra.get()));
    QCOMPARE(m_server->clientCount(), RigctlServer::kMaxClients);

    clients.front()->write("q\n");
    QVERIFY(waitClosed(clients.front().get()));
    QVERIFY(QTest::qWaitFor(
        [this] { return m_server->clientCount() == RigctlServer::kMaxClients - 1; }, kWaitMs));
    auto next = connectTo(*m_server);
    QCOMPARE(askFrequency(next.get()), QByteArray("145400000\n"));
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

QTEST_GUILESS_MAIN(TestRigctlAbuse)
#include "tst_rigctlabuse.moc"
