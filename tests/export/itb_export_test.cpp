// The information-table export: the file's layout (what the ITB import
// reads), the dialog and messages, and no file where the command fails.
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "export/kiln_export.h"
#include "tests/export/export_fixture.h"

namespace fs = std::filesystem;

namespace kiln::test {
namespace {

class ItbExportTest : public ExportTest {
protected:
    ItbExportTest() : c(BuildCompleteIcd()) { itb = MakeUnder(c.icd, "sec:ITB", "ITB", "sec:ITB.ICD"); }

    URI_Ref Group(const char* name, int ord) {
        URI_Ref g = MakeUnder(itb, "sec:InfoGroup", name, "sec:InfoGroup.ITB", ord);
        Set(g, "cim:Naming.description", CString(name) + "组");
        return g;
    }
    URI_Ref Item(const char* name, int ord) {
        URI_Ref i = MakeUnder(itb, "sec:InfoItem", name, "sec:InfoItem.ITB", ord);
        Set(i, "sec:InfoItem.id", CString("id") + name);
        return i;
    }
    bool Export(const std::string& file, const URI_Ref& rsc) {
        ui.AnswerSaveFile(Path(file).c_str());
        return app.Rsc_ITB_Export(rsc);
    }

    CompleteIcd c;
    URI_Ref itb;
};

TEST_F(ItbExportTest, GroupsThenItemsInOrderWithAddresses) {
    // Created out of order: the file follows the order numbers.
    Group("G3", 3);
    Group("G1", 1);
    Group("G2", 2);
    for (int ord : {4, 2, 5, 1, 3}) Item(("I" + std::to_string(ord)).c_str(), ord);
    URI_Ref first = Item("First", 0);
    Set(first, "e301:OrdNaming.ord", "0");
    Set(first, "cim:Naming.description", "断路器位置");
    Set(first, "sec:InfoItem.dataType", EnumValue("ITBDataTypeEnum", "DPS"));
    Set(first, "sec:InfoItem.infoGroup", "G2");
    Set(first, "sec:InfoItem.p103_typ", "1");
    Set(first, "sec:InfoItem.p103_fun", "178");
    Set(first, "sec:InfoItem.p103_inf", "22");
    Set(first, "sec:InfoItem.p103_grp", "2");
    Set(first, "sec:InfoItem.p103_ent", "7");
    const std::string before = ModelText();

    ASSERT_TRUE(Export("dev.itb", itb));
    const Struct_UiCall* dialog = ui.LastOf(Enum_UiCall::SaveFile);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->sValue, "Prot_Ver2_Rev5");
    EXPECT_EQ(dialog->sCaption, "itb");
    EXPECT_EQ(dialog->nType, 6u);
    EXPECT_EQ(dialog->sText, "*.itb");
    EXPECT_EQ(ui.Messages(), std::vector<CString>{CString(Path("dev.itb").c_str()) + "模板文件导出成功！"});
    EXPECT_EQ(ModelText(), before);

    const pugi::xml_document& doc = LoadFile(Path("dev.itb"));
    pugi::xml_node root = doc.document_element();
    EXPECT_STREQ(root.attribute("xmlns").value(), kiln::exporter::kItbNamespace);
    EXPECT_STREQ(root.attribute("iedModel").value(), "Prot_Ver2_Rev5");
    EXPECT_STREQ(root.attribute("iedVersion").value(), "");
    EXPECT_STREQ(root.attribute("icdVersion").value(), "2");
    EXPECT_STREQ(root.child("Header").attribute("id").value(), "ITB For Prot_Ver2_Rev5");
    EXPECT_EQ(Select(root, "*"), (std::vector<std::string>{"Header", "InfoGroup", "InfoGroup", "InfoGroup", "InfoItem",
                                                          "InfoItem", "InfoItem", "InfoItem", "InfoItem", "InfoItem"}));
    EXPECT_EQ(Select(root, "InfoGroup/@name"), (std::vector<std::string>{"G1", "G2", "G3"}));
    EXPECT_EQ(Select(root, "InfoGroup/@desc"), (std::vector<std::string>{"G1组", "G2组", "G3组"}));
    EXPECT_EQ(Select(root, "InfoItem/@name"), (std::vector<std::string>{"First", "I1", "I2", "I3", "I4", "I5"}));

