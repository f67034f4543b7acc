// Round trips: an information table and a mapping written by the exports
// and read back by the imports. What differs is listed with its reason.
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <pugixml.hpp>

#include "tests/import/itb_m2i_fixture.h"

namespace fs = std::filesystem;

namespace kiln::test {
namespace {

class ItbM2iRoundTrip : public ItbM2iTest {
protected:
    ItbM2iRoundTrip() {
        for (const char* t : {"ITB_Template.xml", "M2I_Template.xml"})
            fs::copy_file(fs::path(KILN_SOURCE_DIR) / "Template" / t, workspace / "Template" / t);
    }

    // The table of the ICD, made with the creators; its items name the
    // groups 遥信 and 遥测, which it holds with `groups`.
    URI_Ref BuildItb(const URI_Ref& owner, bool groups = true) {
        URI_Ref itb, g1, g2;
        EXPECT_TRUE(app.NewRsc_ITB(&itb, owner));
        if (groups) {
            EXPECT_TRUE(app.NewRsc_InfoGroup(&g1, itb, "遥信"));
            EXPECT_TRUE(app.NewRsc_InfoGroup(&g2, itb, "遥测"));
            Set(g1, "cim:Naming.description", "状态量");
        }
        const struct {
            const char *id, *name, *desc, *type, *group, *typ, *fun, *inf, *grp, *ent, *acc;
        } kItems[] = {{"1", "跳闸", "保护跳闸", "SPS", "遥信", "1", "160", "90", "2", "1", "0"},
                      {"2", "合位", "", "DPS", "遥信", "1", "160", "91", "2", "2", "0"},
                      {"3", "电流", "A相", "MV", "遥测", "9", "160", "148", "3", "1", "1"},
                      {"4", "计数", "", "", "", "", "", "", "", "", ""}};
        for (const auto& k : kItems) {
            URI_Ref item;
            EXPECT_TRUE(app.NewRsc_InfoItem(&item, itb));
            Set(item, "sec:InfoItem.id", k.id);
            Set(item, "cim:Naming.name", k.name);
            Set(item, "cim:Naming.description", k.desc);
            if (*k.type) Set(item, "sec:InfoItem.dataType", EnumValue("ITBDataTypeEnum", k.type));
            Set(item, "sec:InfoItem.infoGroup", k.group);
            Set(item, "sec:InfoItem.p103_typ", k.typ);
            Set(item, "sec:InfoItem.p103_fun", k.fun);
            Set(item, "sec:InfoItem.p103_inf", k.inf);
            Set(item, "sec:InfoItem.p103_grp", k.grp);
            Set(item, "sec:InfoItem.p103_ent", k.ent);
            Set(item, "sec:InfoItem.p103_acc", k.acc);
        }
        return itb;
    }

    // Every group and item of a table with what the file carries, in order.
    std::vector<std::string> TableRows(const URI_Ref& itb) {
        std::vector<std::string> rows;
        for (const URI_Ref& g : Members(itb, "sec:ITB.InfoGroups"))
            rows.push_back(std::string("group ") + Get(g, "cim:Naming.name").GetString() + " " +
                           Get(g, "cim:Naming.description").GetString());
        for (const URI_Ref& i : Members(itb, "sec:ITB.InfoItems")) {
            std::string row = "item";
            for (const char* role : {"sec:InfoItem.id", "cim:Naming.name", "cim:Naming.description",
                                     "sec:InfoItem.dataType", "sec:InfoItem.infoGroup", "sec:InfoItem.p103_typ",
                                     "sec:InfoItem.p103_fun", "sec:InfoItem.p103_inf", "sec:InfoItem.p103_grp",
                                     "sec:InfoItem.p103_ent", "sec:InfoItem.p103_acc"})
                row += std::string("|") + Get(i, role).GetString();
            rows.push_back(row);
        }
        return rows;
    }

