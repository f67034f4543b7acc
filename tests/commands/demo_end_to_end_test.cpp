// The demo through the kiln program: examples/demo.kiln builds a product, an
// ICD with instance types and a PTOC node through menus and answers only,
// writes the ICD file, which must be valid SCL, and imports it again.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/host/kiln_program.h"

namespace fs = std::filesystem;

namespace {

using kiln::test::RunShell;
using kiln::test::KilnCommand;

TEST(DemoEndToEnd, TheRoadThroughTheMenusWritesAValidIcd) {
    if (!fs::exists(fs::path(KILN_SOURCE_DIR) / "domains" / "IEC61850_std.xml"))
        GTEST_SKIP() << "the installation has no standard definitions (domains/IEC61850_std.xml)";
    // The script writes beside the workspace as scripts/demo lays it out:
    // examples/ and build/demo-workspace side by side.
    const fs::path dir = fs::temp_directory_path() / ("kiln_demo_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "examples");
    fs::create_directories(dir / "build");
    fs::copy_file(fs::path(KILN_SOURCE_DIR) / "examples" / "demo.kiln", dir / "examples" / "demo.kiln");
    const fs::path ws = dir / "build" / "demo-workspace";
    auto [initStatus, initOut] = RunShell(KilnCommand("init '" + ws.string() + "'"));
    ASSERT_EQ(initStatus, 0) << initOut;
    auto [status, out] = RunShell(KilnCommand("run '" + ws.string() + "' '" + (dir / "examples" / "demo.kiln").string() + "'"));
    ASSERT_EQ(status, 0) << out;
    for (const char* expected : {"      IED类型配置: Product_1", "            逻辑节点:[]PTOC[1]",
                                 "            Product_1_PTOC", "demo.icd模板文件与", "[document] saved"})
        EXPECT_NE(out.find(expected), std::string::npos) << expected << "\n" << out;
    // The written file comes back into the product as a second ICD, with
    // its device and nodes, and without findings.
    for (const char* expected : {"[command] ICD:Import ICD In Product", "[message] 导入成功!",
                                 "      IED类型配置: Product_1_Ver_Rev\n        IED: TEMPLATE\n"
                                 "          逻辑装置:LD_1\n            逻辑节点:[]LLN0[]\n"
                                 "            逻辑节点:[]LPHD[1]\n            逻辑节点:[]PTOC[1]\n"})
        EXPECT_NE(out.find(expected), std::string::npos) << expected << "\n" << out;
    // Both ICDs list the PTOC type in their own packages.
    const std::string ptocType = "\n            Product_1_PTOC\n";
    const size_t first = out.find(ptocType);
    EXPECT_NE(first, std::string::npos);
    EXPECT_NE(out.find(ptocType, first + 1), std::string::npos) << out;
    EXPECT_EQ(out.find("未知命令"), std::string::npos);

    const fs::path icd = ws / "demo.icd";
    ASSERT_TRUE(fs::exists(icd));
    std::stringstream text;
    text << std::ifstream(icd).rdbuf();
    EXPECT_NE(text.str().find("lnClass=\"PTOC\""), std::string::npos);
    EXPECT_NE(text.str().find("<LNodeType id=\"Product_1_PTOC\""), std::string::npos);

    const kiln::test::SclValidation lint = kiln::test::ValidateScl(icd);
    EXPECT_TRUE(lint.Ok()) << lint.output;
    fs::remove_all(dir);
    if (!lint.done) GTEST_SKIP() << "no ../shared/xsd/SCL2007B4/SCL.xsd or no xmllint: the file was not validated";
}

}  // namespace
