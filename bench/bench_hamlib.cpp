// What the Hamlib backend costs and gives, with Hamlib's IC-706MKIIG backend (model 3011)
// driving corvane-sim at 0x58, polling once a second, and the remote backend against
// Hamlib's rigctld -m 1 on 127.0.0.1:
//   change -> poll    time from a front-panel frequency change on the radio to the poll
//                     hearing it (p50 and worst of the turns)
//   idle CPU          this process's CPU time (the worker thread included) while polling at
//                     1 s, in percent of one core
//   set round trip    time from setFrequency() to its completion, serial and remote (p50, worst)
//   stall             worst lateness of a 10 ms timer on the event loop while Hamlib waits on
//                     a silent radio (polls and requests timing out)
//
//   bench_hamlib [idle seconds]      (default 20; the knob is turned 10 times)

#include "hamlib/hamlibdebug.h"
#include "hamlib/hamlibradio.h"
#include "support/cputime.h"
#include "support/simprocess.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kTurns = 10;
constexpr int kGiveUpMs = 30'000;

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

void idleFor(std::chrono::milliseconds time)
{
    QEventLoop loop;
    QTimer::singleShot(time, &loop, &QEventLoop::quit);
    loop.exec();
}

double ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

void printSpread(const char* what, std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    if (values.empty()) {
        std::printf("%-34s no samples\n", what);
        return;
    }
    std::printf("%-34s p50 %7.1f ms   worst %7.1f ms   (%zu)\n", what, values[values.size() / 2],
                values.back(), values.size());
}

bool open(HamlibRadio& radio, const HamlibTarget& target)
{
    bool failed = false;
    QObject::connect(&radio, &HamlibRadio::openFailed, &radio, [&](const AppError& error) {
        std::fprintf(stderr, "open failed: %s\n", qPrintable(error.text));
        failed = true;
    });
    radio.open(target);
    return waitUntil(
               [&] { return failed || radio.connection() == HamlibRadio::Connection::Open; }) &&
           !failed;
}

std::vector<double> setRoundTrips(HamlibRadio& radio)
{
    std::vector<double> times;
    for (int i = 0; i < 20; ++i) {
        bool done = false;
        const auto start = Clock::now();
        radio.setFrequency(7'000'000 + quint64(i) * 1000,
                           [&](HamlibRadio::Answer) { done = true; });
        if (!waitUntil([&] { return done; }))
            break;
        times.push_back(ms(Clock::now() - start));
    }
    return times;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int idleSeconds = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 20;
    HamlibLog::setLevel(HamlibLog::Level::None);

    SimProcess sim;
    if (!sim.start({QStringLiteral("--address"), QStringLiteral("88")})) {
        std::fprintf(stderr, "corvane-sim: %s\n", qPrintable(sim.errorString()));
        return 1;
    }
    HamlibRadio radio;
    quint64 lastHeard = 0;
    QObject::connect(&radio, &HamlibRadio::heard, &radio, [&](const HamlibReading& reading) {
        if (reading.frequencyHz)
            lastHeard = *reading.frequencyHz;
    });
    if (!open(radio, {3011, sim.devicePath(), 9600}))
        return 1;
    std::printf("Hamlib %s, model 3011 on corvane-sim at 9600 baud, POLL 1 s\n",
                qPrintable(radio.capabilities()->modelName));

    std::vector<double> knob;
    for (int turn = 0; turn < kTurns; ++turn) {
        const quint64 hz = 14'000'000 + quint64(turn) * 1000;
        const auto start = Clock::now();
        sim.command(QStringLiteral("freq %1").arg(hz));
        if (!waitUntil([&] { return lastHeard == hz; }))
            break;
        knob.push_back(ms(Clock::now() - start));
    }
    printSpread("change on the radio -> poll", knob);

    const double cpuBefore = support::cpuMs();
    const auto idleStart = Clock::now();
    idleFor(std::chrono::seconds(idleSeconds));
    const double cpuPercent = 100.0 * (support::cpuMs() - cpuBefore) / ms(Clock::now() - idleStart);
    std::printf("%-34s %7.2f %% of one core over %d s\n", "idle CPU, polling at 1 s", cpuPercent,
                idleSeconds);

    printSpread("set frequency, serial 3011", setRoundTrips(radio));

    // A silent radio: polls every 200 ms and a request every 100 ms, all timing out.
    radio.setPollPeriod(std::chrono::milliseconds(200));
    sim.command(QStringLiteral("silent on"));
    qint64 worstLate = 0;
    {
        QElapsedTimer clock;
        QTimer probe;
        probe.setTimerType(Qt::PreciseTimer);
        QObject::connect(&probe, &QTimer::timeout, &probe, [&] {
            worstLate = std::max(worstLate, clock.restart() - 10);
            if (radio.pendingCount() < 5)
                radio.readFrequency();
        });
        clock.start();
        probe.start(10);
        idleFor(std::chrono::seconds(5));
    }
    std::printf("%-34s %7lld ms worst lateness of a 10 ms timer over 5 s\n", "stall, silent radio",
                static_cast<long long>(worstLate));
    sim.command(QStringLiteral("silent off"));
    const auto closeStart = Clock::now();
    radio.close();
    std::printf("%-34s %7.1f ms\n", "close() with requests queued", ms(Clock::now() - closeStart));

    const QString rigctldPath = QStandardPaths::findExecutable(QStringLiteral("rigctld"));
    if (rigctldPath.isEmpty())
        return 0;
    QTcpServer free;
    free.listen(QHostAddress::LocalHost, 0);
    const quint16 port = free.serverPort();
    free.close();
    QProcess rigctld;
    rigctld.start(rigctldPath,
                  {QStringLiteral("-m"), QStringLiteral("1"), QStringLiteral("-T"),
                   QStringLiteral("127.0.0.1"), QStringLiteral("-t"), QString::number(port)});
    HamlibRadio remote;
    bool opened = false;
    for (int attempt = 0; attempt < 50 && !opened; ++attempt) {  // until rigctld listens
        idleFor(std::chrono::milliseconds(100));
        opened = open(remote, {2, QStringLiteral("127.0.0.1:%1").arg(port), 0});
    }
    if (opened)
        printSpread("set frequency, remote rigctld -m 1", setRoundTrips(remote));
    remote.close();
    rigctld.kill();
    rigctld.waitForFinished();
    return 0;
}
