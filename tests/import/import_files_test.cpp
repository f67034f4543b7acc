// The ICD, type-package and LNodeType imports through their entries: what
// the model holds afterwards, the report and its ending, and files that
// must change nothing.
#include <filesystem>

#include "tests/import/import_files_fixture.h"
#include "tests/import/scl_compare.h"

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
    ASSERT_TRUE(RunIcd(Icd("", "<IED name=\"X\"><AccessPoint name=\"S1\"><Server/></AccessPoint></IED>", kTypes), &b));
    EXPECT_EQ(Get(b, "cim:Naming.name"), "_新导入_");
    EXPECT_EQ(Get(b, "sec:ICD.productType"), "");
}

}  // namespace kiln::test

namespace kiln::test {

// Findings of the link pass and a missing IED: counted, saved beside the
// document, offered; an input from another IED is reported; a report client
// of another IED is kept as named and is no finding, while one of this IED
// whose node is missing, or one naming no IED, is.
TEST_F(ImportFilesTest, UnresolvedReferencesAreReportedSavedAndOffered) {
    const std::string ied =
        "<IED name=\"RELAY\" type=\"R\"><AccessPoint name=\"S1\"><Server><LDevice inst=\"PROT\">\n"
        "<LN0 lnClass=\"LLN0\" lnType=\"L0\" inst=\"\"><DataSet name=\"ds\">\n"
        "<FCDA ldInst=\"PROT\" lnClass=\"PTOC\" lnInst=\"1\" doName=\"Str\" daName=\"general\" fc=\"ST\"/>\n"
        "<FCDA ldInst=\"PROT\" lnClass=\"PTOC\" lnInst=\"1\" doName=\"Op\" daName=\"nope\" fc=\"ST\"/>\n"
        "</DataSet><ReportControl name=\"urcb\" datSet=\"ds\" confRev=\"1\"><OptFields/><RptEnabled max=\"3\">\n"
        "<ClientLN iedName=\"HMI\" ldInst=\"LD0\" lnClass=\"IHMI\" lnInst=\"1\"/>\n"
        "<ClientLN iedName=\"RELAY\" ldInst=\"PROT\" lnClass=\"IHMI\" lnInst=\"1\"/>\n"
        "<ClientLN ldInst=\"LD0\" lnClass=\"ITCI\" lnInst=\"1\"/>\n"
        "</RptEnabled></ReportControl></LN0>\n"
        "<LN lnClass=\"LPHD\" lnType=\"PH\" inst=\"1\"/>\n"
        "<LN lnClass=\"PTOC\" lnType=\"PT\" inst=\"1\"><Inputs>\n"
        "<ExtRef iedName=\"OTHER\" ldInst=\"LD0\" lnClass=\"XCBR\" lnInst=\"1\" doName=\"Pos\" daName=\"stVal\"/>\n"
        "<ExtRef intAddr=\"only-internal\"/>\n"
        "</Inputs></LN></LDevice></Server></AccessPoint></IED>\n";
    URI_Ref out;
    ASSERT_TRUE(RunIcd(Icd("<Header id=\"R\"/>", ied, kTypes), &out, [&] {
        ui.AnswerInputKeep();
        ui.AnswerYes("ICD文件导入完毕,发现错误5个。是否查看报告？");
    }));
    const std::vector<ReportEntry> report = SavedReport();
    ASSERT_EQ(report.size(), 5u) << ::testing::PrintToString(report);
    EXPECT_TRUE(report[0].name.Find("错误：+ICD文件:sec:FCDA:") == 0) << report[0].name;
    EXPECT_EQ(report[0].error, "按路径PROT/PTOC1.Str未找到DO");
    EXPECT_EQ(report[1].error, "按路径PROT/PTOC1.Str.general未找到DO或DA");
    EXPECT_EQ(report[2].error, "按路径PROT/PTOC1.Op.nope未找到DO或DA");
    EXPECT_EQ(report[3], (ReportEntry{"other_error", "错误：ICD文件:sec:ClientLN:Client_2", "未找到LNode:RELAYPROTIHMI1"}));
    EXPECT_EQ(report[4], (ReportEntry{"other_error", "错误：ICD文件:sec:ClientLN:Client_3", "未找到LNode:LD0ITCI1"}));
    // The input of another IED is kept as the file names it: no finding.
    EXPECT_EQ(ui.CallsOf(Enum_UiCall::ShellOpen).at(0).sText, (docFolder / "Report.xml").string().c_str());
    // The status line carries the summary.
    bool summary = false;
    for (const Struct_UiCall& c : ui.CallsOf(Enum_UiCall::StatusText))
        summary = summary || c.sText == "导入ICD结束，发现5个错误，发现0个警告。";
    EXPECT_TRUE(summary);
}

// What the model has no place for (nodes directly under an access point,
// an access point without a server) and faults of the file (a second type
// of an id already read, a value outside any DOI, a node of another class
// than its type's) are each reported once; the rest comes in.
TEST_F(ImportFilesTest, WhatTheModelCannotHoldAndFaultsOfTheFileAreReported) {
    const std::string ied =
        "<IED name=\"RELAY\" type=\"R-100\"><AccessPoint name=\"S1\"><Server>\n"
        "<LDevice inst=\"PROT\"><LN0 lnClass=\"LLN0\" lnType=\"L0\" inst=\"\"/>"
        "<LN lnClass=\"LPHD\" lnType=\"PH\" inst=\"1\"/>"
        "<LN lnClass=\"PTOC\" lnType=\"PT\" inst=\"1\"><DAI name=\"Op\"><Val>true</Val></DAI></LN>"
        "<LN lnClass=\"MMXU\" lnType=\"MX\" inst=\"1\"><DOI name=\"PhV\"><DOI name=\"phsA\"><DAI name=\"q\"/></DOI>"
        "<DAI name=\"angRef\"/><DOI name=\"phsZ\"><DAI name=\"q\"/></DOI><SDI name=\"phsB\"><DAI name=\"q\"/></SDI></DOI></LN>"
        "<LN lnClass=\"PTRC\" lnType=\"PT\" inst=\"2\"/></LDevice>\n"
        "</Server></AccessPoint>\n"
        "<AccessPoint name=\"P1\"><LN lnClass=\"LPHD\" inst=\"1\" lnType=\"PH\"/></AccessPoint></IED>\n";
    // An enumeration with two order numbers of one value.
    const std::string second =
        "<DOType id=\"TSPS\" cdc=\"SPS\"><DA name=\"general\" bType=\"BOOLEAN\" fc=\"ST\"/></DOType>\n"
        "<DOType id=\"TMODE\" cdc=\"INC\"><DA name=\"stVal\" bType=\"Enum\" fc=\"ST\" type=\"E_Mode\"/></DOType>\n"
        "<EnumType id=\"E_Mode\"><EnumVal ord=\"1\">on</EnumVal><EnumVal ord=\"+01\">blocked</EnumVal></EnumType>\n"
        "<LNodeType id=\"MX\" lnClass=\"MMXU\"><DO name=\"PhV\" type=\"TWYE\"/></LNodeType>\n"
        "<DOType id=\"TWYE\" cdc=\"WYE\"><SDO name=\"phsA\" type=\"TCMV\"/><SDO name=\"phsB\" type=\"TCMV\"/>"
        "<DA name=\"angRef\" bType=\"INT32\" fc=\"CF\"/></DOType>\n"
        "<DOType id=\"TCMV\" cdc=\"CMV\"><DA name=\"q\" bType=\"Quality\" fc=\"MX\"/></DOType>\n";
    URI_Ref out;
    ASSERT_TRUE(RunIcd(Icd("<Header id=\"R\"/>", ied, kTypes + second), &out, [&] {
        ui.AnswerInputKeep();
        ui.AnswerNo("发现错误5个");
    }));
    EXPECT_EQ(SavedReport(),
              (std::vector<ReportEntry>{
                  {"LNode", "错误：PTRC2", "PROT下的LNode:PTRC2的lnClass与其lnType:PT的lnClass:PTOC不同！"},
                  {"LNode", "警告：LPHD1", "AccessPoint:P1下的LNode:LPHD1未导入（只导入LDevice中的LNode）"},
                  {"DOI", "警告：phsA", "LNode:MMXU1里的PhV中的DOI:phsA不符合SCL（应为SDI），按SDI导入"},
                  {"DOI", "错误：phsZ", "LNode:MMXU1里的PhV中的DOI:phsZ未找到对应SDO，未导入"},
                  {"DAI", "错误：PTOC1.Op", "PROT下的LNode:PTOC1中的DAI:Op不在DOI中，未导入！"},
                  {"other_error", "错误：ICD文件:  DOType:TSPS", "DOType的id重复，只导入了第一个"},
                  {"other_error", "错误：ICD文件:  EnumType:E_Mode", "EnumVal blocked的ord +01重复"},
                  {"other_error", "警告：ICD文件:  AccessPoint:P1", "AccessPoint:P1中没有Server，未导入"}}));
    const URI_Ref ld = Member(Target(Target(out, "sec:ICD.IED"), "sec:IED.Servers"), "sec:Server.LDevices", "PROT");
    EXPECT_EQ(NamesOf(Members(ld, "sec:LDevice.LNodes")),
              (std::vector<CString>{"LLN0", "LPHD1", "PTOC1", "MMXU1", "PTRC2"}));
    // A DOI within a DOI is read as the SDI it stands for, or left out whole.
    EXPECT_EQ(NamesOf(Members(Member(Node(ld, "MMXU1"), "sec:LNode.DOIs", "PhV"), "sec:DOI.DAIs")),
              (std::vector<CString>{"phsA.q[MX]", "angRef[CF]", "phsB.q[MX]"}));
    EXPECT_EQ(Get(ld, "sec:LDevice.apName"), "S1");
    // The first DOType of the id is the one kept.
    const URI_Ref sps = Member(Target(out, "sec:ICD.TypePackage"), "sec:TypePackage.DOTypes", "TSPS");
    EXPECT_EQ(NamesOf(Members(sps, "sec:DOType.Contains_DAs")), (std::vector<CString>{"stVal", "q"}));
}

// A file without an IED that has a server (none at all, or clients only)
// makes no IED content and is reported as a file without an IED.
TEST_F(ImportFilesTest, AFileWithoutIedIsReportedAndItsTypesStay) {
    const std::string clients[] = {
        "",
        "<IED name=\"GW\" type=\"G\"><AccessPoint name=\"C1\"/></IED>\n"
        "<IED name=\"HMI\"><AccessPoint name=\"C1\">"
        "<LN lnClass=\"IHMI\" inst=\"1\" lnType=\"PT\"/></AccessPoint></IED>\n"};
    for (const std::string& ieds : clients) {
        URI_Ref out;
        ASSERT_TRUE(RunIcd(Icd("<Header id=\"R\"/>", ieds, kTypes), &out, [&] {
            ui.AnswerInputKeep();
            ui.AnswerNo("发现错误1个");
        })) << ieds;
        EXPECT_EQ(SavedReport(), (std::vector<ReportEntry>{{"other_error", "错误：ICD文件:  IED:", "未找到IED"}})) << ieds;
        EXPECT_EQ(Members(Target(out, "sec:ICD.TypePackage"), "sec:TypePackage.LNodeTypes").size(), 3u);
        const URI_Ref ied = Target(out, "sec:ICD.IED");
        EXPECT_NE(Get(ied, "cim:Naming.name"), "GW");
        EXPECT_EQ(Get(out, "sec:ICD.productType"), "");
        EXPECT_TRUE(Members(Target(ied, "sec:IED.Servers"), "sec:Server.LDevices").empty());
        EXPECT_TRUE(ui.CallsOf(Enum_UiCall::ShellOpen).empty());
        ui.ClearCalls();
    }
}

// What a file says of its IED (description, maker, versions, rights) and
// of each access point, its server and authentication is kept (on the IED,
// on each device) and written back by the ICD export; only the IED's name
// is the template's there.
TEST_F(ImportFilesTest, TheIedAndItsAccessPointsComeBackAsTheFileHadThem) {
    const std::string ied =
        "<IED name=\"RELAY\" type=\"R-100\" desc=\"保护装置\" manufacturer=\"示例电气\" configVersion=\"V2.01\" "
        "originalSclVersion=\"2007\" originalSclRevision=\"B\" originalSclRelease=\"4\" engRight=\"fix\" "
        "owner=\"配置工具\">\n"
        "<AccessPoint name=\"S1\" desc=\"站控层\" router=\"true\" clock=\"false\"><Server timeout=\"60\">"
        "<Authentication password=\"true\" weak=\"1\"/>\n"
        "<LDevice inst=\"PROT\"><LN0 lnClass=\"LLN0\" lnType=\"L0\" inst=\"\"/></LDevice>\n"
        "<LDevice inst=\"MEAS\"><LN0 lnClass=\"LLN0\" lnType=\"L0\" inst=\"\"/></LDevice></Server></AccessPoint>\n"
        "<AccessPoint name=\"G1\" clock=\"true\" kdc=\"false\"><Server desc=\"过程层\" timeout=\"45\">"
        "<Authentication none=\"false\" certificate=\"true\"/>\n"
        "<LDevice inst=\"PIGO\"><LN0 lnClass=\"LLN0\" lnType=\"L0\" inst=\"\"/></LDevice></Server></AccessPoint>\n"
        "<AccessPoint name=\"M1\"><Server><Authentication/>\n"
        "<LDevice inst=\"PISV\"><LN0 lnClass=\"LLN0\" lnType=\"L0\" inst=\"\"/></LDevice>"
        "</Server></AccessPoint></IED>\n";
    const std::string text = Icd("<Header id=\"R\"/>", ied, kTypes);
    URI_Ref out;
    ASSERT_TRUE(RunIcd(text, &out));
    EXPECT_EQ(SavedReport(), std::vector<ReportEntry>{});
    const URI_Ref model = Target(out, "sec:ICD.IED");
    std::vector<CString> iedRoles;
    for (const char* role : {"cim:Naming.name", "sec:IED.manufacturer", "sec:IED.configVersion",
                             "sec:IED.originalSclVersion", "sec:IED.originalSclRevision", "sec:IED.originalSclRelease",
                             "sec:IED.engRight", "sec:IED.owner"})
        iedRoles.push_back(Get(model, role));
    EXPECT_EQ(iedRoles, (std::vector<CString>{"RELAY", "示例电气", "V2.01", "2007", "B", "4", "fix", "配置工具"}));
    // Each device holds what its access point said, as the file wrote it.
    std::vector<CString> devices;
    for (const URI_Ref& ld : Members(Target(model, "sec:IED.Servers"), "sec:Server.LDevices")) {
        CString row = Get(ld, "cim:Naming.name") + ":";
        for (const char* role : {"apName", "apDesc", "apRouter", "apClock", "apKdc", "serverDesc", "serverTimeout",
                                 "authNone", "authPassword", "authWeak", "authStrong", "authCertificate"})
            row += Get(ld, CString("sec:LDevice.") + role) + ",";
        devices.push_back(row);
    }
    EXPECT_EQ(devices, (std::vector<CString>{"PROT:S1,站控层,true,false,,,60,,true,1,,,",
                                             "MEAS:S1,站控层,true,false,,,60,,true,1,,,",
                                             "PIGO:G1,,,true,false,过程层,45,false,,,,true,",
                                             "PISV:M1,,,,,,,,,,,,"}));

    // Back out through the ICD export: above the devices, nothing differs
    // from the file but the IED's name; the file is valid SCL.
    for (const char* t : {"ICD_Template.xml", "MICS_Template.xml"})
        std::filesystem::copy_file(std::filesystem::path(KILN_SOURCE_DIR) / "Template" / t, workspace / "Template" / t);
    const std::string written = (workspace / "out.icd").string();
    ui.AnswerNo("是否由M2I生成DOI DAI");
    ui.AnswerSaveFile(written.c_str());
    ASSERT_TRUE(app.Rsc_ICD_Export(out, false));
    pugi::xml_document src, back;
    ASSERT_TRUE(src.load_string(text.c_str()));
    ASSERT_TRUE(back.load_file(written.c_str()));
    std::vector<std::string> differences;
    for (const TreeDifference& d : CompareSclRoundTrip(src.document_element(), back.document_element()))
        if (d.path.rfind("/SCL/IED", 0) == 0 && d.path.find("/LDevice") == std::string::npos)
            differences.push_back(::testing::PrintToString(d));
    EXPECT_EQ(differences, std::vector<std::string>{"/SCL/IED[name=RELAY] @name: source \"RELAY\", output \"TEMPLATE\" "
                                                    "(allowed: names the IED \"TEMPLATE\", as an ICD does)"});
    bool skipped = false;
    EXPECT_EQ(ValidateAgainstScl(written, skipped), "");
}

// Files that fail change nothing in the model.
TEST_F(ImportFilesTest, MalformedFilesChangeNothing) {
    const std::vector<CString> icdsBefore = IcdNames();
    const std::vector<CString> packagesBefore = PackageNames();
    URI_Ref out;

    // Not well-formed: the file-format message. A second whole SCL after
    // the root, which the parser would take, is refused where it starts.
    const struct {
        const char* file;
        std::string text;
        const char* says;
    } kMalformed[] = {
        {"bad.icd", kHead + "<Header id=\"X\"><DataTypeTemplates></SCL>", "：第3行第37列：XML格式错误：Start-end tags mismatch"},
        {"two_roots.icd", kHead + "<Header id=\"X\"/>\n</SCL>\n" + kHead.substr(kHead.find("<SCL")) + "<IED name=\"B\"/></SCL>\n",
         "：第5行第1列：XML格式错误：根元素之后还有内容"},
    };
    for (const auto& c : kMalformed) {
        ui.ClearCalls();
        const CString bad = WriteFile(c.file, c.text);
        ui.AnswerOpenFile(bad);
        EXPECT_FALSE(app.Rsc_ICD_Import(&out, product));
        EXPECT_EQ(Boxes(), std::vector<CString>{bad + "ICD文件格式不正确, 导入不成功！\n" + bad + c.says});
    }

    // Another root: the file-format message, then the root found and the
    // one read; also for a type file whose SCL is of another namespace.
    const CString read = "，只导入根元素为SCL（命名空间http://www.iec.ch/61850/2003/SCL，或无命名空间）的文件";
    ui.ClearCalls();
    const CString other = WriteFile("other.icd", "<?xml version=\"1.0\"?><ITB><DataTypeTemplates/></ITB>");
    ui.AnswerOpenFile(other);
    EXPECT_FALSE(app.Rsc_ICD_Import(&out, product));
    const CString foreign = WriteFile("foreign.Type", "<SCL xmlns=\"urn:other\"><DataTypeTemplates>" + kTypes +
                                                          "</DataTypeTemplates></SCL>");
    ui.AnswerOpenFile(foreign);
    EXPECT_FALSE(app.Rsc_TypePackage_Import());
    ui.AnswerOpenFile(foreign);
    EXPECT_FALSE(app.Rsc_LNodeType_Import(m.instPkg));
    const CString why = "TypePackage文件格式不正确, 导入不成功！\n根元素是SCL（命名空间urn:other）" + read;
    EXPECT_EQ(Boxes(), (std::vector<CString>{other + "ICD文件格式不正确, 导入不成功！\n根元素是ITB（命名空间无）" + read,
                                             foreign + why, foreign + why}));

    // A key attribute missing on the last element: its entry and the report
    // ending, then the file-format message; no question was asked.
    ui.ClearCalls();
    const std::string noKey = kTypes + "<DAType><BDA name=\"f\" bType=\"FLOAT32\"/></DAType>\n";
    ui.AnswerOpenFile(WriteFile("nokey.icd", Icd("<Header id=\"R\"/>", kIed, noKey)));
    ui.AnswerNo("ICD文件导入完毕,发现错误1个");
    EXPECT_FALSE(app.Rsc_ICD_Import(&out, product));
    EXPECT_EQ(SavedReport(), (std::vector<ReportEntry>{{"other_error", "错误：ICD文件:  DAType:", "DAType有id为null！"}}));
    EXPECT_TRUE(ui.CallsOf(Enum_UiCall::InputBox).empty());
    EXPECT_EQ(Boxes().back(), WriteFile("nokey.icd", "") + "ICD文件格式不正确, 导入不成功！");

    // The same for a type-package file, each kind named as itself.
    const struct {
        const char *element, *name, *error;
    } kNoKey[] = {{"<LNodeType lnClass=\"PTOC\"/>", "错误：ICD文件:  LNodeType:", "LNodeType  id为null！"},
                  {"<EnumType/>", "错误：ICD文件:  EnumType:", "EnumType有id为null！"},
                  {"<DAType/>", "错误：ICD文件:  DAType:", "DAType有id为null！"}};
    for (const auto& k : kNoKey) {
        ui.ClearCalls();
        ui.AnswerOpenFile(WriteFile("nokey.Type", Icd("<Header id=\"T\"/>", "", k.element)));
        ui.AnswerNo("TypePackage文件导入完毕,发现错误1个");
        EXPECT_FALSE(app.Rsc_TypePackage_Import());
        EXPECT_EQ(SavedReport(), (std::vector<ReportEntry>{{"other_error", k.name, k.error}})) << k.element;
    }

    EXPECT_EQ(IcdNames(), icdsBefore);
    EXPECT_EQ(PackageNames(), packagesBefore);
    EXPECT_EQ(ui.CallsOf(Enum_UiCall::WaitCursorBegin).size(), ui.CallsOf(Enum_UiCall::WaitCursorEnd).size());
}

// An ICD import needs a product; refused before the file is chosen.
TEST_F(ImportFilesTest, AnIcdImportWithoutProductIsRefusedBeforeTheDialog) {
    URI_Ref out;
    EXPECT_FALSE(app.Rsc_ICD_Import(&out, URI_Ref()));
    EXPECT_FALSE(app.Rsc_ICD_Import(&out, m.stdPkg));
    EXPECT_EQ(Boxes(), (std::vector<CString>{"内部错误 - E992！", "产品型号指定错误！"}));
    EXPECT_TRUE(ui.CallsOf(Enum_UiCall::OpenFile).empty());
}

// A report that cannot be written gives its notice and no question.
TEST_F(ImportFilesTest, AFailedReportSaveGivesItsNoticeAndNoQuestion) {
    std::filesystem::create_directories(docFolder / "Report.xml");  // a folder where the file should go
    URI_Ref out;
    ASSERT_TRUE(RunIcd(Icd("<Header id=\"R\"/>", "", kTypes), &out));
    const std::vector<CString> boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], CString((docFolder / "Report.xml").string().c_str()) + "文件保存不成功！");
}

