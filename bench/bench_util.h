// What the benchmark programs share: processor-time clocks (a busy machine
// makes a run wait, which is not the cost measured), the median of a set of
// runs, a record of failed requirements and the last line that sums them up,
// the switches every program takes and the reading of its own arguments, a
// folder of each run's own (removed also when the run is interrupted), the
// instructions callgrind counts in a run of the program's own phases, and
// the verdict on a ratio, which rests on those counts where valgrind runs.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cerrno>
#include <cstring>
#include <deque>
#include <filesystem>
#include <functional>
#include <limits>
#include <map>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#define KILN_BENCH_INSTRUMENT 1
#else
#define KILN_BENCH_INSTRUMENT 0
#endif

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

// The requirements that failed, in order, for the last line (Finish).
inline std::vector<std::string> g_failed;

// Reports a failed requirement and goes on, so every figure is still printed.
inline void Require(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "failed: %s\n", what);
    g_ok = false;
    g_failed.emplace_back(what);
}

// The program's last line, its overall verdict, and the exit status that
// says the same: 0 when every requirement was met, else 1.
inline int Finish() {
    std::fflush(stderr);
    if (g_ok) {
        std::printf("verdict: every target met\n");
    } else {
        std::string missed;
        for (const std::string& what : g_failed) missed += (missed.empty() ? "" : "; ") + what;
        std::printf("verdict: MISSED %s\n", missed.empty() ? "a target" : missed.c_str());
    }
    std::fflush(stdout);
    return g_ok ? 0 : 1;
}

// The arguments a program takes besides the shared switches, each declared
// with its name and default: given as name=value, or by place in the order
// declared, as the usage line shows them ("[folder] [runs=7]").
class Args {
public:
    // Returned by Read when the program goes on.
    static constexpr int kGo = -1;

    // `program`: the program's name; `what`: what a run measures, printed
    // after the usage.
    Args(std::string program, std::string what) : m_program(std::move(program)), m_what(std::move(what)) {}

    // A count: a whole number of at least `least`.
    long long& Count(const char* name, long long value, long long least = 1) {
        m_params.push_back(Param{name, true, least, value, std::string(), false});
        return m_params.back().count;
    }
    // A text, such as a folder: shown in the usage as "[name]".
    std::string& Text(const char* name, std::string value = std::string()) {
        m_params.push_back(Param{name, false, 0, 0, std::move(value), false});
        return m_params.back().text;
    }

    // "program [--times] [folder] [runs=7]: what".
    std::string Usage() const {
        std::string line = m_program + " [--times]";
        for (const Param& p : m_params) {
            line.append(" [").append(p.name);
            if (p.isCount) line.append("=").append(std::to_string(p.count));
            line.append("]");
        }
        if (!m_what.empty()) line.append(": ").append(m_what);
        return line;
    }

    // Reads argv[from] to argv[argc - 1]: kGo when the program goes on; 0
    // once --help or -h printed the usage; 2 once a usage error was printed,
    // naming the argument. Defaults are shown in the usage before reading.
    int Read(int argc, char** argv, int from = 1) {
        const std::string usage = Usage();
        for (int i = from; i < argc; ++i)
            if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
                std::printf("usage: %s\n", usage.c_str());
                return 0;
            }
        for (int i = from; i < argc; ++i) {
            const std::string arg = argv[i];
            std::string error = Take(arg);
            if (error.empty()) continue;
            std::fprintf(stderr, "%s: %s\nusage: %s\n", m_program.c_str(), error.c_str(), usage.c_str());
            return 2;
        }
        return kGo;
    }

