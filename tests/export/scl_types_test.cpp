// The data-type templates: the types an ICD uses, in order of first use and
// each once, and a type package whole (compared with a golden file).
#include <fstream>
#include <sstream>

#include "tests/export/export_fixture.h"

namespace kiln::test {
namespace {

class TypesTest : public ExportTest {
protected:
    TypesTest() : c(BuildCompleteIcd()) {}
    pugi::xml_node Templates(const pugi::xml_document& doc) {
        return doc.select_node("/SCL/DataTypeTemplates").node();
    }
    CompleteIcd c;
};

TEST_F(TypesTest, IcdFormWritesEveryReferencedTypeOnce) {
    const pugi::xml_document& doc = WriteIcd(c.icd, false);
    pugi::xml_node dtt = Templates(doc);
    EXPECT_EQ(Select(dtt, "*"), (std::vector<std::string>{"LNodeType", "LNodeType", "LNodeType", "DOType", "DOType",
                                                           "DOType", "DOType", "DOType", "DOType", "DAType",
                                                           "DAType", "DAType", "EnumType"}));
    // Standard types (isInstType false) are written when referenced.
    EXPECT_EQ(Select(dtt, "DOType/@id"),
              (std::vector<std::string>{"SPS", "INC", "LPL", "P1_SPS", "WYE", "CMV"}));
    EXPECT_EQ(Select(dtt, "DAType/@id"), (std::vector<std::string>{"Originator", "Vector", "AnalogueValue"}));
    pugi::xml_node ptoc = dtt.select_node("LNodeType[@id='PTOC_T']").node();
    EXPECT_EQ(AttrNames(ptoc), (std::vector<std::string>{"id", "iedType", "lnClass", "zScl:base", "desc"}));
    EXPECT_STREQ(ptoc.attribute("iedType").value(), "TEMPLATE");
    EXPECT_STREQ(ptoc.attribute("zScl:base").value(), "PTOC");
    // Own DOs, then the bases'; the base's Op is the same data object.
    EXPECT_EQ(Select(ptoc, "DO/@name"), (std::vector<std::string>{"Op", "Str", "Mod", "Beh", "NamPlt"}));
    EXPECT_EQ(Select(ptoc, "DO/@type"), (std::vector<std::string>{"P1_SPS", "SPS", "INC", "INC", "LPL"}));
    EXPECT_EQ(Select(dtt, "DOType[@id='WYE']/*"), (std::vector<std::string>{"DA", "SDO", "SDO", "SDO"}));
    pugi::xml_node cvalDa = dtt.select_node("DOType[@id='CMV']/DA[@name='cVal']").node();
    EXPECT_EQ(AttrNames(cvalDa), (std::vector<std::string>{"name", "desc", "fc", "bType", "type"}));
    EXPECT_TRUE(Select(dtt, "DAType/BDA/@fc").empty());
}

TEST_F(TypesTest, EnumerationIdsValuesAndTriggers) {
    Set(m.ctlModel, "cim:Naming.name", "850EN_ctlModel");
    URI_Ref ev = app.DocMtd_getFirstUri_ofAsso(m.ctlModel, "sec:EnumType.EnumVals");
    Set(ev, "sec:EnumVal.val", "status-only");
    Set(ev, "e301:OrdNaming.ord", "0");
    Set(ev, "cim:Naming.description", "仅状态");
    URI_Ref ev2 = app.DocMtd_getFirstUri_ofAsso(m.ctlModel, "sec:EnumType.EnumVals", 1);
    Set(ev2, "sec:EnumVal.val", "");
    struct Row {
        const char* trg;
        std::vector<std::string> attrs;
    };
    const Row rows[] = {{"DChg", {"dchg"}}, {"QChg", {"qchg"}}, {"DChg_DUpd", {"dupd", "dchg"}}, {"DUpd", {"dupd"}}};
    int ord = 10;
    for (const Row& r : rows) {
        URI_Ref da = MakeDA(m.p1Sps, CString("t") + r.trg, ord++, "ST", "BOOLEAN");
        Set(da, "sec:DA.trgOp", EnumValue("TrgOpControlTypeEnum", r.trg));
    }
    Set(m.p1SpsStVal, "sec:BDA.valueStr", "false");

    pugi::xml_node dtt = Templates(WriteIcd(c.icd, false));
    EXPECT_EQ(Select(dtt, "EnumType/@id"), std::vector<std::string>{"ctlModel"});
    EXPECT_EQ(Select(dtt, "DOType[@id='INC']/DA[@name='ctlModel']/@type"), std::vector<std::string>{"ctlModel"});
    pugi::xml_node first = dtt.select_node("EnumType/EnumVal").node();
    EXPECT_EQ(AttrNames(first), (std::vector<std::string>{"ord", "desc"}));
    EXPECT_STREQ(first.attribute("ord").value(), "0");
    EXPECT_STREQ(first.text().get(), "status-only");
    pugi::xml_node second = first.next_sibling();
    EXPECT_EQ(AttrNames(second), std::vector<std::string>{"ord"});
    EXPECT_STREQ(second.text().get(), "direct-with-normal-security");  // its name: val is empty
    for (const Row& r : rows) {
        pugi::xml_node da = dtt.select_node(("DOType[@id='P1_SPS']/DA[@name='t" + std::string(r.trg) + "']").c_str())
                                .node();
        std::vector<std::string> names = AttrNames(da);
        std::vector<std::string> triggers(names.begin() + 4, names.end());
        EXPECT_EQ(triggers, r.attrs) << r.trg;
    }
    EXPECT_EQ(Select(dtt, "DOType[@id='P1_SPS']/DA[@name='stVal']/Val"), std::vector<std::string>{"Val"});
    EXPECT_TRUE(Select(dtt, "DOType[@id='P1_SPS']/DA[@name='q']/Val").empty());

    // Only a leading "850EN_" is dropped.
    Set(m.ctlModel, "cim:Naming.name", "X850EN_ctlModel");
    EXPECT_EQ(Select(Templates(WriteIcd(c.icd, false)), "EnumType/@id"), std::vector<std::string>{"X850EN_ctlModel"});
}

// Types made in the model take their IED's name as iedType, an LN type read
// from a file only the one it gave; every array size the model holds is
// written, a number or the attribute that holds it ("maxPts"), also where it
// equals the definitions' own; a DA's values are written with their setting
// groups.
TEST_F(TypesTest, IedTypesSizesAndValuesOfReadTypesAndOfTypesMadeInTheModel) {
    Set(c.ptocT, "sec:LNodeType.iedTypeRead", "true");
    Set(c.mmxuT, "sec:LNodeType.iedTypeRead", "true");
    Set(c.mmxuT, "sec:LNodeType.iedType", "R-100");
    for (const URI_Ref& member : {m.spsStVal, m.p1SpsStVal, m.wyeD}) Set(member, "sec:BDA.count", "maxPts");
    Set(m.p1SpsQ, "sec:BDA.count", "4");
    Set(m.wyePhsA, "sec:SDO.count", "3");
    Set(m.p1SpsStVal, "sec:BDA.valueStr", "false");
    for (int group : {1, 2}) {
        URI_Ref val = MakeUnder(m.p1SpsStVal, "sec:Val", "", "sec:Val.BDA", group);
        Set(val, "sec:Val.sValue", group == 1 ? "false" : "true");
        Set(val, "sec:Val.sGroup", ToText(group));
    }

    bool ok = false;
    pugi::xml_node dtt = Templates(WriteIcd(c.icd, false, &ok, "kinds.icd"));
    EXPECT_TRUE(ok);
    EXPECT_EQ(AttrNames(dtt.select_node("LNodeType[@id='PTOC_T']").node()),
              (std::vector<std::string>{"id", "lnClass", "zScl:base", "desc"}));
    EXPECT_EQ(Select(dtt, "LNodeType/@iedType"), (std::vector<std::string>{"TEMPLATE", "R-100"}));
    EXPECT_EQ(Select(dtt, "DOType/DA/@count"), (std::vector<std::string>{"maxPts", "maxPts", "4", "maxPts"}));
    EXPECT_EQ(Select(dtt, "DOType[@id='WYE']/SDO/@count"), std::vector<std::string>{"3"});
    std::vector<std::string> vals;
    for (pugi::xml_node v : dtt.select_node("DOType[@id='P1_SPS']/DA[@name='stVal']").node().children("Val"))
        vals.push_back(v.attribute("sGroup").value() + std::string("=") + v.text().get());
    EXPECT_EQ(vals, (std::vector<std::string>{"1=false", "2=true"}));
    bool skipped = false;
    EXPECT_EQ(ValidateScl(Path("kinds.icd"), skipped), "");
}

TEST_F(TypesTest, CyclesEndTheWalks) {
    // A DOType holding itself through an SDO, a DAType holding itself
    // through a BDA, and an LN type that is its own base's base.
    MakeSDO(m.wye, "self", 4, m.wye);
    MakeBDA(m.vector, "again", 3, "Struct", m.vector);
    Link(m.commonLN, "sec:LNodeType.Abstract_Type", m.mmxu);
    MakeDO(c.mmxuT, "PhV", 2, m.wye);  // its SDO paths are walked with the M2I answer
    bool ok = false;
    pugi::xml_node dtt = Templates(WriteIcd(c.icd, true, &ok));
    EXPECT_TRUE(ok);
    EXPECT_EQ(Select(dtt, "DOType[@id='WYE']/SDO/@name"), (std::vector<std::string>{"phsA", "phsB", "phsC", "self"}));
    EXPECT_EQ(Select(dtt, "DOType/@id").size(), 6u);
    EXPECT_EQ(Select(dtt, "LNodeType[@id='MMXU_T']/DO/@name"),
              (std::vector<std::string>{"PhV", "A", "Mod", "Beh", "NamPlt"}));
}

TEST_F(TypesTest, TypePackageMatchesTheGoldenFile) {
    // The package: its own EnumType, a non-instance DOType that is left out,
    // a DOType referencing its own and a standard enumeration, a base device.
    URI_Ref own = MakeEnumType(c.pkg, "Beh", 1, {"on", "off"});
    URI_Ref clash = MakeEnumType(m.instPkg, "Beh", 9, {"x"});
    URI_Ref dt = MakeDOType(c.pkg, "ENS_Beh", 1);
    Link(dt, "sec:DOType.ClassOf_DOType", m.inc);
    MakeDA(dt, "stVal", 1, "ST", "Enum", own);
    MakeDA(dt, "clash", 2, "ST", "Enum", clash);
    MakeDA(dt, "ctl", 3, "CF", "Enum", m.ctlModel);
    URI_Ref skipped = MakeDOType(c.pkg, "Skipped", 2);
    Set(skipped, "sec:DOType.isInstType", "FALSE");
    URI_Ref base = MakeUnder(c.pkg, "sec:LDevice", "BASE", "sec:LDevice.TypePackage", 1);
    MakeLNode(base, "", "", "", 1, c.lln0T);

    ui.AnswerSaveFile(Path("ProtPkg.Type").c_str());
    ASSERT_TRUE(app.Rsc_TypePackage_Export(c.pkg));
    std::ifstream written(Path("ProtPkg.Type"));
    std::stringstream got;
    got << written.rdbuf();
    const std::string goldenPath = std::string(KILN_SOURCE_DIR) + "/tests/export/golden/ProtPkg.Type";
    std::ifstream golden(goldenPath);
    ASSERT_TRUE(golden) << goldenPath;
    std::stringstream want;
    want << golden.rdbuf();
    EXPECT_EQ(got.str(), want.str());
}

}  // namespace
}  // namespace kiln::test
