// SCL files in the styles of several makers (tests/data/scl: first and second
// edition headers, a three-IED substation file, Chinese texts, one file in
// GB2312) imported against the shipped standard definitions: what the model
// holds afterwards and what the report says.
#include "tests/import/maker_files_fixture.h"

namespace kiln::test {
namespace {

TEST_F(MakerFilesTest, AFirstEditionRelayWithItsValuesReportsAndChineseTexts) {
    const URI_Ref icd = Import("ed1_line_relay.icd", 0);
    ASSERT_TRUE(icd.IsSet());
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

TEST_F(MakerFilesTest, ASecondEditionBayControllerReportsWhatItCannotTake) {
    // The report client is a gateway outside the file.
    const URI_Ref icd = Import("ed2_bay_controller.icd", 1);
    EXPECT_EQ(Get(icd, "cim:Naming.name"), "BCU-8_Ver1.4_RevC");
    EXPECT_EQ(SavedReport(), (std::vector<ReportEntry>{{"other_error", "错误：ICD文件:sec:ClientLN:Client_1",
                                                        "未找到LNode:GW01LD0ITCI1"}}));
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

TEST_F(MakerFilesTest, OnlyTheFirstIedOfASubstationFileIsTakenAndItsOutsideInputsReported) {
    const URI_Ref icd = Import("substation_three_ieds.scd", 2);
    EXPECT_EQ(Get(Target(icd, "sec:ICD.IED"), "cim:Naming.name"), "P_L2201A");
    EXPECT_EQ(Desc(Target(icd, "sec:ICD.IED")), "线路保护A套");
    EXPECT_EQ(NamesOf(Members(ServerOf(icd), "sec:Server.LDevices")), std::vector<CString>{"PI"});
    EXPECT_EQ(SavedReport(),
              (std::vector<ReportEntry>{
                  {"other_error", "警告：ICD文件:  IED:P_L2201A", "文件中有3个IED，只导入了第一个有Server的IED:P_L2201A"},
                  {"other_error", "错误：ICD文件:sec:ExtRef:CB_POS", "未找到LNode:C_L2201CTRLXCBR1"},
                  {"other_error", "错误：ICD文件:sec:ExtRef:IA", "未找到LNode:MU_L2201MUTCTR1"}}));
    // The input from the relay itself is linked.
    const URI_Ref pi = DeviceOf(icd, "PI");
    const std::vector<URI_Ref> inputs = Members(Node(pi, "PTRC1"), "sec:LNode.ExtRefs");
    ASSERT_EQ(inputs.size(), 3u);
    EXPECT_TRUE(Target(inputs[0], "sec:DARef.LNode").IsEmpty());
    EXPECT_EQ(Target(inputs[2], "sec:DARef.LNode"), Node(pi, "PTOC1"));
    // One ICD came in; the types all three IEDs share are there once.
    EXPECT_EQ(Members(Target(icd, "sec:ICD.TypePackage"), "sec:TypePackage.LNodeTypes").size(), 5u);
}

// A second-edition station file that starts with a client: the protection
// after it comes in, each device with its access point, and the report
// names the IED taken and what has no place in the model.
TEST_F(MakerFilesTest, AStationFileStartingWithAClientGivesTheFirstServerIed) {
    const URI_Ref icd = Import("ed2_station_client_first.scd", 1);
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
                  {"other_error", "错误：ICD文件:sec:ExtRef:SVIN/TCTR1.AmpSv.instMag.i", "未找到LNode:ML2201MUITCTR1"}}));
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

}  // namespace
}  // namespace kiln::test