// A template that cannot be loaded: its message, no dialog.
TEST_F(ImportFilesTest, AnUnreadableTemplateStopsBeforeTheDialog) {
    std::filesystem::remove(workspace / "Template" / "Report_Template.xml");
    EXPECT_FALSE(app.Rsc_TypePackage_Import());
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0], app.Get_ReportTemplatePath() + "文件格式不正确, 导入不成功！");
    EXPECT_TRUE(ui.CallsOf(Enum_UiCall::OpenFile).empty());
}

}  // namespace kiln::test

namespace kiln::test {
namespace {

std::string TypeFile(const std::string& id, const std::string& types) {
    return kHead + (id.empty() ? "" : "<Header id=\"" + id + "\"/>") + "\n<DataTypeTemplates>\n" + types +
           "</DataTypeTemplates>\n</SCL>\n";
}

URI_Ref PackageNamed(CKiln_Main& app, const CString& name) {
    std::vector<URI_Ref> list;
    app.DocMtd_get_Uris_byClassName("sec:TypePackage", list, "", SortPolicy_ByName);
    for (const URI_Ref& p : list)
        if (app.DocMtd_getValue_ofAttr(p, "cim:Naming.name") == name) return p;
    return URI_Ref();
}

}  // namespace

// Inherited DOs are removed along the whole base chain, read from the file
// as written (C -> B -> A, B already stripped when C is read); only the
// type's own DOs stay.
TEST_F(ImportFilesTest, InheritedDOsAreRemovedAlongTheWholeBaseChain) {
    const std::string types = kTypes +
                              "<LNodeType id=\"A\" lnClass=\"PTOC\"><DO name=\"Mod\" type=\"TINC\"/></LNodeType>\n"
                              "<LNodeType id=\"B\" lnClass=\"PTOC\" zScl:base=\"A\"><DO name=\"Mod\" type=\"TINC\"/>"
                              "<DO name=\"Op\" type=\"TSPS\"/></LNodeType>\n"
                              "<LNodeType id=\"C\" lnClass=\"PTOC\" zScl:base=\"B\"><DO name=\"Mod\" type=\"TINC\"/>"
                              "<DO name=\"Op\" type=\"TSPS\"/><DO name=\"Str\" type=\"TSPS\"/></LNodeType>\n";
    ASSERT_TRUE(RunTypePackage(TypeFile("TP", types)));
    EXPECT_EQ(Boxes(), std::vector<CString>{"导入成功!"});
    const URI_Ref tp = PackageNamed(app, "TP");
    ASSERT_TRUE(tp.IsSet());
    EXPECT_EQ(Get(tp, "sec:TypePackage.isInstType"), "true");
    EXPECT_EQ(Target(tp, "sec:TypePackage.Depend_TypePackage"), m.stdPkg);
    const URI_Ref a = Member(tp, "sec:TypePackage.LNodeTypes", "A");
    const URI_Ref b = Member(tp, "sec:TypePackage.LNodeTypes", "B");
    const URI_Ref c = Member(tp, "sec:TypePackage.LNodeTypes", "C");
    EXPECT_EQ(NamesOf(Members(c, "sec:LNodeType.DOs")), std::vector<CString>{"Str"});
    EXPECT_EQ(NamesOf(Members(b, "sec:LNodeType.DOs")), std::vector<CString>{"Op"});
    EXPECT_EQ(NamesOf(Members(a, "sec:LNodeType.DOs")), std::vector<CString>{"Mod"});
    EXPECT_EQ(Target(c, "sec:LNodeType.Abstract_Type"), b);
    EXPECT_EQ(Target(b, "sec:LNodeType.Abstract_Type"), a);
}

// Bases that close a circle, in types and in base logical devices, are not
// linked and are reported; the import ends.
TEST_F(ImportFilesTest, CyclicBasesAreReportedAndNotLinked) {
    const std::string types =
        kTypes +
        "<LNodeType id=\"X\" lnClass=\"PTOC\" zScl:base=\"Y\"><DO name=\"Op\" type=\"TSPS\"/></LNodeType>\n"
        "<LNodeType id=\"Y\" lnClass=\"PTOC\" zScl:base=\"X\"><DO name=\"Mod\" type=\"TINC\"/></LNodeType>\n"
        "<LDevice inst=\"D1\" AbstractLD=\"D2\"><LN0 lnClass=\"LLN0\" lnType=\"L0\" inst=\"\"/></LDevice>\n"
        "<LDevice inst=\"D2\" AbstractLD=\"D1\"><LN0 lnClass=\"LLN0\" lnType=\"L0\" inst=\"\"/></LDevice>\n";
    // A circle of 40 base devices, longer than the walks of bases go.
    std::string longCircle;
    for (int i = 0; i < 40; ++i)
        longCircle += "<LDevice inst=\"E" + std::to_string(10 + i) + "\" AbstractLD=\"E" + std::to_string(10 + (i + 1) % 40) +
                      "\"><LN0 lnClass=\"LLN0\" lnType=\"L0\" inst=\"\"/></LDevice>\n";
    ASSERT_TRUE(RunTypePackage(TypeFile("CYC", types + longCircle), [&] {
        ui.AnswerInputKeep();
        ui.AnswerInputKeep();
        ui.AnswerNo();
    }));
    const std::vector<ReportEntry> report = SavedReport();
    int typeCycles = 0, deviceCycles = 0, longCycles = 0;
    for (const ReportEntry& e : report) {
        if (e.error.Find("基于的基类(zScl:base)") >= 0 && e.error.Find("形成循环") > 0) ++typeCycles;
        if (e.name.Find("错误：ICD文件:  LDevice:D") == 0 && e.error.Find("形成循环") > 0) ++deviceCycles;
        if (e.name.Find("错误：ICD文件:  LDevice:E") == 0 && e.error.Find("形成循环") > 0) ++longCycles;
    }
    EXPECT_EQ(typeCycles, 1) << ::testing::PrintToString(report);
    EXPECT_EQ(deviceCycles, 1) << ::testing::PrintToString(report);
    EXPECT_EQ(longCycles, 1) << ::testing::PrintToString(report);
    const URI_Ref cyc = PackageNamed(app, "CYC");
    const URI_Ref x = Member(cyc, "sec:TypePackage.LNodeTypes", "X");
    const URI_Ref y = Member(cyc, "sec:TypePackage.LNodeTypes", "Y");
    // One of the two links is made, never both.
    EXPECT_FALSE(Target(x, "sec:LNodeType.Abstract_Type").IsSet() && Target(y, "sec:LNodeType.Abstract_Type").IsSet());
    const URI_Ref d1 = Member(cyc, "sec:TypePackage.Base_LDevices", "D1");
    const URI_Ref d2 = Member(cyc, "sec:TypePackage.Base_LDevices", "D2");
    EXPECT_EQ(Target(d1, "sec:LDevice.Abstract_LDevice"), d2);
    EXPECT_FALSE(Target(d2, "sec:LDevice.Abstract_LDevice").IsSet());
}

// Base logical devices: an unknown LN0 type and an unknown base device are
// reported; LN elements are numbered from 2.
TEST_F(ImportFilesTest, BaseLogicalDevicesReportUnknownTypesAndNumberTheirNodes) {
    const std::string types = kTypes +
                              "<LDevice inst=\"G\" desc=\"通用\"><LN0 lnClass=\"LLN0\" lnType=\"L0\" inst=\"\"/>"
                              "<LN lnClass=\"LPHD\" lnType=\"PH\" inst=\"1\"/><LN lnClass=\"PTOC\" lnType=\"PT\" "
                              "inst=\"1\"/><LN lnClass=\"PTOC\" lnType=\"PT\" inst=\"2\"/></LDevice>\n"
                              "<LDevice inst=\"H\" AbstractLD=\"NONE\"><LN0 lnClass=\"LLN0\" lnType=\"MISSING\" "
                              "inst=\"\"/><LN lnClass=\"PTOC\" lnType=\"PT\" inst=\"1\"/></LDevice>\n";
    ASSERT_TRUE(RunTypePackage(TypeFile("BLD", types), [&] {
        ui.AnswerInputKeep();
        ui.AnswerInputKeep();
        ui.AnswerNo("TypePackage文件导入完毕,发现错误");
    }));
    const URI_Ref bld = PackageNamed(app, "BLD");
    const URI_Ref g = Member(bld, "sec:TypePackage.Base_LDevices", "G");
    const URI_Ref h = Member(bld, "sec:TypePackage.Base_LDevices", "H");
    EXPECT_EQ(Get(g, "cim:Naming.description"), "通用");
    std::vector<CString> ords;
    for (const URI_Ref& n : Members(g, "sec:LDevice.LNodes")) ords.push_back(Get(n, "e301:OrdNaming.ord"));
    EXPECT_EQ(ords, (std::vector<CString>{"1", "2", "3", "4"}));
    EXPECT_EQ(NamesOf(Members(h, "sec:LDevice.LNodes")), std::vector<CString>{"PTOC1"});
    const std::vector<ReportEntry> ldEntries = {
        {"LDevice", "错误：ICD文件:  LDevice:H", "未找到LN0类型MISSING"},
        {"LDevice", "错误：ICD文件:  LDevice:H", "未找到AbstractLD NONE"}};
    std::vector<ReportEntry> report = SavedReport();
    std::vector<ReportEntry> found;
    for (const ReportEntry& e : report)
        if (e.element == "LDevice") found.push_back(e);
    EXPECT_EQ(found, ldEntries);
}

// The package name is made unique by appending numbers; Cancel on the
// dependency question ends silently; a file without templates is refused
// before the question.
TEST_F(ImportFilesTest, TypePackageNamesQuestionAndMissingTemplates) {
    MakeTypePackage("kiln.p1#", "P", true);
    MakeTypePackage("kiln.p1#", "P1", true);
    ASSERT_TRUE(RunTypePackage(TypeFile("P", kTypes)));
    EXPECT_TRUE(PackageNamed(app, "P12").IsSet());

    ui.ClearCalls();
    const std::vector<CString> before = PackageNames();
    EXPECT_TRUE(RunTypePackage(TypeFile("Q", kTypes), [&] { ui.AnswerInputCancel("选择依赖的类型包："); }));
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(PackageNames(), before);

    ui.ClearCalls();
    const CString path = WriteFile("none.Type", kHead + "<Header id=\"N\"/></SCL>");
    ui.AnswerOpenFile(path);
    EXPECT_FALSE(app.Rsc_TypePackage_Import());
    EXPECT_TRUE(ui.CallsOf(Enum_UiCall::InputBox).empty());
    EXPECT_EQ(Boxes(), std::vector<CString>{path + "TypePackage文件格式不正确, 导入不成功！\n根元素SCL中没有DataTypeTemplates元素，"
                                                   "类型包的类型只从根元素下同一命名空间（http://www.iec.ch/61850/2003/SCL）"
                                                   "的DataTypeTemplates元素导入"});
    EXPECT_EQ(PackageNames(), before);
}

// Types of a file into an existing package: same-named types are skipped
// with a warning, an LNodeType without id with its entry, a base found only
// in the model removes its DOs; warnings alone save the report.
TEST_F(ImportFilesTest, LNodeTypeFilesAddToAnExistingPackage) {
    const URI_Ref target = m.instPkg;  // holds P1_SPS and P1_PTOC (Op)
    const std::string types =
        "<LNodeType id=\"P1_PTOC\" lnClass=\"PTOC\"><DO name=\"Op\" type=\"P1_SPS\"/></LNodeType>\n"
        "<LNodeType lnClass=\"PTOC\"/>\n"
        "<LNodeType id=\"NEW\" lnClass=\"PTOC\" zScl:base=\"P1_PTOC\"><DO name=\"Op\" type=\"P1_SPS\"/>"
        "<DO name=\"Str\" type=\"T2\"/></LNodeType>\n"
        "<DOType id=\"T2\" cdc=\"SPS\"><DA name=\"stVal\" bType=\"BOOLEAN\" fc=\"ST\"/></DOType>\n"
        "<DOType id=\"P1_SPS\" cdc=\"SPS\"/>\n"
        "<DOType id=\"T2\" cdc=\"SPS\"><DA name=\"q\" bType=\"Quality\" fc=\"ST\"/></DOType>\n"
        "<DOType id=\"T3\" cdc=\"SPS\"><DA name=\"stVal\" bType=\"Enum\" fc=\"ST\" type=\"E1\"/></DOType>\n"
        "<EnumType id=\"E1\"><EnumVal ord=\"0\">on</EnumVal><EnumVal ord=\"2\">off</EnumVal></EnumType>\n"
        "<EnumType id=\"UNUSED\"><EnumVal ord=\"0\">x</EnumVal></EnumType>\n"
        "<o:DOType xmlns:o=\"urn:other\" id=\"T9\" cdc=\"SPS\"/>\n";
    ui.AnswerOpenFile(WriteFile("in.Type", TypeFile("X", types)));
    ui.AnswerNo("LNodeType文件导入完毕,发现错误3个。是否查看报告？");
    ASSERT_TRUE(app.Rsc_LNodeType_Import(target));
    EXPECT_TRUE(Member(target, "sec:TypePackage.DOTypes", "T9").IsEmpty());
    const std::vector<ReportEntry> report = SavedReport();
    const std::vector<ReportEntry> expected = {
        {"other_error", "错误：ICD文件:  DataTypeTemplates", "元素o:DOType未导入（命名空间urn:other）"},
        {"other_error", "警告：ICD文件:  LNodeType:P1_PTOC", "类型包中已有同名类型"},
        {"other_error", "错误：ICD文件:  LNodeType:", "LNodeType  id为null！"},
        {"other_error", "警告：ICD文件:  DOType:P1_SPS", "类型包中已有同名类型"},
        {"other_error", "错误：ICD文件:  DOType:T2", "DOType的id重复，只导入了第一个"}};
    EXPECT_EQ(report, expected);
    const URI_Ref added = Member(target, "sec:TypePackage.LNodeTypes", "NEW");
    ASSERT_TRUE(added.IsSet());
    EXPECT_EQ(NamesOf(Members(added, "sec:LNodeType.DOs")), std::vector<CString>{"Str"});
    EXPECT_EQ(Target(added, "sec:LNodeType.Abstract_Type"), m.p1Ptoc);
    EXPECT_EQ(Target(Member(added, "sec:LNodeType.DOs", "Str"), "sec:DO.DefinedBy_DOType"),
              Member(target, "sec:TypePackage.DOTypes", "T2"));
    EXPECT_EQ(NamesOf(Members(Member(target, "sec:TypePackage.DOTypes", "T2"), "sec:DOType.Contains_DAs")),
              std::vector<CString>{"stVal"});
    int ptocs = 0;
    for (const URI_Ref& t : Members(target, "sec:TypePackage.LNodeTypes")) ptocs += Get(t, "cim:Naming.name") == "P1_PTOC";
    EXPECT_EQ(ptocs, 1);
    // The enumeration the file's type uses comes with it, its values as written.
    const URI_Ref e1 = Member(target, "sec:TypePackage.EnumTypes", "E1");
    ASSERT_TRUE(e1.IsSet());
    EXPECT_TRUE(Member(target, "sec:TypePackage.EnumTypes", "UNUSED").IsEmpty());
    const URI_Ref da = Member(Member(target, "sec:TypePackage.DOTypes", "T3"), "sec:DOType.Contains_DAs", "stVal");
    EXPECT_EQ(Target(da, "sec:BDA.DefinedBy_EnumType"), e1);
    std::vector<std::string> values;
    for (const URI_Ref& v : Members(e1, "sec:EnumType.EnumVals"))
        values.push_back((Get(v, "e301:OrdNaming.ord") + "=" + Get(v, "sec:EnumVal.val")).str());
    EXPECT_EQ(values, (std::vector<std::string>{"0=on", "2=off"}));
}

}  // namespace kiln::test

