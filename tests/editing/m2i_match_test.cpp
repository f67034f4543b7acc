// Matching information items to data objects by the rules in the logical
// nodes' descriptions: the rule grammar, which node keeps a key, the order
// of an item's keys, several DO names for one key, the selection of items,
// and the restriction to one device or node.
#include "tests/editing/editing_fixture.h"

namespace kiln::test {
namespace {

class M2IMatchTest : public EditingTest {
protected:
    M2IMatchTest() {
        MakeDomain(kIcdDomain, "二次模型装置ICD包");
        icd = Make(kIcdDomain, "sec:ICD", "P1");
        URI_Ref ied = MakeUnder(icd, "sec:IED", "P1_IED", "sec:IED.ICD");
        URI_Ref server = MakeUnder(ied, "sec:Server", "S1", "sec:Server.IED");
        ld1 = MakeUnder(server, "sec:LDevice", "LD1", "sec:LDevice.Server", 1);
        ld2 = MakeUnder(server, "sec:LDevice", "LD2", "sec:LDevice.Server", 2);
        itb = MakeUnder(icd, "sec:ITB", "ITB", "sec:ITB.ICD");
        m2i = MakeUnder(icd, "sec:M2I", "M2I", "sec:M2I.ICD");
        Link(m2i, "sec:M2I.ITB", itb);
        type = MakeLNodeType(m.instPkg, "T_GGIO", 40);
        MakeDO(type, "Ind1", 1, m.sps);
        MakeDO(type, "Ind2", 2, m.sps);
        MakeDO(type, "", 3, m.sps);  // a DO without a name takes no part
        ui.ClearCalls();
    }

    URI_Ref Node(const URI_Ref& ld, const CString& description, const URI_Ref& lnType = URI_Ref()) {
        ++count;
        URI_Ref n = MakeLNode(ld, "", "GGIO", ToText(count), count, lnType.IsSet() ? lnType : type);
        if (!description.IsEmpty()) Set(n, "cim:Naming.description", description);
        return n;
    }
    URI_Ref Item(const CString& name, const CString& typ = "", const CString& grp = "", const CString& id = "") {
        ++count;
        URI_Ref item = MakeUnder(itb, "sec:InfoItem", name, "sec:InfoItem.ITB", count);
        Set(item, "sec:InfoItem.p103_typ", typ);
        Set(item, "sec:InfoItem.p103_grp", grp);
        Set(item, "sec:InfoItem.id", id);
        return item;
    }
    URI_Ref MapItem(const URI_Ref& item) {
        ++count;
        URI_Ref mapItem = MakeUnder(m2i, "sec:MapItem", "M" + ToText(count), "sec:MapItem.M2I", count);
        Link(mapItem, "sec:MapItem.InfoItem", item);
        return mapItem;
    }
    bool Run(std::vector<CString> selected = {}, std::vector<CString> excluded = {}, URI_Ref ld = URI_Ref(),
             URI_Ref ln = URI_Ref()) {
        CStringArray sel, exc;
        for (const CString& s : selected) sel.Add(s);
        for (const CString& e : excluded) exc.Add(e);
        return app.Rsc_MatchM2I_ByDoDesc(m2i, exc, sel, ld, ln);
    }
    std::vector<URI_Ref> MapItems(const URI_Ref& item) {
        std::vector<URI_Ref> out;
        Doc().Targets(item, "sec:InfoItem.MapItem", out, "e301:OrdNaming.ord", 3);
        return out;
    }
    // "node name/DO name" of each mapping item of the item ("" for one without a node).
    std::vector<CString> Targets(const URI_Ref& item) {
        std::vector<CString> out;
        for (const URI_Ref& mapItem : MapItems(item)) {
            URI_Ref node = Doc().FirstTarget(mapItem, "sec:DARef.LNode");
            out.push_back(node.IsSet() ? Get(node, "cim:Naming.name") + "/" + Get(mapItem, "sec:DARef.doName") : "");
        }
        return out;
    }

