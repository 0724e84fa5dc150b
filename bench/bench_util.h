#pragma once
// Small helpers shared by the benchmarks: timing by repetition, peak memory, and the verdict lines.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

namespace qb::bench {

/** The time one call took: wall-clock seconds, and the CPU seconds of the process (user and system). On a busy
 *  machine the CPU time shows the work done, unaffected by waiting for a core. */
struct Timing {
    double wall = 0;
    double cpu = 0;
};

inline double processCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

/** Times one call of f. */
template <typename F> Timing timed(F&& f) {
    const double cpuStart = processCpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    f();
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
            processCpuSeconds() - cpuStart};
}

/** The median of some timings. */
inline double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n == 0 ? 0.0 : (n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2);
}

/** The peak resident set size of this process so far, in KiB (VmHWM of /proc/self/status). */
inline long peakResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6));
    }
    return -1;
}

/** Prints one measured figure against its target; returns whether it passed. */
inline bool verdict(const char* what, double value, double limit, const char* unit) {
    const bool pass = value <= limit;
    std::printf("%-58s %9.3f%s  (target <= %.3f%s)  %s\n", what, value, unit, limit, unit, pass ? "PASS" : "FAIL");
    return pass;
}

} // namespace qb::bench
