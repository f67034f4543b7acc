#include "platform/mfc/cstring.h"

#include <gtest/gtest.h>

#include "platform/mfc/containers.h"

TEST(CString, FindAndExtractStayInsideTheText) {
    CString s("LLN0$ST$Mod");
    EXPECT_EQ(s.Find('$'), 4);
    EXPECT_EQ(s.Find('$', 5), 7);
    EXPECT_EQ(s.Find('$', 100), -1);
    EXPECT_EQ(s.Find("ST", s.GetLength()), -1);
    EXPECT_EQ(s.Find("Mod", s.GetLength() + 1), -1);
    EXPECT_EQ(s.Find(""), 0);
    EXPECT_EQ(s.ReverseFind('$'), 7);
    EXPECT_EQ(s.ReverseFind('#'), -1);
    EXPECT_EQ(s.Mid(8), "Mod");
    EXPECT_EQ(s.Mid(50), "");
    EXPECT_EQ(s.Mid(8, 100), "Mod");
    EXPECT_EQ(s.Mid(-3, 4), "LLN0");
    EXPECT_EQ(s.Left(100), s);
    EXPECT_EQ(s.Left(-1), "");
    EXPECT_EQ(s.Right(3), "Mod");
    EXPECT_EQ(s.Right(100), s);
    EXPECT_EQ(s.GetAt(100), '\0');
}

TEST(CString, CaseFoldingIsAsciiOnly) {
    CString s("Ab装置Z");
    CString lower = s;
    lower.MakeLower();
    EXPECT_EQ(lower, "ab装置z");
    CString upper = s;
    upper.MakeUpper();
    EXPECT_EQ(upper, "AB装置Z");
    EXPECT_EQ(CString("lln0").CompareNoCase("LLN0"), 0);
    EXPECT_NE(CString("装置").CompareNoCase("装置a"), 0);
    EXPECT_LT(CString("a").CompareNoCase("B"), 0);
}

TEST(CString, ReplaceTrimFormatAndTokenize) {
    CString s("a.b.c");
    EXPECT_EQ(s.Replace(".", "::"), 2);
    EXPECT_EQ(s, "a::b::c");
    EXPECT_EQ(s.Replace("", "x"), 0);
    CString t("  值 \t\n");
    t.Trim();
    EXPECT_EQ(t, "值");
    CString u("xxabcxx");
    u.TrimLeft('x');
    EXPECT_EQ(u, "abcxx");
    u.TrimRight("x");
    EXPECT_EQ(u, "abc");
    CString f;
    f.Format("导入ICD结束，发现%d个错误，发现%d个警告。", 3, 0);
    EXPECT_EQ(f, "导入ICD结束，发现3个错误，发现0个警告。");
    f.AppendFormat("%s", "!");
    EXPECT_EQ(f.Right(1), "!");
    CString list("a, b,,c");
    int pos = 0;
    std::vector<std::string> parts;
    for (CString tok = list.Tokenize(", ", pos); pos >= 0; tok = list.Tokenize(", ", pos)) parts.push_back(tok.str());
    EXPECT_EQ(parts, (std::vector<std::string>{"a", "b", "c"}));
    CString d("abcdef");
    d.Delete(2, 100);
    EXPECT_EQ(d, "ab");
    d.Insert(99, "Z");
    EXPECT_EQ(d, "abZ");
}

TEST(CStringArray, OutOfRangeIsHarmless) {
    CStringArray a;
    a.Add("x");
    a.Add("y");
    EXPECT_EQ(a.GetSize(), 2);
    EXPECT_EQ(a.GetAt(5), "");
    a.RemoveAt(7);
    a.InsertAt(0, "w");
    EXPECT_EQ(a.GetAt(0), "w");
    a.RemoveAt(1, 10);
    EXPECT_EQ(a.GetSize(), 1);
}
