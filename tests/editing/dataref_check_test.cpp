// The data-reference check of an ICD: targets resolved against the path map
// of the ICD's instance packages, users listed per class, repeats per class.
#include <algorithm>

#include "core/type_nesting.h"
#include "tests/editing/checks_fixture.h"

namespace kiln::test {
namespace {

class DARefCheckTest : public ChecksTest {
protected:
    DARefCheckTest() {
        // P1_PTOC also gets a controllable Pos: stVal[ST] and Oper[CO] (a
        // structure with ctlVal).
        URI_Ref oper = MakeDAType(m.instPkg, "P1_Oper", 1);
        MakeBDA(oper, "ctlVal", 1, "BOOLEAN");
        URI_Ref dpc = MakeDOType(m.instPkg, "P1_DPC", 3);
        Link(dpc, "sec:DOType.ClassOf_DOType", m.sps);
        MakeDA(dpc, "stVal", 1, "ST", "BOOLEAN");
        MakeDA(dpc, "Oper", 2, "CO", "Struct", oper);
        MakeDO(m.p1Ptoc, "Pos", 3, dpc);
        // ... and harmonics HA, sixteen elements of phsAHar.
        URI_Ref hwye = MakeDOType(m.instPkg, "P1_HWYE", 4);
        Set(MakeSDO(hwye, "phsAHar", 1, m.cmv), "sec:SDO.count", "16");
        MakeDO(m.p1Ptoc, "HA", 4, hwye);

        icd = MakeIcd("ICD1");
        ld = AddLDevice(icd.server, "PROT", 1);
        ptoc1 = AddLNode(ld, "", "PTOC", "1", 1, m.p1Ptoc);
        lln0 = AddLNode(ld, "", "LLN0", "", 2, p1Lln0);
        ds1 = AddMember(lln0, "sec:DataSet", "DS1", "sec:DataSet.LNode", 1);
        ds2 = AddMember(lln0, "sec:DataSet", "DS2", "sec:DataSet.LNode", 2);
        URI_Ref sgcb = AddMember(lln0, "sec:SGCB", "SGCB", "sec:SGCB.LNode", 1);
        sg1 = MakeUnder(sgcb, "sec:SettingGroup", "SG1", "sec:SettingGroup.SGCB");
        StartReport();
    }

    bool Run() { return KilnChecksProbe::Chech_DARef_RepeatORhasDODA(app, icd.icd); }
    URI_Ref Fcda(const CString& name, const URI_Ref& ds, const URI_Ref& target, const CString& doName,
                 const CString& daName) {
        return AddRef("sec:FCDA", name, ds, "sec:FCDA.DataSet", target, doName, daName);
    }

