// Hostile and malformed content: the readers report what the rules report,
// and never crash or hang.
#include "core/type_nesting.h"
#include "platform/mfc/gbk.h"
#include "tests/import/import_fixture.h"

namespace kiln::test {
namespace {

TEST_F(ImportTest, QuotesAndBracketsInIdsAreComparedAsText) {
    ImportIcd(Scl(R"(
<LNodeType id="L0'&quot;]" lnClass="LLN0"><DO name="Mod" type="T'&quot;[1]"/></LNodeType>
<LNodeType id="PH&quot;" lnClass="LPHD"/>
<DOType id="T'&quot;[1]" cdc="INC"><DA name="stVal" fc="ST" bType="Struct" type="D') or ('1'='1"/></DOType>
<DAType id="D') or ('1'='1"><BDA name="x" bType="INT32"/></DAType>)",
                  R"(<IED name="I'&quot;"><AccessPoint><Server><LDevice inst="L&quot;D">
<LN0 lnClass="LLN0" inst="" lnType="L0'&quot;]"><DOI name="Mod"><SDI name="stVal"><DAI name="x"><Val>7</Val></DAI></SDI></DOI>
<DataSet name="d'&quot;"/><ReportControl name="r" datSet="d'&quot;"/></LN0>
<LN lnClass="LPHD" inst="1" lnType="PH&quot;"/></LDevice></Server></AccessPoint></IED>)"));
    EXPECT_EQ(AllEntries(), std::vector<ReportEntry>{});
    URI_Ref lln0 = Node(Device("L\"D"), "LLN0");
    ASSERT_TRUE(lln0.IsSet());
    URI_Ref doi = Member(lln0, "sec:LNode.DOIs", "Mod");
    EXPECT_EQ(NamesOf(Members(doi, "sec:DOI.DAIs")), (std::vector<CString>{"stVal[ST].x"}));
    EXPECT_TRUE(Target(Members(lln0, "sec:LNode.RCBs")[0], "sec:RCB.DataSet").IsSet());
    EXPECT_EQ(imp.m_mapInstPaths.count("L\"D/LLN0.Mod"), 1u);
}

TEST_F(ImportTest, DeepSDINestingIsReadWithoutRecursion) {
    const int depth = 10000;
    std::string sdis, ends;
    for (int i = 0; i < depth; ++i) {
        sdis += "<SDI name=\"s\">";
        ends += "</SDI>";
    }
    ImportIcd(Scl(R"(<LNodeType id="L0" lnClass="LLN0"><DO name="Mod" type="T"/></LNodeType>
<LNodeType id="PH" lnClass="LPHD"/><DOType id="T" cdc="INC"><DA name="stVal" fc="ST" bType="INT32"/></DOType>)",
                  "<IED name=\"I\"><AccessPoint><Server><LDevice inst=\"LD\"><LN0 lnClass=\"LLN0\" lnType=\"L0\">"
                  "<DOI name=\"Mod\">" +
                      sdis + "<DAI name=\"stVal\"/>" + ends +
                      "<SDI name=\"a\"><Private><DAI name=\"stVal\"/></Private></SDI></DOI>"
                      "</LN0><LN lnClass=\"LPHD\" inst=\"1\" lnType=\"PH\"/></LDevice></Server></AccessPoint></IED>"));
    std::vector<ReportEntry> dais = Entries("DAIs");
    ASSERT_EQ(dais.size(), 1u);
    EXPECT_EQ(dais[0].name, "错误：stVal");
    EXPECT_EQ(dais[0].error.GetLength(), static_cast<int>(std::string("LNode:LLN0里的Mod").size() + 2 * depth +
                                                          std::string("的DAI:stVal未找到对应DA").size()));
    // A DAI below an element other than SDI is found from the DOI itself.
    URI_Ref doi = Member(Node(Device("LD"), "LLN0"), "sec:LNode.DOIs", "Mod");
    EXPECT_EQ(NamesOf(Members(doi, "sec:DOI.DAIs")), (std::vector<CString>{"stVal[ST]"}));
}

TEST_F(ImportTest, MissingAttributesAndUnknownElementsAreReportedOrIgnored) {
    ImportIcd(Scl(R"(
<Private type="x"><LNodeType id="Hidden"/></Private>
<LNodeType id="L0" lnClass="LLN0"><Foo/><DO name="Mod" type="T"/><DO/></LNodeType>
<LNodeType id="PH" lnClass="LPHD"/>
<DOType id="T" cdc="INC"><DA/><DA name="stVal" fc="ST" bType="INT32"><Val/></DA><SDO/><Bar name="x"/></DOType>
<DAType id="D"><BDA/><BDA bType="Struct"/><BDA bType="Enum" type=""/></DAType>
<EnumType id="E"><EnumVal ord="abc">x</EnumVal><EnumVal ord="99999999999999999999">y</EnumVal><EnumVal/></EnumType>)",
                  R"(<IED><AccessPoint><Server>
<LDevice><LN0 lnClass="LLN0" lnType="L0"><DOI/><DOI name="Mod"><DAI/><SDI><DAI name="stVal"/></SDI></DOI><DataSet><FCDA/></DataSet>
<ReportControl><TrgOps/><OptFields/></ReportControl><LogControl/><Log/><Inputs><ExtRef/></Inputs><SettingControl/></LN0>
<LN lnClass="LPHD" lnType="PH"/><LN lnType="L0"/><LN lnClass="X"/></LDevice>
<LDevice inst="NoLN0"/><LDevice inst="BadLPHD"><LN0 lnClass="LLN0" lnType="L0"/><LN lnClass="LPHD" lnType="Nope"/></LDevice>
<LDevice inst="NoLPHD"><LN0 lnClass="LLN0" lnType="L0"/></LDevice></Server></AccessPoint><AccessPoint/></IED>)"));
    EXPECT_TRUE(ShellOf(imp.m_mapNewLNodeTypes, "Hidden").IsEmpty());
    URI_Ref ld = Device("");
    ASSERT_TRUE(ld.IsSet());
    URI_Ref lln0 = Node(ld, "LLN0");
    ASSERT_TRUE(lln0.IsSet());
    EXPECT_EQ(Members(lln0, "sec:LNode.DataSets").size(), 1u);
    EXPECT_EQ(Members(lln0, "sec:LNode.RCBs").size(), 1u);
    EXPECT_EQ(Members(lln0, "sec:LNode.ExtRefs").size(), 1u);
    // Values without a whole-number order are left out.
    EXPECT_EQ(Members(ShellOf(imp.m_mapNewEnumTypes, "E"), "sec:EnumType.EnumVals").size(), 0u);
    const std::vector<ReportEntry> all = AllEntries();
    EXPECT_NE(std::find(all.begin(), all.end(),
                        ReportEntry{"LDevice", "错误：NoLN0", "未找到LDevice:NoLN0的LLN0Type或LPHDType"}),
              all.end());
    // A device without an LPHD node is taken (second-edition files carry it
    // once per IED); one whose LPHD names an unknown type is refused.
    EXPECT_TRUE(Device("NoLPHD").IsSet());
    EXPECT_TRUE(Node(Device("NoLPHD"), "LLN0").IsSet());
    EXPECT_TRUE(Device("BadLPHD").IsEmpty());
    EXPECT_NE(std::find(all.begin(), all.end(),
                        ReportEntry{"LDevice", "错误：BadLPHD", "未找到LDevice:BadLPHD的LLN0Type或LPHDType"}),
              all.end());
    EXPECT_EQ(std::count_if(all.begin(), all.end(), [](const ReportEntry& e) { return e.element == "LDevice"; }), 2);
    EXPECT_NE(std::find(all.begin(), all.end(), ReportEntry{"DOI", "错误：", "DOI的name为空！"}), all.end());
    EXPECT_NE(std::find(all.begin(), all.end(), ReportEntry{"other_error", "错误：ICD文件:  BDA:", "未找到EnumType:"}),
              all.end());
    EXPECT_NE(std::find(all.begin(), all.end(),
                        ReportEntry{"DAI", "错误：stVal", "LNode:LLN0里的Mod.的DAI:stVal未找到对应DA"}),
              all.end());
    EXPECT_EQ(std::count_if(all.begin(), all.end(), [](const ReportEntry& e) { return e.error == "lnClass为空！"; }),
              2);
}

TEST_F(ImportTest, CyclicTypesEndEveryWalk) {
    // A DO type nesting 3000 DA types, far past the walks' bound, a DOI on
    // it and a data-set member naming its deepest attribute.
    std::string chain, deepPath = "stVal";
    for (int i = 0; i < 3000; ++i) {
        chain += "<DAType id=\"T" + std::to_string(i) + "\"><BDA name=\"v\" bType=\"BOOLEAN\"/>" +
                 (i < 2999 ? "<BDA name=\"b\" bType=\"Struct\" type=\"T" + std::to_string(i + 1) + "\"/>" : "") +
                 "</DAType>";
        deepPath += i < 2999 ? ".b" : ".v";
    }
    // A DO type of 17 DA types, each holding two of the next: 196,607 paths.
    for (int i = 0; i < 17; ++i)
        chain += "<DAType id=\"W" + std::to_string(i) + "\">" +
                 (i < 16 ? "<BDA name=\"a\" bType=\"Struct\" type=\"W" + std::to_string(i + 1) +
                               "\"/><BDA name=\"b\" bType=\"Struct\" type=\"W" + std::to_string(i + 1) + "\"/>"
                         : "<BDA name=\"v\" bType=\"INT32\"/>") +
                 "</DAType>";
    chain += R"(<DOType id="Wide" cdc="SPS"><DA name="w" fc="ST" bType="Struct" type="W0"/></DOType>)";
    ImportIcd(Scl(chain + R"(<DOType id="Deep" cdc="SPS"><DA name="stVal" fc="ST" bType="Struct" type="T0"/></DOType>
<LNodeType id="G" lnClass="GGIO"><DO name="Ind1" type="Deep"/></LNodeType>
<LNodeType id="L0" lnClass="LLN0"><DO name="Mod" type="Loop"/></LNodeType>
<LNodeType id="Me" lnClass="PTOC" zScl:base="Me"><DO name="Str" type="Loop"/></LNodeType>
<LNodeType id="A" lnClass="PTOC" zScl:base="B"><DO name="Str" type="Loop"/></LNodeType>
<LNodeType id="B" lnClass="PTOC" zScl:base="A"><DO name="Op" type="Loop"/></LNodeType>
<LNodeType id="PH" lnClass="LPHD"/>
<DOType id="Loop" cdc="CMV"><SDO name="me" type="Loop"/><DA name="cVal" fc="MX" bType="Struct" type="Self"/></DOType>
<DAType id="Self"><BDA name="mag" bType="Struct" type="Self"/><BDA name="ang" bType="Struct" type="Self"/></DAType>)",
                  R"(<IED name="I"><AccessPoint><Server><LDevice inst="LD">
<LN0 lnClass="LLN0" lnType="L0"><DOI name="Mod"><SDI name="me"><SDI name="me"><SDI name="cVal"><SDI name="mag"><DAI name="mag"/></SDI></SDI></SDI></SDI></DOI>
<DataSet name="ds"><FCDA ldInst="LD" lnClass="GGIO" lnInst="1" doName="Ind1" daName=")" + deepPath + R"(" fc="ST"/></DataSet></LN0>
<LN lnClass="LPHD" inst="1" lnType="PH"/><LN lnClass="PTOC" inst="1" lnType="A"><DOI name="Op"/></LN>
<LN lnClass="GGIO" inst="1" lnType="G"><DOI name="Ind1"><DAI name="stVal"><Val>1</Val></DAI></DOI></LN></LDevice></Server></AccessPoint></IED>)"));
    // The self-containing DA type gets the class of Vector, its members too.
    EXPECT_EQ(Target(ShellOf(imp.m_mapNewDATypes, "Self"), "sec:DAType.ClassOf_DAType"), m.vector);
    // A base that closes a cycle is not linked and is reported.
    URI_Ref me = ShellOf(imp.m_mapNewLNodeTypes, "Me");
    EXPECT_TRUE(Target(me, "sec:LNodeType.Abstract_Type").IsEmpty());
    const std::vector<ReportEntry> others = Entries("other_errors");
    EXPECT_NE(std::find(others.begin(), others.end(),
                        ReportEntry{"other_error", "错误：ICD文件:  LNodeType:Me", "基于的基类(zScl:base)Me形成循环"}),
              others.end());
    URI_Ref a = ShellOf(imp.m_mapNewLNodeTypes, "A"), b = ShellOf(imp.m_mapNewLNodeTypes, "B");
    EXPECT_EQ(Target(a, "sec:LNodeType.Abstract_Type"), b);
    EXPECT_TRUE(Target(b, "sec:LNodeType.Abstract_Type").IsEmpty());
    // The DOI reader and the indexes end on the cyclic DO and DA types.
    URI_Ref doi = Member(Node(Device("LD"), "LLN0"), "sec:LNode.DOIs", "Mod");
    EXPECT_EQ(Members(doi, "sec:DOI.DAIs").size() + Entries("DAIs").size(), 1u);
    EXPECT_TRUE(Member(Node(Device("LD"), "PTOC1"), "sec:LNode.DOIs", "Op").IsSet());  // from the base B
    EXPECT_GT(daIndex.size(), 0u);
    EXPECT_EQ(imp.m_mapInstPaths.count("LD/PTOC1.Op"), 1u);
    // A walk of the wide type ends at its budget of entries (two forms of each path).
    ImportNameTable wide;
    imp.Collect_BDAPaths(&app, Member(ShellOf(imp.m_mapNewDOTypes, "Wide"), "sec:DOType.Contains_DAs", "w"), &wide,
                         "w[ST]", "w");
    EXPECT_LE(wide.size(), 2 * (kiln::core::kTypeEntryBudget + kiln::core::kTypeNestingBound));
    // Each type that contains itself is named, and the outermost type of
    // the deep nesting and of the wide one, once.
    for (const ReportEntry& e : {ReportEntry{"other_error", "错误：ICD文件:  DOType:Deep", "类型嵌套超过32层"},
                                 ReportEntry{"other_error", "错误：ICD文件:  DOType:Wide", "类型嵌套展开超过100000条路径"},
                                 ReportEntry{"other_error", "错误：ICD文件:  DOType:Loop", "类型嵌套形成闭环：Loop"},
                                 ReportEntry{"other_error", "错误：ICD文件:  DAType:Self", "类型嵌套形成闭环：Self"}})
        EXPECT_EQ(std::count(others.begin(), others.end(), e), 1) << e.error;
    EXPECT_EQ(std::count_if(others.begin(), others.end(), [](const ReportEntry& e) { return e.error.Find("类型嵌套") >= 0; }),
              4);
    EXPECT_TRUE(Member(Node(Device("LD"), "GGIO1"), "sec:LNode.DOIs", "Ind1").IsSet());
}

TEST_F(ImportTest, AGB2312FileKeepsItsChineseTexts) {
    std::string text =
        Scl(R"(<LNodeType id="L" lnClass="PTOC" desc="过流保护"><DO name="Str" type="T" desc="启动"/></LNodeType>
<DOType id="T" cdc="SPS" desc="单点"/>)");
    text.replace(text.find("UTF-8"), 5, "GB2312");
    ImportTemplates(kiln::text::Utf8ToGbk(text));
    URI_Ref l = ShellOf(imp.m_mapNewLNodeTypes, "L");
    EXPECT_EQ(Get(l, "cim:Naming.description"), "过流保护");
    EXPECT_EQ(Get(Members(l, "sec:LNodeType.DOs")[0], "cim:Naming.description"), "启动");
    EXPECT_EQ(Get(ShellOf(imp.m_mapNewDOTypes, "T"), "cim:Naming.description"), "单点");
}

}  // namespace
}  // namespace kiln::test
