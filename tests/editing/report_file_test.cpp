// The report file shared by the checks and the imports: where it lies, what
// the installation's template holds, completing a template.
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "tests/editing/checks_fixture.h"

namespace fs = std::filesystem;

namespace kiln::test {
namespace {

using ReportFileTest = ChecksTest;

// Every group node either the checks or the imports write under.
const char* const kGroups[] = {"ICD/LNodes", "ICD/LDevices", "ICD/LNodeTypes", "ICD/DOTypes", "ICD/DATypes",
                               "ICD/DOs",    "ICD/DAs",      "ICD/BDAs",       "ICD/DOIs",    "ICD/DAIs",
                               "M2I",        "other_errors"};

void WriteFile(const fs::path& path, const char* text) {
    FILE* f = std::fopen(path.string().c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fputs(text, f);
    std::fclose(f);
}

TEST_F(ReportFileTest, PathsFollowTheDocumentFolder) {
    for (const char* folder : {"/ws/proj", "/ws/proj/"}) {
        Doc().SetDocPath(folder);
        EXPECT_EQ(app.Get_ReportTemplatePath(), "/ws/proj/../Template/Report_Template.xml") << folder;
        EXPECT_EQ(app.Get_ReportSavePath(), "/ws/proj/Report.xml") << folder;
    }
    // A backslash is part of a folder's name, at its end too.
    Doc().SetDocPath("/ws/a\\b\\");
    EXPECT_EQ(app.Get_ReportTemplatePath(), "/ws/a\\b\\/../Template/Report_Template.xml");
    EXPECT_EQ(app.Get_ReportSavePath(), "/ws/a\\b\\/Report.xml");
}

TEST_F(ReportFileTest, TheInstallationTemplateHoldsEveryGroupInItsPlace) {
    CBase_XML tmpl;
    ASSERT_TRUE(tmpl.Load(CString(KILN_SOURCE_DIR) + "/Template/Report_Template.xml"));
    const XmlNode root = tmpl.GetDocumentElement();
    for (const char* group : kGroups) EXPECT_FALSE(tmpl.Get_NodePtr(root, group).IsNull()) << group;
    // "other_errors" stands beside "ICD", not in it, and is empty.
    EXPECT_TRUE(tmpl.Get_NodePtr(root, "ICD/other_errors").IsNull());
    EXPECT_TRUE(tmpl.Get_NodePtr(root, "other_errors/*").IsNull());
}

TEST_F(ReportFileTest, ATemplateGetsTheGroupsItLacksOnce) {
    WriteFile(workspace / "Template" / "Report_Template.xml",
              "<?xml version=\"1.0\" encoding=\"GB2312\"?><R><ICD><DOs><x/></DOs></ICD><Title>\xbc\xec\xb2\xe9</Title></R>");
    CBase_XML report;
    ASSERT_TRUE(app.Load_ReportTemplate(report));
    const XmlNode root = report.GetDocumentElement();
    for (const char* group : kGroups) EXPECT_EQ(root.SelectNodes(group).Length(), 1) << group;
    EXPECT_FALSE(report.Get_NodePtr(root, "ICD/DOs/x").IsNull());  // what was there stays
    EXPECT_EQ(report.Get_NodePtr(root, "Title").GetText(), "检查");
    EXPECT_TRUE(ui.Calls().empty());

    fs::remove(workspace / "Template" / "Report_Template.xml");
    EXPECT_FALSE(app.Load_ReportTemplate(report));
    EXPECT_TRUE(ui.Calls().empty());
}

std::string Bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

mode_t Mode(const fs::path& path) {
    struct stat st {};
    stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

// The saved report follows the document's saves: written by Save_Report, it
// keeps its permissions; a run that is not saved puts back the last saved
// run's report, permissions included; a report whose copy cannot be kept
// (a full disk) is not replaced and the document refuses to save, so that
// report and document never part.
TEST_F(ReportFileTest, TheSavedReportFollowsTheDocumentsSaves) {
    ASSERT_TRUE(Doc().Save()) << Doc().LastError();
    const fs::path saved = app.Get_ReportSavePath().str();
    ASSERT_EQ(saved, docFolder / "Report.xml");
    auto reset = [&] {
        WriteFile(saved, "<R>saved run</R>");
        chmod(saved.c_str(), 0600);
        ASSERT_TRUE(Doc().Open(docFolder.string().c_str())) << Doc().LastError();
        ui.ClearCalls();
    };
    CBase_XML report;
    ASSERT_TRUE(app.Load_ReportTemplate(report));

    // Not saved: the last saved run's report comes back with its permissions.
    reset();
    ASSERT_TRUE(app.Save_Report(report, app.Get_ReportSavePath()));
    EXPECT_NE(Bytes(saved).find("other_errors"), std::string::npos);
    EXPECT_EQ(Mode(saved), 0600u) << "a replaced file keeps its permissions";
    Doc().RestoreUnsavedFiles();
    EXPECT_EQ(Bytes(saved), "<R>saved run</R>");
    EXPECT_EQ(Mode(saved), 0600u);

    // Saved: the new report stays, with the permissions the user set.
    reset();
    ASSERT_TRUE(app.Save_Report(report, app.Get_ReportSavePath()));
    ASSERT_TRUE(Doc().Save()) << Doc().LastError();
    EXPECT_NE(Bytes(saved).find("other_errors"), std::string::npos);
    EXPECT_EQ(Mode(saved), 0600u);

    // The copy cannot be kept: the report stays, the user is told, and the
    // document is not saved, naming the report and the reason.
    reset();
    const auto before = fs::last_write_time(docFolder / "document.xml");
    Doc().InjectFault("keep");
    EXPECT_FALSE(app.Save_Report(report, app.Get_ReportSavePath()));
    EXPECT_EQ(Bytes(saved), "<R>saved run</R>");
    EXPECT_EQ(ui.Messages(), std::vector<CString>{app.Get_ReportSavePath() + "文件保存不成功！"});
    MakeLNodeType(m.instPkg, "P1_GGIO", 9);
    EXPECT_FALSE(Doc().Save());
    EXPECT_NE(Doc().LastError().Find(app.Get_ReportSavePath()), -1) << Doc().LastError();
    EXPECT_NE(Doc().LastError().Find(std::strerror(ENOSPC)), -1) << Doc().LastError();
    EXPECT_EQ(fs::last_write_time(docFolder / "document.xml"), before);
    Doc().RestoreUnsavedFiles();
    EXPECT_EQ(Bytes(saved), "<R>saved run</R>");
    EXPECT_EQ(Mode(saved), 0600u);
    for (const auto& e : fs::directory_iterator(docFolder))
        EXPECT_EQ(e.path().filename().string().find("Report.xml."), std::string::npos) << e.path();
}

}  // namespace
}  // namespace kiln::test