    IcdModel icd;
    URI_Ref ld, ptoc1, lln0, ds1, ds2, sg1;
};

TEST_F(DARefCheckTest, RepeatsCountWithinOneClassOnly) {
    Fcda("f1", ds1, ptoc1, "Op", "stVal");
    AddRef("sec:ExtRef", "e1", ptoc1, "sec:ExtRef.LNode", ptoc1, "Op", "stVal");
    Fcda("f2", ds2, ptoc1, "Op", "stVal");
    EXPECT_TRUE(Run());
    EXPECT_EQ(Findings(), (std::vector<Finding>{{"错误：  FCDA:   LD: PROT的LNode: LLN0的DataSet: DS1的f1  LD: "
                                                 "PROT的LNode: LLN0的DataSet: DS2的f2",
                                                 "toDA相同,都为:PROT/PTOC1.Op.stVal"}}));
}

TEST_F(DARefCheckTest, TargetsResolveInEveryFormTheTypeOffers) {
    int n = 0;
    auto ref = [&](const CString& doName, const CString& daName) {
        AddRef("sec:EntryData", "en" + ToText(++n), URI_Ref(), "", ptoc1, doName, daName);
    };
    ref("Pos", "");  // the DO itself and a DA of it are different targets
    ref("Pos", "stVal");
    ref("Pos", "stVal[ST]");
    ref("Pos", "Oper");
    ref("Pos", "Oper[CO]");
    ref("Pos", "Oper.ctlVal");
    ref("Pos", "Oper[CO].ctlVal");
    ref("Str", "q");
    ref("", "stVal");  // no DO name: passed over
    ref("HA.phsAHar(3)", "cVal");  // an element of the array, in doName or in daName
    ref("HA", "phsAHar(15).cVal.mag.f");
    EXPECT_TRUE(Run());
    EXPECT_EQ(Findings(), std::vector<Finding>{});

    ref("Pos", "Oper[ST].ctlVal");  // a constraint the DA does not have
    ref("HA.phsAHar(16)", "cVal");   // past the array's count
    ref("HA", "phsAHar(0015).cVal");  // indexes compared as numbers
    ref("HA", "phsAHar(016).cVal");
    // An input's attribute is written as its name stands: one with its
    // constraint is no name SCL takes.
    AddRef("sec:ExtRef", "x1", ptoc1, "sec:ExtRef.LNode", ptoc1, "Str", "q[ST]");
    StartReport();
    EXPECT_TRUE(Run());
    EXPECT_EQ(Findings(), (std::vector<Finding>{{"错误：  LD: PROT的LNode: PTOC1的x1", "daName格式错误：q[ST]"},
                                                 {"错误：  P1_PTOC/HA.phsAHar(016).cVal",
                                                  "lnType下按此路径找不到此DO或DA,而  en15中已应用"},
                                                 {"错误：  P1_PTOC/HA.phsAHar(16).cVal",
                                                  "lnType下按此路径找不到此DO或DA,而  en13中已应用"},
                                                 {"错误：  P1_PTOC/Pos.Oper[ST].ctlVal",
                                                  "lnType下按此路径找不到此DO或DA,而  en12中已应用"}}));
}

TEST_F(DARefCheckTest, AMissingTargetNamesAllItsUsersInClassOrder) {
    Set(ptoc1, "cim:Naming.name", "PTOC");  // stored as an older release did: its files name it PTOC1
    URI_Ref m2i = Make(DomainOf(icd.icd), "sec:M2I", "M2I");
    for (const char* name : {"m1", "m2", "m3"})
        AddRef("sec:MapItem", name, m2i, "sec:MapItem.M2I", ptoc1, "Xyz", "stVal");
    AddRef("sec:SettingData", "sd1", sg1, "sec:SettingData.SettingGroup", lln0, "Mod", "setVal");
    AddRef("sec:EntryData", "en1", URI_Ref(), "", lln0, "Mod", "setVal");
    Fcda("f9", ds1, lln0, "Mod", "setVal");
    AddRef("sec:ExtRef", "x1", ptoc1, "sec:ExtRef.LNode", lln0, "Mod", "setVal");
    AddRef("sec:ExtRef", "x2", ptoc1, "sec:ExtRef.LNode", lln0, "Mod", "setVal");
    EXPECT_TRUE(Run());
    // Keys ascending: PROT/LLN0... before PROT/PTOC1...
    EXPECT_EQ(Findings(),
              (std::vector<Finding>{
                  {"错误：  P1_LLN0/Mod.setVal",
                   "lnType下按此路径找不到此DO或DA,而  en1  LD: PROT的LNode: PTOC1的x1  LD: PROT的LNode: PTOC1的x2  LD: "
                   "PROT的LNode: LLN0的DataSet: DS1的f9  LD: PROT的LNode: LLN0的SGCB: SGCB的sd1中已应用"},
                  {"错误：  ExtRef:   LD: PROT的LNode: PTOC1的x1  LD: PROT的LNode: PTOC1的x2",
                   "toDA相同,都为:PROT/LLN0.Mod.setVal"},
                  {"错误：  P1_PTOC/Xyz.stVal", "lnType下按此路径找不到此DO或DA,而  m1  m2  m3中已应用"},
                  {"错误：  MapItem:   m1  m2  m3", "toDA相同,都为:PROT/PTOC1.Xyz.stVal"},
              }));
    EXPECT_EQ(app.m_nReportErrors, 4);
}

TEST_F(DARefCheckTest, InheritedDOsResolveUnderTheDerivedTypesName) {
    URI_Ref base = MakeLNodeType(m.instPkg, "P1_Base", 5);
    MakeDO(base, "Health", 1, p1Inc);
    URI_Ref derived = MakeLNodeType(m.instPkg, "P1_Derived", 6, base);
    URI_Ref node = AddLNode(ld, "", "GGIO", "1", 3, derived);
    Fcda("f1", ds1, node, "Health", "stVal");
    EXPECT_TRUE(Run());
    EXPECT_EQ(Findings(), std::vector<Finding>{});

    std::map<CString, URI_Ref> paths;
    EXPECT_TRUE(KilnChecksProbe::GetLNTypeDOSDODA(app, m.instPkg, paths));
    EXPECT_TRUE(paths.count("P1_Derived/Health.stVal[ST]"));
    EXPECT_TRUE(paths.count("P1_Base/Health.ctlModel"));
    EXPECT_FALSE(paths.count("P1_Base/Beh"));
}

TEST_F(DARefCheckTest, NodesOfOneNameShareTheFirstNodesTypePath) {
    URI_Ref bare = MakeLNodeType(m.instPkg, "P1_PTOC_Bare", 9);
    Link(bare, "sec:LNodeType.ClassOf_LNType", m.ptoc);
    URI_Ref twin = AddLNode(ld, "", "PTOC", "1", 3, bare);  // also named PTOC1, but its type lacks Op
    Fcda("f1", ds1, ptoc1, "Op", "stVal");
    AddRef("sec:ExtRef", "e1", twin, "sec:ExtRef.LNode", twin, "Op", "stVal");
    EXPECT_TRUE(Run());
    EXPECT_EQ(Findings(), std::vector<Finding>{});
}

TEST_F(DARefCheckTest, AMemberThatNamesNoNodeIsReportedWhereItLives) {
    Fcda("f1", ds1, ptoc1, "Op", "stVal");
    MakeUnder(ds2, "sec:FCDA", "f2", "sec:FCDA.DataSet", 1);
    URI_Ref f3 = MakeUnder(ds1, "sec:FCDA", "f3", "sec:FCDA.DataSet", 2);
    Set(f3, "sec:DARef.doName", "Op");
    EXPECT_TRUE(Run());
    EXPECT_EQ(Findings(), (std::vector<Finding>{{"错误：  LD: PROT的LNode: LLN0的DataSet: DS1的f3", " 未指定LNode ！"},
                                                {"错误：  LD: PROT的LNode: LLN0的DataSet: DS2的f2", " 未指定LNode ！"}}));
    // Linked to a node, it is checked as any other user.
    Link(f3, "sec:DARef.LNode", ptoc1);
    StartReport();
    EXPECT_TRUE(Run());
    EXPECT_EQ(Findings(), (std::vector<Finding>{{"错误：  LD: PROT的LNode: LLN0的DataSet: DS2的f2", " 未指定LNode ！"}}));
}

TEST_F(DARefCheckTest, UntypedNodesAndServerlessIeds) {
    URI_Ref untyped = AddLNode(ld, "", "GGIO", "2", 3, URI_Ref());
    Fcda("f1", ds1, untyped, "Nope", "stVal");  // its references are not walked
    EXPECT_TRUE(Run());
    EXPECT_EQ(Findings(), (std::vector<Finding>{{"错误：  LNode: GGIO2", " lnType 为空！"}}));

    StartReport();
    ASSERT_TRUE(Doc().DeleteResource(icd.server));
    EXPECT_FALSE(Run());
    EXPECT_EQ(Findings(), std::vector<Finding>{});
}

TEST_F(DARefCheckTest, WithoutInstancePackageNothingResolves) {
    IcdModel bare = MakeIcd("ICD2", false);
    URI_Ref node = AddLNode(AddLDevice(bare.server, "LD1", 1), "", "PTOC", "1", 1, m.p1Ptoc);
    AddRef("sec:MapItem", "m1", URI_Ref(), "", node, "Op", "");
    EXPECT_TRUE(KilnChecksProbe::Chech_DARef_RepeatORhasDODA(app, bare.icd));
    EXPECT_EQ(Findings(), (std::vector<Finding>{{"错误：  P1_PTOC/Op", "lnType下按此路径找不到此DO或DA,而  m1中已应用"}}));
}

TEST_F(DARefCheckTest, PathMapOfAControllableObject) {
    URI_Ref pkg = MakeTypePackage(kInstDomain, "P2", true);
    URI_Ref oper = MakeDAType(pkg, "Oper_A", 1);
    MakeBDA(oper, "ctlVal", 1, "BOOLEAN");
    URI_Ref dpc = MakeDOType(pkg, "DPC_A", 1);
    MakeDA(dpc, "stVal", 1, "ST", "Dbpos");
    MakeDA(dpc, "Oper", 2, "CO", "Struct", oper);
    URI_Ref cswi = MakeLNodeType(pkg, "CSWI_A", 1);
    MakeDO(cswi, "Pos", 1, dpc);
    std::map<CString, URI_Ref> paths;
    EXPECT_TRUE(KilnChecksProbe::GetLNTypeDOSDODA(app, pkg, paths));
    std::vector<CString> keys;
    for (const auto& entry : paths) keys.push_back(entry.first);
    EXPECT_EQ(keys, (std::vector<CString>{"CSWI_A/Pos", "CSWI_A/Pos.Oper", "CSWI_A/Pos.Oper.ctlVal",
                                          "CSWI_A/Pos.Oper[CO]", "CSWI_A/Pos.Oper[CO].ctlVal", "CSWI_A/Pos.stVal",
                                          "CSWI_A/Pos.stVal[ST]"}));
}

TEST_F(DARefCheckTest, CyclicTypesAreReportedOnceAndTheWalkEnds) {
    URI_Ref structLoop = MakeDAType(m.instPkg, "P1_StructLoop", 2);
    MakeBDA(structLoop, "self", 1, "Struct", structLoop);
    URI_Ref loop = MakeDOType(m.instPkg, "P1_Loop", 4);
    MakeSDO(loop, "sub", 1, loop);
    MakeDA(loop, "s", 1, "ST", "Struct", structLoop);
    MakeDO(m.p1Ptoc, "Loop", 4, loop);
    URI_Ref a = MakeLNodeType(m.instPkg, "P1_A", 7);
    URI_Ref b = MakeLNodeType(m.instPkg, "P1_B", 8, a);
    Link(a, "sec:LNodeType.Abstract_Type", b);
    // A DO type nesting 40 DA types (D0 > D1 > ... > D39), one past the
    // walks' bound, and a chain of 40 LN types, each based on the one before.
    URI_Ref deep = MakeDOType(m.instPkg, "P1_Deep", 5);
    MakeDA(deep, "d", 1, "ST", "Struct", MakeNestedDATypes(m.instPkg, "P1_D", 40, 10, {"b"}, "BOOLEAN"));
    MakeDO(m.p1Ptoc, "Deep", 5, deep);
    URI_Ref base;
    for (int i = 0; i < 40; ++i) base = MakeLNodeType(m.instPkg, "P1_L" + CString(std::to_string(i).c_str()), 60 + i, base);
    // A DO type of 17 DA types, each holding two of the next: 196,607 paths.
    URI_Ref wide = MakeDOType(m.instPkg, "P1_Wide", 6);
    MakeDA(wide, "w", 1, "ST", "Struct", MakeNestedDATypes(m.instPkg, "P1_W", 17, 100, {"a", "b"}));
    MakeDO(m.p1Ptoc, "Wide", 6, wide);

    std::map<CString, URI_Ref> paths;
    EXPECT_TRUE(KilnChecksProbe::GetLNTypeDOSDODA(app, m.instPkg, paths));
    EXPECT_TRUE(paths.count("P1_PTOC/Loop.sub"));
    EXPECT_TRUE(paths.count("P1_PTOC/Loop.s[ST].self"));
    EXPECT_FALSE(paths.count("P1_PTOC/Loop.sub.sub"));
    CString below = "P1_PTOC/Deep.d";
    for (int i = 0; i < 30; ++i) below += ".b";
    EXPECT_TRUE(paths.count(below));
    EXPECT_FALSE(paths.count(below + ".b.b"));
    const size_t widePaths = std::count_if(paths.begin(), paths.end(),
                                           [](const auto& p) { return p.first.Find("P1_PTOC/Wide") == 0; });
    EXPECT_LE(widePaths, 2 * (kiln::core::kTypeEntryBudget + kiln::core::kTypeNestingBound));
    // The walk names the circle of bases; the type checks name each type
    // that contains itself, the outermost of a nesting past the bound and
    // the most derived of a chain of bases past it, once.
    KilnChecksProbe::Check_TypePackage_Nesting(app, m.instPkg);
    EXPECT_EQ(Findings(), (std::vector<Finding>{
                              {"错误：  P1_A", "抽象类型形成闭环：P1_A"},
                              {"错误：  P1_B", "抽象类型形成闭环：P1_B"},
                              {"错误：  P1的LNodeType: P1_L39", "基于的基类(zScl:base)超过32层"},
                              {"错误：  P1的DOType: P1_Loop", "类型嵌套形成闭环：P1_Loop"},
                              {"错误：  P1的DOType: P1_Deep", "类型嵌套超过32层"},
                              {"错误：  P1的DOType: P1_Wide", "类型嵌套展开超过100000条路径"},
                              {"错误：  P1的DAType: P1_StructLoop", "类型嵌套形成闭环：P1_StructLoop"},
                          }));
}

}  // namespace
}  // namespace kiln::test
