// The two check drivers end to end: status texts, the saved report, the
// summary, the question and the shell-open, through the scripted double.
#include <filesystem>

#include "tests/editing/checks_fixture.h"

namespace fs = std::filesystem;

namespace kiln::test {
namespace {

class CheckDriversTest : public ChecksTest {
protected:
    CheckDriversTest() {
        icd = MakeIcd("ICD1");
        ld = AddLDevice(icd.server, "PROT", 1);
        lln0 = AddLNode(ld, "", "LLN0", "", 1, p1Lln0);
        URI_Ref log = AddMember(lln0, "sec:Log", "Log1", "sec:Log.LNode", 1);
        URI_Ref lcb = AddMember(lln0, "sec:LCB", "lcb1", "sec:LCB.LNode", 1);
        Link(lcb, "sec:LCB.Log", log);
        sgcb = AddMember(lln0, "sec:SGCB", "SGCB", "sec:SGCB.LNode", 1);
        ptoc1 = AddLNode(ld, "", "PTOC", "1", 2, m.p1Ptoc);
        URI_Ref doi = AddMember(lln0, "sec:DOI", "Beh", "sec:DOI.LNode", 1);
        AddDAI(doi, "stVal", 1);
        ds = AddMember(lln0, "sec:DataSet", "dsTrip", "sec:DataSet.LNode", 1);
        AddRef("sec:FCDA", "f1", ds, "sec:FCDA.DataSet", ptoc1, "Op", "stVal");
        AddRef("sec:FCDA", "f2", ds, "sec:FCDA.DataSet", ptoc1, "Str", "q");
    }
    // Statuses shown, in order.
    std::vector<CString> Statuses() {
        std::vector<CString> out;
        for (const Struct_UiCall& c : ui.CallsOf(Enum_UiCall::StatusText)) out.push_back(c.sText);
        return out;
    }
    // Three faults: two nodes of one full name, no setting-group control
    // block, a DA with a constraint its CDC does not allow, and a data-set
    // member naming a DA that the type lacks.
    void AddFaults() {
        AddLNode(ld, "", "PTOC", "1", 3, m.p1Ptoc);
        ASSERT_TRUE(Doc().DeleteResource(sgcb));
        MakeDA(m.p1Sps, "d", 3, "ST", "VisString255");
        AddRef("sec:FCDA", "f3", ds, "sec:FCDA.DataSet", ptoc1, "Op", "general");
    }
    CString ReportPath() const { return (docFolder / "Report.xml").string().c_str(); }

