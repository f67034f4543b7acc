// The report file shared by the checks and the imports: where it lies, what
// the installation's template holds, completing a template.
#include <filesystem>

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
    for (const char* folder : {"/ws/proj", "/ws/proj/", "\\ws\\proj\\"}) {
        Doc().SetDocPath(folder);
        EXPECT_EQ(app.Get_ReportTemplatePath(), "/ws/proj/../Template/Report_Template.xml") << folder;
        EXPECT_EQ(app.Get_ReportSavePath(), "/ws/proj/Report.xml") << folder;
    }
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

}  // namespace
}  // namespace kiln::test