    // Every map item of a mapping with its target, link and values, sorted.
    std::vector<std::string> MapRows(const URI_Ref& m2i) {
        std::vector<std::string> rows;
        for (const URI_Ref& i : Members(m2i, "sec:M2I.MapItems")) {
            std::string row = std::string(Get(Target(i, "sec:DARef.LNode"), "cim:Naming.name").GetString()) + " " +
                              Get(Target(i, "sec:MapItem.InfoItem"), "sec:InfoItem.id").GetString();
            for (const char* role : {"cim:Naming.name", "cim:Naming.description", "sec:DARef.doName",
                                     "sec:DARef.daName", "sec:MapItem.valStr", "sec:MapItem.unitSiUnit",
                                     "sec:MapItem.unitMultiplier", "sec:MapItem.minVal", "sec:MapItem.maxVal",
                                     "sec:MapItem.stepSize", "sec:MapItem.operator", "sec:MapItem.dU",
                                     "sec:MapItem.daName_t"})
                row += std::string("|") + Get(i, role).GetString();
            rows.push_back(row);
        }
        std::sort(rows.begin(), rows.end());
        return rows;
    }

    URI_Ref AddMapItem(const URI_Ref& m2i, const char* name, const URI_Ref& node, const char* doName,
                       const char* daName, const URI_Ref& info) {
        URI_Ref item;
        EXPECT_TRUE(app.NewRsc_MapItem(&item, m2i, info));
        Set(item, "cim:Naming.name", name);
        Link(item, "sec:DARef.LNode", node);
        Set(item, "sec:DARef.doName", doName);
        if (*daName) Set(item, "sec:DARef.daName", daName);
        return item;
    }

