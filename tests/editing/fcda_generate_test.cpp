// Data-set members generated from the data objects of a device or server:
// functional constraint, filter grammar, kinds, purposes, existing members
// over the server, sub-data objects and their order.
#include "platform/framework/cim_schema.h"
#include "tests/editing/editing_fixture.h"

namespace kiln::test {
namespace {

using Names = std::vector<CString>;

class FcdaGenerateTest : public EditingTest {
protected:
    FcdaGenerateTest() {
        MakeDomain(kIcdDomain, "二次模型装置ICD包");
        server = Make(kIcdDomain, "sec:Server", "S1");
        prot = Device("PROT", 1);
        // An instance PTOC type: common and own data objects, a Chinese name,
        // one whose constraint is only the second one, one without a type.
        ptocType = MakeLNodeType(m.instPkg, "T_PTOC", 20);
        Link(ptocType, "sec:LNodeType.ClassOf_LNType", m.ptoc);
        URI_Ref secondFc = MakeDOType(m.instPkg, "T_SG", 20);
        URI_Ref setVal = MakeDA(secondFc, "setVal", 1, "SG", "INT32");
        Set(setVal, "sec:DA.fc_1", EnumValue("FCType", "ST"));
        int ord = 0;
        for (const auto& [name, type] : std::vector<std::pair<CString, URI_Ref>>{
                 {"Mod", m.inc}, {"Str", m.sps}, {"Op", m.sps}, {"OpCnt", m.inc}, {"BlkOp", m.sps},
                 {"保护动作", m.sps}, {"Val", secondFc}, {"NoType", URI_Ref()}})
            MakeDO(ptocType, name, ++ord, type);
        ui.ClearCalls();
    }

    URI_Ref Device(const CString& name, int ord) {
        return MakeUnder(server, "sec:LDevice", name, "sec:LDevice.Server", ord);
    }
    URI_Ref DataSet(const URI_Ref& node) {
        ++sets;
        return MakeUnder(node, "sec:DataSet", "ds" + ToText(sets), "sec:DataSet.LNode", sets);
    }
    // A member made by hand, for the node and path.
    URI_Ref Member(const URI_Ref& dataSet, const URI_Ref& node, const CString& path) {
        URI_Ref f = MakeUnder(dataSet, "sec:FCDA", "F" + path, "sec:FCDA.DataSet", 100 + (++sets));
        Link(f, "sec:DARef.LNode", node);
        Set(f, "sec:DARef.doName", path);
        return f;
    }
    void Clear(const URI_Ref& dataSet) {
        std::vector<URI_Ref> members;
        Doc().Targets(dataSet, "sec:DataSet.FCDAs", members);
        for (const URI_Ref& f : members) Doc().DeleteResource(f);
    }
    bool Generate(const URI_Ref& dataSet, const CString& fc,
                  CKiln_Main::CREATE_FCD_TYPEEnum kind = CKiln_Main::CREATE_FCD_All, const CString& filter = "",
                  bool serverWide = false, LNodeUseEnum use = LNodeUse_None) {
        return app.Rsc_AutoCreateFCDA(dataSet, fc, kind, filter, serverWide, use);
    }
    // A standard LN class of that name with one SPS data object.
    URI_Ref ClassType(const CString& lnClass, const CString& doName) {
        URI_Ref t = MakeLNodeType(m.stdPkg, lnClass, 60 + (++sets));
        MakeDO(t, doName, 1, m.sps);
        return t;
    }

