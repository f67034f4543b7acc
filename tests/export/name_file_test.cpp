// The name-replacement file: which names are listed, under which class,
// in which order, and the command's dialog, messages and refusals.
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "export/kiln_export.h"
#include "tests/export/export_fixture.h"

namespace fs = std::filesystem;

namespace kiln::test {
namespace {

class NameFileTest : public ExportTest {
protected:
    NameFileTest() : c(BuildCompleteIcd()) {}
    const pugi::xml_document& Export(const URI_Ref& rsc, const char* file = "n.Name") {
        ui.AnswerSaveFile(Path(file).c_str());
        EXPECT_TRUE(app.Rsc_Create_ReplaceNameFile(rsc));
        return LoadFile(Path(file));
    }
    // "name type" of every Name element, in file order.
    static std::vector<std::string> Entries(const pugi::xml_document& doc) {
        std::vector<std::string> out;
        for (const pugi::xpath_node& n : doc.select_nodes("/SCL/DataTypeTemplates/Name"))
            out.push_back(std::string(n.node().attribute("name").value()) + " " + n.node().attribute("type").value());
        return out;
    }
    CompleteIcd c;
};

TEST_F(NameFileTest, ChineseNodeNameOfAnIcd) {
    Set(c.ptoc, "cim:Naming.name", "保护1");  // the device "PROT" is not listed
    const std::string before = ModelText();
    const pugi::xml_document& doc = Export(c.icd);

    const Struct_UiCall* dialog = ui.LastOf(Enum_UiCall::SaveFile);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->sValue, " 名称替换");
    EXPECT_EQ(dialog->sCaption, "Name");  // matches the filter
    EXPECT_EQ(dialog->nType, 6u);
    EXPECT_EQ(dialog->sText, "*.Name");
    EXPECT_EQ(ui.Messages(), std::vector<CString>{CString(Path("n.Name").c_str()) + "文件导出成功！"});
    EXPECT_EQ(ui.CountOf(Enum_UiCall::WaitCursorBegin), 1);

