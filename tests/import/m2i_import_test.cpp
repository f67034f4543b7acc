// The M2I import: key-DA groups and their map items, the attributes the
// other items of a group set, the value checks, Process and Parameter
// reading, the report and its ending, the companion ITB and refusals.
#include <filesystem>

#include "import/kiln_import.h"
#include "platform/mfc/gbk.h"
#include "tests/import/itb_m2i_fixture.h"

namespace kiln::test {
namespace {

class M2iImportTest : public ItbM2iTest {
protected:
    M2iImportTest() { MakeItb(); }

    URI_Ref Info(int position) { return Members(TheItb(), "sec:ITB.InfoItems").at(position); }
    // name doName daName valStr, of every map item in order.
    std::vector<std::string> Rows() {
        std::vector<std::string> rows;
        for (const URI_Ref& i : MapItems())
            rows.push_back(std::string(Get(i, "cim:Naming.name").GetString()) + " " +
                           Get(i, "sec:DARef.doName").GetString() + " " + Get(i, "sec:DARef.daName").GetString() +
                           " " + Get(i, "sec:MapItem.valStr").GetString());
        return rows;
    }
    // Runs the import answering No to the report question when `errors` > 0.
    bool Run(const std::string& items, int errors) {
        return RunM2i(M2i(items), icd, "in.m2i", "", [&] {
            if (errors > 0) ui.AnswerNo("M2I文件导入完毕,发现错误" + ToText(errors) + "个。是否查看报告？");
        });
    }
    std::vector<CString> Errors() {
        std::vector<CString> out;
        for (const ReportEntry& e : SavedReport()) out.push_back(e.error);
        return out;
    }
};

TEST_F(M2iImportTest, AnSpsValueBecomesOneMapItemAndItsQualityIsOutOfRange) {
    ASSERT_TRUE(Run(Item("op", "PROT/PPTOC1.Op.stVal", "1", "", "动作") + Item("opq", "PROT/PPTOC1.Op.q", "", "0"), 1));
    EXPECT_EQ(Rows(), std::vector<std::string>{"op Op stVal "});
    const URI_Ref op = MapItems().at(0);
    EXPECT_EQ(Target(op, "sec:DARef.LNode"), pptoc);
    EXPECT_EQ(Target(op, "sec:MapItem.InfoItem"), Info(0));
    EXPECT_EQ(Get(op, "cim:Naming.description"), "动作");
    EXPECT_EQ(Target(TheM2i(), "sec:M2I.ITB"), TheItb());
    EXPECT_EQ(SavedReport(), (std::vector<ReportEntry>{
                                 {"MappingItem", "错误：opq", "MappingItem:opq在CDC: SPS 下的DA: q中放值，超出约定范围"}}));
    EXPECT_EQ(Boxes().back(), WriteFile("in.m2i", "") + "模板文件导入完成！");
    bool summary = false;
    for (const Struct_UiCall& c : ui.CallsOf(Enum_UiCall::StatusText))
        summary = summary || c.sText == "导入M2I结束，发现1个错误。";
    EXPECT_TRUE(summary);
}

// A unit is the value of its attribute's enumeration whose code the file
// writes, exactly: any other text is reported.
TEST_F(M2iImportTest, UnitsAndMultipliersComeFromTheEnumerationsAndUnknownCodesAreReported) {
    const std::string items = Item("w", "PROT/MMXU1.TotW.cVal.mag.f", "4") +
                              Item("wu", "PROT/MMXU1.TotW.units.SIUnit", "", "29") +
                              Item("wm", "PROT/MMXU1.TotW.units.multiplier", "", "3") +
                              Item("u", "PROT/MMXU1.U1.cVal.mag.f", "2") +
                              Item("uu", "PROT/MMXU1.U1.units.SIUnit", "", "12") +
                              Item("um", "PROT/MMXU1.U1.UNITS.MULTIPLIER", "", "-6") +
                              Item("ub", "PROT/MMXU1.U1.units.multiplier", "", " 3") +
                              Item("b", "PROT/MMXU1.A.phsB.cVal.mag.f", "1") +
                              Item("b05", "PROT/MMXU1.A.phsB.units.SIUnit", "", "05") +
                              Item("bp3", "PROT/MMXU1.A.phsB.units.multiplier", "", "+3") +
                              Item("hz", "PROT/MMXU1.Hz.mag.f", "") +
                              Item("hz50", "PROT/MMXU1.Hz.units.SIUnit", "", "5.0") +
                              Item("hzm", "PROT/MMXU1.Hz.units.multiplier", "", "") +
                              Item("c", "PROT/MMXU1.A.phsA.cVal.mag.f", "") +
                              Item("c40", "PROT/MMXU1.A.phsA.units.SIUnit", "", "40");
    ASSERT_TRUE(Run(items, 8));
    const URI_Ref w = MapItem("w"), u = MapItem("u");
    EXPECT_EQ(Get(w, "sec:DARef.daName"), "cVal.mag.f");
    EXPECT_EQ(Get(w, "sec:MapItem.unitSiUnit"), EnumValue("SIUnitEnum", "29"));
    EXPECT_EQ(Get(w, "sec:MapItem.unitMultiplier"), EnumValue("UnitMultiplierEnum", "3"));
    // The DO named like the end of its node's name keeps its DA path.
    EXPECT_EQ(Get(u, "sec:DARef.doName"), "U1");
    EXPECT_EQ(Get(u, "sec:DARef.daName"), "cVal.mag.f");
    // Every item reported ("um" names no attribute of the model) sets nothing.
    EXPECT_EQ(Get(u, "sec:MapItem.unitSiUnit"), "");
    EXPECT_EQ(Get(u, "sec:MapItem.unitMultiplier"), "");
    EXPECT_EQ(MapItems().size(), 5u);
    EXPECT_EQ(Errors(), (std::vector<CString>{"MappingItem:um未发现toDA:PROT/MMXU1.U1.UNITS.MULTIPLIER！",
                                              "MappingItem:c40值为40，标准中无此值！",
                                              "MappingItem:b05值为05，标准中无此值！",
                                              "MappingItem:bp3值为+3，标准中无此值！",
                                              "MappingItem:hz50值为5.0，标准中无此值！",
                                              "MappingItem:hzm值为，标准中无此值！",
                                              "MappingItem:uu值为12，标准中无此值！",
                                              "MappingItem:ub值为 3，标准中无此值！"}));
}

// A sub-data object's group takes its class through the SDO's type; two
// key DAs give two map items, the first the group's; the map items are
// numbered in the order of the file.
TEST_F(M2iImportTest, KeyDataAttributesOfSubDataObjectsAndWithConstraints) {
    const std::string items = Item("ia", "PROT/MMXU1.A.phsA.cVal.mag.f", "1") +
                              Item("iu", "PROT/MMXU1.A.phsA.units.SIUnit", "", "5") +
                              Item("ang", "PROT/MMXU1.A.phsA.cVal.ang.f", "2") +
                              Item("ind", "PROT/GGIO1.Ind.stVal[ST]", "4");
    ASSERT_TRUE(Run(items, 0));
    EXPECT_EQ(Rows(), (std::vector<std::string>{"ia A.phsA cVal.mag.f ", "ang A.phsA cVal.ang.f ",
                                                "ind Ind stVal[ST] "}));
    EXPECT_EQ(Get(MapItem("ia"), "sec:MapItem.unitSiUnit"), EnumValue("SIUnitEnum", "5"));
    EXPECT_EQ(Target(MapItem("ind"), "sec:DARef.LNode"), ggio);
    EXPECT_EQ(Boxes(), (std::vector<CString>{"导入成功!", WriteFile("in.m2i", "") + "模板文件导入完成！"}));
    EXPECT_FALSE(ReportSaved());
}

// The first key DA fills the group's map item also after an item that
// names the data object itself; that item keeps its own map item.
TEST_F(M2iImportTest, AnItemOfTheDataObjectItselfKeepsItsOwnMapItem) {
    ASSERT_TRUE(Run(Item("cnt0", "PROT/GGIO1.Cnt", "", "5") + Item("cnt", "PROT/GGIO1.Cnt.stVal", "2"), 0));
    EXPECT_EQ(Rows(), (std::vector<std::string>{"cnt0 Cnt  5", "cnt Cnt stVal "}));
    EXPECT_EQ(Target(MapItem("cnt"), "sec:MapItem.InfoItem"), Info(1));
    EXPECT_TRUE(Target(MapItem("cnt0"), "sec:MapItem.InfoItem").IsEmpty());
}

// An item reported makes nothing and changes no other: a target the model
// lacks beside an item of its data object, and an item of a data object
// whose information item is missing (reported once). An attribute of a
// value links no information item, so its key is not looked up.
TEST_F(M2iImportTest, AReportedItemMakesAndChangesNothing) {
    ASSERT_TRUE(Run(Item("good", "PROT/GGIO1.Ind", "1") + Item("typo", "PROT/GGIO1.Ind.zzz", "2") +
                        Item("lost", "PROT/GGIO1.Cnt", "99") + Item("ind", "PROT/GGIO1.Ind.stVal", "2") +
                        Item("indt", "PROT/GGIO1.Ind.t", "99"),
                    2));
    EXPECT_EQ(Rows(), (std::vector<std::string>{"good Ind  ", "ind Ind stVal "}));
    EXPECT_EQ(Get(MapItem("ind"), "sec:MapItem.daName_t"), "PROT/GGIO1.Ind.t");
    EXPECT_EQ(Members(MapItem("good"), "sec:MapItem.InfoItem"), std::vector<URI_Ref>{Info(0)});
    EXPECT_EQ(Errors(), (std::vector<CString>{"MappingItem:typo未发现toDA:PROT/GGIO1.Ind.zzz！",
                                              "MappingItem:lost未找到对应InfoItem:99！"}));
}

// The attributes read between such an item and the first key DA belong on
// the key DA's map item.
TEST_F(M2iImportTest, AttributesBeforeTheFirstKeyDaGoToItsMapItemAfterAnItemOfTheDataObject) {
    const std::string items = Item("ind0", "PROT/GGIO1.Ind", "", "1") + Item("indt", "PROT/GGIO1.Ind.t", "", "") +
                              Item("ind", "PROT/GGIO1.Ind.stVal", "2") + Item("w0", "PROT/MMXU1.TotW", "", "7") +
                              Item("wu", "PROT/MMXU1.TotW.units.SIUnit", "", "29") +
                              Item("wm", "PROT/MMXU1.TotW.units.multiplier", "", "3") +
                              Item("w", "PROT/MMXU1.TotW.cVal.mag.f", "4") +
                              Item("wang", "PROT/MMXU1.TotW.cVal.ang.f", "1");
    ASSERT_TRUE(Run(items, 0));
    EXPECT_EQ(Rows(), (std::vector<std::string>{"ind0 Ind  1", "ind Ind stVal ", "w0 TotW  7", "w TotW cVal.mag.f ",
                                                "wang TotW cVal.ang.f "}));
    EXPECT_EQ(Get(MapItem("ind"), "sec:MapItem.daName_t"), "PROT/GGIO1.Ind.t");
    EXPECT_EQ(Get(MapItem("w"), "sec:MapItem.unitSiUnit"), EnumValue("SIUnitEnum", "29"));
    EXPECT_EQ(Get(MapItem("w"), "sec:MapItem.unitMultiplier"), EnumValue("UnitMultiplierEnum", "3"));
    for (const char* own : {"ind0", "w0", "wang"})
        for (const char* role : {"sec:MapItem.daName_t", "sec:MapItem.unitSiUnit", "sec:MapItem.unitMultiplier"})
            EXPECT_EQ(Get(MapItem(own), role), "") << own << " " << role;
}

// Without a key DA, or an item of the data object before them, the
// attributes of a group have no map item to go on: each is named, and none
// is merged into another or moves its text into another field.
TEST_F(M2iImportTest, AttributesWithoutAKeyDataAttributeAreNamedNotMerged) {
    ASSERT_TRUE(Run(Item("P", "PROT/MMXU1.Hz.units.SIUnit", "", "62") +
                        Item("Q", "PROT/MMXU1.Hz.dU", "", "kW总有功功率") + Item("R", "PROT/GGIO1.Ind.t", "4") +
                        Item("smin", "PROT/GGIO1.Set.minVal", "", "0.5", "下限"),
                    4));
    EXPECT_TRUE(MapItems().empty());
    EXPECT_EQ(Errors(), (std::vector<CString>{"MappingItem:R处未发现关键DA,其toDA为PROT/GGIO1.Ind.t，未导入！",
                                              "MappingItem:smin处未发现关键DA,其toDA为PROT/GGIO1.Set.minVal，未导入！",
                                              "MappingItem:P处未发现关键DA,其toDA为PROT/MMXU1.Hz.units.SIUnit，未导入！",
                                              "MappingItem:Q处未发现关键DA,其toDA为PROT/MMXU1.Hz.dU，未导入！"}));
}

// Classes outside the key-DA table: one map item per item, each with its
// DA path; a toDA that is not found is reported once and makes none.
TEST_F(M2iImportTest, OtherClassesGiveAMapItemPerItem) {
    ASSERT_TRUE(Run(Item("pos", "PROT/GGIO1.Pos.stVal", "1") + Item("ctl", "PROT/GGIO1.Pos.ctlModel", "", "1") +
                        Item("nope", "PROT/GGIO1.Pos.nope", "", "x") + Item("whole", "PROT/GGIO1.Pos", "", "2"),
                    1));
    EXPECT_EQ(Rows(), (std::vector<std::string>{"pos Pos stVal ", "ctl Pos ctlModel 1", "whole Pos  2"}));
    EXPECT_EQ(Errors(), std::vector<CString>{"MappingItem:nope未发现toDA:PROT/GGIO1.Pos.nope！"});
    bool shown = false;
    for (const Struct_UiCall& c : ui.CallsOf(Enum_UiCall::StatusText))
        shown = shown || c.sText == "MapItem:ctl ctl PROT/GGIO1.Pos.ctlModel ";
    EXPECT_TRUE(shown);
}

TEST_F(M2iImportTest, ProcessAndParameterReading) {
    const std::string twoProcesses =
        "<MappingItem name=\"two\" toDA=\"PROT/GGIO1.Ind.stVal\">"
        "<Process operator=\"a\"><Parameter name=\"p\" idITB=\"5\"/></Process>"
        "<Process operator=\"b\"><parameter name=\"q\" val=\"1\"/></Process></MappingItem>\n";
    const std::string twoIds =
        "<MappingItem name=\"ids\" toDA=\"PROT/PPTOC1.Op.stVal\">"
        "<Process><Parameter idITB=\"1\"/><Parameter idITB=\"2\" val=\"v\"/></Process></MappingItem>\n";
    // The operators of an item are kept as read; the one written for none
    // reads as none.
    const std::string operators =
        "<MappingItem name=\"inv\" toDA=\"PROT/GGIO1.Cnt.stVal\">"
        "<Process operator=\"M2I:Invert\"><Parameter val=\"3\"/></Process>"
        "<Process operator=\"M2I:Scale\"><Parameter val=\"2\"/></Process></MappingItem>\n" +
        Item("plain", "PROT/MMXU1.Hz.mag.f", "1");
    ASSERT_TRUE(Run(twoProcesses + twoIds + operators, 4));
    EXPECT_EQ(Errors(), (std::vector<CString>{
                            "MappingItem:two未找到对应InfoItem:5！",
                            "MappingItem:ids未找到operator！",
                            "MappingItem:ids对应多个InfoItem:1/2！",
                            "MappingItem:ids未找到对应InfoItem:1/2！",
                        }));
    // Each of the first two items is reported.
    EXPECT_EQ(Rows(), (std::vector<std::string>{"inv Cnt stVal 3/2", "plain Hz mag.f "}));
    EXPECT_EQ(Get(MapItem("inv"), "sec:MapItem.operator"), "M2I:Invert/M2I:Scale");
    EXPECT_EQ(Get(MapItem("plain"), "sec:MapItem.operator"), "");
}

// Ten thousand parameters in one item: one finding with the whole key.
TEST_F(M2iImportTest, TenThousandParametersInOneItem) {
    std::string params;
    for (int i = 0; i < 10000; ++i) params += "<Parameter idITB=\"k" + std::to_string(i) + "\" val=\"v\"/>";
    ASSERT_TRUE(Run("<MappingItem name=\"many\" toDA=\"PROT/GGIO1.Ind.stVal\"><Process operator=\"o\">" + params +
                        "</Process></MappingItem>\n",
                    2));
    const std::vector<CString> errors = Errors();
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[0].Find("MappingItem:many对应多个InfoItem:k0/k1/k2/"), 0);
    EXPECT_EQ(errors[0].Right(8), "k9999！");
    EXPECT_EQ(errors[1].Find("MappingItem:many未找到对应InfoItem:k0/"), 0);
    EXPECT_TRUE(MapItems().empty());
}

// Duplicates, unknown nodes and every finding of one file, saved beside the
// document and offered; what is reported makes nothing.
TEST_F(M2iImportTest, TheReportOfAFileWithEveryKindOfFinding) {
    const std::string items = Item("b", "PROT/PPTOC1.Op.stVal", "2") + Item("a", "PROT/GGIO1.Ind.stVal", "1") +
                              Item("dup", "PROT/GGIO1.Ind.stVal", "9") + Item("nodo", "PROT/XCBR1.Pos.stVal", "1") +
                              "<MappingItem name=\"noto\"/>\n<MappingItem name=\"noto2\"/>\n" +
                              Item("quote", "PROT/GGIO1.Ind.&quot;q'", "", "1") + Item("flat", "nodots", "", "1") +
                              "</Mappings><Mappings iedModel=\"ICD1\">" + Item("second", "PROT/GGIO1.Pos.stVal", "1");
    ASSERT_TRUE(RunM2i(M2i(items), icd, "in.m2i", "", [&] { ui.AnswerYes("M2I文件导入完毕,发现错误8个。是否查看报告？"); }));
    EXPECT_EQ(SavedReport(),
              (std::vector<ReportEntry>{
                  {"MappingItem", "错误：Mappings", "第2个Mappings未导入（其中1个MappingItem）"},
                  {"MappingItem", "错误：dup", "MappingItem:duptoDA:PROT/GGIO1.Ind.stVal重复！"},
                  {"MappingItem", "错误：nodo", "MappingItem:nodo未发现toDA:PROT/XCBR1.Pos.stVal！"},
                  {"MappingItem", "错误：noto", "MappingItem:noto未发现toDA:！"},
                  {"MappingItem", "错误：noto2", "MappingItem:noto2未发现toDA:！"},
                  {"MappingItem", "错误：noto2", "MappingItem:noto2toDA:重复！"},
                  {"MappingItem", "错误：quote", "MappingItem:quote未发现toDA:PROT/GGIO1.Ind.\"q'！"},
                  {"MappingItem", "错误：flat", "MappingItem:flat未发现toDA:nodots！"},
              }));
    EXPECT_EQ(Rows(), (std::vector<std::string>{"b Op stVal ", "a Ind stVal "}));
    EXPECT_EQ(ui.CallsOf(Enum_UiCall::ShellOpen).at(0).sText, (docFolder / "Report.xml").string().c_str());
}

// Elements are read by the namespace of the root M2I, whatever prefix the
// file gives it; each element of another namespace is named, not read, an
// item's own before those of its Process.
TEST_F(M2iImportTest, ElementsAreReadByTheNamespaceOfTheRoot) {
    const std::string text =
        "<p:M2I xmlns=\"urn:foreign\" xmlns:p=\"http://kiln.local/Zel/2004/M2I\">"
        "<Mappings><MappingItem name=\"foreign\" toDA=\"PROT/GGIO1.Ind.stVal\"/></Mappings>"
        "<p:Mappings><p:Header id=\"h\"/><p:MappingItem name=\"real\" toDA=\"PROT/GGIO1.Cnt.stVal\">"
        "<p:Process operator=\"M2I:ExtractVal\"><p:Parameter name=\"ParaANYwT\" idITB=\"2\"/><Parameter idITB=\"1\"/>"
        "</p:Process><p:Note/></p:MappingItem><MappingItem name=\"other\" toDA=\"PROT/GGIO1.Ind.stVal\"/></p:Mappings></p:M2I>";
    ASSERT_TRUE(RunM2i(text, icd, "in.m2i", "", [&] { ui.AnswerNo("M2I文件导入完毕,发现错误4个。是否查看报告？"); }));
    EXPECT_EQ(Rows(), std::vector<std::string>{"real Cnt stVal "});
    EXPECT_EQ(Target(MapItem("real"), "sec:MapItem.InfoItem"), Info(1));
    EXPECT_EQ(SavedReport(), (std::vector<ReportEntry>{
                                 {"MappingItem", "错误：M2I", "元素Mappings未导入（命名空间urn:foreign）"},
                                 {"MappingItem", "错误：Mappings", "元素MappingItem未导入（命名空间urn:foreign）"},
                                 {"MappingItem", "错误：real", "元素p:Note未导入"},
                                 {"MappingItem", "错误：real", "元素Parameter未导入（命名空间urn:foreign）"}}));
    EXPECT_EQ(Boxes().back(), WriteFile("in.m2i", "") + "模板文件导入完成！");
}

// Refused input changes nothing.
TEST_F(M2iImportTest, RefusedFilesAndIcdsChangeNothing) {
    const CString failure = WriteFile("in.m2i", "") + "模板文件格式不正确, 导入不成功！";
    EXPECT_FALSE(app.Rsc_M2I_Import(m.instPkg));
    EXPECT_TRUE(Boxes().empty());

    // No Mappings of an M2I: under a root of another kind (a table), or a
    // root M2I of another namespace, the file's own Mappings is none.
    EXPECT_FALSE(RunM2i("<?xml version=\"1.0\"?><M2I><MappingItem/></M2I>", icd));
    EXPECT_FALSE(RunM2i(Itb("<Mappings><MappingItem name=\"a\" toDA=\"PROT/GGIO1.Ind.stVal\"/></Mappings>"), icd));
    EXPECT_FALSE(RunM2i("<M2I xmlns=\"urn:foreign\" xmlns:p=\"http://kiln.local/Zel/2004/M2I\"><Mappings>"
                        "<MappingItem name=\"foreign\" toDA=\"PROT/GGIO1.Ind.stVal\"/></Mappings><p:Mappings/></M2I>",
                        icd));
    const CString read = "，只导入根元素为M2I（命名空间路径为/Zel/2004/M2I，或无命名空间）的文件";
    EXPECT_EQ(Boxes(), (std::vector<CString>{
                           "未找到Mappings节点！",
                           failure + "\n根元素M2I中没有Mappings元素，映射条目只从根元素下同一命名空间（无）的Mappings元素导入",
                           "未找到Mappings节点！", failure + "\n根元素是ITB（命名空间http://kiln.local/Zel/2004/ITB）" + read,
                           "未找到Mappings节点！", failure + "\n根元素是M2I（命名空间urn:foreign）" + read}));
    // A file that cannot be read: the failure, then why and where.
    std::string utf8AsGb = M2i(Item("过流", "PROT/GGIO1.Ind.stVal", "1"));
    utf8AsGb.replace(utf8AsGb.find("UTF-8"), 5, "GB2312");
    const struct {
        std::string text;
        const char* why;
    } kUnreadable[] = {
        {"<M2I><Mappings></M2I>", "XML格式错误"},
        {M2i("<MappingItem name=\"a\" toDA=\"PROT/GGIO1.Ind.stVal\" name=\"b\"/>"), "第4行第51列：XML格式错误：属性name重复"},
        {utf8AsGb, "编码GB2312：第4行第20列：字节0x87不是GB2312的字符"},
        {M2i("<MappingItem xmlns:p=\"urn:a\" xmlns:q=\"urn:a\" p:toDA=\"x\" q:toDA=\"y\"/>"),
         "第4行第57列：XML格式错误：属性q:toDA与p:toDA重复（同属命名空间urn:a）"},
    };
    for (const auto& u : kUnreadable) {
        ui.ClearCalls();
        EXPECT_FALSE(RunM2i(u.text, icd));
        EXPECT_EQ(Boxes().size(), 1u) << u.text;
        EXPECT_EQ(Boxes().front().Left(failure.GetLength() + 1), failure + "\n") << u.text;
        EXPECT_GE(Boxes().front().Find(u.why), 0) << Boxes().front();
    }
    EXPECT_TRUE(TheM2i().IsEmpty());

    // An ICD without server, an ICD with a mapping.
    ui.ClearCalls();
    URI_Ref bare = Make(DomainOf(icd), "sec:ICD", "Bare");
    EXPECT_FALSE(RunM2i(M2i(""), bare));
    EXPECT_EQ(Boxes(), (std::vector<CString>{"ICD没有IED或Server，不能导入M2I！", failure}));
    ASSERT_TRUE(RunM2i(M2i(""), icd));
    EXPECT_TRUE(MapItems().empty());
    ui.ClearCalls();
    EXPECT_FALSE(app.Rsc_M2I_Import(icd));
    EXPECT_EQ(Boxes(), std::vector<CString>{"该ICD已有M2I，不能再导入！"});
    EXPECT_TRUE(ui.CallsOf(Enum_UiCall::OpenFile).empty());
    EXPECT_EQ(ui.CallsOf(Enum_UiCall::WaitCursorBegin).size(), ui.CallsOf(Enum_UiCall::WaitCursorEnd).size());
}

class M2iCompanionTest : public ItbM2iTest {
protected:
    M2iCompanionTest() { EXPECT_TRUE(app.NewRsc_ICD(&other, URI_Ref(), "ICD2", false, product)); }
    URI_Ref other;
};

// Without an ITB the file beside the mapping is read first; a mapping the
// run cannot make takes that table back with it.
TEST_F(M2iCompanionTest, TheCompanionItbIsReadFirstAndTakenBackWithARefusedMapping) {
    const std::string itb = Itb("<InfoItem id=\"7\" name=\"合位\"/>");
    ASSERT_TRUE(RunM2i(M2i(Item("op", "PROT/PPTOC1.Op.stVal", "7")), icd, "dev.m2i", itb));
    const URI_Ref item = Members(TheItb(), "sec:ITB.InfoItems").at(0);
    EXPECT_EQ(Target(MapItems().at(0), "sec:MapItem.InfoItem"), item);
    // One closing message: the companion's import shows none.
    EXPECT_EQ(Boxes(), (std::vector<CString>{"导入成功!", WriteFile("dev.m2i", "") + "模板文件导入完成！"}));

    // "x.m2i.xml": "x.itb.xml", then "x.itb".
    ui.ClearCalls();
    Doc().InjectFault("create", 2);  // the ITB and its item are made, the mapping is not
    EXPECT_FALSE(RunM2i(M2i(""), other, "b.m2i.xml", itb));
    EXPECT_EQ(Boxes(), (std::vector<CString>{"建M2I失败！", WriteFile("b.m2i.xml", "") + "模板文件格式不正确, 导入不成功！"}));
    EXPECT_TRUE(Target(other, "sec:ICD.ITB").IsEmpty());
    EXPECT_TRUE(Target(other, "sec:ICD.M2I").IsEmpty());
    std::vector<URI_Ref> all;
    app.DocMtd_get_Uris_byClassName("sec:InfoItem", all, "", SortPolicy_ByName);
    EXPECT_EQ(all.size(), 1u);
}

TEST_F(M2iCompanionTest, BesideAnXmlMappingTheXmlTableComesFirst) {
    WriteFile("e.itb", "not a table");
    WriteFile("e.itb.xml", Itb("<InfoItem id=\"7\" name=\"合位\"/>"));
    ASSERT_TRUE(RunM2i(M2i(Item("op", "PROT/PPTOC1.Op.stVal", "7")), icd, "e.m2i.xml"));
    EXPECT_EQ(Target(MapItems().at(0), "sec:MapItem.InfoItem"), Members(TheItb(), "sec:ITB.InfoItems").at(0));
    // A companion that does not load is named as a faulty table, then why.
    ui.ClearCalls();
    EXPECT_FALSE(RunM2i(M2i(""), other, "e.m2i"));
    const CString faulty = CString((workspace / "e.itb").string().c_str()) + "ITB文件格式不正确, 导入不成功！\n";
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes().front().Left(faulty.GetLength()), faulty);
    EXPECT_GT(Boxes().front().GetLength(), faulty.GetLength());
    // One of another root, the same with the root found and the one read.
    ui.ClearCalls();
    EXPECT_FALSE(RunM2i(M2i(""), other, "f.m2i", "<M2I/>"));
    EXPECT_EQ(Boxes(), std::vector<CString>{CString((workspace / "f.itb").string().c_str()) +
                                            "ITB文件格式不正确, 导入不成功！\n根元素是M2I（命名空间无），只导入根元素为ITB"
                                            "（命名空间路径为/Zel/2004/ITB，或无命名空间）的文件"});
    EXPECT_TRUE(Target(other, "sec:ICD.ITB").IsEmpty());
}

