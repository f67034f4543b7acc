// The kiln program with the real plug-in: the demo script on a fresh
// workspace, and the failures that must leave the document as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "host/workspace.h"
#include "tests/host/host_fixture.h"

using namespace kiln::host;
using namespace kiln::host::test;
namespace fs = std::filesystem;

namespace {

struct Result {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs kiln with the arguments (already quoted for the shell), without a
// terminal on its standard input.
Result Kiln(const TempDir& dir, const std::string& args) {
    const std::string errFile = dir.str("stderr.txt");
    const std::string cmd = std::string("KILN_HOME='") + KILN_SOURCE_DIR + "' '" + KILN_BINARY + "' " + args +
                            " < /dev/null 2> '" + errFile + "'";
    Result r;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return r;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
    const int rc = pclose(p);
    r.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    r.err = ReadFile(errFile);
    return r;
}

class HostEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(fs::is_directory(fs::path(KILN_SOURCE_DIR) / "Template")) << "the installation has no templates";
        Result r = Kiln(m_dir, "init '" + Workspace() + "'");
        ASSERT_EQ(r.status, 0) << r.out << r.err;
    }
    std::string Workspace() const { return m_dir.str("ws"); }
    fs::path DocFolder() const { return m_dir.path() / "ws" / kDocumentFolder; }

    TempDir m_dir;
};

}  // namespace

// The lines of `text` after the first line that is `from`, up to the next
// event ("> ...") or echoed heading ("== ...").
std::vector<std::string> LinesAfter(const std::string& text, const std::string& from) {
    std::vector<std::string> lines;
    size_t at = text.find(from + "\n");
    if (at == std::string::npos) return lines;
    for (size_t pos = at + from.size() + 1; pos < text.size();) {
        size_t nl = text.find('\n', pos);
        std::string line = text.substr(pos, nl == std::string::npos ? std::string::npos : nl - pos);
        if (line.rfind("> ", 0) == 0 || line.rfind("== ", 0) == 0) break;
        lines.push_back(line);
        if (nl == std::string::npos) break;
        pos = nl + 1;
    }
    return lines;
}

TEST_F(HostEndToEnd, TheDemoOpensTheDocumentAndShowsTheStandardPackage) {
    ASSERT_TRUE(fs::exists(fs::path(KILN_SOURCE_DIR) / kStdDomainFile)) << "the installation has no standard domain";
    // The demo writes its ICD file beside a workspace in build/demo-workspace
    // (the layout of scripts/demo): a copy of it runs in that layout here.
    fs::create_directories(m_dir.path() / "examples");
    fs::create_directories(m_dir.path() / "build" / "demo-workspace");
    fs::copy_file(fs::path(KILN_SOURCE_DIR) / "examples" / "demo.kiln", m_dir.path() / "examples" / "demo.kiln");
    Result r = Kiln(m_dir, "run '" + Workspace() + "' '" + m_dir.str("examples/demo.kiln") + "'");
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_TRUE(Has(r.out, "[document] opened\n    kiln.IEC61850_std#  二次模型标准定义包3  read-only\n")) << r.out;
    // The plug-in found the standard type package: it did not ask for it.
    EXPECT_FALSE(Has(r.out, "没有发现IEC61850-7-x标准类型定义")) << r.out;
    EXPECT_TRUE(Has(r.out, "> view TreeView_Manager\n> tree\n  二次模型标准定义包1\n")) << r.out;
    EXPECT_TRUE(Has(r.out, "  二次模型标准定义包3\n    kiln.IEC61850_std#\n")) << r.out;

    // The package, by its name and its namespace reference.
    const std::string head = "[resource] kiln.IEC61850_std#StdTypePackage  \"Orsane.Zel:2007\"  sec:TypePackage";
    const auto package = LinesAfter(r.out, "> show kiln.IEC61850_std#StdTypePackage");
    ASSERT_FALSE(package.empty()) << r.out;
    EXPECT_EQ(package[0].rfind(head, 0), 0u) << package[0];
    EXPECT_NE(std::find(package.begin(), package.end(), "    sec:TypePackage.ref = \"http://www.iec.ch/61850/2003\""),
              package.end())
        << r.out;
    // Its first LN types: the head, the count, five of them, the rest counted.
    const auto types = LinesAfter(r.out, "> show kiln.IEC61850_std#StdTypePackage sec:TypePackage.LNodeTypes 5");
    ASSERT_EQ(types.size(), 8u) << r.out;
    EXPECT_EQ(types[0].rfind(head, 0), 0u) << types[0];
    EXPECT_EQ(types[1].rfind("    sec:TypePackage.LNodeTypes -> ", 0), 0u) << types[1];
    for (size_t i = 2; i < 7; ++i) EXPECT_TRUE(Has(types[i], "  kiln.IEC61850_std#LNT_")) << types[i];
    EXPECT_EQ(types[7].rfind("      ... ", 0), 0u) << types[7];
    // LLN0, linked to the package.
    const auto lln0 = LinesAfter(r.out, "> show kiln.IEC61850_std#LNT_LLN0");
    ASSERT_FALSE(lln0.empty()) << r.out;
    EXPECT_EQ(lln0[0], "[resource] kiln.IEC61850_std#LNT_LLN0  \"LLN0\"  sec:LNodeType (LN类型)");
    EXPECT_NE(std::find(lln0.begin(), lln0.end(), "    sec:LNodeType.TypePackage -> 1: \"Orsane.Zel:2007\""), lln0.end())
        << r.out;
    EXPECT_TRUE(Has(r.out, "[document] saved\n")) << r.out;
}

TEST_F(HostEndToEnd, FailuresLeaveTheSavedDocumentUnchanged) {
    const auto before = Snapshot(DocFolder());

    // A bad line: nothing runs.
    Result r = Kiln(m_dir, "run '" + Workspace() + "' -e tree -e 'select \"open'");
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(Has(r.err, "-e 2: a quoted text is not closed")) << r.err;
    EXPECT_EQ(Snapshot(DocFolder()), before);

    // A missing workspace.
    r = Kiln(m_dir, "run '" + m_dir.str("nowhere") + "' -e tree");
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(Has(r.err, "no workspace at " + m_dir.str("nowhere"))) << r.err;

    // An event that fails after others passed.
    r = Kiln(m_dir, "run '" + Workspace() + "' -e tree -e 'select 没有的项'");
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(Has(r.err, "-e 2: no item \"没有的项\" at the top of TreeView_User")) << r.err;
    EXPECT_TRUE(Has(r.out, "the document was not saved\n")) << r.out;
    EXPECT_EQ(Snapshot(DocFolder()), before);

    // An answer that no question takes.
    r = Kiln(m_dir, "run '" + Workspace() + "' -e 'answer yes'");
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(Has(r.err, "1 queued answer(s) found no question")) << r.err;
    EXPECT_EQ(Snapshot(DocFolder()), before);

    // A corrupt document.
    fs::path manifest = DocFolder() / kManifestFile;
    WriteFile(manifest, ReadFile(manifest).substr(0, 40));
    const auto corrupt = Snapshot(DocFolder());
    r = Kiln(m_dir, "run '" + Workspace() + "' -e tree");
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(Has(r.err, "cannot open the document " + DocFolder().string())) << r.err;
    EXPECT_EQ(Snapshot(DocFolder()), corrupt);
}