#include "export/kiln_export.h"

namespace kiln::test {
namespace {

// Types and members of a package as "type:member:memberType" lines.
std::vector<std::string> PackageShape(CKiln_Main& app, const URI_Ref& pkg) {
    std::vector<std::string> out;
    auto name = [&](const URI_Ref& r) { return std::string(app.DocMtd_getValue_ofAttr(r, "cim:Naming.name").GetString()); };
    auto list = [&](const URI_Ref& r, const char* role) {
        std::vector<URI_Ref> v;
        app.DocMtd_get_Association_BUris(r, role, v, "e301:OrdNaming.ord", SortPolicy_ByOrd);
        return v;
    };
    for (const URI_Ref& t : list(pkg, "sec:TypePackage.LNodeTypes"))
        for (const URI_Ref& d : list(t, "sec:LNodeType.DOs"))
            out.push_back(name(t) + ":" + name(d) + ":" +
                          name(app.DocMtd_getFirstUri_ofAsso(d, "sec:DO.DefinedBy_DOType")));
    for (const URI_Ref& t : list(pkg, "sec:TypePackage.DOTypes"))
        for (const URI_Ref& d : list(t, "sec:DOType.Contains_DAs"))
            out.push_back(name(t) + ":" + name(d) + ":" + std::string(app.DocMtd_getValue_ofAttr(d, "sec:BDA.bType")));
    return out;
}

}  // namespace

// An imported ICD written by the exporter and imported again gives the
// same ICD: name, header values, types, devices, nodes and links.
TEST_F(ImportFilesTest, AnIcdExportedAndImportedAgainComesBackTheSame) {
    URI_Ref first, second;
    ASSERT_TRUE(RunIcd(Icd("<Header id=\"RELAY1\" version=\"2.0\" revision=\"B\"/>", kIed, kTypes), &first));
    // Written by the export command, as a user would.
    for (const char* t : {"ICD_Template.xml", "MICS_Template.xml"})
        std::filesystem::copy_file(std::filesystem::path(KILN_SOURCE_DIR) / "Template" / t, workspace / "Template" / t);
    const CString path = CString(workspace.string().c_str()) + "/again.icd";
    ui.AnswerNo("是否由M2I生成DOI DAI");
    ui.AnswerSaveFile(path);
    ASSERT_TRUE(app.Rsc_ICD_Export(first, false));
    ASSERT_TRUE(std::filesystem::is_regular_file(path.GetString()));

    ui.ClearCalls();
    ui.AnswerOpenFile(path);
    ui.AnswerInputKeep();
    ASSERT_TRUE(app.Rsc_ICD_Import(&second, product));
    EXPECT_EQ(Boxes(), std::vector<CString>{"导入成功!"}) << ::testing::PrintToString(SavedReport());
    for (const char* role : {"cim:Naming.name", "sec:ICD.icdVersion", "sec:ICD.icdRevision", "sec:ICD.productType"})
        EXPECT_EQ(Get(second, role), Get(first, role)) << role;
    EXPECT_EQ(PackageShape(app, Target(second, "sec:ICD.TypePackage")),
              PackageShape(app, Target(first, "sec:ICD.TypePackage")));
    auto devices = [&](const URI_Ref& icdRsc) {
        std::vector<CString> out;
        const URI_Ref server = Target(Target(icdRsc, "sec:ICD.IED"), "sec:IED.Servers");
        for (const URI_Ref& ld : Members(server, "sec:Server.LDevices"))
            for (const URI_Ref& ln : Members(ld, "sec:LDevice.LNodes"))
                out.push_back(Get(ld, "cim:Naming.name") + "/" + Get(ln, "cim:Naming.name") + ":" +
                              Get(Target(ln, "sec:LNode.LNodeType"), "cim:Naming.name"));
        return out;
    };
    EXPECT_EQ(devices(second), devices(first));
    EXPECT_EQ(devices(second).size(), 3u);
}

// A type-package file imported, exported whole and imported again into the
// same document: the same types under the next free name, and the iedType
// the file gave its LN types in each export.
TEST_F(ImportFilesTest, ATypePackageExportedAndImportedAgainComesBackTheSame) {
    std::string types = kTypes;
    types.replace(types.find("lnClass=\"PTOC\""), 0, "iedType=\"R-100\" ");
    types.replace(types.find("lnClass=\"LLN0\""), 0, "iedType=\"R-100\" ");
    ASSERT_TRUE(RunTypePackage(TypeFile("TP", types)));
    const URI_Ref first = [&] {
        std::vector<URI_Ref> list;
        app.DocMtd_get_Uris_byClassName("sec:TypePackage", list, "", SortPolicy_ByName);
        for (const URI_Ref& p : list)
            if (Get(p, "cim:Naming.name") == "TP") return p;
        return URI_Ref();
    }();
    ASSERT_TRUE(first.IsSet());
    // The iedType of each LNodeType a package's export writes, in order.
    auto iedTypes = [&](const URI_Ref& package) {
        CBase_XML out;
        EXPECT_TRUE(out.Load(CString(KILN_SOURCE_DIR) + "/Template/ICD_Template.xml"));
        CKiln_Export writer;
        EXPECT_TRUE(writer.Export_Alone_TypePackage(out.Get_NodePtr(out.GetDocumentElement(), "DataTypeTemplates"),
                                                    &app, out, package, false));
        std::vector<CString> found;
        XmlNodeList list = out.Get_NodePtr(out.GetDocumentElement(), "DataTypeTemplates").SelectNodes("LNodeType");
        for (long i = 0; i < list.Length(); ++i) {
            CString value;
            list.Item(i).GetAttribute("iedType", value);
            found.push_back(value);
        }
        return found;
    };
    const std::vector<CString> written{"R-100", "", "R-100"};
    EXPECT_EQ(iedTypes(first), written);
    CBase_XML xml;
    ASSERT_TRUE(xml.Load(CString(KILN_SOURCE_DIR) + "/Template/ICD_Template.xml"));
    ASSERT_TRUE(xml.Set_Default_NameSpase(kiln::exporter::kSclNamespace));
    CKiln_Export exporter;
    ASSERT_TRUE(exporter.Export_Alone_TypePackage(xml.Get_NodePtr(xml.GetDocumentElement(), "DataTypeTemplates"), &app,
                                                  xml, first, false));
    XmlNode header = xml.Get_NodePtr(xml.GetDocumentElement(), "Header");
    if (header.IsNull()) header = xml.GetDocumentElement().AppendChild("Header");
    header.SetAttribute("id", "TP");
    const CString path = CString(workspace.string().c_str()) + "/again.Type";
    ASSERT_TRUE(xml.SaveAs(path));
    ui.ClearCalls();
    ui.AnswerOpenFile(path);
    ui.AnswerInputKeep();
    ui.AnswerInputKeep();
    ASSERT_TRUE(app.Rsc_TypePackage_Import());
    EXPECT_EQ(Boxes(), std::vector<CString>{"导入成功!"}) << ::testing::PrintToString(SavedReport());
    const URI_Ref second = PackageNamed(app, "TP1");
    ASSERT_TRUE(second.IsSet());
    EXPECT_EQ(PackageShape(app, second), PackageShape(app, first));
    EXPECT_EQ(PackageShape(app, second).size(), 8u);
    EXPECT_EQ(iedTypes(second), written);
}

// What SCL refuses in a type-package file is reported: DO names outside
// the pattern, a DO name twice in a type, enumeration order numbers twice
// (kept) and ones that are no whole number (left out, with their value),
// and each attribute SCL requires that a type or member lacks.
// Its export then names what it leaves out and what breaks SCL's rules
// (a base device among the types too, a value its basic type cannot hold,
// a class the type lacks, as the ICD export names it), and writes no order
// number the file did not give, nor an id as a class.
TEST_F(ImportFilesTest, WhatSclRefusesInATypePackageIsReportedAndItsExportNamesIt) {
    const std::string types =
        "<LDevice inst=\"BASE\"><LN0 lnClass=\"LLN0\" inst=\"\" lnType=\"L\"/></LDevice>\n"
        "<LNodeType id=\"L\" lnClass=\"LLN0\"><DO name=\"Mod\" type=\"TINC\"/></LNodeType>\n"
        "<LNodeType id=\"G\" lnClass=\"PTOC\"><DO name=\"Beh\" type=\"TE\"/><DO name=\"过流告警\" type=\"TINC\"/>"
        "<DO name=\"Ind 1\" type=\"TINC\"/><DO name=\"Abcdefghijklmn\" type=\"TINC\"/><DO name=\"Beh\" type=\"TE\"/>"
        "</LNodeType>\n"
        "<DOType id=\"TINC\" cdc=\"INC\"><DA name=\"stVal\" bType=\"INT32\" fc=\"ST\"><Val>abc</Val></DA></DOType>\n"
        "<DOType id=\"TE\" cdc=\"INC\"><DA name=\"stVal\" bType=\"Enum\" fc=\"ST\" type=\"E\"/></DOType>\n"
        "<EnumType id=\"E\"><EnumVal ord=\"1\">on</EnumVal><EnumVal ord=\"01\">blocked</EnumVal>"
        "<EnumVal ord=\"\">test</EnumVal><EnumVal ord=\"12345678901234567890\">off</EnumVal>"
        "<EnumVal ord=\"+1\">spare</EnumVal></EnumType>\n"
        // Read by namespace: types and members of another are named, not
        // read; one of SCL's under a prefix is read.
        "<o:LNodeType xmlns:o=\"urn:other\" id=\"X\" lnClass=\"GGIO\"/>\n"
        "<DOType xmlns=\"urn:other\" id=\"TX\" cdc=\"SPS\"/>\n"
        "<LNodeType id=\"N\" lnClass=\"PTOC\"><DO name=\"Mod\" type=\"TS\"/><DO xmlns=\"urn:other\" name=\"Ind\" "
        "type=\"TS\"/></LNodeType>\n"
        "<s:DOType xmlns:s=\"http://www.iec.ch/61850/2003/SCL\" id=\"TS\" cdc=\"INC\"><s:DA name=\"stVal\" "
        "bType=\"INT32\" fc=\"ST\"/></s:DOType>\n"
        // Without the attributes SCL requires: a class, a name, a basic type.
        "<LNodeType id=\"K\"><DO name=\"Mod\" type=\"TN\"/><DO type=\"TN\"/></LNodeType>\n"
        "<DOType id=\"TN\"><DA name=\"stVal\" fc=\"ST\"/><DA bType=\"INT32\" fc=\"ST\"/></DOType>\n";
    ASSERT_TRUE(RunTypePackage(TypeFile("BAD", types), [&] {
        ui.AnswerInputKeep("选择依赖的类型包：");
        ui.AnswerInputKeep("名称");
        ui.AnswerNo("TypePackage文件导入完毕,发现错误16个。是否查看报告？");
    }));
    const URI_Ref bad = PackageNamed(app, "BAD");
    EXPECT_TRUE(Member(bad, "sec:TypePackage.DOTypes", "TX").IsEmpty());
    EXPECT_TRUE(Member(bad, "sec:TypePackage.LNodeTypes", "X").IsEmpty());
    EXPECT_EQ(NamesOf(Members(Member(bad, "sec:TypePackage.LNodeTypes", "N"), "sec:LNodeType.DOs")),
              std::vector<CString>{"Mod"});
    EXPECT_EQ(NamesOf(Members(Member(bad, "sec:TypePackage.DOTypes", "TS"), "sec:DOType.Contains_DAs")),
              std::vector<CString>{"stVal"});
    const std::string pattern = "不符合SCL（应以大写字母开头，只含字母和数字，最多12个字符）";
    EXPECT_EQ(SavedReport(),
              (std::vector<ReportEntry>{
                  {"other_error", "错误：ICD文件:  DataTypeTemplates", "元素o:LNodeType未导入（命名空间urn:other）"},
                  {"other_error", "错误：ICD文件:  DataTypeTemplates", "元素DOType未导入（命名空间urn:other）"},
                  {"other_error", "错误：ICD文件:  LNodeType:N", "元素DO未导入（命名空间urn:other）"},
                  // Order numbers of one value ("1", "01", "+1") are one to SCL.
                  {"other_error", "错误：ICD文件:  EnumType:E", "EnumVal blocked的ord 01重复"},
                  {"other_error", "错误：ICD文件:  EnumType:E", "EnumVal test的ord“”不是整数，未导入"},
                  {"other_error", "错误：ICD文件:  EnumType:E", "EnumVal off的ord“12345678901234567890”不是整数，未导入"},
                  {"other_error", "错误：ICD文件:  EnumType:E", "EnumVal spare的ord +1重复"},
                  {"other_error", "错误：ICD文件:  DOType:TN", "DOType缺少SCL必需的属性cdc"},
                  {"other_error", "错误：ICD文件:  DOType:TN", "DA:stVal缺少SCL必需的属性bType"},
                  {"other_error", "错误：ICD文件:  DOType:TN", "第2个DA缺少SCL必需的属性name"},
                  {"other_error", "错误：ICD文件:  DO:G.过流告警", ("DO名过流告警" + pattern).c_str()},
                  {"other_error", "错误：ICD文件:  DO:G.Ind 1", ("DO名Ind 1" + pattern).c_str()},
                  {"other_error", "错误：ICD文件:  DO:G.Abcdefghijklmn", ("DO名Abcdefghijklmn" + pattern).c_str()},
                  {"other_error", "错误：ICD文件:  DO:G.Beh", "LNodeType中已有同名DO"},
                  {"other_error", "错误：ICD文件:  LNodeType:K", "lnclass为空"},
                  {"other_error", "ICD文件:  DO:", "名称为空"}}));

    std::filesystem::copy_file(std::filesystem::path(KILN_SOURCE_DIR) / "Template" / "ICD_Template.xml",
                               workspace / "Template" / "ICD_Template.xml");
    const CString path = CString(workspace.string().c_str()) + "/out.Type";
    ui.ClearCalls();
    ui.AnswerSaveFile(path);
    ASSERT_TRUE(app.Rsc_TypePackage_Export(PackageNamed(app, "BAD")));
    EXPECT_EQ(Boxes(), std::vector<CString>{path + "模板文件文件导出成功！\n未导出DO（LN类型中已有同名DO）：G.Beh\n"
                                                   "不符合SCL的LDevice（不能在DataTypeTemplates中）：BASE\n"
                                                   "不符合SCL的DO（名称格式错误）：G.过流告警\n"
                                                   "不符合SCL的DO（名称格式错误）：G.Ind 1\n"
                                                   "不符合SCL的DO（名称格式错误）：G.Abcdefghijklmn\n"
                                                   "不符合SCL的LNodeType（lnClass格式错误）：K\n"
                                                   "不符合SCL的DO（名称格式错误）：K.DO_2\n"
                                                   "不符合SCL的DOType（cdc取值错误）：TN:\n"
                                                   "不符合SCL的DA（bType取值错误）：TN.stVal:\n"
                                                   "不符合SCL的DA（名称格式错误）：TN.DA_2\n"
                                                   "不符合SCL的EnumVal（ord重复）：E.01\n"
                                                   "不符合SCL的EnumVal（ord重复）：E.+1\n"
                                                   "不符合SCL的值（INT32取值错误）：TINC.stVal:abc"});
    CBase_XML written;
    ASSERT_TRUE(written.Load(path));
    std::vector<CString> ords;
    XmlNodeList vals = written.GetDocumentElement().SelectNodes("DataTypeTemplates/EnumType/EnumVal");
    for (long i = 0; i < vals.Length(); ++i) {
        CString ord;
        vals.Item(i).GetAttribute("ord", ord);
        ords.push_back(ord);
    }
    EXPECT_EQ(ords, (std::vector<CString>{"1", "01", "+1"}));
    // The types without a class are written without one.
    EXPECT_EQ(written.GetDocumentElement().SelectNodes("DataTypeTemplates/*[@lnClass='K' or @cdc='TN']").Length(), 0);
}

}  // namespace kiln::test