private:
    struct Param {
        std::string name;
        bool isCount;
        long long least;
        long long count;
        std::string text;
        bool given;
    };

    // Takes one argument; what is wrong with it, empty when nothing is.
    std::string Take(const std::string& arg) {
        const size_t eq = arg.find('=');
        const bool named = eq != std::string::npos && eq > 0 &&
                           std::all_of(arg.begin(), arg.begin() + static_cast<long>(eq), [](char c) {
                               return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
                           });
        Param* p = nullptr;
        std::string value = arg;
        if (named) {
            for (Param& q : m_params)
                if (q.name == arg.substr(0, eq)) p = &q;
            if (!p) return "unknown argument " + arg.substr(0, eq) + " in " + arg;
            if (p->given) return p->name + " given twice";
            value = arg.substr(eq + 1);
        } else {
            if (arg.size() > 1 && arg[0] == '-' && arg.find_first_not_of("0123456789", 1) != std::string::npos)
                return "unknown switch " + arg;
            for (Param& q : m_params)
                if (!p && !q.given) p = &q;
            if (!p) return "unexpected argument " + arg;
        }
        p->given = true;
        if (!p->isCount) {
            if (value.empty()) return p->name + " is empty";
            p->text = value;
            return std::string();
        }
        const size_t sign = !value.empty() && value[0] == '-' ? 1 : 0;
        const bool digits = value.size() > sign && value.find_first_not_of("0123456789", sign) == std::string::npos;
        errno = 0;
        const long long n = digits ? std::strtoll(value.c_str(), nullptr, 10) : 0;
        if (!digits || n < p->least)
            return p->name + "=" + value + " is not a whole number of at least " + std::to_string(p->least);
        if (errno == ERANGE || n > std::numeric_limits<int>::max()) return p->name + "=" + value + " is too large";
        p->count = n;
        return std::string();
    }

    std::string m_program, m_what;
    std::deque<Param> m_params;  // a deque keeps the references Count and Text return
};

// Set by the switch --times: the verdicts rest on the times alone, and no
// phase runs under callgrind (a run of seconds instead of minutes).
inline bool g_timesOnly = false;

// Takes the switches every program shares out of its arguments (each
// program then reads its own through Args) and returns the count left:
//   --times   judge by the times alone, without callgrind.
inline int Switches(int argc, char** argv) {
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--times") == 0) g_timesOnly = true;
        else argv[kept++] = argv[i];
    }
    argv[kept] = nullptr;
    return kept;
}

// This program's path, for runs of its phases in other processes.
inline std::string SelfPath() {
    char exe[4096];
    const ssize_t n = readlink("/proc/self/exe", exe, sizeof(exe) - 1);
    return n > 0 ? std::string(exe, static_cast<size_t>(n)) : std::string();
}

// The instructions callgrind counts when this program runs with `args` in a
// fresh process, under callgrind's `options`; -1 when it cannot run.
inline long long Callgrind(const std::string& options, const std::string& args) {
    const std::string cmd = "valgrind --tool=callgrind --callgrind-out-file=/dev/null " + options + " '" + SelfPath() +
                            "' " + args + " 2>&1 >/dev/null";
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return -1;
    long long count = -1;
    char line[1024];
    while (std::fgets(line, sizeof line, p))
        if (const char* at = std::strstr(line, "Collected : ")) count = std::atoll(at + 12);
    return pclose(p) == 0 ? count : -1;
}

// The instructions callgrind counts inside the functions `toggle` matches
// (--toggle-collect) when this program runs with `args` in a fresh
// process; -1 when it cannot run.
inline long long CallgrindInstructions(const std::string& toggle, const std::string& args) {
    return Callgrind("--toggle-collect='" + toggle + "'", args);
}

