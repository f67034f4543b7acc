// The M2I export and the M2I layout: references, parameters, property
// items with unit codes, header places, and no file where a command fails.
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <tuple>

#include "export/kiln_export.h"
#include "tests/export/export_fixture.h"

namespace fs = std::filesystem;

namespace kiln::test {
namespace {

class M2iExportTest : public ExportTest {
protected:
    M2iExportTest() : c(BuildCompleteIcd()) {
        itb = MakeUnder(c.icd, "sec:ITB", "ITB", "sec:ITB.ICD");
        m2i = MakeUnder(c.icd, "sec:M2I", "M2I", "sec:M2I.ICD");
        // The node's phases are of instance types whose values hold units,
        // range, step and dU.
        URI_Ref cmv = MakeDOType(c.pkg, "P1_CMV", 30);
        Link(cmv, "sec:DOType.ClassOf_DOType", m.cmv);
        MakeDA(cmv, "cVal", 1, "MX", "Struct", m.vector);
        AddUnits(c.pkg, cmv, 2, true);
        URI_Ref wye = MakeDOType(c.pkg, "P1_WYE", 31);
        Link(wye, "sec:DOType.ClassOf_DOType", m.wye);
        MakeSDO(wye, "phsA", 1, cmv);
        MakeSDO(wye, "phsB", 2, cmv);
        MakeDA(wye, "dU", 3, "DC", "Unicode255");
        MakeDO(c.mmxuT, "A", 1, wye);
    }
    // A mapping item on the PTOC node (prefix "P", no class of its own, so
    // "PPTOC1" through its type's class).
    URI_Ref MapItem(const char* name, int ord, const char* doName, const char* daName,
                    const URI_Ref& lnode = URI_Ref()) {
        URI_Ref r = MakeUnder(m2i, "sec:MapItem", name, "sec:MapItem.M2I", ord);
        Link(r, "sec:DARef.LNode", lnode.IsSet() ? lnode : c.ptoc);
        Set(r, "sec:DARef.doName", doName);
        Set(r, "sec:DARef.daName", daName);
        return r;
    }
    URI_Ref Info(const char* id, const char* pathName, int ord) {
        URI_Ref i = MakeUnder(itb, "sec:InfoItem", "I", "sec:InfoItem.ITB", ord);
        Set(i, "sec:InfoItem.id", id);
        Set(i, "cim:Naming.pathName", pathName);
        return i;
    }
    const pugi::xml_document& Export(const char* file = "dev.m2i") {
        ui.AnswerSaveFile(Path(file).c_str());
        EXPECT_TRUE(app.Rsc_M2I_Export(m2i));
        return LoadFile(Path(file));
    }
    // The row of the property view's list with that text picked for the
    // field, stored as the host stores what the plug-in accepts.
    void PickRow(const URI_Ref& rsc, const char* field, const CString& row) {
        Struct_EditPack pack;
        ASSERT_TRUE(app.HtmlMsg_OnPrepareEditField(nullptr, rsc, field, "", &pack));
        for (const auto& [shown, stored] : pack.vList.vPairs) {
            if (shown != row) continue;
            CString value = stored;
            if (app.HtmlMsg_OnFieldChanged(nullptr, rsc, field, Get(rsc, field), value, nullptr, nullptr))
                Set(rsc, field, value);
            return;
        }
        ADD_FAILURE() << "no row " << row.str();
    }
    // (toDA, Parameter's name, idITB, val) of every MappingItem.
    static std::vector<std::string> Rows(const pugi::xml_document& doc) {
        std::vector<std::string> rows;
        for (const pugi::xpath_node& n : doc.select_nodes("/M2I/Mappings/MappingItem")) {
            pugi::xml_node p = n.node().child("Process").child("Parameter");
            rows.push_back(std::string(n.node().attribute("toDA").value()) + " " + p.attribute("name").value() + " " +
                           p.attribute("idITB").value() + " " + p.attribute("val").value());
        }
        return rows;
    }

