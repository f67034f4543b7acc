// Member queries in name and sibling order, and the order reset.
#include "tests/core/fixture.h"

namespace kiln::test {
namespace {

constexpr const char* kOrd = "e301:OrdNaming.ord";

class SortResetTest : public CoreTest {
protected:
    SortResetTest() { MakeDomain(kInstDomain, "二次模型数据类型包"); }

    // One logical device per order value, in the order given.
    std::vector<URI_Ref> Devices(const std::vector<CString>& ords) {
        std::vector<URI_Ref> list;
        for (size_t i = 0; i < ords.size(); ++i) {
            URI_Ref ld = MakeLDevice(kInstDomain, "LD" + ToText(static_cast<int>(i)), 0);
            if (!ords[i].IsEmpty()) Set(ld, kOrd, ords[i]);
            list.push_back(ld);
        }
        return list;
    }
    std::vector<CString> Ords(const std::vector<URI_Ref>& list) {
        std::vector<CString> out;
        for (const URI_Ref& r : list) out.push_back(Get(r, kOrd));
        return out;
    }
};

TEST_F(SortResetTest, SortsByNumberNotByText) {
    std::vector<URI_Ref> list = Devices({"2", "10", "1"});
    app.Sort_Reset_Ord(&list, false, kOrd);
    EXPECT_EQ(Ords(list), (std::vector<CString>{"1", "2", "10"}));
}

TEST_F(SortResetTest, EqualNumbersKeepTheirOrder) {
    std::vector<URI_Ref> list = Devices({"3", "1", "3", "2"});
    const URI_Ref firstThree = list[0], secondThree = list[2];
    app.Sort_Reset_Ord(&list, false, kOrd);
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[2], firstThree);
    EXPECT_EQ(list[3], secondThree);
}

TEST_F(SortResetTest, NumbersAreReadLikeAtoi) {
    // Empty and non-numeric count as 0; blanks are skipped and the number
    // ends at the first other character; a huge number does not overflow.
    std::vector<URI_Ref> list = Devices({"5", "", "abc", " 7x", "-2", "99999999999999"});
    const URI_Ref empty = list[1], text = list[2];
    app.Sort_Reset_Ord(&list, false, kOrd);
    EXPECT_EQ(Ords(list), (std::vector<CString>{"-2", "", "abc", "5", " 7x", "99999999999999"}));
    EXPECT_EQ(list[1], empty);
    EXPECT_EQ(list[2], text);
}

TEST_F(SortResetTest, RenumberWritesOnlyWrongNumbers) {
    std::vector<URI_Ref> list = Devices({"4", "01", "3"});
    app.Sort_Reset_Ord(&list, true, kOrd);
    // "01" is already right in first place and is not rewritten.
    EXPECT_EQ(Ords(list), (std::vector<CString>{"01", "2", "3"}));
}

TEST_F(SortResetTest, EmptyAndSingleLists) {
    std::vector<URI_Ref> none;
    app.Sort_Reset_Ord(&none, true, kOrd);
    EXPECT_TRUE(none.empty());
    app.Sort_Reset_Ord(nullptr, true, kOrd);

    std::vector<URI_Ref> one = Devices({"7"});
    app.Sort_Reset_Ord(&one, false, kOrd);
    EXPECT_EQ(Ords(one), std::vector<CString>{"7"});
    app.Sort_Reset_Ord(&one, true, kOrd);
    EXPECT_EQ(Ords(one), std::vector<CString>{"1"});
}

TEST_F(SortResetTest, WorksOnTheAttributeItIsGiven) {
    URI_Ref ld = MakeLDevice(kInstDomain, "LD", 1);
    std::vector<URI_Ref> list = {MakeLNode(ld, "", "PTOC", "3", 1), MakeLNode(ld, "", "PTOC", "1", 2)};
    app.Sort_Reset_Ord(&list, true, "sec:LNode.lnInst");
    EXPECT_EQ(Get(list[0], "sec:LNode.lnInst"), "1");
    EXPECT_EQ(Get(list[1], "sec:LNode.lnInst"), "2");
    // the order numbers are left alone
    EXPECT_EQ(Get(list[0], kOrd), "2");
    EXPECT_EQ(Get(list[1], kOrd), "1");
}

TEST_F(SortResetTest, StaleHandleCountsAsZeroAndIsNotWritten) {
    std::vector<URI_Ref> list = Devices({"2", "1"});
    URI_Ref gone = list[0];
    ASSERT_TRUE(Doc().DeleteResource(gone));
    app.Sort_Reset_Ord(&list, true, kOrd);
    EXPECT_EQ(list[0], gone);
    EXPECT_EQ(Get(list[1], kOrd), "2");
}

using SortedQueryTest = ModelTest;

TEST_F(SortedQueryTest, ShortFormsSortByNameOrBySiblingOrder) {
    std::vector<URI_Ref> out = {m.sps};  // replaced, not appended to
    ASSERT_TRUE(app.DocMtd_get_Association_BUris_SortByOrd(m.stdPkg, "sec:TypePackage.LNodeTypes", out));
    EXPECT_EQ(out, (std::vector<URI_Ref>{m.commonLN, m.lln0, m.lphd, m.ptoc, m.mmxu}));
    ASSERT_TRUE(app.DocMtd_get_Association_BUris_SortByName(m.stdPkg, "sec:TypePackage.LNodeTypes", out));
    EXPECT_EQ(out, (std::vector<URI_Ref>{m.commonLN, m.lln0, m.lphd, m.mmxu, m.ptoc}));
}

TEST_F(SortedQueryTest, PathQueriesSortTheWholeResultOnce) {
    std::vector<URI_Ref> out = {m.sps};
    URI_Ref last;
    ASSERT_NE(app.DocMtd_get_descendent_BUris_SortByName(m.stdPkg, "sec:TypePackage.LNodeTypes/sec:LNodeType.DOs",
                                                         out, last),
              0);
    EXPECT_EQ(out, (std::vector<URI_Ref>{m.mmxuA, m.commonBeh, m.lln0Loc, m.commonMod, m.commonNamPlt, m.ptocOp,
                                         m.lphdPhyHealth, m.lphdProxy, m.ptocStr}));
    ASSERT_NE(app.DocMtd_get_descendent_BUris_SortByOrd(m.ptoc, "sec:LNodeType.DOs", out, last), 0);
    EXPECT_EQ(out, (std::vector<URI_Ref>{m.ptocStr, m.ptocOp}));
}

TEST_F(SortedQueryTest, EmptyResultIsSuccessAndFailedQueryIsZero) {
    std::vector<URI_Ref> out = {m.sps};
    URI_Ref last;
    EXPECT_NE(app.DocMtd_get_descendent_BUris(m.vector, "sec:DAType.Contains_BDAs/sec:BDA.Vals", out, last, kOrd,
                                              SortPolicy_ByOrd),
              0);
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(app.DocMtd_get_descendent_BUris(URI_Ref(), "sec:LNodeType.DOs", out, last, kOrd, SortPolicy_ByOrd), 0);
    EXPECT_FALSE(app.DocMtd_get_Association_BUris(URI_Ref(), "sec:LNodeType.DOs", out, kOrd, SortPolicy_ByOrd));
}

TEST_F(SortedQueryTest, ClassQueryWithoutSortAttributeSortsByName) {
    // Order numbers of the DOTypes: SPS 1, INC 2, LPL 3, CMV 4, WYE 5, P1_SPS 1.
    std::vector<URI_Ref> out;
    ASSERT_TRUE(app.DocMtd_get_Uris_byClassName_sortName("sec:DOType", out, "", SortPolicy_ByOrd));
    EXPECT_EQ(out, (std::vector<URI_Ref>{m.cmv, m.inc, m.lpl, m.p1Sps, m.sps, m.wye}));
    ASSERT_TRUE(app.DocMtd_get_Uris_byClassName_sortName("sec:DOType", out, kOrd, SortPolicy_ByOrd));
    EXPECT_EQ(out, (std::vector<URI_Ref>{m.sps, m.p1Sps, m.inc, m.lpl, m.cmv, m.wye}));
}

}  // namespace
}  // namespace kiln::test
