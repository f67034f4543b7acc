#include "host/script.h"

#include <gtest/gtest.h>

#include "host/command_line.h"
#include "host/events.h"

using namespace kiln::host;

TEST(HostScriptWords, QuotesKeepBlanksAndEscapes) {
    std::vector<std::string> w;
    std::string err;
    ASSERT_TRUE(SplitWords("menu  \"增加 LN 类型 \"", w, err));
    ASSERT_EQ(w.size(), 2u);
    EXPECT_EQ(w[1], "增加 LN 类型 ");
    ASSERT_TRUE(SplitWords("answer text \"a \\\"b\\\" \\\\ c\" ", w, err));
    ASSERT_EQ(w.size(), 3u);
    EXPECT_EQ(w[2], "a \"b\" \\ c");
    ASSERT_TRUE(SplitWords("answer text \"\"", w, err));
    ASSERT_EQ(w.size(), 3u);
    EXPECT_EQ(w[2], "");

    EXPECT_FALSE(SplitWords("select \"LN类", w, err));
    EXPECT_NE(err.find("not closed"), std::string::npos);
    EXPECT_FALSE(SplitWords("select \"a\"b", w, err));
    EXPECT_FALSE(SplitWords("select a\"b\"", w, err));
    EXPECT_FALSE(SplitWords("select \"a\\q\"", w, err));
}

TEST(HostScriptWords, QuoteWordRoundTrips) {
    for (std::string s : {"plain", "", "two words", "say \"hi\"", "back\\slash", "line\nbreak", "制表\t符"}) {
        std::vector<std::string> w;
        std::string err;
        ASSERT_TRUE(SplitWords("echo " + QuoteWord(s), w, err)) << s;
        ASSERT_EQ(w.size(), 2u) << s;
        EXPECT_EQ(w[1], s);
    }
    EXPECT_EQ(QuoteWord("LLN0"), "LLN0");
}

TEST(HostScriptParse, EventsKeepTheirLineNumbers) {
    std::vector<Event> events;
    ScriptError err;
    const char* text =
        "\xEF\xBB\xBF# a demo\n"
        "\n"
        "view TreeView_ICDPreset\r\n"
        "   tree 2\n"
        "select \"IEC61850\" LN类\n"
        "answer yes\n"
        "  # indented comment\n"
        "menu ICD:Delete";
    ASSERT_TRUE(ParseScript(text, "demo.kiln", events, err)) << err.What();
    ASSERT_EQ(events.size(), 5u);
    EXPECT_EQ(events[0].line, 3);
    EXPECT_EQ(events[0].name, "view");
    EXPECT_EQ(events[0].args, std::vector<std::string>{"TreeView_ICDPreset"});
    EXPECT_EQ(events[1].line, 4);
    EXPECT_EQ(events[1].text, "tree 2");
    EXPECT_EQ(events[2].args, (std::vector<std::string>{"IEC61850", "LN类"}));
    EXPECT_EQ(events[4].line, 8);
    EXPECT_EQ(events[4].Where(), "demo.kiln:8");
}

TEST(HostScriptParse, BadLinesNameTheirLine) {
    struct Case {
        const char* script;
        int line;
        const char* says;
    } cases[] = {
        {"tree\nfrobnicate x\n", 2, "unknown event \"frobnicate\""},
        {"view Nowhere\n", 1, "unknown view"},
        {"tree\n\ntree 0\n", 3, "positive number"},
        {"tree abc\n", 1, "positive number"},
        {"answer maybe\n", 1, "unknown answer kind"},
        {"answer text\n", 1, "needs one value"},
        {"answer yes please\n", 1, "takes no value"},
        {"answer rows 3-1\n", 1, "runs backwards"},
        {"answer rows 2,0\n", 1, "\"0\" is no row number (from 1)"},
        {"answer\n", 1, "needs a kind"},
        {"echo hi\nmenu\n", 2, "usage: menu ITEM"},
        {"menu a b\n", 1, "usage: menu ITEM"},
        {"rclick now\n", 1, "usage: rclick"},
        {"select-uri nohash\n", 1, "no resource identifier"},
        {"show nohash\n", 1, "no resource identifier"},
        {"show a#b sec:TypePackage.LNodeTypes 0\n", 1, "limit of show must be a positive number"},
        {"show a#b \"\" 5\n", 1, "needs a role"},
        {"show a#b r 1 2\n", 1, "usage: show URI [ROLE [LIMIT]]"},
        {"import a.xml 二次模型数据类型包 writable\n", 1, "readonly"},
        {"# ok\nselect \"open\n", 2, "not closed"},
    };
    for (const auto& c : cases) {
        std::vector<Event> events;
        ScriptError err;
        EXPECT_FALSE(ParseScript(c.script, "s.kiln", events, err)) << c.script;
        EXPECT_EQ(err.line, c.line) << c.script;
        EXPECT_NE(err.message.find(c.says), std::string::npos) << c.script << " -> " << err.message;
        EXPECT_EQ(err.What().rfind("s.kiln:" + std::to_string(c.line) + ": ", 0), 0u) << err.What();
    }
}