    CompleteIcd c;
    URI_Ref itb, m2i;
};

TEST_F(M2iExportTest, ReferencesParametersAndProcess) {
    Link(MapItem("op", 1, "Op", "stVal"), "sec:MapItem.InfoItem", Info("5", "P/x", 1));
    Set(MapItem("mod", 2, "Mod", ""), "sec:MapItem.valStr", "1");
    Link(MapItem("byPath", 3, "Str", "stVal"), "sec:MapItem.InfoItem", Info("", "P/y", 2));
    Link(MapItem("byOrd", 4, "Str", "origin.orCat"), "sec:MapItem.InfoItem", Info("", "", 7));
    MapItem("none", 5, "Str", "q");
    URI_Ref custom = MapItem("custom", 6, "A.phsA", "cVal.mag.f", c.mmxu);
    Set(c.mmxu, "sec:LNode.lnClass", "MMXN");  // a class of its own gives way to its type's
    Set(custom, "sec:MapItem.operator", "M2I:Scale");
    Set(custom, "cim:Naming.description", "A相电流");
    // Left out: no logical node, no DO name, a node outside any device, a
    // DA or DO the node's type does not hold (deleted or renamed there).
    MakeUnder(m2i, "sec:MapItem", "noNode", "sec:MapItem.M2I", 7);
    MapItem("noDo", 8, "", "stVal");
    URI_Ref loose = MakeLNode(MakeLDevice(kIcdDomain, "", 1), "", "GGIO", "1", 1);
    MapItem("noLd", 9, "Ind", "stVal", loose);
    MapItem("noDa", 10, "Str", "general");
    MapItem("noSdo", 11, "A.phsD", "cVal.mag.f", c.mmxu);
    MapItem("secondLln0", 12, "Mod", "", MakeLNode(c.ld, "", "", "", 4, c.lln0T));
    // A setting's attribute of three constraints, picked from the property
    // view's list: stored and written as SCL names it.
    URI_Ref magType = MakeDAType(c.pkg, "MagT", 9);
    MakeBDA(magType, "f", 1, "FLOAT32");
    URI_Ref asg = MakeDOType(c.pkg, "ASG_T", 9);
    URI_Ref setMag = MakeDA(asg, "setMag", 1, "SP", "Struct", magType);
    Set(setMag, "sec:DA.fc_1", EnumValue("FCType", "SG"));
    Set(setMag, "sec:DA.fc_2", EnumValue("FCType", "SE"));
    MakeDO(c.ptocT, "StrVal", 2, asg);
    PickRow(MapItem("picked", 13, "StrVal", ""), "sec:DARef.daName", "setMag[SP,SG,SE].f");
    // A DA that is no key DA of the class of its data object (SPS), a target
    // written before.
    MapItem("noKey", 14, "Op", "q");
    MapItem("twice", 15, "Op", "stVal");
    // The same target through the sub-data object in the DA name, and a
    // property of a second value of one data object.
    MapItem("alias", 16, "A", "phsA.cVal.mag.f", c.mmxu);
    Set(MapItem("mag", 17, "A.phsB", "cVal.mag.f", c.mmxu), "sec:MapItem.unitSiUnit", EnumValue("SIUnitEnum", "V"));
    Set(MapItem("ang", 18, "A.phsB", "cVal.ang.f", c.mmxu), "sec:MapItem.unitSiUnit", EnumValue("SIUnitEnum", "V"));
    const std::string before = ModelText();

    const pugi::xml_document& doc = Export();
    EXPECT_EQ(Rows(doc), (std::vector<std::string>{
                             "PROT/PPTOC1.Op.stVal ParaANYwT 5 ", "PROT/PPTOC1.Mod ParaANY  1",
                             "PROT/PPTOC1.Str.stVal ParaANYwT P/y ", "PROT/PPTOC1.Str.origin.orCat ParaANYwT 7 ",
                             "PROT/PPTOC1.Str.q   ", "PROT/MMXU1.A.phsA.cVal.mag.f   ",
                             "PROT/PPTOC1.StrVal.setMag.f   ", "PROT/MMXU1.A.phsB.cVal.mag.f   ",
                             "PROT/MMXU1.A.phsB.units.SIUnit ParaANY  29"}));
    pugi::xml_node first = doc.select_node("/M2I/Mappings/MappingItem").node();
    EXPECT_EQ(AttrNames(first), (std::vector<std::string>{"name", "desc", "toDA"}));
    EXPECT_STREQ(first.attribute("name").value(), "op");
    EXPECT_STREQ(first.attribute("desc").value(), "");
    EXPECT_EQ(AttrNames(first.child("Process")), (std::vector<std::string>{"operator", "desc"}));
    EXPECT_STREQ(first.child("Process").attribute("operator").value(), "M2I:ExtractVal");
    EXPECT_STREQ(first.child("Process").attribute("desc").value(), "得到数据值");
    EXPECT_EQ(AttrNames(first.child("Process").child("Parameter")), (std::vector<std::string>{"name", "idITB"}));
    pugi::xml_node none = doc.select_node("//MappingItem[@name='none']/Process/Parameter").node();
    EXPECT_EQ(AttrNames(none), std::vector<std::string>{"name"});
    pugi::xml_node last = doc.select_node("//MappingItem[@name='custom']").node();
    EXPECT_STREQ(last.attribute("desc").value(), "A相电流");
    EXPECT_STREQ(last.child("Process").attribute("operator").value(), "M2I:Scale");
    EXPECT_STREQ(last.child("Process").attribute("desc").value(), "A相电流");
    // Each item left out is named after the success text.
    EXPECT_EQ(ui.Messages(), std::vector<CString>{CString(Path("dev.m2i").c_str()) +
                                                  "模板文件导出成功！\n未导出映射条目（未指向逻辑节点）：noNode\n"
                                                  "未导出映射条目（没有DO名）：noDo\n"
                                                  "未导出映射条目（未指向逻辑节点）：noLd\n"
                                                  "未导出映射条目（DO或DA不在逻辑节点的类型中）：noDa\n"
                                                  "未导出映射条目（DO或DA不在逻辑节点的类型中）：noSdo\n"
                                                  "未导出映射条目（逻辑节点是LDevice中的第二个LLN0，未导出）：secondLln0\n"
                                                  "未导出映射条目（DA: q不是CDC: SPS的关键DA）：noKey\n"
                                                  "未导出映射条目（toDA: PROT/PPTOC1.Op.stVal重复）：twice\n"
                                                  "未导出映射条目（toDA: PROT/MMXU1.A.phsA.cVal.mag.f重复）：alias\n"
                                                  "未导出映射条目（toDA: PROT/MMXU1.A.phsB.units.SIUnit重复）：ang"});
    EXPECT_EQ(ModelText(), before);
    // The path the M2I import reads, through the XML layer.
    CBase_XML back;
    ASSERT_TRUE(back.Load(Path("dev.m2i").c_str()));
    CString toDA;
    EXPECT_TRUE(CBase_XML::Get_NodeText(back.Get_NodePtr(back.GetDocumentElement(), "Mappings/MappingItem"), "@toDA",
                                        toDA));
    EXPECT_EQ(toDA, "PROT/PPTOC1.Op.stVal");
}

// Each property becomes a MappingItem at its data object where the import
// reads it back onto the item; one its target's type lacks (SPS holds no
// range or time here), one of a data object without key DAs, and one of an
// item without DA that a later key-DA item of its object would take, is
// left out and named.
TEST_F(M2iExportTest, PropertiesBecomeItemsOfTheirOwn) {
    URI_Ref range = MapItem("range", 1, "Str", "");
    Set(range, "sec:MapItem.minVal", "0");
    Set(range, "sec:MapItem.maxVal", "100");
    URI_Ref linked = MapItem("linked", 2, "Op", "stVal");
    Link(linked, "sec:MapItem.InfoItem", Info("9", "", 1));
    Set(linked, "sec:MapItem.minVal", "1");
    Set(linked, "sec:MapItem.daName_t", "PROT/PPTOC1.Op.t");
    URI_Ref all = MapItem("all", 3, "A.phsA", "cVal.mag.f", c.mmxu);
    Set(all, "sec:MapItem.dU", "电流");
    Set(all, "sec:MapItem.stepSize", "0.5");
    Set(all, "sec:MapItem.maxVal", "9");
    Set(all, "sec:MapItem.minVal", "-9");
    Set(all, "sec:MapItem.unitMultiplier", EnumValue("UnitMultiplierEnum", "k"));
    Set(all, "sec:MapItem.unitSiUnit", EnumValue("SIUnitEnum", "V"));
    // Without DA before a key DA of its object: the import would give the
    // units to the later item. After it, they stay its own.
    Set(MapItem("whole", 4, "A.phsB", "", c.mmxu), "sec:MapItem.unitSiUnit", EnumValue("SIUnitEnum", "W"));
    MapItem("mag", 5, "A.phsB", "cVal.mag.f", c.mmxu);
    Set(MapItem("after", 6, "A.phsA", "", c.mmxu), "sec:MapItem.maxVal", "7");
    // The whole DO of a class without key DAs.
    Set(MapItem("wye", 7, "A", "", c.mmxu), "sec:MapItem.dU", "三相");

    EXPECT_EQ(Rows(Export()), (std::vector<std::string>{
                                  "PROT/PPTOC1.Str   ",
                                  "PROT/PPTOC1.Op.stVal ParaANYwT 9 ",
                                  "PROT/MMXU1.A.phsA.cVal.mag.f   ",
                                  "PROT/MMXU1.A.phsA.units.SIUnit ParaANY  29",
                                  "PROT/MMXU1.A.phsA.units.multiplier ParaANY  3",
                                  "PROT/MMXU1.A.phsA.minVal ParaANY  -9",
                                  "PROT/MMXU1.A.phsA.maxVal ParaANY  9",
                                  "PROT/MMXU1.A.phsA.stepSize ParaANY  0.5",
                                  "PROT/MMXU1.A.phsA.dU ParaANY  电流",
                                  "PROT/MMXU1.A.phsB   ",
                                  "PROT/MMXU1.A.phsB.cVal.mag.f   ",
                                  "PROT/MMXU1.A   ",
                              }));
    EXPECT_EQ(ui.Messages().back(), CString(Path("dev.m2i").c_str()) + CString("模板文件导出成功！\n"
                              "未导出映射条目的minVal（DO: Str的类型中没有minVal）：range\n"
                              "未导出映射条目的maxVal（DO: Str的类型中没有maxVal）：range\n"
                              "未导出映射条目的minVal（DO: Op的类型中没有minVal）：linked\n"
                              "未导出映射条目的t（DO: Op的类型中没有t）：linked\n"
                              "未导出映射条目的units.SIUnit（导入时归入其后同一DO的关键DA映射条目）：whole\n"
                              "未导出映射条目（toDA: PROT/MMXU1.A.phsA.maxVal重复）：after\n"
                              "未导出映射条目的dU（CDC: WYE没有关键DA，导入时成为单独的映射条目）：wye"));
}

// A unit goes as the code it stores, when its target's enumeration holds
// it; one stored as a literal or as an older release's symbol ("a", "μ") as
// the code that stood for it (W 38, Watts 62); one the enumeration lacks is
// left out and named.
TEST_F(M2iExportTest, UnitsAndMultipliersGoAsTheirCodes) {
    struct Row {
        const char* unit;       // stored SIUnitEnum value
        const char* multiplier; // stored UnitMultiplierEnum value
        const char* unitVal;    // written code; "" left out
        const char* multiplierVal;
    };
    const Row rows[] = {
        {"V", "k", "29", "3"},  {"W", "\xC2\xB5", "38", "-6"}, {"Watts", "m", "62", "-3"},
        {"\xC2\xB0" "C", "Y", "23", "24"}, {"A", "None", "5", ""}, {"a", "\xCE\xBC", "5", "-6"},
        {"62", "-3", "62", "-3"}, {"40", "-0", "", ""},
    };
    int ord = 0;
    for (const Row& r : rows) {
        // Each on a node of its own: one target is written once.
        const URI_Ref node = ord == 0 ? c.mmxu : MakeLNode(c.ld, "", "", ToText(ord + 1), ord + 3, c.mmxuT);
        URI_Ref item = MapItem("u", ++ord, "A.phsA", "cVal.mag.f", node);
        Set(item, "sec:MapItem.unitSiUnit", EnumValue("SIUnitEnum", r.unit));
        Set(item, "sec:MapItem.unitMultiplier", EnumValue("UnitMultiplierEnum", r.multiplier));
    }
    const pugi::xml_document& doc = Export();
    std::string named;
    for (size_t i = 0; i < std::size(rows); ++i) {
        const std::string ref = "PROT/MMXU" + std::to_string(i + 1) + ".A.phsA.units.";
        for (const auto& [path, stored, code] : {std::tuple{"SIUnit", rows[i].unit, rows[i].unitVal},
                                                 std::tuple{"multiplier", rows[i].multiplier, rows[i].multiplierVal}}) {
            const std::vector<std::string> vals =
                Select(doc, ("//MappingItem[@toDA='" + ref + path + "']/Process/Parameter/@val").c_str());
            EXPECT_EQ(vals, *code ? std::vector<std::string>{code} : std::vector<std::string>()) << stored;
            const bool number = std::string(stored).find_first_not_of("0123456789") == std::string::npos;
            if (!*code)
                named += std::string("\n未导出映射条目的units.") + path + "（枚举类型中没有" +
                         (number ? std::string("序号为") + stored + "的枚举值" : std::string(stored)) + "）：u";
        }
    }
    EXPECT_EQ(ui.Messages().back(), CString(Path("dev.m2i").c_str()) + CString("模板文件导出成功！") + named.c_str());
}

TEST_F(M2iExportTest, HeaderPlacesOfExportAndLayout) {
    const pugi::xml_document& doc = Export();
    const Struct_UiCall* dialog = ui.LastOf(Enum_UiCall::SaveFile);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->sValue, "Prot_Ver2_Rev5");
    EXPECT_EQ(dialog->sCaption, "m2i");
    EXPECT_EQ(dialog->nType, 6u);
    EXPECT_EQ(dialog->sText, "*.m2i");