    IcdModel icd;
    URI_Ref ld, lln0, sgcb, ptoc1, ds;
};

TEST_F(CheckDriversTest, ACleanIcdSaysSoAndWritesNoReport) {
    EXPECT_TRUE(app.Check_ICD_IsCorrect(icd.icd));
    EXPECT_EQ(Statuses(), (std::vector<CString>{"正在检查IED", "正在检查TypePackage: P1",
                                                "正在检查ICD的DARef相关关联 ", " "}));
    EXPECT_EQ(ui.Messages(), std::vector<CString>{"检查完毕,ICD正确!"});
    EXPECT_EQ(ui.LastOf(Enum_UiCall::FrameworkMessageBox)->nType, static_cast<UINT>(MB_OK));
    EXPECT_FALSE(ReportSaved());
}

TEST_F(CheckDriversTest, GoldenReportOfAFaultyIcd) {
    AddFaults();
    ui.AnswerYes();
    EXPECT_TRUE(app.Check_ICD_IsCorrect(icd.icd));

    const Finding twin{"错误：  PROT内", "[]PTOC[1] 名称重复2次"};
    EXPECT_EQ(SavedFindings(), (std::vector<Finding>{
                                   twin,
                                   twin,
                                   {"错误：  IED", "IED内没有SGCB"},
                                   {"错误：  P1的DOType: P1_SPS的DA: d", "FC为ST，而标准中为DC"},
                                   {"错误：  P1_PTOC/Op.general",
                                    "lnType下按此路径找不到此DO或DA,而  LD: PROT的LNode: LLN0的DataSet: dsTrip的f3中已应用"},
                               }));
    EXPECT_EQ(app.m_nReportErrors, 5);
    EXPECT_EQ(Statuses().back(), "检查ICD结束，发现5个错误，发现0个警告。");
    const Struct_UiCall* question = ui.LastOf(Enum_UiCall::FrameworkMessageBox);
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(question->sText, "检查ICD结束，发现错误5个，发现警告0个。是否查看报告？");
    EXPECT_EQ(question->sCaption, "$?$导入完成");
    EXPECT_EQ(question->nType, static_cast<UINT>(MB_YESNO));
    const Struct_UiCall* open = ui.LastOf(Enum_UiCall::ShellOpen);
    ASSERT_NE(open, nullptr);
    EXPECT_EQ(open->sText, ReportPath());

    // The saved report keeps the template's groups and puts the findings
    // under "other_errors".
    CBase_XML saved;
    ASSERT_TRUE(saved.Load(ReportPath()));
    EXPECT_EQ(saved.GetDocumentElement().NodeName(), "Report");
    EXPECT_FALSE(saved.Get_NodePtr(saved.GetDocumentElement(), "ICD/DAIs").IsNull());
}

TEST_F(CheckDriversTest, RunsAreIndependentAndNoLeavesTheReportClosed) {
    AddFaults();
    ui.AnswerNo().AnswerNo();
    EXPECT_TRUE(app.Check_ICD_IsCorrect(icd.icd));
    const std::vector<Finding> first = SavedFindings();
    EXPECT_TRUE(app.Check_ICD_IsCorrect(icd.icd));
    EXPECT_EQ(SavedFindings(), first);
    EXPECT_EQ(app.m_nReportErrors, 5);
    EXPECT_EQ(ui.CountOf(Enum_UiCall::ShellOpen), 0);
}

TEST_F(CheckDriversTest, TypePackageDriverChecksTheInstanceChainOnly) {
    MakeDA(m.p1Sps, "d", 3, "ST", "VisString255");
    ui.AnswerNo("检查ICD结束，发现错误1个，发现警告0个。是否查看报告？");
    EXPECT_TRUE(app.Only_Check_TypePackage(m.instPkg));
    EXPECT_EQ(Statuses(), (std::vector<CString>{"正在检查TypePackage: P1",
                                                "检查TypePackage结束，发现1个错误，发现0个警告。"}));
    EXPECT_EQ(SavedFindings().size(), 1u);

    ui.ClearCalls();
    EXPECT_TRUE(app.Only_Check_TypePackage(m.stdPkg));  // a standard package has nothing to check
    EXPECT_EQ(Statuses(), std::vector<CString>{" "});
    EXPECT_EQ(ui.Messages(), std::vector<CString>{"检查完毕,TypePackage正确!"});
}

TEST_F(CheckDriversTest, AnIcdWithoutIedOrPackageSkipsThoseChecks) {
    const URI_Ref bare = Make(DomainOf(icd.icd), "sec:ICD", "Bare");
    EXPECT_TRUE(app.Check_ICD_IsCorrect(bare));
    EXPECT_EQ(Statuses(), (std::vector<CString>{"正在检查ICD的DARef相关关联 ", " "}));
    EXPECT_EQ(ui.Messages(), std::vector<CString>{"检查完毕,ICD正确!"});
}

TEST_F(CheckDriversTest, ACircleOfPackageDependenciesEndsTheWalk) {
    URI_Ref p4 = MakeTypePackage(kInstDomain, "P4", true);
    Link(p4, "sec:TypePackage.Depend_TypePackage", m.instPkg);
    ASSERT_TRUE(Doc().UpdateLink(m.instPkg, "sec:TypePackage.Depend_TypePackage", p4));
    EXPECT_TRUE(app.Check_ICD_IsCorrect(icd.icd));
    // The package walk says so once per walk (the driver's and the data
    // references'); both packages of the circle are checked.
    const CString nested = "类型声明包的依赖性描述存在嵌套！";
    EXPECT_EQ(ui.Messages(), (std::vector<CString>{nested, nested, "检查完毕,ICD正确!"}));
    EXPECT_EQ(Statuses(), (std::vector<CString>{"正在检查IED", "正在检查TypePackage: P1", "正在检查TypePackage: P4",
                                                "正在检查ICD的DARef相关关联 ", " "}));
}

TEST_F(CheckDriversTest, AMissingOrBrokenTemplateStopsBeforeAnyCheck) {
    const fs::path tmpl = workspace / "Template" / "Report_Template.xml";
    // The template is named once, by its path.
    const CString expected =
        (docFolder.string() + "/../Template/Report_Template.xml文件格式不正确, 导入不成功！").c_str();
    for (const char* content : {"", "<Report><other_errors></Report>"}) {
        ui.ClearCalls();
        fs::remove(tmpl);
        if (*content) {
            FILE* f = std::fopen(tmpl.string().c_str(), "w");
            ASSERT_NE(f, nullptr);
            std::fputs(content, f);
            std::fclose(f);
        }
        EXPECT_FALSE(app.Check_ICD_IsCorrect(icd.icd));
        EXPECT_FALSE(app.Only_Check_TypePackage(m.instPkg));
        EXPECT_EQ(ui.Messages(), (std::vector<CString>{expected, expected}));
        EXPECT_EQ(ui.CountOf(Enum_UiCall::StatusText), 0);
    }
}

TEST_F(CheckDriversTest, FindingsSurviveATemplateWithoutTheirGroup) {
    FILE* f = std::fopen((workspace / "Template" / "Report_Template.xml").string().c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fputs("<?xml version=\"1.0\"?><CheckReport><Header/></CheckReport>", f);
    std::fclose(f);
    AddFaults();
    ui.AnswerNo();
    EXPECT_TRUE(app.Check_ICD_IsCorrect(icd.icd));
    EXPECT_EQ(SavedFindings().size(), 5u);
}

TEST_F(CheckDriversTest, AReportThatCannotBeSavedIsNotOffered) {
    fs::create_directories(docFolder / "Report.xml");  // a folder where the file should go
    AddFaults();
    EXPECT_TRUE(app.Check_ICD_IsCorrect(icd.icd));
    EXPECT_EQ(ui.Messages(), std::vector<CString>{ReportPath() + "文件保存不成功！"});
    EXPECT_EQ(ui.CountOf(Enum_UiCall::ShellOpen), 0);
    EXPECT_EQ(Statuses().back(), "检查ICD结束，发现5个错误，发现0个警告。");
}

}  // namespace
}  // namespace kiln::test