namespace kiln::test {

// ICDs declared in the Chinese encodings keep their Chinese texts.
TEST_F(ImportFilesTest, ChineseEncodedIcdsKeepTheirTexts) {
    const std::string utf8 = Icd("<Header id=\"CN\"/>", kIed, kTypes);
    for (const char* encoding : {"GB2312", "GBK", "GB18030"}) {
        SCOPED_TRACE(encoding);
        std::string text = utf8;
        text.replace(text.find("UTF-8"), 5, encoding);
        // 保护装置 in GB2312 (also valid GBK and GB18030).
        const std::string gb = "\xB1\xA3\xBB\xA4\xD7\xB0\xD6\xC3";
        text.replace(text.find("保护装置"), std::string("保护装置").size(), gb);
        URI_Ref out;
        ui.ClearCalls();
        ASSERT_TRUE(RunIcd(text, &out));
        EXPECT_EQ(Get(Target(out, "sec:ICD.IED"), "cim:Naming.description"), "保护装置");
    }
}

// Hostile content: quotes and brackets in ids and 10,000-deep SDIs import
// with their findings; a file declaring an external entity and nested
// entities is refused at load. Never a crash or hang.
TEST_F(ImportFilesTest, HostileContentImportsWithoutHarm) {
    const CString secret = WriteFile("secret.txt", "SECRET-TEXT");
    std::string laughs = "<!ENTITY lol \"lol\">";
    for (int i = 1; i < 10; ++i) {
        std::string refs;
        for (int k = 0; k < 10; ++k) refs += "&lol" + (i == 1 ? std::string() : std::to_string(i - 1)) + ";";
        laughs += "<!ENTITY lol" + std::to_string(i) + " \"" + refs + "\">";
    }
    std::string deep = "<DOI name=\"Mod\">";
    for (int i = 0; i < 10000; ++i) deep += "<SDI name=\"s\">";
    deep += "<DAI name=\"stVal\"><Val>1</Val></DAI>";
    for (int i = 0; i < 10000; ++i) deep += "</SDI>";
    deep += "</DOI>";
    const std::string types = kTypes +
                              "<LNodeType id=\"Q'&quot;]) or ('1'='1\" lnClass=\"PTOC\" zScl:base=\"x']|//*[\">"
                              "<DO name=\"Op\" type=\"TSPS\"/></LNodeType>\n";
    const std::string ied =
        "<IED name=\"RELAY\" type=\"R\" desc=\"&ext;&lol9;\"><AccessPoint name=\"S1\"><Server><LDevice inst=\"PROT\">"
        "<LN0 lnClass=\"LLN0\" lnType=\"L0\" inst=\"\">" + deep +
        "</LN0><LN lnClass=\"LPHD\" lnType=\"PH\" inst=\"1\"/></LDevice></Server></AccessPoint></IED>\n";
    // Without a document type declaration the content imports, with the
    // finding of the base that names nothing.
    std::string plain = ied;
    plain.replace(plain.find("&ext;&lol9;"), std::string("&ext;&lol9;").size(), "desc");
    URI_Ref out;
    ASSERT_TRUE(RunIcd(Icd("<Header id=\"H\"/>", plain, types), &out, [&] {
        ui.AnswerInputKeep();
        ui.AnswerNo();
    }));
    bool baseFinding = false;
    for (const ReportEntry& e : SavedReport()) baseFinding = baseFinding || e.error.Find("zScl:base") >= 0;
    EXPECT_TRUE(baseFinding);
    EXPECT_TRUE(
        Member(Target(out, "sec:ICD.TypePackage"), "sec:TypePackage.LNodeTypes", "Q'\"]) or ('1'='1").IsSet());

    // With an external entity and nested entities the file is refused when
    // it loads: nothing created, the file-format message, the entity's file
    // never read.
    std::string text = Icd("<Header id=\"H\"/>", ied, types);
    text.insert(text.find("<SCL"), "<!DOCTYPE SCL [<!ENTITY ext SYSTEM \"file://" + std::string(secret.GetString()) +
                                       "\">" + laughs + "]>\n");
    ui.ClearCalls();
    const std::vector<CString> before = IcdNames();
    URI_Ref refused;
    const CString hostile = WriteFile("hostile.icd", text);
    ui.AnswerOpenFile(hostile);
    EXPECT_FALSE(app.Rsc_ICD_Import(&refused, product));
    EXPECT_TRUE(refused.IsEmpty());
    EXPECT_EQ(Boxes(), std::vector<CString>{hostile + "ICD文件格式不正确, 导入不成功！\n" + hostile +
                                            "：第2行第1列：文档类型声明（DOCTYPE）声明了实体：不读入声明实体的文档"});
    EXPECT_EQ(IcdNames(), before);
}

}  // namespace kiln::test

