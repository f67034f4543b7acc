// SCL files in the styles of several makers (tests/data/scl: first and second
// edition headers, a three-IED substation file, Chinese texts, one file in
// GB2312) imported against the shipped standard definitions: what the model
// holds afterwards and what the report says.
#include "tests/import/maker_files_fixture.h"

namespace kiln::test {
namespace {

TEST_F(MakerFilesTest, AFirstEditionRelayWithItsValuesReportsAndChineseTexts) {
    // Warnings only: the board list, the services and the address are named.
    const URI_Ref icd = Import("ed1_line_relay.icd", 0, 3);
    ASSERT_TRUE(icd.IsSet());
    EXPECT_EQ(SavedReport(),
              (std::vector<ReportEntry>{
                  {"other_error", "警告：ICD文件:  Private:LPR-Board", "IED:LPR2100下的Private(type=LPR-Board)未导入"},
                  {"other_error", "警告：ICD文件:  Services", "IED:LPR2100的Services未导入"},
                  {"other_error", "警告：ICD文件:  Communication", "Communication中IED:LPR2100的ConnectedAP:S1未导入"}}));
    EXPECT_EQ(Get(icd, "cim:Naming.name"), "LPR-2100_Ver3.02_RevA");
    EXPECT_EQ(Get(icd, "sec:ICD.productType"), "LPR-2100");
    const URI_Ref ied = Target(icd, "sec:ICD.IED");
    EXPECT_EQ(Get(ied, "cim:Naming.name"), "LPR2100");
    EXPECT_EQ(Desc(ied), "线路保护装置");
    EXPECT_EQ(NamesOf(Members(ServerOf(icd), "sec:Server.LDevices")), (std::vector<CString>{"PROT", "MEAS"}));

    const URI_Ref prot = DeviceOf(icd, "PROT");
    EXPECT_EQ(Desc(prot), "保护");
    EXPECT_EQ(NamesOf(Members(prot, "sec:LDevice.LNodes")),
              (std::vector<CString>{"LLN0", "LPHD1", "PDIS1", "PDIS2", "PTOC1"}));
    const URI_Ref pdis1 = Node(prot, "PDIS1");
    EXPECT_EQ(Desc(pdis1), "距离I段");
    EXPECT_EQ(TypeName(pdis1), "HT_PDIS");

    // Data sets point at the nodes they name; the reports at their data sets.
    const URI_Ref lln0 = Node(prot, "LLN0");
    const std::vector<URI_Ref> sets = Members(lln0, "sec:LNode.DataSets");
    ASSERT_EQ(NamesOf(sets), (std::vector<CString>{"dsTripInfo", "dsAlarm"}));
    EXPECT_EQ(FcdaTargets(sets[0]), (std::vector<CString>{"PDIS1.Op", "PDIS2.Op", "PTOC1.Op", "PTOC1.Str"}));
    const std::vector<URI_Ref> rcbs = Members(lln0, "sec:LNode.RCBs");
    ASSERT_EQ(NamesOf(rcbs), (std::vector<CString>{"brcbTripInfo", "urcbAlarm"}));
    EXPECT_EQ(Target(rcbs[0], "sec:RCB.DataSet"), sets[0]);
    EXPECT_EQ(Target(rcbs[1], "sec:RCB.DataSet"), sets[1]);
    EXPECT_EQ(Get(rcbs[1], "sec:RCB.intgPd"), "60000");

    // Values of the instance, Chinese ones included.
    EXPECT_EQ(DaiValues(lln0, "NamPlt"), (std::vector<CString>{"示例电气", "V3.02", "线路保护逻辑设备"}));
    EXPECT_EQ(DaiValues(Node(prot, "PTOC1"), "StrVal"), std::vector<CString>{"1.2"});
    EXPECT_EQ(TypeName(Node(DeviceOf(icd, "MEAS"), "MMXU1")), "HT_MMXU");
    // The maker's own enumeration is a type of the ICD's package.
    const URI_Ref pkg = Target(icd, "sec:ICD.TypePackage");
    const URI_Ref dir = Member(pkg, "sec:TypePackage.EnumTypes", "dir");
    ASSERT_TRUE(dir.IsSet());
    EXPECT_EQ(Members(dir, "sec:EnumType.EnumVals").size(), 4u);
    EXPECT_EQ(Members(pkg, "sec:TypePackage.LNodeTypes").size(), 6u);
}

TEST_F(MakerFilesTest, AFirstEditionSclControlBlockIsReported) {
    // The second edition has no SCL control block: the model keeps none and
    // the report names it where it stood.
    const URI_Ref icd = Import("ed1_feeder_terminal_scl_control.icd", 0, 2);
    ASSERT_TRUE(icd.IsSet());
    EXPECT_EQ(SavedReport(),
              (std::vector<ReportEntry>{
                  {"other_error", "警告：ICD文件:  Services", "IED:FT320的Services未导入"},
                  {"other_error", "警告：ICD文件:  SCLControl",
                   "IED:FT320/AccessPoint:S1/Server/LDevice:LD0/LN0下的SCLControl未导入"}}));
    // What stands beside it in LN0 is kept.
    const URI_Ref lln0 = Node(DeviceOf(icd, "LD0"), "LLN0");
    EXPECT_EQ(Get(Target(lln0, "sec:LNode.SGCB"), "sec:SGCB.numOfSG"), "4");
    EXPECT_EQ(NamesOf(Members(lln0, "sec:LNode.RCBs")), std::vector<CString>{"brcbEvent"});
}

TEST_F(MakerFilesTest, ASecondEditionDevicesAccessControlIsKeptAsItsText) {
    // Nothing the model has no place for: the import says it succeeded.
    const URI_Ref icd = Import("ed2_transformer_relay_access_control.icd", 0, 0);
    ASSERT_TRUE(icd.IsSet());
    EXPECT_EQ(Get(DeviceOf(icd, "PROT"), "sec:LDevice.accessControl"),
              "RBAC;roles=VIEWER,OPERATOR,ENGINEER,SECADM;profile=IEC62351-8");
}

TEST_F(MakerFilesTest, ASecondEditionBayControllerReportsWhatItCannotTake) {
    // The report client is a gateway outside the file: kept as the file
    // names it, nothing lost and so nothing reported. What the model has no
    // place for is named: the tool's hardware, the services, the GOOSE block
    // and its address, the free texts, the inputs' description, a private
    // element and an SDI without a DAI in the data, the access point's
    // security, the association, the key centre and the protocol namespace
    // of a type.
    const URI_Ref icd = Import("ed2_bay_controller.icd", 0, 19);
    EXPECT_EQ(Get(icd, "cim:Naming.name"), "BCU-8_Ver1.4_RevC");
    const std::vector<URI_Ref> rcbs = Members(Node(DeviceOf(icd, "CTRL"), "LLN0"), "sec:LNode.RCBs");
    ASSERT_FALSE(rcbs.empty());
    const std::vector<URI_Ref> clients = Members(rcbs[0], "sec:RCB.ClientLNs");
    ASSERT_EQ(clients.size(), 1u);
    EXPECT_EQ(Get(clients[0], "sec:ClientLN.iedName"), "GW01");
    EXPECT_TRUE(Target(clients[0], "sec:ClientLN.LNode").IsEmpty());
    const CString ap = "IED:BCU8_E01/AccessPoint:AP1";
    EXPECT_EQ(SavedReport(),
              (std::vector<ReportEntry>{
                  {"other_error", "警告：ICD文件:  Text", "IED:BCU8_E01下的Text未导入"},
                  {"other_error", "警告：ICD文件:  Private:bx:hardware", "IED:BCU8_E01下的Private(type=bx:hardware)未导入"},
                  {"other_error", "警告：ICD文件:  Services", "IED:BCU8_E01的Services未导入"},
                  {"other_error", "警告：ICD文件:  Text", ap + "/Server/LDevice:CTRL下的Text未导入"},
                  {"other_error", "警告：ICD文件:  Text", ap + "/Server/LDevice:CTRL/LN0/DataSet:dsPos下的Text未导入"},
                  {"other_error", "警告：ICD文件:  GSEControl:gcbPos",
                   "IED:BCU8_E01/AccessPoint:AP1/Server/LDevice:CTRL/LN0下的GOOSE控制块GSEControl:gcbPos未导入"},
                  {"other_error", "警告：ICD文件:  Text", ap + "/Server/LDevice:CTRL/LN:Q0CSWI1/DOI:Pos下的Text未导入"},
                  {"other_error", "警告：ICD文件:  Inputs@desc", ap + "/Server/LDevice:CTRL/LN:Q0CSWI1/Inputs的属性desc未导入"},
                  {"other_error", "警告：ICD文件:  Private:bx:scale",
                   ap + "/Server/LDevice:MEAS/LN:MMXU1/DOI:TotW/SDI:units下的Private(type=bx:scale)未导入"},
                  {"other_error", "警告：ICD文件:  Text",
                   ap + "/Server/LDevice:MEAS/LN:MMXU1/DOI:TotW/SDI:units/DAI:multiplier下的Text未导入"},
                  {"other_error", "警告：ICD文件:  SDI:units",
                   ap + "/Server/LDevice:MEAS/LN:MMXU1/DOI:Hz下的SDI:units(其下无DAI)未导入"},
                  {"other_error", "警告：ICD文件:  Association", ap + "/Server下的Association未导入"},
                  {"other_error", "警告：ICD文件:  Services", ap + "下的Services未导入"},
                  {"other_error", "警告：ICD文件:  GOOSESecurity:gsec1", ap + "下的GOOSESecurity:gsec1未导入"},
                  {"other_error", "警告：ICD文件:  KDC:KDS01/S1", "IED:BCU8_E01下的KDC:KDS01/S1未导入"},
                  {"other_error", "警告：ICD文件:  Text", "DataTypeTemplates/LNodeType:CSWI$V1下的Text未导入"},
                  {"other_error", "警告：ICD文件:  ProtNs:IEC 61850-8-1:2003",
                   "DataTypeTemplates/DAType:Oper$Dbpos$V1下的ProtNs:IEC 61850-8-1:2003未导入"},
                  {"other_error", "警告：ICD文件:  Communication", "Communication中IED:BCU8_E01的ConnectedAP:AP1未导入"},
                  {"other_error", "警告：ICD文件:  GSE:CTRL/gcbPos", "Communication中ConnectedAP:AP1下的GSE地址:CTRL/gcbPos未导入"}}));
    EXPECT_EQ(NamesOf(Members(ServerOf(icd), "sec:Server.LDevices")), (std::vector<CString>{"CTRL", "MEAS"}));
    // MEAS has no LPHD node, as second-edition devices after the first may.
    const URI_Ref meas = DeviceOf(icd, "MEAS");
    EXPECT_EQ(NamesOf(Members(meas, "sec:LDevice.LNodes")), (std::vector<CString>{"LLN0", "MMXU1"}));
    EXPECT_EQ(DaiValues(Node(meas, "MMXU1"), "TotW"), (std::vector<CString>{"", "W", "M"}));

    const URI_Ref ctrl = DeviceOf(icd, "CTRL");
    EXPECT_EQ(NamesOf(Members(ctrl, "sec:LDevice.LNodes")),
              (std::vector<CString>{"LLN0", "LPHD1", "Q0CSWI1", "Q0XCBR1", "Q1XSWI1"}));
    const URI_Ref cswi = Node(ctrl, "Q0CSWI1");
    EXPECT_EQ(Get(cswi, "sec:LNode.prefix"), "Q0");
    EXPECT_EQ(Desc(cswi), "断路器控制");
    EXPECT_EQ(DaiValues(cswi, "Pos"), (std::vector<CString>{"sbo-with-enhanced-security", "30000"}));
    // Inputs from the device itself are linked to their node.
    const std::vector<URI_Ref> inputs = Members(cswi, "sec:LNode.ExtRefs");
    ASSERT_EQ(inputs.size(), 2u);
    for (const URI_Ref& in : inputs) EXPECT_EQ(Target(in, "sec:DARef.LNode"), Node(ctrl, "Q0XCBR1"));
    // The log control block writes to the device's log; the setting groups.
    const URI_Ref lln0 = Node(ctrl, "LLN0");
    const std::vector<URI_Ref> lcbs = Members(lln0, "sec:LNode.LCBs");
    ASSERT_EQ(lcbs.size(), 1u);
    EXPECT_EQ(Get(Target(lcbs[0], "sec:LCB.Log"), "cim:Naming.name"), "CTRL");
    EXPECT_EQ(FcdaTargets(Members(lln0, "sec:LNode.DataSets").at(0)),
              (std::vector<CString>{"Q0XCBR1.Pos", "Q0XCBR1.Pos", "Q1XSWI1.Pos"}));
}

TEST_F(MakerFilesTest, OnlyTheFirstIedOfASubstationFileIsTakenAndItsOutsideInputsKept) {
    const URI_Ref icd = Import("substation_three_ieds.scd", 0, 3);
    EXPECT_EQ(Get(Target(icd, "sec:ICD.IED"), "cim:Naming.name"), "P_L2201A");
    EXPECT_EQ(Desc(Target(icd, "sec:ICD.IED")), "线路保护A套");
    EXPECT_EQ(NamesOf(Members(ServerOf(icd), "sec:Server.LDevices")), std::vector<CString>{"PI"});
    EXPECT_EQ(SavedReport(),
              (std::vector<ReportEntry>{
                  {"other_error", "警告：ICD文件:  IED:P_L2201A", "文件中有3个IED，只导入了第一个有Server的IED:P_L2201A"},
                  {"other_error", "警告：ICD文件:  GSEControl:gcbTrip",
                   "IED:P_L2201A/AccessPoint:G1/Server/LDevice:PI/LN0下的GOOSE控制块GSEControl:gcbTrip未导入"},
                  {"other_error", "警告：ICD文件:  Communication", "Communication中IED:P_L2201A的ConnectedAP:G1未导入"}}));
    // The input from the relay itself is linked; those from the other IEDs
    // are kept as the file names them, so no error is reported for them.
    const URI_Ref pi = DeviceOf(icd, "PI");
    const std::vector<URI_Ref> inputs = Members(Node(pi, "PTRC1"), "sec:LNode.ExtRefs");
    ASSERT_EQ(inputs.size(), 3u);
    EXPECT_TRUE(Target(inputs[0], "sec:DARef.LNode").IsEmpty());
    EXPECT_EQ(Get(inputs[0], "sec:ExtRef.iedName"), "C_L2201");
    EXPECT_EQ(Target(inputs[2], "sec:DARef.LNode"), Node(pi, "PTOC1"));
    // One ICD came in; the types all three IEDs share are there once.
    EXPECT_EQ(Members(Target(icd, "sec:ICD.TypePackage"), "sec:TypePackage.LNodeTypes").size(), 5u);
}

// A second-edition station file that starts with a client: the protection
// after it comes in, each device with its access point, and the report
// names the IED taken and what has no place in the model.
TEST_F(MakerFilesTest, AStationFileStartingWithAClientGivesTheFirstServerIed) {
    const URI_Ref icd = Import("ed2_station_client_first.scd", 0, 8);
    EXPECT_EQ(Get(icd, "sec:ICD.productType"), "PCS-931");
    const URI_Ref ied = Target(icd, "sec:ICD.IED");
    EXPECT_EQ(Get(ied, "cim:Naming.name"), "PL2201");
    EXPECT_EQ(Desc(ied), "220kV线路2201保护");
    // What the file says of the IED beside its name and description is kept.
    EXPECT_EQ(Get(ied, "sec:IED.manufacturer") + " " + Get(ied, "sec:IED.configVersion") + " " +
                  Get(ied, "sec:IED.originalSclVersion") + Get(ied, "sec:IED.originalSclRevision"),
              "示例电气 V3.10 2007B");
    EXPECT_EQ(SavedReport(),
              (std::vector<ReportEntry>{
                  {"LNode", "警告：ITCI1", "AccessPoint:C1下的LNode:ITCI1未导入（只导入LDevice中的LNode）"},
                  {"other_error", "警告：ICD文件:  AccessPoint:A1", "AccessPoint:A1中没有Server，未导入"},
                  {"other_error", "警告：ICD文件:  AccessPoint:C1", "AccessPoint:C1中没有Server，未导入"},
                  {"other_error", "警告：ICD文件:  IED:PL2201", "文件中有3个IED，只导入了第一个有Server的IED:PL2201"},
                  {"other_error", "警告：ICD文件:  Services", "IED:PL2201的Services未导入"},
                  {"other_error", "警告：ICD文件:  GSEControl:gocb1",
                   "IED:PL2201/AccessPoint:G1/Server/LDevice:PIGO/LN0下的GOOSE控制块GSEControl:gocb1未导入"},
                  {"other_error", "警告：ICD文件:  Communication", "Communication中IED:PL2201的ConnectedAP:S1,G1未导入"},
                  {"other_error", "警告：ICD文件:  GSE:PIGO/gocb1", "Communication中ConnectedAP:G1下的GSE地址:PIGO/gocb1未导入"}}));
    std::vector<CString> devices;
    for (const URI_Ref& d : Members(ServerOf(icd), "sec:Server.LDevices"))
        devices.push_back(Get(d, "cim:Naming.name") + "@" + Get(d, "sec:LDevice.apName") + " " +
                          Get(d, "sec:LDevice.apDesc") + " none=" + Get(d, "sec:LDevice.authNone"));
    EXPECT_EQ(devices, (std::vector<CString>{"LD0@S1 站控层MMS none=true", "PROT@S1 站控层MMS none=true",
                                             "PIGO@G1 过程层GOOSE none=true", "PISV@M1 过程层SV none=true"}));
    EXPECT_EQ(Get(DeviceOf(icd, "LD0"), "sec:LDevice.ldName"), "PL2201_LD0");
    // The GOOSE data set names a node of another access point's device.
    EXPECT_EQ(FcdaTargets(Members(Node(DeviceOf(icd, "PIGO"), "LLN0"), "sec:LNode.DataSets").at(0)),
              std::vector<CString>{"PTRC1.Tr"});
}

TEST_F(MakerFilesTest, AGb2312FileKeepsItsChineseTexts) {
    const URI_Ref icd = Import("gb2312_transformer_relay.icd", 0);
    EXPECT_EQ(Get(icd, "cim:Naming.name"), "主变保护_Ver1.00_RevB");
    EXPECT_EQ(Desc(Target(icd, "sec:ICD.IED")), "主变压器保护");
    const URI_Ref prot = DeviceOf(icd, "PROT");
    EXPECT_EQ(Desc(prot), "差动保护");
    const URI_Ref pdif = Node(prot, "DiffPDIF1");
    EXPECT_EQ(Desc(pdif), "纵差保护");
    EXPECT_EQ(DaiValues(pdif, "Op"), std::vector<CString>{"纵差保护动作"});
    EXPECT_EQ(DaiValues(Node(prot, "LLN0"), "NamPlt"), (std::vector<CString>{"示例电气（丁）", "主变差动保护逻辑设备"}));
    EXPECT_EQ(NamesOf(Members(Node(prot, "LLN0"), "sec:LNode.DataSets")), std::vector<CString>{"dsTrip"});
    EXPECT_EQ(Desc(Members(Node(prot, "LLN0"), "sec:LNode.DataSets").at(0)), "保护动作信号");
}

// A Chinese maker's relay with station, GOOSE and sampled-value access
// points: what the model has no place for is named once per kind and
// element, the maker's attribute on three nodes in one entry, the late-bound
// input by its binding, the types' own Private too; the findings of settings
// in a data set are there and count nowhere.
TEST_F(MakerFilesTest, AGb2312RelayWithThreeAccessPointsNamesWhatTheModelCannotHold) {
    const URI_Ref icd = Import("gb2312_multi_ap_line_relay.icd", 0, 9);
    ASSERT_TRUE(icd.IsSet());
    const CString ns = "(命名空间http://www.example.cn/jxb/scl)未导入";
    const CString ap = "IED:TEMPLATE/AccessPoint:";
    const std::vector<ReportEntry> report = SavedReport();
    ASSERT_EQ(report.size(), 12u) << ::testing::PrintToString(report);
    EXPECT_EQ(std::vector<ReportEntry>(report.begin() + 3, report.end()),
              (std::vector<ReportEntry>{
                  {"other_error", "警告：ICD文件:  Private:jxb:VirtualTerminalCRC",
                   "IED:TEMPLATE下的Private(type=jxb:VirtualTerminalCRC)未导入"},
                  {"other_error", "警告：ICD文件:  Services", "IED:TEMPLATE的Services未导入"},
                  {"other_error", "警告：ICD文件:  GSEControl:gocb1",
                   ap + "G1/Server/LDevice:PIGO/LN0下的GOOSE控制块GSEControl:gocb1未导入"},
                  {"other_error", "警告：ICD文件:  jxb:Terminals",
                   ap + "G1/Server/LDevice:PIGO/LN:GOINGGIO1下的jxb:Terminals" + ns},
                  {"other_error", "警告：ICD文件:  ExtRef:SvIn_Ia1",
                   ap + "M1/Server/LDevice:PISV/LN:SVTCTR1/Inputs下的ExtRef:SvIn_Ia1的绑定属性pServT,pLN,pDO,pDA未导入"},
                  {"other_error", "警告：ICD文件:  Private:jxb:SettingRange",
                   "DataTypeTemplates/DOType:JXB_ASG下的Private(type=jxb:SettingRange)未导入"},
                  {"other_error", "警告：ICD文件:  LN@jxb:board",
                   ap + "S1/Server/LDevice:PROT/LN:PDIS1的属性jxb:board" + ns + "，LN中共3处"},
                  {"other_error", "警告：ICD文件:  Communication", "Communication中IED:TEMPLATE的ConnectedAP:S1,G1未导入"},
                  {"other_error", "警告：ICD文件:  GSE:PIGO/gocb1",
                   "Communication中ConnectedAP:G1下的GSE地址:PIGO/gocb1未导入"}}));
    // The late-bound input itself comes in.
    const std::vector<URI_Ref> inputs = Members(Node(DeviceOf(icd, "PISV"), "SVTCTR1"), "sec:LNode.ExtRefs");
    EXPECT_EQ(NamesOf(inputs), std::vector<CString>{"SvIn_Ia1"});
}

}  // namespace
}  // namespace kiln::test