TEST_F(M2iCompanionTest, AMissingCompanionMakesNothing) {
    EXPECT_FALSE(RunM2i(M2i(Item("op", "PROT/PPTOC1.Op.stVal", "7")), icd, "c.m2i"));
    EXPECT_EQ(Boxes(), std::vector<CString>{"未发现" + CString((workspace / "c.itb").string().c_str()) + "文件！"});
    EXPECT_TRUE(TheItb().IsEmpty());
    EXPECT_TRUE(TheM2i().IsEmpty());
    // A mapping without Mappings is refused before its companion is looked for.
    ui.ClearCalls();
    EXPECT_FALSE(RunM2i("<M2I/>", icd, "d.m2i"));
    EXPECT_EQ(Boxes().front(), "未找到Mappings节点！");
}

// Tables and mappings declared in GB2312 or GBK keep their Chinese texts.
TEST_F(M2iCompanionTest, ChineseEncodedFilesKeepTheirTexts) {
    std::string itb = Itb("<InfoGroup name=\"遥信\"/><InfoItem id=\"7\" name=\"跳闸\" desc=\"保护跳闸\"/>");
    itb.replace(itb.find("UTF-8"), 5, "GB2312");
    std::string m2i = M2i(Item("动作", "PROT/PPTOC1.Op.stVal", "7", "", "出口"));
    m2i.replace(m2i.find("UTF-8"), 5, "GBK");
    ASSERT_TRUE(RunM2i(kiln::text::Utf8ToGbk(m2i), icd, "cn.m2i", kiln::text::Utf8ToGbk(itb)));
    const URI_Ref item = Members(TheItb(), "sec:ITB.InfoItems").at(0);
    EXPECT_EQ(Get(item, "cim:Naming.name"), "跳闸");
    EXPECT_EQ(Get(item, "cim:Naming.description"), "保护跳闸");
    EXPECT_EQ(NamesOf(Members(TheItb(), "sec:ITB.InfoGroups")), std::vector<CString>{"遥信"});
    const URI_Ref mapped = MapItem("动作");
    ASSERT_TRUE(mapped.IsSet());
    EXPECT_EQ(Get(mapped, "cim:Naming.description"), "出口");
    EXPECT_EQ(Target(mapped, "sec:MapItem.InfoItem"), item);
}

