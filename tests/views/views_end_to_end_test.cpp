// The trees and the field edits through the kiln program, on a product
// domain imported beside the standard package: each script's transcript
// must equal its golden file beside it (KILN_UPDATE_GOLDEN=1 writes the
// golden instead; it must then be reviewed).
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::pair<int, std::string> Kiln(const std::string& args) {
    const std::string cmd =
        std::string("KILN_HOME='") + KILN_SOURCE_DIR + "' '" + KILN_BINARY + "' " + args + " < /dev/null 2>&1";
    std::string out;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return {-1, out};
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    const int rc = pclose(p);
    return {WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, out};
}

class ViewsEndToEnd : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        if (!fs::exists(fs::path(KILN_SOURCE_DIR) / "domains" / "IEC61850_std.xml"))
            GTEST_SKIP() << "the installation has no standard definitions (domains/IEC61850_std.xml)";
        m_dir = fs::temp_directory_path() / ("kiln_views_" + std::to_string(::getpid()) + "_" + GetParam());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        auto [status, out] = Kiln("init '" + (m_dir / "ws").string() + "'");
        ASSERT_EQ(status, 0) << out;
    }
    void TearDown() override {
        if (!m_dir.empty()) fs::remove_all(m_dir);
    }
    fs::path m_dir;
};

TEST_P(ViewsEndToEnd, TranscriptEqualsTheGolden) {
    const fs::path data = fs::path(KILN_SOURCE_DIR) / "tests" / "views" / "data";
    const std::string name = GetParam();
    auto [status, out] = Kiln("run '" + (m_dir / "ws").string() + "' '" + (data / (name + ".kiln")).string() + "'");
    ASSERT_EQ(status, 0) << out;
    const fs::path golden = data / (name + ".golden");
    if (std::getenv("KILN_UPDATE_GOLDEN")) {
        std::ofstream(golden, std::ios::binary) << out;
        GTEST_SKIP() << "wrote " << golden;
    }
    EXPECT_EQ(out, ReadAll(golden));
}

INSTANTIATE_TEST_SUITE_P(Scripts, ViewsEndToEnd, ::testing::Values("trees", "edits"));

}  // namespace
