// The benchmark harness as a user meets it: --times keeps callgrind out of a
// run, a verdict shows the counts and the times each with its own word, and
// a run ended by a signal leaves no run folder behind.
#include "bench/bench_util.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

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
