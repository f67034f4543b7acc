// Choice lists of types, of resources along a path and of packages to depend
// on: what each offers, in which order, with which texts, and what it leaves out.
#include <algorithm>
#include <vector>

#include "tests/core/fixture.h"

namespace kiln::test {
namespace {

class ChoiceListTest : public ModelTest {
protected:
    // The display texts of the list.
    static std::vector<CString> Texts(const Struct_EditPack& pack) {
        std::vector<CString> out;
        for (const auto& row : pack.vList.vPairs) out.push_back(row.first);
        return out;
    }
    // An ICD named T1 whose package (instance, depends on P1) holds an LN
    // type of PTOC; a logical device of its IED with one node of that type.
    void MakeIcd() {
        icd = Make(kInstDomain, "sec:ICD", "T1");
        icdPkg = MakeTypePackage(kInstDomain, "T1模板类包", true);
        Link(icd, "sec:ICD.TypePackage", icdPkg);
        Link(icdPkg, "sec:TypePackage.Depend_TypePackage", m.instPkg);
        icdPtoc = MakeLNodeType(icdPkg, "T1_PTOC", 1);
        Link(icdPtoc, "sec:LNodeType.ClassOf_LNType", m.ptoc);
        icdMmxu = MakeLNodeType(icdPkg, "T1_MMXU", 2);
        Link(icdMmxu, "sec:LNodeType.ClassOf_LNType", m.mmxu);
        URI_Ref ied = MakeUnder(icd, "sec:IED", "TEMPLATE", "sec:IED.ICD");
        URI_Ref server = MakeUnder(ied, "sec:Server", "S1", "sec:Server.IED");
        ld = MakeUnder(server, "sec:LDevice", "LD1", "sec:LDevice.Server", 1);
        node = MakeLNode(ld, "", "PTOC", "1", 1, icdPtoc);
        bare = MakeLNode(ld, "", "", "", 2);
    }
    URI_Ref icd, icdPkg, icdPtoc, icdMmxu, ld, node, bare;
};

constexpr const char* kNodePackagePath =
    "sec:LNode.LDevice/sec:LDevice.Server/sec:Server.IED/sec:IED.ICD/sec:ICD.TypePackage";

TEST_F(ChoiceListTest, LnClassesToInstantiateLeaveOutAbstractOnesButBasesOfferThem) {
    Set(m.commonLN, "sec:LNodeType.isAbstract", "true");
    Struct_EditPack pack;
    ASSERT_TRUE(app.SetEditPackList_forType(&pack, m.stdPkg, "", "sec:TypePackage.LNodeTypes", "", "false"));
    EXPECT_EQ(pack.nEditKind, 7);
    EXPECT_EQ(Texts(pack), (std::vector<CString>{"LLN0  (IEC61850)", "LPHD  (IEC61850)", "PTOC  (IEC61850)",
                                                 "MMXU  (IEC61850)"}));
    EXPECT_EQ(pack.vList.vPairs[2].second, CString(m.ptoc.sUri));

    // The base-type list of PTOC: neither PTOC itself nor what derives from it.
    URI_Ref derived = MakeLNodeType(m.stdPkg, "XPTOC", 6, m.ptoc);
    pack.Reset();
    ASSERT_TRUE(app.SetEditPackList_forType(&pack, m.ptoc, "sec:LNodeType.TypePackage", "sec:TypePackage.LNodeTypes",
                                            "sec:LNodeType.Derivative_Types", "false"));
    EXPECT_EQ(Texts(pack), (std::vector<CString>{"CommonLN  (IEC61850)", "LLN0  (IEC61850)", "LPHD  (IEC61850)",
                                                 "MMXU  (IEC61850)"}));
    (void)derived;
    EXPECT_TRUE(ui.Calls().empty()) << "lists show nothing";
}

TEST_F(ChoiceListTest, TheTypeOfANodeIsAnInstanceOfItsCurrentClass) {
    MakeIcd();
    Struct_EditPack pack;
    ASSERT_TRUE(app.SetEditPackList_forType(&pack, node, kNodePackagePath, "sec:TypePackage.LNodeTypes", "", "true"));
    EXPECT_EQ(Texts(pack), (std::vector<CString>{"T1_PTOC  (T1模板类包)", "P1_PTOC  (P1)"}));
    Struct_EditPack same;
    ASSERT_TRUE(app.SetEditPackList_forLNodeType_toLNClass(&same, node));
    EXPECT_EQ(same.vList.vPairs, pack.vList.vPairs);
    EXPECT_EQ(same.nEditKind, 7);

    // Without a type: every instance LN type of the chain here, false there.
    pack.Reset();
    ASSERT_TRUE(app.SetEditPackList_forType(&pack, bare, kNodePackagePath, "sec:TypePackage.LNodeTypes", "", "true"));
    EXPECT_EQ(Texts(pack), (std::vector<CString>{"T1_PTOC  (T1模板类包)", "T1_MMXU  (T1模板类包)", "P1_PTOC  (P1)"}));
    same.Reset();
    EXPECT_FALSE(app.SetEditPackList_forLNodeType_toLNClass(&same, bare));
}

TEST_F(ChoiceListTest, TypesOfMembersFollowTheirClassUnlessTheyExtendIt) {
    URI_Ref second = MakeDOType(m.instPkg, "P1_SPS_B", 2);
    Link(second, "sec:DOType.ClassOf_DOType", m.sps);
    URI_Ref inc = MakeDOType(m.instPkg, "P1_INC", 3);
    Link(inc, "sec:DOType.ClassOf_DOType", m.inc);
    Struct_EditPack pack;
    ASSERT_TRUE(app.SetEditPackList_forType(&pack, m.p1PtocOp, "sec:DO.LNodeType/sec:LNodeType.TypePackage",
                                            "sec:TypePackage.DOTypes", "", ""));
    EXPECT_EQ(Texts(pack), (std::vector<CString>{"P1_SPS  (P1)", "P1_SPS_B  (P1)"}));

    // An extension DO without a name-semantic package takes any instance type.
    Set(m.p1PtocOp, "sec:DO.SemanticNs", "扩展");
    pack.Reset();
    ASSERT_TRUE(app.SetEditPackList_forType(&pack, m.p1PtocOp, "sec:DO.LNodeType/sec:LNodeType.TypePackage",
                                            "sec:TypePackage.DOTypes", "", ""));
    EXPECT_EQ(Texts(pack), (std::vector<CString>{"P1_SPS  (P1)", "P1_SPS_B  (P1)", "P1_INC  (P1)"}));

    // Standard enumerations, after what the record already held.
    pack.Reset();
    pack.Add_ListItem("NULL", "");
    ASSERT_TRUE(app.SetEditPackList_forType(&pack, m.p1SpsStVal, "sec:DA.MemberOf_DOType/sec:DOType.TypePackage",
                                            "sec:TypePackage.EnumTypes", "", "FALSE"));
    EXPECT_EQ(Texts(pack), (std::vector<CString>{"NULL", "ctlModel  (IEC61850)"}));

    // No package at the end of the path.
    EXPECT_FALSE(app.SetEditPackList_forType(&pack, m.p1SpsStVal, "sec:DA.MemberOf_DOType/sec:DOType.TypePackage"
                                                                  "/sec:TypePackage.ICD",
                                             "sec:TypePackage.EnumTypes", "", ""));
}

TEST_F(ChoiceListTest, SameNamesInTwoPackagesAppearTwiceNearerFirst) {
    MakeIcd();
    URI_Ref nearSps = MakeDOType(icdPkg, "P1_SPS", 1);
    Link(nearSps, "sec:DOType.ClassOf_DOType", m.sps);
    URI_Ref icdDo = MakeDO(icdPtoc, "Op", 1, nearSps);
    Struct_EditPack pack;
    ASSERT_TRUE(app.SetEditPackList_forType(&pack, icdDo, "sec:DO.LNodeType/sec:LNodeType.TypePackage",
                                            "sec:TypePackage.DOTypes", "", ""));
    EXPECT_EQ(Texts(pack), (std::vector<CString>{"P1_SPS  (T1模板类包)", "P1_SPS  (P1)"}));
    EXPECT_EQ(pack.vList.vPairs[0].second, CString(nearSps.sUri));
}

TEST_F(ChoiceListTest, PathListsShowDisplayTexts) {
    MakeIcd();
    Struct_EditPack pack;
    ASSERT_TRUE(app.SetEditPackList_byPath(&pack, ld, "sec:LDevice.LNodes"));
    EXPECT_EQ(pack.nEditKind, 7);
    ASSERT_EQ(pack.vList.GetSize(), 2);
    EXPECT_EQ(pack.vList.vPairs[0].first, app.GetRscText(node, false));
    EXPECT_EQ(pack.vList.vPairs[1].second, CString(bare.sUri));

    // Without a start: every resource of the class, by name.
    pack.Reset();
    ASSERT_TRUE(app.SetEditPackList_byPath(&pack, URI_Ref(), "sec:TypePackage"));
    std::vector<CString> expected;
    for (URI_Ref p : {m.instPkg, icdPkg, m.stdPkg}) expected.push_back(app.GetRscText(p, false));
    std::vector<CString> names = Texts(pack);
    std::sort(expected.begin(), expected.end());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, expected);
}

TEST_F(ChoiceListTest, DependencyCandidatesByKind) {
    MakeIcd();
    MakeDomain("kiln.d1#", "二次模型标准定义包3");
    URI_Ref decl = MakeTypePackage("kiln.d1#", "D1", false);
    URI_Ref user = MakeTypePackage("kiln.d1#", "D2", false);
    Link(user, "sec:TypePackage.Depend_TypePackage", decl);  // D2 already depends on D1

    Struct_EditPack pack;
    ASSERT_TRUE(app.SetEditPack_forDependPackage(&pack, URI_Ref()));
    EXPECT_EQ(Texts(pack), (std::vector<CString>{"D1  (标准)", "D2  (标准)", "IEC61850  (标准)", "P1  (产品系列)"}))
        << "the ICD's package is never offered";
    EXPECT_EQ(pack.nEditKind, 7);

    pack.Reset();
    ASSERT_TRUE(app.SetEditPack_forDependPackage(&pack, decl));
    EXPECT_EQ(Texts(pack), std::vector<CString>{"IEC61850  (标准)"}) << "not itself, D2 or an instance package";

    pack.Reset();
    ASSERT_TRUE(app.SetEditPack_forDependPackage(&pack, m.instPkg));
    EXPECT_EQ(Texts(pack), (std::vector<CString>{"D1  (标准)", "D2  (标准)", "IEC61850  (标准)"}));
}

}  // namespace
}  // namespace kiln::test
