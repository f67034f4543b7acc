// Places among siblings: moves with their clamps, counts, renumbering, the
// logical devices' list across servers, "Move To" along a given path, the
// ITB's order by group and entry, and LN instance numbering.
#include "tests/editing/editing_fixture.h"

namespace kiln::test {
namespace {

class SiblingOrderTest : public EditingTest {
protected:
    // A logical device with five nodes N1..N5 numbered 1..5.
    void MakeFive() {
        MakeDomain(kIcdDomain, "二次模型装置ICD包");
        ld = MakeLDevice(kIcdDomain, "LD", 1);
        for (int k = 1; k <= 5; ++k) nodes.push_back(MakeLNode(ld, "", "N", ToText(k), k));
        ui.ClearCalls();
    }
    std::vector<CString> Order() { return NamesAlong(ld, "sec:LDevice.LNodes"); }

    URI_Ref ld;
    std::vector<URI_Ref> nodes;
};

using Names = std::vector<CString>;

TEST_F(SiblingOrderTest, MovesWithinTheListAndBack) {
    MakeFive();
    EXPECT_TRUE(app.Rsc_Adjust_Order(nodes[1], 4));
    EXPECT_EQ(Order(), (Names{"N1", "N3", "N4", "N2", "N5"}));
    EXPECT_EQ(Ords(nodes), (std::vector<int>{1, 4, 2, 3, 5}));
    EXPECT_TRUE(app.Rsc_Adjust_Order(nodes[1], 2));
    EXPECT_EQ(Order(), (Names{"N1", "N2", "N3", "N4", "N5"}));
    EXPECT_EQ(Ords(nodes), (std::vector<int>{1, 2, 3, 4, 5}));

    // -1 is the last place.
    EXPECT_TRUE(app.Rsc_Adjust_Order(nodes[0], -1));
    EXPECT_EQ(Order(), (Names{"N2", "N3", "N4", "N5", "N1"}));
    EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(SiblingOrderTest, PlacesBeyondTheEndsAreClampedAndAnUnchangedPlaceIsRefused) {
    MakeFive();
    // Up from the first asks for 0, which becomes 1: nothing to do.
    EXPECT_FALSE(app.Rsc_Adjust_Order(nodes[0], 0));
    EXPECT_FALSE(app.Rsc_Adjust_Order(nodes[4], 6));
    EXPECT_FALSE(app.Rsc_Adjust_Order(nodes[4], -1));
    EXPECT_EQ(Ords(nodes), (std::vector<int>{1, 2, 3, 4, 5}));
    // A far place is the last one.
    EXPECT_TRUE(app.Rsc_Adjust_Order(nodes[2], 99));
    EXPECT_EQ(Order(), (Names{"N1", "N2", "N4", "N5", "N3"}));
    EXPECT_TRUE(app.Rsc_Adjust_Order(nodes[2], -7));
    EXPECT_EQ(Order(), (Names{"N3", "N1", "N2", "N4", "N5"}));
}

TEST_F(SiblingOrderTest, ACountRequestCountsAndWritesNothing) {
    MakeFive();
    int count = -1;
    EXPECT_TRUE(app.Rsc_Adjust_Order(nodes[1], 4, &count));
    EXPECT_EQ(count, 5);
    count = -1;
    EXPECT_TRUE(app.Rsc_Adjust_Order(nodes[1], -999, &count));
    EXPECT_EQ(count, 5);
    EXPECT_EQ(Ords(nodes), (std::vector<int>{1, 2, 3, 4, 5}));
}

TEST_F(SiblingOrderTest, RenumberingClosesGapsAndSplitsDuplicates) {
    MakeFive();
    const int gaps[] = {2, 5, 9, 9, 12};
    for (int k = 0; k < 5; ++k) Set(nodes[k], "e301:OrdNaming.ord", ToText(gaps[k]));
    EXPECT_TRUE(app.Rsc_Adjust_Order(nodes[4], -999));
    EXPECT_EQ(Ords(nodes), (std::vector<int>{1, 2, 3, 4, 5}));

    // Three siblings numbered 2, 5, 9 become 1, 2, 3.
    URI_Ref other = MakeLDevice(kIcdDomain, "LD2", 2);
    std::vector<URI_Ref> three{MakeLNode(other, "", "A", "", 2), MakeLNode(other, "", "B", "", 5),
                               MakeLNode(other, "", "C", "", 9)};
    EXPECT_TRUE(app.Rsc_Adjust_Order(three[0], -999));
    EXPECT_EQ(Ords(three), (std::vector<int>{1, 2, 3}));
}

TEST_F(SiblingOrderTest, RefusesLockedDomainsUnorderedClassesAndResourcesWithoutNumber) {
    MakeFive();
    URI_Ref unnumbered = MakeLNode(ld, "", "X", "", 0);
    EXPECT_FALSE(app.Rsc_Adjust_Order(unnumbered, 1));
    URI_Ref ied = Make(kIcdDomain, "sec:IED", "IED", 1);
    int count = -1;
    EXPECT_FALSE(app.Rsc_Adjust_Order(ied, 1, &count));
    EXPECT_EQ(count, -1);
    EXPECT_TRUE(ui.Messages().empty());

    Doc().SetDomainEditable(kIcdDomain, false);
    EXPECT_FALSE(app.Rsc_Adjust_Order(nodes[1], 4, &count));  // also for a count
    EXPECT_EQ(count, -1);
    EXPECT_EQ(ui.Messages(), (Names{"当前域不可编辑！-W0104"}));
    EXPECT_EQ(Ords(nodes), (std::vector<int>{1, 2, 3, 4, 5, }));
}

TEST_F(SiblingOrderTest, ALogicalDeviceMovesAmongAllDevicesOfItsIedButMoveToKeepsToItsServer) {
    IcdModel x = BuildIcd();
    // LD1, LD2 on S1 and LD3 on S2 form one list of three.
    int count = 0;
    EXPECT_TRUE(app.Rsc_Adjust_Order(x.ld1, 1, &count));
    EXPECT_EQ(count, 3);
    EXPECT_TRUE(app.Rsc_Adjust_Order(x.ld1, -1));
    EXPECT_EQ(Ords({x.ld1, x.ld2, x.ld3}), (std::vector<int>{3, 1, 2}));

    // "Move To" along the device's own server: LD1 and LD2 only.
    const CString ownServer = "sec:LDevice.Server/sec:Server.LDevices";
    EXPECT_FALSE(app.Change_Ord_To(x.ld1, ownServer, 3));
    EXPECT_TRUE(app.Change_Ord_To(x.ld1, ownServer, 1));
    EXPECT_EQ(Ords({x.ld1, x.ld2}), (std::vector<int>{1, 2}));
}

TEST_F(SiblingOrderTest, ChangeOrdToRenumbersFirstAndChecksThePlace) {
    MakeFive();
    const CString path = "sec:LNode.LDevice/sec:LDevice.LNodes";
    const int gaps[] = {3, 6, 9, 12, 15};
    for (int k = 0; k < 5; ++k) Set(nodes[k], "e301:OrdNaming.ord", ToText(gaps[k]));
    // The current place: true, and the list is numbered 1..n.
    EXPECT_TRUE(app.Change_Ord_To(nodes[2], path, 3));
    EXPECT_EQ(Ords(nodes), (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_FALSE(app.Change_Ord_To(nodes[2], path, 0));
    EXPECT_FALSE(app.Change_Ord_To(nodes[2], path, 6));
    EXPECT_FALSE(app.Change_Ord_To(nodes[2], "sec:LNode.Nothing", 1));  // an empty list

    EXPECT_TRUE(app.Change_Ord_To(nodes[4], path, 2));
    EXPECT_EQ(Order(), (Names{"N1", "N5", "N2", "N3", "N4"}));
    EXPECT_TRUE(app.Change_Ord_DownOne(nodes[4], path));
    EXPECT_EQ(Order(), (Names{"N1", "N2", "N5", "N3", "N4"}));
    EXPECT_TRUE(app.Change_Ord_UpOne(nodes[4], path));
    EXPECT_EQ(Order(), (Names{"N1", "N5", "N2", "N3", "N4"}));
    EXPECT_FALSE(app.Change_Ord_UpOne(nodes[0], path));

    ui.AnswerInput("4", "请输入序号：");
    EXPECT_TRUE(app.Change_Ord_To_AskPosition(nodes[0], path));
    EXPECT_EQ(Order(), (Names{"N5", "N2", "N3", "N1", "N4"}));
    ui.AnswerInput("abc");  // no number: place 0
    EXPECT_FALSE(app.Change_Ord_To_AskPosition(nodes[0], path));
    for (const char* past : {"4294967297", "-4294967295"}) {  // past the integer range: refused, not wrapped onto 1
        ui.ClearCalls();
        ui.AnswerInput(past);
        EXPECT_FALSE(app.Change_Ord_To_AskPosition(nodes[0], path)) << past;
        EXPECT_EQ(ui.Messages(), std::vector<CString>{"不合法的整数！"}) << past;
    }
    ui.AnswerInputCancel();
    EXPECT_FALSE(app.Change_Ord_To_AskPosition(nodes[0], path));
    EXPECT_EQ(Order(), (Names{"N5", "N2", "N3", "N1", "N4"}));
}

TEST_F(SiblingOrderTest, ShiftingFromANumberOn) {
    MakeFive();
    const CString path = "sec:LNode.LDevice/sec:LDevice.LNodes";
    EXPECT_TRUE(app.Change_AllOrd_DownNum(nodes[0], path, 3, 10));
    EXPECT_EQ(Ords(nodes), (std::vector<int>{1, 2, 13, 14, 15}));
    EXPECT_TRUE(app.Change_AllOrd_DownOne(nodes[0], path, 2));
    EXPECT_EQ(Ords(nodes), (std::vector<int>{1, 3, 14, 15, 16}));
    EXPECT_TRUE(app.Change_AllOrd_DownOne(nodes[0], "sec:LNode.Nothing", 1));
}

TEST_F(SiblingOrderTest, ItbItemsAreOrderedByGroupThenEntry) {
    IcdModel x = BuildIcd(false);
    // (group, entry, identifier) in the old order; the last item has the
    // smallest key, and two items share a key.
    struct Row { int group, entry; const char* id; };
    const Row rows[] = {{2, 1, "a"}, {1, 5, ""}, {1, 2, "c"}, {1, 2, "d"}, {0, 9, ""}};
    std::vector<URI_Ref> items{x.item1, x.item2};
    for (int k = 2; k < 5; ++k) items.push_back(MakeUnder(x.itb, "sec:InfoItem", "I" + ToText(k + 1),
                                                          "sec:InfoItem.ITB", k + 1));
    for (int k = 0; k < 5; ++k) {
        Set(items[k], "sec:InfoItem.p103_grp", ToText(rows[k].group));
        Set(items[k], "sec:InfoItem.p103_ent", ToText(rows[k].entry));
        Set(items[k], "sec:InfoItem.id", rows[k].id);
    }
    Set(items[4], "sec:InfoItem.p103_grp", "");  // counts as 0

    EXPECT_TRUE(app.Rsc_ITB_AutoOrd(x.itb));
    EXPECT_EQ(NamesAlong(x.itb, "sec:ITB.InfoItems"), (Names{"I5", "I3", "I4", "I2", "I1"}));
    // Items without identifier take their number from before the renumbering.
    EXPECT_EQ(Get(items[1], "sec:InfoItem.id"), "2");
    EXPECT_EQ(Get(items[4], "sec:InfoItem.id"), "5");
    EXPECT_EQ(Get(items[0], "sec:InfoItem.id"), "a");
    EXPECT_FALSE(app.Rsc_ITB_AutoOrd(URI_Ref()));
}

TEST_F(SiblingOrderTest, InstancesAreNumberedPerLnClass) {
    IcdModel x = BuildIcd(false);
    URI_Ref pdif = MakeLNodeType(m.stdPkg, "PDIF", 6);
    URI_Ref lower = MakeLNodeType(m.stdPkg, "lln0", 7);
    auto instType = [&](const char* name, const URI_Ref& cls) {
        URI_Ref t = MakeLNodeType(m.instPkg, name, 10);
        Link(t, "sec:LNodeType.ClassOf_LNType", cls);
        return t;
    };
    URI_Ref lln0Type = instType("I_LLN0", m.lln0), pdifType = instType("I_PDIF", pdif),
            lowerType = instType("I_lower", lower);
    URI_Ref ld = MakeUnder(x.s2, "sec:LDevice", "LD9", "sec:LDevice.Server", 4);
    URI_Ref a = MakeLNode(ld, "PROT", "PTOC", "7", 1, m.p1Ptoc);
    URI_Ref b = MakeLNode(ld, "", "LLN0", "", 2, lln0Type);
    URI_Ref c = MakeLNode(ld, "", "PTOC", "3", 3, m.p1Ptoc);
    URI_Ref d = MakeLNode(ld, "", "PDIF", "5", 4, pdifType);
    URI_Ref e = MakeLNode(ld, "", "lln0", "", 5, lowerType);
    URI_Ref untyped = MakeLNode(ld, "", "GGIO", "4", 6);

    EXPECT_TRUE(app.Rsc_AutoSort_LD_LNodeInst(ld));
    EXPECT_EQ(Get(a, "cim:Naming.name"), "PROTPTOC1");
    EXPECT_EQ(Get(c, "cim:Naming.name"), "PTOC2");
    EXPECT_EQ(Get(c, "sec:LNode.lnInst"), "2");
    EXPECT_EQ(Get(d, "cim:Naming.name"), "PDIF1");
    EXPECT_EQ(Get(b, "cim:Naming.name"), "LLN0");
    EXPECT_EQ(Get(b, "sec:LNode.lnInst"), "");
    EXPECT_EQ(Get(e, "cim:Naming.name"), "lln01");  // only "LLN0" exactly stays
    EXPECT_EQ(Get(untyped, "cim:Naming.name"), "GGIO4");

    // Over a whole ICD: the devices of its first server.
    Set(x.ptoc1, "cim:Naming.name", "PTOC9");
    Set(x.ptoc1, "sec:LNode.lnInst", "9");
    EXPECT_TRUE(app.Rsc_AutoSortLNodeInst(x.icd));
    EXPECT_EQ(Get(x.ptoc1, "cim:Naming.name"), "PTOC1");
    EXPECT_EQ(Get(a, "cim:Naming.name"), "PROTPTOC1");
}

}  // namespace
}  // namespace kiln::test
