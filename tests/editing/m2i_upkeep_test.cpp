// M2I upkeep: which data-object and data-attribute names of mapping items
// still resolve (sub-data objects on either side, functional constraints,
// structs, enumeration values, inherited data objects), and the emptying of
// all attribute names.
#include "tests/editing/editing_fixture.h"

namespace kiln::test {
namespace {

class M2IUpkeepTest : public EditingTest {
protected:
    M2IUpkeepTest() {
        MakeDomain(kIcdDomain, "二次模型装置ICD包");
        URI_Ref ld = MakeLDevice(kIcdDomain, "LD", 1);
        mmxu = MakeLNode(ld, "", "MMXU", "1", 1, m.mmxu);
        ptoc = MakeLNode(ld, "", "PTOC", "1", 2, m.ptoc);
        p1ptoc = MakeLNode(ld, "", "PTOC", "2", 3, m.p1Ptoc);
        m2i = Make(kIcdDomain, "sec:M2I", "M2I");
        ui.ClearCalls();
    }
    URI_Ref Item(const URI_Ref& node, const CString& doName, const CString& daName) {
        ++count;
        URI_Ref item = MakeUnder(m2i, "sec:MapItem", "M" + ToText(count), "sec:MapItem.M2I", count);
        if (node.IsSet()) Link(item, "sec:DARef.LNode", node);
        Set(item, "sec:DARef.doName", doName);
        Set(item, "sec:DARef.daName", daName);
        return item;
    }

    URI_Ref NodeOf(int node) {
        const URI_Ref nodes[] = {URI_Ref(), mmxu, ptoc, p1ptoc};
        return nodes[node];
    }