namespace detail {

// The run folders to remove when a signal ends the program; an empty slot
// is free. Fixed storage: a signal handler may not allocate.
inline constexpr int kMaxRunFolders = 8;
inline char g_runFolders[kMaxRunFolders][4096];

struct Dirent64 {
    uint64_t ino;
    int64_t off;
    unsigned short reclen;
    unsigned char type;
    char name[1];
};

// Empties the folder open as `dir` (and closes it), through the calls alone
// that a signal handler may make: getdents64, unlinkat, openat, close. A
// pass that removed entries reads the folder again from its start, since
// removing entries while reading moves what is left. Folders deeper than
// `depth` levels are left.
inline void EmptyFolder(int dir, int depth) {
    alignas(8) char buf[2048];
    for (bool removed = true; removed;) {
        removed = false;
        if (lseek(dir, 0, SEEK_SET) != 0) break;
        for (long n; (n = syscall(SYS_getdents64, dir, buf, sizeof buf)) > 0;) {
            for (long at = 0; at < n;) {
                const Dirent64* e = reinterpret_cast<const Dirent64*>(buf + at);
                at += e->reclen;
                const char* name = e->name;
                if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) continue;
                if (unlinkat(dir, name, 0) == 0) {
                    removed = true;
                    continue;
                }
                if (depth <= 0) continue;
                const int sub = openat(dir, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
                if (sub < 0) continue;
                EmptyFolder(sub, depth - 1);
                if (unlinkat(dir, name, AT_REMOVEDIR) == 0) removed = true;
            }
        }
    }
    close(dir);
}

// Removes every registered run folder, then ends the program by the signal
// that came (its action was reset to the default when this handler ran).
inline void RemoveRunFoldersOnSignal(int signal) {
    for (char* path : g_runFolders) {
        if (!path[0]) continue;
        const int dir = open(path, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (dir >= 0) EmptyFolder(dir, 64);
        rmdir(path);
        path[0] = 0;
    }
    raise(signal);
}

// Registers `path` for removal by the signals that end a run from outside
// (Ctrl-C, a hang-up, kill): each signal not ignored gets the handler.
inline void RemoveOnSignal(const std::string& path) {
    for (char* slot : g_runFolders) {
        if (slot[0] || path.size() >= sizeof g_runFolders[0]) continue;
        std::memcpy(slot, path.c_str(), path.size() + 1);
        break;
    }
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
        struct sigaction old {};
        if (sigaction(signal, nullptr, &old) != 0 || old.sa_handler == SIG_IGN) continue;
        struct sigaction act {};
        act.sa_handler = RemoveRunFoldersOnSignal;
        act.sa_flags = SA_RESETHAND;
        sigemptyset(&act.sa_mask);
        sigaction(signal, &act, nullptr);
    }
}

// Takes `path` off the list of folders a signal removes.
inline void KeepOnSignal(const std::string& path) {
    for (char* slot : g_runFolders)
        if (path == slot) slot[0] = 0;
}

}  // namespace detail

// A folder of this run's own, made fresh (mkdtemp) under `base` or else the
// system's temporary folder ($TMPDIR), so that two runs at once never share a
// file; removed with what it holds at the end, and also when Ctrl-C, a
// hang-up or kill ends the run, unless KILN_BENCH_KEEP is set (to profile a
// phase on its files). A folder that cannot be made ends the program.
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
        m_keep = std::getenv("KILN_BENCH_KEEP") != nullptr;
        if (!m_keep) detail::RemoveOnSignal(m_path);
    }
    ~RunFolder() {
        if (m_keep) return;
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
        detail::KeepOnSignal(m_path);
    }
    RunFolder(const RunFolder&) = delete;
    RunFolder& operator=(const RunFolder&) = delete;
    const std::string& Path() const { return m_path; }
    std::string operator/(const std::string& file) const { return m_path + "/" + file; }

private:
    std::string m_path;
    bool m_keep = false;
};

// Runs `work` as the one function a count is taken in: a phase run for
// CountedInstructions does its measured work through here, and nothing else
// of it does.
// With callgrind's header at hand, a phase runs uninstrumented (several
// times faster) but for its counted work, which alone is counted.
[[gnu::noinline]] inline void Counted(const std::function<void()>& work) {
#if KILN_BENCH_INSTRUMENT
    CALLGRIND_START_INSTRUMENTATION;
    work();
    CALLGRIND_STOP_INSTRUMENTATION;
#else
    work();
#endif
}

// The instructions callgrind counts inside Counted() when this program runs
// with `args` in a fresh process; -1 when it cannot run. A phase is run once
// however many verdicts use its count.
inline long long CountedInstructions(const std::string& args) {
    static std::map<std::string, long long> counted;
    auto at = counted.find(args);
    if (at == counted.end()) {
        const char* options = KILN_BENCH_INSTRUMENT ? "--instr-atstart=no" : "--toggle-collect='kiln::bench::Counted(*'";
        at = counted.emplace(args, Callgrind(options, args)).first;
    }
    return at->second;
}

// Whether the verdicts rest on counts: valgrind runs on this machine (asked
// once) and --times was not given.
inline bool CountsDecide() {
    static const bool present = std::system("valgrind --version >/dev/null 2>&1") == 0;
    return !g_timesOnly && present;
}

