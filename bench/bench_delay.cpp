// How much longer than asked Delay(0.2) waits: mean and largest overshoot over 20 runs,
// and the CPU time the process used meanwhile.

#include "common/delay.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>

namespace {

constexpr int kRuns = 20;
constexpr double kPause = 0.2;

double cpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    double sum = 0;
    double largest = 0;
    double smallest = 1e9;
    const double cpuBefore = cpuSeconds();
    for (int run = 0; run < kRuns; ++run) {
        const auto start = std::chrono::steady_clock::now();
        Delay(kPause);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        const double error = took.count() - kPause;
        sum += error;
        largest = std::max(largest, error);
        smallest = std::min(smallest, error);
    }
    const double cpu = cpuSeconds() - cpuBefore;
    std::printf("Delay(%.1f) over %d runs: error mean %.3f ms, min %.3f ms, max %.3f ms\n", kPause,
                kRuns, sum / kRuns * 1e3, smallest * 1e3, largest * 1e3);
    std::printf("CPU time during %.1f s of waiting: %.2f ms\n", kRuns * kPause, cpu * 1e3);
    return smallest < 0 ? 1 : 0;  // returning early would be a fault
}
