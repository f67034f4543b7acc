#include "platform/mfc/gbk.h"

#include <gtest/gtest.h>

using namespace kiln::text;

TEST(Gbk, RoundTripAndByteLengths) {
    const std::string utf8 = "装置A";
    std::string gbk = Utf8ToGbk(utf8);
    // 装 = D7 B0, 置 = D6 C3 in GBK
    EXPECT_EQ(gbk, std::string("\xD7\xB0\xD6\xC3" "A"));
    EXPECT_EQ(GbkToUtf8(gbk), utf8);
    EXPECT_EQ(GbkLength(utf8), 5);
    EXPECT_EQ(GbkLength("ABC"), 3);
    EXPECT_TRUE(HasDoubleByte("a装"));
    EXPECT_FALSE(HasDoubleByte("abc"));

    // A text far longer than one conversion step, with characters across the steps' seams.
    std::string longText;
    for (int i = 0; i < 30000; ++i) longText += "装置A";
    std::string longGbk = Utf8ToGbk(longText);
    EXPECT_EQ(longGbk.size(), 150000u);
    EXPECT_EQ(GbkLength(longText), 150000);
    std::string back;
    EXPECT_TRUE(ToUtf8(longGbk, "GB2312", back));
    EXPECT_EQ(back, longText);
}

TEST(Gbk, CharactersOutsideGbkSurviveTheRoundTrip) {
    const std::string emoji = "\xF0\x9F\x98\x80";  // not in GBK, but in GB18030
    EXPECT_EQ(GbkToUtf8(Utf8ToGbk(emoji)), emoji);
}

TEST(Gbk, InvalidInputIsReportedNotCrashed) {
    std::string out;
    EXPECT_FALSE(GbkToUtf8(std::string("\xD7"), out));  // truncated double byte
    EXPECT_TRUE(ToUtf8("abc", "GB2312", out));
    EXPECT_EQ(out, "abc");
    EXPECT_FALSE(ToUtf8("abc", "NO-SUCH-ENCODING", out));
}

TEST(Gbk, NameOrderFollowsPinyinInGbk) {
    // GBK orders common characters by pinyin: 安 (an) < 保 (bao) < 测 (ce),
    // while their UTF-8 bytes order them differently.
    EXPECT_LT(Utf8ToGbk("安"), Utf8ToGbk("保"));
    EXPECT_LT(Utf8ToGbk("保"), Utf8ToGbk("测"));
}
