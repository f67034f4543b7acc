// The value records: handle comparison and emptiness, first-match lookups in
// pair lists, and the defaults that Reset and Clear bring back.
#include <gtest/gtest.h>

#include "platform/framework/records.h"

TEST(Records, HandlesCompareByIdentifierAndAreEmptyOnlyWhenBothTextsAre) {
    EXPECT_EQ(URI_Ref("d#LN1", "sec:LNode"), URI_Ref("d#LN1", "sec:LDevice"));
    EXPECT_NE(URI_Ref("d#LN1", "sec:LNode"), URI_Ref("d#LN2", "sec:LNode"));
    EXPECT_NE(URI_Ref("d#ln1", "sec:LNode"), URI_Ref("d#LN1", "sec:LNode"));

    URI_Ref classOnly("", "sec:LNode");
    EXPECT_FALSE(classOnly.IsEmpty());
    EXPECT_TRUE(classOnly.IsSet());
    EXPECT_FALSE(URI_Ref("d#LN1", "").IsEmpty());
    classOnly.Clear();
    EXPECT_TRUE(classOnly.IsEmpty());
    EXPECT_TRUE(classOnly.sClass.empty());
    EXPECT_TRUE(URI_Ref().IsEmpty());
}

TEST(Records, PairListsAnswerWithTheFirstExactMatch) {
    Struct_Pairs pairs;
    pairs.Add("ST", "first");
    pairs.Add("MX", "x");
    pairs.Add("ST", "second");
    EXPECT_EQ(pairs.GetSize(), 3);
    EXPECT_EQ(pairs.Get_Second_byFirst("ST"), "first");
    EXPECT_EQ(pairs.Get_Second_byFirst("st"), "") << "case counts";
    EXPECT_EQ(pairs.Get_First_bySecond("second"), "ST");
    EXPECT_EQ(pairs.Get_First_bySecond("none"), "");
    pairs.Clear();
    EXPECT_EQ(pairs.GetSize(), 0);
}

TEST(Records, ResetAndClearBringBackTheDefaults) {
    Struct_EditPack pack;
    EXPECT_EQ(pack.nEditKind, 2);
    pack.sText1 = "a";
    pack.nInt1 = pack.nInt5 = pack.nInt7 = 9;
    pack.nEditKind = 7;
    pack.bFlag = true;
    pack.Add_ListItem("显示", "value");
    pack.vList2.Add("k", "v");
    EXPECT_EQ(pack.vList.Get_Second_byFirst("显示"), "value");
    EXPECT_EQ(pack.vList2.GetSize(), 1) << "the choice list is the first list only";
    pack.Reset();
    EXPECT_EQ(pack.nEditKind, 2);
    EXPECT_TRUE(pack.sText1.IsEmpty());
    EXPECT_EQ(pack.nInt1 + pack.nInt5 + pack.nInt7, 0);
    EXPECT_FALSE(pack.bFlag);
    EXPECT_EQ(pack.vList.GetSize(), 0);
    EXPECT_EQ(pack.vList2.GetSize(), 0);

    Struct_ItemDesc item;
    EXPECT_TRUE(item.bFlag1 && item.bFlag2);
    item.uRsc = URI_Ref("d#X", "sec:ICD");
    item.sKey = "LN类型";
    item.sText4 = "t";
    item.bFlag1 = item.bFlag2 = false;
    item.nInt1 = item.nInt3 = 4;
    item.Clear();
    EXPECT_TRUE(item.uRsc.IsEmpty());
    EXPECT_TRUE(item.sKey.IsEmpty());
    EXPECT_TRUE(item.sText4.IsEmpty());
    EXPECT_TRUE(item.bFlag1);
    EXPECT_TRUE(item.bFlag2);
    EXPECT_EQ(item.nInt1 + item.nInt3, 0);
}
