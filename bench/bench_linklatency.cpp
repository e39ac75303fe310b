// Latency from the last byte of a frame written on the pseudo-terminal to the link's
// frameReceived signal, over 1000 frames: p50, p99 and largest. A writer thread plays
// the radio on the master side, a frame every few milliseconds, so the link's thread is
// idle in its event loop when each frame arrives, as in the program.

#include "benchfigures.h"
#include "link/seriallink.h"

#include <QCoreApplication>
#include <QHash>
#include <QTimer>

#include <pty.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kFrames = 1000;
constexpr auto kSpacing = std::chrono::milliseconds(5);
constexpr auto kGiveUp = std::chrono::seconds(60);

/** Frame i: a frequency announce whose lowest BCD bytes carry i (0..9999). */
QByteArray frameNumber(int i)
{
    auto bcd = [](int value) { return static_cast<char>((value / 10) * 16 + value % 10); };
    QByteArray frame = QByteArray::fromHex("FEFE004800");
    frame += bcd(i % 100);
    frame += bcd(i / 100);
    frame += QByteArray::fromHex("404501FD");
    return frame;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int master = -1;
    int slave = -1;
    char name[256] = {};
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0) {
        std::perror("openpty");
        return 1;
    }
    SerialLink link;
    AppError error;
    if (!link.open(QString::fromLocal8Bit(name), &error)) {
        std::fprintf(stderr, "open %s: %d %s\n", name, error.number, qPrintable(error.text));
        return 1;
    }

    std::vector<QByteArray> frames;
    QHash<QString, int> indexOf;
    for (int i = 0; i < kFrames; ++i) {
        frames.push_back(frameNumber(i));
        indexOf.insert(QString::fromLatin1(frames.back().toHex().toUpper()), i);
    }
    std::vector<Clock::time_point> sentAt(kFrames);
    std::vector<Clock::time_point> receivedAt(kFrames);
    int received = 0;
    QObject::connect(&link, &SerialLink::frameReceived, &app, [&](const QString& frameText) {
        const auto now = Clock::now();
        const int i = indexOf.value(frameText, -1);
        if (i >= 0 && receivedAt[i] == Clock::time_point{}) {
            receivedAt[i] = now;
            if (++received == kFrames)
                app.quit();
        }
    });
    QTimer::singleShot(kGiveUp, &app, &QCoreApplication::quit);

    std::thread radio([&] {
        for (int i = 0; i < kFrames; ++i) {
            std::this_thread::sleep_for(kSpacing);  // the radio's side, not the link's
            if (::write(master, frames[i].constData(), frames[i].size()) != frames[i].size())
                std::perror("write");
            sentAt[i] = Clock::now();
        }
    });
    app.exec();
    radio.join();

    std::vector<double> latencies;
    for (int i = 0; i < kFrames; ++i) {
        if (receivedAt[i] != Clock::time_point{})
            latencies.push_back(
                std::chrono::duration<double, std::micro>(receivedAt[i] - sentAt[i]).count());
    }
    std::printf(
        "pty -> frameReceived latency over %zu of %d frames: p50 %.0f us, p99 %.0f us, "
        "max %.0f us\n",
        latencies.size(), kFrames, bench::percentile(latencies, 0.5),
        bench::percentile(latencies, 0.99), bench::percentile(latencies, 1.0));
    link.close();
    ::close(slave);
    ::close(master);
    return received == kFrames ? 0 : 1;
}