namespace kiln::test {

// SCD-like files of two makers' styles: the first IED is imported, a
// reference into the second one is reported.
TEST_F(ImportFilesTest, TheFirstIedOfAMultiIedFileIsImported) {
    const std::string second =
        "<IED name=\"BAY2\" type=\"B\"><AccessPoint name=\"S1\"><Server><LDevice inst=\"CTRL\">"
        "<LN0 lnClass=\"LLN0\" lnType=\"L0\" inst=\"\"/><LN lnClass=\"LPHD\" lnType=\"PH\" inst=\"1\"/>"
        "</LDevice></Server></AccessPoint></IED>\n";
    const std::string first =
        "<IED name=\"BAY1\" type=\"A\" desc=\"一号间隔\"><Private type=\"maker:cfg\"><maker:x xmlns:maker=\"urn:m\"/>"
        "</Private><AccessPoint name=\"S1\"><Server><LDevice inst=\"PROT\" desc=\"保护\">"
        "<LN0 lnClass=\"LLN0\" lnType=\"L0\" inst=\"\"/><LN lnClass=\"LPHD\" lnType=\"PH\" inst=\"1\"/>"
        "<LN lnClass=\"PTOC\" lnType=\"PT\" inst=\"1\"><Inputs>"
        "<ExtRef iedName=\"BAY2\" ldInst=\"CTRL\" lnClass=\"LLN0\" doName=\"Mod\" daName=\"stVal\"/>"
        "</Inputs></LN></LDevice></Server></AccessPoint></IED>\n";
    // A client without a server stands first, as in substation files.
    const std::string client = "<IED name=\"GW\" type=\"G\"><AccessPoint name=\"C1\"/></IED>\n";
    // Edition 1: no version attributes on the root.
    std::string ed1 = Icd("<Header id=\"SUB\" nameStructure=\"IEDName\"/>", client + first + second, kTypes);
    ed1.replace(ed1.find(" version=\"2007\" revision=\"B\""), std::string(" version=\"2007\" revision=\"B\"").size(), "");
    URI_Ref out;
    ASSERT_TRUE(RunIcd(ed1, &out, [&] {
        ui.AnswerInputKeep();
        ui.AnswerNo("发现错误0个");
    }));
    const URI_Ref ied = Target(out, "sec:ICD.IED");
    EXPECT_EQ(Get(ied, "cim:Naming.name"), "BAY1");
    EXPECT_EQ(Get(ied, "cim:Naming.description"), "一号间隔");
    EXPECT_EQ(NamesOf(Members(Target(ied, "sec:IED.Servers"), "sec:Server.LDevices")), std::vector<CString>{"PROT"});
    // The Private element of the imported IED is named, nothing of the other.
    const std::vector<ReportEntry> report = SavedReport();
    EXPECT_EQ(Get(out, "sec:ICD.productType"), "A");
    // The report says which of the three IEDs came in.
    EXPECT_EQ(report, (std::vector<ReportEntry>{
                          {"other_error", "警告：ICD文件:  IED:BAY1", "文件中有3个IED，只导入了第一个有Server的IED:BAY1"},
                          {"other_error", "警告：ICD文件:  Private:maker:cfg", "IED:BAY1下的Private(type=maker:cfg)未导入"}}));
}

}  // namespace kiln::test

