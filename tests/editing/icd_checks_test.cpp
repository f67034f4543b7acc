// The structure checks of an IED and the generic checks below them.
#include "tests/editing/checks_fixture.h"

namespace kiln::test {
namespace {

class IcdChecksTest : public ChecksTest {
protected:
    IcdChecksTest() {
        icd = MakeIcd("ICD1");
        StartReport();
    }
    IcdModel icd;

    // An LLN0 with a log (in a log control block) and a setting-group
    // control block, so that the IED-wide findings stay away.
    URI_Ref AddCompleteLln0(const URI_Ref& ld) {
        URI_Ref lln0 = AddLNode(ld, "", "LLN0", "", 1, p1Lln0);
        URI_Ref log = AddMember(lln0, "sec:Log", "Log1", "sec:Log.LNode", 1);
        URI_Ref lcb = AddMember(lln0, "sec:LCB", "lcb1", "sec:LCB.LNode", 1);
        Link(lcb, "sec:LCB.Log", log);
        AddMember(lln0, "sec:SGCB", "SGCB", "sec:SGCB.LNode", 1);
        return lln0;
    }
    void CheckIed() { EXPECT_TRUE(KilnChecksProbe::Check_IED(app, icd.ied)); }
};

TEST_F(IcdChecksTest, RepeatedFullNodeNamesGiveOneFindingPerNode) {
    URI_Ref ld = AddLDevice(icd.server, "LD0", 1);
    AddCompleteLln0(ld);
    for (int i = 0; i < 3; ++i) AddLNode(ld, "", "PTOC", "1", i + 2, m.p1Ptoc);
    AddLNode(ld, "", "PTOC", "2", 5, m.p1Ptoc);    // another instance
    AddLNode(ld, "A", "PTOC", "3", 6, m.p1Ptoc);   // prefixes differ
    AddLNode(ld, "B", "PTOC", "3", 7, m.p1Ptoc);
    CheckIed();
    const Finding f{"错误：  LD0内", "[]PTOC[1] 名称重复3次"};
    EXPECT_EQ(Findings(), (std::vector<Finding>{f, f, f}));
    EXPECT_EQ(app.m_nReportErrors, 3);

    std::vector<CKiln_Main::RepeatedName> repeated;
    EXPECT_TRUE(app.Check_LNodeName(ld, repeated));
    ASSERT_EQ(repeated.size(), 3u);
    EXPECT_EQ(repeated[0].name, "[]PTOC[1]");
    EXPECT_EQ(repeated[2].count, 3);

    URI_Ref empty = AddLDevice(icd.server, "LD9", 9);
    repeated.clear();
    EXPECT_FALSE(app.Check_LNodeName(empty, repeated));
    EXPECT_TRUE(repeated.empty());
}

TEST_F(IcdChecksTest, MembersOfANodeShareOneNameSpace) {
    URI_Ref ld = AddLDevice(icd.server, "LD0", 1);
    URI_Ref lln0 = AddCompleteLln0(ld);
    AddMember(lln0, "sec:DOI", "Beh", "sec:DOI.LNode", 1);
    AddMember(lln0, "sec:DataSet", "Beh", "sec:DataSet.LNode", 1);  // a DOI and a data set named alike
    URI_Ref doi = AddMember(lln0, "sec:DOI", "Mod", "sec:DOI.LNode", 2);
    for (int i = 1; i <= 3; ++i) AddDAI(doi, "stVal", i);  // three DAIs of one name: two findings
    // Forty DAIs: a name repeated among the first ones and four repeated
    // after the first 32, of names met before them.
    URI_Ref many = AddMember(lln0, "sec:DOI", "Many", "sec:DOI.LNode", 3);
    for (int i = 0; i < 40; ++i) AddDAI(many, CString(("a" + std::to_string(i == 20 ? 3 : i % 36)).c_str()), i + 1);
    CheckIed();
    const CString inMany = "错误：  LD: LD0的LNode: LLN0的  DOI: Many内";
    EXPECT_EQ(Findings(), (std::vector<Finding>{
                              {"错误：  LD: LD0的  LNode: LLN0内", "Beh 名称重复"},
                              {"错误：  LD: LD0的LNode: LLN0的  DOI: Mod内", "stVal 名称重复"},
                              {"错误：  LD: LD0的LNode: LLN0的  DOI: Mod内", "stVal 名称重复"},
                              {inMany, "a3 名称重复"},
                              {inMany, "a0 名称重复"},
                              {inMany, "a1 名称重复"},
                              {inMany, "a2 名称重复"},
                              {inMany, "a3 名称重复"},
                              {"错误：  LD: LD0的LNode: LLN0的DOI: Many", "LN类型中没有该DO"},
                          }));
}

// What the ICD export leaves out or cannot resolve: a DOI of a DO its node's
// type lacks, a DAI of no attribute (of any kind) of its DO's type (the DO of that name in
// the node's type, not the one the DOI was made for), an input whose DO
// names no node (neither in the model nor as its file named it).
TEST_F(IcdChecksTest, DoisDaisAndInputsTheExportCannotResolve) {
    URI_Ref ld = AddLDevice(icd.server, "LD0", 1);
    AddCompleteLln0(ld);
    URI_Ref ptoc = AddLNode(ld, "", "PTOC", "1", 2, m.p1Ptoc);
    URI_Ref op = AddMember(ptoc, "sec:DOI", "Op", "sec:DOI.LNode", 1);
    Link(op, "sec:DOI.DO", m.p1PtocOp);
    AddDAI(op, "stVal[ST]", 1);
    AddDAI(op, "gone[ST]", 2);
    AddDAI(op, "stVal", 3);  // the path names its constraint
    MakeDA(m.p1Sps, "origin", 3, "ST", "Struct", m.originator);
    AddDAI(op, "origin[ST]", 4);  // a struct: a short address on all of it
    // Made while the node had another type, whose Str has ctlModel: the
    // Str of the node's type has none.
    URI_Ref str = AddMember(ptoc, "sec:DOI", "Str", "sec:DOI.LNode", 2);
    Link(str, "sec:DOI.DO", MakeDO(MakeLNodeType(m.instPkg, "P1_OLD", 3), "Str", 1, p1Inc));
    AddDAI(str, "stVal[ST]", 1);
    AddDAI(str, "ctlModel[CF]", 2);
    AddMember(ptoc, "sec:DOI", "Xyz", "sec:DOI.LNode", 3);
    // Below an SDO a struct may be named, the SDO itself not.
    URI_Ref phases = AddMember(AddLNode(ld, "", "MMXU", "1", 3, m.mmxu), "sec:DOI", "A", "sec:DOI.LNode", 1);
    Link(phases, "sec:DOI.DO", m.mmxuA);
    AddDAI(phases, "phsA.cVal[MX]", 1);
    AddDAI(phases, "phsA", 2);
    auto input = [&](const CString& name, const CString& doName, const CString& keptClass) {
        URI_Ref ref = MakeUnder(ptoc, "sec:ExtRef", name, "sec:ExtRef.LNode");
        if (!doName.IsEmpty()) Set(ref, "sec:DARef.doName", doName);
        if (!keptClass.IsEmpty()) Set(ref, "sec:ExtRef.lnClass", keptClass);
    };
    input("in1", "Op", "");
    input("in2", "", "");        // still to be bound
    input("in3", "Op", "XCBR");  // a source outside the model, as its file named it
    AddRef("sec:ExtRef", "in4", ptoc, "sec:ExtRef.LNode", ptoc, "Op", "stVal");
    CheckIed();
    EXPECT_EQ(Findings(), (std::vector<Finding>{
                              {"错误：  LD: LD0的LNode: PTOC1的DOI: Op的DAI: gone[ST]", "DO类型中按此路径找不到此DA"},
                              {"错误：  LD: LD0的LNode: PTOC1的DOI: Op的DAI: stVal", "DO类型中按此路径找不到此DA"},
                              {"错误：  LD: LD0的LNode: PTOC1的DOI: Str的DAI: ctlModel[CF]", "DO类型中按此路径找不到此DA"},
                              {"错误：  LD: LD0的LNode: PTOC1的DOI: Xyz", "LN类型中没有该DO"},
                              {"错误：  LD: LD0的LNode: PTOC1的ExtRef: in1", " 未指定LNode ！"},
                              {"错误：  LD: LD0的LNode: MMXU1的DOI: A的DAI: phsA", "DO类型中按此路径找不到此DA"},
                          }));
}

TEST_F(IcdChecksTest, DevicesLogsAndSettingGroupsOfTheIed) {
    URI_Ref ld0 = AddLDevice(icd.server, "LD0", 1);
    AddLDevice(icd.server, "LD0", 2);
    URI_Ref lln0 = AddLNode(ld0, "", "LLN0", "", 1, p1Lln0);
    AddMember(lln0, "sec:Log", "Log1", "sec:Log.LNode", 1);  // the only log, and no SGCB anywhere
    URI_Ref bare = AddMember(lln0, "sec:LCB", "lcbA", "sec:LCB.LNode", 1);
    URI_Ref twice = AddMember(lln0, "sec:LCB", "lcbB", "sec:LCB.LNode", 2);
    URI_Ref otherNode = AddLNode(ld0, "", "PTOC", "1", 2, m.p1Ptoc);
    Link(twice, "sec:LCB.Log", AddMember(otherNode, "sec:Log", "L1", "sec:Log.LNode", 1));
    Link(twice, "sec:LCB.Log", Make(DomainOf(otherNode), "sec:Log", "L2"));
    (void)bare;
    CheckIed();
    EXPECT_EQ(Findings(), (std::vector<Finding>{
                              {"错误：    Server: IED_Server内", "LD0 名称重复"},
                              {"错误：  LD: LD0的LNode: LLN0的 sec:LCB: lcbA", "Log的数量少于1"},
                              {"错误：  LD: LD0的LNode: LLN0的 sec:LCB: lcbB", "Log的数量多于1"},
                              {"错误：  IED", "IED内没有SGCB"},
                          }));
}

TEST_F(IcdChecksTest, AnIedWithoutServerOrNodesHasNeitherLogNorSettingGroup) {
    IcdModel bare = MakeIcd("ICD2", false);
    ASSERT_TRUE(Doc().DeleteResource(bare.server)) << Doc().LastError();
    EXPECT_TRUE(KilnChecksProbe::Check_IED(app, bare.ied));
    AddLDevice(icd.server, "LD0", 1);  // a device without nodes gives no node finding
    CheckIed();
    const std::vector<Finding> iedWide{{"错误：  IED", "IED内没有Log"}, {"错误：  IED", "IED内没有SGCB"}};
    std::vector<Finding> both = iedWide;
    both.insert(both.end(), iedWide.begin(), iedWide.end());
    EXPECT_EQ(Findings(), both);
}

TEST_F(IcdChecksTest, AssociationCountsAgainstTheirBounds) {
    URI_Ref ld = AddLDevice(icd.server, "LD0", 1);
    URI_Ref node = AddLNode(ld, "", "PTOC", "1", 1, m.p1Ptoc);
    auto count = [&](int min, int max, bool report) {
        return KilnChecksProbe::Check_Asso_Num(app, node, "sec:LNode.DOIs", min, max, "P", report);
    };
    EXPECT_TRUE(count(-1, 0, true));  // must be empty, and is
    EXPECT_TRUE(count(0, 0, true));
    EXPECT_FALSE(count(1, 0, true));
    AddMember(node, "sec:DOI", "Op", "sec:DOI.LNode", 1);
    AddMember(node, "sec:DOI", "Str", "sec:DOI.LNode", 2);
    EXPECT_FALSE(count(-1, 0, true));
    EXPECT_TRUE(count(2, 2, true));
    EXPECT_FALSE(count(3, 1, true));   // both bounds broken: two findings
    EXPECT_FALSE(count(3, 1, false));  // only answers
    const CString where = "错误：  P sec:LNode: PTOC1";
    EXPECT_EQ(Findings(), (std::vector<Finding>{{where, "DOIs的数量少于1"},
                                                {where, "存在DOIs"},
                                                {where, "DOIs的数量少于3"},
                                                {where, "DOIs的数量多于1"}}));
}

TEST_F(IcdChecksTest, NameRepeatsAcrossAssociationsWithFilterAndEmptyNames) {
    URI_Ref ld = AddLDevice(icd.server, "LD0", 1);
    URI_Ref node = AddLNode(ld, "", "PTOC", "1", 1, m.p1Ptoc);
    AddMember(node, "sec:DOI", "", "sec:DOI.LNode", 1);
    AddMember(node, "sec:DOI", "", "sec:DOI.LNode", 2);           // empty names repeat too
    AddMember(node, "sec:DataSet", "X", "sec:DataSet.LNode", 1);
    AddMember(node, "sec:RCB", "X", "sec:RCB.LNode", 1);
    CStringArray roles;
    roles.Add("sec:LNode.DOIs");
    roles.Add("sec:LNode.NoSuchRole");  // an unknown association is passed over
    roles.Add("sec:LNode.DataSets");
    roles.Add("sec:LNode.RCBs");
    EXPECT_FALSE(KilnChecksProbe::Chech_Name_Repeat(app, node, roles, "cim:Naming.name", "pre", ""));
    EXPECT_FALSE(KilnChecksProbe::Chech_Name_Repeat(app, node, roles, "cim:Naming.name", "pre", "sec:DOI"));
    EXPECT_TRUE(KilnChecksProbe::Chech_Name_Repeat(app, node, roles, "cim:Naming.name", "pre", "sec:RCB"));
    const CString where = "错误：  pre  LNode: PTOC1内";
    EXPECT_EQ(Findings(), (std::vector<Finding>{{where, " 名称重复"}, {where, "X 名称重复"}, {where, " 名称重复"}}));
}

TEST_F(IcdChecksTest, AbstractChainRepeatsNameTheDerivedTypeAndCyclesAreReported) {
    // A derived type that repeats a DO of its abstract type's abstract type.
    URI_Ref base = MakeLNodeType(m.instPkg, "Base", 5);
    MakeDO(base, "Ind1", 1, m.p1Sps);
    URI_Ref middle = MakeLNodeType(m.instPkg, "Middle", 6, base);
    MakeDO(middle, "Ind2", 1, m.p1Sps);
    URI_Ref derived = MakeLNodeType(m.instPkg, "Derived", 7, middle);
    MakeDO(derived, "Ind1", 1, m.p1Sps);
    CStringArray roles;
    roles.Add("sec:LNodeType.DOs");
    EXPECT_FALSE(KilnChecksProbe::Chech_AbstractType_Name_Repeat(app, derived, roles, "sec:LNodeType.Abstract_Type",
                                                                 "cim:Naming.name", "P1", ""));
    EXPECT_TRUE(KilnChecksProbe::Chech_AbstractType_Name_Repeat(app, middle, roles, "sec:LNodeType.Abstract_Type",
                                                                "cim:Naming.name", "P1", ""));
    // Closing the chain into a circle: reported, and the walk ends.
    Link(base, "sec:LNodeType.Abstract_Type", derived);
    EXPECT_FALSE(KilnChecksProbe::Chech_AbstractType_Name_Repeat(app, middle, roles, "sec:LNodeType.Abstract_Type",
                                                                 "cim:Naming.name", "P1", ""));
    EXPECT_EQ(Findings(), (std::vector<Finding>{
                              {"错误：  P1  LNodeType: Derived内", "Ind1 名称重复"},
                              {"错误：  P1  LNodeType: Middle内", "抽象类型形成闭环：Middle"},
                              {"错误：  P1  LNodeType: Middle内", "Ind1 名称重复"},
                          }));
}

}  // namespace
}  // namespace kiln::test
