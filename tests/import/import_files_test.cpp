// The ICD, type-package and LNodeType imports through their entries: what
// the model holds afterwards, the report and its ending, and files that
// must change nothing.
#include <filesystem>

#include "tests/import/import_files_fixture.h"

namespace kiln::test {
namespace {

const std::string kHead =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<SCL xmlns=\"http://www.iec.ch/61850/2003/SCL\" xmlns:zScl=\"http://kiln.local/zScl\" version=\"2007\" "
    "revision=\"B\">\n";

// Types that the test model's standard package accepts without a finding.
const std::string kTypes =
    "<LNodeType id=\"L0\" lnClass=\"LLN0\"><DO name=\"Mod\" type=\"TINC\"/><DO name=\"Beh\" type=\"TINC\"/></LNodeType>\n"
    "<LNodeType id=\"PH\" lnClass=\"LPHD\"><DO name=\"PhyHealth\" type=\"TINC\"/></LNodeType>\n"
    "<LNodeType id=\"PT\" lnClass=\"PTOC\"><DO name=\"Mod\" type=\"TINC\"/><DO name=\"Op\" type=\"TSPS\"/></LNodeType>\n"
    "<DOType id=\"TINC\" cdc=\"INC\"><DA name=\"stVal\" bType=\"INT32\" fc=\"ST\"/></DOType>\n"
    "<DOType id=\"TSPS\" cdc=\"SPS\"><DA name=\"stVal\" bType=\"BOOLEAN\" fc=\"ST\"/>"
    "<DA name=\"q\" bType=\"Quality\" fc=\"ST\"/></DOType>\n";

const std::string kIed =
    "<IED name=\"RELAY\" type=\"R-100\" desc=\"保护装置\"><AccessPoint name=\"S1\"><Server>\n"
    "<LDevice inst=\"PROT\"><LN0 lnClass=\"LLN0\" lnType=\"L0\" inst=\"\">\n"
    "<DataSet name=\"ds\"><FCDA ldInst=\"PROT\" prefix=\"\" lnClass=\"PTOC\" lnInst=\"1\" doName=\"Op\" daName=\"stVal\" "
    "fc=\"ST\"/></DataSet>\n"
    "</LN0><LN lnClass=\"LPHD\" lnType=\"PH\" inst=\"1\"/><LN lnClass=\"PTOC\" lnType=\"PT\" inst=\"1\"/></LDevice>\n"
    "</Server></AccessPoint></IED>\n";

std::string Icd(const std::string& header, const std::string& ied, const std::string& types) {
    return kHead + header + "\n" + ied + "<DataTypeTemplates>\n" + types + "</DataTypeTemplates>\n</SCL>\n";
}

}  // namespace

TEST_F(ImportFilesTest, AnIcdBecomesANewIcdOfTheProductWithItsHeaderTypesAndInstance) {
    URI_Ref out;
    ASSERT_TRUE(RunIcd(Icd("<Header id=\"RELAY1\" version=\"2.0\" revision=\"B\"/>", kIed, kTypes), &out));
    EXPECT_EQ(SavedReport(), std::vector<ReportEntry>{});
    EXPECT_EQ(Boxes(), std::vector<CString>{"导入成功!"});
    EXPECT_FALSE(ReportSaved());

    ASSERT_TRUE(out.IsSet());
    EXPECT_EQ(Get(out, "cim:Naming.name"), "RELAY1_Ver2.0_RevB");
    EXPECT_EQ(Get(out, "sec:ICD.icdVersion"), "2.0");
    EXPECT_EQ(Get(out, "sec:ICD.icdRevision"), "B");
    EXPECT_EQ(Get(out, "sec:ICD.productType"), "R-100");
    EXPECT_EQ(Get(out, "sec:ICD.extDOFreely"), "false");
    EXPECT_EQ(Target(out, "sec:ICD.Product"), product);
    const URI_Ref pkg2 = Target(out, "sec:ICD.TypePackage");
    EXPECT_EQ(Get(pkg2, "cim:Naming.name"), "_新导入_模板类包");
    EXPECT_EQ(Target(pkg2, "sec:TypePackage.Depend_TypePackage"), m.stdPkg);
    EXPECT_EQ(NamesOf(Members(pkg2, "sec:TypePackage.LNodeTypes")), (std::vector<CString>{"L0", "PH", "PT"}));
    EXPECT_EQ(NamesOf(Members(pkg2, "sec:TypePackage.DOTypes")), (std::vector<CString>{"TINC", "TSPS"}));

    const URI_Ref ied = Target(out, "sec:ICD.IED");
    EXPECT_EQ(Get(ied, "cim:Naming.name"), "RELAY");
    const URI_Ref ld = Member(Target(ied, "sec:IED.Servers"), "sec:Server.LDevices", "PROT");
    ASSERT_TRUE(ld.IsSet());
    const URI_Ref ptoc = Node(ld, "PTOC1");
    ASSERT_TRUE(ptoc.IsSet());
    // The data-set member names a node that stands later in the file.
    const URI_Ref lln0 = Node(ld, "LLN0");
    const URI_Ref ds = Members(lln0, "sec:LNode.DataSets").at(0);
    EXPECT_EQ(Target(Members(ds, "sec:DataSet.FCDAs").at(0), "sec:DARef.LNode"), ptoc);
    // The wait cursor ended and the views were refreshed.
    EXPECT_EQ(ui.CallsOf(Enum_UiCall::WaitCursorBegin).size(), ui.CallsOf(Enum_UiCall::WaitCursorEnd).size());
    EXPECT_EQ(ui.CallsOf(Enum_UiCall::AllViewsRefresh).size(), 1u);
}

TEST_F(ImportFilesTest, AHeaderWithOnlyAnIdAndAFileWithoutHeaderNameTheIcd) {
    URI_Ref a, b;
    ASSERT_TRUE(RunIcd(Icd("<Header id=\"RELAY1\"/>", kIed, kTypes), &a));
    EXPECT_EQ(Get(a, "cim:Naming.name"), "RELAY1_Ver_Rev");
    EXPECT_EQ(Get(a, "sec:ICD.icdVersion"), "");
    ASSERT_TRUE(RunIcd(Icd("", "<IED name=\"X\"/>", kTypes), &b));
    EXPECT_EQ(Get(b, "cim:Naming.name"), "_新导入_");
    EXPECT_EQ(Get(b, "sec:ICD.productType"), "");
}

}  // namespace kiln::test
