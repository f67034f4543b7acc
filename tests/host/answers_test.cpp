#include "host/answers.h"
#include "host/host_ui.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <sstream>

using namespace kiln::host;

namespace {
Question YesNo(std::string text) {
    Question q;
    q.kind = Question::Kind::MessageBox;
    q.text = std::move(text);
    q.caption = "$?$删除确认";
    q.buttons = {"yes", "no"};
    return q;
}
Question Choice(std::vector<std::string> rows, std::vector<std::string> values = {}) {
    Question q;
    q.kind = values.empty() ? Question::Kind::Choice : Question::Kind::Resource;
    q.text = "选择逻辑节点类型：";
    q.choices = std::move(rows);
    q.values = std::move(values);
    return q;
}
}  // namespace

TEST(HostAnswers, QueuedAnswersAreTakenInOrder) {
    Answerer a;
    a.Queue({"yes", "", "s:1", ""});
    a.Queue({"choice", "PTOC", "s:2", ""});
    a.Queue({"file", "out/x.icd", "s:3", "/work/ws"});
    a.Queue({"resource", "P#2", "s:4", ""});
    a.Queue({"cancel", "", "s:5", ""});
    a.Queue({"choice", "第二行", "s:6", ""});
    a.Queue({"ok", "", "s:7", ""});
    Reply r;
    std::string err;
    ASSERT_TRUE(a.Take(YesNo("删除吗？"), r, err)) << err;
    EXPECT_EQ(r.button, "yes");
    ASSERT_TRUE(a.Take(Choice({"GGIO", " PTOC "}), r, err)) << err;
    EXPECT_EQ(r.index, 1);  // blanks at the ends of a row do not count
    Question f;
    f.kind = Question::Kind::SaveFile;
    ASSERT_TRUE(a.Take(f, r, err)) << err;
    EXPECT_EQ(r.text, "/work/ws/out/x.icd");
    ASSERT_TRUE(a.Take(Choice({"包一", "包二"}, {"P#1", "P#2"}), r, err)) << err;
    EXPECT_EQ(r.index, 1);  // a resource by its identifier
    Question t;
    t.kind = Question::Kind::Text;
    ASSERT_TRUE(a.Take(t, r, err)) << err;
    EXPECT_TRUE(r.cancelled);
    // A dialog: a row picked, then OK; or OK alone, which picks nothing.
    Question d;
    d.kind = Question::Kind::Dialog;
    d.choices = {"第一行 | x", "第二行"};
    ASSERT_TRUE(a.Take(d, r, err)) << err;
    EXPECT_EQ(r.index, 1);
    EXPECT_EQ(r.button, "ok");
    ASSERT_TRUE(a.Take(d, r, err)) << err;
    EXPECT_EQ(r.index, -1);
    EXPECT_EQ(r.button, "ok");
    EXPECT_EQ(a.Pending(), 0u);
}

TEST(HostAnswers, AMisfitNamesTheQuestionAndTheAnswer) {
    Reply r;
    std::string err;
    {
        Answerer a;
        a.Queue({"text", "abc", "demo.kiln:4", ""});
        EXPECT_FALSE(a.Take(YesNo("确定删除吗？"), r, err));
        EXPECT_NE(err.find("demo.kiln:4"), std::string::npos) << err;
        EXPECT_NE(err.find("确定删除吗？"), std::string::npos) << err;
    }
    {
        Answerer a;
        a.Queue({"ok", "", "s:1", ""});
        EXPECT_FALSE(a.Take(YesNo("确定删除吗？"), r, err));  // no OK button
        a.Queue({"cancel", "", "s:2", ""});
        EXPECT_FALSE(a.Take(YesNo("确定删除吗？"), r, err));  // no Cancel button
        EXPECT_NE(err.find("no Cancel"), std::string::npos) << err;
    }
    {
        Answerer a;
        a.Queue({"choice", "MMXU", "s:1", ""});
        EXPECT_FALSE(a.Take(Choice({"GGIO ", "PTOC"}), r, err));
        EXPECT_NE(err.find("it offers \"GGIO \", \"PTOC\""), std::string::npos) << err;
    }
    {
        Answerer a;
        a.Queue({"text", "abc", "s:1", ""});
        Question d;
        d.kind = Question::Kind::Dialog;
        d.text = "CDlg_Grid";
        EXPECT_FALSE(a.Take(d, r, err));
        EXPECT_NE(err.find("the dialog \"CDlg_Grid\": it needs answer ok, answer choice, answer rows or answer cancel"),
                  std::string::npos)
            << err;
    }
    {
        // A file to read that is none is named for what it is.
        const std::filesystem::path dir = std::filesystem::path(::testing::TempDir()) / "kiln_answers_open";
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir / "folder.icd");
        std::filesystem::create_symlink("nowhere", dir / "dangling.icd");
        ASSERT_EQ(::mkfifo((dir / "fifo.icd").c_str(), 0644), 0);
        Question open;
        open.kind = Question::Kind::OpenFile;
        for (const auto& [file, says] : {std::pair<const char*, const char*>{"fifo.icd", "is a FIFO"},
                                         {"folder.icd", "is a folder"},
                                         {"dangling.icd", "is a dangling link"},
                                         {"none.icd", "there is no file"}}) {
            Answerer a;
            a.Queue({"file", file, "s:1", dir.string()});
            EXPECT_FALSE(a.Take(open, r, err)) << file;
            EXPECT_NE(err.find(says), std::string::npos) << err;
        }
        std::filesystem::remove_all(dir);
    }
    {
        Answerer a;  // nothing queued, no terminal
        EXPECT_FALSE(a.Take(YesNo("确定删除吗？"), r, err));
        EXPECT_NE(err.find("no answer for the yes/no box \"确定删除吗？\""), std::string::npos) << err;
        EXPECT_NE(err.find("answer yes|no"), std::string::npos) << err;
    }
}