namespace kiln::test {

// A creator's refusal stops the worker with the file-format message; a
// cancelled dependency question leaves the ICD's package empty and the run
// goes on.
TEST_F(ImportFilesTest, ARefusingCreatorStopsAndACancelledQuestionGoesOn) {
    MakeDomain("kiln.locked#", "二次模型装置类型包");
    const URI_Ref locked = MakeTypePackage("kiln.locked#", "LOCKED", true);
    Doc().SetDomainEditable("kiln.locked#", false);
    const CString path = WriteFile("types.Type", TypeFile("X", kTypes));
    ui.AnswerOpenFile(path);
    EXPECT_FALSE(app.Rsc_LNodeType_Import(locked));
    ASSERT_FALSE(Boxes().empty());
    EXPECT_TRUE(Boxes().front().Find("当前域不可编辑！-W") == 0) << Boxes().front();
    EXPECT_EQ(Boxes().back(), path + "TypePackage文件格式不正确, 导入不成功！");
    EXPECT_TRUE(Members(locked, "sec:TypePackage.LNodeTypes").empty());

    ui.ClearCalls();
    URI_Ref out;
    ASSERT_TRUE(RunIcd(Icd("<Header id=\"R\"/>", kIed, kTypes), &out, [&] {
        ui.AnswerInputCancel("选择依赖的类型包：");
        ui.AnswerNo();
    }));
    EXPECT_TRUE(Members(Target(out, "sec:ICD.TypePackage"), "sec:TypePackage.LNodeTypes").empty());
    EXPECT_EQ(Get(Target(out, "sec:ICD.IED"), "cim:Naming.name"), "RELAY");
    EXPECT_TRUE(ReportSaved());  // the instance names types the run does not know
}

}  // namespace kiln::test

