// What reading a radio costs and gives: the window (offscreen, POLL=auto, STARTUP=reset)
// against corvane-sim, once with the radio's CI-V transceive off and once with it on.
//   knob -> display   time from a front-panel frequency change on the radio to the window's
//                     frequency label showing it (p50 and worst of the turns)
//   frames at rest    frames the radio receives per second when nobody does anything
//                     (counted in corvane-sim's log)
//   idle CPU          the window's process CPU time over the idle period, in percent of one
//                     core
//
//   bench_polling [idle seconds]      (default 30; the knob is turned 10 times)

#include "benchfigures.h"
#include "radio/radiocommands.h"
#include "settings/apppath.h"
#include "settings/inifile.h"
#include "support/cputime.h"
#include "support/simprocess.h"
#include "ui/f706.h"
#include "ui/messagebox.h"

#include <QApplication>
#include <QEventLoop>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kTurns = 10;
constexpr int kRestSeconds = 10;
constexpr int kGiveUpMs = 30'000;

/** Runs events until done() or the give-up time; true when done. */
template <typename Done>
bool waitUntil(Done done, int timeoutMs = kGiveUpMs)
{
    return bench::waitUntil(done, timeoutMs);
}

/** Runs events for the whole time, without spinning. */
void idleFor(std::chrono::milliseconds time)
{
    QEventLoop loop;
    QTimer::singleShot(time, &loop, &QEventLoop::quit);
    loop.exec();
}

/** 7001000 -> "7.001.000", as the display shows it. */
QString displayText(quint64 hz)
{
    return QStringLiteral("%1.%2.%3")
        .arg(hz / 1'000'000)
        .arg(hz / 1000 % 1000, 3, 10, QLatin1Char('0'))
        .arg(hz % 1000, 3, 10, QLatin1Char('0'));
}

bool run(bool transceive, int idleSeconds)
{
    SimProcess sim;
    if (!sim.start({QStringLiteral("--transceive"),
                    transceive ? QStringLiteral("on") : QStringLiteral("off")})) {
        std::fprintf(stderr, "corvane-sim: %s\n", qPrintable(sim.errorString()));
        return false;
    }
    QTemporaryDir dir;
    const QString appPath = withTrailingSeparator(dir.path());
    if (!WriteINI(settingsFilePath(appPath), QStringLiteral("SETTINGS"), QStringLiteral("COM2"),
                  sim.devicePath()))
        return false;
    F706 window(appPath);
    AppError error;
    if (!window.Form_Load(&error)) {
        std::fprintf(stderr, "start-up: %s\n", qPrintable(error.text));
        return false;
    }
    auto* freq = window.findChild<QLabel*>(QStringLiteral("Freq"));
    if (!waitUntil([&] { return window.radioCommands()->idle() && !freq->text().isEmpty(); }))
        return false;

    std::vector<double> millis;
    for (int turn = 0; turn < kTurns; ++turn) {
        const QString shown = displayText(7'000'000 + 1000 * quint64(turn));
        const Clock::time_point start = Clock::now();
        sim.command(QStringLiteral("freq %1").arg(7'000'000 + 1000 * turn));
        if (!waitUntil([&] { return freq->text() == shown; })) {
            std::fprintf(stderr, "the display never showed %s\n", qPrintable(shown));
            return false;
        }
        millis.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        // The next turn comes at another moment of the polling period.
        idleFor(std::chrono::milliseconds(137 * (turn + 1) % 1000));
    }

    waitUntil([&] { return window.radioCommands()->idle(); });
    sim.clearFrames();
    idleFor(std::chrono::seconds(kRestSeconds));
    const double framesPerSecond = double(sim.frames().size()) / kRestSeconds;

    const double cpuBefore = support::cpuMs();
    idleFor(std::chrono::seconds(idleSeconds));
    const double cpuPercent = (support::cpuMs() - cpuBefore) / (idleSeconds * 1000.0) * 100.0;

    std::printf(
        "transceive %-3s  knob -> display p50 %7.1f ms  worst %7.1f ms   "
        "frames at rest %.1f/s   idle CPU %.3f %% (%d s)\n",
        transceive ? "on" : "off", bench::percentile(millis, 0.5),
        *std::max_element(millis.begin(), millis.end()), framesPerSecond, cpuPercent, idleSeconds);
    std::fflush(stdout);
    return true;
}

}  // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int idleSeconds = argc > 1 ? std::max(1, QString::fromLatin1(argv[1]).toInt()) : 30;
    setMessageHandler([](const MessageRequest& request) {
        std::fprintf(stderr, "message: %s\n", qPrintable(request.text));
        return QMessageBox::Ok;
    });
    std::printf("POLL=auto, STARTUP=reset, answer bound %lld ms at 9600 baud\n",
                static_cast<long long>(RadioCommands::answerBoundFor(9600).count()));
    const bool ok = run(false, idleSeconds) && run(true, idleSeconds);
    return ok ? 0 : 1;
}