    pugi::xml_node item = root.child("InfoItem");
    EXPECT_EQ(AttrNames(item), (std::vector<std::string>{"id", "name", "dataType", "desc", "infoGroup"}));
    EXPECT_STREQ(item.attribute("id").value(), "idFirst");
    EXPECT_STREQ(item.attribute("dataType").value(), "DPS");
    EXPECT_STREQ(item.attribute("desc").value(), "断路器位置");
    EXPECT_STREQ(item.attribute("infoGroup").value(), "G2");
    // The address in the s103 namespace the template declares; the entry
    // number as itm, an empty field as an empty attribute.
    EXPECT_STREQ(root.attribute("xmlns:s103").value(), kiln::exporter::kS103Namespace);
    pugi::xml_node config = item.child("s103:Config");
    ASSERT_FALSE(config.empty());
    EXPECT_EQ(AttrNames(config), (std::vector<std::string>{"typ", "fun", "inf", "grp", "itm", "acc"}));
    EXPECT_EQ(Select(item, "s103:Config/@*"), (std::vector<std::string>{"1", "178", "22", "2", "7", ""}));
    // The paths the ITB import reads, through the XML layer.
    CBase_XML back;
    ASSERT_TRUE(back.Load(Path("dev.itb").c_str()));
    CString text;
    EXPECT_TRUE(CBase_XML::Get_NodeText(back.GetDocumentElement(), "@icdVersion", text));
    EXPECT_EQ(text, "2");
    XmlNode backItem = back.Get_NodePtr(back.GetDocumentElement(), "InfoItem");
    EXPECT_TRUE(CBase_XML::Get_NodeText(back.Get_NodePtr(backItem, "s103:Config"), "@itm", text));
    EXPECT_EQ(text, "7");
    // Items without values: every field present and empty.
    pugi::xml_node bare = root.find_child_by_attribute("InfoItem", "name", "I1");
    EXPECT_EQ(Select(bare, "@dataType|@desc|@infoGroup"), (std::vector<std::string>{"", "", ""}));
    EXPECT_EQ(Select(bare, "s103:Config/@*"), (std::vector<std::string>{"", "", "", "", "", ""}));
}

// Numbers the ITB import refuses (kept by an older document, or an entry
// renumbered past 255), an id given twice and every other row the import
// names are written as held and named after the success text; a group the
// table lacks is left out and named, as is an item the mapping file could
// not tell from another.
TEST_F(ItbExportTest, NumbersPastOneOctetAreNamed) {
    const URI_Ref a = Item("A", 1), b = Item("B", 2), c = Item("C", 3), d = Item("D", 4), e = Item("E", 5);
    Group("G1", 1);
    Group("", 2);
    Group("G1", 3);
    const struct {
        URI_Ref item;
        const char* role;
        const char* value;
    } held[] = {{a, "sec:InfoItem.p103_typ", "0"},   {a, "sec:InfoItem.p103_fun", "255"},
                {a, "sec:InfoItem.p103_ent", "256"}, {b, "sec:InfoItem.p103_typ", "1"},
                {b, "sec:InfoItem.p103_inf", "-1"},  {b, "sec:InfoItem.p103_grp", "12345678901234567890123"},
                {a, "sec:InfoItem.id", "1"},         {b, "sec:InfoItem.id", "1"},
                {a, "sec:InfoItem.infoGroup", "NoSuch"}, {b, "sec:InfoItem.infoGroup", "G1"},
                // What the import names: A's address again, as 103 reads both
                // (a refused number is none, "09" is 9); an item without a name.
                {a, "sec:InfoItem.p103_inf", "9"},       {c, "sec:InfoItem.p103_fun", "255"},
                {c, "sec:InfoItem.p103_inf", "09"},      {c, "cim:Naming.name", " "},
                // D, without an id, goes into the mapping by its order number, E's id.
                {d, "sec:InfoItem.id", ""},              {e, "sec:InfoItem.id", "4"}};
    for (const auto& h : held) Set(h.item, h.role, h.value);
    ASSERT_TRUE(Export("wide.itb", itb));
    EXPECT_EQ(ui.Messages(), std::vector<CString>{CString(Path("wide.itb").c_str()) +
                                                  "模板文件导出成功！\n"
                                                  "不符合ITB的信息组（名称为空）：InfoGroup:第2条\n"
                                                  "不符合ITB的信息组（名称重复，未导入）：InfoGroup:G1\n"
                                                  "未导出信息条目的信息组（ITB没有信息组NoSuch）：A\n"
                                                  "不符合103的信息条目（typ的值0不是1到255之间的整数）：A\n"
                                                  "不符合103的信息条目（itm的值256不是0到255之间的整数）：A\n"
                                                  "不符合103的信息条目（inf的值-1不是0到255之间的整数）：B\n"
                                                  "不符合103的信息条目（grp的值12345678901234567890123不是0到255之间"
                                                  "的整数）：B\n"
                                                  "id重复的信息条目（id: 1，导入时整个文件被拒绝）：B\n"
                                                  "不符合ITB的信息条目（名称为空）：InfoItem:idC\n"
                                                  "不符合ITB的信息条目（与InfoItem:1的103地址（typ、fun、inf、grp、itm）"
                                                  "相同）：InfoItem:idC\n"
                                                  "M2I中标识相同的信息条目（标识: 4，与E相同，其映射条目不能导出）：D"});
    pugi::xml_node root = LoadFile(Path("wide.itb")).document_element();
    EXPECT_EQ(Select(root, "InfoItem/s103:Config/@itm"), (std::vector<std::string>{"256", "", "", "", ""}));
    EXPECT_EQ(Select(root, "InfoItem/@infoGroup"), (std::vector<std::string>{"", "G1", "", "", ""}));
}

TEST_F(ItbExportTest, TableWithoutItemsStillNamesItsIcdVersion) {
    Group("G1", 1);
    ASSERT_TRUE(Export("empty.itb", itb));
    pugi::xml_node root = LoadFile(Path("empty.itb")).document_element();
    EXPECT_STREQ(root.attribute("iedModel").value(), "Prot_Ver2_Rev5");
    EXPECT_STREQ(root.attribute("icdVersion").value(), "2");
    EXPECT_EQ(Select(root, "InfoGroup/@name"), std::vector<std::string>{"G1"});
    EXPECT_TRUE(root.child("InfoItem").empty());
}

TEST_F(ItbExportTest, TableWithoutIcd) {
    URI_Ref loose = Make(kIcdDomain, "sec:ITB", "Loose");
    URI_Ref i = MakeUnder(loose, "sec:InfoItem", "A", "sec:InfoItem.ITB", 1);
    (void)i;
    ASSERT_TRUE(Export("loose.itb", loose));
    EXPECT_EQ(ui.LastOf(Enum_UiCall::SaveFile)->sValue, "");
    pugi::xml_node root = LoadFile(Path("loose.itb")).document_element();
    EXPECT_STREQ(root.child("Header").attribute("id").value(), "ITB For ");
    EXPECT_STREQ(root.attribute("iedModel").value(), "");
    EXPECT_EQ(Select(root, "InfoItem/@name"), std::vector<std::string>{"A"});
}

TEST_F(ItbExportTest, TemplateWithoutHeaderLeavesTheRootToTheItems) {
    SetTemplate("ITB_Template.xml",
                "<ITB xmlns=\"http://kiln.local/Zel/2004/ITB\" iedModel=\"\" iedVersion=\"x\" icdVersion=\"\"/>");
    ASSERT_TRUE(Export("nh.itb", itb));
    pugi::xml_node root = LoadFile(Path("nh.itb")).document_element();
    EXPECT_STREQ(root.attribute("iedVersion").value(), "x");
    EXPECT_STREQ(root.attribute("icdVersion").value(), "");  // no item, no header: nothing names it

    Item("A", 1);
    ASSERT_TRUE(Export("nh2.itb", itb));
    root = LoadFile(Path("nh2.itb")).document_element();
    EXPECT_STREQ(root.attribute("iedModel").value(), "Prot_Ver2_Rev5");
    EXPECT_STREQ(root.attribute("icdVersion").value(), "2");
    // The template binds no s103 prefix: the file binds the one its addresses use.
    EXPECT_STREQ(root.attribute("xmlns:s103").value(), kiln::exporter::kS103Namespace);
}

TEST_F(ItbExportTest, RefusalsCancelAndUnwritableTarget) {
    Item("A", 1);
    EXPECT_FALSE(app.Rsc_ITB_Export(URI_Ref()));
    EXPECT_TRUE(ui.Calls().empty());

    ui.AnswerFileCancel();
    EXPECT_TRUE(app.Rsc_ITB_Export(itb));
    EXPECT_TRUE(ui.Messages().empty());
    EXPECT_TRUE(fs::is_empty(Path("document")));

    // A template that cannot be read, or of another root: named with the reason, before the dialog.
    for (const std::string& text : {std::string(), std::string("<ITB><Header>"), std::string("<Foo/>"),
                                   std::string("<ITB xmlns=\"http://kiln.local/Zel/2004/ITB\" xmlns:s103=\"urn:x\"/>")}) {
        SetTemplate("ITB_Template.xml", text);
        ui.ClearCalls();
        EXPECT_FALSE(app.Rsc_ITB_Export(itb)) << text;
        ASSERT_EQ(ui.Messages().size(), 1u) << text;
        EXPECT_EQ(ui.Messages()[0].Find(CString(Path("document/../Template/ITB_Template.xml").c_str()) +
                                        (text.empty() ? "模板文件不能读取, 导出不成功！\n"
                                                      : "模板文件格式不正确, 导出不成功！\n")),
                  0)
            << ui.Messages()[0];
        EXPECT_EQ(ui.CountOf(Enum_UiCall::SaveFile), 0) << text;
    }
    fs::copy_file(std::string(KILN_SOURCE_DIR) + "/Template/ITB_Template.xml", Path("Template/ITB_Template.xml"),
                  fs::copy_options::overwrite_existing);
    ui.ClearCalls();
    EXPECT_FALSE(Export("missing/dev.itb", itb));
    EXPECT_EQ(ui.Messages(), std::vector<CString>{CString("创建") + Path("missing/dev.itb").c_str() + "文件失败！\n不能写入文件" +
                                                  Path("missing/dev.itb").c_str() + "：" + std::strerror(ENOENT)});
}

TEST_F(ItbExportTest, ReadFailureAnywhereLeavesNoFile) {
    Group("G1", 1);
    Item("A", 1);
    Item("B", 2);
    const std::string before = ModelText();
    int failedAfterDialog = 0;
    for (int skip = 0; skip < 60; ++skip) {
        fs::remove(Path("q.itb"));
        CScriptedUi local;
        local.SetFailureHandler([](const std::string&) {});
        local.AnswerSaveFile(Path("q.itb").c_str());
        Doc().InjectFault("query", skip);
        const bool ok = app.Rsc_ITB_Export(itb);
        Doc().ClearFault();
        EXPECT_EQ(fs::exists(Path("q.itb")), ok) << skip;
        if (!ok) {
            EXPECT_TRUE(local.Messages().empty()) << skip;  // every failure is silent
            failedAfterDialog += local.CountOf(Enum_UiCall::SaveFile);
        }
    }
    EXPECT_GT(failedAfterDialog, 3);
    EXPECT_EQ(ModelText(), before);
}

}  // namespace
}  // namespace kiln::test