    // The layout fills the same places of the same template.
    ui.AnswerSaveFile(Path("layout.m2i").c_str());
    ASSERT_TRUE(app.Rsc_M2I_Create(c.icd));
    const pugi::xml_document& layout = LoadFile(Path("layout.m2i"));
    for (const pugi::xml_document* d : {&doc, &layout}) {
        pugi::xml_node mappings = d->child("M2I").child("Mappings");
        EXPECT_STREQ(d->child("M2I").attribute("xmlns").value(), kiln::exporter::kM2iNamespace);
        EXPECT_STREQ(mappings.attribute("iedModel").value(), "Prot_Ver2_Rev5");
        EXPECT_STREQ(mappings.attribute("icdVersion").value(), "2");
        EXPECT_STREQ(mappings.child("Header").attribute("id").value(), "ITB For Prot_Ver2_Rev5");
        EXPECT_STREQ(mappings.child("SourceRef").attribute("iedModel").value(), "Prot_Ver2_Rev5");
        EXPECT_STREQ(mappings.child("TargetRef").attribute("iedModel").value(), "Prot_Ver2_Rev5");
        EXPECT_TRUE(mappings.child("MappingItem").empty());
        EXPECT_TRUE(d->child("M2I").child("Header").empty());  // nothing outside Mappings
    }
    // Each success names its file.
    EXPECT_EQ(ui.Messages(), (std::vector<CString>{CString(Path("dev.m2i").c_str()) + "模板文件导出成功！",
                                                   CString(Path("layout.m2i").c_str()) + "模板文件导出成功！"}));
}

TEST_F(M2iExportTest, TemplateWithoutHeaderOrRefs) {
    MapItem("op", 1, "Op", "stVal");
    SetTemplate("M2I_Template.xml",
                "<M2I xmlns=\"http://kiln.local/Zel/2004/M2I\"><Mappings iedModel=\"\" icdVersion=\"\"/></M2I>");
    const pugi::xml_document& doc = Export();
    pugi::xml_node mappings = doc.child("M2I").child("Mappings");
    EXPECT_STREQ(mappings.attribute("iedModel").value(), "");  // written only with a Header
    EXPECT_EQ(Select(mappings, "*"), std::vector<std::string>{"MappingItem"});
}

TEST_F(M2iExportTest, RefusalsCancelAndUnwritableTarget) {
    MapItem("op", 1, "Op", "stVal");
    EXPECT_FALSE(app.Rsc_M2I_Export(URI_Ref()));
    EXPECT_FALSE(app.Rsc_M2I_Create(m2i));  // not an ICD
    EXPECT_TRUE(ui.Calls().empty());

    ui.AnswerFileCancel().AnswerFileCancel();
    EXPECT_TRUE(app.Rsc_M2I_Export(m2i));
    EXPECT_TRUE(app.Rsc_M2I_Create(c.icd));
    EXPECT_TRUE(ui.Messages().empty());
    EXPECT_TRUE(fs::is_empty(Path("document")));

    ui.AnswerSaveFile(Path("missing/a.m2i").c_str()).AnswerSaveFile(Path("missing/b.m2i").c_str());
    EXPECT_FALSE(app.Rsc_M2I_Export(m2i));
    EXPECT_FALSE(app.Rsc_M2I_Create(c.icd));
    auto unwritten = [&](const char* file) {
        return CString("创建") + Path(file).c_str() + "文件失败！\n不能写入文件" + Path(file).c_str() + "：" +
               std::strerror(ENOENT);
    };
    EXPECT_EQ(ui.Messages(), (std::vector<CString>{unwritten("missing/a.m2i"), unwritten("missing/b.m2i")}));

    // A template that is missing, broken or without Mappings: false, named with the reason, nothing written.
    for (const std::string& text : {std::string(), std::string("<M2I><Mappings>"),
                                   std::string("<M2I xmlns=\"http://kiln.local/Zel/2004/M2I\"><Header/></M2I>")}) {
        SetTemplate("M2I_Template.xml", text);
        ui.ClearCalls();
        if (!text.empty() && text.find("Header/") != std::string::npos)
            ui.AnswerSaveFile(Path("nm.m2i").c_str()).AnswerSaveFile(Path("nm.m2i").c_str());
        EXPECT_FALSE(app.Rsc_M2I_Export(m2i)) << text;
        EXPECT_FALSE(app.Rsc_M2I_Create(c.icd)) << text;
        ASSERT_EQ(ui.Messages().size(), 2u) << text;
        for (const CString& said : ui.Messages())
            EXPECT_EQ(said.Find(CString(Path("document/../Template/M2I_Template.xml").c_str()) +
                                (text.empty() ? "模板文件不能读取, 导出不成功！\n" : "模板文件格式不正确, 导出不成功！\n")),
                      0)
                << said;
        EXPECT_FALSE(fs::exists(Path("nm.m2i"))) << text;
    }
}

TEST_F(M2iExportTest, ReadFailureAnywhereLeavesNoFile) {
    URI_Ref a = MapItem("a", 1, "Op", "stVal");
    Set(a, "sec:MapItem.minVal", "1");
    Link(MapItem("b", 2, "Str", "general"), "sec:MapItem.InfoItem", Info("5", "", 1));
    const std::string before = ModelText();
    int failed = 0;
    for (int skip = 0; skip < 60; ++skip) {
        fs::remove(Path("q.m2i"));
        CScriptedUi local;
        local.SetFailureHandler([](const std::string&) {});
        local.AnswerSaveFile(Path("q.m2i").c_str());
        Doc().InjectFault("query", skip);
        const bool ok = app.Rsc_M2I_Export(m2i);
        Doc().ClearFault();
        EXPECT_EQ(fs::exists(Path("q.m2i")), ok) << skip;
        if (!ok) {
            ++failed;
            EXPECT_TRUE(local.Messages().empty()) << skip;
        }
    }
    EXPECT_GT(failed, 2);
    EXPECT_EQ(ModelText(), before);
}

}  // namespace
}  // namespace kiln::test
