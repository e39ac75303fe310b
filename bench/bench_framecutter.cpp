// Throughput of the frame cutter: a recorded-looking stream of frequency and mode
// announcements fed in pieces of several sizes (a read of one byte, a typical serial read,
// a large buffer). Prints frames per second and megabytes per second for each size.

#include "link/framecutter.h"

#include <QByteArray>
#include <QRandomGenerator>

#include <chrono>
#include <cstdio>

namespace {

constexpr int kFrames = 200'000;
constexpr int kRounds = 5;

QByteArray makeStream()
{
    const QByteArray announce = QByteArray::fromHex("FEFE0048000000404501FD");
    const QByteArray mode = QByteArray::fromHex("FEFE0048010501FD");
    QRandomGenerator random(1);
    QByteArray stream;
    stream.reserve(kFrames * announce.size());
    for (int i = 0; i < kFrames; ++i)
        stream += random.bounded(2) ? announce : mode;
    return stream;
}

/** Best of kRounds passes over the stream, in seconds; checks every frame came out. */
double bestPass(const QByteArray& stream, qsizetype pieceSize)
{
    double best = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        FrameCutter cutter;
        qsizetype frames = 0;
        const auto start = std::chrono::steady_clock::now();
        for (qsizetype at = 0; at < stream.size(); at += pieceSize) {
            const qsizetype size = std::min(pieceSize, stream.size() - at);
            frames += cutter.feed(QByteArrayView(stream).sliced(at, size)).size();
        }
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        if (frames != kFrames) {
            std::fprintf(stderr, "lost frames: %lld of %d\n", static_cast<long long>(frames),
                         kFrames);
            return -1;
        }
        best = std::min(best, took.count());
    }
    return best;
}

}  // namespace

int main()
{
    const QByteArray stream = makeStream();
    std::printf("frame cutter: %d frames, %lld bytes, best of %d passes\n", kFrames,
                static_cast<long long>(stream.size()), kRounds);
    std::printf("%12s %14s %10s\n", "piece bytes", "frames/s", "MB/s");
    for (const qsizetype piece : {qsizetype(1), qsizetype(32), qsizetype(4096)}) {
        const double seconds = bestPass(stream, piece);
        if (seconds <= 0)
            return 1;
        std::printf("%12lld %14.0f %10.1f\n", static_cast<long long>(piece), kFrames / seconds,
                    static_cast<double>(stream.size()) / seconds / 1e6);
    }
    return 0;
}
