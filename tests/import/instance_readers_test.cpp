// The readers of an SCL IED on a hand-written Ed2-style file: devices, nodes,
// DOIs and DAIs, control blocks, data sets, inputs and their findings.
#include "import/import_util.h"
#include "tests/import/import_fixture.h"

namespace kiln::test {
namespace {

const char* const kTypes = R"(
<LNodeType id="LLN0_T" lnClass="LLN0"><DO name="Mod" type="INC_T"/><DO name="Beh" type="INC_T"/></LNodeType>
<LNodeType id="LPHD_T" lnClass="LPHD"><DO name="PhyHealth" type="INC_T"/></LNodeType>
<LNodeType id="PTOC_T" lnClass="PTOC"><DO name="Str" type="SPS_T"/><DO name="Op" type="SPS_T"/></LNodeType>
<LNodeType id="PTOC_D" lnClass="PTOC" zScl:base="PTOC_T"><DO name="Str" type="SPS_T"/><DO name="Ext" type="SPS_T"/></LNodeType>
<LNodeType id="MMXU_T" lnClass="MMXU"><DO name="A" type="WYE_T"/></LNodeType>
<DOType id="INC_T" cdc="INC"><DA name="stVal" fc="ST" bType="INT32" dchg="true"/><DA name="ctlModel" fc="CF" bType="Enum" type="Cat_T"/></DOType>
<DOType id="SPS_T" cdc="SPS"><DA name="stVal" fc="ST" bType="BOOLEAN"/><DA name="origin" fc="ST" bType="Struct" type="Orig_T"/></DOType>
<DOType id="CMV_T" cdc="CMV"><DA name="cVal" fc="MX" bType="Struct" type="Vec_T"/></DOType>
<DOType id="WYE_T" cdc="WYE"><SDO name="phsA" type="CMV_T"/></DOType>
<DAType id="Orig_T"><BDA name="orCat" bType="Enum" type="Cat_T"/></DAType>
<DAType id="Vec_T"><BDA name="mag" bType="Struct" type="AV_T"/></DAType>
<DAType id="AV_T"><BDA name="f" bType="FLOAT32"/></DAType>
<EnumType id="Cat_T"><EnumVal ord="1">bay</EnumVal></EnumType>
)";

const char* const kIed = R"(
<IED name="IED1" desc="线路保护" type="PCS-931" manufacturer="某厂">
 <Services/>
 <AccessPoint name="S1">
  <Server>
   <Authentication/>
   <LDevice inst="PROT" desc="保护">
    <LN0 lnClass="LLN0" inst="" lnType="LLN0_T">
      <DataSet name="dsTrip" desc="跳闸">
        <FCDA ldInst="PROT" prefix="" lnClass="PTOC" lnInst="1" doName="Str" daName="general" fc="ST"/>
        <FCD lnClass="PTOC" lnInst="1" doName="Op" fc="ST"/>
        <Private>ignored</Private>
        <FCDA ldInst="PROT" prefix="Q0" lnClass="MMXU" lnInst="1" doName="A.phsA" daName="cVal.mag.f" fc="MX" ix="2"/>
      </DataSet>
      <DataSet name="dsTrip" desc="second of the name"/>
      <DataSet name="dsNoLN"><FCDA name="m" ldInst="PROT" doName="X" fc="ST"/></DataSet>
      <ReportControl name="brcbTrip" desc="跳闸报告" datSet="dsTrip" rptID="r1" confRev="3" buffered="1" bufTime="50" indexed="false" intgPd="1000" zScl:sqNum="7" zScl:purgeBuf="false">
        <TrgOps dchg="true" period=" true " gi="1"/>
        <OptFields seqNum="1" timeStamp="0" dataSet="true"/>
        <RptEnabled desc="后台" max="2"><ClientLN iedName="HMI" ldInst="LD0" lnClass="IHMI" lnInst="1"/><ClientLN iedName="GW" ldInst="LD0" prefix="A" lnClass="ITCI" lnInst="2" name="c2"/></RptEnabled>
      </ReportControl>
      <ReportControl name="urcb" datSet="missing"><TrgOps qchg="true"/><OptFields segmentation="true"/><RptEnabled><ClientLN iedName="HMI" ldInst="LD0" lnClass="IHMI" lnInst="2"/></RptEnabled></ReportControl>
      <LogControl name="lcb1" desc="跳闸日志" datSet="dsTrip" logName="PROT" logEna="0" intgPd="500" bufTime="100" reasonCode="1"><TrgOps dchg="true" dupd="TRUE" period="true" gi="0"/></LogControl>
      <LogControl name="lcb2" datSet="nope"/>
      <LogControl name="lcb3"/>
      <DOI name="Mod" desc="模式"><DAI name="stVal" sAddr="1:2" ix="3"><Val>1</Val><Val>2</Val><Val>3</Val></DAI><DAI name="ctlModel" desc="控制模式" valKind="RO"><Val>status-only</Val></DAI><DAI sAddr="x"/></DOI>
      <DOI name="Beh"><DAI name="stVal"/></DOI>
      <DOI name="Beh" ix="9" desc="行为" accessControl="x"><DAI name="ctlModel"/></DOI>
      <SettingControl actSG="1" numOfSGs="4" resvTms="60" name="ignored"/>
      <Log name="PROTLog" desc="日志"/>
      <Inputs><ExtRef iedName="IED2" ldInst="LD1" prefix="" lnClass="XCBR" lnInst="1" doName="Pos" daName="stVal" intAddr="in1" desc="位置"/><ExtRef doName="X"/></Inputs>
    </LN0>
    <LN lnClass="LPHD" inst="1" lnType="LPHD_T"/>
    <LN lnClass="PTOC" inst="1" lnType="PTOC_D" prefix="" desc="过流一段">
      <DOI name="Str"><SDI name="origin"><DAI name="orCat"><Val>2</Val></DAI></SDI></DOI>
      <DOI name="Ext"><DAI name="stVal"/><DAI name="zz"/></DOI>
      <DOI name="Nope"/>
      <DOI><DAI name="x"/></DOI>
      <SettingControl numOfSGs="2"/>
    </LN>
    <LN lnClass="MMXU" inst="1" prefix="Q0" lnType="MMXU_T">
      <DOI name="A"><SDI name="phsA"><SDI name="cVal"><DAI name="mag"/><SDI name="mag"><DAI name="f"><Val>1.5</Val></DAI></SDI></SDI></SDI></DOI>
    </LN>
    <LN lnClass="GGIO" inst="1" lnType="NoType"/>
    <LN inst="2" lnType="PTOC_T"/>
   </LDevice>
   <LDevice inst="BAD"><LN0 lnClass="LLN0" lnType="Missing"/><LN lnClass="LPHD" inst="1" lnType="LPHD_T"/></LDevice>
  </Server>
 </AccessPoint>
 <AccessPoint name="S2">
  <Server>
   <LDevice inst="MEAS"><LN0 lnClass="LLN0" inst="1" lnType="LLN0_T"><Log name="x"/><Log name="y"/></LN0><LN lnClass="LPHD" inst="1" lnType="LPHD_T"/></LDevice>
   <LDevice inst="CTRL">
     <LN0 lnClass="LLN0" inst="" lnType="LLN0_T" zScl:prefix="Z">
       <LogControl name="toLog" datSet="ds" logName="PROTLog"/>
       <LogControl name="toDevice" logName="MEAS"/>
       <LogControl name="nowhere"/>
       <DataSet name="ds"/>
     </LN0>
     <LN lnClass="LPHD" inst="1" lnType="LPHD_T"/>
   </LDevice>
  </Server>
 </AccessPoint>
</IED>
)";

