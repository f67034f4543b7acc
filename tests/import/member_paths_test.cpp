// Member path tables of DO and DA types and the path indexes of an imported
// instance, on the standard model of the fixture.
#include "tests/import/import_fixture.h"

#include <iterator>
#include <set>

namespace kiln::test {
namespace {

std::vector<CString> Keys(const ImportNameTable& table) {
    std::vector<CString> keys;
    for (const auto& [k, v] : table) keys.push_back(k);
    return keys;
}

TEST_F(ImportTest, PathTablesOfSDOsDAsAndStructMembers) {
    ImportNameTable t;
    imp.Collect_DAPaths(&app, m.wyePhsA, &t, "A.phsA");
    const std::vector<CString> cmv = {"A.phsA",
                                      "A.phsA.cVal",
                                      "A.phsA.cVal.ang",
                                      "A.phsA.cVal.ang.f",
                                      "A.phsA.cVal.ang.i",
                                      "A.phsA.cVal.mag",
                                      "A.phsA.cVal.mag.f",
                                      "A.phsA.cVal.mag.i",
                                      "A.phsA.cVal[MX]",
                                      "A.phsA.cVal[MX].ang",
                                      "A.phsA.cVal[MX].ang.f",
                                      "A.phsA.cVal[MX].ang.i",
                                      "A.phsA.cVal[MX].mag",
                                      "A.phsA.cVal[MX].mag.f",
                                      "A.phsA.cVal[MX].mag.i",
                                      "A.phsA.q",
                                      "A.phsA.q[MX]"};
    EXPECT_EQ(Keys(t), cmv);
    EXPECT_EQ(t["A.phsA"], m.wyePhsA);
    EXPECT_EQ(t["A.phsA.cVal[MX]"], m.cmvCVal);
    EXPECT_EQ(t["A.phsA.cVal.mag"], m.vecMag);
    EXPECT_EQ(t["A.phsA.cVal[MX].ang.f"], m.avF);

    // The SDO table: the SDOs alone, nested ones included.
    URI_Ref outer = MakeDOType(m.stdPkg, "Outer", 9);
    URI_Ref mid = MakeSDO(outer, "mid", 1, m.wye);
    MakeDA(outer, "x", 1, "", "BOOLEAN");
    ImportNameTable s;
    imp.Collect_SDOPaths(&app, mid, &s, "D.mid");
    EXPECT_EQ(Keys(s), (std::vector<CString>{"D.mid", "D.mid.phsA", "D.mid.phsB", "D.mid.phsC"}));

    // An SDO without type gives its own path; a DA without FC empty brackets.
    URI_Ref bare = MakeSDO(outer, "bare", 2, URI_Ref());
    ImportNameTable b;
    imp.Collect_DAPaths(&app, bare, &b, "P");
    imp.Collect_SDOPaths(&app, bare, &b, "Q");
    EXPECT_EQ(Keys(b), (std::vector<CString>{"P", "Q"}));
    URI_Ref holderType = MakeDOType(m.stdPkg, "Holder", 10);
    URI_Ref holder = MakeSDO(holderType, "holder", 1, outer);
    ImportNameTable h;
    imp.Collect_DAPaths(&app, holder, &h, "H");
    EXPECT_EQ(h.count("H.x[]"), 1u);
    EXPECT_EQ(h.count("H.x"), 1u);
    EXPECT_EQ(h.count("H.mid.phsB.q[MX]"), 1u);
}

TEST_F(ImportTest, AnExistingPathKeepsItsResourceAndTheWalkGoesOn) {
    ImportNameTable t;
    t.emplace("P.cVal", m.spsD);
    imp.Collect_DAPaths(&app, m.wyePhsA, &t, "P");
    EXPECT_EQ(t["P.cVal"], m.spsD);
    EXPECT_EQ(t["P.cVal.mag.f"], m.avF);
    EXPECT_EQ(t.count("P.stVal"), 0u);
    EXPECT_EQ(t.count("P.StVal"), 0u);
}

TEST_F(ImportTest, SelfContainingTypesEndTheWalks) {
    URI_Ref loopDO = MakeDOType(m.instPkg, "LoopDO", 1);
    URI_Ref self = MakeSDO(loopDO, "self", 1, loopDO);
    URI_Ref loopDA = MakeDAType(m.instPkg, "LoopDA", 1);
    URI_Ref me = MakeBDA(loopDA, "me", 1, "Struct", loopDA);
    MakeDA(loopDO, "v", 1, "ST", "Struct", loopDA);
    ImportNameTable t;
    imp.Collect_SDOPaths(&app, self, &t, "S");
    imp.Collect_DAPaths(&app, self, &t, "D");
    imp.Collect_BDAPaths(&app, me, &t, "B[ST]", "B");
    EXPECT_EQ(t.count("S.self"), 1u);
    EXPECT_EQ(t.count("D.v[ST].me"), 1u);
    EXPECT_EQ(t.count("B.me.me"), 1u);
    EXPECT_LT(t.size(), 40u);
}

// A hand-built instance: LD PROT with PTOC1 (the instance type P1_PTOC, based
// on PTOC), MMXU1, a node without type; a second server with LD OTHER.
class IndexTest : public ImportTest {
protected:
    IndexTest() {
        URI_Ref server = Target(Ied(), "sec:IED.Servers");
        URI_Ref prot = MakeUnder(server, "sec:LDevice", "PROT", "sec:LDevice.Server", 1);
        MakeLNode(prot, "", "PTOC", "1", 1, m.p1Ptoc);
        MakeLNode(prot, "", "XXXX", "1", 2);
        MakeLNode(prot, "Q0", "MMXU", "1", 3, m.mmxu);
        URI_Ref server2 = MakeUnder(Ied(), "sec:Server", "S2", "sec:Server.IED");
        URI_Ref other = MakeUnder(server2, "sec:LDevice", "OTHER", "sec:LDevice.Server", 1);
        MakeLNode(other, "", "PTOC", "2", 1, m.ptoc);
    }
};

TEST_F(IndexTest, InstanceIndexesCoverTypesAndBaseTypes) {
    ImportNameTable das;
    ASSERT_TRUE(imp.Index_ICD_DAs(&app, icd, das));
    ASSERT_TRUE(imp.Index_ICD_LNodes(&app, icd));
    EXPECT_EQ(das["PROT/PTOC1.Str.stVal"], m.spsStVal);
    EXPECT_EQ(das["PROT/PTOC1.Str.stVal[ST]"], m.spsStVal);
    EXPECT_EQ(das["PROT/PTOC1.Str.origin[ST].orCat"], m.orCat);
    EXPECT_EQ(das["PROT/PTOC1.Mod.stVal"], m.incStVal);   // from the abstract class
    EXPECT_EQ(das["PROT/PTOC1.Op.stVal"], m.p1SpsStVal);  // the type's own Op wins
    EXPECT_EQ(das.count("PROT/PTOC1.Op"), 0u);
    EXPECT_EQ(das["PROT/Q0MMXU1.A.phsA.cVal[MX].mag.f"], m.avF);
    EXPECT_EQ(das["PROT/Q0MMXU1.A.phsA"], m.wyePhsA);
    EXPECT_EQ(imp.m_mapInstPaths["PROT/PTOC1.Str"], m.ptocStr);
    EXPECT_EQ(imp.m_mapInstPaths["PROT/PTOC1.Op"], m.p1PtocOp);
    EXPECT_EQ(imp.m_mapInstPaths["PROT/Q0MMXU1.A.phsC"], m.wyePhsC);
    EXPECT_EQ(imp.m_mapInstPaths.count("PROT/Q0MMXU1.A.phsC.cVal"), 0u);
    for (const auto& [k, v] : das) {
        EXPECT_EQ(k.Find("XXXX"), -1) << k;
        EXPECT_EQ(k.Find("OTHER"), -1) << k;  // only the first server is indexed
    }
    for (const auto& [k, v] : imp.m_mapInstPaths) EXPECT_EQ(k.Find("OTHER"), -1) << k;
}

// Limited to the paths asked for, the index holds exactly those of them the
// whole index holds, with the same members; a prefix or a longer path of an
// indexed one is not indexed by being close to it.
TEST_F(IndexTest, AnIndexOfTheAskedPathsIsTheWholeIndexCutDown) {
    ImportNameTable all;
    ASSERT_TRUE(imp.Index_ICD_DAs(&app, icd, all));
    ASSERT_GT(all.size(), 8u);
    std::set<CString> asked{"PROT/PTOC1.Str.stVal[ST]", "PROT/PTOC1.Op.stVal", "PROT/PTOC1.Op",
                            "PROT/PTOC1.Str.stVa",      "PROT/PTOC1.Str.stVal.x", "PROT/Q0MMXU1.A.phsA.cVal[MX].mag.f",
                            "PROT/XXXX1.Mod.stVal",     "OTHER/PTOC2.Str.stVal",  "PROT/PTOC1.Str"};
    for (auto it = all.begin(); it != all.end(); std::advance(it, 3)) {
        asked.insert(it->first);
        if (std::distance(it, all.end()) < 3) break;
    }
    ImportNameTable some;
    ASSERT_TRUE(imp.Index_ICD_DAs(&app, icd, some, &asked));
    ImportNameTable expected;
    for (const auto& entry : all)
        if (asked.count(entry.first)) expected.insert(entry);
    EXPECT_EQ(some, expected);
    EXPECT_EQ(some.count("PROT/Q0MMXU1.A.phsA.cVal[MX].mag.f"), 1u);
    EXPECT_EQ(some.count("PROT/PTOC1.Str.stVa"), 0u);
}

TEST_F(IndexTest, IndexesOfAMissingICDStructureFail) {
    ImportNameTable das;
    EXPECT_FALSE(imp.Index_ICD_LNodes(&app, URI_Ref()));
    URI_Ref bare = Make(DomainOf(icd), "sec:ICD", "Bare");
    EXPECT_FALSE(imp.Index_ICD_DAs(&app, bare, das));
    EXPECT_FALSE(imp.Index_ICD_LNodes(&app, bare));
    EXPECT_TRUE(das.empty());
    EXPECT_TRUE(imp.m_mapInstPaths.empty());
}

TEST_F(IndexTest, CyclicBaseTypesEndTheIndex) {
    // P1_PTOC -> PTOC -> CommonLN -> P1_PTOC
    Link(m.commonLN, "sec:LNodeType.Abstract_Type", m.p1Ptoc);
    ImportNameTable das;
    ASSERT_TRUE(imp.Index_ICD_DAs(&app, icd, das));
    ASSERT_TRUE(imp.Index_ICD_LNodes(&app, icd));
    EXPECT_EQ(das["PROT/PTOC1.Beh.stVal"], m.incStVal);
}

}  // namespace
}  // namespace kiln::test
