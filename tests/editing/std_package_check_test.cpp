// The checks on the shipped standard package and on an ICD built from it.
#include <filesystem>

#include "tests/editing/checks_fixture.h"
#include "tests/editing/std_icd_builder.h"

namespace kiln::test {
namespace {

const CString kStdFile = CString(KILN_SOURCE_DIR) + "/domains/IEC61850_std.xml";

class StdPackageCheckTest : public CoreTest {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(kStdFile.str())) GTEST_SKIP() << "no " << kStdFile;
        workspace = std::filesystem::temp_directory_path() / ("kiln_std_checks_" + std::to_string(getpid()));
        std::filesystem::create_directories(workspace / "Template");
        std::filesystem::create_directories(workspace / "doc");
        std::filesystem::copy_file(std::filesystem::path(KILN_SOURCE_DIR) / "Template" / "Report_Template.xml",
                                   workspace / "Template" / "Report_Template.xml",
                                   std::filesystem::copy_options::overwrite_existing);
        Doc().SetDocPath((workspace / "doc").string().c_str());
        URI_Ref type;
        ASSERT_TRUE(app.Proc_FindCreatableType_ByName("二次模型标准定义包3", "", type));
        ASSERT_TRUE(app.Import_ExterDomainFile(type, "sec:TypePackage", kStdFile)) << app.LastDocError();
        ASSERT_TRUE(app.Msg_OnOpenDocument());
        ASSERT_TRUE(app.m_uStdTypePackage.IsSet());
        MakeDomain("kiln.types#", "二次模型数据类型包");
        MakeDomain("kiln.icd#", "二次模型装置ICD包");
        ui.ClearCalls();
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(workspace, ec);
    }
    std::filesystem::path workspace;
};

TEST_F(StdPackageCheckTest, TheStandardPackageChecksClean) {
    EXPECT_TRUE(app.Only_Check_TypePackage(app.m_uStdTypePackage));
    EXPECT_EQ(ui.Messages(), std::vector<CString>{"检查完毕,TypePackage正确!"});

    // Its names, walked as an instance package's are: no type name twice,
    // no member name twice within a type or along an abstract chain.
    ASSERT_TRUE(app.Load_ReportTemplate(app.m_xmlReport));
    app.m_pReportNode = app.m_xmlReport.Get_NodePtr(app.m_xmlReport.GetDocumentElement(), "other_errors");
    app.m_nReportErrors = 0;
    EXPECT_TRUE(KilnChecksProbe::Check_TypePackageNoRepeatName(app, app.m_uStdTypePackage));
    EXPECT_EQ(app.m_nReportErrors, 0);
}

TEST_F(StdPackageCheckTest, AnInstanceCopyOfEveryStandardClassChecksClean) {
    kiln::model::StdIcdBuilder b(app, app.m_uStdTypePackage, "kiln.types#", "kiln.icd#");
    ASSERT_TRUE(b.MakePackage("P"));
    std::vector<URI_Ref> classes;
    ASSERT_TRUE(app.DocMtd_get_Association_BUris_SortByOrd(app.m_uStdTypePackage, "sec:TypePackage.LNodeTypes",
                                                           classes));
    ASSERT_GT(classes.size(), 100u);
    for (const URI_Ref& c : classes)
        ASSERT_TRUE(b.LNodeTypeOf(app.DocMtd_getValue_ofAttr(c, "cim:Naming.name")).IsSet()) << b.LastError();
    EXPECT_TRUE(app.Only_Check_TypePackage(b.package));
    EXPECT_EQ(ui.Messages(), std::vector<CString>{"检查完毕,TypePackage正确!"});
}

TEST_F(StdPackageCheckTest, AnIcdBuiltFromTheStandardChecksClean) {
    kiln::model::StdIcdBuilder b(app, app.m_uStdTypePackage, "kiln.types#", "kiln.icd#");
    ASSERT_TRUE(b.MakePackage("P"));
    ASSERT_TRUE(b.MakeIcd("ICD1")) << b.LastError();
    ASSERT_TRUE(b.AddLDevice("PROT", 12, {"PTOC", "PTRC", "XCBR", "CSWI", "MMXU", "GGIO"})) << b.LastError();
    ASSERT_TRUE(b.AddLDevice("MEAS", 4, {"MMXU", "MSQI"})) << b.LastError();
    try {
        EXPECT_TRUE(app.Check_ICD_IsCorrect(b.icd));
    } catch (const CUiScriptError&) {
        // The unanswered question after findings; the double has failed the test.
    }
    EXPECT_EQ(ui.Messages(), std::vector<CString>{"检查完毕,ICD正确!"});
    if (app.m_nReportErrors > 0) {
        // Name the findings to make a failure readable.
        XmlNodeList list = app.m_pReportNode.SelectNodes("other_error");
        for (long i = 0; i < list.Length() && i < 20; ++i) {
            CString name, error;
            list.Item(i).GetAttribute("name", name);
            list.Item(i).GetAttribute("error", error);
            ADD_FAILURE() << name << " | " << error;
        }
    }
}

}  // namespace
}  // namespace kiln::test