// An array element's index on its SDI goes to the DAIs below it that have
// none of their own; of nested indexed SDIs the nearest one counts. Each DAI
// keeps the ix and desc of every SDI around it, by level.
TEST_F(ImportTest, AnSdiIndexGoesToTheDaisBelowItThatHaveNone) {
    ImportIcd(Scl(kTypes, R"(
<IED name="I"><AccessPoint name="S1"><Server><LDevice inst="M">
 <LN0 lnClass="LLN0" inst="" lnType="LLN0_T"/><LN lnClass="LPHD" inst="1" lnType="LPHD_T"/>
 <LN lnClass="MMXU" inst="1" lnType="MMXU_T"><DOI name="A" desc="电流">
  <SDI name="phsA" ix="2" desc="A相"><SDI name="cVal"><SDI name="mag"><DAI name="f"><Val>1</Val></DAI></SDI></SDI></SDI>
  <SDI name="phsA" ix="3"><SDI name="cVal" ix="7" desc="值"><SDI name="mag" desc="幅值"><DAI name="f"/></SDI></SDI></SDI>
  <SDI name="phsA" ix="4"><SDI name="cVal" sAddr="A.4"><SDI name="mag"><DAI name="f" ix="9" desc="浮点"/></SDI></SDI></SDI>
  <SDI name="phsA"><SDI name="cVal"><SDI name="mag"><DAI name="f" valKind="Set" valImport="true"/></SDI></SDI></SDI>
 </DOI></LN>
</LDevice></Server></AccessPoint></IED>)"));
    const URI_Ref doi = Member(Node(Device("M"), "MMXU1"), "sec:LNode.DOIs", "A");
    EXPECT_EQ(Get(doi, "cim:Naming.description"), "电流");
    // ix, SDI indexes, SDI descriptions, SDI addresses, description, kind, import flag.
    std::vector<std::vector<CString>> rows;
    for (const URI_Ref& dai : Members(doi, "sec:DOI.DAIs")) {
        EXPECT_EQ(Get(dai, "cim:Naming.name"), "phsA.cVal[MX].mag.f");
        rows.push_back({Get(dai, "sec:DAI.ix"), Get(dai, "sec:DAI.sdiIx"), Get(dai, "sec:DAI.sdiDesc"),
                        Get(dai, "sec:DAI.sdiSAddr"), Get(dai, "cim:Naming.description"),
                        Get(dai, "sec:DAI.valKind"), Get(dai, "sec:DAI.valImport")});
    }
    EXPECT_EQ(rows, (std::vector<std::vector<CString>>{{"2", "2..", "A相\n\n", "", "", "", ""},
                                                       {"7", "3.7.", "\n值\n幅值", "", "", "", ""},
                                                       {"9", "4..", "", "\nA.4\n", "浮点", "", ""},
                                                       {"", "", "", "", "", EnumValue("ValKindEnum", "Set"), "true"}}));
    EXPECT_TRUE(AllEntries().empty()) << ::testing::PrintToString(AllEntries());
}

class InstanceTest : public ImportTest {
protected:
    InstanceTest() {
        ImportIcd(Scl(kTypes, kIed));
        prot = Device("PROT");
        lln0 = Node(prot, "LLN0");
    }
    URI_Ref prot, lln0;
};

TEST_F(InstanceTest, DevicesAndNodes) {
    URI_Ref ied = Ied();
    EXPECT_EQ(Get(ied, "cim:Naming.name"), "IED1");
    EXPECT_EQ(Get(ied, "cim:Naming.description"), "线路保护");
    EXPECT_EQ(Get(ied, "sec:IED.iedType"), "PCS-931");
    EXPECT_EQ(imp.m_strIEDName, "IED1");

    // Device order numbers run on over both access points; BAD is refused.
    std::vector<URI_Ref> lds = Members(Target(ied, "sec:IED.Servers"), "sec:Server.LDevices");
    EXPECT_EQ(NamesOf(lds), (std::vector<CString>{"PROT", "MEAS", "CTRL"}));
    EXPECT_EQ(Get(lds[0], "e301:OrdNaming.ord"), "1");
    EXPECT_EQ(Get(lds[1], "e301:OrdNaming.ord"), "3");
    EXPECT_EQ(Get(lds[2], "e301:OrdNaming.ord"), "4");
    EXPECT_EQ(Get(lds[0], "cim:Naming.description"), "保护");

    std::vector<URI_Ref> nodes = Members(prot, "sec:LDevice.LNodes");
    EXPECT_EQ(NamesOf(nodes), (std::vector<CString>{"LLN0", "LPHD1", "PTOC1", "Q0MMXU1"}));
    std::vector<CString> ords;
    for (const URI_Ref& n : nodes) ords.push_back(Get(n, "e301:OrdNaming.ord"));
    EXPECT_EQ(ords, (std::vector<CString>{"1", "2", "3", "4"}));
    URI_Ref ptoc = nodes[2];
    EXPECT_EQ(Get(ptoc, "sec:LNode.prefix"), "");
    EXPECT_EQ(Get(ptoc, "sec:LNode.lnClass"), "PTOC");
    EXPECT_EQ(Get(ptoc, "sec:LNode.lnInst"), "1");
    EXPECT_EQ(Get(ptoc, "sec:LNode.lnType"), "PTOC_D");
    EXPECT_EQ(Get(ptoc, "cim:Naming.description"), "过流一段");
    EXPECT_EQ(Target(ptoc, "sec:LNode.LNodeType"), ShellOf(imp.m_mapNewLNodeTypes, "PTOC_D"));
    EXPECT_EQ(Get(nodes[3], "sec:LNode.prefix"), "Q0");
    // The logical-node creator makes no DOIs; only the file's are there.
    EXPECT_EQ(NamesOf(Members(nodes[1], "sec:LNode.DOIs")), std::vector<CString>{});

    // An LN0 with an instance is read without it; a prefix in its zScl: form
    // is kept, the node named by its class alone.
    URI_Ref measLln0 = Node(Device("MEAS"), "LLN0");
    ASSERT_TRUE(measLln0.IsSet());
    EXPECT_EQ(Get(measLln0, "sec:LNode.lnInst"), "");
    URI_Ref ctrlLln0 = Node(Device("CTRL"), "LLN0");
    ASSERT_TRUE(ctrlLln0.IsSet());
    EXPECT_EQ(Get(ctrlLln0, "sec:LNode.prefix"), "Z");

    EXPECT_EQ(imp.m_mapInstLNodes["IED1PROTPTOC1"], ptoc);
    EXPECT_EQ(imp.m_mapInstLNodes["IED1PROTQ0MMXU1"], nodes[3]);
    EXPECT_EQ(imp.m_mapInstLNodes["IED1MEASLLN01"], measLln0);
    EXPECT_EQ(imp.m_mapInstLNodes["IED1MEASLLN0"], measLln0);

    EXPECT_EQ(Entries("LDevices"),
              (std::vector<ReportEntry>{{"LDevice", "错误：BAD", "未找到LDevice:BAD的LLN0Type或LPHDType"}}));
    EXPECT_EQ(
        Entries("LNodes"),
        (std::vector<ReportEntry>{{"LNode", "错误：GGIO1", "未找到LDevice: PROT下的LNode:GGIO1对应的lnType:NoType！"},
                                  {"LNode", "错误：", "lnClass为空！"},
                                  {"LNode", "错误：LLN01", "MEAS下的LNode:LLN01inst不为空！"}}));
}

TEST_F(InstanceTest, DOIsAndDAIs) {
    std::vector<URI_Ref> dois = Members(lln0, "sec:LNode.DOIs");
    EXPECT_EQ(NamesOf(dois), (std::vector<CString>{"Mod", "Beh"}));
    URI_Ref mod = dois[0];
    EXPECT_EQ(Get(mod, "sec:DOI.cdcType"), "INC");
    EXPECT_EQ(Get(mod, "e301:OrdNaming.ord"), "1");
    std::vector<URI_Ref> dais = Members(mod, "sec:DOI.DAIs");
    ASSERT_EQ(dais.size(), 2u);  // the nameless DAI is skipped without an entry
    EXPECT_EQ(Get(dais[0], "cim:Naming.name"), "stVal[ST]");
    EXPECT_EQ(Get(dais[0], "sec:DAI.fc"), EnumValue("FCType", "ST"));
    EXPECT_EQ(Get(dais[0], "sec:DAI.sAddr"), "1:2");
    EXPECT_EQ(Get(dais[0], "sec:DAI.ix"), "3");
    EXPECT_EQ(Get(dais[0], "sec:DAI.valueStr"), "1");
    std::vector<URI_Ref> vals = Members(dais[0], "sec:DAI.Vals");
    ASSERT_EQ(vals.size(), 3u);
    EXPECT_EQ(Get(vals[2], "sec:Val.sValue"), "3");
    EXPECT_EQ(Get(vals[2], "e301:OrdNaming.ord"), "3");
    EXPECT_EQ(Get(dais[1], "cim:Naming.name"), "ctlModel[CF]");
    EXPECT_EQ(Get(dais[1], "sec:DAI.sAddr"), "");
    // Descriptions and the kind of value are kept where the file has them.
    EXPECT_EQ(Get(mod, "cim:Naming.description"), "模式");
    EXPECT_EQ(Get(dais[0], "cim:Naming.description"), "");
    EXPECT_EQ(Get(dais[1], "cim:Naming.description"), "控制模式");
    EXPECT_EQ(Get(dais[0], "sec:DAI.valKind"), "");
    EXPECT_EQ(Get(dais[1], "sec:DAI.valKind"), EnumValue("ValKindEnum", "RO"));

    // Two DOI elements of one name fill one DOI; the second's ix is not read,
    // its desc and accessControl are when the first had none.
    URI_Ref beh = dois[1];
    EXPECT_EQ(NamesOf(Members(beh, "sec:DOI.DAIs")), (std::vector<CString>{"stVal[ST]", "ctlModel[CF]"}));
    EXPECT_EQ(Get(beh, "sec:DOI.ix"), "");
    EXPECT_EQ(Get(beh, "cim:Naming.description"), "行为");
    EXPECT_EQ(Get(beh, "sec:DOI.accessControl"), "x");

    // A DOI of a DO the type inherits from its base is read; members by SDI paths.
    URI_Ref ptoc = Node(prot, "PTOC1");
    URI_Ref str = Member(ptoc, "sec:LNode.DOIs", "Str");
    ASSERT_TRUE(str.IsSet());
    std::vector<URI_Ref> strDais = Members(str, "sec:DOI.DAIs");
    ASSERT_EQ(strDais.size(), 1u);
    EXPECT_EQ(Get(strDais[0], "cim:Naming.name"), "origin[ST].orCat");
    EXPECT_EQ(Get(strDais[0], "sec:DAI.fc"), EnumValue("FCType", "ST"));
    EXPECT_EQ(Target(strDais[0], "sec:DAI.BDA").sClass, "sec:BDA");

    URI_Ref a = Member(Node(prot, "Q0MMXU1"), "sec:LNode.DOIs", "A");
    std::vector<URI_Ref> aDais = Members(a, "sec:DOI.DAIs");
    EXPECT_EQ(NamesOf(aDais), (std::vector<CString>{"phsA.cVal[MX].mag", "phsA.cVal[MX].mag.f"}));
    EXPECT_EQ(Get(aDais[0], "sec:DAI.daType"), "AnalogueValue");
    EXPECT_EQ(Get(aDais[1], "sec:DAI.daType"), "");
    EXPECT_EQ(Get(aDais[1], "sec:DAI.valueStr"), "1.5");
    EXPECT_EQ(Get(a, "sec:DOI.cdcType"), "WYE");

    EXPECT_EQ(Entries("DOIs"),
              (std::vector<ReportEntry>{{"DOI", "错误：Nope", "DOI:Nope在LNodeType:PTOC_D中未找到对应DO"},
                                        {"DOI", "错误：", "DOI的name为空！"}}));
    EXPECT_EQ(Entries("DAIs"),
              (std::vector<ReportEntry>{{"DAI", "错误：zz", "LNode:PTOC1里的Ext的DAI:zz未找到对应DA"}}));
}

TEST_F(InstanceTest, DataSetsAndInputs) {
    std::vector<URI_Ref> sets = Members(lln0, "sec:LNode.DataSets");
    ASSERT_EQ(sets.size(), 3u);
    EXPECT_EQ(Get(sets[0], "cim:Naming.description"), "跳闸");
    std::vector<URI_Ref> members = Members(sets[0], "sec:DataSet.FCDAs");
    ASSERT_EQ(members.size(), 3u);
    EXPECT_EQ(Get(members[0], "sec:FCDA.lnClass"), "PTOC");
    EXPECT_EQ(Get(members[0], "sec:FCDA.lnInst"), "1");
    EXPECT_EQ(Get(members[0], "sec:FCDA.ldInst"), "PROT");
    EXPECT_EQ(Get(members[0], "sec:FCDA.fc"), EnumValue("FCType", "ST"));
    EXPECT_EQ(Get(members[0], "sec:DARef.doName"), "Str");
    EXPECT_EQ(Get(members[0], "sec:DARef.daName"), "general");
    EXPECT_EQ(Get(members[2], "sec:FCDA.memberRef"), "Q0");
    EXPECT_EQ(Get(members[2], "sec:FCDA.ix"), "2");
    EXPECT_EQ(Get(members[0], "sec:FCDA.ix"), "");
    EXPECT_EQ(Get(members[2], "e301:OrdNaming.ord"), "3");
    // A member without LN class is reported and gets no pending record.
    EXPECT_EQ(Entries("other_errors")[0], (ReportEntry{"other_error", "错误：ICD文件:  FCDA:m", "lnclass为空"}));

    // Pending references: FCDAs of this IED (the FCD without ldInst in the
    // data set's own device), clients and inputs as read.
    std::vector<CString> paths;
    for (const Struct_PendingRef& p : imp.m_vPendingRefs) paths.push_back(p.m_strLNPath);
    EXPECT_EQ(paths, (std::vector<CString>{"IED2LD1XCBR1", "", "IED1PROTPTOC1", "IED1PROTPTOC1", "IED1PROTQ0MMXU1",
                                           "HMILD0IHMI1", "GWLD0AITCI2", "HMILD0IHMI2"}));
    const Struct_PendingRef& q0 = imp.m_vPendingRefs[4];
    EXPECT_EQ(q0.m_uMember, members[2]);
    EXPECT_EQ(q0.m_strLNName, "Q0MMXU1");
    EXPECT_EQ(q0.m_strLDInst, "PROT");
    EXPECT_EQ(q0.m_strDOName, "A.phsA");
    EXPECT_EQ(q0.m_strDAName, "cVal.mag.f");

    std::vector<URI_Ref> inputs = Members(lln0, "sec:LNode.ExtRefs");
    ASSERT_EQ(inputs.size(), 2u);
    EXPECT_EQ(Get(inputs[0], "cim:Naming.name"), "in1");  // from intAddr
    EXPECT_EQ(Get(inputs[0], "cim:Naming.description"), "位置");
    EXPECT_EQ(Get(inputs[0], "sec:DARef.doName"), "Pos");
    // What names the source is kept, its IED outside the file.
    for (const auto& [role, value] : std::vector<std::pair<const char*, CString>>{{"sec:ExtRef.iedName", "IED2"},
                                                                                {"sec:ExtRef.ldInst", "LD1"},
                                                                                {"sec:ExtRef.prefix", ""},
                                                                                {"sec:ExtRef.lnClass", "XCBR"},
                                                                                {"sec:ExtRef.lnInst", "1"}})
        EXPECT_EQ(Get(inputs[0], role), value) << role;
    EXPECT_EQ(Get(inputs[1], "e301:OrdNaming.ord"), "2");
    EXPECT_EQ(imp.m_vPendingRefs[1].m_strLDInst, "");
}

TEST_F(InstanceTest, ControlBlocks) {
    std::vector<URI_Ref> sets = Members(lln0, "sec:LNode.DataSets");
    std::vector<URI_Ref> rcbs = Members(lln0, "sec:LNode.RCBs");
    ASSERT_EQ(rcbs.size(), 2u);
    URI_Ref b = rcbs[0];
    EXPECT_EQ(Get(b, "cim:Naming.name"), "brcbTrip");
    EXPECT_EQ(Get(b, "sec:RCB.rptEna"), "true");
    EXPECT_EQ(Get(b, "sec:RCB.trgOp"), EnumValue("TrgOpControlTypeEnum", "DChgPeriodGI"));
    // xs:boolean's "1" and "0" are true and false; an option left out stays
    // empty (SCL's default stands, written back as left out).
    EXPECT_EQ(Get(b, "sec:RCB.optSequenceNumber"), "true");
    EXPECT_EQ(Get(b, "sec:RCB.optReportTimeStamp"), "false");
    EXPECT_EQ(Get(b, "sec:RCB.optDataSetName"), "true");
    EXPECT_EQ(Get(b, "sec:RCB.optEntryID"), "");
    EXPECT_EQ(Get(b, "sec:RCB.optBufferOverflow"), "");
    EXPECT_EQ(Get(b, "sec:RCB.indexed"), "false");
    EXPECT_EQ(Get(b, "sec:RCB.rptEnabledDesc"), "后台");
    EXPECT_EQ(Get(b, "sec:RCB.intgPd"), "1000");
    EXPECT_EQ(Get(b, "sec:RCB.confRev"), "3");
    EXPECT_EQ(Get(b, "sec:RCB.BRCB_or_URCB"), "true");
    EXPECT_EQ(Get(b, "sec:RCB.rptID"), "r1");
    EXPECT_EQ(Get(b, "sec:RCB.bufIm"), "50");
    EXPECT_EQ(Get(b, "sec:RCB.sqNum"), "7");
    EXPECT_EQ(Get(b, "sec:RCB.purgeBuf"), "false");
    EXPECT_EQ(Get(b, "sec:RCB.entryID"), "");
    EXPECT_EQ(Get(b, "cim:Naming.description"), "跳闸报告");
    EXPECT_EQ(Get(b, "sec:RCB.rptEnabledMax"), "2");
    EXPECT_EQ(Target(b, "sec:RCB.DataSet"), sets[0]);  // the first data set of the name
    std::vector<URI_Ref> clients = Members(b, "sec:RCB.ClientLNs");
    ASSERT_EQ(clients.size(), 2u);
    EXPECT_EQ(Get(clients[1], "cim:Naming.name"), "c2");
    EXPECT_EQ(Get(clients[1], "e301:OrdNaming.ord"), "2");
    // A client outside the file keeps what names it.
    for (const auto& [role, value] : std::vector<std::pair<const char*, CString>>{{"sec:ClientLN.iedName", "GW"},
                                                                                {"sec:ClientLN.ldInst", "LD0"},
                                                                                {"sec:ClientLN.prefix", "A"},
                                                                                {"sec:ClientLN.lnClass", "ITCI"},
                                                                                {"sec:ClientLN.lnInst", "2"}})
        EXPECT_EQ(Get(clients[1], role), value) << role;

    URI_Ref u = rcbs[1];
    EXPECT_EQ(Get(u, "sec:RCB.rptEna"), "true");
    EXPECT_EQ(Get(u, "sec:RCB.BRCB_or_URCB"), "false");  // unbuffered when absent
    EXPECT_EQ(Get(u, "sec:RCB.optBufferOverflow"), "");
    EXPECT_EQ(Get(u, "sec:RCB.optSequenceNumber"), "");
    EXPECT_EQ(Get(u, "sec:RCB.indexed"), "");  // SCL's default, not written back
    // No rptID in the file: none, not the creator's.
    EXPECT_EQ(Get(u, "sec:RCB.rptID"), "");
    // No gi in TrgOps: general interrogation is on, as in SCL.
    EXPECT_EQ(Get(u, "sec:RCB.trgOp"), EnumValue("TrgOpControlTypeEnum", "GIQChg"));
    // RptEnabled without max holds SCL's one client; no period or buffer
    // time in the file, none of the creator's either.
    EXPECT_EQ(Get(u, "sec:RCB.rptEnabledMax"), "1");
    EXPECT_EQ(Get(u, "sec:RCB.intgPd"), "");
    EXPECT_EQ(Get(u, "sec:RCB.bufIm"), "");
    EXPECT_TRUE(Target(u, "sec:RCB.DataSet").IsEmpty());
    // Its client is kept though the data set is not found.
    const std::vector<URI_Ref> uClients = Members(u, "sec:RCB.ClientLNs");
    ASSERT_EQ(uClients.size(), 1u);
    EXPECT_EQ(Get(uClients[0], "sec:ClientLN.lnInst"), "2");

    // LCBs: the one with an unknown data set stays without it, reported.
    std::vector<URI_Ref> lcbs = Members(lln0, "sec:LNode.LCBs");
    EXPECT_EQ(NamesOf(lcbs), (std::vector<CString>{"lcb1", "lcb2", "lcb3"}));
    EXPECT_EQ(Get(lcbs[0], "sec:LCB.trgOp"), EnumValue("TrgOpControlTypeEnum", "DChg_DUpdPeriod"));
    EXPECT_EQ(Get(lcbs[0], "sec:LCB.logEna"), "false");
    EXPECT_EQ(Get(lcbs[0], "sec:LCB.intgPd"), "500");
    EXPECT_EQ(Get(lcbs[0], "sec:LCB.bufTime"), "100");
    EXPECT_EQ(Get(lcbs[0], "cim:Naming.description"), "跳闸日志");
    EXPECT_EQ(Get(lcbs[0], "sec:LCB.logName"), "PROT");
    EXPECT_EQ(Get(lcbs[0], "sec:LCB.optReasonForInclusion"), "true");
    EXPECT_EQ(Target(lcbs[0], "sec:LCB.DataSet"), sets[0]);
    // No TrgOps: no trigger options (none written back); logging and reason
    // codes left out stay empty (on, as SCL has them).
    for (const URI_Ref& lcb : {lcbs[1], lcbs[2]}) {
        EXPECT_EQ(Get(lcb, "sec:LCB.trgOp"), "");
        EXPECT_EQ(Get(lcb, "sec:LCB.intgPd"), "");
        EXPECT_EQ(Get(lcb, "sec:LCB.bufTime"), "");
        EXPECT_EQ(Get(lcb, "sec:LCB.logEna"), "");
        EXPECT_EQ(Get(lcb, "sec:LCB.optReasonForInclusion"), "");
        EXPECT_TRUE(Target(lcb, "sec:LCB.DataSet").IsEmpty());
    }
    EXPECT_EQ(imp.m_vLCBs.size(), 6u);

    // Logs: one per device; a further one in a device is noted, uncounted.
    URI_Ref protLog = Target(lln0, "sec:LNode.Log");
    EXPECT_EQ(Get(protLog, "cim:Naming.name"), "PROTLog");
    EXPECT_EQ(Get(protLog, "cim:Naming.description"), "日志");
    URI_Ref measLog = Target(Node(Device("MEAS"), "LLN0"), "sec:LNode.Log");
    EXPECT_EQ(Get(measLog, "cim:Naming.name"), "x");
    EXPECT_EQ(imp.m_nLogCount, 3);
    EXPECT_EQ(Target(lcbs[0], "sec:LCB.Log"), protLog);
    EXPECT_EQ(Target(lcbs[1], "sec:LCB.Log"), protLog);
    EXPECT_EQ(Target(lcbs[2], "sec:LCB.Log"), protLog);
    // A device without Log: by the Log's name, by the device's name, else
    // the Log the creator chose (the first of the server's devices).
    std::vector<URI_Ref> ctrl = Members(Node(Device("CTRL"), "LLN0"), "sec:LNode.LCBs");
    ASSERT_EQ(ctrl.size(), 3u);
    EXPECT_EQ(Target(ctrl[0], "sec:LCB.Log"), protLog);
    EXPECT_TRUE(Target(ctrl[0], "sec:LCB.DataSet").IsSet());  // a data set after the block
    EXPECT_EQ(Target(ctrl[1], "sec:LCB.Log"), measLog);
    EXPECT_EQ(Members(ctrl[1], "sec:LCB.Log").size(), 1u);
    EXPECT_EQ(Target(ctrl[2], "sec:LCB.Log"), protLog);

    // The SGCB of LLN0; a SettingControl of another class is not read.
    URI_Ref sgcb = Target(lln0, "sec:LNode.SGCB");
    EXPECT_EQ(Get(sgcb, "cim:Naming.name"), "SGCB");
    EXPECT_EQ(Get(sgcb, "sec:SGCB.activeSG"), "1");
    EXPECT_EQ(Get(sgcb, "sec:SGCB.numOfSG"), "4");
    EXPECT_EQ(Get(sgcb, "sec:SGCB.resvTms"), "60");
    // The file gave no description: the block holds none.
    EXPECT_EQ(Get(sgcb, "cim:Naming.description"), "");
    EXPECT_TRUE(Target(Node(prot, "PTOC1"), "sec:LNode.SGCB").IsEmpty());

    std::vector<ReportEntry> others = Entries("other_errors");
    EXPECT_EQ(std::count(others.begin(), others.end(),
                         ReportEntry{"other_error", "错误：ICD文件: LCB:lcb2", "未找到DataSet:nope"}),
              1);
    EXPECT_EQ(std::count(others.begin(), others.end(),
                         ReportEntry{"other_error", "错误：ICD文件: RCB:urcb", "未找到DataSet:missing"}),
              1);
    EXPECT_EQ(std::count(others.begin(), others.end(),
                         ReportEntry{"other_error", "警告：ICD文件:  LDevice:MEAS", "存在2个Log，只导入了第一个Log:x，未导入Log:y"}),
              1);
    // An option the model has no place for is named, as a warning.
    EXPECT_EQ(std::count(others.begin(), others.end(),
                         ReportEntry{"other_error", "警告：ICD文件: ReportControl:urcb",
                                     "未保留OptFields的segmentation=\"true\""}),
              1);
    // It and the device's further Log.
    EXPECT_EQ(imp.m_nWarnings, 2);
    // lnclass, LCB, RCB, GGIO, lnClass, LN0 inst, DOI x2, DAI, LDevice.
    EXPECT_EQ(imp.m_nErrors, 10);
}

TEST_F(ImportTest, SettingGroupNumbersAreCheckedWithoutOverflow) {
    const struct {
        const char* attrs;
        const char* numOfSG;
        bool finding;
    } kCases[] = {
        {R"(actSG="2" numOfSGs="1")", "1", true},
        {R"(actSG="1" numOfSGs="4")", "4", false},
        {R"(numOfSGs="0")", "1", true},
        {R"(actSG="" numOfSGs=" 3x")", " 3x", false},
        {R"(actSG="5" numOfSGs="99999999999999999999999")", "99999999999999999999999", false},
        {R"(actSG="99999999999999999999999" numOfSGs="4")", "1", true},
        {R"(actSG="-99999999999999999999999" numOfSGs="-1")", "1", true},
        {R"(actSG="2")", "", false},
    };
    for (const auto& c : kCases) {
        LoadScl(Scl("", std::string("<SettingControl ") + c.attrs + "/>"));
        URI_Ref node = MakeLNode(MakeLDevice(DomainOf(icd), "LD", 1), "", "LLN0", "", 1);
        URI_Ref sgcb;
        const int errors = imp.m_nErrors;
        imp.Import_SGCB(&app, node, scl.Get_NodePtr(scl.GetDocumentElement(), "SettingControl"), "1", sgcb);
        EXPECT_EQ(Get(sgcb, "sec:SGCB.numOfSG"), c.numOfSG) << c.attrs;
        EXPECT_EQ(imp.m_nErrors - errors, c.finding ? 1 : 0) << c.attrs;
    }
    EXPECT_EQ(Entries("other_errors").back(),
              (ReportEntry{"other_error", "错误：ICD文件: SGCB", "numOfSGs 或 actSG 数量错误"}));
}

// The constraints, CDCs and LN types' DO lists are read once for many nodes
// and DOIs as well; a change of any of them must be seen by the next read.
TEST_F(InstanceTest, NodesAndDOIsReadTheConstraintsClassesAndDOsTheTypesHaveNow) {
    URI_Ref ptoc = Node(prot, "PTOC1");
    URI_Ref doStr = Target(Member(ptoc, "sec:LNode.DOIs", "Str"), "sec:DOI.DO");
    URI_Ref sps = Target(doStr, "sec:DO.DefinedBy_DOType");
    ASSERT_TRUE(sps.IsSet());
    ImportNameTable dois, dos{{"Str", doStr}};
    auto readDoi = [&](const char* dai) {
        XmlNode root = LoadScl(std::string("<SCL><DOI name=\"Str\"><DAI name=\"") + dai + "\"/></DOI></SCL>");
        return imp.Import_DOI(&app, ptoc, scl.Get_NodePtr(root, "DOI"), "9", "PTOC_D", dois, dos);
    };
    ASSERT_TRUE(readDoi("stVal"));
    URI_Ref doi = dois["Str"];
    EXPECT_EQ(Get(doi, "sec:DOI.cdcType"), "SPS");
    EXPECT_EQ(Get(Members(doi, "sec:DOI.DAIs").back(), "sec:DAI.fc"), EnumValue("FCType", "ST"));

    // Another constraint of the DA and another CDC class of its DO type.
    URI_Ref stVal = Member(sps, "sec:DOType.Contains_DAs", "stVal");
    ASSERT_TRUE(stVal.IsSet());
    ASSERT_TRUE(app.DocMtd_Modify_attribute_value(stVal, "sec:DA.fc_0", EnumValue("FCType", "CF")));
    URI_Ref inc = Target(Target(Target(Member(lln0, "sec:LNode.DOIs", "Mod"), "sec:DOI.DO"), "sec:DO.DefinedBy_DOType"),
                         "sec:DOType.ClassOf_DOType");
    ASSERT_TRUE(inc.IsSet());
    ASSERT_TRUE(app.DocMtd_update_Association(sps, "sec:DOType.ClassOf_DOType", inc));
    ASSERT_TRUE(readDoi("stVal"));
    EXPECT_EQ(NamesOf(Members(doi, "sec:DOI.DAIs")), (std::vector<CString>{"stVal[ST]", "stVal[CF]"}));
    EXPECT_EQ(Get(Members(doi, "sec:DOI.DAIs").back(), "sec:DAI.fc"), EnumValue("FCType", "CF"));
    EXPECT_EQ(Get(doi, "sec:DOI.cdcType"), "INC");

    // A DO added to an LN type after a node of it was read is there for the next node.
    const URI_Ref ptocT = ShellOf(imp.m_mapNewLNodeTypes, "PTOC_T");
    ASSERT_TRUE(ptocT.IsSet());
    auto readNode = [&](const char* inst) {
        XmlNode root = LoadScl(std::string("<SCL><LN lnClass=\"PTOC\" inst=\"") + inst +
                               "\" lnType=\"PTOC_T\"><DOI name=\"Added\"/></LN></SCL>");
        return imp.Import_LNode(&app, prot, scl.Get_NodePtr(root, "LN"), "9", URI_Ref(), URI_Ref(), "IED1PROT", false);
    };
    const size_t entries = Entries("DOIs").size();
    ASSERT_TRUE(readNode("7"));
    EXPECT_EQ(Entries("DOIs").size(), entries + 1) << "no DO Added yet";
    CString domain;
    ASSERT_TRUE(app.DocMtd_DEnv_Get_Rsc_Domain(ptocT, domain));
    URI_Ref added;
    ASSERT_TRUE(app.DocMtd_create_a_Rsc(domain, "sec:DO", added, "Added"));
    ASSERT_TRUE(app.DocMtd_Modify_attribute_value(added, "e301:OrdNaming.ord", "9"));
    ASSERT_TRUE(app.DocMtd_add_Association(added, "sec:DO.LNodeType", ptocT));
    ASSERT_TRUE(readNode("8"));
    EXPECT_EQ(Entries("DOIs").size(), entries + 1) << "the added DO is found";
    EXPECT_EQ(NamesOf(Members(Node(prot, "PTOC8"), "sec:LNode.DOIs")), std::vector<CString>{"Added"});
}

}  // namespace
}  // namespace kiln::test