namespace kiln::test {

// What the model has no place for is named once per kind and element, and
// only that: a warning each, where it sits; an element reported whole is not
// looked into; the system's own "zScl:" attributes, inputs without binding,
// and the addresses of other IEDs are not named.
TEST_F(ImportFilesTest, WhatTheModelHasNoPlaceForIsNamedOncePerKindAndElement) {
    std::string deep = "<DOI name=\"Beh\">";
    for (int i = 0; i < 9; ++i) deep += "<SDI name=\"s" + std::to_string(i) + "\">";
    deep += "<Private type=\"t:deep\"/>";
    for (int i = 0; i < 9; ++i) deep += "</SDI>";
    deep += "</DOI>";
    const std::string ied =
        "<IED name=\"RELAY\" type=\"R-100\"><Text>line relay</Text><AccessPoint name=\"S1\"><Server>"
        "<LDevice inst=\"PROT\"><LN0 lnClass=\"LLN0\" lnType=\"L0\" inst=\"\">"
        "<Layout xmlns=\"urn:tool\" x=\"1\"><Private type=\"a\"/></Layout>"
        "<ReportControl name=\"brcb\" buffered=\"yes\" confRev=\"1\"><TrgOps dchg=\"on\" gi=\" 1 \"/>"
        "<OptFields seqNum=\"Y\" timeStamp=\"true\"/></ReportControl>"
        "<DOI name=\"Mod\"><Private type=\"t:map\">A1</Private><SDI name=\"spare\"><Text>reserve</Text></SDI>"
        "<DOI name=\"x\"/><SDI name=\"kept\"><SDI name=\"inner\"><DAI name=\"v\"/></SDI><SDI name=\"bare\"/></SDI></DOI>" + deep +
        "<SampledValueControl name=\"sv1\" smvID=\"RELAY/sv1\" smpRate=\"80\" nofASDU=\"1\" confRev=\"1\"/></LN0>"
        "<LN lnClass=\"LPHD\" lnType=\"PH\" inst=\"1\"/><LN lnClass=\"PTOC\" lnType=\"PT\" inst=\"1\">"
        "<Inputs desc=\"from bay\">"
        "<ExtRef iedName=\"RELAY\" ldInst=\"PROT\" lnClass=\"PTOC\" lnInst=\"1\" doName=\"Op\" intAddr=\"in1\"/>"
        "<ExtRef iedName=\"RELAY\" ldInst=\"PROT\" lnClass=\"PTOC\" lnInst=\"1\" doName=\"Mod\" srcCBName=\"gcb\"/>"
        "</Inputs></LN></LDevice><Association kind=\"predefined\" iedName=\"HMI\" ldInst=\"LD0\" lnClass=\"IHMI\" "
        "lnInst=\"1\"/></Server><Services/><GOOSESecurity name=\"g1\" serialNumber=\"7\"/></AccessPoint>"
        "<KDC iedName=\"KDS\" apName=\"S1\"/></IED>\n";
    std::string types = kTypes;
    for (const char* id : {"id=\"TINC\"", "id=\"TSPS\""})
        types.replace(types.find(id), std::string(id).size(), std::string(id) + " t:rev=\"2\"");
    const std::string op = "<DO name=\"Op\" type=\"TSPS\"/>", tinc = "cdc=\"INC\">", bool_ = "fc=\"ST\"/><DA name=\"q\"";
    types.replace(types.find(op), op.size(), "<DO name=\"Op\" type=\"TSPS\" accessControl=\"ro\"/>");
    types.replace(types.find(tinc), tinc.size(), tinc + "<Text>counter</Text>");
    types.replace(types.find(bool_), bool_.size(), "fc=\"ST\"><ProtNs>IEC 61850-8-1:2003</ProtNs></DA><DA name=\"q\"");
    const std::string quality = "bType=\"Quality\"";
    types.replace(types.find(quality), quality.size(), quality + " dchg=\"TRUE\"");
    const std::string pt = "<LNodeType id=\"PT\"";
    types.replace(types.find(pt), pt.size(), pt + " zScl:base=\"\"");
    std::string text = Icd("<Header id=\"R\"/><Communication><SubNetwork name=\"N\"><ConnectedAP iedName=\"OTHER\" "
                           "apName=\"S1\"><GSE ldInst=\"L\" cbName=\"g\"/></ConnectedAP></SubNetwork></Communication>",
                           ied, types);
    text.replace(text.find("<SCL ") + 5, 0, "xmlns:t=\"urn:maker\" ");
    URI_Ref out;
    ASSERT_TRUE(RunIcd(text, &out, [&] {
        ui.AnswerInputKeep();
        ui.AnswerNo("ICD文件导入完毕,发现错误");
    }));
    std::vector<ReportEntry> warnings;
    for (const ReportEntry& e : SavedReport())
        if (e.name.Find("警告：") == 0) warnings.push_back(e);
    const CString ap = "IED:RELAY/AccessPoint:S1", ln0 = ap + "/Server/LDevice:PROT/LN0";
    EXPECT_EQ(warnings,
              (std::vector<ReportEntry>{
                  {"other_error", "警告：ICD文件:  Text", "IED:RELAY下的Text未导入"},
                  {"other_error", "警告：ICD文件:  Layout", ln0 + "下的Layout(命名空间urn:tool)未导入"},
                  // Booleans SCL does not take, with what they became (the
                  // buffered block is unbuffered).
                  {"other_error", "警告：ICD文件:  ReportControl@buffered",
                   ln0 + "/ReportControl:brcb的属性buffered的值“yes”不是布尔值，按false导入"},
                  {"other_error", "警告：ICD文件:  TrgOps@dchg",
                   ln0 + "/ReportControl:brcb/TrgOps的属性dchg的值“on”不是布尔值，按false导入"},
                  {"other_error", "警告：ICD文件:  OptFields@seqNum",
                   ln0 + "/ReportControl:brcb/OptFields的属性seqNum的值“Y”不是布尔值，按false导入"},
                  {"other_error", "警告：ICD文件:  Private:t:map", ln0 + "/DOI:Mod下的Private(type=t:map)未导入"},
                  // An SDI without a DAI below is named once, outermost,
                  // and what it holds besides.
                  {"other_error", "警告：ICD文件:  SDI:spare", ln0 + "/DOI:Mod下的SDI:spare(其下无DAI)未导入"},
                  {"other_error", "警告：ICD文件:  Text", ln0 + "/DOI:Mod/SDI:spare下的Text未导入"},
                  {"other_error", "警告：ICD文件:  SDI:bare", ln0 + "/DOI:Mod/SDI:kept下的SDI:bare(其下无DAI)未导入"},
                  {"other_error", "警告：ICD文件:  SDI:s0", ln0 + "/DOI:Beh下的SDI:s0(其下无DAI)未导入"},
                  {"other_error", "警告：ICD文件:  Private:t:deep",
                   "IED:RELAY/…/LDevice:PROT/LN0/DOI:Beh/SDI:s0/SDI:s1/SDI:s2/SDI:s3/SDI:s4/SDI:s5/SDI:s6/SDI:s7/"
                   "SDI:s8下的Private(type=t:deep)未导入"},
                  {"other_error", "警告：ICD文件:  SampledValueControl:sv1",
                   ln0 + "下的采样值控制块SampledValueControl:sv1未导入"},
                  {"other_error", "警告：ICD文件:  Inputs@desc",
                   ap + "/Server/LDevice:PROT/LN:PTOC1/Inputs的属性desc未导入"},
                  {"other_error", "警告：ICD文件:  ExtRef:RELAYPROT/PTOC1.Mod",
                   "IED:RELAY/AccessPoint:S1/Server/LDevice:PROT/LN:PTOC1/Inputs下的ExtRef:RELAYPROT/PTOC1.Mod的绑定属性"
                   "srcCBName未导入"},
                  {"other_error", "警告：ICD文件:  Association", ap + "/Server下的Association未导入"},
                  {"other_error", "警告：ICD文件:  Services", ap + "下的Services未导入"},
                  {"other_error", "警告：ICD文件:  GOOSESecurity:g1", ap + "下的GOOSESecurity:g1未导入"},
                  {"other_error", "警告：ICD文件:  KDC:KDS/S1", "IED:RELAY下的KDC:KDS/S1未导入"},
                  {"other_error", "警告：ICD文件:  Text", "DataTypeTemplates/DOType:TINC下的Text未导入"},
                  {"other_error", "警告：ICD文件:  ProtNs:IEC 61850-8-1:2003",
                   "DataTypeTemplates/DOType:TSPS/DA:stVal下的ProtNs:IEC 61850-8-1:2003未导入"},
                  {"other_error", "警告：ICD文件:  DA@dchg",
                   "DataTypeTemplates/DOType:TSPS/DA:q的属性dchg的值“TRUE”不是布尔值，按true导入"},
                  {"other_error", "警告：ICD文件:  DOType@t:rev",
                   "DataTypeTemplates/DOType:TINC的属性t:rev(命名空间urn:maker)未导入，DOType中共2处"}}));
    // Warnings alone do not fail the import: the ICD and its devices are made.
    EXPECT_EQ(NamesOf(Members(Target(Target(out, "sec:ICD.IED"), "sec:IED.Servers"), "sec:Server.LDevices")),
              std::vector<CString>{"PROT"});
}

// A data-set member on a setting data object gets the uncounted setting
// entry (the CDC compared without case): only a counted finding beside it
// saves the report.
TEST_F(ImportFilesTest, SettingReferencesAreNotedWithoutCounting) {
    const URI_Ref ing = MakeDOType(m.stdPkg, "ing", 20);
    MakeDA(ing, "setVal", 1, "SP", "INT32");
    const std::string types =
        "<LNodeType id=\"L0\" lnClass=\"LLN0\"><DO name=\"Mod\" type=\"TINC\"/><DO name=\"Beh\" type=\"TSET\"/>"
        "</LNodeType>\n"
        "<LNodeType id=\"PH\" lnClass=\"LPHD\"><DO name=\"PhyHealth\" type=\"TINC\"/></LNodeType>\n"
        "<DOType id=\"TINC\" cdc=\"INC\"><DA name=\"stVal\" bType=\"INT32\" fc=\"ST\"/></DOType>\n"
        "<DOType id=\"TSET\" cdc=\"ing\"><DA name=\"setVal\" bType=\"INT32\" fc=\"SP\"/></DOType>\n";
    auto ied = [](const std::string& more) {
        return "<IED name=\"R\" type=\"T\"><AccessPoint name=\"S1\"><Server><LDevice inst=\"LD\">"
               "<LN0 lnClass=\"LLN0\" lnType=\"L0\" inst=\"\"><DataSet name=\"ds\">"
               "<FCDA ldInst=\"LD\" lnClass=\"LLN0\" doName=\"Beh\" daName=\"setVal\" fc=\"SP\"/>" +
               more + "</DataSet></LN0><LN lnClass=\"LPHD\" lnType=\"PH\" inst=\"1\"/></LDevice></Server></AccessPoint></IED>\n";
    };
    URI_Ref out;
    ASSERT_TRUE(RunIcd(Icd("<Header id=\"S\"/>", ied(""), types), &out));
    EXPECT_EQ(Boxes(), std::vector<CString>{"导入成功!"});
    EXPECT_FALSE(ReportSaved());

    ui.ClearCalls();
    ASSERT_TRUE(RunIcd(Icd("<Header id=\"S\"/>", ied("<FCDA ldInst=\"LD\" lnClass=\"XCBR\" lnInst=\"9\" doName=\"Pos\"/>"),
                           types),
                       &out, [&] {
                           ui.AnswerInputKeep();
                           ui.AnswerNo("ICD文件导入完毕,发现错误1个");
                       }));
    const std::vector<ReportEntry> report = SavedReport();
    ASSERT_EQ(report.size(), 2u) << ::testing::PrintToString(report);
    EXPECT_TRUE(report[0].name.Find("告警：ICD文件:sec:FCDA:") == 0) << report[0].name;
    EXPECT_EQ(report[0].error, "根据LD/LLN0.Beh得知为定值");
    EXPECT_EQ(report[1].error, "未找到LNode:RLDXCBR9");
}

}  // namespace kiln::test