// A node that names no class is found by its type's class, as the export
// writes it.
TEST_F(M2iImportTest, ANodeWithoutClassIsFoundByItsTypesClass) {
    ASSERT_TRUE(Run(Item("op2", "PROT/PTOC2.Op.stVal", "1"), 0));
    EXPECT_EQ(Target(MapItem("op2"), "sec:DARef.LNode"), bare);
}

// An existing ITB keys its items by id, else by path name.
// An item without id is found by its path name, and without either by its
// order number, as the M2I export writes them.
TEST_F(M2iImportTest, AnExistingItbKeysItemsWithoutIdByPathNameThenByNumber) {
    ASSERT_TRUE(Run(Item("p", "PROT/PPTOC1.Op.stVal", "P/3"), 0));
    EXPECT_EQ(Target(MapItems().at(0), "sec:MapItem.InfoItem"), Info(2));

    ASSERT_TRUE(Doc().DeleteResource(MapItems().at(0)));
    ASSERT_TRUE(Doc().DeleteResource(TheM2i()));
    Set(Info(2), "cim:Naming.pathName", "");
    ui.ClearCalls();
    ASSERT_TRUE(Run(Item("n", "PROT/PPTOC1.Op.stVal", "3"), 0));
    EXPECT_EQ(Target(MapItems().at(0), "sec:MapItem.InfoItem"), Info(2));
}