namespace kiln::test {
namespace {

// An Ed1 file of another maker's style: no version attributes, Private
// elements of the maker's own everywhere, attributes in another order.
const char* const kEd1 = R"(<?xml version="1.0" encoding="UTF-8"?>
<SCL xmlns="http://www.iec.ch/61850/2003/SCL" xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance" xmlns:mk="http://maker.example/private">
 <Header id="MK-100" nameStructure="IEDName" toolID="mk-tool"/>
 <IED type="MK100" manufacturer="maker" configVersion="1.0" name="MK100" desc="测控装置">
  <Private type="mk:info"><mk:board slot="1"/></Private>
  <AccessPoint name="S1"><Server><Authentication none="true"/>
   <LDevice desc="测控" inst="MEAS">
    <LN0 desc="逻辑节点零" lnType="MK_LLN0" lnClass="LLN0" inst="">
     <DataSet name="dsAin" desc="遥测"><FCDA ldInst="MEAS" prefix="" lnClass="MMXU" lnInst="1" doName="A" fc="MX"/></DataSet>
     <ReportControl name="urcbAin" desc="遥测报告" datSet="dsAin" intgPd="0" rptID="MK100MEAS/LLN0$RP$urcbAin" confRev="1" buffered="false">
      <TrgOps dchg="true" qchg="false" dupd="false" period="false"/>
      <OptFields seqNum="true" timeStamp="true" dataSet="true" reasonCode="true" dataRef="false" bufOvfl="false" entryID="false" configRef="true" segmentation="false"/>
      <RptEnabled max="16"/>
     </ReportControl>
     <DOI name="Mod" desc="模式"><DAI name="ctlModel" valKind="RO"><Val>status-only</Val></DAI></DOI>
     <Private type="mk:vars">x</Private>
    </LN0>
    <LN desc="物理装置" lnType="MK_LPHD" lnClass="LPHD" inst="1" prefix=""/>
    <LN desc="测量" lnType="MK_MMXU" lnClass="MMXU" inst="1" prefix="">
     <DOI name="A" desc="相电流"><SDI name="phsA"><SDI name="cVal"><SDI name="mag"><DAI name="f" sAddr="3.1"><Val>0</Val></DAI></SDI></SDI></SDI></DOI>
    </LN>
   </LDevice>
  </Server></AccessPoint>
 </IED>
 <DataTypeTemplates>
  <LNodeType lnClass="LLN0" id="MK_LLN0"><DO type="MK_INC" name="Mod"/></LNodeType>
  <LNodeType lnClass="LPHD" id="MK_LPHD"><DO type="MK_INC" name="PhyHealth"/></LNodeType>
  <LNodeType lnClass="MMXU" id="MK_MMXU"><DO type="MK_WYE" name="A"/></LNodeType>
  <DOType cdc="INC" id="MK_INC"><DA fc="ST" dchg="true" bType="INT32" name="stVal"/><DA fc="CF" bType="Enum" type="MK_ctl" name="ctlModel"/></DOType>
  <DOType cdc="WYE" id="MK_WYE"><SDO type="MK_CMV" name="phsA"/></DOType>
  <DOType cdc="CMV" id="MK_CMV"><DA fc="MX" dchg="true" bType="Struct" type="MK_Vec" name="cVal"/></DOType>
  <DAType id="MK_Vec"><BDA bType="Struct" type="MK_AV" name="mag"/></DAType>
  <DAType id="MK_AV"><BDA bType="FLOAT32" name="f"/></DAType>
  <EnumType id="MK_ctl"><EnumVal ord="0">status-only</EnumVal></EnumType>
 </DataTypeTemplates>
</SCL>)";

TEST_F(ImportTest, AnEd1FileOfAnotherMakerImportsCleanly) {
    ImportIcd(kEd1);
    // The early first-edition option has no place in what is written: named.
    EXPECT_EQ(AllEntries(), (std::vector<ReportEntry>{{"other_error", "警告：ICD文件: ReportControl:urcbAin",
                                                       "未保留OptFields的segmentation=\"false\""}}));
    EXPECT_EQ(imp.m_strHeaderId, "MK-100");
    URI_Ref meas = Device("MEAS");
    EXPECT_EQ(Get(meas, "cim:Naming.description"), "测控");
    EXPECT_EQ(NamesOf(Members(meas, "sec:LDevice.LNodes")), (std::vector<CString>{"LLN0", "LPHD1", "MMXU1"}));
    URI_Ref lln0 = Node(meas, "LLN0");
    URI_Ref rcb = Members(lln0, "sec:LNode.RCBs")[0];
    EXPECT_EQ(Get(rcb, "sec:RCB.BRCB_or_URCB"), "false");
    EXPECT_EQ(Get(rcb, "sec:RCB.optConfRevision"), "true");
    EXPECT_EQ(Get(rcb, "sec:RCB.optDataReference"), "false");
    EXPECT_EQ(Get(rcb, "sec:RCB.trgOp"), EnumValue("TrgOpControlTypeEnum", "DChgGI"));
    EXPECT_EQ(Get(rcb, "sec:RCB.rptEnabledMax"), "16");
    EXPECT_EQ(Get(rcb, "cim:Naming.description"), "遥测报告");
    EXPECT_EQ(Target(rcb, "sec:RCB.DataSet"), Members(lln0, "sec:LNode.DataSets")[0]);
    URI_Ref a = Member(Node(meas, "MMXU1"), "sec:LNode.DOIs", "A");
    std::vector<URI_Ref> dais = Members(a, "sec:DOI.DAIs");
    ASSERT_EQ(dais.size(), 1u);
    EXPECT_EQ(Get(dais[0], "cim:Naming.name"), "phsA.cVal[MX].mag.f");
    EXPECT_EQ(Get(dais[0], "sec:DAI.sAddr"), "3.1");
    EXPECT_EQ(Target(dais[0], "sec:DAI.BDA"),
              Members(ShellOf(imp.m_mapNewDATypes, "MK_AV"), "sec:DAType.Contains_BDAs")[0]);
    EXPECT_EQ(daIndex.count("MEAS/MMXU1.A.phsA.cVal[MX].mag.f"), 1u);
    EXPECT_EQ(imp.m_mapInstPaths.count("MEAS/MMXU1.A.phsA"), 1u);
    EXPECT_EQ(Get(Member(lln0, "sec:LNode.DOIs", "Mod"), "sec:DOI.cdcType"), "INC");
}

TEST_F(ImportTest, ARefusedDeviceOrNodeSkipsEverythingBelowIt) {
    ImportIcd(Scl(R"(<LNodeType id="L0" lnClass="LLN0"><DO name="Mod" type="T"/></LNodeType>
<LNodeType id="PH" lnClass="LPHD"/><DOType id="T" cdc="INC"><DA name="stVal" fc="ST" bType="INT32"/></DOType>)"));
    ASSERT_TRUE(Doc().SetDomainEditable(DomainOf(icd), false));
    const int before = Doc().ResourceCount();
    LoadScl(Scl("", R"(<IED name="I"><AccessPoint><Server><LDevice inst="LD"><LN0 lnClass="LLN0" lnType="L0">
<DOI name="Nope"/><DataSet name="d"><FCDA ldInst="LD"/></DataSet><LogControl datSet="x"/><Log/><Log/></LN0>
<LN lnClass="LPHD" inst="1" lnType="PH"/></LDevice></Server></AccessPoint></IED>)"));
    imp.Import_IED(&app, icd, scl.Get_NodePtr(scl.GetDocumentElement(), "IED"));
    EXPECT_EQ(Doc().ResourceCount(), before);
    // No finding of the skipped children: only the creator's refusal is seen.
    EXPECT_EQ(AllEntries(), std::vector<ReportEntry>{});
    EXPECT_EQ(ui.Messages().size(), 1u);

    // A device that is made, with a node the creator refuses.
    ASSERT_TRUE(Doc().SetDomainEditable(DomainOf(icd), true));
    URI_Ref ld;
    ASSERT_TRUE(app.NewRsc_LDevice(&ld, Ied(), URI_Ref(), URI_Ref(), URI_Ref()));
    ASSERT_TRUE(Doc().SetDomainEditable(DomainOf(icd), false));
    EXPECT_FALSE(imp.Import_LNode(&app, ld,
                                  scl.Get_NodePtr(scl.GetDocumentElement(), "IED/AccessPoint/Server/LDevice/LN0"), "1",
                                  URI_Ref(), URI_Ref(), "ILD", false));
    EXPECT_EQ(AllEntries(), std::vector<ReportEntry>{});
    EXPECT_TRUE(imp.m_mapInstLNodes.empty());
}

}  // namespace
}  // namespace kiln::test

namespace kiln::test {
namespace {

TEST_F(ImportTest, LogControlsFindTheLogOfTheirDevice) {
    const std::string device = R"(<LN0 lnClass="LLN0" lnType="L0"><DataSet name="ds"/><Log name="Log"/>%s</LN0>
<LN lnClass="LPHD" inst="1" lnType="PH"/>)";
    auto ld = [&](const char* inst, const char* lcbs) {
        std::string text = device;
        text.replace(text.find("%s"), 2, lcbs);
        return std::string("<LDevice inst=\"") + inst + "\">" + text + "</LDevice>";
    };
    ImportIcd(Scl(R"(<LNodeType id="L0" lnClass="LLN0"/><LNodeType id="PH" lnClass="LPHD"/>)",
                  "<IED name=\"I\"><AccessPoint><Server>" + ld("A", "") +
                      ld("B", R"(<LogControl name="own" datSet="ds" logName="Log"/>
<LogControl name="named" datSet="ds" ldInst="A" logName="Log"/><LogControl name="plain" datSet="ds"/>
<LogControl name="prefixed" datSet="ds" ldInst="C" logName="LogC"/>)") +
                      R"(<LDevice inst="C"><LN0 prefix="Zq" lnClass="LLN0" lnType="L0"><Log name="LogC"/></LN0>)"
                      R"(<LN lnClass="LPHD" inst="1" lnType="PH"/></LDevice>)"
                      "</Server></AccessPoint></IED>"));
    URI_Ref logA = Target(Node(Device("A"), "LLN0"), "sec:LNode.Log");
    URI_Ref lln0B = Node(Device("B"), "LLN0");
    URI_Ref logB = Target(lln0B, "sec:LNode.Log");
    ASSERT_TRUE(logA.IsSet());
    ASSERT_TRUE(logB.IsSet());
    std::vector<URI_Ref> lcbs = Members(lln0B, "sec:LNode.LCBs");
    ASSERT_EQ(lcbs.size(), 4u);
    EXPECT_EQ(Target(lcbs[0], "sec:LCB.Log"), logB);  // both Logs are named "Log": its own device's
    EXPECT_EQ(Target(lcbs[1], "sec:LCB.Log"), logA);  // the device the file names
    EXPECT_EQ(Target(lcbs[2], "sec:LCB.Log"), logB);
    // An LN0 a maker gave a prefix is the LLN0 the block names without one.
    EXPECT_EQ(Get(Target(lcbs[3], "sec:LCB.Log"), "cim:Naming.name"), "LogC");
    EXPECT_EQ(Entries("other_errors"), std::vector<ReportEntry>{});
    // The status line names that LN0 as every file does.
    bool named = false;
    for (const Struct_UiCall& c : ui.CallsOf(Enum_UiCall::StatusText))
        named = named || c.sText == "正在导入LD:IC LNode: LLN0";
    EXPECT_TRUE(named);
}

// The paths below a DO type are read once for many DOIs; a member added to
// or renamed in the type after that must be found by the next DOI.
TEST_F(InstanceTest, ADOIReadsTheMembersItsTypeHasNow) {
    URI_Ref ptoc = Node(prot, "PTOC1");
    URI_Ref doStr = Target(Member(ptoc, "sec:LNode.DOIs", "Str"), "sec:DOI.DO");
    ASSERT_TRUE(doStr.IsSet());
    URI_Ref sps = Target(doStr, "sec:DO.DefinedBy_DOType");
    ASSERT_TRUE(sps.IsSet());
    CString domain;
    ASSERT_TRUE(app.DocMtd_DEnv_Get_Rsc_Domain(sps, domain));
    URI_Ref added;
    ASSERT_TRUE(app.DocMtd_create_a_Rsc(domain, "sec:DA", added, "added"));
    ASSERT_TRUE(app.DocMtd_Modify_attribute_value(added, "sec:DA.fc_0", EnumValue("FCType", "ST")));
    ASSERT_TRUE(app.DocMtd_add_Association(added, "sec:DA.MemberOf_DOType", sps));

    ImportNameTable dois, dos{{"Str", doStr}};
    auto readDoi = [&](const char* dai) {
        XmlNode root = LoadScl(std::string("<SCL><DOI name=\"Str\"><DAI name=\"") + dai + "\"/></DOI></SCL>");
        return imp.Import_DOI(&app, ptoc, scl.Get_NodePtr(root, "DOI"), "9", "PTOC_D", dois, dos);
    };
    const size_t entries = Entries("DAIs").size();
    ASSERT_TRUE(readDoi("added"));
    URI_Ref doi = dois["Str"];
    EXPECT_EQ(NamesOf(Members(doi, "sec:DOI.DAIs")), (std::vector<CString>{"added[ST]"}));
    ASSERT_TRUE(app.DocMtd_Modify_attribute_value(added, "cim:Naming.name", "renamed"));
    ASSERT_TRUE(readDoi("renamed"));
    EXPECT_EQ(NamesOf(Members(doi, "sec:DOI.DAIs")), (std::vector<CString>{"added[ST]", "renamed[ST]"}));
    EXPECT_EQ(Entries("DAIs").size(), entries) << "no DAI of the two went unfound";
    ASSERT_TRUE(readDoi("added"));
    EXPECT_EQ(Entries("DAIs").size(), entries + 1) << "the old name is gone";
}

// A value the attribute holds already is not written again (its change stamp
// stays); another value is, and so is an empty one, which may stand for an
// attribute not there yet.
TEST_F(InstanceTest, AWriteOfTheValueHeldAlreadyIsLeftOut) {
    const URI_Ref node = Node(prot, "LPHD1");
    ASSERT_TRUE(node.IsSet());
    const auto stamp = [&](const char* role) { return app.m_Doc.ChangeStamp("sec:LNode", role); };
    const CString name = Get(node, "cim:Naming.name");
    ASSERT_FALSE(name.IsEmpty());

    uint64_t before = stamp("cim:Naming.name");
    kiln::import::WriteChanged(&app, node, "cim:Naming.name", name);
    EXPECT_EQ(stamp("cim:Naming.name"), before);
    kiln::import::WriteChanged(&app, node, "cim:Naming.name", "Other");
    EXPECT_EQ(Get(node, "cim:Naming.name"), "Other");
    EXPECT_NE(stamp("cim:Naming.name"), before);

    ASSERT_EQ(Get(node, "cim:Naming.description"), "");
    before = stamp("cim:Naming.description");
    kiln::import::WriteChanged(&app, node, "cim:Naming.description", "");
    EXPECT_NE(stamp("cim:Naming.description"), before) << "an empty value is written";
}

}  // namespace
}  // namespace kiln::test
