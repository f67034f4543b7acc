// SCL files as further tools write them, imported against the shipped
// standard definitions: a second-edition-amendment merging unit (byte-order
// mark, CRLF and tab layout, foreign namespaces, sampled values, later
// binding), a Chinese station protection in GBK with a server on every
// access point, UTF-16 files, a Latin-1 file, encoding labels in any case,
// a large substation file, and a file that writes the SCL namespace under a
// prefix; then every data file through all three import entries.
#include <fstream>
#include <iterator>
#include <string>

#include "tests/import/maker_files_fixture.h"

namespace kiln::test {
namespace {

class ToolStylesTest : public MakerFilesTest {
protected:
    std::string ReadData(const char* file) {
        std::ifstream in(std::string(KILN_SOURCE_DIR) + "/tests/data/scl/" + file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    // The DAIs of a DOI with their values: name, then each Val as
    // "text" or "text@sGroup", then "#ix" when the DAI has an index.
    std::vector<std::vector<CString>> DaiDump(const URI_Ref& node, const CString& doi) {
        std::vector<std::vector<CString>> out;
        for (const URI_Ref& dai : Members(Member(node, "sec:LNode.DOIs", doi), "sec:DOI.DAIs")) {
            std::vector<CString> row{Get(dai, "cim:Naming.name")};
            for (const URI_Ref& v : Members(dai, "sec:DAI.Vals")) {
                const CString group = Get(v, "sec:Val.sGroup");
                row.push_back(Get(v, "sec:Val.sValue") + (group.IsEmpty() ? CString() : "@" + group));
            }
            if (!Get(dai, "sec:DAI.ix").IsEmpty()) row.push_back("#" + Get(dai, "sec:DAI.ix"));
            out.push_back(row);
        }
        return out;
    }
    std::vector<CString> TypeNames(const URI_Ref& icd, const char* role) {
        return NamesOf(Members(Target(icd, "sec:ICD.TypePackage"), role));
    }
};

using Rows = std::vector<std::vector<CString>>;

TEST_F(ToolStylesTest, AMergingUnitWithByteOrderMarkCrlfForeignNamespacesAndSampledValues) {
    // The file is what it claims to be: a byte-order mark, CRLF and tabs.
    const std::string bytes = ReadData("ed2_1_merging_unit.cid");
    ASSERT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
    ASSERT_NE(bytes.find("\r\n\t<Header"), std::string::npos);
    // The report client and the input of another IED are kept as the file
    // names them: no error.
    const URI_Ref icd = Import("ed2_1_merging_unit.cid", 1, 14);
    ASSERT_TRUE(icd.IsSet());
    // What the model has no place for is named, one warning per kind and
    // element: the attributes of other namespaces once per name.
    const CString ln0 = "IED:MU_T1/AccessPoint:S1/Server/LDevice:MU/LN0";
    const CString ltms = "IED:MU_T1/AccessPoint:S1/Server/LDevice:MU/LN:LTMS1/Inputs";
    EXPECT_EQ(SavedReport(),
              (std::vector<ReportEntry>{
                  {"LNode", "错误：GGIO1", "未找到LDevice: MU下的LNode:GGIO1对应的lnType:MU610_GGIO_IO！"},
                  // The sampled-value access point only points at the station server.
                  {"other_error", "警告：ICD文件:  AccessPoint:M1", "AccessPoint:M1中没有Server，未导入"},
                  {"other_error", "警告：ICD文件:  Private:muc:Hardware", "IED:MU_T1下的Private(type=muc:Hardware)未导入"},
                  {"other_error", "警告：ICD文件:  Private:eIEC61850-6-100:Function",
                   "IED:MU_T1下的Private(type=eIEC61850-6-100:Function)未导入"},
                  {"other_error", "警告：ICD文件:  Services", "IED:MU_T1的Services未导入"},
                  {"other_error", "警告：ICD文件:  GSEControl:gcbAlm", ln0 + "下的GOOSE控制块GSEControl:gcbAlm未导入"},
                  {"other_error", "警告：ICD文件:  SampledValueControl:MSVCB01",
                   ln0 + "下的采样值控制块SampledValueControl:MSVCB01未导入"},
                  {"other_error", "警告：ICD文件:  ExtRef:TimeSrc1", ltms + "下的ExtRef:TimeSrc1的绑定属性pServT,pLN,pDO未导入"},
                  {"other_error", "警告：ICD文件:  ExtRef:TimeSrc2",
                   ltms + "下的ExtRef:TimeSrc2的绑定属性serviceType,srcLDInst,srcLNClass,srcCBName未导入"},
                  {"other_error", "警告：ICD文件:  IED@sxy:x",
                   "IED:MU_T1的属性sxy:x(命名空间http://www.iec.ch/61850/2003/SCLcoordinates)未导入"},
                  {"other_error", "警告：ICD文件:  IED@sxy:y",
                   "IED:MU_T1的属性sxy:y(命名空间http://www.iec.ch/61850/2003/SCLcoordinates)未导入"},
                  {"other_error", "警告：ICD文件:  IED@eTr:sourceRef",
                   "IED:MU_T1的属性eTr:sourceRef(命名空间http://www.iec.ch/61850/2016/SCL/eTr)未导入"},
                  {"other_error", "警告：ICD文件:  Communication", "Communication中IED:MU_T1的ConnectedAP:M1,S1未导入"},
                  {"other_error", "警告：ICD文件:  SMV:MU/MSVCB01", "Communication中ConnectedAP:M1下的SMV地址:MU/MSVCB01未导入"},
                  {"other_error", "警告：ICD文件:  GSE:MU/gcbAlm", "Communication中ConnectedAP:M1下的GSE地址:MU/gcbAlm未导入"}}));
    EXPECT_EQ(Get(icd, "cim:Naming.name"), "MU-610_Ver2.1_RevA");
    EXPECT_EQ(Get(icd, "sec:ICD.productType"), "MU-610");
    const URI_Ref ied = Target(icd, "sec:ICD.IED");
    EXPECT_EQ(Get(ied, "cim:Naming.name"), "MU_T1");
    EXPECT_EQ(Desc(ied), "1号主变合并单元");
    // The process-bus access point serves through the station one: one device.
    EXPECT_EQ(NamesOf(Members(ServerOf(icd), "sec:Server.LDevices")), std::vector<CString>{"MU"});
    const URI_Ref mu = DeviceOf(icd, "MU");
    EXPECT_EQ(Get(mu, "sec:LDevice.ldName"), "MU_T1_MU");
    EXPECT_EQ(Get(mu, "sec:LDevice.apName") + " " + Get(mu, "sec:LDevice.apDesc"), "S1 站控层");
    // The second edition's attributes of the IED and of its access point.
    CString kept;
    for (const char* role : {"sec:IED.configVersion", "sec:IED.originalSclVersion", "sec:IED.originalSclRevision",
                             "sec:IED.originalSclRelease", "sec:IED.engRight", "sec:IED.owner"})
        kept += Get(ied, role) + "|";
    for (const char* role : {"sec:LDevice.apRouter", "sec:LDevice.apClock", "sec:LDevice.serverTimeout"})
        kept += Get(mu, role) + "|";
    EXPECT_EQ(kept, "2.1|2007|B|4|full|MU Configurator|false|false|30|");
    EXPECT_EQ(NamesOf(Members(mu, "sec:LDevice.LNodes")),
              (std::vector<CString>{"LLN0", "LPHD1", "ITCTR1", "ITCTR2", "UTVTR1", "LTMS1", "HarmMHAI1"}));

    const URI_Ref lln0 = Node(mu, "LLN0");
    const std::vector<URI_Ref> sets = Members(lln0, "sec:LNode.DataSets");
    ASSERT_EQ(NamesOf(sets), (std::vector<CString>{"PhsMeas1", "dsAlm"}));
    EXPECT_EQ(FcdaTargets(sets[0]), (std::vector<CString>{"ITCTR1.AmpSv", "ITCTR1.AmpSv", "ITCTR2.AmpSv",
                                                          "ITCTR2.AmpSv", "UTVTR1.VolSv", "UTVTR1.VolSv"}));
    EXPECT_EQ(FcdaTargets(sets[1]), (std::vector<CString>{"LPHD1.PhyHealth", "LTMS1.TmSynErr"}));
    const std::vector<URI_Ref> rcbs = Members(lln0, "sec:LNode.RCBs");
    ASSERT_EQ(rcbs.size(), 1u);
    EXPECT_EQ(Target(rcbs[0], "sec:RCB.DataSet"), sets[1]);
    EXPECT_EQ(Get(rcbs[0], "sec:RCB.rptID"), "MU_T1MU/LLN0.urcbAlm");
    const std::vector<URI_Ref> clients = Members(rcbs[0], "sec:RCB.ClientLNs");
    ASSERT_EQ(clients.size(), 1u);
    EXPECT_TRUE(Target(clients[0], "sec:ClientLN.LNode").IsEmpty());
    const URI_Ref sgcb = Target(lln0, "sec:LNode.SGCB");
    EXPECT_EQ(Get(sgcb, "sec:SGCB.numOfSG"), "2");
    EXPECT_EQ(Get(sgcb, "sec:SGCB.activeSG"), "1");

    // Values with their kinds, imports and setting groups.
    EXPECT_EQ(DaiDump(lln0, "NamPlt"), (Rows{{"vendor[DC]", "ExampleCo E"},
                                             {"swRev[DC]", "3.0.12"},
                                             {"configRev[DC]", "2020-08-12 16:30"},
                                             {"ldNs[EX]", "IEC 61850-7-4:2007B4"}}));
    EXPECT_EQ(DaiDump(Node(mu, "LPHD1"), "PhyNam"),
              (Rows{{"vendor[DC]", "ExampleCo E"}, {"serNum[DC]", "SN-2020-0815"}}));
    const URI_Ref ctr1 = Node(mu, "ITCTR1");
    EXPECT_EQ(Desc(ctr1), "保护电流A");
    EXPECT_EQ(DaiDump(ctr1, "AmpSv"), (Rows{{"sVC[CF].scaleFactor", "0.001"}, {"sVC[CF].offset", "0"}}));
    EXPECT_EQ(DaiDump(ctr1, "ARtg"), (Rows{{"setMag[SG].f", "1000@1", "1200@2"}}));
    EXPECT_EQ(DaiDump(Node(mu, "ITCTR2"), "ARtg"), (Rows{{"setMag[SG].f", "1000@1", "1200@2"}}));
    // An element of an array of sub-objects keeps its index and short address.
    const URI_Ref mhai = Node(mu, "HarmMHAI1");
    EXPECT_EQ(DaiDump(mhai, "HA"), (Rows{{"numHar[CF]", "13"}, {"phsAHar.cVal[MX].mag.f", "#3"}}));
    EXPECT_EQ(Get(Members(Member(mhai, "sec:LNode.DOIs", "HA"), "sec:DOI.DAIs").at(1), "sec:DAI.sAddr"), "HA.phsA.3");

    // Both inputs are kept: the late-bound one without a source, the one
    // from another device unresolved and reported above.
    const std::vector<URI_Ref> inputs = Members(Node(mu, "LTMS1"), "sec:LNode.ExtRefs");
    ASSERT_EQ(NamesOf(inputs), (std::vector<CString>{"TimeSrc1", "TimeSrc2"}));
    EXPECT_EQ(Desc(inputs[0]), "同步源(后期绑定)");
    for (const URI_Ref& in : inputs) EXPECT_TRUE(Target(in, "sec:DARef.LNode").IsEmpty());
    EXPECT_EQ(Get(inputs[1], "sec:DARef.doName"), "TmSrc");

    // Standard enumerations are taken from the standard, except the copy the
    // maker restricted to two values and the one it described; the maker's
    // own one comes in with its empty first value.
    EXPECT_EQ(TypeNames(icd, "sec:TypePackage.EnumTypes"),
              (std::vector<CString>{"BehaviourModeKind", "MU610_HealthKind", "CtlModelKind"}));
    EXPECT_EQ(Desc(Member(Target(icd, "sec:ICD.TypePackage"), "sec:TypePackage.EnumTypes", "BehaviourModeKind")),
              "行为模式");
    const std::vector<URI_Ref> ctlModels =
        Members(Member(Target(icd, "sec:ICD.TypePackage"), "sec:TypePackage.EnumTypes", "CtlModelKind"),
                "sec:EnumType.EnumVals");
    ASSERT_EQ(ctlModels.size(), 2u);
    EXPECT_EQ(Get(ctlModels[1], "sec:EnumVal.val"), "direct-with-normal-security");
    const std::vector<URI_Ref> health =
        Members(Member(Target(icd, "sec:ICD.TypePackage"), "sec:TypePackage.EnumTypes", "MU610_HealthKind"),
                "sec:EnumType.EnumVals");
    ASSERT_EQ(health.size(), 4u);
    EXPECT_EQ(Get(health[0], "sec:EnumVal.val"), "");
    EXPECT_EQ(Get(health[3], "sec:EnumVal.val"), "Alarm");
    EXPECT_EQ(Desc(health[3]), "告警");
    EXPECT_EQ(TypeNames(icd, "sec:TypePackage.LNodeTypes").size(), 6u);
    EXPECT_EQ(TypeNames(icd, "sec:TypePackage.DATypes").size(), 5u);
}

TEST_F(ToolStylesTest, AStationProtectionInGbkWithAServerOnEveryAccessPoint) {
    const URI_Ref icd = Import("gbk_multi_ap_line_protection.icd", 0, 5);
    EXPECT_EQ(SavedReport(),
              (std::vector<ReportEntry>{{"other_error", "警告：ICD文件:  AccessPoint:A1", "AccessPoint:A1中没有Server，未导入"},
                                        {"other_error", "警告：ICD文件:  Private:ext:CRC",
                                         "IED:PL2201A下的Private(type=ext:CRC)未导入"},
                                        {"other_error", "警告：ICD文件:  Services", "IED:PL2201A的Services未导入"},
                                        {"other_error", "警告：ICD文件:  Private:ext:SignalMap",
                                         "IED:PL2201A/AccessPoint:S1/Server/LDevice:LD0/LN:GGIO1下的"
                                         "Private(type=ext:SignalMap)未导入"},
                                        {"other_error", "警告：ICD文件:  GSEControl:gocb1",
                                         "IED:PL2201A/AccessPoint:G1/Server/LDevice:PIGO/LN0下的GOOSE控制块"
                                         "GSEControl:gocb1未导入"}}));
    EXPECT_EQ(Get(icd, "cim:Naming.name"), "PL-2000_Ver5.20_RevC");
    EXPECT_EQ(Desc(Target(icd, "sec:ICD.IED")), "220kV线路保护A套");
    // The first access point only points at another one's server; the
    // devices of all three servers come in, numbered on over the IED.
    const std::vector<URI_Ref> devices = Members(ServerOf(icd), "sec:Server.LDevices");
    EXPECT_EQ(NamesOf(devices), (std::vector<CString>{"LD0", "PROT", "PIGO", "PISV"}));
    std::vector<CString> ords;
    for (const URI_Ref& d : devices) ords.push_back(Get(d, "e301:OrdNaming.ord"));
    EXPECT_EQ(ords, (std::vector<CString>{"1", "2", "3", "4"}));
    // Each keeps the name and description of its access point.
    std::vector<CString> accessPoints;
    for (const URI_Ref& d : devices)
        accessPoints.push_back(Get(d, "sec:LDevice.apName") + " " + Get(d, "sec:LDevice.apDesc"));
    EXPECT_EQ(accessPoints, (std::vector<CString>{"S1 站控层MMS", "S1 站控层MMS", "G1 过程层GOOSE", "M1 过程层SV"}));
    EXPECT_EQ(Desc(devices[2]), "GOOSE过程层");

    // Texts with characters GBK has beyond GB2312, and in entities.
    const URI_Ref prot = DeviceOf(icd, "PROT");
    EXPECT_EQ(DaiDump(Node(prot, "LLN0"), "NamPlt"), (Rows{{"vendor[DC]", "示例电气（堃）"}, {"swRev[DC]", "V5.20"}}));
    const URI_Ref alarms = Node(DeviceOf(icd, "LD0"), "GGIO1");
    EXPECT_EQ(DaiDump(alarms, "Alm2"), (Rows{{"dU[DC]", "PT断线"}}));
    EXPECT_EQ(Get(Members(Node(DeviceOf(icd, "LD0"), "LLN0"), "sec:LNode.RCBs").at(0), "sec:RCB.rptID"),
              "PL2201ALD0/LLN0$BR$brcbAlarm");

    // Settings of four groups, a member named by a dotted path, and the
    // points of a curve kept apart by their indexes.
    const URI_Ref pdis = Node(prot, "PDIS1");
    EXPECT_EQ(DaiDump(pdis, "PoRch"),
              (Rows{{"setMag[SG].f", "2.5@1", "2.5@2", "3.0@3", "3.0@4"}, {"units[CF].SIUnit", "Ohm"}}));
    EXPECT_EQ(Get(Member(pdis, "sec:LNode.DOIs", "TmACrv"), "sec:DOI.ix"), "1");
    EXPECT_EQ(DaiDump(pdis, "TmACrv"), (Rows{{"numPts[SP]", "2"},
                                             {"crvPts[SP].xVal", "0.0", "#0"},
                                             {"crvPts[SP].yVal", "1.0", "#0"},
                                             {"crvPts[SP].xVal", "10.0", "#1"},
                                             {"crvPts[SP].yVal", "0.5", "#1"}}));
    EXPECT_EQ(Get(Target(Node(prot, "LLN0"), "sec:LNode.SGCB"), "sec:SGCB.numOfSG"), "4");

    // The input from the relay's own protection device is linked across
    // servers; the others name devices outside the file.
    const std::vector<URI_Ref> own = Members(Node(DeviceOf(icd, "PIGO"), "GOINGGIO1"), "sec:LNode.ExtRefs");
    ASSERT_EQ(own.size(), 1u);
    EXPECT_EQ(Target(own[0], "sec:DARef.LNode"), Node(prot, "PTRC1"));
    EXPECT_EQ(FcdaTargets(Members(Node(DeviceOf(icd, "PIGO"), "LLN0"), "sec:LNode.DataSets").at(0)),
              std::vector<CString>{"PTRC1.Tr"});

    // Array sizes of members, and the maker's enumerations with an empty value.
    const URI_Ref pkg = Target(icd, "sec:ICD.TypePackage");
    const URI_Ref csg = Member(pkg, "sec:TypePackage.DOTypes", "PL2000_CSG");
    EXPECT_EQ(Get(Member(csg, "sec:DOType.Contains_DAs", "crvPts"), "sec:BDA.count"), "10");
    const URI_Ref point = Member(pkg, "sec:TypePackage.DATypes", "PL2000_Point");
    EXPECT_EQ(Get(Member(point, "sec:DAType.Contains_BDAs", "zVal"), "sec:BDA.count"), "0");
    EXPECT_EQ(TypeNames(icd, "sec:TypePackage.EnumTypes"),
              (std::vector<CString>{"ctlModel", "dir", "SIUnit", "multiplier"}));
    const std::vector<URI_Ref> units =
        Members(Member(pkg, "sec:TypePackage.EnumTypes", "SIUnit"), "sec:EnumType.EnumVals");
    ASSERT_EQ(units.size(), 2u);
    EXPECT_EQ(Get(units[0], "sec:EnumVal.val"), "");
    EXPECT_EQ(Get(units[1], "sec:EnumVal.val"), "Ohm");
}

// The UTF-16 file as it is, in the other byte order, and without its mark.
enum class Utf16Form { LittleEndianWithMark, BigEndianWithMark, LittleEndianWithoutMark };

class Utf16Test : public ToolStylesTest, public ::testing::WithParamInterface<Utf16Form> {};

TEST_P(Utf16Test, AUtf16FileKeepsItsChineseTexts) {
    std::string bytes = ReadData("utf16le_bus_protection.icd");
    ASSERT_GT(bytes.size(), 2u);
    ASSERT_EQ(bytes.substr(0, 2), "\xFF\xFE");
    if (GetParam() == Utf16Form::BigEndianWithMark)
        for (size_t i = 0; i + 1 < bytes.size(); i += 2) std::swap(bytes[i], bytes[i + 1]);
    if (GetParam() == Utf16Form::LittleEndianWithoutMark) bytes.erase(0, 2);
    const URI_Ref icd = ImportPath(WriteFile("wide.icd", bytes), 0);
    EXPECT_EQ(Get(icd, "cim:Naming.name"), "BP-30_Ver1.2_RevA");
    EXPECT_EQ(Desc(Target(icd, "sec:ICD.IED")), "母线保护");
    const URI_Ref prot = DeviceOf(icd, "PROT");
    EXPECT_EQ(NamesOf(Members(prot, "sec:LDevice.LNodes")),
              (std::vector<CString>{"LLN0", "LPHD1", "BusPDIF1", "BusPDIF2"}));
    EXPECT_EQ(Desc(Node(prot, "BusPDIF2")), "Ⅱ母差动");
    EXPECT_EQ(DaiDump(Node(prot, "LLN0"), "NamPlt"), (Rows{{"vendor[DC]", "示例电气（戊）"}}));
    EXPECT_EQ(
        Get(Members(Member(Node(prot, "BusPDIF1"), "sec:LNode.DOIs", "Op"), "sec:DOI.DAIs").at(0), "sec:DAI.sAddr"),
        "BUS1.OP");
}

INSTANTIATE_TEST_SUITE_P(Forms, Utf16Test,
                         ::testing::Values(Utf16Form::LittleEndianWithMark, Utf16Form::BigEndianWithMark,
                                           Utf16Form::LittleEndianWithoutMark));

class EncodingLabelTest : public ToolStylesTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(EncodingLabelTest, AChineseEncodingNamedInAnyCaseKeepsTheTexts) {
    std::string bytes = ReadData("gb2312_transformer_relay.icd");
    const std::string label = "encoding=\"GB2312\"";
    const size_t at = bytes.find(label);
    ASSERT_NE(at, std::string::npos);
    bytes.replace(at, label.size(), std::string("encoding=\"") + GetParam() + "\"");
    const URI_Ref icd = ImportPath(WriteFile("label.icd", bytes), 0);
    EXPECT_EQ(Get(icd, "cim:Naming.name"), "主变保护_Ver1.00_RevB");
    EXPECT_EQ(Desc(Target(icd, "sec:ICD.IED")), "主变压器保护");
    EXPECT_EQ(Desc(Node(DeviceOf(icd, "PROT"), "DiffPDIF1")), "纵差保护");
}

INSTANTIATE_TEST_SUITE_P(Labels, EncodingLabelTest, ::testing::Values("gb2312", "Gb2312", "gbk", "gb18030", "cp936"));

// Tools label GBK text "GB2312" though it holds characters GB2312 lacks.
TEST_F(ToolStylesTest, AGb2312LabelOnGbkTextKeepsCharactersBeyondGb2312) {
    std::string bytes = ReadData("gbk_multi_ap_line_protection.icd");
    const std::string label = "encoding=\"GBK\"";
    const size_t at = bytes.find(label);
    ASSERT_NE(at, std::string::npos);
    bytes.replace(at, label.size(), "encoding=\"GB2312\"");
    const URI_Ref icd = ImportPath(WriteFile("label.icd", bytes), 0, 5);
    EXPECT_EQ(DaiDump(Node(DeviceOf(icd, "PROT"), "LLN0"), "NamPlt"),
              (Rows{{"vendor[DC]", "示例电气（堃）"}, {"swRev[DC]", "V5.20"}}));
}

// A European maker's first-edition file in ISO-8859-1, and the same bytes
// labelled as the Windows code page in lower case.
TEST_F(ToolStylesTest, ALatin1FileKeepsItsAccentedTexts) {
    const std::string original = ReadData("latin1_feeder_relay.icd");
    const std::string label = "encoding=\"ISO-8859-1\"";
    const size_t at = original.find(label);
    ASSERT_NE(at, std::string::npos);
    for (const char* encoding : {"ISO-8859-1", "windows-1252"}) {
        std::string bytes = original;
        bytes.replace(at, label.size(), std::string("encoding=\"") + encoding + "\"");
        ui.ClearCalls();
        const URI_Ref icd = ImportPath(WriteFile("latin.icd", bytes), 0);
        EXPECT_EQ(Get(icd, "cim:Naming.name"), "FR-7_Ver4.1_RevC") << encoding;
        EXPECT_EQ(Desc(Target(icd, "sec:ICD.IED")), "Abgangsschutz Feld E03") << encoding;
        const URI_Ref prot = DeviceOf(icd, "PROT");
        EXPECT_EQ(Desc(prot), "Schutzgerät") << encoding;
        EXPECT_EQ(Desc(Node(prot, "PDIF1")), "Differentialschutz Ä/Ö/Ü") << encoding;
        EXPECT_EQ(Desc(Node(prot, "PDIF2")), "Größe ß") << encoding;
        EXPECT_EQ(DaiDump(Node(prot, "LLN0"), "NamPlt"), (Rows{{"vendor[DC]", "Müller & Söhne"}})) << encoding;
    }
}

// A substation file of `ieds` devices sharing their types; the first one
// takes inputs from the next three.
std::string SubstationFile(int ieds) {
    auto name = [](int i) {
        std::string n = std::to_string(i);
        return "IED" + std::string(3 - std::min<size_t>(3, n.size()), '0') + n;
    };
    std::string s =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<SCL xmlns=\"http://www.iec.ch/61850/2003/SCL\" version=\"2007\" revision=\"B\" release=\"4\">\n"
        "<Header id=\"S500\" version=\"3\" revision=\"B\" toolID=\"SCT\"/>\n<Communication><SubNetwork name=\"MMS\" "
        "type=\"8-MMS\">\n";
    for (int i = 0; i < ieds; ++i)
        s += "<ConnectedAP iedName=\"" + name(i) + "\" apName=\"S1\"><Address><P type=\"IP\">10.1." +
             std::to_string(i / 200) + "." + std::to_string(i % 200 + 1) + "</P></Address></ConnectedAP>\n";
    s += "</SubNetwork></Communication>\n";
    for (int i = 0; i < ieds; ++i) {
        s += "<IED name=\"" + name(i) + "\" type=\"T-" + std::to_string(i % 7) + "\" manufacturer=\"M\" desc=\"装置" +
             std::to_string(i) + "\"><AccessPoint name=\"S1\"><Server><Authentication/>\n";
        for (const char* ld : {"PROT", "MEAS"}) {
            s += std::string("<LDevice inst=\"") + ld +
                 "\"><LN0 lnClass=\"LLN0\" inst=\"\" lnType=\"LLN0_T\">"
                 "<DataSet name=\"ds\"><FCDA ldInst=\"" +
                 ld +
                 "\" lnClass=\"GGIO\" lnInst=\"1\" doName=\"Ind1\" fc=\"ST\"/></DataSet>"
                 "<DOI name=\"Mod\"><DAI name=\"stVal\"><Val>1</Val></DAI></DOI></LN0>"
                 "<LN lnClass=\"LPHD\" inst=\"1\" lnType=\"LPHD_T\"/>\n";
            for (int k = 1; k <= 10; ++k) {
                s += "<LN lnClass=\"GGIO\" inst=\"" + std::to_string(k) + "\" lnType=\"GGIO_T\" desc=\"开入" +
                     std::to_string(k) + "\"><DOI name=\"Ind1\"><DAI name=\"dU\"><Val>信号" + std::to_string(k) +
                     "</Val></DAI></DOI>";
                if (i == 0 && k <= 3 && std::string(ld) == "PROT")
                    s += "<Inputs><ExtRef iedName=\"" + name(k) + "\" ldInst=\"PROT\" lnClass=\"GGIO\" lnInst=\"" +
                         std::to_string(k) + "\" doName=\"Ind1\" daName=\"stVal\" intAddr=\"in" + std::to_string(k) +
                         "\"/></Inputs>";
                s += "</LN>\n";
            }
            s += "</LDevice>\n";
        }
        s += "</Server></AccessPoint></IED>\n";
    }
    s += "<DataTypeTemplates>"
         "<LNodeType id=\"LLN0_T\" lnClass=\"LLN0\"><DO name=\"Mod\" type=\"INC_T\"/><DO name=\"Beh\" "
         "type=\"INS_T\"/></LNodeType>"
         "<LNodeType id=\"LPHD_T\" lnClass=\"LPHD\"><DO name=\"PhyHealth\" type=\"INS_T\"/></LNodeType>"
         "<LNodeType id=\"GGIO_T\" lnClass=\"GGIO\"><DO name=\"Ind1\" type=\"SPS_T\"/></LNodeType>"
         "<DOType id=\"INC_T\" cdc=\"INC\"><DA name=\"stVal\" fc=\"ST\" bType=\"INT32\"/></DOType>"
         "<DOType id=\"INS_T\" cdc=\"INS\"><DA name=\"stVal\" fc=\"ST\" bType=\"INT32\"/></DOType>"
         "<DOType id=\"SPS_T\" cdc=\"SPS\"><DA name=\"stVal\" fc=\"ST\" bType=\"BOOLEAN\"/>"
         "<DA name=\"dU\" fc=\"DC\" bType=\"Unicode255\"/></DOType></DataTypeTemplates>\n</SCL>\n";
    return s;
}

TEST_F(ToolStylesTest, ALargeSubstationFileGivesItsFirstIedOnly) {
    const std::string text = SubstationFile(150);
    ASSERT_GT(text.size(), 400000u);
    const URI_Ref icd = ImportPath(WriteFile("station.scd", text), 0, 2);
    // Of the Communication section only the imported IED's address is named.
    EXPECT_EQ(SavedReport(), (std::vector<ReportEntry>{
                                 {"other_error", "警告：ICD文件:  IED:IED000", "文件中有150个IED，只导入了第一个有Server的IED:IED000"},
                                 {"other_error", "警告：ICD文件:  Communication",
                                  "Communication中IED:IED000的ConnectedAP:S1未导入"}}));
    // The fixture's own ICD and this one: no other IED came in as an ICD.
    EXPECT_EQ(IcdNames(), (std::vector<CString>{"ICD1", "S500_Ver3_RevB"}));
    EXPECT_EQ(Get(icd, "sec:ICD.productType"), "T-0");
    EXPECT_EQ(Get(Target(icd, "sec:ICD.IED"), "cim:Naming.name"), "IED000");
    EXPECT_EQ(NamesOf(Members(ServerOf(icd), "sec:Server.LDevices")), (std::vector<CString>{"PROT", "MEAS"}));
    for (const char* ld : {"PROT", "MEAS"}) {
        const URI_Ref device = DeviceOf(icd, ld);
        EXPECT_EQ(Members(device, "sec:LDevice.LNodes").size(), 12u) << ld;
        EXPECT_EQ(DaiDump(Node(device, "GGIO10"), "Ind1"), (Rows{{"dU[DC]", "信号10"}})) << ld;
        EXPECT_EQ(FcdaTargets(Members(Node(device, "LLN0"), "sec:LNode.DataSets").at(0)),
                  std::vector<CString>{"GGIO1.Ind1"});
    }
    EXPECT_EQ(TypeNames(icd, "sec:TypePackage.LNodeTypes"), (std::vector<CString>{"LLN0_T", "LPHD_T", "GGIO_T"}));
}

TEST_F(ToolStylesTest, ASclNamespaceUnderAPrefixReadsLikeTheDefaultOne) {
    const URI_Ref icd = Import("prefixed_namespace_bus_protection.iid", 0, 1);
    EXPECT_EQ(Get(icd, "cim:Naming.name"), "BP-30I_Ver1.2_RevA");
    // The tool's Private element is named once, with nothing of what it holds.
    EXPECT_EQ(SavedReport(), (std::vector<ReportEntry>{{"other_error", "警告：ICD文件:  Private:tl:Info",
                                                        "IED:BP30下的Private(type=tl:Info)未导入"}}));
    EXPECT_EQ(Get(icd, "sec:ICD.productType"), "BP-30I");
    // The tool's own element of another namespace is not taken for the IED.
    EXPECT_EQ(Get(Target(icd, "sec:ICD.IED"), "cim:Naming.name"), "BP30");
    const URI_Ref prot = DeviceOf(icd, "PROT");
    EXPECT_EQ(NamesOf(Members(prot, "sec:LDevice.LNodes")),
              (std::vector<CString>{"LLN0", "LPHD1", "BusPDIF1", "BusPDIF2"}));
    EXPECT_EQ(TypeName(Node(prot, "BusPDIF1")), "BP_PDIF");
    EXPECT_EQ(TypeNames(icd, "sec:TypePackage.DOTypes").size(), 6u);
}

}  // namespace
}  // namespace kiln::test

namespace kiln::test {
namespace {

// Every data file through all three entries: as an ICD, as a type package
// and as types added to an empty package. `icd`, `typePackage`, `lnodeType`:
// the report entries each finds (0: "导入成功!" and no report); the types
// added to a package bring the file's enumerations they use.
struct EntryRow {
    const char* file;
    size_t icd, typePackage, lnodeType;
};
void PrintTo(const EntryRow& row, std::ostream* os) { *os << row.file; }

class EveryEntryTest : public ToolStylesTest, public ::testing::WithParamInterface<EntryRow> {
protected:
    // Answers the report question when entries are expected, then checks
    // the notice or the saved report's size.
    void Expect(size_t entries, const char* what) {
        if (entries == 0) {
            EXPECT_EQ(Boxes(), std::vector<CString>{"导入成功!"}) << what;
        } else {
            const std::vector<ReportEntry> report = SavedReport();
            EXPECT_EQ(report.size(), entries) << what << ": " << ::testing::PrintToString(report);
        }
        EXPECT_EQ(ui.PendingAnswers(), 0u) << what;
        std::filesystem::remove(docFolder / "Report.xml");
        ui.ClearCalls();
    }
    void AnswerReport(size_t entries) {
        if (entries > 0) ui.AnswerNo("文件导入完毕,发现错误");
    }
};

TEST_P(EveryEntryTest, ImportsThroughEveryEntry) {
    const EntryRow& row = GetParam();
    const CString path = CString(KILN_SOURCE_DIR) + "/tests/data/scl/" + row.file;

    ui.AnswerOpenFile(path);
    ui.AnswerInputChoice("Orsane.Zel:2007  (标准)", "选择依赖的类型包：");
    AnswerReport(row.icd);
    URI_Ref icd;
    ASSERT_TRUE(app.Rsc_ICD_Import(&icd, product));
    EXPECT_FALSE(Members(ServerOf(icd), "sec:Server.LDevices").empty());
    Expect(row.icd, "ICD");

    const size_t packages = PackageNames().size();
    ui.AnswerOpenFile(path);
    ui.AnswerInputChoice("Orsane.Zel:2007  (标准)", "选择依赖的类型包：");
    ui.AnswerInput("导入的类型包", "名称");
    AnswerReport(row.typePackage);
    ASSERT_TRUE(app.Rsc_TypePackage_Import());
    ASSERT_EQ(PackageNames().size(), packages + 1);
    const size_t lnTypes = TypeNames(icd, "sec:TypePackage.LNodeTypes").size();
    std::vector<URI_Ref> all;
    app.DocMtd_get_Uris_byClassName("sec:TypePackage", all, "", SortPolicy_ByName);
    URI_Ref made;
    for (const URI_Ref& p : all)
        if (Get(p, "cim:Naming.name") == "导入的类型包") made = p;
    EXPECT_EQ(Members(made, "sec:TypePackage.LNodeTypes").size(), lnTypes);
    Expect(row.typePackage, "type package");

    URI_Ref empty;
    ui.AnswerInputKeep("空类型包");
    ASSERT_TRUE(app.NewRsc_TypePackage(&empty, "空类型包", true, URI_Ref()));
    ui.AnswerOpenFile(path);
    AnswerReport(row.lnodeType);
    ASSERT_TRUE(app.Rsc_LNodeType_Import(empty));
    EXPECT_EQ(Members(empty, "sec:TypePackage.LNodeTypes").size(), lnTypes);
    Expect(row.lnodeType, "LNodeType");
}

INSTANTIATE_TEST_SUITE_P(DataFiles, EveryEntryTest,
                         ::testing::Values(EntryRow{"ed1_line_relay.icd", 3, 0, 0},
                                           EntryRow{"ed2_bay_controller.icd", 19, 0, 0},
                                           EntryRow{"gb2312_transformer_relay.icd", 0, 0, 0},
                                           EntryRow{"substation_three_ieds.scd", 3, 0, 0},
                                           EntryRow{"ed2_1_merging_unit.cid", 15, 0, 0},
                                           EntryRow{"gbk_multi_ap_line_protection.icd", 5, 0, 0},
                                           EntryRow{"utf16le_bus_protection.icd", 0, 0, 0},
                                           EntryRow{"prefixed_namespace_bus_protection.iid", 1, 0, 0},
                                           EntryRow{"latin1_feeder_relay.icd", 0, 0, 0},
                                           EntryRow{"ed2_pv_feeder_station.scd", 8, 3, 3},
                                           EntryRow{"gb2312_multi_ap_line_relay.icd", 12, 0, 0},
                                           EntryRow{"feeder_relay_report_blocks.icd", 1, 0, 0},
                                           EntryRow{"ed2_station_client_first.scd", 8, 0, 0},
                                           EntryRow{"ed2_measurement_unit_harmonic_elements.icd", 0, 0, 0}));

}  // namespace
}  // namespace kiln::test