    EXPECT_EQ(Entries(doc), std::vector<std::string>{"保护1 sec:LNode"});
    pugi::xml_node name = doc.select_node("/SCL/DataTypeTemplates/Name").node();
    EXPECT_EQ(AttrNames(name), (std::vector<std::string>{"name", "type", "changeto"}));
    EXPECT_STREQ(name.attribute("changeto").value(), "");
    // The path the name replacement reads, through the XML layer.
    CBase_XML back;
    ASSERT_TRUE(back.Load(Path("n.Name").c_str()));
    CString text;
    EXPECT_TRUE(CBase_XML::Get_NodeText(back.Get_NodePtr(back.GetDocument(), "/SCL/DataTypeTemplates/Name"), "@name",
                                        text));
    EXPECT_EQ(text, "保护1");
    // The rest is the template as it stands.
    EXPECT_STREQ(doc.child("SCL").child("Header").attribute("id").value(), "");
    EXPECT_STREQ(doc.child("SCL").child("IED").attribute("name").value(), "TEMPLATE");
    EXPECT_EQ(ModelText(), before);
}

TEST_F(NameFileTest, ChineseTestOnGbkBytes) {
    struct Row {
        const char* text;
        bool chinese;
    };
    // "丂" is 81 40 in GBK: a high byte before an ASCII one.
    for (const Row& r : {Row{"保护", true}, Row{"丂", false}, Row{"丂丂", false}, Row{"x丂保", true},
                         Row{"PROT", false}, Row{"", false}, Row{"é", true}, Row{"A1保", true}}) {
        EXPECT_EQ(CKiln_Export::IsChinese(r.text), r.chinese) << r.text;
    }
}

TEST_F(NameFileTest, AsciiFirstThenChineseInGbkOrder) {
    // In GBK 啊 (B0 A1) comes before 一 (D2 BB); in Unicode it is the other way round.
    int ord = 10;
    for (const char* n : {"一号", "啊号", "A保护", "丂丂x啊"})
        Set(MakeLNode(c.ld, "", "", "", ++ord, c.mmxuT), "cim:Naming.name", n);
    EXPECT_EQ(Entries(Export(c.icd)), (std::vector<std::string>{"A保护 sec:LNode", "丂丂x啊 sec:LNode",
                                                                "啊号 sec:LNode", "一号 sec:LNode"}));
}

TEST_F(NameFileTest, ANameOfTwoClassesIsListedForEach) {
    // A DO of the ICD's package and a node bear one name: an entry for each
    // class, since an entry renames only its class.
    MakeDO(c.ptocT, "跳闸", 2, m.p1Sps);
    Set(c.mmxu, "cim:Naming.name", "跳闸");
    Set(c.mmxuT, "cim:Naming.name", "测量");
    EXPECT_EQ(Entries(Export(c.icd, "one.Name")),
              (std::vector<std::string>{"测量 sec:LNodeType", "跳闸 sec:DO", "跳闸 sec:LNode"}));
    EXPECT_EQ(Entries(Export(URI_Ref(), "all.Name")),
              (std::vector<std::string>{"测量 sec:LNodeType", "跳闸 sec:DO", "跳闸 sec:LNode"}));
}

TEST_F(NameFileTest, AllTakesInstancePackagesOnly) {
    URI_Ref stdType = MakeLNodeType(m.stdPkg, "标准类", 9);
    URI_Ref instType = MakeLNodeType(m.instPkg, "实例类", 9);
    MakeDO(instType, "动作", 1, m.p1Sps);
    (void)stdType;
    EXPECT_EQ(Entries(Export(URI_Ref(), "all.Name")), (std::vector<std::string>{"动作 sec:DO", "实例类 sec:LNodeType"}));
    EXPECT_EQ(Entries(Export(m.stdPkg, "std.Name")), std::vector<std::string>{"标准类 sec:LNodeType"});
    EXPECT_TRUE(Entries(Export(c.ld, "other.Name")).empty());  // neither ICD nor package
}

TEST_F(NameFileTest, NothingToListGivesTheTemplate) {
    const pugi::xml_document& doc = Export(URI_Ref());
    EXPECT_TRUE(doc.select_node("/SCL/DataTypeTemplates").node().first_child().empty());
    EXPECT_EQ(ui.Messages(), std::vector<CString>{CString(Path("n.Name").c_str()) + "文件导出成功！"});
}

TEST_F(NameFileTest, NodeWithoutTypeGivesItsOwnName) {
    URI_Ref bare = MakeLNode(c.ld, "", "", "", 9);
    Set(bare, "cim:Naming.name", "备用");
    Set(c.ptocT, "cim:Naming.name", "过流");
    EXPECT_EQ(Entries(Export(c.icd)), (std::vector<std::string>{"备用 sec:LNode", "过流 sec:LNodeType"}));
}

TEST_F(NameFileTest, RefusalsCancelAndUnwritableTarget) {
    const CString tmpl = Path("document/../Template/ICD_Template.xml").c_str();
    ui.AnswerFileCancel();
    EXPECT_TRUE(app.Rsc_Create_ReplaceNameFile(c.icd));
    EXPECT_TRUE(ui.Messages().empty());
    EXPECT_TRUE(fs::is_empty(Path("document")));

    ui.AnswerSaveFile(Path("missing/n.Name").c_str());
    EXPECT_FALSE(app.Rsc_Create_ReplaceNameFile(c.icd));
    EXPECT_EQ(ui.Messages().back(), CString("创建") + Path("missing/n.Name").c_str() + "文件失败！\n不能写入文件" +
                                        Path("missing/n.Name").c_str() + "：" + std::strerror(ENOENT));

    SetTemplate("ICD_Template.xml", "<SCL xmlns=\"http://www.iec.ch/61850/2003/SCL\"><Header/></SCL>");
    ui.ClearCalls();
    ui.AnswerSaveFile(Path("bad.Name").c_str());
    EXPECT_FALSE(app.Rsc_Create_ReplaceNameFile(c.icd));
    EXPECT_EQ(ui.Messages(), std::vector<CString>{tmpl + "模板文件格式不正确, 导出不成功！"});
    EXPECT_FALSE(fs::exists(Path("bad.Name")));

    // A template that cannot be read is named with the reason, before the dialog.
    for (const std::string& text : {std::string(), std::string("<SCL>")}) {
        SetTemplate("ICD_Template.xml", text);
        ui.ClearCalls();
        EXPECT_FALSE(app.Rsc_Create_ReplaceNameFile(c.icd));
        ASSERT_EQ(ui.Messages().size(), 1u) << text;
        EXPECT_EQ(ui.Messages()[0].Find(tmpl + (text.empty() ? "模板文件不能读取, 导出不成功！\n"
                                                             : "模板文件格式不正确, 导出不成功！\n")),
                  0)
            << ui.Messages()[0];
        EXPECT_EQ(ui.CountOf(Enum_UiCall::SaveFile), 0);
    }
}

}  // namespace
}  // namespace kiln::test
