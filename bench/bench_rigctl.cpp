// Request -> answer latency of the rigctld protocol, p50 and p99, for
//   f  read the frequency (Corvane answers from the radio's state, no frame on the line)
//   F  set the frequency (Corvane: 05 over the pseudo-terminal to corvane-sim, then FB)
// against Corvane's server driving corvane-sim, and against Hamlib's own `rigctld -m 1`
// (the dummy radio) on this machine when it is installed. One client, one request at a
// time, each sent when the previous answer's line has arrived.
//
//   bench_rigctl [count]      (default 1000 reads and 300 sets)

#include "link/seriallink.h"
#include "net/radiorigcontrol.h"
#include "net/rigctlserver.h"
#include "radio/radiocommands.h"
#include "radio/radiostate.h"
#include "support/simprocess.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kGiveUpMs = 120'000;

double percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const auto at = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
    return values.at(at);
}

/** Waits (running events) until done() or the give-up time. */
template <typename Done>
bool waitUntil(Done done, int timeoutMs = kGiveUpMs)
{
    QEventLoop loop;
    QTimer poll;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done() || Clock::now() > deadline)
            loop.quit();
    });
    poll.start(1);
    if (!done())
        loop.exec();
    return done();
}

/** Sends the requests one at a time, each when the previous answer's line came; returns
 *  each round trip in microseconds (empty on failure). */
std::vector<double> roundTrips(quint16 port, const std::vector<QByteArray>& requests)
{
    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, port);
    if (!waitUntil([&] { return client.state() == QAbstractSocket::ConnectedState; }, 10'000))
        return {};
    client.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    std::vector<double> micros;
    std::size_t next = 0;
    Clock::time_point sentAt;
    QByteArray received;
    auto send = [&] {
        sentAt = Clock::now();
        client.write(requests[next]);
    };
    QEventLoop loop;
    QObject::connect(&client, &QTcpSocket::readyRead, &loop, [&] {
        received += client.readAll();
        if (!received.endsWith('\n'))
            return;
        micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - sentAt).count());
        received.clear();
        if (++next == requests.size())
            loop.quit();
        else
            send();
    });
    QObject::connect(&client, &QTcpSocket::disconnected, &loop, &QEventLoop::quit);
    QTimer::singleShot(kGiveUpMs, &loop, &QEventLoop::quit);
    send();
    loop.exec();
    return micros.size() == requests.size() ? micros : std::vector<double>{};
}

std::vector<QByteArray> repeated(const QByteArray& request, int count)
{
    return std::vector<QByteArray>(static_cast<std::size_t>(count), request);
}

std::vector<QByteArray> alternatingSets(int count)
{
    std::vector<QByteArray> requests;
    for (int i = 0; i < count; ++i)
        requests.push_back(i % 2 == 0 ? "F 14074000\n" : "F 7074000\n");
    return requests;
}

void report(const char* server, const char* what, const std::vector<double>& micros)
{
    if (micros.empty()) {
        std::printf("%-22s %-26s failed\n", server, what);
        return;
    }
    std::printf("%-22s %-26s n=%-5zu p50 %9.1f us   p99 %9.1f us\n", server, what, micros.size(),
                percentile(micros, 0.5), percentile(micros, 0.99));
}

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

void benchCorvane(int reads, int sets)
{
    SimProcess sim;
    if (!sim.start()) {
        std::fprintf(stderr, "corvane-sim: %s\n", qPrintable(sim.errorString()));
        return;
    }
    SerialLink link;
    RadioState state;
    RadioCommands commands(&link, &state);
    QString text;
    if (const RadioCommands::Result error = commands.openPort(2, sim.devicePath())) {
        std::fprintf(stderr, "open %s: %s\n", qPrintable(sim.devicePath()),
                     qPrintable(error->text));
        return;
    }
    RadioRigControl rig(&state, &commands);
    RigctlServer server(&rig);
    if (!server.listen(QHostAddress::LocalHost, 0, &text)) {
        std::fprintf(stderr, "%s\n", qPrintable(text));
        return;
    }
    report("Corvane + corvane-sim", "F (05 over the pty, FB)",
           roundTrips(server.port(), alternatingSets(sets)));
    report("Corvane + corvane-sim", "f (from state)",
           roundTrips(server.port(), repeated("f\n", reads)));
}

void benchRigctld(int reads, int sets)
{
    const QString rigctld = QStandardPaths::findExecutable(QStringLiteral("rigctld"));
    if (rigctld.isEmpty()) {
        std::printf("rigctld -m 1: not installed (Debian package libhamlib-utils)\n");
        return;
    }
    const quint16 port = freePort();
    QProcess process;
    process.start(rigctld,
                  {QStringLiteral("-m"), QStringLiteral("1"), QStringLiteral("-T"),
                   QStringLiteral("127.0.0.1"), QStringLiteral("-t"), QString::number(port)});
    waitUntil(
        [&] {
            QTcpSocket probe;
            probe.connectToHost(QHostAddress::LocalHost, port);
            return probe.waitForConnected(100);
        },
        10'000);
    report("rigctld -m 1 (dummy)", "F", roundTrips(port, alternatingSets(sets)));
    report("rigctld -m 1 (dummy)", "f", roundTrips(port, repeated("f\n", reads)));
    process.terminate();
    process.waitForFinished(5000);
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int reads = argc > 1 ? std::max(10, QByteArray(argv[1]).toInt()) : 1000;
    const int sets = std::max(10, reads * 3 / 10);
    benchCorvane(reads, sets);
    benchRigctld(reads, sets);
    return 0;
}
