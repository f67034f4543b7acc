#include "host/cli.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "host/command_line.h"
#include "platform/mfc/gbk.h"
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

    // A script through a pipe is read to its end.
    const std::string fifo = m_dir.str("s/piped.kiln");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // The writer waits for a reader a while, not for ever, so that a run
    // that never reads the pipe fails instead of hanging.
    std::thread writer([&] {
        for (int tries = 0; tries < 500; ++tries) {
            const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
            if (fd < 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
                continue;
            }
            const std::string script = "select\nrclick\nanswer text 包Y\nmenu 增加类型包\n";
            EXPECT_EQ(::write(fd, script.data(), script.size()), static_cast<ssize_t>(script.size()));
            ::close(fd);
            return;
        }
    });
    o = Kiln({"run", Workspace(), fifo});
    writer.join();
    ASSERT_EQ(o.status, kExitOk) << o.out << o.err;
    EXPECT_TRUE(Has(o.out, "[status] 已创建类型包包Y\n")) << o.out;
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

TEST_F(HostCli, VersionAndTheUsageOfEachCommand) {
    Output o = Kiln({"--version"});
    EXPECT_EQ(o.status, kExitOk);
    EXPECT_EQ(o.out, std::string("kiln ") + kKilnVersion + "\n");
    o = Kiln({"run", "--help"});
    EXPECT_EQ(o.status, kExitOk);
    EXPECT_EQ(o.out.rfind("usage: kiln run DIR SCRIPT", 0), 0u) << o.out;
    // Asked after the workspace, or among events, too.
    for (const std::vector<std::string>& line : {std::vector<std::string>{"run", Workspace(), "--help"},
                                                 std::vector<std::string>{"run", Workspace(), "-e", "tree", "-h"}}) {
        Output asked = Kiln(line);
        EXPECT_EQ(asked.status, kExitOk) << asked.err;
        EXPECT_EQ(asked.out, RunUsageText());
    }
    o = Kiln({"init", "--help"});
    EXPECT_EQ(o.status, kExitOk);
    EXPECT_EQ(o.out.rfind("usage: kiln init DIR", 0), 0u) << o.out;
    EXPECT_FALSE(Has(o.out, "kiln run")) << "only that command";
}

// Command-line mistakes get the hint to --help; faults of a script or a run
// do not, and every error reaches stderr exactly once.
TEST_F(HostCli, ErrorsAreSaidOnceAndTheHintOnlyForTheCommandLine) {
    Output o = Kiln({"run"});
    EXPECT_EQ(o.status, kExitUsage);
    EXPECT_TRUE(Has(o.err, "(kiln --help")) << o.err;
    o = Kiln({"run", Workspace(), "-e", "frobnicate"});
    EXPECT_EQ(o.status, kExitUsage);
    EXPECT_FALSE(Has(o.err, "kiln --help explains")) << o.err;
    o = Kiln({"frobnicate"});
    EXPECT_EQ(o.status, kExitUsage);
    EXPECT_EQ(o.err, "kiln: unknown command \"frobnicate\"\n(kiln --help explains the command line)\n");
    // A failed run with the transcript on a terminal: still once on stderr.
    std::istringstream in;
    std::ostringstream out, err;
    Console console{in, out, err, false, true, true};
    EXPECT_EQ(RunKiln({"run", Workspace(), "-e", "show nobody#x"}, m_module, console), kExitFailed);
    EXPECT_EQ(err.str().find("kiln: error:"), 0u) << err.str();
    EXPECT_EQ(err.str().find("kiln: error:", 1), std::string::npos) << err.str();
    EXPECT_TRUE(Has(out.str(), "error: ")) << "the transcript keeps its line";
}