    URI_Ref icd, ld1, ld2, itb, m2i, type;
    int count = 0;
};

using Texts = std::vector<CString>;

TEST_F(M2IMatchTest, TheRulesOfADescription) {
    URI_Ref node = Node(ld1, "");
    const struct {
        const char* description;
        const char* name;
        const char* typ;
        const char* grp;
        const char* target;  // DO name, "" for no match
    } rows[] = {
        {"", "Ind1", "", "", ""},                      // an empty description takes no part
        {"主变保护", "Ind1", "", "", "Ind1"},          // no brackets: the DO names
        {"a[]b", "Ind2", "", "", "Ind2"},              // "[]" too
        {"a[]b", "Ind3", "", "", ""},
        {"[G3]", "Ind1", "", "3", "Ind1"},             // group stem
        {"[G3]", "Ind1", "", "4", ""},
        {"[1]", "Ind2", "1", "", "Ind2"},              // type stem
        {"x[1]", "Ind2", "", "1", ""},
        {"]G3[", "Ind1", "", "3", ""},                 // "]" before "[": no stem
        {"[G3", "Ind1", "", "3", ""},                  // no "]"
        {"[Ind1=Trip]", "Trip", "", "", "Ind1"},       // pairs
        {"[Ind1=Trip][Ind9=Alarm]", "Alarm", "", "", "Ind9(无)"},
        {"Ind2=Go]", "Go", "", "", "Ind2"},            // "]" without "[": the item from the start
        {"[Ind1=]", "", "", "", ""},                   // an empty right side
        {"[Ind1Trip][Ind2=Go]", "Ind1Trip", "", "", ""},  // an item without "="
        {"[Ind1Trip][Ind2=Go]", "Go", "", "", "Ind2"},
        {"[Ind1=a=b]", "a=b", "", "", "Ind1"},         // the first "=" splits
        {"[Ind1=Trip]tail[Ind2=Go]", "Go", "", "", "Ind2"},
        {"[Ind1=Trip]", "Ind1", "", "", ""},           // pairs register no DO names
        {"[Ind1=Trip", "Trip", "", "", ""},            // no "]": no pair
    };
    int k = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.description + CString(" / ") + row.name);
        Set(node, "cim:Naming.description", row.description);
        const CString id = "r" + ToText(++k);
        URI_Ref item = Item(row.name, row.typ, row.grp, id);
        EXPECT_TRUE(Run({id}));
        const CString target = *row.target ? Get(node, "cim:Naming.name") + "/" + row.target : CString();
        EXPECT_EQ(Targets(item), Texts{target});
    }
    EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(M2IMatchTest, TheFirstNodeKeepsAKey) {
    URI_Ref first = Node(ld1, "保护"), second = Node(ld2, "测控");
    URI_Ref g1 = Node(ld1, "[G3]"), g2 = Node(ld2, "[G3]");
    URI_Ref p1 = Node(ld1, "[Ind1=Trip]"), p2 = Node(ld2, "[Ind2=Trip][Ind1=Close]");
    URI_Ref byName = Item("Ind1"), byGroup = Item("Ind2", "", "3"), trip = Item("Trip"), close = Item("Close");
    MapItem(trip);
    MapItem(trip);
    EXPECT_TRUE(Run());
    const CString n = "cim:Naming.name";
    EXPECT_EQ(Targets(byName), Texts{Get(first, n) + "/Ind1"});
    EXPECT_EQ(Targets(byGroup), Texts{Get(g1, n) + "/Ind2"});
    // A later node's pair for a key of an earlier one adds nothing to it.
    EXPECT_EQ(Targets(trip), (Texts{Get(p1, n) + "/Ind1", Get(p1, n) + "/Ind1"}));
    EXPECT_EQ(Targets(close), Texts{Get(p2, n) + "/Ind1"});
    (void)second;
    (void)g2;
}

TEST_F(M2IMatchTest, SeveralNamesOfOneKeyAreGivenOutInTurn) {
    URI_Ref node = Node(ld1, "[Ind1=Trip][Ind2=Trip]");
    URI_Ref other = Node(ld1, "");
    URI_Ref trip = Item("Trip"), trip2 = Item("Trip");
    MapItem(trip);
    URI_Ref taken = MapItem(trip);
    Link(taken, "sec:DARef.LNode", other);
    Set(taken, "sec:DARef.doName", "Mine");
    MapItem(trip);
    MapItem(trip);
    EXPECT_TRUE(Run());
    const CString name = Get(node, "cim:Naming.name");
    // The mapping item that has a node keeps it; past the last name the last one serves.
    EXPECT_EQ(Targets(trip), (Texts{name + "/Ind1", Get(other, "cim:Naming.name") + "/Mine", name + "/Ind2",
                                    name + "/Ind2"}));
    // The counter runs over the whole run: the next item of the key is past the end too.
    EXPECT_EQ(Targets(trip2), Texts{name + "/Ind2"});
}

TEST_F(M2IMatchTest, TheKeysOfAnItemAreTriedGroupTypeName) {
    URI_Ref byName = Node(ld1, "x"), byType = Node(ld1, "[1]"), byGroup = Node(ld1, "[G3]");
    URI_Ref all = Item("Ind1", "1", "3"), typeOnly = Item("Ind1", "1", "4"), nameOnly = Item("Ind1", "2", "4");
    EXPECT_TRUE(Run());
    const CString n = "cim:Naming.name";
    EXPECT_EQ(Targets(all), Texts{Get(byGroup, n) + "/Ind1"});
    EXPECT_EQ(Targets(typeOnly), Texts{Get(byType, n) + "/Ind1"});
    EXPECT_EQ(Targets(nameOnly), Texts{Get(byName, n) + "/Ind1"});
}

TEST_F(M2IMatchTest, SelectedItemsGetAMappingItemMatchedOrNot) {
    Node(ld1, "x");
    URI_Ref a = Item("Ind1", "", "", "a"), b = Item("Nothing", "", "", "b"), c = Item("Ind2", "", "", "c");
    URI_Ref noId = Item("Ind2");
    // The selection wins over the exclusions.
    EXPECT_TRUE(Run({"a", "b"}, {"a"}));
    EXPECT_EQ(Targets(a), Texts{"GGIO1/Ind1"});
    EXPECT_EQ(Targets(b), Texts{""});
    EXPECT_EQ(Doc().FirstTarget(MapItems(b).front(), "sec:MapItem.M2I"), m2i);
    EXPECT_TRUE(MapItems(c).empty());
    EXPECT_TRUE(MapItems(noId).empty());
    // Without a selection the excluded ids are skipped; an empty id never is.
    EXPECT_TRUE(Run({}, {"c", ""}));
    EXPECT_TRUE(MapItems(c).empty());
    EXPECT_EQ(Targets(noId), Texts{"GGIO1/Ind2"});
    EXPECT_EQ(MapItems(a).size(), 1u);
    EXPECT_EQ(MapItems(b).size(), 1u);
}

TEST_F(M2IMatchTest, AnIcdWithoutServerStillGetsItsMappingItems) {
    Node(ld1, "x");
    URI_Ref other = Make(kIcdDomain, "sec:ICD", "P2");
    itb = MakeUnder(other, "sec:ITB", "ITB2", "sec:ITB.ICD");
    m2i = MakeUnder(other, "sec:M2I", "M2I2", "sec:M2I.ICD");
    URI_Ref item = Item("Ind1");
    EXPECT_TRUE(Run());
    EXPECT_EQ(Targets(item), Texts{""});
}

TEST_F(M2IMatchTest, OnlyTheNodesOfTheDeviceOrTheNodeGiven) {
    URI_Ref inLd1 = Node(ld1, "[Ind1=A1]"), inLd2 = Node(ld2, "[Ind1=A2]"), other = Node(ld2, "[Ind2=A3]");
    URI_Ref a1 = Item("A1"), a2 = Item("A2"), a3 = Item("A3");
    EXPECT_TRUE(Run({}, {}, ld2, inLd2));
    EXPECT_EQ(Targets(a1), Texts{""});
    EXPECT_EQ(Targets(a2), Texts{Get(inLd2, "cim:Naming.name") + "/Ind1"});
    EXPECT_EQ(Targets(a3), Texts{""});
    EXPECT_TRUE(Run({}, {}, ld2));
    EXPECT_EQ(Targets(a1), Texts{""});
    EXPECT_EQ(Targets(a3), Texts{Get(other, "cim:Naming.name") + "/Ind2"});
    (void)inLd1;
}

}  // namespace
}  // namespace kiln::test