// A report without its "M2I" node is refused before anything is made.
TEST_F(M2iImportTest, AReportWithoutItsM2INodeIsRefused) {
    CBase_XML source, report;
    ASSERT_TRUE(source.Load(WriteFile("w.m2i", M2i(Item("op", "PROT/PPTOC1.Op.stVal", "1")))));
    ASSERT_TRUE(report.Load(WriteFile("r.xml", "<Report><ICD/><other_errors/></Report>")));
    CKiln_Import importer;
    importer.Init_KeyDATable("", "");
    EXPECT_FALSE(importer.Import_M2I(&app, &source, icd, report, ImportNameTable()));
    EXPECT_EQ(Boxes(), std::vector<CString>{app.Get_ReportTemplatePath() + "模板文件格式不正确, 导入不成功！"});
    EXPECT_TRUE(TheM2i().IsEmpty());
}

// A map item the creator refuses takes the whole mapping back.
TEST_F(M2iImportTest, ARefusedMapItemTakesTheMappingBack) {
    Doc().InjectFault("create", 2);  // the mapping and its first map item are made
    EXPECT_FALSE(Run(Item("a", "PROT/GGIO1.Ind.stVal", "1") + Item("b", "PROT/PPTOC1.Op.stVal", "2"), 0));
    EXPECT_TRUE(TheM2i().IsEmpty());
    std::vector<URI_Ref> all;
    app.DocMtd_get_Uris_byClassName("sec:MapItem", all, "", SortPolicy_ByName);
    EXPECT_TRUE(all.empty());
    EXPECT_EQ(TheItb().IsSet(), true);
}

}  // namespace
}  // namespace kiln::test
