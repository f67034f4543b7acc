// What the benchmark programs share: processor-time clocks (a busy machine
// makes a run wait, which is not the cost measured), the median of a set of
// runs, and a record of failed requirements.
#pragma once

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace kiln::bench {

// Processor time of this process, in milliseconds.
inline double CpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// Processor time of this process, in seconds.
inline double CpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// Processor time of the calling thread, in seconds.
inline double ThreadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// The median of the runs (the upper one of an even count).
inline double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// False once a requirement failed; the program's exit status reports it.
inline bool g_ok = true;

// Reports a failed requirement and goes on, so every figure is still printed.
inline void Require(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "failed: %s\n", what);
    g_ok = false;
}

}  // namespace kiln::bench
