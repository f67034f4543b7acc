// The ITB import: groups, items and their 103 addresses through the entry,
// grouping by address, the ICD found by the file's header, and input that
// must change nothing.
#include <filesystem>

#include "import/kiln_import.h"
#include "tests/import/itb_m2i_fixture.h"

namespace kiln::test {
namespace {

std::vector<CString> Statuses(CScriptedUi& ui) {
    std::vector<CString> out;
    for (const Struct_UiCall& c : ui.CallsOf(Enum_UiCall::StatusText)) out.push_back(c.sText);
    return out;
}

class ItbImportTest : public ItbM2iTest {
protected:
    std::string AddressOf(const URI_Ref& item) {
        std::string s;
        for (const char* r : {"p103_typ", "p103_fun", "p103_inf", "p103_grp", "p103_ent", "p103_acc"})
            s += std::string(Get(item, CString("sec:InfoItem.") + r).GetString()) + "|";
        return s;
    }
    std::vector<URI_Ref> Items() { return Members(TheItb(), "sec:ITB.InfoItems"); }
    std::vector<URI_Ref> Groups() { return Members(TheItb(), "sec:ITB.InfoGroups"); }
};

TEST_F(ItbImportTest, GroupsItemsAndTheAddressesInEveryConfigForm) {
    const std::string body =
        "<InfoGroup name=\"遥信\" desc=\"状态量\"/><InfoGroup name=\"遥测\"/>\n"
        "<InfoItem id=\"1\" name=\"跳闸\" desc=\"保护跳闸\" dataType=\"SPS\" infoGroup=\"遥信\">"
        "<s103:Config typ=\"1\" fun=\"160\" inf=\"90\" grp=\"2\" itm=\"3\" acc=\"4\"/></InfoItem>\n"
        "<InfoItem id=\"2\" name=\"cpu\"><sQV103:Config sQV103:cpu=\"5\" sQV103:fun=\"6\" sQV103:inf=\"7\" "
        "sQV103:grp=\"8\" sQV103:itm=\"9\" sQV103:acc=\"10\"/></InfoItem>\n"
        "<InfoItem id=\"3\" name=\"c\"><s103:config s103:cpu=\"11\" s103:fun=\"12\"/></InfoItem>\n"
        "<InfoItem id=\"4\" name=\"d\"><s103:Config s103:typ=\"13\" grp=\"\" s103:grp=\"14\"/></InfoItem>\n"
        "<InfoItem id=\"5\" name=\"e\" infoGroup=\"遥测\"/>\n";
    ASSERT_TRUE(RunItb(Itb(body), icd));
    EXPECT_EQ(Boxes(), std::vector<CString>{WriteFile("in.itb", "") + "模板文件导入完成！"});
    EXPECT_EQ(Statuses(ui).back(), "导入ITB结束");
    EXPECT_EQ(ui.CallsOf(Enum_UiCall::AllViewsRefresh).size(), 1u);

    const std::vector<URI_Ref> groups = Groups();
    ASSERT_EQ(NamesOf(groups), (std::vector<CString>{"遥信", "遥测"}));
    EXPECT_EQ(Get(groups[0], "cim:Naming.description"), "状态量");

    const std::vector<URI_Ref> items = Items();
    ASSERT_EQ(items.size(), 5u);
    EXPECT_EQ(Get(items[0], "sec:InfoItem.id"), "1");
    EXPECT_EQ(Get(items[0], "cim:Naming.name"), "跳闸");
    EXPECT_EQ(Get(items[0], "cim:Naming.description"), "保护跳闸");
    EXPECT_EQ(Get(items[0], "sec:InfoItem.dataType"), EnumValue("ITBDataTypeEnum", "SPS"));
    EXPECT_EQ(AddressOf(items[0]), "1|160|90|2|3|4|");
    EXPECT_EQ(AddressOf(items[1]), "5|6|7|8|9|10|");
    EXPECT_EQ(AddressOf(items[2]), "11|12|||||");
    // An empty value gives way to the next form.
    EXPECT_EQ(AddressOf(items[3]), "13|||14|||");
    EXPECT_EQ(AddressOf(items[4]), "||||||");
    // With groups in the file every item keeps its own group text.
    EXPECT_EQ(Get(items[0], "sec:InfoItem.infoGroup"), "遥信");
    EXPECT_EQ(Get(items[3], "sec:InfoItem.infoGroup"), "");
    EXPECT_EQ(Get(items[4], "sec:InfoItem.infoGroup"), "遥测");
    for (size_t i = 0; i < items.size(); ++i) EXPECT_EQ(Get(items[i], "e301:OrdNaming.ord"), ToText(int(i) + 1));
    // The status line showed each item.
    bool shown = false;
    for (const CString& s : Statuses(ui)) shown = shown || s == "1 跳闸 保护跳闸";
    EXPECT_TRUE(shown);
}

// The groups go by the numbers of the address, "01" being 1. An item that
// gives its own group text, empty or not, keeps it and makes no group; a
// group it names that neither the file nor an address gives is named.
TEST_F(ItbImportTest, WithoutGroupsTheItemsAreGroupedByTheirAddressInTextOrder) {
    const std::string body =
        "<InfoItem id=\"a\" name=\"A\"><s103:Config typ=\"10\" grp=\"1\"/></InfoItem>\n"
        "<InfoItem id=\"b\" name=\"B\"><s103:Config typ=\"1\" grp=\"2\"/></InfoItem>\n"
        "<InfoItem id=\"c\" name=\"C\"><s103:Config typ=\"01\" grp=\"002\"/></InfoItem>\n"
        "<InfoItem id=\"d\" name=\"D\" infoGroup=\"kept\"><s103:Config fun=\"3\"/></InfoItem>\n"
        "<InfoItem id=\"e\" name=\"E\" infoGroup=\"保护组\">"
        "<s103:Config typ=\"1\" fun=\"160\" inf=\"90\" grp=\"2\"/></InfoItem>\n"
        "<InfoItem id=\"f\" name=\"F\" infoGroup=\"\"><s103:Config typ=\"3\" grp=\"4\"/></InfoItem>\n"
        "<InfoItem id=\"g\" name=\"G\" infoGroup=\"遥测\"><s103:Config typ=\"5\"/></InfoItem>\n"
        // Half an address names no group: the item keeps none, and says so.
        "<InfoItem id=\"h\" name=\"H\"><s103:Config typ=\"1\"/></InfoItem>\n"
        "<InfoItem id=\"i\" name=\"I\"><s103:Config grp=\"2\"/></InfoItem>\n"
        "<InfoItem id=\"j\" name=\"J\" infoGroup=\"1/2\"/>\n";
    ASSERT_TRUE(RunItb(Itb(body), icd, "in.itb", [&] {
        ui.AnswerNo("ITB文件导入完毕,发现错误5个。是否查看报告？");
    }));
    EXPECT_EQ(SavedReport(),
              (std::vector<ReportEntry>{{"other_error", "错误：ITB文件:  InfoItem:h", "没有infoGroup，103地址中没有grp，未分组"},
                                        {"other_error", "错误：ITB文件:  InfoItem:i", "没有infoGroup，103地址中没有typ，未分组"},
                                        {"other_error", "错误：ITB文件:  InfoItem:d", "信息组kept不存在"},
                                        {"other_error", "错误：ITB文件:  InfoItem:e", "信息组保护组不存在"},
                                        {"other_error", "错误：ITB文件:  InfoItem:g", "信息组遥测不存在"}}));
    EXPECT_EQ(NamesOf(Groups()), (std::vector<CString>{"1/2", "10/1"}));
    const std::vector<URI_Ref> items = Items();
    const std::vector<CString> expected{"10/1", "1/2", "1/2", "kept", "保护组", "", "遥测", "", "", "1/2"};
    ASSERT_EQ(items.size(), expected.size());
    for (size_t i = 0; i < items.size(); ++i) EXPECT_EQ(Get(items[i], "sec:InfoItem.infoGroup"), expected[i]) << i;
}

// Items without id are not keyed, so two of them are no repetition; an
// item without the attribute is named (an empty id is what kiln writes for
// an item without one). A repeated id refuses the file before anything is
// made.
TEST_F(ItbImportTest, RepeatedIdsRefuseTheFileBeforeAnythingIsMade) {
    const std::string body = "<InfoItem name=\"x\"/><InfoItem name=\"y\"/><InfoItem id=\"\" name=\"z\"/>\n";
    ASSERT_TRUE(RunItb(Itb(body), icd, "in.itb", [&] {
        ui.AnswerNo("ITB文件导入完毕,发现错误2个。是否查看报告？");
    }));
    EXPECT_EQ(Items().size(), 3u);
    EXPECT_EQ(SavedReport(), (std::vector<ReportEntry>{{"other_error", "错误：ITB文件:  InfoItem:第1条", "没有id属性"},
                                                       {"other_error", "错误：ITB文件:  InfoItem:第2条", "没有id属性"}}));

    URI_Ref other;
    ASSERT_TRUE(app.NewRsc_ICD(&other, URI_Ref(), "ICD2", false, product));
    ui.ClearCalls();
    EXPECT_FALSE(RunItb(Itb("<InfoItem id=\"7\"/><InfoItem id=\"8\"/><InfoItem id=\"7\"/>\n"), other));
    EXPECT_EQ(Boxes(), (std::vector<CString>{"infoitem的id:7重复！", "ITB文件格式不正确, 导入不成功！"}));
    EXPECT_TRUE(Target(other, "sec:ICD.ITB").IsEmpty());
    std::vector<URI_Ref> all;
    app.DocMtd_get_Uris_byClassName("sec:InfoItem", all, "", SortPolicy_ByName);
    EXPECT_EQ(all.size(), 3u);
}

// Refused input changes nothing and says so once.
TEST_F(ItbImportTest, RefusedInputChangesNothing) {
    // Not an ICD: false, nothing shown, no dialog.
    EXPECT_FALSE(app.Rsc_ITB_Import(m.instPkg));
    EXPECT_TRUE(Boxes().empty());
    EXPECT_TRUE(ui.CallsOf(Enum_UiCall::OpenFile).empty());

    // Another kind of file: the file-format message. One that cannot be
    // read (not well-formed, cut short, declaring entities, not in its
    // encoding): the message, then why on its own line.
    // A root ITB of another namespace is such a file, though the table's
    // namespace is bound to a prefix below it: the message says which root
    // the file has and which is read.
    const char* const kRead = "，只导入根元素为ITB（命名空间路径为/Zel/2004/ITB，或无命名空间）的文件";
    const struct {
        std::string text;
        std::string why;
    } kUnreadable[] = {{"<?xml version=\"1.0\"?><M2I><InfoItem id=\"1\"/></M2I>",
                        "\n根元素是M2I（命名空间无）" + std::string(kRead)},
                       {"<?xml version=\"1.0\"?><ITB xmlns=\"urn:other\" xmlns:p=\"http://kiln.local/Zel/2004/ITB\">"
                        "<InfoItem id=\"9\" name=\"foreign\"/><p:InfoItem id=\"1\" name=\"real\"/></ITB>",
                        "\n根元素是ITB（命名空间urn:other）" + std::string(kRead)},
                       {"<Foo/>", "\n根元素是Foo（命名空间无）" + std::string(kRead)},
                       {"<ITB><InfoItem id=\"1\"></ITB>", "XML格式错误"},
                       {"<?xml version=\"1.0\"?>\n<ITB><InfoItem id=\"1\"", "第2行"},
                       {"<!DOCTYPE ITB [<!ENTITY a \"aaaa\">]><ITB><InfoItem name=\"&a;\"/></ITB>", "实体"},
                       {"<?xml version=\"1.0\" encoding=\"UTF-8\"?><ITB><InfoItem name=\"\xb9\xfd\"/></ITB>", "UTF-8"},
                       {"<ITB>\n<InfoItem id=\"1\" name=\"a\" id=\"2\"/></ITB>", "第2行第27列：XML格式错误：属性id重复"},
                       {"<?xml version=\"1.0\" encoding=\"GB2312\"?>\n<ITB><InfoItem name=\"过流告警\"/></ITB>",
                        "编码GB2312：第2行第22列：字节0x87不是GB2312的字符"},
                       // One attribute through two prefixes of one namespace.
                       {Itb("<InfoItem id=\"1\"><s103:Config xmlns:q=\"http://kiln.local/Zel/2004/ITB/s103\" "
                            "s103:typ=\"7\" q:typ=\"8\"/></InfoItem>"),
                        "第4行第90列：XML格式错误：属性q:typ与s103:typ重复"},
                       // Zero bytes (a disk image, not a table): refused by its
                       // first bytes, before the rest (a broken UTF-16 tail) is read.
                       {std::string(100000, '\0') + std::string("\xDC\x00", 2), "第1行第1列：XML不允许的字符U+0000"}};
    for (const auto& u : kUnreadable) {
        ui.ClearCalls();
        EXPECT_FALSE(RunItb(u.text, icd, "bad.itb"));
        ASSERT_EQ(Boxes().size(), 1u) << u.text;
        const CString box = Boxes().front();
        EXPECT_EQ(box.Left(box.Find("\n") + 1), "ITB文件格式不正确, 导入不成功！\n") << u.text;
        EXPECT_GE(box.Find(u.why.c_str()), 0) << box;
    }
    EXPECT_TRUE(TheItb().IsEmpty());
    EXPECT_EQ(ui.CallsOf(Enum_UiCall::WaitCursorBegin).size(), ui.CallsOf(Enum_UiCall::WaitCursorEnd).size());

    // Cancelled dialog: nothing.
    ui.ClearCalls();
    ui.AnswerFileCancel();
    EXPECT_FALSE(app.Rsc_ITB_Import(icd));
    EXPECT_TRUE(Boxes().empty());

    // An ICD with an ITB refuses a second before the dialog.
    ASSERT_TRUE(RunItb(Itb("<InfoItem id=\"1\" name=\"a\"/>"), icd));
    ui.ClearCalls();
    EXPECT_FALSE(app.Rsc_ITB_Import(icd));
    EXPECT_EQ(Boxes(), std::vector<CString>{"该ICD已有ITB，不能再导入！"});
    EXPECT_TRUE(ui.CallsOf(Enum_UiCall::OpenFile).empty());
    EXPECT_EQ(Items().size(), 1u);
}

// What the model's types cannot hold (a data type outside its list, a 103
// number outside one octet) is left out, and named with what 103 or the
// table refuses (an address twice, also written with leading zeros, an
// empty name, a group the file lacks or names twice: the second left out)
// in the report the run ends with; the rest comes in as written.
TEST_F(ItbImportTest, WhatTheModelCannotHoldIsLeftOutAndEachFaultIsNamed) {
    const std::string body =
        "<InfoGroup name=\"遥信\"/>\n"
        "<InfoGroup name=\"遥信\" desc=\"重复\"/>\n"
        "<InfoGroup desc=\"无名\"/>\n"
        "<InfoItem id=\"1\" name=\"A\" dataType=\"SPS\" infoGroup=\"遥信\"><s103:Config typ=\"999\" fun=\"300\" "
        "inf=\"-1\" grp=\"12345678901234567890123\" itm=\"abc\" acc=\"255\"/></InfoItem>\n"
        "<InfoItem id=\"2\" name=\"B\" dataType=\"FOO\" infoGroup=\"遥信\"><s103:Config typ=\"1\" fun=\"160\" "
        "inf=\"90\" grp=\"2\" itm=\"1\" acc=\"0\"/></InfoItem>\n"
        "<InfoItem name=\"\" dataType=\"DPS\" infoGroup=\"无此组\"><s103:Config typ=\"1\" fun=\"160\" inf=\"90\" "
        "grp=\"2\" itm=\"1\" acc=\"0\"/></InfoItem>\n"
        "<InfoItem id=\"4\" name=\"D\" infoGroup=\"遥信\"><s103:Config typ=\"01\" fun=\"160\" inf=\"090\" "
        "grp=\"02\" itm=\"1\"/></InfoItem>\n"
        // Read by namespace: an item under a prefix, an address under
        // another prefix; a second address, one in another namespace, an
        // item inside a group and elements the table has not are named.
        "<itb:InfoItem xmlns:itb=\"http://kiln.local/Zel/2004/ITB\" id=\"5\" name=\"E\">"
        "<p:Config xmlns:p=\"http://kiln.local/Zel/2004/ITB/s103\" typ=\"2\" fun=\"160\" inf=\"91\" grp=\"2\" itm=\"1\"/>"
        "<s103:Config typ=\"3\" fun=\"160\" inf=\"92\"/></itb:InfoItem>\n"
        "<InfoItem xmlns:s103=\"urn:other\" id=\"6\" name=\"  \"><s103:Config typ=\"4\" fun=\"160\" inf=\"93\"/></InfoItem>\n"
        // Nothing is made up for what an item lacks; what its address holds
        // and is not read is named: an attribute, a second form of a number
        // with another value, an element within it, a Config of no form.
        "<InfoItem/>\n"
        "<InfoItem id=\"8\" name=\"H\"><sQV103:Config typ=\"1\" sQV103:cpu=\"5\" s103:fun=\"2\" fun=\"2\" inf=\"3\" "
        "foo=\"x\"><s103:Config typ=\"9\"><s103:Config/></s103:Config></sQV103:Config></InfoItem>\n"
        "<InfoItem id=\"9\" name=\"I\"><sQV103:config typ=\"4\"/></InfoItem>\n"
        "<InfoGroup name=\"保护\"><InfoItem id=\"7\" name=\"G\"/></InfoGroup>\n"
        "<Foo/><x:InfoItem xmlns:x=\"urn:x\" id=\"8\"/>\n";
    const CString path = WriteFile("in.itb", Itb(body));
    ui.AnswerOpenFile(path);
    ui.AnswerNo("ITB文件导入完毕,发现错误25个。是否查看报告？");
    ASSERT_TRUE(app.Rsc_ITB_Import(icd));
    EXPECT_EQ(Boxes().back(), path + "模板文件导入完成！");
    const CString one = "错误：ITB文件:  InfoItem:1", two = "错误：ITB文件:  InfoItem:2",
                  third = "错误：ITB文件:  InfoItem:第3条";
    EXPECT_EQ(SavedReport(),
              (std::vector<ReportEntry>{
                  {"other_error", "错误：ITB文件:  ITB", "元素Foo未导入"},
                  {"other_error", "错误：ITB文件:  ITB", "元素x:InfoItem未导入（命名空间urn:x）"},
                  {"other_error", "错误：ITB文件:  InfoGroup:遥信", "名称重复，未导入"},
                  {"other_error", "错误：ITB文件:  InfoGroup:第3条", "名称为空"},
                  {"other_error", "错误：ITB文件:  InfoGroup:保护", "元素InfoItem未导入"},
                  {"other_error", one, "typ的值999不是1到255之间的整数，未导入"},
                  {"other_error", one, "fun的值300不是0到255之间的整数，未导入"},
                  {"other_error", one, "inf的值-1不是0到255之间的整数，未导入"},
                  {"other_error", one, "grp的值12345678901234567890123不是0到255之间的整数，未导入"},
                  {"other_error", one, "itm的值abc不是0到255之间的整数，未导入"},
                  {"other_error", two, "数据类型FOO不是可选的类型（ASG、SPG、SPS、DPS、MV、ING）之一，未导入"},
                  {"other_error", third, "没有id属性"},
                  {"other_error", third, "名称为空"},
                  {"other_error", third, "与InfoItem:2的103地址（typ、fun、inf、grp、itm）相同"},
                  {"other_error", third, "信息组无此组不存在"},
                  {"other_error", "错误：ITB文件:  InfoItem:4", "与InfoItem:2的103地址（typ、fun、inf、grp、itm）相同"},
                  {"other_error", "错误：ITB文件:  InfoItem:5", "元素s103:Config未导入（只导入第一个Config）"},
                  {"other_error", "错误：ITB文件:  InfoItem:6", "名称为空"},
                  {"other_error", "错误：ITB文件:  InfoItem:6", "元素s103:Config未导入（命名空间urn:other）"},
                  {"other_error", "错误：ITB文件:  InfoItem:第7条", "没有id属性"},
                  {"other_error", "错误：ITB文件:  InfoItem:第7条", "没有name属性"},
                  {"other_error", "错误：ITB文件:  InfoItem:8", "元素s103:Config未导入"},
                  {"other_error", "错误：ITB文件:  InfoItem:8", "属性sQV103:cpu未导入（typ取属性typ的值1）"},
                  {"other_error", "错误：ITB文件:  InfoItem:8", "属性foo未导入"},
                  {"other_error", "错误：ITB文件:  InfoItem:9", "元素sQV103:config未导入"}}));
    const std::vector<URI_Ref> groups = Groups();
    ASSERT_EQ(groups.size(), 3u);
    EXPECT_EQ(Get(groups[0], "cim:Naming.description"), "");
    EXPECT_EQ(Get(groups[1], kiln::core::kRoleName), "");
    const std::vector<URI_Ref> items = Items();
    ASSERT_EQ(items.size(), 9u);
    EXPECT_EQ(Get(items[6], kiln::core::kRoleName), "");
    EXPECT_EQ(AddressOf(items[7]), "1|2|3||||");
    EXPECT_EQ(AddressOf(items[8]), "||||||");
    EXPECT_EQ(AddressOf(items[3]), "01|160|090|02|1||");
    EXPECT_EQ(AddressOf(items[4]), "2|160|91|2|1||");
    EXPECT_EQ(AddressOf(items[5]), "||||||");
    EXPECT_EQ(AddressOf(items[0]), "|||||255|");
    EXPECT_EQ(Get(items[1], "sec:InfoItem.dataType"), "");
    EXPECT_EQ(AddressOf(items[2]), "1|160|90|2|1|0|");
    EXPECT_EQ(Get(items[2], "sec:InfoItem.dataType"), EnumValue("ITBDataTypeEnum", "DPS"));
    EXPECT_EQ(Get(items[2], "sec:InfoItem.infoGroup"), "无此组");
}

TEST_F(ItbImportTest, AMissingTemplateOrALockedDomainRefuses) {
    std::filesystem::rename(workspace / "Template" / "Report_Template.xml", workspace / "Template" / "x.xml");
    EXPECT_FALSE(app.Rsc_ITB_Import(icd));
    EXPECT_EQ(Boxes(), std::vector<CString>{app.Get_ReportTemplatePath() + "模板文件格式不正确, 导入不成功！"});
    std::filesystem::rename(workspace / "Template" / "x.xml", workspace / "Template" / "Report_Template.xml");

    ui.ClearCalls();
    Doc().SetDomainEditable(DomainOf(icd), false);
    EXPECT_FALSE(RunItb(Itb("<InfoItem id=\"1\"/>"), icd));
    EXPECT_EQ(Boxes(), (std::vector<CString>{"当前域不可编辑！-W0085", "ITB文件格式不正确, 导入不成功！"}));
    EXPECT_TRUE(TheItb().IsEmpty());
}

// A creator that fails half way takes back the table it began.
TEST_F(ItbImportTest, AFailingCreatorTakesTheTableBack) {
    Doc().InjectFault("create", 2);  // the table and its group are made, the first item is not
    EXPECT_FALSE(RunItb(Itb("<InfoGroup name=\"g\"/><InfoItem id=\"1\"/><InfoItem id=\"2\"/>"), icd));
    EXPECT_EQ(Boxes(), std::vector<CString>{"ITB文件格式不正确, 导入不成功！"});
    EXPECT_TRUE(TheItb().IsEmpty());
    for (const char* cls : {"sec:ITB", "sec:InfoGroup", "sec:InfoItem"}) {
        std::vector<URI_Ref> all;
        app.DocMtd_get_Uris_byClassName(cls, all, "", SortPolicy_ByName);
        EXPECT_TRUE(all.empty()) << cls;
    }
}

// Without an ICD the file's iedModel and icdVersion name it.
TEST_F(ItbImportTest, TheWorkerFindsItsIcdByTheHeader) {
    Set(icd, "sec:ICD.icdVersion", "2");
    auto run = [&](const std::string& attrs) {
        CBase_XML source;
        const CString file = WriteFile("h.itb", "<ITB " + attrs + "><InfoItem id=\"9\"/></ITB>");
        EXPECT_TRUE(source.Load(file));
        CKiln_Import importer;
        return importer.Import_ITB(&app, &source, URI_Ref());
    };
    EXPECT_FALSE(run("icdVersion=\"2\""));
    EXPECT_FALSE(run("iedModel=\"ICD1\" icdVersion=\"3\""));
    EXPECT_EQ(Boxes(), (std::vector<CString>{"找不到对应的ICD！", "通过iedModel找不到对应的ICD！"}));
    EXPECT_TRUE(TheItb().IsEmpty());
    EXPECT_TRUE(run("iedModel=\"ICD1\" icdVersion=\"2\""));
    EXPECT_EQ(Get(Items().at(0), "sec:InfoItem.id"), "9");
}

}  // namespace
}  // namespace kiln::test
