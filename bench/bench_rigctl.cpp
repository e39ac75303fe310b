// The rigctld protocol, Corvane's server driving corvane-sim beside Hamlib's own
// `rigctld -m 3011` (IC-706MKII) driving a corvane-sim of its own, when installed:
//   f, F      request -> answer latency, p50 and p99 (f: Corvane answers from the radio's
//             state; F: 05 over the pseudo-terminal, then FB). One client, one request at a
//             time, each sent when the previous answer's line has arrived.
//   17th      time for a 17th client to connect and have "f" answered while 16 idle
//             connections are open.
//   wsjtx     a WSJT-X-style loop: every second "v s f m t", every 20 s "F", "M PKTUSB -1",
//             "I", "X PKTUSB -1", one command at a time: commands, errors, frames on the line.
//
//   bench_rigctl [count]            (default 1000 reads and 300 sets)
//   bench_rigctl wsjtx [seconds]    (default 180)

#include "benchfigures.h"
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
#include <memory>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kGiveUpMs = 120'000;

/** Runs events until done() or the give-up time; true when done. */
template <typename Done>
bool waitUntil(Done done, int timeoutMs = kGiveUpMs)
{
    return bench::waitUntil(done, timeoutMs);
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
                bench::percentile(micros, 0.5), bench::percentile(micros, 0.99));
}

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

/** Sends one command and waits for its whole reply (a read's lines, or one "RPRT" line);
 *  empty when none came in time. */
QByteArray ask(QTcpSocket* client, const QByteArray& command, int lines)
{
    QByteArray reply;
    client->write(command + '\n');
    waitUntil(
        [&] {
            reply += client->readAll();
            return (reply.startsWith("RPRT") && reply.endsWith('\n')) || reply.count('\n') >= lines;
        },
        10'000);
    return reply;
}

/** A 17th client connects and reads the frequency while 16 idle connections are open. */
void seventeenth(const char* server, quint16 port)
{
    std::vector<std::unique_ptr<QTcpSocket>> idle;
    for (int i = 0; i < 16; ++i) {
        idle.push_back(std::make_unique<QTcpSocket>());
        idle.back()->connectToHost(QHostAddress::LocalHost, port);
        waitUntil([&] { return idle.back()->state() == QAbstractSocket::ConnectedState; }, 10'000);
    }
    waitUntil([] { return false; }, 200);  // the server has taken them all
    const Clock::time_point start = Clock::now();
    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, port);
    waitUntil([&] { return client.state() == QAbstractSocket::ConnectedState; }, 10'000);
    const QByteArray reply = ask(&client, "f", 1);
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    std::printf("%-22s %-26s %s after %.2f ms\n", server, "17th client, 16 idle",
                reply.isEmpty() || reply.startsWith("RPRT") ? "refused" : "served", ms);
}

/** The WSJT-X-style loop for the given seconds over one connection. */
void wsjtxLoop(const char* server, quint16 port, SimProcess* sim, int seconds)
{
    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, port);
    if (!waitUntil([&] { return client.state() == QAbstractSocket::ConnectedState; }, 10'000))
        return;
    sim->clearFrames();
    struct Command {
        QByteArray text;
        int lines;
    };
    const std::vector<Command> poll{{"v", 1}, {"s", 2}, {"f", 1}, {"m", 2}, {"t", 1}};
    const std::vector<Command> sets{
        {"F 14074000", 1}, {"M PKTUSB -1", 1}, {"I 14075500", 1}, {"X PKTUSB -1", 1}};
    int commands = 0;
    int errors = 0;
    QByteArrayList errorTexts;
    const Clock::time_point start = Clock::now();
    for (int second = 0; second < seconds; ++second) {
        std::vector<Command> round = second % 20 == 0 ? sets : std::vector<Command>{};
        round.insert(round.end(), poll.begin(), poll.end());
        for (const Command& command : round) {
            const QByteArray reply = ask(&client, command.text, command.lines);
            ++commands;
            if (reply.isEmpty() || (reply.startsWith("RPRT") && reply != "RPRT 0\n")) {
                ++errors;
                if (errorTexts.size() < 5)
                    errorTexts.append(command.text + " -> " + reply.trimmed());
            }
        }
        const Clock::time_point next = start + std::chrono::seconds(second + 1);
        waitUntil([&] { return Clock::now() >= next; }, 2'000);
    }
    std::printf("%-22s %-26s %d s: %d commands, %d errors, %lld frames on the line\n", server,
                "WSJT-X-style loop", seconds, commands, errors,
                static_cast<long long>(sim->frames().size()));
    for (const QByteArray& text : errorTexts)
        std::printf("%-22s   error: %s\n", "", text.constData());
}

struct Run {
    int reads = 0;
    int sets = 0;
    int wsjtxSeconds = 0;  ///< 0: latency and the 17th client instead
};

void measure(const char* server, quint16 port, SimProcess* sim, const Run& run)
{
    if (run.wsjtxSeconds > 0) {
        wsjtxLoop(server, port, sim, run.wsjtxSeconds);
        return;
    }
    report(server, "F (05 over the pty, FB)", roundTrips(port, alternatingSets(run.sets)));
    report(server, "f", roundTrips(port, repeated("f\n", run.reads)));
    seventeenth(server, port);
}

void benchCorvane(const Run& run)
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
    measure("Corvane + corvane-sim", server.port(), &sim, run);
}

void benchRigctld(const Run& run)
{
    const QString rigctld = QStandardPaths::findExecutable(QStringLiteral("rigctld"));
    if (rigctld.isEmpty()) {
        std::printf("rigctld -m 3011: not installed (Debian package libhamlib-utils)\n");
        return;
    }
    SimProcess sim;
    if (!sim.start()) {
        std::fprintf(stderr, "corvane-sim: %s\n", qPrintable(sim.errorString()));
        return;
    }
    const quint16 port = freePort();
    QProcess process;
    process.start(rigctld, {"-m", "3011", "-r", sim.devicePath(), "-s", "9600", "-c", "0x48", "-T",
                            "127.0.0.1", "-t", QString::number(port)});
    waitUntil(
        [&] {
            QTcpSocket probe;
            probe.connectToHost(QHostAddress::LocalHost, port);
            return probe.waitForConnected(100);
        },
        10'000);
    measure("rigctld -m 3011 + sim", port, &sim, run);
    process.terminate();
    process.waitForFinished(5000);
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    Run run;
    if (argc > 1 && QByteArray(argv[1]) == "wsjtx") {
        run.wsjtxSeconds = argc > 2 ? std::max(1, QByteArray(argv[2]).toInt()) : 180;
    } else {
        run.reads = argc > 1 ? std::max(10, QByteArray(argv[1]).toInt()) : 1000;
        run.sets = std::max(10, run.reads * 3 / 10);
    }
    benchCorvane(run);
    benchRigctld(run);
    return 0;
}