TEST_F(HostCli, ScriptsThatAreNoUtf8TextAreRefusedAtTheCheck) {
    const auto before = Snapshot(DocFolder());
    struct Case {
        const char* name;
        std::string bytes;
        const char* says;
    } cases[] = {
        {"gbk.kiln", "tree\n# " + kiln::text::Utf8ToGbk("中文注释") + "\n", ":2: the line is not UTF-8 text (byte 0xD6"},
        {"binary.kiln", std::string("\x7F" "ELF\x02\x01\x01\0\0\0", 10), ":1: the line holds the control character U+0002"},
        {"long.kiln", "echo ok\n" + std::string(5000, 'x') + "\n", ":2: unknown event \"xxxx"},
        // Characters that show as nothing or as a blank are named escaped.
        {"bom.kiln", "echo hi\n\xEF\xBB\xBF" "echo\n", ":2: unknown event \"\\uFEFFecho\""},
        {"nbsp.kiln", "select\xC2\xA0x\n", ":1: unknown event \"select\\u00A0x\""},
        {"tab.kiln", "answer \"a\\tb\"\n", ":1: unknown answer kind \"a\\tb\""},
    };
    for (const Case& c : cases) {
        WriteFile(m_dir.path() / c.name, c.bytes);
        Output o = Kiln({"run", Workspace(), m_dir.str(c.name)});
        EXPECT_EQ(o.status, kExitUsage) << c.name;
        EXPECT_TRUE(Has(o.err, c.says)) << c.name << ": " << o.err;
        EXPECT_LT(o.err.size(), 600u) << c.name << ": a long line is shortened";
        EXPECT_EQ(m_attached, 0);
    }
    EXPECT_EQ(Snapshot(DocFolder()), before);
    // The reason the system gives for a script it cannot read.
    Output o = Kiln({"run", Workspace(), m_dir.str("missing.kiln")});
    EXPECT_TRUE(Has(o.err, "missing.kiln: No such file or directory")) << o.err;
}

TEST_F(HostCli, WorkspacesThatAreNoneSaySoTheSameWayForInitAndRun) {
    WriteFile(m_dir.path() / "plain.txt", "x");
    Output o = Kiln({"run", m_dir.str("plain.txt"), "-e", "tree"});
    EXPECT_EQ(o.status, kExitFailed);
    EXPECT_TRUE(Has(o.err, "is a file, not a workspace folder")) << o.err;
    // A workspace whose making stopped half-way: one message, with the way out.
    std::filesystem::create_directories(m_dir.path() / "half" / "document");
    Output run = Kiln({"run", m_dir.str("half"), "-e", "tree"});
    Output init = Kiln({"init", m_dir.str("half")});
    EXPECT_EQ(run.status, kExitFailed);
    EXPECT_EQ(init.status, kExitFailed);
    const std::string says = m_dir.str("half") + " holds a half-made workspace";
    EXPECT_TRUE(Has(run.err, says)) << run.err;
    EXPECT_TRUE(Has(init.err, says)) << init.err;
    EXPECT_TRUE(Has(init.err, "run kiln init " + m_dir.str("half") + " again")) << init.err;
    // A folder document/ of the user's, never a workspace's: named so, left
    // as it is.
    WriteFile(m_dir.path() / "mine" / "document" / "mine.txt", "mine");
    for (const bool isRun : {true, false}) {
        const Output o = isRun ? Kiln({"run", m_dir.str("mine"), "-e", "tree"}) : Kiln({"init", m_dir.str("mine")});
        EXPECT_EQ(o.err, "kiln: error: " + m_dir.str("mine") + " holds " + m_dir.str("mine/document") +
                             ", a folder that no workspace of kiln made (no manifest document.xml or file of a document " +
                             "in it, no template folder or lock file beside it); nothing was changed\n");
    }
    EXPECT_EQ(std::distance(std::filesystem::recursive_directory_iterator(m_dir.path() / "mine"), {}), 2);
}

TEST_F(HostCli, AnUnknownDomainTypeListsTheKnownOnes) {
    WriteFile(m_dir.path() / "d.xml", "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\"/>");
    Output o = Kiln({"run", Workspace(), "-e", "import " + m_dir.str("d.xml") + " 没有的类型"});
    EXPECT_EQ(o.status, kExitFailed);
    EXPECT_TRUE(Has(o.err, "no domain type \"没有的类型\"; the domain types are \"二次模型标准定义包1\"")) << o.err;
    EXPECT_TRUE(Has(o.err, "\"二次模型装置ICD包\"")) << o.err;
}