TEST(HostScriptParse, InlineEventsAreNamedByTheirPlace) {
    Event ev;
    bool has = false;
    ScriptError err;
    EXPECT_FALSE(ParseLine("menu", "-e", 3, ev, has, err));
    EXPECT_EQ(err.What(), "-e 3: usage: menu ITEM");
    ASSERT_TRUE(ParseLine("answer choice \"LLN0 类型\"", "-e", 1, ev, has, err));
    EXPECT_TRUE(has);
    EXPECT_EQ(ev.Where(), "-e 1");
    EXPECT_EQ(ev.args[1], "LLN0 类型");
}

TEST(HostCommandLine, VerbsAndTheirErrors) {
    CommandLine cl;
    std::string err;
    ASSERT_TRUE(ParseCommandLine({"run", "ws", "demo.kiln", "-e", "tree", "-e", "save"}, cl, err));
    EXPECT_EQ(cl.verb, CommandLine::Verb::Run);
    EXPECT_EQ(cl.dir, "ws");
    EXPECT_EQ(cl.script, "demo.kiln");
    EXPECT_EQ(cl.events, (std::vector<std::string>{"tree", "save"}));

    ASSERT_TRUE(ParseCommandLine({"run", "-e", "tree", "ws"}, cl, err));
    EXPECT_EQ(cl.dir, "ws");
    EXPECT_TRUE(cl.script.empty());

    ASSERT_TRUE(ParseCommandLine({"help", "answer"}, cl, err));
    EXPECT_EQ(cl.verb, CommandLine::Verb::HelpEvent);
    EXPECT_EQ(cl.topic, "answer");
    ASSERT_TRUE(ParseCommandLine({"--help"}, cl, err));
    EXPECT_EQ(cl.verb, CommandLine::Verb::Help);
    ASSERT_TRUE(ParseCommandLine({"init", "ws"}, cl, err));
    EXPECT_EQ(cl.verb, CommandLine::Verb::Init);

    EXPECT_FALSE(ParseCommandLine({"run", "ws"}, cl, err));
    EXPECT_NE(err.find("needs a script"), std::string::npos);
    EXPECT_FALSE(ParseCommandLine({"run", "ws", "-e"}, cl, err));
    EXPECT_FALSE(ParseCommandLine({"run", "ws", "a", "b"}, cl, err));
    EXPECT_FALSE(ParseCommandLine({"run", "ws", "--force", "a"}, cl, err));
    EXPECT_FALSE(ParseCommandLine({"init"}, cl, err));
    EXPECT_FALSE(ParseCommandLine({"destroy", "ws"}, cl, err));
    EXPECT_NE(err.find("unknown command"), std::string::npos);
}

TEST(HostCommandLine, HelpCoversEveryEvent) {
    std::string usage = UsageText();
    for (const auto& e : EventDefs()) {
        EXPECT_NE(usage.find(e.usage), std::string::npos) << e.name;
        std::string text;
        ASSERT_TRUE(EventHelpText(e.name, text));
        EXPECT_EQ(text.rfind(std::string("usage: ") + e.usage, 0), 0u);
    }
    std::string text;
    EXPECT_FALSE(EventHelpText("nonesuch", text));
}
