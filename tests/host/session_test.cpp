#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <tuple>

#include "host/workspace.h"
#include "platform/framework/cim_doc.h"
#include "tests/host/host_fixture.h"
#include "tests/host/plugin_double.h"

using namespace kiln::host;
using namespace kiln::host::test;

namespace {

// The names of every resource of a class in a saved document, by name.
std::vector<std::string> Names(const std::filesystem::path& folder, const char* cls) {
    CBase_CimDoc doc;
    EXPECT_TRUE(doc.Open(folder.string().c_str())) << doc.LastError();
    std::vector<URI_Ref> list;
    doc.ByClass(cls, list, "cim:Naming.name", SortPolicy_ByName);
    std::vector<std::string> names;
    for (const auto& r : list) {
        CString name;
        doc.GetAttribute(r, "cim:Naming.name", name);
        names.push_back(name.str());
    }
    return names;
}

}  // namespace

TEST_F(HostTest, AScriptDrivesThePlugInAndTheDocumentIsSaved) {
    Played run = Play(R"(# a package with two LN types; one renamed, one deleted
select
rclick
answer text 产品包A
menu 增加类型包
select 产品包A
rclick
answer choice "PTOC 过流"
menu "增加 LN 类型"
rclick
answer choice "GGIO 通用"
menu "ICD:Add LNodeType"
tree
select 产品包A LN类 PTOC
edit cim:Naming.name " PTOC1 "
select 产品包A LN类 GGIO
rclick
answer yes
menu 删除GGIO
select 产品包A
edit sec:TypePackage.isInstType 否
echo done
)");
    ASSERT_EQ(run.result.status, 0) << run.transcript;
    EXPECT_EQ(run.transcript, R"([document] opened
    kiln.IEC61850_std#  二次模型标准定义包3  read-only
[status] 类型包 1 个
> select
> rclick
[menu]
    "增加类型包"  ICD:Add TypePackage
    "选择类型包"  ICD:Pick
> answer text 产品包A
> menu 增加类型包
[command] ICD:Add TypePackage
[input] 请输入类型包名称 -> "产品包A"
[status] 已创建类型包产品包A
> select 产品包A
> rclick
[menu]
    "增加 LN 类型 "  ICD:Add LNodeType
    ----
    "导出类型包"  ICD:Export TypePackage
    "检查"  ICD:Check
    "未实现"  ICD:Unknown
> answer choice "PTOC 过流"
> menu "增加 LN 类型"
[command] ICD:Add LNodeType
[choose] 选择逻辑节点类型：
    GGIO 通用
    PTOC 过流
  -> "PTOC 过流"
> rclick
[menu]
    "增加 LN 类型 "  ICD:Add LNodeType
    ----
    "导出类型包"  ICD:Export TypePackage
    "检查"  ICD:Check
    "未实现"  ICD:Unknown
> answer choice "GGIO 通用"
> menu "ICD:Add LNodeType"
[command] ICD:Add LNodeType
[choose] 选择逻辑节点类型：
    GGIO 通用
    PTOC 过流
  -> "GGIO 通用"
> tree
  IEC61850
    LN类
      LLN0
      LPHD
  产品包A
    LN类
      GGIO
      PTOC
> select 产品包A LN类 PTOC
> edit cim:Naming.name " PTOC1 "
[edit] cim:Naming.name of "PTOC" (kiln.产品包A#LNodeType_2), was "PTOC" -> " PTOC1 "
  -> stored "PTOC1", refresh 1
> select 产品包A LN类 GGIO
> rclick
[menu]
    "删除GGIO"  ICD:Delete
> answer yes
> menu 删除GGIO
[command] ICD:Delete
[question yes/no: $?$删除确认] 确定删除吗？ -> yes
> select 产品包A
> edit sec:TypePackage.isInstType 否
[edit] sec:TypePackage.isInstType of "产品包A" (kiln.产品包A#TypePackage_1), was "true"
    是
    否
  -> "否"
  -> stored "false", shown as "否"
done
[document] saved
)");
    EXPECT_EQ(Names(DocFolder(), "sec:LNodeType"), (std::vector<std::string>{"LLN0", "LPHD", "PTOC1"}));
    CBase_CimDoc doc;
    ASSERT_TRUE(doc.Open(DocFolder().string().c_str()));
    URI_Ref pkg = doc.Find("kiln.产品包A#TypePackage_1");
    ASSERT_FALSE(pkg.IsEmpty());
    CString inst;
    doc.GetAttribute(pkg, "sec:TypePackage.isInstType", inst);
    EXPECT_EQ(inst, "false");
    EXPECT_TRUE(doc.IsDomainEditable("kiln.产品包A#"));
    EXPECT_EQ(CPluginDouble::s_vCommands,
              (std::vector<std::string>{"ICD:Add TypePackage", "ICD:Add LNodeType", "ICD:Add LNodeType", "ICD:Delete"}));
    EXPECT_EQ(m_attached, 1);
}

TEST_F(HostTest, FailedRunsNameTheCauseAndLeaveTheDocumentUnchanged) {
    const auto before = Snapshot(DocFolder());
    struct Case {
        const char* script;
        const char* says;
    } cases[] = {
        // a question nobody answered
        {"select\nrclick\nmenu 增加类型包\n", "t.kiln:3: no answer for the input box \"请输入类型包名称\""},
        // an answer of the wrong kind
        {"select\nrclick\nanswer yes\nmenu 增加类型包\n",
         "the answer \"yes\" (t.kiln:3) does not fit the input box \"请输入类型包名称\""},
        // a choice the list does not hold
        {"select IEC61850\nrclick\nanswer choice GGIO\nmenu ICD:Check\n", "does not fit the button box"},
        // an answer left over: at the end, or by a command refused before
        // its question (a read-only package), which fails there rather than
        // hand it to the next command's save-file dialog
        {"select\nrclick\nanswer text 甲\nmenu 增加类型包\nanswer no\n",
         "1 queued answer(s) found no question:\n  answer no (t.kiln:5)"},
        {"select IEC61850\nrclick\nanswer file written.Type\nmenu \"增加 LN 类型\"\nrclick\nmenu 导出类型包\n",
         "t.kiln:4: 1 queued answer(s) found no question:\n  answer file written.Type (t.kiln:3)"},
        {"select\nrclick\nanswer text 甲\nmenu 增加类型包\nselect 甲\nanswer yes\nedit cim:Naming.name \" \"\n"
         "answer yes\nrclick\n",
         "t.kiln:7: 1 queued answer(s) found no question:\n  answer yes (t.kiln:6)"},
        // menu events that do not fit the menu
        {"menu 增加类型包\n", "t.kiln:1: no popup menu is open"},
        {"select\nrclick\nmenu 删除\n", "the menu has no item \"删除\"; it has \"增加类型包\", \"选择类型包\""},
        {"select IEC61850 LN类 LLN0\nrclick\nmenu 删除LLN0\n", "the menu item \"删除LLN0\" (ICD:Delete) is disabled"},
        // tree events that find nothing
        {"select IEC61850 LN类 MMXU\n",
         "no item \"MMXU\" under \"IEC61850 / LN类\"; there are \"LLN0\", \"LPHD\""},
        {"select-uri kiln.IEC61850_std#nothing\n", "the document has no resource kiln.IEC61850_std#nothing"},
        // show events that name what the document does not hold
        {"show kiln.IEC61850_std#nothing\n", "t.kiln:1: the document has no resource kiln.IEC61850_std#nothing"},
        {"show kiln.IEC61850_std#TP1 sec:TypePackage.ref\n",
         "sec:TypePackage.ref is an attribute of sec:TypePackage, not an association"},
        {"show kiln.IEC61850_std#TP1 sec:LNodeType.DOs 2\n", "sec:TypePackage has no association sec:LNodeType.DOs"},
        {"view 超文本视图1\ntree\n", "t.kiln:2: tree needs a tree view; the current view is 超文本视图1"},
        {"edit cim:Naming.name X\n", "no resource is shown or selected"},
        {"select\nrclick\nanswer text 甲\nmenu 增加类型包\nselect 甲\nedit sec:TypePackage.isInstType 也许\n",
         "t.kiln:6: the list of sec:TypePackage.isInstType has no row \"也许\"; it has \"是\", \"否\""},
        {"import nowhere.xml 二次模型数据类型包\n", "cannot import"},
        {"import nowhere.xml 无此类型\n", "the document has no domain type \"无此类型\""},
        // a field the page does not have: the page's fields are named
        {"select IEC61850 LN类 LLN0\nedit cim:Naming.descripton x\n",
         "t.kiln:2: the page of \"LLN0\" (kiln.IEC61850_std#LNT_LLN0) has no field \"cim:Naming.descripton\"; "
         "its fields are cim:Naming.name, cim:Naming.description"},
        // a view chosen forgets the selection, for an edit too
        {"select\nrclick\nanswer text 甲\nmenu 增加类型包\nselect 甲\nview TreeView_User\nedit cim:Naming.name 乙\n",
         "t.kiln:7: no resource is shown or selected"},
        // two items of one text: the n-th of them, and a path past the first
        {"select\nrclick\nanswer text 甲\nmenu 增加类型包\nselect 甲\nanswer choice \"GGIO 通用\"\nrclick\nmenu \"增加 LN 类型\"\n"
         "answer choice \"GGIO 通用\"\nrclick\nmenu \"增加 LN 类型\"\nselect 甲 LN类 GGIO#3\n",
         "t.kiln:12: no item \"GGIO#3\" under \"甲 / LN类\": there are 2 items \"GGIO\""},
        {"select\nrclick\nanswer text 甲\nmenu 增加类型包\nselect 甲\nanswer choice \"GGIO 通用\"\nrclick\nmenu \"增加 LN 类型\"\n"
         "answer choice \"GGIO 通用\"\nrclick\nmenu \"增加 LN 类型\"\nselect 甲 LN类 GGIO 实例\n",
         "; the path took the first of 2 items \"GGIO\" under \"甲 / LN类\" (\"GGIO#2\" names the second)"},
        // a file to write that only the workspace's saves write
        {"select IEC61850\nrclick\nanswer file ws/document/document.xml\nmenu 导出类型包\n",
         "/ws/document/document.xml is one of the workspace's own files, which no export writes over"},
        {"select IEC61850\nrclick\nanswer file ws/document/../.kiln.lock\nmenu 导出类型包\n",
         "/ws/.kiln.lock is one of the workspace's own files"},
        {"select IEC61850\nrclick\nanswer file ws/Template/ICD_Template.xml\nmenu 导出类型包\n",
         "/ws/Template/ICD_Template.xml is one of the workspace's own files"},
    };
    for (const auto& c : cases) {
        CPluginDouble::Reset();
        Played run = Play(c.script);
        EXPECT_EQ(run.result.status, 1) << c.script;
        EXPECT_TRUE(Has(run.result.error, c.says)) << c.script << "\n" << run.result.error;
        EXPECT_TRUE(Has(run.transcript, "error: ")) << run.transcript;
        EXPECT_TRUE(Has(run.transcript, "the document was not saved\n")) << run.transcript;
        EXPECT_EQ(Snapshot(DocFolder()), before) << c.script;
        EXPECT_FALSE(std::filesystem::exists(m_dir.path() / "written.Type")) << c.script;
        EXPECT_EQ(CPluginDouble::s_nConstructed, CPluginDouble::s_nDestroyed) << c.script;
    }
}

// A save whose step to make it last failed (setting a replaced file's
// permissions, the folder's sync) is a failed save: the run fails naming the
// folder or file and the reason. Before the manifest's rename the saved
// document stays as it was; after it, the new one is in place, whole, and
// the run says so.
TEST_F(HostTest, ASaveWhoseDurabilityStepFailedFailsTheRun) {
    ASSERT_EQ(Play("select\nrclick\nanswer text 甲\nmenu 增加类型包\n").result.status, 0);
    const auto before = Snapshot(DocFolder());
    const struct {
        const char* fault;
        std::string says;
        bool inPlace;
    } cases[] = {
        {"mode", "的权限：" + std::string(std::strerror(EPERM)), false},
        {"sync", "不能同步文件夹" + DocFolder().string() + "：" + std::strerror(EIO), true},
    };
    for (const auto& c : cases) {
        CPluginDouble::Reset();
        CPluginDouble::s_sFaultOnOpen = c.fault;
        Played run = Play("select 甲\nedit cim:Naming.name 乙\n");
        EXPECT_EQ(run.result.status, 1) << c.fault << run.transcript;
        EXPECT_TRUE(Has(run.result.error, "cannot save the document into " + DocFolder().string())) << run.result.error;
        EXPECT_TRUE(Has(run.result.error, c.says)) << run.result.error;
        EXPECT_EQ(Has(run.transcript, "the document was saved, but may not have reached the disk"), c.inPlace)
            << run.transcript;
        if (!c.inPlace) {
            EXPECT_EQ(Snapshot(DocFolder()), before) << c.fault;
        }
    }
    EXPECT_EQ(Names(DocFolder(), "sec:TypePackage"), (std::vector<std::string>{"IEC61850", "乙"}));
}

// The run saves only into the document folder it locked: when the name leads
// elsewhere meanwhile (a copy put in its place, a link pointed at another
// document), it saves into neither, and no export goes into either.
TEST_F(HostTest, ARunSavesOnlyIntoTheFolderItLocked) {
    namespace fs = std::filesystem;
    const fs::path away = m_dir.path() / "away", other = m_dir.path() / "other";
    const auto before = Snapshot(DocFolder());
    for (const auto& [link, script, says] : {
             std::tuple{false, "select\nrclick\nanswer text 甲\nmenu 增加类型包\n", "已不是打开文档时的文件夹"},
             {false, "select IEC61850\nrclick\nanswer file ws/document/x.Type\nmenu 导出类型包\n", "own files"},
             {true, "select\nrclick\nanswer text 甲\nmenu 增加类型包\n", "已不是打开文档时的文件夹"}}) {
        CPluginDouble::Reset();
        if (link) fs::rename(DocFolder(), away), fs::create_directory_symlink(away, DocFolder());
        CPluginDouble::s_onCommand = [&, link = link] {
            fs::copy(DocFolder(), other);
            if (link) fs::remove(DocFolder()), fs::create_directory_symlink(other, DocFolder());
            else fs::rename(DocFolder(), away), fs::rename(other, DocFolder());
        };
        Played run = Play(script);
        EXPECT_EQ(run.result.status, 1) << run.transcript;
        EXPECT_TRUE(Has(run.result.error, says)) << run.result.error;
        EXPECT_EQ(Snapshot(away), before);
        EXPECT_EQ(Snapshot(DocFolder()), before);
        fs::remove_all(DocFolder());
        fs::remove_all(other);
        fs::rename(away, DocFolder());
    }
}

// Whatever killed runs left (parts of a copy of the report, of a replaced
// report or manifest), the next run removes.
TEST_F(HostTest, TheNextRunRemovesTheTemporariesOfKilledRuns) {
    const auto before = Snapshot(DocFolder());
    for (const char* part : {"Report.xml.unsaved-g1.tmp4242_0", "Report.xml.tmp4243_1", "document.xml.tmp4244_2"})
        WriteFile(DocFolder() / part, "half");
    Played run = Play("echo hello\n");
    EXPECT_EQ(run.result.status, 0) << run.transcript;
    EXPECT_EQ(Snapshot(DocFolder()), before);
}

TEST_F(HostTest, AFailedQuestionFailsTheRunEvenWhenThePlugInCatchesIt) {
    const auto before = Snapshot(DocFolder());
    CPluginDouble::s_bSwallowErrors = true;
    Played run = Play("select\nrclick\nmenu 增加类型包\nselect\nrclick\nanswer text 乙\nmenu 增加类型包\n");
    EXPECT_EQ(run.result.status, 1);
    EXPECT_TRUE(Has(run.result.error, "t.kiln:3: no answer for the input box")) << run.result.error;
    // The run stopped at the failed event.
    EXPECT_EQ(CPluginDouble::s_vCommands.size(), 1u);
    EXPECT_EQ(Snapshot(DocFolder()), before);
}

TEST_F(HostTest, TheTerminalAnswersWhatTheScriptDoesNot) {
    const std::string typed = "产品包T\n";
    Played run = Play("select\nrclick\nmenu 增加类型包\n", &typed);
    ASSERT_EQ(run.result.status, 0) << run.transcript;
    EXPECT_TRUE(Has(run.transcript, "[input] 请输入类型包名称 -> \"产品包T\" (typed)\n")) << run.transcript;
    EXPECT_EQ(Names(DocFolder(), "sec:TypePackage"), (std::vector<std::string>{"IEC61850", "产品包T"}));
}

TEST_F(HostTest, EveryKindOfQuestionIsPrintedWithItsAnswer) {
    Played run = Play(R"(select IEC61850
rclick
answer file std.Type
menu 导出类型包
rclick
answer button 当前
menu 检查
rclick
menu 未实现
select
rclick
answer resource IEC61850
menu 选择类型包
select IEC61850 LN类 LLN0
edit cim:Naming.name LLN9
rclick
menu 删除LLN0
)");
    // The last menu item is disabled: the run fails there, after the rest was printed.
    EXPECT_EQ(run.result.status, 1);
    EXPECT_TRUE(Has(run.transcript, "[save file] IEC61850.Type (类型包文件|*.Type||) -> " + m_dir.str("std.Type") +
                                        "\n[message] 模板文件文件导出成功！\n"))
        << run.transcript;
    EXPECT_EQ(ReadFile(m_dir.path() / "std.Type"), "IEC61850\n");
    EXPECT_TRUE(Has(run.transcript, "[buttons] 检查: 检查哪些类型包？\n    全部\n    当前\n  -> \"当前\"\n"
                                    "[status] 正在检查当前\n[message] 检查完毕\n"))
        << run.transcript;
    EXPECT_TRUE(Has(run.transcript, "[message] 未知命令！\n")) << run.transcript;
    EXPECT_TRUE(Has(run.transcript, "[pick] 选择类型包\n    IEC61850\n  -> \"IEC61850\"\n"
                                    "[status] 选中kiln.IEC61850_std#TP1\n"))
        << run.transcript;
    EXPECT_TRUE(Has(run.transcript, "[edit] cim:Naming.name of \"LLN0\" (kiln.IEC61850_std#LNT_LLN0): not editable\n"))
        << run.transcript;
    EXPECT_TRUE(Has(run.transcript, "\"删除LLN0\"  ICD:Delete  (disabled)\n")) << run.transcript;
}

TEST_F(HostTest, SelectionByUriAndRightClickInThePropertyView) {
    Played run = Play(R"(select-uri kiln.IEC61850_std#LNT_LPHD
rclick
view 超文本视图1
rclick
view TreeView_Preset
select-uri kiln.IEC61850_std#TP1
rclick
tree
view TreeView_User
select
rclick
answer text 甲
menu 增加类型包
select 甲
answer choice "GGIO 通用"
rclick
menu "增加 LN 类型"
answer choice "GGIO 通用"
rclick
menu "增加 LN 类型"
select 甲 LN类 GGIO
edit cim:Naming.name GGIO
select 甲 LN类 GGIO#2
edit cim:Naming.name GGIO
)");
    ASSERT_EQ(run.result.status, 0) << run.transcript;
    // Of two items of one text, the first and the second.
    const size_t first = run.transcript.find("[edit] cim:Naming.name of \"GGIO\" (kiln.甲#");
    const size_t second = run.transcript.find("[edit] cim:Naming.name of \"GGIO\" (kiln.甲#", first + 1);
    ASSERT_NE(second, std::string::npos) << run.transcript;
    EXPECT_NE(run.transcript.substr(first, run.transcript.find(')', first) - first),
              run.transcript.substr(second, run.transcript.find(')', second) - second));
    // Found in the tree, three levels down; the property view shows it.
    EXPECT_TRUE(Has(run.transcript, "> select-uri kiln.IEC61850_std#LNT_LPHD\n> rclick\n[menu]\n    \"删除LPHD\"  ICD:Delete  (disabled)\n"
                                    "> view 超文本视图1\n> rclick\n[menu]\n    \"删除LPHD\"  ICD:Delete  (disabled)\n"))
        << run.transcript;
    // A tree that does not show the resource: it is selected as a resource.
    EXPECT_TRUE(Has(run.transcript, "(kiln.IEC61850_std#TP1 is not in the tree of TreeView_Preset; selected as a resource)\n"
                                    "> rclick\n[menu]\n    \"增加 LN 类型 \"  ICD:Add LNodeType\n"))
        << run.transcript;
    EXPECT_TRUE(Has(run.transcript, "> tree\n  (the tree is empty)\n")) << run.transcript;
}

TEST_F(HostTest, ShowPrintsAResourceAsTheDocumentHoldsIt) {
    {
        // Seven LN types: LPHD comes before LLN0 in sibling order, though
        // LLN0 was linked first.
        CBase_CimDoc doc;
        ASSERT_TRUE(doc.Open(DocFolder().string().c_str())) << doc.LastError();
        const URI_Ref pkg = doc.Find("kiln.IEC61850_std#TP1");
        ASSERT_TRUE(doc.SetDomainEditable("kiln.IEC61850_std#", true));  // read-only once the test wrote it
        ASSERT_TRUE(doc.SetAttribute(doc.Find("kiln.IEC61850_std#LNT_LLN0"), "e301:OrdNaming.ord", "3"));
        ASSERT_TRUE(doc.SetAttribute(pkg, "cim:Naming.description", "line one\nline \"two\""));
        for (int i = 1; i <= 5; ++i) {
            URI_Ref lnt;
            CString name;
            name.Format("X%d", i);
            ASSERT_TRUE(doc.CreateResource("kiln.IEC61850_std#", "sec:LNodeType", lnt, name));
            ASSERT_TRUE(doc.SetAttribute(lnt, "e301:OrdNaming.ord", std::to_string(9 + i).c_str()));
            ASSERT_TRUE(doc.AddLink(lnt, "sec:LNodeType.TypePackage", pkg));
        }
        ASSERT_TRUE(doc.SetDomainEditable("kiln.IEC61850_std#", false));
        ASSERT_TRUE(doc.Save(DocFolder().string().c_str())) << doc.LastError();
    }
    Played run = Play(R"(show kiln.IEC61850_std#TP1
show kiln.IEC61850_std#TP1 sec:TypePackage.LNodeTypes 2
show kiln.IEC61850_std#TP1 sec:TypePackage.LNodeTypes
show kiln.IEC61850_std#LNT_LPHD
show kiln.IEC61850_std#LNT_LPHD sec:LNodeType.DOs
)");
    ASSERT_EQ(run.result.status, 0) << run.transcript;
    const std::string head = "[resource] kiln.IEC61850_std#TP1  \"IEC61850\"  sec:TypePackage (类型声明包)\n";
    // Values are quoted as a script would write them; the name stands in the head line only.
    EXPECT_TRUE(Has(run.transcript, "> show kiln.IEC61850_std#TP1\n" + head +
                                        "    cim:Naming.description = \"line one\\nline \\\"two\\\"\"\n"
                                        "    sec:TypePackage.ref = \"http://www.iec.ch/61850/2003\"\n"
                                        "    sec:TypePackage.LNodeTypes -> 7: \"LPHD\", \"LLN0\", \"X1\", \"X2\", \"X3\", ... 2 more\n"
                                        "> show"))
        << run.transcript;
    EXPECT_TRUE(Has(run.transcript, "> show kiln.IEC61850_std#TP1 sec:TypePackage.LNodeTypes 2\n" + head +
                                        "    sec:TypePackage.LNodeTypes -> 7\n"
                                        "      \"LPHD\"  kiln.IEC61850_std#LNT_LPHD\n"
                                        "      \"LLN0\"  kiln.IEC61850_std#LNT_LLN0\n"
                                        "      ... 5 more\n"))
        << run.transcript;
    // Without a limit every target is listed.
    EXPECT_TRUE(Has(run.transcript, "      \"X5\"  kiln.IEC61850_std#LNodeType_")) << run.transcript;
    EXPECT_FALSE(Has(run.transcript, "... 0 more")) << run.transcript;
    // The other end of a link, and a role without links.
    EXPECT_TRUE(Has(run.transcript, "[resource] kiln.IEC61850_std#LNT_LPHD  \"LPHD\"  sec:LNodeType (LN类型)\n"
                                    "    e301:OrdNaming.ord = \"2\"\n"
                                    "    sec:LNodeType.TypePackage -> 1: \"IEC61850\"\n> show"))
        << run.transcript;
    EXPECT_TRUE(Has(run.transcript, "    sec:LNodeType.DOs -> 0\n[document] saved\n")) << run.transcript;
}

TEST_F(HostTest, ADomainFileIsImportedReadOnly) {
    WriteFile(m_dir.path() / "extra.xml", ReadFile(m_dir.path() / "install" / "domains" / "IEC61850_std.xml"));
    Played run = Play("import extra.xml 二次模型数据类型包 readonly\nview TreeView_Manager\ntree\n");
    ASSERT_EQ(run.result.status, 0) << run.transcript;
    EXPECT_TRUE(Has(run.transcript, "[import] extra.xml -> domain kiln.extra# (二次模型数据类型包, read-only)\n"))
        << run.transcript;
    EXPECT_TRUE(Has(run.transcript, "  二次模型数据类型包\n    kiln.extra#\n")) << run.transcript;
    CBase_CimDoc doc;
    ASSERT_TRUE(doc.Open(DocFolder().string().c_str()));
    EXPECT_FALSE(doc.IsDomainEditable("kiln.extra#"));
    EXPECT_EQ(doc.DomainTypeName("kiln.extra#"), "二次模型数据类型包");
    EXPECT_FALSE(doc.Find("kiln.extra#LNT_LLN0").IsEmpty());
}

TEST_F(HostTest, ADocumentThatCannotBeOpenedIsLeftAlone) {
    // A corrupt domain file.
    for (const auto& e : std::filesystem::directory_iterator(DocFolder()))
        if (e.path().filename() != kManifestFile) WriteFile(e.path(), "<rdf:RDF><sec:TypePackage");
    const auto before = Snapshot(DocFolder());
    Played run = Play("tree\n");
    EXPECT_EQ(run.result.status, 1);
    EXPECT_TRUE(Has(run.result.error, "cannot open the document " + DocFolder().string())) << run.result.error;
    EXPECT_EQ(Snapshot(DocFolder()), before);
    EXPECT_FALSE(Has(run.transcript, "> tree"));
}

TEST_F(HostTest, ADocumentThePlugInRefusesIsNotSaved) {
    CBase_CimDoc doc;
    ASSERT_TRUE(doc.Open(DocFolder().string().c_str()));
    doc.SetDomainPrefixDefault("");
    ASSERT_TRUE(doc.Save(DocFolder().string().c_str()));
    const auto before = Snapshot(DocFolder());
    Played run = Play("tree\n");
    EXPECT_EQ(run.result.status, 1);
    EXPECT_TRUE(Has(run.transcript, "[message] EP格式错误：域名前缀未设置！\nerror: the plug-in refused the document\n"))
        << run.transcript;
    EXPECT_EQ(Snapshot(DocFolder()), before);
}

TEST_F(HostTest, AMissingWorkspaceOrModuleStopsBeforeThePlugIn) {
    RunSettings settings;
    std::ostringstream out;
    settings.workspace = m_dir.str("nowhere");
    RunResult r = RunWorkspace(settings, m_module, out);
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(Has(r.error, "no workspace at " + m_dir.str("nowhere") + ": the folder does not exist")) << r.error;

    settings.workspace = m_dir.str("install");  // a folder, but no document in it
    r = RunWorkspace(settings, m_module, out);
    EXPECT_TRUE(Has(r.error, "is not a workspace: " + m_dir.str("install/document/document.xml") + " is missing"))
        << r.error;
    EXPECT_EQ(m_attached, 0);
    EXPECT_EQ(CPluginDouble::s_nConstructed, 0);

    PluginModule refusing = m_module;
    refusing.entry = [](int) { return 0; };
    settings.workspace = Workspace();
    r = RunWorkspace(settings, refusing, out);
    EXPECT_TRUE(Has(r.error, "the plug-in module did not load")) << r.error;
    EXPECT_EQ(CPluginDouble::s_nConstructed, 0);
}

TEST_F(HostTest, StatusTextsAreShownAsProgress) {
    RunSettings settings;
    settings.workspace = Workspace();
    std::ostringstream out, progress;
    settings.progress = &progress;
    RunResult r = RunWorkspace(settings, m_module, out);
    ASSERT_EQ(r.status, 0) << out.str();
    EXPECT_EQ(progress.str(), "\r\033[K类型包 1 个\r\033[K");
}
