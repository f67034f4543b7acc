// The standard data sets and the DO descriptions through the kiln program:
// after examples/demo.kiln, tests/commands/data/sets_and_descriptions.kiln
// gives the demo's model members for the sets, makes them on LLN0 server-
// wide, writes the DO descriptions, prints the tree and writes the ICD,
// which must be valid SCL; a third run shows LLN0 from the store.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <regex>
#include <string>

#include "tests/host/kiln_program.h"

namespace fs = std::filesystem;

namespace {

using kiln::test::KilnCommand;
using kiln::test::ReadAll;
using kiln::test::RunShell;

std::string Quoted(const fs::path& p) { return "'" + p.string() + "'"; }

TEST(SetsEndToEnd, StandardSetsAndDescriptionsOnTheDemoGiveAValidIcd) {
    const fs::path source = KILN_SOURCE_DIR;
    if (!fs::exists(source / "domains" / "IEC61850_std.xml"))
        GTEST_SKIP() << "the installation has no standard definitions (domains/IEC61850_std.xml)";
    const fs::path dir = fs::temp_directory_path() / ("kiln_sets_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "examples");
    fs::create_directories(dir / "build");
    fs::copy_file(source / "examples" / "demo.kiln", dir / "examples" / "demo.kiln");
    fs::copy_file(source / "tests" / "commands" / "data" / "sets_and_descriptions.kiln",
                  dir / "examples" / "sets.kiln");
    const fs::path ws = dir / "build" / "demo-workspace";
    auto [initStatus, initOut] = RunShell(KilnCommand("init " + Quoted(ws)));
    ASSERT_EQ(initStatus, 0) << initOut;
    auto [demoStatus, demoOut] =
        RunShell(KilnCommand("run " + Quoted(ws) + " " + Quoted(dir / "examples" / "demo.kiln")));
    ASSERT_EQ(demoStatus, 0) << demoOut;
    auto [status, out] = RunShell(KilnCommand("run " + Quoted(ws) + " " + Quoted(dir / "examples" / "sets.kiln")));
    ASSERT_EQ(status, 0) << out;
    for (const char* expected :
         {"[question yes/no] 是否在IED范围 -> yes", "[command] ICD:Write Description of DOs",
          "              日志: Log\n                日志控制块: LCB_DS_MOD",
          "              数据集: DS_MX\n                功能限制DA项: FCDA_1", "              数据集: DS_COMM",
          "              数据集: DS_DevAlarm", "[document] saved"})
        EXPECT_NE(out.find(expected), std::string::npos) << expected << "\n" << out;
    EXPECT_EQ(out.find("未知命令"), std::string::npos);
    EXPECT_EQ(out.find("[message]"), out.find("[message] " + (ws / "sets.icd").string()));

    // LLN0 as the store holds it: four sets left, eight RCBs, seven LCBs, one log.
    std::smatch uri;
    const std::regex lln0Edit(R"(description of "LLN0" \(([^)]+)\))");
    ASSERT_TRUE(std::regex_search(out, uri, lln0Edit)) << out;
    auto [showStatus, shown] =
        RunShell(KilnCommand("run " + Quoted(ws) + " -e 'show " + uri[1].str() + "' -e 'show " + uri[1].str() +
                             " sec:LNode.DataSets'"));
    ASSERT_EQ(showStatus, 0) << shown;
    for (const char* expected : {"sec:LNode.RCBs -> 8:", "sec:LNode.LCBs -> 7:", "sec:LNode.Log -> 1: \"Log\"",
                                 "sec:LNode.SGCB -> 1: \"SGCB\"", "\"DS_MX\"  ", "\"DS_COMM\"  "})
        EXPECT_NE(shown.find(expected), std::string::npos) << expected << "\n" << shown;

    const fs::path icd = ws / "sets.icd";
    const std::string text = ReadAll(icd);
    ASSERT_FALSE(text.empty());
    for (const char* expected :
         {"<DataSet name=\"DS_MX\" desc=\"测量值\">", "doName=\"SoftWrn\" fc=\"ST\"", "doName=\"Mod\" fc=\"ST\"",
          "<Log name=\"Log\"", "logName=\"Log\" datSet=\"DS_ACT\"",
          "<DO name=\"Mod\" type=\"Product_1_ENC_BehaviourModeKind\" desc=\"模式\"",
          "<DO name=\"Op\" type=\"Product_1_ACT\" desc=\"动作\"", "numOfSGs=\"5\""})
        EXPECT_NE(text.find(expected), std::string::npos) << expected;

    const fs::path xsd = fs::path(KILN_SHARED_DIR) / "xsd" / "SCL2007B4" / "SCL.xsd";
    const bool canValidate = fs::exists(xsd) && RunShell("command -v xmllint").first == 0;
    if (canValidate) {
        auto [lint, lintOut] = RunShell("xmllint --noout --schema " + Quoted(xsd) + " " + Quoted(icd));
        EXPECT_EQ(lint, 0) << lintOut;
    }
    fs::remove_all(dir);
    if (!canValidate) GTEST_SKIP() << "no ../shared/xsd/SCL2007B4/SCL.xsd or no xmllint: the ICD was not validated";
}

}  // namespace