    URI_Ref mmxu, ptoc, p1ptoc, m2i;
    int count = 0;
};

enum Node { kNoNode, kMmxu, kPtoc, kP1Ptoc };

struct RefCase {
    Node node;
    const char* doName;
    const char* daName;
    bool keepsDo, keepsDa;
};

TEST_F(M2IUpkeepTest, NamesAreKeptExactlyWhenTheyResolve) {
    Set(m.incStVal, "sec:DA.fc_3", EnumValue("FCType", "CO"));  // a fourth constraint does not count
    // A name twice in one list: the first member of the name counts (the
    // rows of phsA and origin below).
    MakeSDO(m.wye, "phsA", 9, m.sps);
    MakeDA(m.sps, "origin", 9, "ST", "BOOLEAN");
    const RefCase cases[] = {
        // sub-data objects at the head of the attribute name, or in the object name
        {kMmxu, "A", "phsA.cVal.mag.f", true, true},
        {kMmxu, "A.phsA", "cVal.mag.f", true, true},
        {kMmxu, "A.phsA", "cVal[MX].mag", true, true},
        {kMmxu, "A", "phsA", true, false},            // a sub-data object alone
        {kMmxu, "A", "phsA.phsB.cVal", true, false},  // phsB is no member of phsA
        {kMmxu, "A.phsX", "cVal", false, false},
        {kMmxu, "A", "d[DC]", true, true},
        // functional constraints: the first three only
        {kPtoc, "Op", "stVal[ST]", true, true},
        {kPtoc, "Mod", "stVal[SV]", true, true},
        {kPtoc, "Mod", "stVal[CO]", true, false},
        {kPtoc, "Op", "stVal[MX]", true, false},
        // structs, enumeration values, basic types
        {kPtoc, "Op", "origin[ST].orCat", true, true},
        {kPtoc, "Op", "origin.orCat.status-only", true, true},
        {kPtoc, "Mod", "ctlModel[CF].direct-with-normal-security", true, true},
        {kPtoc, "Mod", "ctlModel.unknown", true, false},
        {kPtoc, "Op", "stVal.x", true, false},
        {kPtoc, "Op", "q.", true, false},
        {kPtoc, "Op", "", true, false},
        {kPtoc, "Op", "Stval", true, false},  // case counts
        // the data object: of the type, or of its abstract types in turn
        {kPtoc, "NamPlt", "vendor", true, true},
        {kP1Ptoc, "Op", "q", true, true},
        {kP1Ptoc, "Str", "stVal", true, true},
        {kP1Ptoc, "Beh", "stVal[SV]", true, true},
        {kP1Ptoc, "A", "phsA.cVal", false, false},
        {kPtoc, "", "stVal", false, false},
        {kPtoc, ".Op", "stVal", false, false},
        {kNoNode, "Op", "stVal", false, false},
    };
    std::vector<URI_Ref> items;
    for (const RefCase& c : cases) items.push_back(Item(NodeOf(c.node), c.doName, c.daName));

    EXPECT_TRUE(app.Refresh_M2I(m2i));
    for (size_t k = 0; k < items.size(); ++k) {
        const RefCase& c = cases[k];
        const CString where = CString(c.doName) + " / " + c.daName;
        EXPECT_EQ(Get(items[k], "sec:DARef.doName"), c.keepsDo ? c.doName : "") << where;
        EXPECT_EQ(Get(items[k], "sec:DARef.daName"), c.keepsDa ? c.daName : "") << where;
        // The node link stays as it was, and so does the item.
        EXPECT_EQ(Doc().FirstTarget(items[k], "sec:DARef.LNode"), NodeOf(c.node)) << where;
    }
    EXPECT_EQ(NamesAlong(m2i, "sec:M2I.MapItems").size(), items.size());
    EXPECT_TRUE(ui.Calls().empty());
}

TEST_F(M2IUpkeepTest, ReferencesGoStaleWhenTheModelChanges) {
    URI_Ref kept = Item(ptoc, "Op", "stVal[ST]");
    URI_Ref onDeletedNode = Item(mmxu, "A", "phsA.cVal");
    URI_Ref onDeletedDa = Item(ptoc, "Str", "q");
    EXPECT_TRUE(app.Rsc_Delete(mmxu, false));
    EXPECT_TRUE(Doc().DeleteResource(m.spsQ));
    EXPECT_TRUE(app.Refresh_M2I(m2i));
    EXPECT_EQ(Get(kept, "sec:DARef.daName"), "stVal[ST]");
    EXPECT_EQ(Get(onDeletedNode, "sec:DARef.doName"), "");
    EXPECT_EQ(Get(onDeletedNode, "sec:DARef.daName"), "");
    EXPECT_TRUE(Alive(onDeletedNode));
    EXPECT_EQ(Get(onDeletedDa, "sec:DARef.doName"), "Str");
    EXPECT_EQ(Get(onDeletedDa, "sec:DARef.daName"), "");
}

TEST_F(M2IUpkeepTest, AnotherClassChangesNothingAndDaNamesCanBeEmptiedAll) {
    URI_Ref a = Item(ptoc, "Nothing", "stVal");
    URI_Ref b = Item(ptoc, "Op", "stVal");
    EXPECT_TRUE(app.Refresh_M2I(ptoc));
    EXPECT_TRUE(app.Refresh_M2I(URI_Ref()));
    EXPECT_EQ(Get(a, "sec:DARef.doName"), "Nothing");

    EXPECT_TRUE(app.Rsc_Del_DA_M2I(m2i));
    for (const URI_Ref& item : {a, b}) {
        EXPECT_EQ(Get(item, "sec:DARef.daName"), "");
        EXPECT_EQ(Doc().FirstTarget(item, "sec:DARef.LNode"), ptoc);
    }
    EXPECT_EQ(Get(a, "sec:DARef.doName"), "Nothing");
    EXPECT_EQ(Get(b, "sec:DARef.doName"), "Op");
}

TEST_F(M2IUpkeepTest, TheResolversOnTheirOwn) {
    URI_Ref found;
    EXPECT_TRUE(app.isDOName_In_DOSequence("A.phsB", {m.mmxuA}, found));
    EXPECT_EQ(found, m.wyePhsB);
    EXPECT_FALSE(app.isDOName_In_DOSequence("phsB", {m.mmxuA}, found));

    CString rest = "unchanged";
    URI_Ref last;
    EXPECT_TRUE(app.GetSDO_FromDO("phsC.cVal.mag", m.mmxuA, rest, last));
    EXPECT_EQ(rest, "cVal.mag");
    EXPECT_EQ(last, m.wyePhsC);
    // The last component is never taken for a sub-data object; nor is
    // anything below a DA.
    EXPECT_FALSE(app.GetSDO_FromDO("phsC", m.mmxuA, rest, last));
    EXPECT_FALSE(app.GetSDO_FromDO("f.x", m.cmvCVal, rest, last));

    EXPECT_TRUE(app.isDAName_In_DASequence("mag.i", {m.vecAng, m.vecMag}));
    EXPECT_FALSE(app.isDAName_In_DASequence("mag.i", {}));
}

}  // namespace
}  // namespace kiln::test
