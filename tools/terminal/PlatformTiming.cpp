// Times the platform's waits with the real clock, for tools/terminal/measure.py.
//   vaultreach_platform_timing pause COUNT NOMINAL
//     COUNT pauses of NOMINAL ms with the game's jitter; prints how long each ran past the
//     first moment its rule let it end (the first tick past its limit; p50, p99, max, in ms)
//     and the processor time used as a share of the wall time.
//   vaultreach_platform_timing shake COUNT RESULTS
//     Sets up the console on standard output (a terminal) and shakes it COUNT times, writing
//     how long each shake took (ms, one a line) to the file RESULTS.

#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <random>
#include <string>
#include <vector>

#include "platform/Console.h"
#include "platform/Random.h"

namespace {

double NowMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
}

double CpuMs() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
}

double Percentile(std::vector<double> values, double share) {
    std::sort(values.begin(), values.end());
    const std::size_t at = static_cast<std::size_t>(share * static_cast<double>(values.size() - 1));
    return values[at];
}

int TimePauses(int count, int nominal) {
    gRandom.seed(static_cast<unsigned>(std::time(nullptr)));
    std::vector<double> overshoots;
    const double cpuBefore = CpuMs();
    const double wallBefore = NowMs();
    for (int i = 0; i < count; ++i) {
        std::mt19937 copy = gRandom;
        const std::uint32_t r = copy();
        const int jitter = gPauseJitter;
        const double limit =
            nominal + 1 + static_cast<double>(r % static_cast<unsigned>(jitter)) - jitter / 2;
        // The wait may end at the first tick past the limit: the tick is whole milliseconds of
        // the monotonic clock, so that moment is a millisecond boundary. A jitter that takes the
        // limit below zero lets the pause end at once: it cannot end before it began.
        const double began = NowMs();
        const double allowed = std::max(began, std::floor(began) + limit + 1);
        Pause(nominal);
        overshoots.push_back(NowMs() - allowed);
    }
    const double wall = NowMs() - wallBefore;
    const double cpu = CpuMs() - cpuBefore;
    std::printf("pauses: %d of %d ms, %.1f s in all\n", count, nominal, wall / 1000);
    std::printf(
        "overshoot past the first tick after the limit: p50 %.3f ms, p99 %.3f ms, max %.3f ms\n",
        Percentile(overshoots, 0.5), Percentile(overshoots, 0.99), Percentile(overshoots, 1.0));
    std::printf("processor time: %.1f ms, %.2f%% of the wall time\n", cpu, 100 * cpu / wall);
    return 0;
}

int TimeShakes(int count, const char* results) {
    if (InitConsole("Vaultreach shake timing") == nullptr) {
        return 1;
    }
    std::FILE* out = std::fopen(results, "w");
    if (out == nullptr) {
        return 1;
    }
    for (int i = 0; i < count; ++i) {
        const double start = NowMs();
        ShakeScreen();
        std::fprintf(out, "%.1f\n", NowMs() - start);
    }
    std::fclose(out);
    Sys_RestoreConsole();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "pause" && argc == 4) {
        return TimePauses(std::atoi(argv[2]), std::atoi(argv[3]));
    }
    if (mode == "shake" && argc == 4) {
        return TimeShakes(std::atoi(argv[2]), argv[3]);
    }
    std::fprintf(stderr, "usage: %s pause COUNT NOMINAL | shake COUNT RESULTS\n", argv[0]);
    return 2;
}
