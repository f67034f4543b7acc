// Information groups refuse a name their table already has; a mapping made
// with its items gets one map item per information item in the table's
// order, and takes them all back when it cannot finish.
#include "tests/core/create_scaffold.h"

namespace kiln::test {
namespace {

class ItbTest : public CreateTest {
protected:
    // Items of the table with these orders, created in the given sequence.
    std::vector<URI_Ref> Items(std::initializer_list<int> ords) {
        std::vector<URI_Ref> items;
        for (int ord : ords)
            items.push_back(MakeUnder(itb, "sec:InfoItem", "I" + ToText(ord), "sec:InfoItem.ITB", ord));
        return items;
    }
};

TEST_F(ItbTest, GroupNamesAreUniqueWithRegardToCase) {
    URI_Ref group1 = MakeUnder(itb, "sec:InfoGroup", "Group1", "sec:InfoGroup.ITB");
    const int before = Count();
    URI_Ref out;
    EXPECT_FALSE(app.NewRsc_InfoGroup(&out, itb, "Trip"));
    EXPECT_EQ(Messages(), std::vector<CString>{"指定名称重复！"});
    EXPECT_EQ(Count(), before);
    ASSERT_TRUE(app.NewRsc_InfoGroup(&out, itb, "group1"));
    EXPECT_EQ(Get(out, "cim:Naming.name"), "group1");
    EXPECT_EQ(Get(out, "e301:OrdNaming.ord"), "");
    // A generated name is not tested.
    Set(group1, "cim:Naming.name", "Group4");
    ASSERT_TRUE(app.NewRsc_InfoGroup(&out, itb, ""));
    EXPECT_EQ(Get(out, "cim:Naming.name"), "Group4");
}

TEST_F(ItbTest, MappingWithOneItemPerInformationItem) {
    const std::vector<URI_Ref> items = Items({3, 1, 2});
    URI_Ref map;
    ASSERT_TRUE(app.NewRsc_M2I(&map, icd, itb, true));
    EXPECT_EQ(Get(map, "cim:Naming.name"), "M2I");
    EXPECT_EQ(First(map, "sec:M2I.ITB"), itb);
    const std::vector<URI_Ref> mapItems = Targets(map, "sec:M2I.MapItems");
    ASSERT_EQ(mapItems.size(), 3u);
    const URI_Ref inOrder[] = {items[1], items[2], items[0]};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(Get(mapItems[i], "cim:Naming.name"), "Item" + ToText(i + 1));
        EXPECT_EQ(First(mapItems[i], "sec:MapItem.InfoItem"), inOrder[i]);
    }
}

TEST_F(ItbTest, MappingWithoutItemsOrTable) {
    URI_Ref map;
    ASSERT_TRUE(app.NewRsc_M2I(&map, icd, itb, true));
    EXPECT_EQ(First(map, "sec:M2I.ICD"), icd);
    EXPECT_EQ(First(map, "sec:M2I.ITB"), itb);
    EXPECT_TRUE(Targets(map, "sec:M2I.MapItems").empty());

    Items({1});
    ASSERT_TRUE(app.NewRsc_M2I(&map, icd, itb, false));
    EXPECT_TRUE(Targets(map, "sec:M2I.MapItems").empty());
    ASSERT_TRUE(app.NewRsc_M2I(&map, icd, URI_Ref(), true));
    EXPECT_TRUE(First(map, "sec:M2I.ITB").IsEmpty());
    EXPECT_TRUE(Targets(map, "sec:M2I.MapItems").empty());
    EXPECT_EQ(Targets(icd, "sec:ICD.M2I").size(), 4u) << "a further mapping for one ICD is not refused";

    // A map item made without an information item has no link to one.
    URI_Ref mapItem;
    ASSERT_TRUE(app.NewRsc_MapItem(&mapItem, map, URI_Ref()));
    EXPECT_EQ(Get(mapItem, "cim:Naming.name"), "Item1");
    EXPECT_TRUE(First(mapItem, "sec:MapItem.InfoItem").IsEmpty());
}

// Whether a map item fails or the listing of the table's items does, the
// mapping and the map items made so far are deleted.
TEST_F(ItbTest, MappingStoppedEarlyLeavesNothing) {
    Items({1, 2, 3});
    // Creates: mapping and 3 items; links: 2 + 2 per item; writes: 1 per item;
    // and at least the listing of the items among the queries.
    EXPECT_GE(FailEachCall(16, [&](URI_Ref* out) { return app.NewRsc_M2I(out, icd, itb, true); },
                           {"create", "add", "modify", "query"}),
              4 + 8 + 3 + 1);
}

}  // namespace
}  // namespace kiln::test