TEST(HostAnswers, TheTerminalIsAskedWhenNothingIsQueued) {
    std::istringstream in("maybe\nn\n2\n\n");
    std::ostringstream prompt;
    Answerer a;
    a.SetTerminal(&in, &prompt);
    Reply r;
    std::string err;
    ASSERT_TRUE(a.Take(YesNo("确定删除吗？"), r, err)) << err;
    EXPECT_EQ(r.button, "no");  // "maybe" was refused, "n" taken as no
    EXPECT_NE(prompt.str().find("please type one of yes, no"), std::string::npos);
    ASSERT_TRUE(a.Take(Choice({"GGIO", "PTOC"}), r, err)) << err;
    EXPECT_EQ(r.index, 1);
    Question t;
    t.kind = Question::Kind::Text;
    ASSERT_TRUE(a.Take(t, r, err)) << err;
    EXPECT_TRUE(r.cancelled);
    EXPECT_FALSE(a.Take(t, r, err));  // end of input
    EXPECT_NE(err.find("terminal closed"), std::string::npos);
}

TEST(HostAnswers, ADialogTakesSeveralRowsAsRanges) {
    Question d;
    d.kind = Question::Kind::Dialog;
    d.text = "CDlg_SimpleGrid";
    d.choices = {"1 | a", "2 | b", "3 | c", "4 | d", "5 | e"};
    Reply r;
    std::string err;
    Answerer a;
    a.Queue({"rows", "4-5, 1", "s:1", ""});
    ASSERT_TRUE(a.Take(d, r, err)) << err;
    EXPECT_EQ(r.button, "ok");
    EXPECT_EQ(r.ranges, (std::vector<std::pair<int, int>>{{3, 4}, {0, 0}}));
    for (const char* bad : {"6", "2-6", "0", "3-2", "", "1,,2", "a", "1-2-3"}) {
        a.Queue({"rows", bad, "s:2", ""});
        EXPECT_FALSE(a.Take(d, r, err)) << bad;
        EXPECT_NE(err.find("s:2"), std::string::npos) << err;
    }
    // Rows fit only a dialog.
    a.Queue({"rows", "1", "s:3", ""});
    EXPECT_FALSE(a.Take(Choice({"GGIO", "PTOC"}), r, err));
    // Typed on the terminal.
    std::istringstream in("rows 2-3,5\n");
    std::ostringstream prompt;
    Answerer t;
    t.SetTerminal(&in, &prompt);
    ASSERT_TRUE(t.Take(d, r, err)) << err;
    EXPECT_EQ(r.ranges, (std::vector<std::pair<int, int>>{{1, 2}, {4, 4}}));
}

TEST(HostAnswers, TheHostHandsAGridTheRangesOfRowsInTheirOrder) {
    std::ostringstream out;
    Transcript transcript(out);
    Answerer a;
    HostUi ui(transcript, a);
    Struct_UiDialogRequest request;
    request.sDialog = "CDlg_SimpleGrid";
    for (const char* id : {"1", "2", "3", "4", "5"}) request.vRows.push_back({id, CString("名") + id, "SPS"});
    a.Queue({"rows", "4-5,1", "s:1", ""});
    Struct_UiDialogAnswer answer = ui.RunModal(request);
    EXPECT_EQ(answer.nResult, IDOK);
    ASSERT_EQ(answer.vRanges.size(), 2u);
    EXPECT_EQ(answer.vRanges[0].nFirstRow, 3);
    EXPECT_EQ(answer.vRanges[0].nLastRow, 4);
    EXPECT_EQ(answer.vRanges[0].nLastCol, 2);
    EXPECT_EQ(answer.vRanges[1].nFirstRow, 0);
    EXPECT_EQ(answer.vRanges[1].nLastRow, 0);
    EXPECT_NE(out.str().find("-> rows 4-5,1"), std::string::npos) << out.str();
}