    static std::string FileText(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    // Deletes a resource with the members along the roles.
    void Remove(const URI_Ref& rsc, std::initializer_list<const char*> roles) {
        for (const char* role : roles)
            for (const URI_Ref& member : Members(rsc, role)) ASSERT_TRUE(Doc().DeleteResource(member));
        ASSERT_TRUE(Doc().DeleteResource(rsc));
    }
};

// Groups, items and their addresses come back in a second ICD; only the
// order numbers are the file's positions.
TEST_F(ItbM2iRoundTrip, AnExportedTableImportsAsItWasWritten) {
    const URI_Ref itb = BuildItb(icd);
    ui.AnswerSaveFile((workspace / "dev.itb").string().c_str());
    ASSERT_TRUE(app.Rsc_ITB_Export(itb));
    URI_Ref other;
    ASSERT_TRUE(app.NewRsc_ICD(&other, URI_Ref(), "ICD2", false, product));
    ui.ClearCalls();
    ui.AnswerOpenFile((workspace / "dev.itb").string().c_str());
    ASSERT_TRUE(app.Rsc_ITB_Import(other));
    EXPECT_EQ(TableRows(Target(other, "sec:ICD.ITB")), TableRows(itb));
    const std::vector<URI_Ref> items = Members(Target(other, "sec:ICD.ITB"), "sec:ITB.InfoItems");
    for (size_t i = 0; i < items.size(); ++i) EXPECT_EQ(Get(items[i], "e301:OrdNaming.ord"), ToText(int(i) + 1));
}

// A table without groups, its items naming groups it lacks (or none),
// written, deleted, read and written again: the file leaves those groups
// out, reads back with no error and the two files are equal.
TEST_F(ItbM2iRoundTrip, ATableWithoutGroupsReadsBackWithoutError) {
    URI_Ref itb = BuildItb(icd, false);
    URI_Ref item;
    ASSERT_TRUE(app.NewRsc_InfoItem(&item, itb));
    Set(item, "sec:InfoItem.infoGroup", "保护组");
    Set(item, "sec:InfoItem.p103_typ", "1");
    Set(item, "sec:InfoItem.p103_fun", "160");
    Set(item, "sec:InfoItem.p103_inf", "92");
    const auto read = [](const fs::path& file) {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    };
    ui.AnswerSaveFile((workspace / "first.itb").string().c_str());
    ASSERT_TRUE(app.Rsc_ITB_Export(itb));
    for (const URI_Ref& i : Members(itb, "sec:ITB.InfoItems")) Set(i, "sec:InfoItem.infoGroup", "");
    const std::vector<std::string> before = TableRows(itb);
    Remove(itb, {"sec:ITB.InfoItems", "sec:ITB.InfoGroups"});
    ui.ClearCalls();
    ui.AnswerOpenFile((workspace / "first.itb").string().c_str());
    ASSERT_TRUE(app.Rsc_ITB_Import(icd));
    EXPECT_EQ(Boxes(), std::vector<CString>{(workspace / "first.itb").string().c_str() + CString("模板文件导入完成！")});
    itb = TheItb();
    EXPECT_EQ(TableRows(itb), before);
    ui.AnswerSaveFile((workspace / "second.itb").string().c_str());
    ASSERT_TRUE(app.Rsc_ITB_Export(itb));
    EXPECT_EQ(read(workspace / "second.itb"), read(workspace / "first.itb"));
}

// A mapping written with its table comes back, table included, into the ICD
// that no longer has either, on a device whose name holds a dot; written
// again it gives the same file. What the import would not read back as it
// is, is named and left out.
TEST_F(ItbM2iRoundTrip, AnExportedMappingImportsWithItsCompanionTable) {
    Set(ld, "cim:Naming.name", "LD.1");
    const URI_Ref itb = BuildItb(icd);
    const std::vector<URI_Ref> info = Members(itb, "sec:ITB.InfoItems");
    URI_Ref m2i;
    ASSERT_TRUE(app.NewRsc_M2I(&m2i, icd, itb, false));
    Set(AddMapItem(m2i, "op", pptoc, "Op", "stVal", info[0]), "cim:Naming.description", "动作");
    URI_Ref w = AddMapItem(m2i, "w", mmxu, "TotW", "cVal.mag.f", URI_Ref());
    Set(w, "sec:MapItem.unitSiUnit", EnumValue("SIUnitEnum", "29"));
    Set(w, "sec:MapItem.unitMultiplier", EnumValue("UnitMultiplierEnum", "3"));
    Set(AddMapItem(m2i, "u", mmxu, "U1", "cVal.mag.f", info[2]), "sec:MapItem.unitSiUnit", EnumValue("SIUnitEnum", "29"));
    URI_Ref ia = AddMapItem(m2i, "ia", mmxu, "A.phsA", "cVal.mag.f", URI_Ref());
    Set(ia, "sec:MapItem.unitSiUnit", EnumValue("SIUnitEnum", "62"));  // Watts (38 is "W")
    // An attribute below a sub-data object picked in the property view.
    const URI_Ref ib = AddMapItem(m2i, "ib", mmxu, "A", "", URI_Ref());
    CString picked = "phsB.cVal.mag.f";
    if (app.HtmlMsg_OnFieldChanged(nullptr, ib, "sec:DARef.daName", "", picked, nullptr, nullptr))
        Set(ib, "sec:DARef.daName", picked.GetString());
    // A time stamp given in the property view.
    const URI_Ref ind = AddMapItem(m2i, "ind", ggio, "Ind", "stVal", URI_Ref());
    CString time = "t[ST]";
    if (app.HtmlMsg_OnFieldChanged(nullptr, ind, "sec:MapItem.daName_t", "", time, nullptr, nullptr))
        Set(ind, "sec:MapItem.daName_t", time.GetString());
    URI_Ref set = AddMapItem(m2i, "set", ggio, "Set", "setMag.f", URI_Ref());
    Set(set, "sec:MapItem.valStr", "1.5");
    Set(set, "sec:MapItem.minVal", "0");
    Set(set, "sec:MapItem.maxVal", "10");
    Set(set, "sec:MapItem.stepSize", "0.1");
    Set(AddMapItem(m2i, "cnt", ggio, "Cnt", "", URI_Ref()), "sec:MapItem.valStr", "5");
    URI_Ref pos = AddMapItem(m2i, "pos", ggio, "Pos", "stVal", info[1]);
    Set(pos, "sec:MapItem.operator", "M2I:Scale");
    Set(pos, "sec:MapItem.dU", "开关位置");
    // A measured value with its units, description and an operator of its own.
    URI_Ref hz = AddMapItem(m2i, "hz", mmxu, "Hz", "mag[MX].f", URI_Ref());
    Set(hz, "sec:MapItem.unitSiUnit", EnumValue("SIUnitEnum", "38"));
    Set(hz, "sec:MapItem.unitMultiplier", EnumValue("UnitMultiplierEnum", "6"));
    Set(hz, "sec:MapItem.dU", "总有功");
    Set(hz, "sec:MapItem.operator", "M2I:Invert");
    // The whole setting, its units read back onto it: the key-DA item "set"
    // of the same object stands before it.
    URI_Ref whole = AddMapItem(m2i, "whole", ggio, "Set", "", URI_Ref());
    Set(whole, "sec:MapItem.unitSiUnit", EnumValue("SIUnitEnum", "38"));
    const std::vector<std::string> before = MapRows(m2i);
    // Left out: a target met before, a DA that is no key DA of its class;
    // properties the target's type lacks (MV holds no range here), of a
    // class without key DAs (DPC), or of an item without DA that a later
    // key-DA item of its object would take.
    AddMapItem(m2i, "op2", pptoc, "Op", "stVal", URI_Ref());
    AddMapItem(m2i, "indq", ggio, "Ind", "q[ST]", URI_Ref());
    Set(hz, "sec:MapItem.minVal", "45");
    Set(hz, "sec:MapItem.stepSize", "0.1");
    URI_Ref u1 = AddMapItem(m2i, "u1", mmxu, "U1", "", URI_Ref());
    Set(u1, "sec:MapItem.unitSiUnit", EnumValue("SIUnitEnum", "V"));
    AddMapItem(m2i, "u1mag", mmxu, "U1", "cVal.ang.f", URI_Ref());

    ui.AnswerSaveFile((workspace / "dev.m2i").string().c_str());
    ASSERT_TRUE(app.Rsc_M2I_Export(m2i));
    EXPECT_EQ(Boxes().back(), (workspace / "dev.m2i").string() + "模板文件导出成功！\n未导出映射条目的dU（CDC: DPC没有关键DA，导入时成为单独的映射条目）：pos\n"
                              "未导出映射条目的minVal（DO: Hz的类型中没有minVal）：hz\n"
                              "未导出映射条目的stepSize（DO: Hz的类型中没有stepSize）：hz\n"
                              "未导出映射条目（toDA: LD.1/PPTOC1.Op.stVal重复）：op2\n"
                              "未导出映射条目（DA: q[ST]不是CDC: SPS的关键DA）：indq\n"
                              "未导出映射条目的units.SIUnit（导入时归入其后同一DO的关键DA映射条目）：u1");
    ui.AnswerSaveFile((workspace / "dev.itb").string().c_str());
    ASSERT_TRUE(app.Rsc_ITB_Export(itb));
    Remove(m2i, {"sec:M2I.MapItems"});
    Remove(itb, {"sec:ITB.InfoItems", "sec:ITB.InfoGroups"});
    ASSERT_TRUE(TheItb().IsEmpty());

    ui.ClearCalls();
    ui.AnswerOpenFile((workspace / "dev.m2i").string().c_str());
    ASSERT_TRUE(app.Rsc_M2I_Import(icd));
    EXPECT_TRUE(SavedReport().empty());

    // What differs, and why: the dU of "pos" (a DPC, outside the key-DA
    // table) is left out, and "u1" comes without its units.
    std::vector<std::string> expected = before;
    for (std::string& row : expected)
        if (row.find("|pos|") != std::string::npos) row.replace(row.find("|开关位置|"), std::strlen("|开关位置|"), "||");
    expected.push_back("MMXU1 |u1||U1||||||||||");
    expected.push_back("MMXU1 |u1mag||U1|cVal.ang.f|||||||||");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(MapRows(TheM2i()), expected);
    EXPECT_EQ(TableRows(TheItb()).size(), 6u);

    // Written again, the mapping gives the file it was read from.
    ui.AnswerSaveFile((workspace / "again.m2i").string().c_str());
    ASSERT_TRUE(app.Rsc_M2I_Export(TheM2i()));
    EXPECT_EQ(FileText(workspace / "again.m2i"), FileText(workspace / "dev.m2i"));
}

// Every code of the model's unit and multiplier enumerations (the standard
// package's, whole, with 62 spelt "W" as 38 is) comes back as itself: an M2I
// giving it is read, then written again (the code) and into the ICD (the
// literal of the code).
TEST_F(ItbM2iRoundTrip, EveryUnitCodeComesBackAsItself) {
    for (const char* t : {"ICD_Template.xml", "MICS_Template.xml"})
        fs::copy_file(fs::path(KILN_SOURCE_DIR) / "Template" / t, workspace / "Template" / t);
    MakeItb();
    const std::vector<URI_Ref> units = Members(siUnitKind, "sec:EnumType.EnumVals");
    for (const URI_Ref& v : units)
        if (Get(v, "e301:OrdNaming.ord") == "62") Set(v, "sec:EnumVal.val", "W");
    const std::vector<URI_Ref> multipliers = Members(multiplierKind, "sec:EnumType.EnumVals");
    const std::string doRef = "PROT/MMXU1.TotW.units.", m2iFile = (workspace / "again.m2i").string();
    std::vector<std::string> expected, written;
    for (size_t i = 0; i < units.size(); ++i) {
        const std::pair<std::string, URI_Ref> values[] = {{"SIUnit", units[i]},
                                                          {"multiplier", multipliers[i % multipliers.size()]}};
        std::string items = Item("w", "PROT/MMXU1.TotW.cVal.mag.f", "4");
        for (const auto& [attribute, v] : values) {
            const CString code = Get(v, "e301:OrdNaming.ord"), literal = Get(v, "sec:EnumVal.val");
            items += Item(attribute, doRef + attribute, "", code.str());
            expected.push_back(code.str() + " " + (literal.IsEmpty() ? Get(v, "cim:Naming.name") : literal).str());
        }
        ASSERT_TRUE(RunM2i(M2i(items), icd));
        ui.AnswerSaveFile(m2iFile.c_str());
        ASSERT_TRUE(app.Rsc_M2I_Export(TheM2i()));
        ui.AnswerYes("是否由M2I生成DOI DAI").AnswerSaveFile((workspace / "dev.icd").string().c_str());
        ASSERT_TRUE(app.Rsc_ICD_Export(icd, false));
        pugi::xml_document m2i, scl;
        ASSERT_TRUE(m2i.load_file(m2iFile.c_str()) && scl.load_file((workspace / "dev.icd").c_str()));
        for (const auto& [attribute, v] : values) {
            const std::string code =
                m2i.select_node(("//MappingItem[@toDA='" + doRef + attribute + "']/Process/Parameter/@val").c_str())
                    .attribute()
                    .value();
            const pugi::xpath_node val =
                scl.select_node(("//DOI[@name='TotW']/SDI[@name='units']/DAI[@name='" + attribute + "']/Val").c_str());
            written.push_back(code + " " + (val ? val.node().text().get() : "(none)"));
        }
        Remove(TheM2i(), {"sec:M2I.MapItems"});
    }
    EXPECT_EQ(written, expected);
}

}  // namespace
}  // namespace kiln::test
