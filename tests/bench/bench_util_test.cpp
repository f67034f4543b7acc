// The benchmark harness as a user meets it: --times keeps callgrind out of a
// run, a verdict shows the counts and the times each with its own word, the
// last line and the exit status say the same, arguments are read as the
// usage shows them, and a run ended by a signal leaves no run folder behind.
#include "bench/bench_util.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace kiln::bench;

TEST(BenchVerdict, TimesSwitchJudgesByTimesAloneAndCountsShowTheTimesBeside) {
    char prog[] = "bench", times[] = "--times", n[] = "400";
    char* argv[] = {prog, times, n, nullptr};
    ASSERT_EQ(Switches(3, argv), 2);
    EXPECT_STREQ(argv[1], "400");
    EXPECT_FALSE(CountsDecide());
    // No phase runs: the phase arguments would start this test program again.
    testing::internal::CaptureStdout();
    const bool met = Verdict("x", 2.0, 1.0, 2.5, "count a", "count b");
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_FALSE(met);
    EXPECT_NE(out.find("ratio 2.50 (at most 2.00) MISSED; no counts"), std::string::npos) << out;
    g_ok = true;

    // Counts met and times missed: both said, the counts deciding.
    std::string lines;
    EXPECT_TRUE(Judge("delete", 2.2, 0.040, 0.104, 100'000'000, 210'000'000, lines));
    EXPECT_EQ(lines, "verdict delete: instructions 100.0 M and 210.0 M, ratio 2.10 (at most 2.20)\n"
                     "  by the times: 0.040 s and 0.104 s, ratio 2.60 (at most 2.20) MISSED (the counts decide; "
                     "only the times see the caches)\n");
    EXPECT_FALSE(Judge("delete", 2.2, 0.040, 0.060, 100'000'000, 230'000'000, lines));
    EXPECT_NE(lines.find("ratio 2.30 (at most 2.20) MISSED\n  by the times: 0.040 s and 0.060 s, ratio 1.50 (at most 2.20)\n"),
              std::string::npos)
        << lines;

    // A ratio past its limit never shows the limit's figure; one at it is met.
    EXPECT_FALSE(Judge("delete", 2.2, 0.040, 0.060, 100'000'000, 220'040'000, lines));
    EXPECT_NE(lines.find("ratio 2.2004 (at most 2.2000) MISSED\n"), std::string::npos) << lines;
    EXPECT_FALSE(Judge("x", 2.2, 1.0, 2.2000001, 0, 0, lines));
    EXPECT_NE(lines.find("ratio 2.2000001 (at most 2.2000000) MISSED; no counts"), std::string::npos) << lines;
    EXPECT_TRUE(Judge("x", 2.5, 0.4, 1.0, 0, 0, lines)) << lines;
    // Times of nothing measured meet no limit.
    EXPECT_FALSE(Judge("x", 2.2, 0.0, 0.0, 0, 0, lines));
    EXPECT_NE(lines.find("nothing measured MISSED"), std::string::npos) << lines;
}

// The last line is the overall verdict, and the exit status says the same.
TEST(BenchVerdict, FinishSaysWhatTheExitStatusSays) {
    g_ok = true;
    g_failed.clear();
    testing::internal::CaptureStdout();
    EXPECT_EQ(Finish(), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "verdict: every target met\n");
    testing::internal::CaptureStderr();
    Require(true, "kept");
    Require(false, "memory");
    Require(false, "the double size");
    testing::internal::GetCapturedStderr();
    testing::internal::CaptureStdout();
    EXPECT_EQ(Finish(), 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "verdict: MISSED memory; the double size\n");
    g_ok = true;
    g_failed.clear();
}

