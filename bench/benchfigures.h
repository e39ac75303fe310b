#pragma once

// Helpers the benchmark programs share: a percentile of measured values, and waiting on a
// condition by running events (never spinning) until it holds or time runs out.

#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <vector>

namespace bench {

/** The value at fraction p (0 .. 1) of the sorted values; 0 for none. */
inline double percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const auto at = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
    return values.at(at);
}

/** Runs events until done() or timeoutMs have passed; true when done. */
template <typename Done>
bool waitUntil(Done done, int timeoutMs)
{
    using Clock = std::chrono::steady_clock;
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

}  // namespace bench
