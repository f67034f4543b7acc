// The trees and the field edits through the kiln program, on a product
// domain imported beside the standard package: each script's transcript
// must equal its golden file beside it (KILN_UPDATE_GOLDEN=1 writes the
// golden instead; it must then be reviewed).
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/host/kiln_program.h"

namespace fs = std::filesystem;
using kiln::test::ReadAll;
using kiln::test::RunKiln;

namespace {

class ViewsEndToEnd : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        if (!fs::exists(fs::path(KILN_SOURCE_DIR) / "domains" / "IEC61850_std.xml"))
            GTEST_SKIP() << "the installation has no standard definitions (domains/IEC61850_std.xml)";
        m_dir = fs::temp_directory_path() / ("kiln_views_" + std::to_string(::getpid()) + "_" + GetParam());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        auto [status, out] = RunKiln("init '" + (m_dir / "ws").string() + "'");
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
    auto [status, out] = RunKiln("run '" + (m_dir / "ws").string() + "' '" + (data / (name + ".kiln")).string() + "'");
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
