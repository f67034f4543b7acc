#include "platform/mfc/text_funcs.h"

#include <gtest/gtest.h>

TEST(TextFuncs, StringAfterAndBefore) {
    EXPECT_EQ(StringAfter("http://x/Zel/2006/CIM-Sec#FCType.ST", "#", "."), "ST");
    EXPECT_EQ(StringAfter("sec:Foo", ":"), "Foo");
    EXPECT_EQ(StringAfter("LN/DO", "."), "");
    EXPECT_EQ(StringAfter("a#b", "#", "."), "");
    EXPECT_EQ(StringAfter("Mod.stVal.q", "."), "stVal.q");
    EXPECT_EQ(StringBefore("DOM#id", "#"), "DOM");
    EXPECT_EQ(StringBefore("noseparator", "."), "noseparator");
    EXPECT_EQ(ToString(3.0, 2, 0), "03");
    EXPECT_EQ(ToString(42), "42");
}

TEST(TextFuncs, TemplatePathFollowsTheDocumentFolder) {
    using namespace kiln::path;
    EXPECT_TRUE(EndsWithSeparator("a/"));
    EXPECT_FALSE(EndsWithSeparator("a\\"));
    EXPECT_FALSE(EndsWithSeparator("a"));
    EXPECT_FALSE(EndsWithSeparator(""));
    EXPECT_EQ(TemplateFile("/ws/doc", "ICD_Template.xml"), "/ws/doc/../Template/ICD_Template.xml");
    EXPECT_EQ(TemplateFile("/ws/doc/", "ICD_Template.xml"), "/ws/doc/../Template/ICD_Template.xml");
    // A backslash is a character of a folder's name, not a separator.
    EXPECT_EQ(TemplateFile("/w/a\\b\\", "a.xml"), "/w/a\\b\\/../Template/a.xml");
    EXPECT_EQ(Join("/ws/", "/doc"), "/ws/doc");
    EXPECT_EQ(Join("/w/a\\", "\\doc"), "/w/a\\/\\doc");
    EXPECT_EQ(Join("", "doc"), "doc");
}

TEST(TextFuncs, SearchStringArrayAndPathPatterns) {
    CStringArray list;
    EXPECT_EQ(Search_StringArray(list, ""), -1);
    list.Add("LLN0");
    list.Add("lln0");
    list.Add("LLN0");
    EXPECT_EQ(Search_StringArray(list, "LLN0"), 0);
    EXPECT_EQ(Search_StringArray(list, "lln0"), 1);
    EXPECT_EQ(Search_StringArray(list, "LLN"), -1);

    EXPECT_EQ(create_path("/vp/PL2201.svg", "**name**", ""), "PL2201");
    EXPECT_EQ(create_path("/w/a\\b/v\\PL2201.svg", "**path**|**name**", ""), "/w/a\\b|v\\PL2201");
    EXPECT_EQ(create_path("/ws/doc/a.b.svg", "**name**", ""), "a.b");
    EXPECT_EQ(create_path("/ws/doc/a.b.svg", "**path**/**name**.xml", ""), "/ws/doc/a.b.xml");
    EXPECT_EQ(create_path("noext", "**name**|**ext**|**file**", ""), "noext||noext");
    EXPECT_EQ(create_path("/d/.hidden", "**name**", ""), ".hidden");
    // A file named like a key is taken as it is, not replaced again.
    EXPECT_EQ(create_path("/d/**ext**.svg", "**name**", "/out/"), "/out/**ext**");
    EXPECT_EQ(create_path("/d/x.svg", "*name*", ""), "*name*");
}