    URI_Ref server, prot, ptocType;
    int sets = 0;
};

const Names kAllPtocST = {"PTOC1.Mod", "PTOC1.Str", "PTOC1.Op", "PTOC1.OpCnt", "PTOC1.BlkOp", "PTOC1.保护动作"};

TEST_F(FcdaGenerateTest, MembersNameWholeDataObjectsOfTheConstraint) {
    URI_Ref lln0 = MakeLNode(prot, "", "LLN0", "", 1, m.lln0);
    MakeLNode(prot, "", "PTOC", "1", 2, ptocType);
    MakeLNode(prot, "", "XXXX", "1", 3);  // no type: skipped
    URI_Ref ds = DataSet(lln0);

    EXPECT_TRUE(Generate(ds, "ST"));
    Names expected = {"LLN0.Loc"};
    expected.insert(expected.end(), kAllPtocST.begin(), kAllPtocST.end());
    EXPECT_EQ(DataSetMembers(ds), expected);
    const URI_Ref first = Doc().FirstTarget(ds, "sec:DataSet.FCDAs");
    EXPECT_EQ(Get(first, "cim:Naming.name"), "FCDA_1");
    EXPECT_EQ(Get(first, "sec:FCDA.fc"), CString(kiln::cim::kModelNamespace) + "#FCType.ST");
    EXPECT_EQ(Get(first, "sec:DARef.daName"), "");
    EXPECT_EQ(Doc().FirstTarget(first, "sec:DARef.LNode"), lln0);

    // Generating again adds nothing; another constraint finds none here.
    EXPECT_TRUE(Generate(ds, "ST"));
    EXPECT_TRUE(Generate(ds, "MX"));
    EXPECT_TRUE(Generate(ds, "st"));
    EXPECT_EQ(DataSetMembers(ds).size(), expected.size());
    EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(FcdaGenerateTest, FilterItemsTakeNamesStemsAndChineseNames) {
    URI_Ref ptoc = MakeLNode(prot, "", "PTOC", "1", 1, ptocType);
    URI_Ref ds = DataSet(ptoc);
    const struct {
        const char* filter;
        Names members;
    } rows[] = {
        {"", kAllPtocST},
        {"*Str", kAllPtocST},                                // a leading "*" takes all
        {",Op", {}},                                         // one single item ",Op"
        {"Op*,Str*", {"PTOC1.Op", "PTOC1.OpCnt", "PTOC1.BlkOp", "PTOC1.Str"}},  // stems anywhere, item by item
        {"op,OP", {"PTOC1.Op", "PTOC1.Op"}},                 // case ignored; offered twice
        {"Str", {"PTOC1.Str"}},
        {"$Chinese$", {"PTOC1.保护动作"}},
        {"Mod,$Chinese$", {"PTOC1.Mod", "PTOC1.保护动作"}},
        {"Op,", {"PTOC1.Op"}},
        {"Op,,Str", {"PTOC1.Op"}},                           // ",Str" is one item
        {"Val", {}},                                         // its ST is the second constraint only
        {"NoType", {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.filter);
        Clear(ds);
        EXPECT_TRUE(Generate(ds, "ST", CKiln_Main::CREATE_FCD_All, row.filter));
        EXPECT_EQ(DataSetMembers(ds), row.members);
    }
}

TEST_F(FcdaGenerateTest, MembersOfTheServerAreLeftOutInEitherScope) {
    URI_Ref meas = Device("MEAS", 2), prot2 = Device("PROT2", 3);
    URI_Ref ptoc = MakeLNode(prot, "", "PTOC", "1", 1, ptocType);
    URI_Ref mmxu = MakeLNode(meas, "", "MMXU", "1", 1, m.mmxu);
    URI_Ref other = MakeLNode(prot2, "", "PTOC", "1", 1, ptocType);
    URI_Ref untyped = MakeLNode(prot2, "", "PTOC", "9", 2);
    URI_Ref old = DataSet(mmxu);
    Member(old, ptoc, "Str");
    Member(old, mmxu, "A.phsA");
    Member(old, untyped, "Op");  // its node has no type: no key
    URI_Ref ds = DataSet(ptoc);

    EXPECT_TRUE(Generate(ds, "ST"));
    EXPECT_EQ(DataSetMembers(ds), (Names{"PTOC1.Mod", "PTOC1.Op", "PTOC1.OpCnt", "PTOC1.BlkOp", "PTOC1.保护动作"}));
    EXPECT_TRUE(Generate(ds, "MX", CKiln_Main::CREATE_FCD_All, "", true));
    // A (WYE) has no MX attribute of its own; its phases have. PROT2/PTOC1 is
    // another key than PROT/PTOC1.
    EXPECT_EQ(DataSetMembers(ds), (Names{"PTOC1.Mod", "PTOC1.Op", "PTOC1.OpCnt", "PTOC1.BlkOp", "PTOC1.保护动作",
                                  "MMXU1.A.phsB", "MMXU1.A.phsC"}));
    EXPECT_TRUE(Generate(ds, "ST", CKiln_Main::CREATE_FCD_All, "Str", true));
    EXPECT_EQ(DataSetMembers(ds).back(), "PTOC1.Str");
    EXPECT_EQ(Doc().FirstTarget(Doc().FirstTarget(ds, "sec:DataSet.FCDAs", 7), "sec:DARef.LNode"), other);
}

TEST_F(FcdaGenerateTest, KindOneLeavesOutTheCommonNodesAndObjects) {
    MakeLNode(prot, "", "LLN0", "", 1, m.lln0);
    MakeLNode(prot, "", "lln0", "", 2, ClassType("lln0", "Loc2"));
    MakeLNode(prot, "", "LPHD", "1", 3, m.lphd);
    MakeLNode(prot, "", "Lphd", "1", 4, ClassType("Lphd", "PhyHealth2"));
    MakeLNode(prot, "", "RADR", "1", 5, ClassType("RADR", "ChTrg"));
    URI_Ref ptoc = MakeLNode(prot, "", "PTOC", "1", 6, ptocType);
    URI_Ref ds = DataSet(ptoc);
    EXPECT_TRUE(Generate(ds, "ST", CKiln_Main::CREATE_FCD_NoCommon));
    EXPECT_EQ(DataSetMembers(ds), (Names{"Lphd1.PhyHealth2", "PTOC1.Str", "PTOC1.Op", "PTOC1.BlkOp", "PTOC1.保护动作"}));
}

TEST_F(FcdaGenerateTest, APurposeRestrictsOnlyGenericNodes) {
    URI_Ref ggio = ClassType("GGIO", "Ind1");
    URI_Ref alarm = MakeLNode(prot, "", "GGIO", "1", 1, ggio);
    Set(alarm, "sec:LNode.LNodeUse", EnumValue("LNodeUseEnum", "Alarm"));
    URI_Ref state = MakeLNode(prot, "", "GGIO", "2", 2, ggio);
    Set(state, "sec:LNode.LNodeUse", EnumValue("LNodeUseEnum", "State"));
    URI_Ref ptoc = MakeLNode(prot, "", "PTOC", "1", 3, ptocType);
    Set(ptoc, "sec:LNode.LNodeUse", EnumValue("LNodeUseEnum", "Alarm"));
    URI_Ref ds = DataSet(ptoc);
    EXPECT_TRUE(Generate(ds, "ST", CKiln_Main::CREATE_FCD_All, "Ind1,Str", false, LNodeUse_State));
    EXPECT_EQ(DataSetMembers(ds), (Names{"GGIO2.Ind1", "PTOC1.Str"}));
    Clear(ds);
    EXPECT_TRUE(Generate(ds, "ST", CKiln_Main::CREATE_FCD_All, "Ind1"));
    EXPECT_EQ(DataSetMembers(ds), (Names{"GGIO1.Ind1", "GGIO2.Ind1"}));
}

TEST_F(FcdaGenerateTest, SubDataObjectsFollowTheirParentAndCyclesEnd) {
    URI_Ref c = MakeDOType(m.instPkg, "T_C", 30), b = MakeDOType(m.instPkg, "T_B", 31),
            a = MakeDOType(m.instPkg, "T_A", 32), loop = MakeDOType(m.instPkg, "T_LOOP", 33);
    for (const URI_Ref& t : {a, b, c, loop}) MakeDA(t, "stVal", 1, "ST", "BOOLEAN");
    MakeSDO(a, "B", 2, b);
    MakeSDO(b, "C", 2, c);
    MakeSDO(loop, "sub", 2, loop);
    URI_Ref abcType = MakeLNodeType(m.instPkg, "T_XABC", 34);
    MakeDO(abcType, "A", 1, a);
    MakeDO(abcType, "L", 2, loop);
    MakeDO(abcType, "Z", 3, a);
    URI_Ref node = MakeLNode(prot, "P", "XABC", "2", 1, abcType);
    URI_Ref ds = DataSet(node);
    Member(ds, node, "Z.B");  // Z.B and with it Z.B.C are members already (numbered behind)

    EXPECT_TRUE(Generate(ds, "ST"));
    Names expected;
    for (const char* path : {"A", "A.B", "A.B.C", "L", "Z", "Z.B"}) expected.push_back(CString("PXABC2.") + path);
    EXPECT_EQ(DataSetMembers(ds), expected);
}

TEST_F(FcdaGenerateTest, ADataSetOutsideAServerIsRefused) {
    URI_Ref loose = MakeLDevice(kIcdDomain, "LOOSE", 1);
    URI_Ref inLoose = MakeLNode(loose, "", "PTOC", "1", 1, ptocType);
    URI_Ref orphanNode = Make(kIcdDomain, "sec:LNode", "PTOC2");
    Link(orphanNode, "sec:LNode.LNodeType", ptocType);
    const URI_Ref refused[] = {Make(kIcdDomain, "sec:DataSet", "noNode"), DataSet(orphanNode), DataSet(inLoose)};
    for (const URI_Ref& ds : refused) {
        EXPECT_FALSE(Generate(ds, "ST", CKiln_Main::CREATE_FCD_All, "", true));
        EXPECT_TRUE(DataSetMembers(ds).empty());
    }
    // One object on its own: without a name or a DOType nothing is made.
    std::set<CString> keys;
    URI_Ref ds = DataSet(MakeLNode(prot, "", "PTOC", "1", 1, ptocType));
    URI_Ref unnamed = MakeDO(ptocType, "", 20, m.sps);
    EXPECT_FALSE(app.Rsc_AutoCreateFCDA_DO("PROT/PTOC1", keys, ds, unnamed, inLoose, "ST", CKiln_Main::CREATE_FCD_All,
                                           ""));
    EXPECT_FALSE(app.Rsc_AutoCreateFCDA_DO("PROT/PTOC1", keys, ds, app.Get_DO_Dfn(inLoose, "NoType"), inLoose, "ST",
                                           CKiln_Main::CREATE_FCD_All, ""));
    EXPECT_TRUE(DataSetMembers(ds).empty());
}

TEST_F(FcdaGenerateTest, ALockedDataSetShowsTheCreatorsMessagePerMember) {
    MakeDomain("kiln.locked#", "二次模型装置ICD包");
    URI_Ref ptoc = MakeLNode(prot, "", "PTOC", "1", 1, ptocType);
    URI_Ref locked = Make("kiln.locked#", "sec:DataSet", "locked");
    Link(locked, "sec:DataSet.LNode", ptoc);
    Doc().SetDomainEditable("kiln.locked#", false);
    EXPECT_TRUE(Generate(locked, "ST", CKiln_Main::CREATE_FCD_All, "Str,Op"));
    EXPECT_EQ(ui.Messages(), (Names{"当前域不可编辑！-W0076", "当前域不可编辑！-W0076"}));
    EXPECT_TRUE(DataSetMembers(locked).empty());
}

}  // namespace
}  // namespace kiln::test
