// The IED instance: LDevice, LN0 and LN elements and their children in the
// schema's order, DOI value trees, mapping-item values, control blocks,
// data sets and inputs.
#include <sstream>

#include "tests/export/export_fixture.h"

namespace kiln::test {
namespace {

class InstanceTest : public ExportTest {
protected:
    InstanceTest() : c(BuildCompleteIcd()) {}
    pugi::xml_node LDevice(const pugi::xml_document& doc) {
        return doc.select_node("/SCL/IED/AccessPoint/Server/LDevice").node();
    }
    CompleteIcd c;
};

TEST_F(InstanceTest, LogicalNodesAndTheirChildrenInSchemaOrder) {
    const pugi::xml_document& doc = WriteIcd(c.icd, false);
    pugi::xml_node ld = LDevice(doc);
    EXPECT_EQ(AttrNames(ld), (std::vector<std::string>{"inst", "desc"}));
    EXPECT_EQ(Select(ld, "*"), (std::vector<std::string>{"LN0", "LN", "LN"}));
    pugi::xml_node ln0 = ld.child("LN0");
    EXPECT_EQ(AttrNames(ln0), (std::vector<std::string>{"lnType", "lnClass", "desc", "inst"}));
    EXPECT_STREQ(ln0.attribute("inst").value(), "");
    EXPECT_STREQ(ln0.attribute("lnClass").value(), "LLN0");
    EXPECT_EQ(Select(ln0, "*"),
              (std::vector<std::string>{"DataSet", "ReportControl", "LogControl", "Log", "SettingControl"}));
    pugi::xml_node ptoc = ld.child("LN");
    EXPECT_EQ(AttrNames(ptoc), (std::vector<std::string>{"prefix", "lnType", "lnClass", "desc", "inst"}));
    EXPECT_STREQ(ptoc.attribute("prefix").value(), "P");
    EXPECT_STREQ(ptoc.attribute("lnType").value(), "PTOC_T");
    EXPECT_STREQ(ptoc.attribute("inst").value(), "1");
    EXPECT_EQ(Select(ld, "LN[@lnClass='MMXU']/*"), std::vector<std::string>{"Inputs"});

    // An SGCB of an LN, a DOI and an ExtRef of LLN0, a prefix of LLN0.
    MakeUnder(c.ptoc, "sec:SGCB", "SGCB", "sec:SGCB.LNode");
    URI_Ref doi = MakeUnder(c.lln0, "sec:DOI", "Mod", "sec:DOI.LNode", 1);
    Set(MakeUnder(doi, "sec:DAI", "ctlModel", "sec:DAI.DOI", 1), "sec:DAI.valueStr", "status-only");
    URI_Ref ext = MakeUnder(c.lln0, "sec:ExtRef", "In1", "sec:ExtRef.LNode", 1);
    (void)ext;
    Set(c.lln0, "sec:LNode.prefix", "Q");
    // A device name of its own (second edition) is written beside inst.
    Set(c.ld, "sec:LDevice.ldName", "Relay1_PROT");
    const pugi::xml_document& again = WriteIcd(c.icd, false);
    ld = LDevice(again);
    EXPECT_EQ(AttrNames(ld), (std::vector<std::string>{"inst", "desc", "ldName"}));
    EXPECT_STREQ(ld.attribute("ldName").value(), "Relay1_PROT");
    EXPECT_EQ(Select(ld, "LN0/*"), (std::vector<std::string>{"DataSet", "ReportControl", "LogControl", "DOI",
                                                              "Inputs", "Log", "SettingControl"}));
    EXPECT_EQ(Select(ld, "LN0/@zScl:prefix"), std::vector<std::string>{"Q"});
    EXPECT_TRUE(Select(ld, "LN0/@prefix").empty());
    EXPECT_TRUE(Select(ld, "LN/SettingControl").empty());
}

TEST_F(InstanceTest, InheritedNodesFollowOnceAndLN0StandsFirst) {
    // A base device with its own LLN0, a node repeating PTOC P1 and a new GGIO-like one.
    URI_Ref base = MakeUnder(c.pkg, "sec:LDevice", "BASE", "sec:LDevice.TypePackage", 1);
    Link(c.ld, "sec:LDevice.Abstract_LDevice", base);
    Link(base, "sec:LDevice.Abstract_LDevice", c.ld);  // a cycle ends the walk
    URI_Ref baseLln0 = MakeLNode(base, "", "", "", 1, c.lln0T);
    URI_Ref dup = MakeLNode(base, "P", "", "1", 2, c.ptocT);
    URI_Ref extra = MakeLNode(base, "P", "", "2", 3, c.ptocT);
    (void)baseLln0, (void)dup, (void)extra;
    // The device's own LLN0 comes last among its nodes.
    Set(c.lln0, "e301:OrdNaming.ord", "9");
    URI_Ref untyped = MakeLNode(c.ld, "", "", "5", 4);
    (void)untyped;

    const pugi::xml_document& doc = WriteIcd(c.icd, false);
    pugi::xml_node ld = LDevice(doc);
    EXPECT_EQ(Select(ld, "*/@lnType"), (std::vector<std::string>{"LLN0_T", "PTOC_T", "MMXU_T", "", "PTOC_T"}));
    EXPECT_EQ(Select(ld, "*/@inst"), (std::vector<std::string>{"", "1", "1", "5", "2"}));
    EXPECT_EQ(Select(ld, "LN0/DataSet/@name"), std::vector<std::string>{"dsPrt"});  // its own LLN0

    // In a type-package file the base device carries its own nodes and AbstractLD.
    ui.AnswerSaveFile(Path("p.Type").c_str());
    ASSERT_TRUE(app.Rsc_TypePackage_Export(c.pkg));
    const pugi::xml_document& pkg = LoadFile(Path("p.Type"));
    pugi::xml_node baseLd = pkg.select_node("/SCL/DataTypeTemplates/LDevice").node();
    EXPECT_STREQ(baseLd.attribute("AbstractLD").value(), "PROT");
    EXPECT_EQ(Select(baseLd, "*/@inst"), (std::vector<std::string>{"", "1", "2"}));
}

TEST_F(InstanceTest, TypesInUseListedOnceInOrderOfFirstUse) {
    MakeLNode(c.ld, "", "", "2", 4, c.ptocT);
    MakeLNode(c.ld, "", "", "3", 5, c.ptocT);
    const pugi::xml_document& doc = WriteIcd(c.icd, false);
    EXPECT_EQ(Select(doc, "/SCL/DataTypeTemplates/LNodeType/@id"),
              (std::vector<std::string>{"LLN0_T", "PTOC_T", "MMXU_T"}));
}

// ---- DOI value trees -------------------------------------------------------

// The DOI as text: DAI name=value, SDI name{...}.
std::string Tree(const pugi::xml_node& n) {
    std::string out;
    for (pugi::xml_node child : n.children()) {
        if (!out.empty()) out += " ";
        std::string name = child.attribute("name").value();
        if (std::string(child.name()) == "DAI")
            out += name + "=" + child.child("Val").text().get();
        else
            out += name + "{" + Tree(child) + "}";
    }
    return out;
}

TEST_F(InstanceTest, ValueTreesFoldDottedNames) {
    struct Row {
        std::vector<std::pair<const char*, const char*>> dais;
        const char* expected;  // nullptr: the export fails; "": no DOI
    };
    const Row rows[] = {
        {{{"stVal", "on"}, {"q", ""}, {"t", ""}}, "stVal=on"},
        {{{"stVal", ""}}, ""},
        {{{"pulseConfig.cmdQual", "pulse"}, {"ctlModel", "1"}, {"pulseConfig.onDur", "10"}},
         "ctlModel=1 pulseConfig{cmdQual=pulse onDur=10}"},
        {{{"origin.orCat[0]", "2"}}, "origin{orCat=2}"},
        {{{"a[0].x", "1"}, {"a[1].x", "2"}}, "a{x=1 x=2}"},
        {{{".x", "1"}}, nullptr},
        {{{"[1]", "1"}}, nullptr},
        {{{"a.[1]", "1"}}, nullptr},
        {{{"a.", "1"}}, nullptr},
        {{{"", "1"}}, nullptr},
    };
    for (const Row& r : rows) {
        URI_Ref ln = MakeLNode(c.ld, "", "", "7", 9, c.ptocT);
        URI_Ref doi = MakeUnder(ln, "sec:DOI", "Mod", "sec:DOI.LNode", 1);
        int ord = 1;
        for (const auto& [name, value] : r.dais) {
            URI_Ref dai = MakeUnder(doi, "sec:DAI", "x", "sec:DAI.DOI", ord++);
            Set(dai, "cim:Naming.name", name);
            Set(dai, "sec:DAI.valueStr", value);
        }
        bool ok = false;
        const pugi::xml_document& doc = WriteIcd(c.icd, false, &ok);
        const std::string label = r.dais.front().first;
        EXPECT_EQ(ok, r.expected != nullptr) << label;
        if (r.expected) {
            std::vector<std::string> dois = Select(LDevice(doc), "LN[@inst='7']/DOI/@name");
            EXPECT_EQ(dois.size(), *r.expected ? 1u : 0u) << label;
            if (!dois.empty()) {
                EXPECT_EQ(Tree(LDevice(doc).select_node("LN[@inst='7']/DOI").node()), r.expected);
            }
        }
        app.DocMtd_delete_a_Rsc(ln);
    }
    // A DOI with an empty name fails the node.
    URI_Ref ln = MakeLNode(c.ld, "", "", "8", 9, c.ptocT);
    URI_Ref doi = MakeUnder(ln, "sec:DOI", "", "sec:DOI.LNode", 1);
    Set(MakeUnder(doi, "sec:DAI", "stVal", "sec:DAI.DOI", 1), "sec:DAI.valueStr", "1");
    bool ok = true;
    WriteIcd(c.icd, false, &ok);
    EXPECT_FALSE(ok);
}

// The DOI element as one line of XML, attributes and texts as written.
std::string Raw(const pugi::xml_node& n) {
    std::ostringstream out;
    n.print(out, "", pugi::format_raw);
    return out.str();
}

// What an imported file gave DOIs and DAIs: descriptions, an index on the
// DOI, on a DAI and on the SDIs a DAI stood in, short addresses, kinds of
// value, values of several setting groups and empty values. The first value
// is the DAI's own (an edit shows), the others come from its Vals.
TEST_F(InstanceTest, ValueTreesWriteWhatAFileGaveThem) {
    struct Dai {
        const char* name;
        const char* value;
        std::vector<std::pair<const char*, const char*>> roles;
        std::vector<std::pair<const char*, const char*>> vals;  // (text, sGroup) of its Vals
    };
    struct Row {
        std::vector<std::pair<const char*, const char*>> doiRoles;
        std::vector<Dai> dais;
        const char* expected;  // "": no DOI
    };
    const std::string ro = EnumValue("ValKindEnum", "RO").str(), set = EnumValue("ValKindEnum", "Set").str();
    const Row rows[] = {
        {{{"cim:Naming.description", "模式"}}, {{"stVal[ST]", "", {}, {}}}, R"(<DOI name="Mod" desc="模式"/>)"},
        {{{"sec:DOI.ix", "2"}}, {}, R"(<DOI name="Mod" ix="2"/>)"},
        {{{"sec:DOI.accessControl", "RO"}}, {{"q[ST]", "", {{"sec:DAI.valImport", "false"}}, {}}},
         R"(<DOI name="Mod" accessControl="RO"><DAI name="q" valImport="false"/></DOI>)"},
        {{}, {{"stVal[ST]", "", {{"sec:DAI.sAddr", "1:0x01"}}, {}}}, R"(<DOI name="Mod"><DAI name="stVal" sAddr="1:0x01"/></DOI>)"},
        {{},
         {{"ctlModel[CF]", "status-only", {{"sec:DAI.valKind", ro.c_str()}, {"cim:Naming.description", "控制"}}, {}}},
         R"(<DOI name="Mod"><DAI name="ctlModel" desc="控制" valKind="RO"><Val>status-only</Val></DAI></DOI>)"},
        {{},
         {{"setMag[SG].f", "2.6", {{"sec:DAI.valKind", set.c_str()}}, {{"2.6", "1"}, {"2.5", "2"}, {"", "3"}}}},
         R"(<DOI name="Mod"><SDI name="setMag"><DAI name="f" valKind="Set"><Val sGroup="1">2.6</Val>)"
         R"(<Val sGroup="2">2.5</Val><Val sGroup="3"/></DAI></SDI></DOI>)"},
        {{}, {{"swRev[DC]", "", {}, {{"", ""}}}}, R"(<DOI name="Mod"><DAI name="swRev"><Val/></DAI></DOI>)"},
        {{{"cim:Naming.description", "曲线"}},
         {{"numPts[SP]", "2", {}, {}},
          {"crvPts[SP].xVal", "0.0", {{"sec:DAI.ix", "0"}, {"sec:DAI.sdiIx", "0"}, {"sec:DAI.sdiDesc", "第一点"}}, {}},
          {"crvPts[SP].yVal", "1.0", {{"sec:DAI.ix", "0"}, {"sec:DAI.sdiIx", "0"}}, {}},
          {"crvPts[SP].xVal", "10.0", {{"sec:DAI.ix", "1"}, {"sec:DAI.sdiIx", "1"}, {"sec:DAI.sdiDesc", "第二点"}}, {}},
          {"crvPts[SP].yVal", "0.5", {{"sec:DAI.ix", "4"}, {"sec:DAI.sdiIx", "1"}}, {}}},
         R"(<DOI name="Mod" desc="曲线"><DAI name="numPts"><Val>2</Val></DAI>)"
         R"(<SDI name="crvPts" desc="第一点" ix="0"><DAI name="xVal"><Val>0.0</Val></DAI><DAI name="yVal"><Val>1.0</Val></DAI></SDI>)"
         R"(<SDI name="crvPts" desc="第二点" ix="1"><DAI name="xVal"><Val>10.0</Val></DAI>)"
         R"(<DAI name="yVal" ix="4"><Val>0.5</Val></DAI></SDI></DOI>)"},
        {{},
         {{"phsA.cVal[MX].mag.f", "",
           {{"sec:DAI.sdiIx", "..3"}, {"sec:DAI.sdiDesc", "A相\n\n幅值"}, {"sec:DAI.sdiSAddr", "\n1.2"}}, {}}},
         R"(<DOI name="Mod"><SDI name="phsA" desc="A相"><SDI name="cVal" sAddr="1.2"><SDI name="mag" desc="幅值" ix="3">)"
         R"(<DAI name="f"/></SDI></SDI></SDI></DOI>)"},
        {{}, {{"stVal[ST]", "", {}, {}}, {"q[ST]", "", {}, {}}}, ""},
    };
    for (const Row& r : rows) {
        URI_Ref ln = MakeLNode(c.ld, "", "", "7", 9, c.ptocT);
        URI_Ref doi = MakeUnder(ln, "sec:DOI", "Mod", "sec:DOI.LNode", 1);
        for (const auto& [role, value] : r.doiRoles) Set(doi, role, value);
        int ord = 1;
        for (const Dai& d : r.dais) {
            URI_Ref dai = MakeUnder(doi, "sec:DAI", d.name, "sec:DAI.DOI", ord++);
            Set(dai, "sec:DAI.valueStr", d.value);
            for (const auto& [role, value] : d.roles) Set(dai, role, value);
            int valOrd = 1;
            for (const auto& [text, group] : d.vals) {
                URI_Ref val = MakeUnder(dai, "sec:Val", "", "sec:Val.DAI", valOrd++);
                Set(val, "sec:Val.sValue", text);
                if (*group) Set(val, "sec:Val.sGroup", group);
            }
        }
        bool ok = false;
        const pugi::xml_document& doc = WriteIcd(c.icd, false, &ok);
        EXPECT_TRUE(ok) << r.expected;
        const pugi::xml_node written = LDevice(doc).select_node("LN[@inst='7']/DOI").node();
        EXPECT_EQ(written ? Raw(written) : std::string(), r.expected);
        app.DocMtd_delete_a_Rsc(ln);
    }
}

// The phases hold units, range and dU, the mode none of them: a value goes
// only where the type holds its attribute, a unit as the literal of its
// enumeration's value, and an item with nothing to write makes no DOI.
TEST_F(InstanceTest, MappingItemsShareElementsAndDescribeOnce) {
    AddUnits(m.stdPkg, m.cmv, 3, true);
    auto item = [&](const URI_Ref& ln, const char* doName, const char* daName, const char* value, int ord) {
        URI_Ref mi = Make(kIcdDomain, "sec:MapItem", "MI", ord);
        Link(mi, "sec:DARef.LNode", ln);
        Set(mi, "sec:DARef.doName", doName);
        Set(mi, "sec:DARef.daName", daName);
        Set(mi, "sec:MapItem.valStr", value);
        return mi;
    };
    URI_Ref mag = item(c.mmxu, "A.phsA", "cVal.mag.f", "1", 1);
    item(c.mmxu, "A.phsA", "cVal.ang.f", "2", 2);
    Set(mag, "sec:MapItem.unitSiUnit", EnumValue("SIUnitEnum", "A"));
    Set(mag, "sec:MapItem.unitMultiplier", EnumValue("UnitMultiplierEnum", "k"));
    Set(mag, "sec:MapItem.maxVal", "100");
    // Its dU is the user's; its description would fill only a missing one.
    Set(mag, "cim:Naming.description", "总有功");
    Set(mag, "sec:MapItem.dU", "kW总有功功率");
    URI_Ref descOnly = item(c.mmxu, "A.phsB", "cVal.mag.f", "", 3);
    Set(descOnly, "cim:Naming.description", "B相电流");
    // A unit the enumeration lacks.
    Set(descOnly, "sec:MapItem.unitSiUnit", EnumValue("SIUnitEnum", "ohm"));
    // On the PTOC node the value tree already wrote DOI Mod; its type holds
    // no dU and no stSeld.
    URI_Ref mod = item(c.ptoc, "Mod", "ctlModel", "1", 4);
    Set(mod, "cim:Naming.description", "模式");
    Set(mod, "sec:MapItem.dU", "模式dU");
    Set(mod, "sec:MapItem.minVal", "0");
    item(c.ptoc, "Mod", "stSeld", "false", 5);
    // An item of a DO the node's type does not have gives no DOI, nor one
    // without value or description.
    item(c.ptoc, "OvAlm", "stVal", "true", 6);
    item(c.ptoc, "Op", "stVal", "", 7);
    item(c.ptoc, "Op", "", "true", 8);
    // An INC holds its range as INT32 (GGIO's ISCSO): written at minVal itself.
    URI_Ref iscsoT = MakeDOType(c.pkg, "ISCSO_T", 9);
    Link(iscsoT, "sec:DOType.ClassOf_DOType", m.inc);
    MakeDA(iscsoT, "stVal", 1, "ST", "INT32");
    int ord = 1;
    for (const char* range : {"minVal", "maxVal", "stepSize"}) MakeDA(iscsoT, range, ++ord, "CF", "INT32");
    MakeDO(c.ptocT, "ISCSO", 2, iscsoT);
    URI_Ref iscso = item(c.ptoc, "ISCSO", "stVal", "3", 9);
    Set(iscso, "sec:MapItem.minVal", "1");
    Set(iscso, "sec:MapItem.maxVal", "10");
    Set(iscso, "sec:MapItem.stepSize", "1");

    const pugi::xml_document& doc = WriteIcd(c.icd, true);
    pugi::xml_node ld = LDevice(doc);
    EXPECT_EQ(Tree(ld.select_node("LN[@lnClass='MMXU']/DOI").node()),
              "phsA{cVal{mag{f=1} ang{f=2}} dU=kW总有功功率 units{SIUnit=A multiplier=k} maxVal{f=100}} phsB{dU=B相电流}");
    EXPECT_EQ(Select(ld, "LN[@lnClass='MMXU']/DOI/@name"), std::vector<std::string>{"A"});
    EXPECT_EQ(Select(ld, "LN[@lnClass='MMXU']/*"), (std::vector<std::string>{"DOI", "Inputs"}));
    EXPECT_EQ(Select(ld, "LN[@lnClass='PTOC']/DOI/@name"), (std::vector<std::string>{"Mod", "ISCSO"}));
    EXPECT_EQ(Tree(ld.select_node("LN[@lnClass='PTOC']/DOI").node()), "stVal=1 ctlModel=1");
    EXPECT_EQ(Tree(ld.select_node("LN[@lnClass='PTOC']/DOI[@name='ISCSO']").node()),
              "stVal=3 minVal=1 maxVal=10 stepSize=1");
    EXPECT_EQ(writtenWithout, (std::vector<std::string>{
                                  "映射条目的dU（DO类型中没有dU）：PROT/PPTOC1.Mod.MI",
                                  "映射条目的minVal.f（DO类型中没有minVal.f）：PROT/PPTOC1.Mod.MI",
                                  "映射条目的值（DO类型中没有stSeld）：PROT/PPTOC1.Mod.MI",
                                  "映射条目的DOI（LN类型中没有该DO）：PROT/PPTOC1.OvAlm",
                                  "映射条目的值（没有DA名）：PROT/PPTOC1.Op.MI",
                                  "映射条目的units.SIUnit（枚举类型中没有ohm）：PROT/MMXU1.A.phsB.MI"}));
}

// ---- control blocks, data sets, inputs --------------------------------------------

TEST_F(InstanceTest, SettingControlGroups) {
    // The block's own description and reservation time, each written only
    // when it holds one: no description is made up for it.
    struct Row {
        const char* numOfSG;
        const char* activeSG;
        const char* desc;
        const char* resvTms;
        const char* num;
        const char* act;
        std::vector<std::string> attrs;
    };
    const std::vector<std::string> plain{"actSG", "numOfSGs"};
    for (const Row& r : {Row{"", "", "", "", "5", "1", plain}, Row{"2", "3", "", "", "2", "1", plain},
                         Row{"4", "3", "定值控制块", "", "4", "3", {"desc", "actSG", "numOfSGs"}},
                         Row{"2", "0", "", "60", "2", "1", {"actSG", "numOfSGs", "resvTms"}},
                         Row{"2", "x", "保护定值", "5", "2", "1", {"desc", "actSG", "numOfSGs", "resvTms"}}}) {
        Set(c.sgcb, "sec:SGCB.numOfSG", r.numOfSG);
        Set(c.sgcb, "sec:SGCB.activeSG", r.activeSG);
        Set(c.sgcb, "cim:Naming.description", r.desc);
        Set(c.sgcb, "sec:SGCB.resvTms", r.resvTms);
        pugi::xml_node sc = LDevice(WriteIcd(c.icd, false)).select_node("LN0/SettingControl").node();
        EXPECT_EQ(AttrNames(sc), r.attrs) << r.desc << "/" << r.resvTms;
        EXPECT_STREQ(sc.attribute("desc").value(), r.desc);
        EXPECT_STREQ(sc.attribute("resvTms").value(), r.resvTms);
        EXPECT_STREQ(sc.attribute("numOfSGs").value(), r.num) << r.numOfSG << "/" << r.activeSG;
        EXPECT_STREQ(sc.attribute("actSG").value(), r.act) << r.numOfSG << "/" << r.activeSG;
    }
}

TEST_F(InstanceTest, TriggerOptionsOfReportAndLogControl) {
    // The integrity period is written when the block holds one, whatever
    // the period trigger; a block without trigger options (read from a
    // file without TrgOps) has no TrgOps.
    struct Row {
        const char* trg;
        const char* flags;  // dchg dupd qchg gi period
        const char* intgPd;
        bool bIntgPd;
    };
    for (const Row& r : {Row{"DChg", "true false false false false", "500", true},
                         Row{"DChg_DUpd", "true true false false false", "", false},
                         Row{"QChg_GI_Period", "false false true true true", "500", true},
                         Row{"DChgPeriod", "true false false false true", "", false},
                         Row{"", "", "", false}}) {
        Set(c.lcb, "sec:LCB.trgOp", *r.trg ? EnumValue("TrgOpControlTypeEnum", r.trg) : CString());
        Set(c.lcb, "sec:LCB.intgPd", r.intgPd);
        pugi::xml_node lc = LDevice(WriteIcd(c.icd, false)).select_node("LN0/LogControl").node();
        pugi::xml_node t = lc.child("TrgOps");
        const std::vector<std::string> flagNames = {"dchg", "dupd", "qchg", "gi", "period"};
        EXPECT_EQ(AttrNames(t), *r.trg ? flagNames : std::vector<std::string>());
        EXPECT_EQ(bool(t), *r.trg != 0) << r.trg;
        std::string flags;
        for (pugi::xml_attribute a : t.attributes()) flags += (flags.empty() ? "" : " ") + std::string(a.value());
        EXPECT_EQ(flags, r.flags) << r.trg;
        EXPECT_EQ(bool(lc.attribute("intgPd")), r.bIntgPd) << r.trg;
    }
    // The RCB's stored gi sets TrgOps gi.
    Set(c.rcb, "sec:RCB.trgOp", EnumValue("TrgOpControlTypeEnum", "DChg"));
    Set(c.rcb, "sec:RCB.gi", "true");
    pugi::xml_node rc = LDevice(WriteIcd(c.icd, false)).select_node("LN0/ReportControl").node();
    EXPECT_STREQ(rc.child("TrgOps").attribute("gi").value(), "true");
}

TEST_F(InstanceTest, ReportAndLogControlAttributes) {
    pugi::xml_node ln0 = LDevice(WriteIcd(c.icd, false)).child("LN0");
    pugi::xml_node rc = ln0.child("ReportControl");
    // No description is written where the block holds none.
    EXPECT_EQ(AttrNames(rc), (std::vector<std::string>{"name", "rptID", "datSet", "confRev", "buffered", "bufTime",
                                                       "intgPd", "zScl:sqNum"}));
    EXPECT_STREQ(rc.attribute("datSet").value(), "dsPrt");
    EXPECT_STREQ(rc.attribute("bufTime").value(), "1500");
    EXPECT_EQ(Select(rc, "*"), (std::vector<std::string>{"TrgOps", "OptFields", "RptEnabled"}));
    EXPECT_EQ(AttrNames(rc.child("OptFields")), (std::vector<std::string>{"seqNum", "bufOvfl"}));
    EXPECT_STREQ(rc.child("OptFields").attribute("bufOvfl").value(), "false");
    EXPECT_EQ(AttrNames(rc.child("RptEnabled")), std::vector<std::string>{"max"});
    EXPECT_STREQ(rc.child("RptEnabled").attribute("max").value(), "5");
    pugi::xml_node lc = ln0.child("LogControl");
    // The Log of the block's own device and LLN0: named by its name alone.
    EXPECT_EQ(AttrNames(lc), (std::vector<std::string>{"name", "logName", "datSet", "logEna", "reasonCode"}));
    EXPECT_STREQ(lc.attribute("logName").value(), "Log");
    EXPECT_EQ(Select(ln0, "Log/@name"), std::vector<std::string>{"Log"});
    EXPECT_EQ(AttrNames(ln0.child("Log")), std::vector<std::string>{"name"});

    // Descriptions of the blocks, their RptEnabled and the Log, an indexed
    // flag and a log's buffer time, each where the model holds one.
    Set(c.rcb, "cim:Naming.description", "保护事件");
    Set(c.rcb, "sec:RCB.rptEnabledDesc", "后台");
    Set(c.rcb, "sec:RCB.indexed", "false");
    Set(c.lcb, "cim:Naming.description", "保护日志");
    Set(c.lcb, "sec:LCB.bufTime", "200");
    Set(c.log, "cim:Naming.description", "事件记录");
    ln0 = LDevice(WriteIcd(c.icd, false)).child("LN0");
    rc = ln0.child("ReportControl");
    EXPECT_EQ(AttrNames(rc), (std::vector<std::string>{"name", "rptID", "datSet", "confRev", "desc", "buffered",
                                                       "bufTime", "indexed", "intgPd", "zScl:sqNum"}));
    EXPECT_STREQ(rc.attribute("desc").value(), "保护事件");
    EXPECT_STREQ(rc.attribute("indexed").value(), "false");
    EXPECT_EQ(AttrNames(rc.child("RptEnabled")), (std::vector<std::string>{"desc", "max"}));
    EXPECT_STREQ(rc.child("RptEnabled").attribute("desc").value(), "后台");
    lc = ln0.child("LogControl");
    EXPECT_EQ(AttrNames(lc),
              (std::vector<std::string>{"name", "logName", "datSet", "logEna", "reasonCode", "bufTime", "desc"}));
    EXPECT_STREQ(lc.attribute("bufTime").value(), "200");
    EXPECT_STREQ(lc.attribute("desc").value(), "保护日志");
    EXPECT_EQ(Select(ln0, "Log/@desc"), std::vector<std::string>{"事件记录"});
    for (const char* role : {"cim:Naming.description", "sec:RCB.rptEnabledDesc", "sec:RCB.indexed"})
        Set(c.rcb, role, "");

    // Unbuffered, without data set, options empty: the buffer time stays.
    Set(c.rcb, "sec:RCB.BRCB_or_URCB", "false");
    Set(c.rcb, "sec:RCB.optSequenceNumber", "");
    Set(c.rcb, "sec:RCB.optBufferOverflow", "");
    Set(c.rcb, "sec:RCB.sqNum", "");
    Set(c.rcb, "sec:RCB.trgOp", "");
    Doc().ClearLinks(c.rcb, "sec:RCB.DataSet");
    rc = LDevice(WriteIcd(c.icd, false)).select_node("LN0/ReportControl").node();
    EXPECT_EQ(AttrNames(rc), (std::vector<std::string>{"name", "rptID", "confRev", "bufTime", "intgPd"}));
    EXPECT_STREQ(rc.attribute("bufTime").value(), "1500");
    EXPECT_STREQ(rc.attribute("intgPd").value(), "15000");
    EXPECT_TRUE(AttrNames(rc.child("OptFields")).empty());

    // A period or buffer time the block does not hold is not written, the
    // period trigger on or not.
    Set(c.rcb, "sec:RCB.BRCB_or_URCB", "true");
    Set(c.rcb, "sec:RCB.bufIm", "");
    Set(c.rcb, "sec:RCB.intgPd", "");
    Set(c.rcb, "sec:RCB.trgOp", EnumValue("TrgOpControlTypeEnum", "DChgPeriod"));
    rc = LDevice(WriteIcd(c.icd, false)).select_node("LN0/ReportControl").node();
    EXPECT_EQ(AttrNames(rc), (std::vector<std::string>{"name", "rptID", "confRev", "buffered"}));
}

TEST_F(InstanceTest, ReportClientsAndTheirNumber) {
    // RptEnabled: the block's max, 5 when it holds none, no RptEnabled for
    // a block read without one (the max an older document holds beside it named).
    struct Row {
        const char* rptEna;
        const char* max;
        std::vector<std::string> written, named;
    };
    for (const Row& r : {Row{"", "", {"5"}, {}}, Row{"true", "16", {"16"}, {}}, Row{"", "1", {"1"}, {}},
                         Row{"false", "", {}, {}},
                         Row{"false", "3", {}, {"RptEnabled的max（报告控制块没有RptEnabled）：PROT/LLN0.brcbPrt:3"}}}) {
        Set(c.rcb, "sec:RCB.rptEna", r.rptEna);
        Set(c.rcb, "sec:RCB.rptEnabledMax", r.max);
        pugi::xml_node rc = LDevice(WriteIcd(c.icd, false)).select_node("LN0/ReportControl").node();
        EXPECT_EQ(Select(rc, "RptEnabled/@max"), r.written) << r.rptEna << "/" << r.max;
        EXPECT_EQ(writtenWithout, r.named) << r.rptEna << "/" << r.max;
    }
    Set(c.rcb, "sec:RCB.rptEnabledMax", "");

    // Clients: one in the model, named after its node; one outside it, as
    // it was read; one that names nothing is left out.
    Set(c.rcb, "sec:RCB.rptEna", "true");
    URI_Ref inside = MakeUnder(c.rcb, "sec:ClientLN", "Client_1", "sec:ClientLN.RCB", 1);
    Link(inside, "sec:ClientLN.LNode", c.ptoc);
    URI_Ref outside = MakeUnder(c.rcb, "sec:ClientLN", "Client_2", "sec:ClientLN.RCB", 2);
    for (const auto& [role, value] : std::vector<std::pair<const char*, const char*>>{
             {"sec:ClientLN.iedName", "HMI1"}, {"sec:ClientLN.ldInst", "LD0"}, {"sec:ClientLN.lnClass", "IHMI"},
             {"sec:ClientLN.lnInst", "1"}, {"sec:ClientLN.apRef", "S1"}, {"cim:Naming.description", "后台"}})
        Set(outside, role, value);
    MakeUnder(c.rcb, "sec:ClientLN", "Client_3", "sec:ClientLN.RCB", 3);
    pugi::xml_node enabled = LDevice(WriteIcd(c.icd, false)).select_node("LN0/ReportControl/RptEnabled").node();
    std::vector<std::string> clients;
    for (pugi::xml_node client : enabled.children("ClientLN")) {
        std::string text;
        for (pugi::xml_attribute a : client.attributes()) text += std::string(a.name()) + "=" + a.value() + " ";
        clients.push_back(text);
    }
    EXPECT_EQ(clients, (std::vector<std::string>{"iedName=TEMPLATE ldInst=PROT prefix=P lnClass=PTOC lnInst=1 ",
                                                 "desc=后台 iedName=HMI1 ldInst=LD0 lnClass=IHMI lnInst=1 apRef=S1 "}));
}

TEST_F(InstanceTest, DataSetsWithoutMembersAndLogControlWithoutLog) {
    // An empty data set and one whose only member names a DO the type lacks:
    // SCL holds no data set without members, so neither is written and the
    // control blocks using them name no data set.
    URI_Ref empty = MakeUnder(c.lln0, "sec:DataSet", "dsEmpty", "sec:DataSet.LNode", 2);
    URI_Ref gone = MakeUnder(c.lln0, "sec:DataSet", "dsGone", "sec:DataSet.LNode", 3);
    URI_Ref member = MakeUnder(gone, "sec:FCDA", "F", "sec:FCDA.DataSet", 1);
    Link(member, "sec:DARef.LNode", c.ptoc);
    Set(member, "sec:DARef.doName", "Gone");
    Set(member, "sec:FCDA.fc", EnumValue("FCType", "ST"));
    URI_Ref rcb2 = MakeUnder(c.lln0, "sec:RCB", "urcbGone", "sec:RCB.LNode", 2);
    Link(rcb2, "sec:RCB.DataSet", gone);
    Doc().ClearLinks(c.lcb, "sec:LCB.DataSet");
    Link(c.lcb, "sec:LCB.DataSet", empty);
    // Without its Log the block is given no logName (the schema requires
    // one; the rules check names it), and keeps the missing Log in
    // zScl:logName.
    Doc().ClearLinks(c.lcb, "sec:LCB.Log");

    pugi::xml_node ln0 = LDevice(WriteIcd(c.icd, false)).child("LN0");
    EXPECT_EQ(Select(ln0, "DataSet/@name"), std::vector<std::string>{"dsPrt"});
    EXPECT_EQ(Select(ln0, "ReportControl/@datSet"), std::vector<std::string>{"dsPrt"});
    EXPECT_EQ(Select(ln0, "ReportControl/@name"), (std::vector<std::string>{"brcbPrt", "urcbGone"}));
    pugi::xml_node lc = ln0.child("LogControl");
    EXPECT_EQ(AttrNames(lc), (std::vector<std::string>{"name", "logEna", "reasonCode", "zScl:logName"}));
    EXPECT_STREQ(lc.attribute("zScl:logName").value(), "");
    EXPECT_EQ(Select(ln0, "Log/@name"), std::vector<std::string>{"Log"});
    // The name a file gave there (a logical device's) stays.
    Set(c.lcb, "sec:LCB.logName", "PROT");
    lc = LDevice(WriteIcd(c.icd, false)).select_node("LN0/LogControl").node();
    EXPECT_STREQ(lc.attribute("logName").value(), "PROT");
    EXPECT_STREQ(lc.attribute("zScl:logName").value(), "");
}

TEST_F(InstanceTest, DataSetMembersAndInputs) {
    // A member of LLN0, one with a cut DA name, one whose DO is gone, one of a base type's DO.
    auto member = [&](const URI_Ref& ln, const char* doName, const char* daName, int ord) {
        URI_Ref f = MakeUnder(c.dataSet, "sec:FCDA", "F", "sec:FCDA.DataSet", ord);
        Link(f, "sec:DARef.LNode", ln);
        Set(f, "sec:DARef.doName", doName);
        Set(f, "sec:DARef.daName", daName);
        Set(f, "sec:FCDA.fc", EnumValue("FCType", "SG"));
        return f;
    };
    // LLN0 is written as LN0 without prefix and instance, and so it is named.
    Set(c.lln0, "sec:LNode.prefix", "Q");
    Set(c.lln0, "sec:LNode.lnInst", "1");
    member(c.lln0, "Mod", "ctlModel", 3);
    Set(member(c.ptoc, "Str", "origin[ST]", 4), "sec:FCDA.ix", "3");
    member(c.ptoc, "Gone", "stVal", 5);
    URI_Ref noNode = MakeUnder(c.dataSet, "sec:FCDA", "F", "sec:FCDA.DataSet", 6);
    Set(noNode, "sec:DARef.doName", "Op");
    pugi::xml_node ds = LDevice(WriteIcd(c.icd, false)).select_node("LN0/DataSet").node();
    EXPECT_EQ(Select(ds, "FCDA/@doName"), (std::vector<std::string>{"Op", "A.phsA", "Mod", "Str"}));
    EXPECT_EQ(AttrNames(ds.child("FCDA")),
              (std::vector<std::string>{"ldInst", "prefix", "lnClass", "lnInst", "doName", "daName", "fc"}));
    EXPECT_EQ(AttrNames(ds.select_node("FCDA[@doName='A.phsA']").node()),
              (std::vector<std::string>{"ldInst", "lnClass", "lnInst", "doName", "fc"}));
    EXPECT_EQ(AttrNames(ds.select_node("FCDA[@doName='Mod']").node()),
              (std::vector<std::string>{"ldInst", "lnClass", "doName", "daName", "fc"}));
    EXPECT_EQ(Select(ds, "FCDA[@doName='Str']/@daName"), std::vector<std::string>{"origin"});
    // A member's array index follows its constraint.
    EXPECT_EQ(AttrNames(ds.select_node("FCDA[@doName='Str']").node()),
              (std::vector<std::string>{"ldInst", "prefix", "lnClass", "lnInst", "doName", "daName", "fc", "ix"}));
    EXPECT_EQ(Select(ds, "FCDA[@doName='Str']/@ix"), std::vector<std::string>{"3"});

    // Inputs: one element, ExtRefs in order, name as intAddr, description as desc.
    MakeUnder(c.mmxu, "sec:ExtRef", "Gone_In", "sec:ExtRef.LNode", 2);
    URI_Ref toLln0 = MakeUnder(c.mmxu, "sec:ExtRef", "Mode_In", "sec:ExtRef.LNode", 3);
    Link(toLln0, "sec:DARef.LNode", c.lln0);
    Set(toLln0, "sec:DARef.doName", "Mod");
    pugi::xml_node ln = LDevice(WriteIcd(c.icd, false)).select_node("LN[@lnClass='MMXU']").node();
    EXPECT_EQ(Select(ln, "Inputs"), std::vector<std::string>{"Inputs"});
    pugi::xml_node ext = ln.child("Inputs").child("ExtRef");
    EXPECT_EQ(AttrNames(ext), (std::vector<std::string>{"desc", "iedName", "ldInst", "prefix", "lnClass", "lnInst",
                                                        "doName", "daName", "intAddr"}));
    EXPECT_STREQ(ext.attribute("iedName").value(), "TEMPLATE");
    EXPECT_STREQ(ext.attribute("prefix").value(), "P");
    EXPECT_STREQ(ext.attribute("intAddr").value(), "Trip_In");
    EXPECT_EQ(AttrNames(ext.next_sibling()), std::vector<std::string>{"intAddr"});
    EXPECT_EQ(AttrNames(ext.next_sibling().next_sibling()),
              (std::vector<std::string>{"iedName", "ldInst", "lnClass", "doName", "intAddr"}));

    // An input whose source is outside the model is named as its file named
    // it; one linked to a node is named after the node whatever it read.
    URI_Ref outside = MakeUnder(c.mmxu, "sec:ExtRef", "Far_In", "sec:ExtRef.LNode", 4);
    URI_Ref linked = MakeUnder(c.mmxu, "sec:ExtRef", "Near_In", "sec:ExtRef.LNode", 5);
    Link(linked, "sec:DARef.LNode", c.ptoc);
    for (const URI_Ref& in : {outside, linked}) {
        for (const auto& [role, value] : std::vector<std::pair<const char*, const char*>>{
                 {"sec:ExtRef.iedName", "P_T1A"}, {"sec:ExtRef.ldInst", "PI"}, {"sec:ExtRef.prefix", "Go"},
                 {"sec:ExtRef.lnClass", "LTMS"}, {"sec:ExtRef.lnInst", "2"}, {"sec:DARef.doName", "TmSrc"}})
            Set(in, role, value);
    }
    Set(linked, "sec:DARef.doName", "Op");  // a DO of the node's type
    ln = LDevice(WriteIcd(c.icd, false)).select_node("LN[@lnClass='MMXU']").node();
    auto named = [&](const char* intAddr) {
        std::string text;
        const std::string path = "Inputs/ExtRef[@intAddr='" + std::string(intAddr) + "']";
        const pugi::xml_node e = ln.select_node(path.c_str()).node();
        for (pugi::xml_attribute a : e.attributes()) text += std::string(a.name()) + "=" + a.value() + " ";
        return text;
    };
    EXPECT_EQ(named("Far_In"), "iedName=P_T1A ldInst=PI prefix=Go lnClass=LTMS lnInst=2 doName=TmSrc intAddr=Far_In ");
    EXPECT_EQ(named("Near_In"),
              "iedName=TEMPLATE ldInst=PROT prefix=P lnClass=PTOC lnInst=1 doName=Op intAddr=Near_In ");
    // Moved in the property view to PTOC2, of PTOC1's type: the input and a
    // member keep their DO and DA and are written naming PTOC2.
    CString ptoc2(MakeLNode(c.ld, "P", "", "2", 4, c.ptocT).sUri);
    Set(linked, "sec:DARef.daName", "stVal");
    for (const URI_Ref& ref : {linked, c.fcdaOp})
        EXPECT_FALSE(app.HtmlMsg_OnFieldChanged(nullptr, ref, "sec:DARef.LNode", "", ptoc2, nullptr, nullptr));
    const pugi::xml_node moved = LDevice(WriteIcd(c.icd, false));
    ln = moved.select_node("LN[@lnClass='MMXU']").node();
    EXPECT_EQ(named("Near_In"),
              "iedName=TEMPLATE ldInst=PROT prefix=P lnClass=PTOC lnInst=2 doName=Op daName=stVal intAddr=Near_In ");
    EXPECT_EQ(Select(moved, "LN0/DataSet/FCDA[@lnInst='2']/@daName"), std::vector<std::string>{"stVal"});

    // The MMXU type's class changed to LLN0 in the property view: its node
    // is a second LLN0 of the device and is left out, and so are the
    // members and inputs that name it, never given to the device's LLN0.
    URI_Ref toMmxu = MakeUnder(c.ptoc, "sec:ExtRef", "Meas_In", "sec:ExtRef.LNode", 1);
    Link(toMmxu, "sec:DARef.LNode", c.mmxu);
    Set(toMmxu, "sec:DARef.doName", "A");
    CString classOf(m.lln0.sUri.c_str());
    EXPECT_FALSE(app.HtmlMsg_OnFieldChanged(nullptr, c.mmxuT, "sec:LNodeType.ClassOf_LNType", "", classOf, nullptr,
                                            nullptr));
    const pugi::xml_node device = LDevice(WriteIcd(c.icd, false));
    EXPECT_EQ(Select(device, "LN0/DataSet/FCDA/@doName"), (std::vector<std::string>{"Op", "Mod", "Str"}));
    EXPECT_EQ(Select(device, "LN0/DataSet/FCDA/@lnClass"), (std::vector<std::string>{"PTOC", "LLN0", "PTOC"}));
    EXPECT_EQ(Select(device, "LN[@lnClass='PTOC']/Inputs/ExtRef[@intAddr='Meas_In']/@lnClass"),
              std::vector<std::string>{});
    EXPECT_EQ(Select(device, "LN/@lnClass"), (std::vector<std::string>{"PTOC", "PTOC"}));
}

}  // namespace
}  // namespace kiln::test
