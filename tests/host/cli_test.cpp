#include "host/cli.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "tests/host/host_fixture.h"
#include "tests/host/plugin_double.h"

using namespace kiln::host;
using namespace kiln::host::test;

namespace {

struct Output {
    int status = 0;
    std::string out;
    std::string err;
};

class HostCli : public HostTest {
protected:
    Output Kiln(std::vector<std::string> args, bool inTerminal = false, const std::string& typed = "") {
        std::istringstream in(typed);
        std::ostringstream out, err;
        Console console{in, out, err, inTerminal, false, false};
        Output o;
        o.status = RunKiln(args, m_module, console);
        o.out = out.str();
        o.err = err.str();
        return o;
    }
};

}  // namespace

TEST_F(HostCli, ABadScriptLineStopsTheRunBeforeItStarts) {
    const auto before = Snapshot(DocFolder());
    WriteFile(m_dir.path() / "bad.kiln", "# a comment\ntree\nselect \"IEC61850\n");
    Output o = Kiln({"run", Workspace(), m_dir.str("bad.kiln")});
    EXPECT_EQ(o.status, kExitUsage);
    EXPECT_TRUE(Has(o.err, m_dir.str("bad.kiln") + ":3: a quoted text is not closed")) << o.err;
    EXPECT_EQ(o.out, "");
    EXPECT_EQ(m_attached, 0);
    EXPECT_EQ(Snapshot(DocFolder()), before);

    o = Kiln({"run", Workspace(), "-e", "tree", "-e", "frobnicate"});
    EXPECT_EQ(o.status, kExitUsage);
    EXPECT_TRUE(Has(o.err, "-e 2: unknown event \"frobnicate\"")) << o.err;
    EXPECT_EQ(Snapshot(DocFolder()), before);

    o = Kiln({"run", Workspace(), m_dir.str("missing.kiln")});
    EXPECT_EQ(o.status, kExitUsage);
    EXPECT_TRUE(Has(o.err, "cannot read the script")) << o.err;

    // A folder given as the script: nothing runs, nothing is saved.
    o = Kiln({"run", Workspace(), m_dir.str("ws")});
    EXPECT_EQ(o.status, kExitUsage);
    EXPECT_TRUE(Has(o.err, "cannot read the script " + m_dir.str("ws") + ": it is a folder")) << o.err;
    EXPECT_EQ(o.out, "");
    EXPECT_EQ(m_attached, 0);
    EXPECT_EQ(Snapshot(DocFolder()), before);
}

TEST_F(HostCli, ScriptAndInlineEventsPlayInOrder) {
    // A relative path in a script is taken from the script's folder.
    WriteFile(m_dir.path() / "s" / "a.kiln",
              "select IEC61850\nrclick\nanswer file out.Type\nmenu 导出类型包\n"
              "select\nrclick\nanswer text 包X\n");
    Output o = Kiln({"run", Workspace(), m_dir.str("s/a.kiln"), "-e", "menu 增加类型包", "-e", "tree 1"});
    ASSERT_EQ(o.status, kExitOk) << o.out << o.err;
    EXPECT_EQ(ReadFile(m_dir.path() / "s" / "out.Type"), "IEC61850\n") << o.out;
    EXPECT_TRUE(Has(o.out, "> answer text 包X\n> menu 增加类型包\n[command] ICD:Add TypePackage\n"
                           "[input] 请输入类型包名称 -> \"包X\"\n[status] 已创建类型包包X\n> tree 1\n  IEC61850\n  包X\n"
                           "[document] saved\n"))
        << o.out;
    EXPECT_EQ(o.err, "");
}

TEST_F(HostCli, AFailedRunSaysWhyOnStderrAndExitsWithOne) {
    const auto before = Snapshot(DocFolder());
    Output o = Kiln({"run", Workspace(), "-e", "select", "-e", "rclick", "-e", "menu 增加类型包"});
    EXPECT_EQ(o.status, kExitFailed);
    EXPECT_EQ(o.err, "kiln: error: -e 3: no answer for the input box \"请输入类型包名称\"; queue one with `answer text "
                     "...` before the event\n");
    EXPECT_EQ(Snapshot(DocFolder()), before);

    // On a terminal the question is asked instead.
    o = Kiln({"run", Workspace(), "-e", "select", "-e", "rclick", "-e", "menu 增加类型包"}, true, "包Y\n");
    EXPECT_EQ(o.status, kExitOk) << o.out;
    EXPECT_TRUE(Has(o.err, "the input box \"请输入类型包名称\"\ntext (empty line: cancel): ")) << o.err;
}

TEST_F(HostCli, HelpExplainsTheCommandsAndEvents) {
    Output o = Kiln({"--help"});
    EXPECT_EQ(o.status, kExitOk);
    EXPECT_TRUE(Has(o.out, "kiln run DIR SCRIPT")) << o.out;
    EXPECT_TRUE(Has(o.out, "answer KIND [VALUE]")) << o.out;
    o = Kiln({"help", "select"});
    EXPECT_EQ(o.status, kExitOk);
    EXPECT_TRUE(Has(o.out, "usage: select [TEXT ...]")) << o.out;
    o = Kiln({"help", "nonesuch"});
    EXPECT_EQ(o.status, kExitUsage);
    EXPECT_TRUE(Has(o.err, "there is no event \"nonesuch\"")) << o.err;
    o = Kiln({"run", Workspace()});
    EXPECT_EQ(o.status, kExitUsage);
    EXPECT_TRUE(Has(o.err, "needs a script")) << o.err;
}

TEST_F(HostCli, InitUsesTheInstallationOfKilnHome) {
    ASSERT_EQ(setenv("KILN_HOME", m_dir.str("install").c_str(), 1), 0);
    Output o = Kiln({"init", m_dir.str("ws2")});
    unsetenv("KILN_HOME");
    ASSERT_EQ(o.status, kExitOk) << o.err;
    EXPECT_TRUE(Has(o.out, "domain kiln.IEC61850_std#: ")) << o.out;
    EXPECT_TRUE(std::filesystem::exists(m_dir.path() / "ws2" / "Template" / "ICD_Template.xml"));

    o = Kiln({"init", m_dir.str("ws2")});
    EXPECT_EQ(o.status, kExitFailed);
    EXPECT_TRUE(Has(o.err, "already holds a workspace")) << o.err;
}
