// What the benchmark programs share: processor-time clocks (a busy machine
// makes a run wait, which is not the cost measured), the median of a set of
// runs, a record of failed requirements, a folder of each run's own, the
// instructions callgrind counts in a run of the program's own phases, and
// the verdict on a ratio, which rests on those counts where valgrind runs.
#pragma once

#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <system_error>
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

// A folder of this run's own, made fresh (mkdtemp) under `base` or else the
// system's temporary folder ($TMPDIR), so that two runs at once never share a
// file; removed with what it holds at the end, unless KILN_BENCH_KEEP is set
// (to profile a phase on its files). A folder that cannot be made ends the
// program.
class RunFolder {
public:
    explicit RunFolder(const std::string& name, std::string base = std::string()) {
        std::error_code ec;
        if (base.empty()) base = std::filesystem::temp_directory_path(ec).string();
        std::string pattern = (base.empty() ? std::string("/tmp") : base) + "/" + name + "_XXXXXX";
        if (!mkdtemp(pattern.data())) {
            std::fprintf(stderr, "failed: cannot make a folder %s\n", pattern.c_str());
            std::exit(1);
        }
        m_path = pattern;
    }
    ~RunFolder() {
        std::error_code ec;
        if (!std::getenv("KILN_BENCH_KEEP")) std::filesystem::remove_all(m_path, ec);
    }
    RunFolder(const RunFolder&) = delete;
    RunFolder& operator=(const RunFolder&) = delete;
    const std::string& Path() const { return m_path; }
    std::string operator/(const std::string& file) const { return m_path + "/" + file; }

private:
    std::string m_path;
};

// Runs `work` as the one function a count is taken in: a phase run for
// CountedInstructions does its measured work through here, and nothing else
// of it does.
[[gnu::noinline]] inline void Counted(const std::function<void()>& work) { work(); }

// The instructions callgrind counts inside Counted() when this program runs
// with `args` in a fresh process; -1 when it cannot run. A phase is run once
// however many verdicts use its count.
inline long long CountedInstructions(const std::string& args) {
    static std::map<std::string, long long> counted;
    auto at = counted.find(args);
    if (at == counted.end()) at = counted.emplace(args, CallgrindInstructions("kiln::bench::Counted(*", args)).first;
    return at->second;
}

// Whether valgrind runs on this machine (asked once).
inline bool ValgrindPresent() {
    static const bool present = std::system("valgrind --version >/dev/null 2>&1") == 0;
    return present;
}

// The verdict on `what`: the second figure at most `limit` times the first.
// Where valgrind runs, the figures are the instructions counted in Counted()
// in two phase runs of this program (`argsA`, `argsB`), each in a fresh
// process, and the times (`timeA`, `timeB`, seconds) are printed beside them;
// a machine's load changes times, never counts. Elsewhere the times decide.
// A missed limit, or a count that could not be taken, fails the program.
inline bool Verdict(const std::string& what, double limit, double timeA, double timeB, const std::string& argsA,
                    const std::string& argsB) {
    const double timeRatio = timeA > 0 ? timeB / timeA : 0;
    bool ok = false;
    if (ValgrindPresent()) {
        const long long a = CountedInstructions(argsA), b = CountedInstructions(argsB);
        if (a <= 0 || b <= 0) {
            std::printf("verdict %s: callgrind did not run (phases '%s', '%s')\n", what.c_str(), argsA.c_str(),
                        argsB.c_str());
        } else {
            const double ratio = static_cast<double>(b) / static_cast<double>(a);
            ok = ratio <= limit;
            std::printf("verdict %s: instructions %.1f M and %.1f M, ratio %.2f (at most %.2f)%s; times %.3f s and "
                        "%.3f s, ratio %.2f\n",
                        what.c_str(), a / 1e6, b / 1e6, ratio, limit, ok ? "" : " MISSED", timeA, timeB, timeRatio);
        }
    } else {
        ok = timeRatio <= limit;
        std::printf("verdict %s: times %.3f s and %.3f s, ratio %.2f (at most %.2f)%s; no valgrind, no counts\n",
                    what.c_str(), timeA, timeB, timeRatio, limit, ok ? "" : " MISSED");
    }
    std::fflush(stdout);  // seen as it comes, also in a file, while the next phase runs
    Require(ok, what.c_str());
    return ok;
}

}  // namespace kiln::bench
