// What the benchmark programs share: processor-time clocks (a busy machine
// makes a run wait, which is not the cost measured), the median of a set of
// runs, a record of failed requirements, and the instructions callgrind
// counts in a run of the program's own phases.
#pragma once

#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
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

// This program's path, for runs of its phases in other processes.
inline std::string SelfPath() {
    char exe[4096];
    const ssize_t n = readlink("/proc/self/exe", exe, sizeof(exe) - 1);
    return n > 0 ? std::string(exe, static_cast<size_t>(n)) : std::string();
}

// The instructions callgrind counts inside the functions `toggle` matches
// (--toggle-collect) when this program runs with `args` in a fresh
// process; -1 when it cannot run.
inline long long CallgrindInstructions(const std::string& toggle, const std::string& args) {
    const std::string cmd = "valgrind --tool=callgrind --callgrind-out-file=/dev/null --toggle-collect='" + toggle +
                            "' '" + SelfPath() + "' " + args + " 2>&1 >/dev/null";
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return -1;
    long long count = -1;
    char line[1024];
    while (std::fgets(line, sizeof line, p))
        if (const char* at = std::strstr(line, "Collected : ")) count = std::atoll(at + 12);
    return pclose(p) == 0 ? count : -1;
}

}  // namespace kiln::bench