#include <sstream>

#include "tests/import/scl_compare.h"

namespace kiln::test {
namespace {

// Types as a maker writes them: LN types with and without iedType, DO and DA
// types with one, every kind of value, arrays, imported values, values of
// setting groups, and a copy of a standard enumeration describing a value.
const std::string kMakersTypes =
    "<LNodeType id=\"L0\" lnClass=\"LLN0\"><DO name=\"Mod\" type=\"TINC\"/></LNodeType>\n"
    "<LNodeType id=\"MX\" iedType=\"R-100\" lnClass=\"MMXU\"><DO name=\"A\" type=\"TWYE\"/></LNodeType>\n"
    "<DOType id=\"TINC\" iedType=\"R-100\" cdc=\"INC\"><DA name=\"stVal\" fc=\"ST\" bType=\"INT32\" dchg=\"true\" "
    "dupd=\"true\" valKind=\"RO\" sAddr=\"3.1\"><Val sGroup=\"1\">1</Val><Val sGroup=\"2\">5</Val></DA>"
    "<DA name=\"ctlModel\" fc=\"CF\" bType=\"Enum\" type=\"Beh\" valKind=\"Spec\"><Val>on</Val></DA></DOType>\n"
    "<DOType id=\"TSPS\" cdc=\"SPS\"><DA name=\"stVal\" fc=\"ST\" bType=\"BOOLEAN\" dchg=\"true\" valKind=\"Set\"/>"
    "<DA name=\"q\" fc=\"ST\" bType=\"Quality\" qchg=\"true\"/><DA name=\"origin\" fc=\"ST\" bType=\"Struct\" "
    "type=\"TOrig\" count=\"2\" valImport=\"true\"/></DOType>\n"
    "<DOType id=\"TWYE\" cdc=\"WYE\"><SDO name=\"phsA\" type=\"TSPS\" count=\"3\"/></DOType>\n"
    "<DAType id=\"TOrig\" iedType=\"R-100\"><BDA name=\"orCat\" bType=\"Enum\" type=\"Beh\" valKind=\"Conf\" "
    "count=\"4\"/><BDA name=\"orIdent\" bType=\"Octet64\" sAddr=\"9\" valImport=\"false\"><Val sGroup=\"1\">AB</Val>"
    "<Val sGroup=\"2\"></Val></BDA></DAType>\n"
    "<EnumType id=\"Beh\"><EnumVal ord=\"1\" desc=\"投入\">on</EnumVal><EnumVal ord=\"2\">blocked</EnumVal></EnumType>\n";

const std::string kMakersIed =
    "<IED name=\"RELAY\"><AccessPoint name=\"S1\"><Server><LDevice inst=\"MEAS\">"
    "<LN0 lnClass=\"LLN0\" lnType=\"L0\" inst=\"\"/><LN lnClass=\"MMXU\" lnType=\"MX\" inst=\"1\"/>"
    "</LDevice></Server></AccessPoint></IED>\n";

std::string TemplatesText(const pugi::xml_node& scl) {
    std::ostringstream out;
    scl.child("DataTypeTemplates").print(out);
    return out.str();
}

}  // namespace

// The types of a maker's ICD through the ICD import and export come back as
// the file wrote them, and a second import and export writes them the same.
TEST_F(ImportFilesTest, TheTypesOfAnIcdComeBackAsTheFileWroteThem) {
    const std::string source = Icd("<Header id=\"RELAY1\"/>", kMakersIed, kMakersTypes);
    URI_Ref first, second;
    ASSERT_TRUE(RunIcd(source, &first));
    EXPECT_EQ(SavedReport(), std::vector<ReportEntry>{});
    for (const char* t : {"ICD_Template.xml", "MICS_Template.xml"})
        std::filesystem::copy_file(std::filesystem::path(KILN_SOURCE_DIR) / "Template" / t, workspace / "Template" / t);
    auto exportIcd = [&](const URI_Ref& icd, const char* name) {
        const CString path = CString(workspace.string().c_str()) + "/" + name;
        ui.AnswerNo("是否由M2I生成DOI DAI");
        ui.AnswerSaveFile(path);
        EXPECT_TRUE(app.Rsc_ICD_Export(icd, false));
        return path;
    };
    const CString once = exportIcd(first, "once.icd");

    pugi::xml_document src, out;
    ASSERT_TRUE(src.load_string(source.c_str()));
    ASSERT_TRUE(out.load_file(once.GetString()));
    std::vector<std::string> differences;
    for (const TreeDifference& d : CompareSclRoundTrip(src.document_element(), out.document_element()))
        if (d.path.rfind("/SCL/DataTypeTemplates", 0) == 0) differences.push_back(::testing::PrintToString(d));
    EXPECT_EQ(differences, std::vector<std::string>{});
    bool skipped = false;
    EXPECT_EQ(ValidateAgainstScl(once.GetString(), skipped), "");

    ui.ClearCalls();
    ui.AnswerOpenFile(once);
    ui.AnswerInputKeep();
    ASSERT_TRUE(app.Rsc_ICD_Import(&second, product));
    pugi::xml_document again;
    ASSERT_TRUE(again.load_file(exportIcd(second, "twice.icd").GetString()));
    EXPECT_EQ(TemplatesText(again.document_element()), TemplatesText(out.document_element()));
}

}  // namespace kiln::test