// A program's arguments: as name=value or by place, --help prints the
// usage, anything else is a usage error naming the argument.
TEST(BenchArgs, NamedPlacedHelpAndErrors) {
    const struct {
        std::vector<std::string> argv;
        int status;
        std::string folder;
        long long runs, largest;
        const char* said;  // on stdout for help, else on stderr
    } rows[] = {
        {{}, Args::kGo, "", 7, 8000, ""},
        {{"largest=4000"}, Args::kGo, "", 7, 4000, ""},
        {{"runs=3"}, Args::kGo, "", 3, 8000, ""},
        {{"/tmp/a", "3", "4000"}, Args::kGo, "/tmp/a", 3, 4000, ""},
        {{"runs=3", "/tmp/a"}, Args::kGo, "/tmp/a", 3, 8000, ""},
        {{"folder=/x=y", "largest=2000"}, Args::kGo, "/x=y", 7, 2000, ""},
        {{"--help"}, 0, "", 7, 8000, "usage: b [--times] [folder] [runs=7] [largest=8000]: what it measures\n"},
        {{"runs=abc", "-h"}, 0, "", 7, 8000, "usage: b [--times] [folder] [runs=7]"},
        {{"/tmp/a", "abc"}, 2, "/tmp/a", 7, 8000, "b: runs=abc is not a whole number of at least 1\nusage: b"},
        {{"/tmp/a", "0"}, 2, "/tmp/a", 7, 8000, "runs=0 is not a whole number of at least 1"},
        {{"largest=1999"}, 2, "", 7, 8000, "largest=1999 is not a whole number of at least 2000"},
        {{"runs=-3"}, 2, "", 7, 8000, "runs=-3 is not"},
        {{"runs="}, 2, "", 7, 8000, "runs= is not"},
        {{"runs=3x"}, 2, "", 7, 8000, "runs=3x is not"},
        {{"runs=99999999999"}, 2, "", 7, 8000, "runs=99999999999 is too large"},
        {{"runs=99999999999999999999"}, 2, "", 7, 8000, "runs=99999999999999999999 is too large"},
        {{"runs=3", "runs=4"}, 2, "", 3, 8000, "runs given twice"},
        {{"nodes=3"}, 2, "", 7, 8000, "unknown argument nodes in nodes=3"},
        {{"--verbose"}, 2, "", 7, 8000, "unknown switch --verbose"},
        {{"a", "1", "2000", "b"}, 2, "a", 1, 2000, "unexpected argument b"},
    };
    for (const auto& row : rows) {
        Args args("b", "what it measures");
        const std::string& folder = args.Text("folder");
        const long long& runs = args.Count("runs", 7);
        const long long& largest = args.Count("largest", 8000, 2000);
        std::vector<std::string> text = row.argv;
        text.insert(text.begin(), "b");
        std::vector<char*> argv;
        for (std::string& t : text) argv.push_back(t.data());
        argv.push_back(nullptr);
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        const int status = args.Read(static_cast<int>(text.size()), argv.data());
        const std::string out = testing::internal::GetCapturedStdout(), err = testing::internal::GetCapturedStderr();
        const std::string said = row.status == 0 ? out : err;
        const std::string what = testing::PrintToString(row.argv);
        EXPECT_EQ(status, row.status) << what << out << err;
        EXPECT_NE(said.find(row.said), std::string::npos) << what << ": " << said;
        EXPECT_EQ((row.status == 0 ? err : out), "") << what;
        if (row.status != Args::kGo) continue;
        EXPECT_EQ(folder, row.folder) << what;
        EXPECT_EQ(runs, row.runs) << what;
        EXPECT_EQ(largest, row.largest) << what;
    }
}

// A run ended by Ctrl-C, a hang-up or kill removes its folder with all it
// holds, and removes a link in it without touching what the link names.
TEST(BenchRunFolder, RemovedWhenASignalEndsTheRun) {
    const fs::path base = fs::temp_directory_path() / ("bench_util_test_" + std::to_string(getpid()));
    fs::create_directories(base / "outside");
    std::ofstream(base / "outside" / "kept") << "a user's file";
    for (int signal : {SIGINT, SIGHUP, SIGTERM}) {
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            ::signal(signal, SIG_DFL);  // as a terminal's foreground job
            RunFolder folder("run", base.string());
            fs::create_directories(folder / "a/b/c");
            std::ofstream(folder / "a/b/c/data.icd") << "<SCL/>";
            std::ofstream(folder / "file.icd") << "<SCL/>";
            fs::create_directory_symlink(base / "outside", folder / "a/link");
            const std::string path = folder.Path() + "\n";
            if (write(fds[1], path.data(), path.size()) != static_cast<ssize_t>(path.size())) _exit(3);
            for (;;) pause();
        }
        close(fds[1]);
        char buf[4096];
        const ssize_t got = read(fds[0], buf, sizeof buf);
        close(fds[0]);
        ASSERT_GT(got, 1);
        const fs::path folder(std::string(buf, static_cast<size_t>(got) - 1));
        ASSERT_TRUE(fs::exists(folder / "a/b/c/data.icd"));
        kill(pid, signal);
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << "signal " << signal << ", status " << status;
        EXPECT_FALSE(fs::exists(folder)) << "signal " << signal << " left " << folder;
        EXPECT_TRUE(fs::exists(base / "outside" / "kept"));
    }
    fs::remove_all(base);
}
