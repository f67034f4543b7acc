// Definitions of DOs and DAs: inherited DOs, DOs by name, the data
// attributes of a DO with their paths, and the DA that a path or a DARef
// names; cyclic types included.
#include "tests/core/fixture.h"

namespace kiln::test {
namespace {

class DefinitionTest : public ModelTest {
protected:
    DefinitionTest() { ld = MakeLDevice(kInstDomain, "PROT", 1); }

    std::vector<CString> Paths(const Struct_DAs_ofDO& das) {
        std::vector<CString> out;
        for (const Struct_DAItem& item : das.vDAs) out.push_back(item.sPath);
        return out;
    }
    std::vector<CString> Walk(URI_Ref obj, std::vector<CString>* constraints = nullptr) {
        Struct_DAs_ofDO das;
        EXPECT_TRUE(app.Get_DAs_of_aDO(obj, &das, "", constraints));
        return Paths(das);
    }
    URI_Ref ld;
};

TEST_F(DefinitionTest, DOsOfATypeThenOfItsAbstractTypes) {
    std::vector<URI_Ref> dos, packages;
    EXPECT_TRUE(app.Get_DOs_of_Std_LNType(dos, packages, m.p1Ptoc));
    EXPECT_EQ(dos, (std::vector<URI_Ref>{m.p1PtocOp, m.ptocStr, m.ptocOp, m.commonMod, m.commonBeh,
                                         m.commonNamPlt}));
    EXPECT_EQ(packages, (std::vector<URI_Ref>{m.instPkg, m.stdPkg, m.stdPkg, m.stdPkg, m.stdPkg, m.stdPkg}));

    // A failed query (no type) is a failure.
    std::vector<URI_Ref> none, nonePackages;
    URI_Ref noType;
    EXPECT_FALSE(app.Get_DOs_of_Std_LNType(none, nonePackages, noType));
}

TEST_F(DefinitionTest, DOsOfTypesInACycleAreListedOnce) {
    URI_Ref a = MakeLNodeType(m.instPkg, "A", 5);
    URI_Ref b = MakeLNodeType(m.instPkg, "B", 6, a);
    Link(a, "sec:LNodeType.Abstract_Type", b);
    URI_Ref aDo = MakeDO(a, "X", 1, m.sps);
    URI_Ref bDo = MakeDO(b, "Y", 1, m.sps);
    std::vector<URI_Ref> dos, packages;
    EXPECT_TRUE(app.Get_DOs_of_Std_LNType(dos, packages, a));
    EXPECT_EQ(dos, (std::vector<URI_Ref>{aDo, bDo}));
    EXPECT_EQ(packages.size(), 2u);
}

TEST_F(DefinitionTest, DOByNamePrefersTheOwnTypeAndSearchesAbstractTypes) {
    URI_Ref lln0 = MakeLNode(ld, "", "LLN0", "", 1, m.lln0);
    EXPECT_EQ(app.Get_DO_Dfn(lln0, "Loc"), m.lln0Loc);
    EXPECT_EQ(app.Get_DO_Dfn(lln0, "Mod"), m.commonMod);  // declared only by the abstract type
    EXPECT_TRUE(app.Get_DO_Dfn(lln0, "mod").IsEmpty());
    EXPECT_TRUE(app.Get_DO_Dfn(lln0, "Op").IsEmpty());

    URI_Ref ptoc = MakeLNode(ld, "", "PTOC", "1", 2, m.p1Ptoc);
    EXPECT_EQ(app.Get_DO_Dfn(ptoc, "Op"), m.p1PtocOp);
    EXPECT_EQ(app.Get_DO_Dfn(ptoc, "Str"), m.ptocStr);

    URI_Ref untyped = MakeLNode(ld, "", "GGIO", "1", 3);
    EXPECT_TRUE(app.Get_DO_Dfn(untyped, "Mod").IsEmpty());
}

TEST_F(DefinitionTest, DOByNameEndsACycle) {
    URI_Ref a = MakeLNodeType(m.instPkg, "A", 5);
    URI_Ref b = MakeLNodeType(m.instPkg, "B", 6, a);
    Link(a, "sec:LNodeType.Abstract_Type", b);
    URI_Ref bDo = MakeDO(b, "Y", 1, m.sps);
    URI_Ref node = MakeLNode(ld, "", "A", "1", 1, a);
    EXPECT_EQ(app.Get_DO_Dfn(node, "Y"), bDo);
    EXPECT_TRUE(app.Get_DO_Dfn(node, "Z").IsEmpty());
}

TEST_F(DefinitionTest, StructuredMemberGivesItsPartsNotItself) {
    Struct_DAs_ofDO das;
    ASSERT_TRUE(app.Get_DAs_of_aDO(m.ptocStr, &das, "", nullptr));
    EXPECT_EQ(das.sDOName, "Str");
    EXPECT_EQ(das.uDO, m.ptocStr);
    ASSERT_EQ(das.vDAs.size(), 5u);
    const std::vector<CString> names = {"stVal[ST]", "q[ST]", "orCat", "orIdent", "d[DC]"};
    const std::vector<CString> paths = {"stVal[ST]", "q[ST]", "origin[ST].orCat", "origin[ST].orIdent", "d[DC]"};
    const std::vector<URI_Ref> members = {m.spsStVal, m.spsQ, m.orCat, m.orIdent, m.spsD};
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(das.vDAs[i].sName, names[i]);
        EXPECT_EQ(das.vDAs[i].sPath, paths[i]);
        EXPECT_EQ(das.vDAs[i].uRsc, members[i]);
    }
}

TEST_F(DefinitionTest, DAWithoutConstraintIsLeftOutWithItsParts) {
    URI_Ref t = MakeDOType(m.instPkg, "T", 9);
    MakeDA(t, "origin", 1, "", "Struct", m.originator);
    MakeDA(t, "stVal", 2, "ST", "BOOLEAN");
    URI_Ref lnType = MakeLNodeType(m.instPkg, "L", 9);
    URI_Ref obj = MakeDO(lnType, "O", 1, t);
    EXPECT_EQ(Walk(obj), std::vector<CString>{"stVal[ST]"});
}

TEST_F(DefinitionTest, ConstraintTextJoinsTheAlternatives) {
    URI_Ref t = MakeDOType(m.instPkg, "T", 9);
    URI_Ref gap = MakeDA(t, "gap", 1, "ST", "INT32");
    Set(gap, "sec:DA.fc_2", EnumValue("FCType", "SV"));  // fc_1 empty: fc_2 is not read
    URI_Ref three = MakeDA(t, "three", 2, "ST", "INT32");
    Set(three, "sec:DA.fc_1", EnumValue("FCType", "SV"));
    Set(three, "sec:DA.fc_2", EnumValue("FCType", "SG"));
    Set(three, "sec:DA.fc_3", EnumValue("FCType", "SE"));  // never read
    URI_Ref obj = MakeDO(MakeLNodeType(m.instPkg, "L", 9), "O", 1, t);
    EXPECT_EQ(Walk(obj), (std::vector<CString>{"gap[ST]", "three[ST,SV,SG]"}));
    EXPECT_EQ(Walk(m.commonMod), (std::vector<CString>{"stVal[ST,SV]", "ctlModel[CF]"}));
}

TEST_F(DefinitionTest, ConstraintListKeepsMatchingPaths) {
    std::vector<CString> cfDcEx = {"CF", "DC", "EX"};
    EXPECT_EQ(Walk(m.commonNamPlt, &cfDcEx), (std::vector<CString>{"vendor[DC]", "ldNs[EX]"}));
    EXPECT_EQ(Walk(m.commonMod, &cfDcEx), std::vector<CString>{"ctlModel[CF]"});
    std::vector<CString> st = {"ST"};
    // The parts of a structure pass by the constraint of the structure.
    EXPECT_EQ(Walk(m.ptocStr, &st),
              (std::vector<CString>{"stVal[ST]", "q[ST]", "origin[ST].orCat", "origin[ST].orIdent"}));
    // An alternative in the middle of the list matches as ",SV,".
    URI_Ref t = MakeDOType(m.instPkg, "T", 9);
    URI_Ref three = MakeDA(t, "three", 1, "ST", "INT32");
    Set(three, "sec:DA.fc_1", EnumValue("FCType", "SV"));
    Set(three, "sec:DA.fc_2", EnumValue("FCType", "SG"));
    std::vector<CString> sv = {"SV"};
    EXPECT_EQ(Walk(MakeDO(MakeLNodeType(m.instPkg, "L", 9), "O", 1, t), &sv), std::vector<CString>{"three[ST,SV,SG]"});
}

TEST_F(DefinitionTest, SubObjectsAndNestedStructuresGiveFullPaths) {
    const std::vector<CString> paths = Walk(m.mmxuA);
    ASSERT_EQ(paths.size(), 16u);
    EXPECT_EQ(paths[0], "phsA.cVal[MX].mag.f");
    EXPECT_EQ(paths[1], "phsA.cVal[MX].mag.i");
    EXPECT_EQ(paths[2], "phsA.cVal[MX].ang.f");  // a structure used twice on one level
    EXPECT_EQ(paths[4], "phsA.q[MX]");
    EXPECT_EQ(paths[5], "phsB.cVal[MX].mag.f");
    EXPECT_EQ(paths[14], "phsC.q[MX]");
    EXPECT_EQ(paths[15], "d[DC]");

    Struct_DAs_ofDO das;
    ASSERT_TRUE(app.Get_DAs_of_aDO(m.wyePhsA, &das, "A.", nullptr));  // starting at an SDO with a prefix
    EXPECT_TRUE(das.sDOName.IsEmpty());
    ASSERT_EQ(das.vDAs.size(), 5u);
    EXPECT_EQ(das.vDAs[4].sPath, "A.q[MX]");  // the start itself adds no name
    EXPECT_EQ(das.vDAs[4].sName, "q[MX]");
}

TEST_F(DefinitionTest, SecondWalkAppendsAndKeepsTheFirstName) {
    Struct_DAs_ofDO das;
    ASSERT_TRUE(app.Get_DAs_of_aDO(m.ptocStr, &das, "", nullptr));
    ASSERT_TRUE(app.Get_DAs_of_aDO(m.commonMod, &das, "", nullptr));
    EXPECT_EQ(das.sDOName, "Str");
    EXPECT_EQ(das.uDO, m.ptocStr);
    EXPECT_EQ(das.vDAs.size(), 7u);
}

TEST_F(DefinitionTest, TypesThatContainThemselvesEnd) {
    // A DO type with an SDO of its own type, and a structure with a member
    // of its own structure.
    URI_Ref selfDo = MakeDOType(m.instPkg, "SelfDO", 9);
    MakeSDO(selfDo, "again", 1, selfDo);
    MakeDA(selfDo, "a", 1, "ST", "BOOLEAN");
    URI_Ref selfDa = MakeDAType(m.instPkg, "SelfDA", 9);
    MakeBDA(selfDa, "x", 1, "INT32");
    MakeBDA(selfDa, "inner", 2, "Struct", selfDa);
    MakeDA(selfDo, "s", 2, "MX", "Struct", selfDa);
    URI_Ref obj = MakeDO(MakeLNodeType(m.instPkg, "L", 9), "O", 1, selfDo);
    EXPECT_EQ(Walk(obj), (std::vector<CString>{"a[ST]", "s[MX].x"}));
}

TEST_F(DefinitionTest, DAByPathIncludesTheConstraintBrackets) {
    EXPECT_TRUE(app.Get_DA_Dfn(m.ptocStr, "stVal").IsEmpty());
    EXPECT_EQ(app.Get_DA_Dfn(m.ptocStr, "stVal[ST]"), m.spsStVal);
    EXPECT_EQ(app.Get_DA_Dfn(m.ptocStr, "origin[ST].orIdent"), m.orIdent);
    EXPECT_TRUE(app.Get_DA_Dfn(m.ptocStr, "origin[ST]").IsEmpty());
    URI_Ref notAnObject = m.lln0;
    EXPECT_TRUE(app.Get_DA_Dfn(notAnObject, "stVal[ST]").IsEmpty());
}

TEST_F(DefinitionTest, DARefNamesItsDataAttribute) {
    URI_Ref node = MakeLNode(ld, "", "LLN0", "", 1, m.lln0);
    URI_Ref fcda = Make(kInstDomain, "sec:FCDA", "F1");
    Link(fcda, "sec:DARef.LNode", node);
    Set(fcda, "sec:DARef.doName", "Mod");
    Set(fcda, "sec:DARef.daName", "stVal[ST,SV]");
    EXPECT_EQ(app.Get_Dfn_ofDARef(fcda), m.incStVal);

    Set(fcda, "sec:DARef.daName", "");
    EXPECT_TRUE(app.Get_Dfn_ofDARef(fcda).IsEmpty());  // not the DO
    Set(fcda, "sec:DARef.daName", "stVal[ST,SV]");
    Set(fcda, "sec:DARef.doName", "Nothing");
    EXPECT_TRUE(app.Get_Dfn_ofDARef(fcda).IsEmpty());

    URI_Ref loose = Make(kInstDomain, "sec:FCDA", "F2");
    Set(loose, "sec:DARef.doName", "Mod");
    Set(loose, "sec:DARef.daName", "stVal[ST,SV]");
    EXPECT_TRUE(app.Get_Dfn_ofDARef(loose).IsEmpty());
}

}  // namespace
}  // namespace kiln::test