// Whether a ratio meets its limit: the one comparison of every verdict, on
// the unrounded figures.
inline bool Within(double ratio, double limit) { return ratio <= limit; }

// A ratio and its limit as printed, with `decimals` decimals, more where a
// ratio past its limit would show the limit's figure (2.2004 against 2.2
// shows "2.2004" and "2.2000").
inline std::pair<std::string, std::string> Shown(double ratio, double limit, int decimals = 2) {
    char shown[64], most[64];
    for (; decimals <= 17; ++decimals) {
        std::snprintf(shown, sizeof shown, "%.*f", decimals, ratio);
        std::snprintf(most, sizeof most, "%.*f", decimals, limit);
        if (Within(ratio, limit) || std::strcmp(shown, most) != 0) break;
    }
    return {shown, most};
}

// "ratio 2.10 (at most 2.20)", as Shown prints the figures.
inline std::string RatioText(double ratio, double limit) {
    const auto [shown, most] = Shown(ratio, limit);
    return "ratio " + shown + " (at most " + most + ")";
}

// The lines of the verdict on `what` (the second figure at most `limit`
// times the first) and its decision: by the instruction counts when both
// were taken (`countA`, `countB` > 0; -1 for one that failed, 0 for none
// asked), else by the times (seconds), which meet no limit when either is
// none (nothing was measured). Both judgements are printed where counts
// were taken: counts ignore the machine's load but cannot see a working set
// outgrowing the processor's caches, which only the times show.
inline bool Judge(const std::string& what, double limit, double timeA, double timeB, long long countA,
                  long long countB, std::string& lines) {
    char line[512];
    const bool timed = timeA > 0 && timeB > 0;
    const double timeRatio = timed ? timeB / timeA : 0;
    const bool timesMet = timed && Within(timeRatio, limit);
    const std::string byTimes = timed ? RatioText(timeRatio, limit) : "nothing measured";
    bool ok = timesMet;
    if (countA == 0 && countB == 0) {
        std::snprintf(line, sizeof line, "verdict %s: times %.3f s and %.3f s, %s%s; no counts\n", what.c_str(), timeA,
                      timeB, byTimes.c_str(), timesMet ? "" : " MISSED");
        lines = line;
        return ok;
    }
    if (countA < 0 || countB < 0) {
        std::snprintf(line, sizeof line, "verdict %s: callgrind did not run\n", what.c_str());
        lines = line;
        return false;
    }
    const double ratio = static_cast<double>(countB) / static_cast<double>(countA);
    ok = Within(ratio, limit);
    std::snprintf(line, sizeof line, "verdict %s: instructions %.1f M and %.1f M, %s%s\n", what.c_str(),
                  countA / 1e6, countB / 1e6, RatioText(ratio, limit).c_str(), ok ? "" : " MISSED");
    lines = line;
    std::snprintf(line, sizeof line, "  by the times: %.3f s and %.3f s, %s%s\n", timeA, timeB, byTimes.c_str(),
                  timesMet ? "" : ok ? " MISSED (the counts decide; only the times see the caches)" : " MISSED");
    lines += line;
    return ok;
}

// The verdict on `what`: the second figure at most `limit` times the first.
// Where counts decide, the figures are the instructions counted in Counted()
// in two phase runs of this program (`argsA`, `argsB`), each in a fresh
// process, and the times (`timeA`, `timeB`, seconds) are judged beside them;
// a machine's load changes times, never counts. Elsewhere the times decide.
// A missed limit, or a count that could not be taken, fails the program.
inline bool Verdict(const std::string& what, double limit, double timeA, double timeB, const std::string& argsA,
                    const std::string& argsB) {
    long long a = 0, b = 0;
    if (CountsDecide()) {
        a = CountedInstructions(argsA);
        b = CountedInstructions(argsB);
        if (a <= 0 || b <= 0) a = b = -1;  // a phase that counted nothing did not run
    }
    std::string lines;
    const bool ok = Judge(what, limit, timeA, timeB, a, b, lines);
    std::fputs(lines.c_str(), stdout);
    std::fflush(stdout);  // seen as it comes, also in a file, while the next phase runs
    Require(ok, what.c_str());
    return ok;
}

}  // namespace kiln::bench
