// Every ICD exported from a complete model is valid SCL of the 2007B4
// schema (xmllint), with and without the values of the M2I mapping.
#include <algorithm>
#include <cctype>
#include <functional>
#include <filesystem>
#include <sstream>

#include "tests/export/export_fixture.h"
#include "tests/host/named_breaches.h"

namespace kiln::test {
namespace {

class SchemaTest : public ExportTest {
protected:
    void ExportAndValidate(const CompleteIcd& c, bool bFromM2I, const std::string& file) {
        if (bFromM2I)
            ui.AnswerYes("是否由M2I生成DOI DAI");
        else
            ui.AnswerNo("是否由M2I生成DOI DAI");
        ui.AnswerSaveFile(Path(file).c_str());
        // As the user exports: "生成 ICD 文件" on the ICD.
        Run(c.icd, "ICD:Export ICD");
        ASSERT_TRUE(std::filesystem::exists(Path(file))) << ui.Messages().back().str();
        bool skipped = false;
        const std::string errors = ValidateScl(Path(file), skipped);
        if (skipped) GTEST_SKIP() << "../shared/xsd or xmllint is absent: schema not checked";
        EXPECT_EQ(errors, "") << file;
    }
    void Run(const URI_Ref& current, const CString& command) {
        app.m_uCurRsc = current;
        app.Msg_OnAppCommand(command);
    }
    // The lines of the last message after its first (the success text).
    std::vector<std::string> LinesAfterSuccess() {
        std::vector<std::string> lines;
        std::stringstream message(ui.Messages().back().str());
        for (std::string line; std::getline(message, line);) lines.push_back(line);
        if (!lines.empty()) lines.erase(lines.begin());
        return lines;
    }
    std::vector<URI_Ref> Members(const URI_Ref& owner, const CString& role) {
        std::vector<URI_Ref> list;
        app.DocMtd_get_Association_BUris(owner, role, list, kiln::core::kRoleOrd, SortPolicy_ByOrd);
        return list;
    }
};

TEST_F(SchemaTest, HandBuiltModelWithEveryElementKind) {
    const CompleteIcd c = BuildCompleteIcd();
    ExportAndValidate(c, false, "complete.icd");
}

// What SCL cannot hold is left out, the file stays valid, and the success
// message names each thing left out, one line after its text.
TEST_F(SchemaTest, EmptyDataSetsAndLogControlWithoutLog) {
    const CompleteIcd c = BuildCompleteIcd();
    URI_Ref empty = MakeUnder(c.lln0, "sec:DataSet", "dsEmpty", "sec:DataSet.LNode", 2);
    URI_Ref rcb = MakeUnder(c.lln0, "sec:RCB", "urcbEmpty", "sec:RCB.LNode", 2);
    Link(rcb, "sec:RCB.DataSet", empty);
    Set(rcb, "sec:RCB.rptID", "urcbEmpty");
    Set(rcb, "sec:RCB.confRev", "1");
    // A block without a Log keeps the name its file gave there (one it
    // lacks is a breach of its own).
    Doc().ClearLinks(c.lcb, "sec:LCB.Log");
    Set(c.lcb, "sec:LCB.logName", "PROT");
    Doc().ClearLinks(c.lcb, "sec:LCB.DataSet");
    Link(c.lcb, "sec:LCB.DataSet", empty);
    // A member without a node beside one that is written, and a data set
    // whose only member names none.
    URI_Ref loose = MakeUnder(c.dataSet, "sec:FCDA", "F9", "sec:FCDA.DataSet", 9);
    Set(loose, "sec:DARef.doName", "Str");
    Set(loose, "sec:DARef.daName", "general");
    URI_Ref lost = MakeUnder(c.ptoc, "sec:DataSet", "dsLost", "sec:DataSet.LNode", 1);
    URI_Ref lostMember = MakeUnder(lost, "sec:FCDA", "F1", "sec:FCDA.DataSet", 1);
    Set(lostMember, "sec:DARef.doName", "Op");
    // A setting-group control block and a second LLN0 of the device itself.
    MakeUnder(c.mmxu, "sec:SGCB", "SGCB", "sec:SGCB.LNode", 1);
    URI_Ref second = MakeLNode(c.ld, "", "", "", 4, c.lln0T);
    Set(second, "cim:Naming.name", "LLN0");
    // A second DO of one name in an LN type.
    MakeDO(c.ptocT, "Op", 9, m.p1Sps);
    // GOOSE and sampled-value control blocks, made as the user makes them.
    Run(c.lln0, "ICD:Add GSE");
    Run(c.ptoc, "ICD:Add SV");
    ExportAndValidate(c, false, "empty_parts.icd");

    const pugi::xml_document& scl = LoadFile(Path("empty_parts.icd"));
    EXPECT_EQ(Select(scl, "//LN0/DataSet/@name"), std::vector<std::string>{"dsPrt"});
    EXPECT_EQ(Select(scl, "//LN0/DataSet/FCDA/@doName").size(), Members(c.dataSet, "sec:DataSet.FCDAs").size() - 1);
    EXPECT_TRUE(Select(scl, "//LN/SettingControl").empty());
    EXPECT_EQ(Select(scl, "//LN0").size(), 1u);
    EXPECT_TRUE(Select(scl, "//GSEControl | //SampledValueControl").empty());
    // The success text stands as it is; each thing left out follows on a line.
    EXPECT_EQ(ui.Messages().back().Left(ui.Messages().back().Find("\n")),
              CString(Path("empty_parts.icd").c_str()) + "模板文件与" + Path("empty_parts.mics").c_str() + "文件导出成功！");
    const std::string ptoc = "PROT/PPTOC1";  // as the file names it
    EXPECT_EQ(LinesAfterSuccess(),
              (std::vector<std::string>{"未导出LLN0（LDevice中已有LLN0）：PROT/LLN0",
                                        "未导出数据集成员（未指向LNode）：PROT/LLN0.dsPrt:Str.general",
                                        "未导出数据集（没有成员）：PROT/LLN0.dsEmpty",
                                        "未导出控制块的数据集引用（数据集未导出）：PROT/LLN0.urcbEmpty:dsEmpty",
                                        "未导出控制块的数据集引用（数据集未导出）：PROT/LLN0." +
                                            Get(c.lcb, "cim:Naming.name").str() + ":dsEmpty",
                                        "未导出GSE控制块（不支持导出）：PROT/LLN0.GSE控制块_1",
                                        "未导出数据集成员（未指向LNode）：" + ptoc + ".dsLost:Op",
                                        "未导出数据集（没有成员）：" + ptoc + ".dsLost",
                                        "未导出采样控制块（不支持导出）：" + ptoc + ".采样控制块_1",
                                        "未导出定值控制块（不在LLN0中）：PROT/MMXU1.SGCB",
                                        "未导出DO（LN类型中已有同名DO）：PTOC_T.Op"}));
    EXPECT_EQ(Select(scl, "//LNodeType[@id='PTOC_T']/DO[@name='Op']/@type"), std::vector<std::string>{"P1_SPS"});
}

// A file that breaks one of SCL's rules on unique names and name patterns
// is still written, and the export names the breach after its success text;
// the sound model gets the success text alone. One row per rule, each
// changing the complete model in one place.
class SclRulesTest;
struct RuleRow {
    const char* what;
    std::function<void(SclRulesTest&, const CompleteIcd&)> change;
    std::vector<std::string> lines;
};

void PrintTo(const RuleRow& row, std::ostream* os) { *os << row.what; }

class SclRulesTest : public SchemaTest, public ::testing::WithParamInterface<RuleRow> {
public:
    using SchemaTest::Link;
    using SchemaTest::app;
    using SchemaTest::m;
    using SchemaTest::MakeBDA;
    using SchemaTest::MakeDA;
    using SchemaTest::MakeDO;
    using SchemaTest::MakeLNode;
    using SchemaTest::MakeLNodeType;
    using SchemaTest::MakeSDO;
    using SchemaTest::MakeUnder;
    using SchemaTest::Set;
    using SchemaTest::Doc;
    using SchemaTest::DomainOf;
    using SchemaTest::MakeDAType;
    using SchemaTest::MakeDOType;
    using SchemaTest::MakeEnumType;
    using SchemaTest::MakeLDevice;
};

const RuleRow kRuleRows[] = {
    {"sound", [](SclRulesTest&, const CompleteIcd&) {}, {}},
    {"LD inst pattern", [](SclRulesTest& t, const CompleteIcd& c) { t.Set(c.ld, "cim:Naming.name", "保护1"); },
     {"不符合SCL的LDevice（inst格式错误）：保护1", "不符合SCL的数据集成员（ldInst格式错误）：保护1/LLN0.dsPrt:保护1/PPTOC1.Op.stVal:保护1",
      "不符合SCL的数据集成员（ldInst格式错误）：保护1/LLN0.dsPrt:保护1/MMXU1.A.phsA:保护1", "不符合SCL的ExtRef（ldInst格式错误）：保护1/MMXU1:保护1"}},
    {"LD inst twice",
     [](SclRulesTest& t, const CompleteIcd& c) {
         URI_Ref ld = t.MakeUnder(c.server, "sec:LDevice", "PROT", "sec:LDevice.Server", 2);
         t.MakeLNode(ld, "", "", "", 1, c.lln0T);
     },
     {"不符合SCL的LDevice（inst在IED中重复）：PROT"}},
    {"LN prefix pattern", [](SclRulesTest& t, const CompleteIcd& c) { t.Set(c.ptoc, "sec:LNode.prefix", "1P"); },
     {"不符合SCL的数据集成员（prefix格式错误）：PROT/LLN0.dsPrt:PROT/1PPTOC1.Op.stVal:1P", "不符合SCL的LN（前缀格式错误）：PROT/1PPTOC1",
      "不符合SCL的ExtRef（prefix格式错误）：PROT/MMXU1:1P"}},
    {"LN inst pattern", [](SclRulesTest& t, const CompleteIcd& c) { t.Set(c.mmxu, "sec:LNode.lnInst", "abc"); },
     {"不符合SCL的数据集成员（lnInst格式错误）：PROT/LLN0.dsPrt:PROT/MMXUabc.A.phsA:abc", "不符合SCL的LN（inst格式错误）：PROT/MMXUabc"}},
    {"LN class pattern",
     [](SclRulesTest& t, const CompleteIcd& c) {
         URI_Ref type = t.MakeLNodeType(c.pkg, "Ggio_X", 4);
         t.Set(type, "sec:LNodeType.lnClass", "Ggio_X");
         t.MakeDO(type, "Ind1", 1, t.m.p1Sps);
         t.MakeLNode(c.ld, "", "", "1", 4, type);
     },
     {"不符合SCL的LN（lnClass格式错误）：PROT/Ggio_X1", "不符合SCL的LNodeType（lnClass格式错误）：Ggio_X"}},
    {"LN twice", [](SclRulesTest& t, const CompleteIcd& c) { t.MakeLNode(c.ld, "P", "", "1", 4, c.ptocT); },
     {"不符合SCL的LN（在LDevice中重复）：PROT/PPTOC1"}},
    {"data set twice",
     [](SclRulesTest& t, const CompleteIcd& c) {
         URI_Ref set = t.MakeUnder(c.lln0, "sec:DataSet", "dsPrt", "sec:DataSet.LNode", 2);
         URI_Ref member = t.MakeUnder(set, "sec:FCDA", "FCDA_1", "sec:FCDA.DataSet", 1);
         t.Link(member, "sec:DARef.LNode", c.ptoc);
         t.Set(member, "sec:DARef.doName", "Op");
         t.Set(member, "sec:FCDA.fc", EnumValue("FCType", "ST"));
     },
     {"不符合SCL的数据集（在LN中重复）：PROT/LLN0.dsPrt"}},
    {"data set name pattern", [](SclRulesTest& t, const CompleteIcd& c) { t.Set(c.dataSet, "cim:Naming.name", "保护事件"); },
     {"不符合SCL的数据集（名称格式错误）：PROT/LLN0.保护事件"}},
    {"report control twice",
     [](SclRulesTest& t, const CompleteIcd& c) {
         URI_Ref rcb = t.MakeUnder(c.lln0, "sec:RCB", "brcbPrt", "sec:RCB.LNode", 2);
         t.Link(rcb, "sec:RCB.DataSet", c.dataSet);
         t.Set(rcb, "sec:RCB.confRev", "1");
     },
     {"不符合SCL的报告控制块（在LN中重复）：PROT/LLN0.brcbPrt"}},
    {"DOI name pattern",
     [](SclRulesTest& t, const CompleteIcd& c) {
         t.MakeDO(c.ptocT, "mod", 9, t.m.p1Sps);
         URI_Ref doi = t.MakeUnder(c.ptoc, "sec:DOI", "mod", "sec:DOI.LNode", 2);
         t.Set(t.MakeUnder(doi, "sec:DAI", "stVal", "sec:DAI.DOI", 1), "sec:DAI.valueStr", "1");
     },
     {"不符合SCL的DOI（名称格式错误）：PROT/PPTOC1.mod", "不符合SCL的DO（名称格式错误）：PTOC_T.mod"}},
    {"DAI twice and DAI name pattern",
     [](SclRulesTest& t, const CompleteIcd& c) {
         const URI_Ref again = t.MakeUnder(c.doiMod, "sec:DAI", "stVal", "sec:DAI.DOI", 3);
         t.Set(again, "sec:DAI.valueStr", "2");
         t.Set(again, "sec:DAI.ix", "01");  // one index to SCL with "1"
         t.Set(c.daiModStVal, "sec:DAI.ix", "1");
         t.Set(t.MakeUnder(c.doiMod, "sec:DAI", "状态", "sec:DAI.DOI", 4), "sec:DAI.valueStr", "3");
     },
     {"不符合SCL的DAI（在DOI中重复）：PROT/PPTOC1.Mod.stVal", "不符合SCL的DAI（名称格式错误）：PROT/PPTOC1.Mod.状态"}},
    {"data set members of a constraint their data lacks",
     [](SclRulesTest& t, const CompleteIcd& c) {
         t.Set(c.fcdaOp, "sec:FCDA.fc", EnumValue("FCType", "MX"));
         t.Set(c.fcdaA, "sec:FCDA.fc", EnumValue("FCType", "ST"));
     },
     {"不符合数据类型的数据集成员（fc不是其数据具有的功能约束）：PROT/LLN0.dsPrt:PROT/PPTOC1.Op.stVal:MX",
      "不符合数据类型的数据集成员（fc不是其数据具有的功能约束）：PROT/LLN0.dsPrt:PROT/MMXU1.A.phsA:ST"}},
    {"a DA twice: a member's data is the first of the name",
     [](SclRulesTest& t, const CompleteIcd&) { t.MakeDA(t.m.p1Sps, "stVal", 3, "MX", "BOOLEAN"); },
     {"不符合SCL的DA（在DOType中重复）：P1_SPS.stVal"}},
    {"DAIs of one name without an index",
     [](SclRulesTest& t, const CompleteIcd& c) {
         t.Set(t.MakeUnder(c.doiMod, "sec:DAI", "stVal", "sec:DAI.DOI", 3), "sec:DAI.valueStr", "2");
     },
     {}},
    {"type id twice", [](SclRulesTest& t, const CompleteIcd& c) { t.Set(c.mmxuT, "cim:Naming.name", "PTOC_T"); },
     {"不符合SCL的LNodeType（id重复）：PTOC_T"}},
    {"type id pattern", [](SclRulesTest& t, const CompleteIcd& c) { t.Set(c.ptocT, "cim:Naming.name", "PTOC T"); },
     {"不符合SCL的LNodeType（id格式错误）：PTOC T"}},
    {"DO name pattern", [](SclRulesTest& t, const CompleteIcd& c) { t.MakeDO(c.ptocT, "过流告警", 2, t.m.p1Sps); },
     {"不符合SCL的DO（名称格式错误）：PTOC_T.过流告警"}},
    {"DA twice and DA name pattern",
     [](SclRulesTest& t, const CompleteIcd&) {
         t.MakeDA(t.m.p1Sps, "stVal", 3, "ST", "BOOLEAN");
         t.MakeDA(t.m.p1Sps, "StVal2", 4, "ST", "BOOLEAN");
     },
     {"不符合SCL的DA（在DOType中重复）：P1_SPS.stVal", "不符合SCL的DA（名称格式错误）：P1_SPS.StVal2"}},
    {"SDO name pattern", [](SclRulesTest& t, const CompleteIcd&) { t.MakeSDO(t.m.wye, "PhsN", 5, t.m.cmv); },
     {"不符合SCL的SDO（名称格式错误）：WYE.PhsN"}},
    {"BDA twice and BDA name pattern",
     [](SclRulesTest& t, const CompleteIcd&) {
         t.MakeBDA(t.m.analogueValue, "f", 3, "FLOAT32");
         t.MakeBDA(t.m.vector, "Mag", 3, "FLOAT32");
     },
     {"不符合SCL的BDA（名称格式错误）：Vector.Mag", "不符合SCL的BDA（在DAType中重复）：AnalogueValue.f"}},
    {"enumeration ord and value twice",
     [](SclRulesTest& t, const CompleteIcd&) {
         t.Set(t.MakeUnder(t.m.ctlModel, "sec:EnumVal", "sbo", "sec:EnumVal.EnumType", 1), "sec:EnumVal.val", "3");
         t.Set(t.MakeUnder(t.m.ctlModel, "sec:EnumVal", "sbo2", "sec:EnumVal.EnumType", 4), "sec:EnumVal.val", "1");
     },
     {"不符合SCL的EnumVal（ord重复）：ctlModel.1", "不符合SCL的EnumVal（值重复）：ctlModel.1"}},
    {"enumeration ords of one value",
     [](SclRulesTest& t, const CompleteIcd&) {
         const URI_Ref plus = t.MakeUnder(t.m.ctlModel, "sec:EnumVal", "sbo", "sec:EnumVal.EnumType", 3);
         t.Set(plus, "e301:OrdNaming.ord", "+2");
         t.Set(plus, "sec:EnumVal.val", "sbo");
         const URI_Ref zero = t.MakeUnder(t.m.ctlModel, "sec:EnumVal", "sbo2", "sec:EnumVal.EnumType", 4);
         t.Set(zero, "e301:OrdNaming.ord", "01");
         t.Set(zero, "sec:EnumVal.val", "sbo2");
     },
     {"不符合SCL的EnumVal（ord重复）：ctlModel.01", "不符合SCL的EnumVal（ord重复）：ctlModel.+2"}},
    {"enumeration value outside Latin-1",
     [](SclRulesTest& t, const CompleteIcd&) {
         t.MakeUnder(t.m.ctlModel, "sec:EnumVal", "Ω", "sec:EnumVal.EnumType", 9);
     },
     {"不符合SCL的EnumVal（值格式错误）：ctlModel.9"}},
    {"DO without a DO type", [](SclRulesTest& t, const CompleteIcd& c) { t.MakeDO(c.ptocT, "ModSoft", 2, URI_Ref()); },
     {"不符合SCL的DO（type未指向DOType）：PTOC_T.ModSoft"}},
    {"report control numbers",
     [](SclRulesTest& t, const CompleteIcd& c) {
         t.Set(c.rcb, "sec:RCB.confRev", "-5");
         t.Set(c.rcb, "sec:RCB.intgPd", "abc");
         t.Set(c.rcb, "sec:RCB.rptEnabledMax", "0");
     },
     {"不符合SCL的报告控制块（confRev取值错误）：PROT/LLN0.brcbPrt:-5",
      "不符合SCL的报告控制块（intgPd取值错误）：PROT/LLN0.brcbPrt:abc",
      "不符合SCL的报告控制块（max取值错误）：PROT/LLN0.brcbPrt:0"}},
    {"log control without a log named outside the pattern",
     [](SclRulesTest& t, const CompleteIcd& c) {
         URI_Ref lcb = t.MakeUnder(c.lln0, "sec:LCB", "lcbLog", "sec:LCB.LNode", 2);
         t.Link(lcb, "sec:LCB.DataSet", c.dataSet);
         t.Set(lcb, "sec:LCB.logName", "日 志");
         t.Set(lcb, "sec:LCB.intgPd", "1 s");
     },
     {"不符合SCL的日志控制块（logName格式错误）：PROT/LLN0.lcbLog:日 志",
      "不符合SCL的日志控制块（intgPd取值错误）：PROT/LLN0.lcbLog:1 s"}},
    {"setting groups and member index",
     [](SclRulesTest& t, const CompleteIcd& c) {
         t.Set(c.sgcb, "sec:SGCB.numOfSG", "0");
         t.Set(c.fcdaOp, "sec:FCDA.ix", "x");
     },
     {"不符合SCL的数据集成员（ix取值错误）：PROT/LLN0.dsPrt:PROT/PPTOC1.Op.stVal:x", "不符合SCL的定值组控制块（numOfSGs取值错误）：PROT/LLN0.SGCB:0"}},
    {"setting groups of the values of types",
     [](SclRulesTest& t, const CompleteIcd&) {
         t.Set(t.MakeUnder(t.m.p1SpsStVal, "sec:Val", "", "sec:Val.BDA", 1), "sec:Val.sGroup", "-1");
         t.Set(t.MakeUnder(t.m.avF, "sec:Val", "", "sec:Val.BDA", 1), "sec:Val.sGroup", "a");
     },
     // The values hold no text, which a BOOLEAN or a FLOAT32 cannot mean.
     {"不符合SCL的Val（sGroup取值错误）：P1_SPS.stVal:-1", "不符合SCL的Val（sGroup取值错误）：AnalogueValue.f:a",
      "不符合SCL的值（BOOLEAN取值错误）：P1_SPS.stVal:", "不符合SCL的值（FLOAT32取值错误）：AnalogueValue.f:"}},
    {"member without a functional constraint",
     [](SclRulesTest& t, const CompleteIcd& c) { t.Set(c.fcdaOp, "sec:FCDA.fc", ""); },
     {"不符合SCL的数据集成员（fc取值错误）：PROT/LLN0.dsPrt:PROT/PPTOC1.Op.stVal:"}},
    {"member naming a device of no IED",
     [](SclRulesTest& t, const CompleteIcd& c) {
         const URI_Ref far = t.MakeLDevice(t.DomainOf(c.ld), "FAR", 1);
         t.Doc().ClearLinks(c.fcdaA, "sec:DARef.LNode");
         t.Link(c.fcdaA, "sec:DARef.LNode", t.MakeLNode(far, "", "", "1", 1, c.mmxuT));
     },
     {"不符合SCL的数据集成员（ldInst未指向IED中的LDevice）：PROT/LLN0.dsPrt:FAR/MMXU1.A.phsA:FAR"}},
    {"device without LLN0",
     [](SclRulesTest& t, const CompleteIcd& c) {
         const URI_Ref ld = t.MakeUnder(c.server, "sec:LDevice", "MEAS", "sec:LDevice.Server", 2);
         t.MakeLNode(ld, "", "", "2", 1, c.mmxuT);
     },
     {"不符合SCL的LDevice（没有LN0）：MEAS"}},
    {"LN type without DO",
     [](SclRulesTest& t, const CompleteIcd& c) {
         const URI_Ref type = t.MakeLNodeType(c.pkg, "GGIO_Reserved", 5);
         t.Set(type, "sec:LNodeType.lnClass", "GGIO");
         t.MakeLNode(c.ld, "", "", "1", 5, type);
     },
     {"不符合SCL的LNodeType（没有DO）：GGIO_Reserved"}},
    {"no LN type with a DO",
     [](SclRulesTest& t, const CompleteIcd& c) {
         // Each node given an LN type of its class without DOs.
         for (const auto& [node, name, cls] : {std::tuple{c.lln0, "LLN0_E", "LLN0"}, std::tuple{c.ptoc, "PTOC_E", "PTOC"},
                                               std::tuple{c.mmxu, "MMXU_E", "MMXU"}}) {
             const URI_Ref empty = t.MakeLNodeType(c.pkg, name, 9);
             t.Set(empty, "sec:LNodeType.lnClass", cls);
             ASSERT_TRUE(t.app.DocMtd_del_Association(node, "sec:LNode.LNodeType",
                                                       t.app.DocMtd_getFirstUri_ofAsso(node, "sec:LNode.LNodeType")));
             t.Link(node, "sec:LNode.LNodeType", empty);
         }
     },
     {"未导出数据集成员（LN类型中没有该DO）：PROT/LLN0.dsPrt:PROT/PPTOC1.Op.stVal",
      "未导出数据集成员（LN类型中没有该DO）：PROT/LLN0.dsPrt:PROT/MMXU1.A.phsA",
      "未导出数据集（没有成员）：PROT/LLN0.dsPrt", "未导出控制块的数据集引用（数据集未导出）：PROT/LLN0.brcbPrt:dsPrt",
      "未导出控制块的数据集引用（数据集未导出）：PROT/LLN0.lcbPrt:dsPrt", "未导出DOI（LN类型中没有该DO）：PROT/PPTOC1.Mod",
      "未导出外部输入量的源（LN类型中没有该DO）：PROT/MMXU1.Trip_In:Op.stVal",
      "不符合SCL的DataTypeTemplates（没有DOType）：DataTypeTemplates", "不符合SCL的LNodeType（没有DO）：LLN0_E",
      "不符合SCL的LNodeType（没有DO）：PTOC_E", "不符合SCL的LNodeType（没有DO）：MMXU_E"}},
    {"DA type without BDA and enumeration without values",
     [](SclRulesTest& t, const CompleteIcd& c) {
         t.MakeDA(t.m.p1Sps, "blk", 3, "ST", "Struct", t.MakeDAType(c.pkg, "P1_Reserved", 6));
         t.MakeDA(t.m.p1Sps, "kind", 4, "ST", "Enum", t.MakeEnumType(c.pkg, "P1_Kind", 7, {}));
     },
     {"不符合SCL的DAType（没有BDA）：P1_Reserved", "不符合SCL的EnumType（没有EnumVal）：P1_Kind"}},
    {"nameless log", [](SclRulesTest& t, const CompleteIcd& c) { t.Set(c.log, "cim:Naming.name", ""); }, {}},
    {"access point name pattern",
     [](SclRulesTest& t, const CompleteIcd& c) { t.Set(c.ld, "sec:LDevice.apName", "general (ST)"); },
     {"不符合SCL的AccessPoint（名称格式错误）：TEMPLATE:general (ST)"}},
    {"DO type class outside the list",
     [](SclRulesTest& t, const CompleteIcd& c) {
         const URI_Ref stv = t.MakeDOType(c.pkg, "P1_STV", 8);
         t.Set(stv, "sec:DOType.cdc", "STV");
         t.MakeDA(stv, "actVal", 1, "ST", "INT32");
         t.MakeDO(c.ptocT, "StepSt", 3, stv);
     },
     {"不符合SCL的DOType（cdc取值错误）：P1_STV:STV"}},
    {"typed values of the IED and its access point",
     [](SclRulesTest& t, const CompleteIcd& c) {
         t.Set(c.ied, "sec:IED.engRight", "all");
         t.Set(c.ied, "sec:IED.originalSclVersion", "07");
         t.Set(c.ied, "sec:IED.originalSclRevision", "b");
         t.Set(c.ied, "sec:IED.originalSclRelease", "0");
         t.Set(c.ld, "sec:LDevice.apRouter", "2");
         t.Set(c.ld, "sec:LDevice.apClock", "yes");
         t.Set(c.ld, "sec:LDevice.apKdc", "on");
         t.Set(c.ld, "sec:LDevice.serverTimeout", "-1");
         for (const char* flag : {"authNone", "authPassword", "authWeak", "authStrong", "authCertificate"})
             t.Set(c.ld, CString("sec:LDevice.") + flag, "no");
         t.Set(c.ld, "sec:LDevice.ldName", "1LD");
     },
     {"不符合SCL的IED（originalSclVersion取值错误）：TEMPLATE:07",
      "不符合SCL的IED（originalSclRevision取值错误）：TEMPLATE:b",
      "不符合SCL的IED（originalSclRelease取值错误）：TEMPLATE:0", "不符合SCL的IED（engRight取值错误）：TEMPLATE:all",
      "不符合SCL的AccessPoint（router取值错误）：TEMPLATE:2", "不符合SCL的AccessPoint（clock取值错误）：TEMPLATE:yes",
      "不符合SCL的AccessPoint（kdc取值错误）：TEMPLATE:on", "不符合SCL的Server（timeout取值错误）：S1:-1",
      "不符合SCL的Authentication（none取值错误）：S1:no", "不符合SCL的Authentication（password取值错误）：S1:no",
      "不符合SCL的Authentication（weak取值错误）：S1:no", "不符合SCL的Authentication（strong取值错误）：S1:no",
      "不符合SCL的Authentication（certificate取值错误）：S1:no", "不符合SCL的LDevice（ldName格式错误）：PROT:1LD"}},
    {"unsigned numbers with a sign or blanks",
     [](SclRulesTest& t, const CompleteIcd& c) {
         t.Set(c.ied, "sec:IED.originalSclRelease", "+2");
         t.Set(c.ld, "sec:LDevice.serverTimeout", " 12 ");
         t.Set(c.doiMod, "sec:DOI.ix", "+1");
         t.Set(c.daiModStVal, "sec:DAI.ix", "1 ");
         // An xs:int takes both.
         t.Set(t.MakeUnder(t.m.ctlModel, "sec:EnumVal", "sbo", "sec:EnumVal.EnumType"), "e301:OrdNaming.ord", " +3");
     },
     {"不符合SCL的IED（originalSclRelease取值错误）：TEMPLATE:+2", "不符合SCL的Server（timeout取值错误）：S1: 12 ",
      "不符合SCL的DOI（ix取值错误）：PROT/PPTOC1.Mod:+1", "不符合SCL的DAI（ix取值错误）：PROT/PPTOC1.Mod.stVal:1 "}},
    {"typed values of the members of types",
     [](SclRulesTest& t, const CompleteIcd& c) {
         t.Set(t.m.p1SpsQ, "sec:BDA.bType", "Quality2");
         t.Set(t.m.p1SpsQ, "sec:BDA.valKind", "Fixed");
         t.Set(t.m.p1SpsQ, "sec:BDA.valImport", "yes");
         t.Set(t.m.p1SpsStVal, "sec:DA.fc_0", "");
         t.Set(t.m.p1SpsQ, "sec:BDA.count", "q-1");
         t.Set(t.m.avF, "sec:BDA.count", "-2");
         t.Set(t.m.avI, "sec:BDA.bType", "INT33");
         t.Set(t.m.avI, "sec:BDA.valKind", "Fix");
         t.Set(t.m.avI, "sec:BDA.valImport", "2");
         t.Set(t.m.wyePhsA, "sec:SDO.count", "Max");
         t.Set(t.MakeDO(c.ptocT, "Str", 3, t.m.p1Sps), "sec:DO.transient", "maybe");
         t.Set(t.MakeUnder(t.m.ctlModel, "sec:EnumVal", "sbo", "sec:EnumVal.EnumType"), "e301:OrdNaming.ord",
               "2147483648");
         t.Set(t.MakeUnder(t.m.ctlModel, "sec:EnumVal", "sbo2", "sec:EnumVal.EnumType"), "e301:OrdNaming.ord", "");
         t.Set(t.MakeUnder(t.m.ctlModel, "sec:EnumVal", "sbo3", "sec:EnumVal.EnumType"), "e301:OrdNaming.ord", "- 5");
     },
     // A DA without fc is no attribute a member or an input can name.
     {"未导出数据集成员（DO类型中没有该DA）：PROT/LLN0.dsPrt:PROT/PPTOC1.Op.stVal",
      "未导出外部输入量的源（DO类型中没有该DA）：PROT/MMXU1.Trip_In:Op.stVal",
      "不符合SCL的DO（transient取值错误）：PTOC_T.Str:maybe", "不符合SCL的DA（fc取值错误）：P1_SPS.stVal:",
      "不符合SCL的DA（bType取值错误）：P1_SPS.q:Quality2", "不符合SCL的DA（valKind取值错误）：P1_SPS.q:Fixed",
      "不符合SCL的DA（count取值错误）：P1_SPS.q:q-1",
      "不符合SCL的DA（valImport取值错误）：P1_SPS.q:yes", "不符合SCL的SDO（count取值错误）：WYE.phsA:Max",
      "不符合SCL的BDA（count取值错误）：AnalogueValue.f:-2", "不符合SCL的BDA（bType取值错误）：AnalogueValue.i:INT33",
      "不符合SCL的BDA（valKind取值错误）：AnalogueValue.i:Fix", "不符合SCL的BDA（valImport取值错误）：AnalogueValue.i:2", "不符合SCL的EnumVal（ord取值错误）：ctlModel.sbo2:",
      "不符合SCL的EnumVal（ord取值错误）：ctlModel.sbo3:- 5", "不符合SCL的EnumVal（ord取值错误）：ctlModel.sbo:2147483648"}},
    {"typed values of blocks and inputs",
     [](SclRulesTest& t, const CompleteIcd& c) {
         t.Set(c.rcb, "sec:RCB.rptID", "保护事件");
         t.Set(c.rcb, "sec:RCB.indexed", "yes");
         t.Set(c.rcb, "sec:RCB.bufIm", "1.5");
         for (const char* option : {"optSequenceNumber", "optReportTimeStamp", "optReasonForInclusion",
                                    "optDataSetName", "optDataReference", "optBufferOverflow", "optEntryID",
                                    "optConfRevision"})
             t.Set(c.rcb, CString("sec:RCB.") + option, "yes");
         t.Set(c.lcb, "sec:LCB.logEna", "on");
         t.Set(c.lcb, "sec:LCB.optReasonForInclusion", "off");
         t.Set(c.lcb, "sec:LCB.bufTime", "-3");
         t.Set(c.sgcb, "sec:SGCB.resvTms", "70000");
         t.Set(c.fcdaA, "sec:DARef.doName", "A.phsA.x");
         t.Set(c.extRef, "sec:DARef.doName", "Op.x.y");
         t.Set(c.extRef, "sec:DARef.daName", "stVal..q");
     },
     // References the node's type has no DO or DA for are left out and named.
     {"未导出数据集成员（DO类型中没有该DA）：PROT/LLN0.dsPrt:PROT/MMXU1.A.phsA.x",
      "未导出外部输入量的源（DO类型中没有该DA）：PROT/MMXU1.Trip_In:Op.x.y.stVal..q",
      "不符合SCL的报告控制块（rptID格式错误）：PROT/LLN0.brcbPrt:保护事件",
      "不符合SCL的报告控制块（bufTime取值错误）：PROT/LLN0.brcbPrt:1.5",
      "不符合SCL的报告控制块（indexed取值错误）：PROT/LLN0.brcbPrt:yes",
      "不符合SCL的报告控制块（seqNum取值错误）：PROT/LLN0.brcbPrt:yes",
      "不符合SCL的报告控制块（timeStamp取值错误）：PROT/LLN0.brcbPrt:yes",
      "不符合SCL的报告控制块（dataSet取值错误）：PROT/LLN0.brcbPrt:yes",
      "不符合SCL的报告控制块（reasonCode取值错误）：PROT/LLN0.brcbPrt:yes",
      "不符合SCL的报告控制块（dataRef取值错误）：PROT/LLN0.brcbPrt:yes",
      "不符合SCL的报告控制块（entryID取值错误）：PROT/LLN0.brcbPrt:yes",
      "不符合SCL的报告控制块（configRef取值错误）：PROT/LLN0.brcbPrt:yes",
      "不符合SCL的报告控制块（bufOvfl取值错误）：PROT/LLN0.brcbPrt:yes",
      "不符合SCL的日志控制块（logEna取值错误）：PROT/LLN0.lcbPrt:on",
      "不符合SCL的日志控制块（reasonCode取值错误）：PROT/LLN0.lcbPrt:off",
      "不符合SCL的日志控制块（bufTime取值错误）：PROT/LLN0.lcbPrt:-3",
      "不符合SCL的定值组控制块（resvTms取值错误）：PROT/LLN0.SGCB:70000",
      }},
    {"client and input outside the model named outside the patterns",
     [](SclRulesTest& t, const CompleteIcd& c) {
         const URI_Ref client = t.MakeUnder(c.rcb, "sec:ClientLN", "c1", "sec:ClientLN.RCB", 1);
         const URI_Ref input = t.MakeUnder(c.mmxu, "sec:ExtRef", "In2", "sec:ExtRef.LNode", 2);
         for (const auto& [role, value] : {std::pair<const char*, const char*>{"iedName", "None"},
                                           {"ldInst", "_L"}, {"prefix", "1P"}, {"lnClass", "ihmi"}, {"lnInst", "x"}}) {
             t.Set(client, CString("sec:ClientLN.") + role, value);
             t.Set(input, CString("sec:ExtRef.") + role, value);
         }
         t.Set(client, "sec:ClientLN.apRef", "A P");
     },
     {"不符合SCL的ClientLN（iedName格式错误）：PROT/LLN0.brcbPrt:None",
      "不符合SCL的ClientLN（ldInst格式错误）：PROT/LLN0.brcbPrt:_L",
      "不符合SCL的ClientLN（prefix格式错误）：PROT/LLN0.brcbPrt:1P",
      "不符合SCL的ClientLN（lnClass格式错误）：PROT/LLN0.brcbPrt:ihmi",
      "不符合SCL的ClientLN（lnInst格式错误）：PROT/LLN0.brcbPrt:x",
      "不符合SCL的ClientLN（apRef格式错误）：PROT/LLN0.brcbPrt:A P",
      "不符合SCL的ExtRef（iedName格式错误）：PROT/MMXU1:None", "不符合SCL的ExtRef（ldInst格式错误）：PROT/MMXU1:_L",
      "不符合SCL的ExtRef（prefix格式错误）：PROT/MMXU1:1P", "不符合SCL的ExtRef（lnClass格式错误）：PROT/MMXU1:ihmi",
      "不符合SCL的ExtRef（lnInst格式错误）：PROT/MMXU1:x"}},
    {"client of an IED whose name has 64 characters",
     [](SclRulesTest& t, const CompleteIcd& c) {
         const URI_Ref client = t.MakeUnder(c.rcb, "sec:ClientLN", "c1", "sec:ClientLN.RCB", 1);
         t.Set(client, "sec:ClientLN.iedName", CString(std::string(64, 'C')));
         t.Set(client, "sec:ClientLN.ldInst", "LD1");
         t.Set(client, "sec:ClientLN.lnClass", "IHMI");
         t.Set(client, "sec:ClientLN.lnInst", "1");
     },
     {}},
    {"log of a node named outside the patterns",
     [](SclRulesTest& t, const CompleteIcd& c) {
         const URI_Ref type = t.MakeLNodeType(c.pkg, "Ggio_X", 4);
         t.Set(type, "sec:LNodeType.lnClass", "Ggio_X");
         t.MakeDO(type, "Ind1", 1, t.m.p1Sps);
         const URI_Ref ld = t.MakeUnder(c.server, "sec:LDevice", "保护2", "sec:LDevice.Server", 2);
         t.MakeLNode(ld, "", "", "", 1, c.lln0T);
         const URI_Ref node = t.MakeLNode(ld, "1P", "", "7x", 2, type);
         const URI_Ref log = t.MakeUnder(node, "sec:Log", "Log2", "sec:Log.LNode");
         t.Doc().ClearLinks(c.lcb, "sec:LCB.Log");
         t.Link(c.lcb, "sec:LCB.Log", log);
         const URI_Ref member = t.MakeUnder(c.dataSet, "sec:FCDA", "FCDA_3", "sec:FCDA.DataSet", 3);
         t.Link(member, "sec:DARef.LNode", node);
         t.Set(member, "sec:DARef.doName", "Ind1");
         t.Set(member, "sec:FCDA.fc", EnumValue("FCType", "ST"));
     },
     {"不符合SCL的数据集成员（ldInst格式错误）：PROT/LLN0.dsPrt:保护2/1PGgio_X7x.Ind1:保护2",
      "不符合SCL的数据集成员（prefix格式错误）：PROT/LLN0.dsPrt:保护2/1PGgio_X7x.Ind1:1P",
      "不符合SCL的数据集成员（lnClass格式错误）：PROT/LLN0.dsPrt:保护2/1PGgio_X7x.Ind1:Ggio_X",
      "不符合SCL的数据集成员（lnInst格式错误）：PROT/LLN0.dsPrt:保护2/1PGgio_X7x.Ind1:7x",
      "不符合SCL的日志控制块（ldInst格式错误）：PROT/LLN0.lcbPrt:保护2",
      "不符合SCL的日志控制块（prefix格式错误）：PROT/LLN0.lcbPrt:1P",
      "不符合SCL的日志控制块（lnClass格式错误）：PROT/LLN0.lcbPrt:Ggio_X",
      "不符合SCL的日志控制块（lnInst格式错误）：PROT/LLN0.lcbPrt:7x", "不符合SCL的LDevice（inst格式错误）：保护2",
      "不符合SCL的LN（前缀格式错误）：保护2/1PGgio_X7x", "不符合SCL的LN（inst格式错误）：保护2/1PGgio_X7x",
      "不符合SCL的LN（lnClass格式错误）：保护2/1PGgio_X7x", "不符合SCL的LNodeType（lnClass格式错误）：Ggio_X"}},
    {"typed values of instances",
     [](SclRulesTest& t, const CompleteIcd& c) {
         t.Set(c.doiMod, "sec:DOI.ix", "-1");
         t.Set(c.daiModStVal, "sec:DAI.valKind", "Fixed");
         t.Set(c.daiModStVal, "sec:DAI.valImport", "yes");
         t.Set(c.daiModStVal, "sec:DAI.ix", "x");
         t.Set(t.MakeUnder(c.daiModStVal, "sec:Val", "", "sec:Val.DAI", 2), "sec:Val.sGroup", "g1");
         const URI_Ref orCat = t.MakeUnder(c.doiMod, "sec:DAI", "origin.orCat", "sec:DAI.DOI", 5);
         t.Set(orCat, "sec:DAI.valueStr", "2");
         t.Set(orCat, "sec:DAI.sdiIx", "+x");
     },
     {"不符合SCL的DOI（ix取值错误）：PROT/PPTOC1.Mod:-1", "不符合SCL的DAI（ix取值错误）：PROT/PPTOC1.Mod.stVal:x",
      "不符合SCL的Val（sGroup取值错误）：PROT/PPTOC1.Mod.stVal:g1",
      "不符合SCL的DAI（valKind取值错误）：PROT/PPTOC1.Mod.stVal:Fixed",
      "不符合SCL的DAI（valImport取值错误）：PROT/PPTOC1.Mod.stVal:yes", "不符合SCL的SDI（ix取值错误）：PROT/PPTOC1.Mod.origin:+x",
      "不符合SCL的值（INT32取值错误）：PROT/PPTOC1.Mod.stVal:"}},
    {"members left out or doubtful, each named with its node and why",
     [](SclRulesTest& t, const CompleteIcd& c) {
         auto member = [&](const URI_Ref& node, const char* doName, const char* daName, int ord) {
             const URI_Ref f = t.MakeUnder(c.dataSet, "sec:FCDA", "F", "sec:FCDA.DataSet", ord);
             t.Link(f, "sec:DARef.LNode", node);
             t.Set(f, "sec:DARef.doName", doName);
             t.Set(f, "sec:DARef.daName", daName);
             t.Set(f, "sec:FCDA.fc", EnumValue("FCType", "ST"));
         };
         // Nodes that differ in their instance's text only.
         member(c.ptoc, "Gone", "", 3);
         member(t.MakeLNode(c.ld, "P", "", "01", 4, c.ptocT), "Gone", "", 4);
         // A DO whose type was cleared.
         t.MakeDO(c.ptocT, "Str", 2, URI_Ref());
         member(c.ptoc, "Str", "", 5);
         // A node whose type holds the DO but names no class.
         const URI_Ref classless = t.MakeLNodeType(c.pkg, "XSWI_T", 4);
         t.MakeDO(classless, "Pos", 1, t.m.p1Sps);
         const URI_Ref q1 = t.MakeLNode(c.ld, "Q1", "", "1", 5, classless);
         t.Set(q1, "cim:Naming.name", "Q1XSWI1");
         member(q1, "Pos", "stVal", 6);
         // The same data of another device's node, and of nodes of two devices
         // the model does not hold, each named by its own reference.
         const URI_Ref meas = t.MakeUnder(c.server, "sec:LDevice", "MEAS", "sec:LDevice.Server", 2);
         t.MakeLNode(meas, "", "", "", 1, c.lln0T);
         member(t.MakeLNode(meas, "P", "", "1", 2, c.ptocT), "Str", "", 7);
         int ord = 8;
         for (const char* ld : {"FAR", "NEAR"}) {
             const URI_Ref f = t.MakeUnder(c.dataSet, "sec:FCDA", "F", "sec:FCDA.DataSet", ord++);
             for (const auto& [role, value] : {std::pair<const char*, const char*>{"sec:FCDA.ldInst", ld},
                                               {"sec:FCDA.lnClass", "MMXU"}, {"sec:FCDA.lnInst", "1"},
                                               {"sec:DARef.doName", "A"}, {"sec:DARef.daName", "phsA"}})
                 t.Set(f, role, value);
         }
     },
     {"未导出数据集成员（LN类型中没有该DO）：PROT/LLN0.dsPrt:PROT/PPTOC1.Gone",
      "未导出数据集成员（LN类型中没有该DO）：PROT/LLN0.dsPrt:PROT/PPTOC01.Gone",
      "未导出数据集成员（DO未指定DOType）：PROT/LLN0.dsPrt:PROT/PPTOC1.Str",
      "未导出数据集成员（LN类型未指定lnClass）：PROT/LLN0.dsPrt:PROT/Q1XSWI1.Pos.stVal",
      "未导出数据集成员（DO未指定DOType）：PROT/LLN0.dsPrt:MEAS/PPTOC1.Str",
      "未导出数据集成员（未指向LNode）：PROT/LLN0.dsPrt:FAR/MMXU1.A.phsA",
      "未导出数据集成员（未指向LNode）：PROT/LLN0.dsPrt:NEAR/MMXU1.A.phsA",
      "不符合SCL的LN（lnClass格式错误）：PROT/Q11", "不符合SCL的DO（type未指向DOType）：PTOC_T.Str",
      "不符合SCL的LNodeType（lnClass格式错误）：XSWI_T"}},
    {"block and log names outside the pattern and twice",
     [](SclRulesTest& t, const CompleteIcd& c) {
         t.Set(c.rcb, "cim:Naming.name", "报告");
         const URI_Ref lcb = t.MakeUnder(c.lln0, "sec:LCB", "lcbPrt", "sec:LCB.LNode", 2);
         t.Set(lcb, "sec:LCB.logName", "Log");
         t.Link(lcb, "sec:LCB.DataSet", c.dataSet);
         t.Set(c.log, "cim:Naming.name", "日志");
         t.MakeUnder(c.lln0, "sec:Log", "日志", "sec:Log.LNode");
         const URI_Ref doi = t.MakeUnder(c.ptoc, "sec:DOI", "Mod", "sec:DOI.LNode", 3);
         t.Set(t.MakeUnder(doi, "sec:DAI", "ctlModel", "sec:DAI.DOI", 1), "sec:DAI.valueStr", "1");
     },
     {"不符合SCL的报告控制块（名称格式错误）：PROT/LLN0.报告", "不符合SCL的日志控制块（logName格式错误）：PROT/LLN0.lcbPrt:日志",
      "不符合SCL的日志控制块（在LN中重复）：PROT/LLN0.lcbPrt", "不符合SCL的日志（名称格式错误）：PROT/LLN0.日志",
      "不符合SCL的日志（名称格式错误）：PROT/LLN0.日志", "不符合SCL的日志（在LN中重复）：PROT/LLN0.日志",
      "不符合SCL的DOI（在LN中重复）：PROT/PPTOC1.Mod"}},
};

TEST_P(SclRulesTest, EachBreachIsNamedAfterTheSuccessText) {
    const RuleRow& row = GetParam();
    const CompleteIcd c = BuildCompleteIcd();
    row.change(*this, c);
    ui.AnswerNo("是否由M2I生成DOI DAI");
    ui.AnswerSaveFile(Path("rule.icd").c_str());
    Run(c.icd, "ICD:Export ICD");
    ASSERT_TRUE(std::filesystem::exists(Path("rule.icd")));
    EXPECT_EQ(LinesAfterSuccess(), row.lines);
    // What the check names is what the schema refuses, each error named.
    bool skipped = false;
    const std::string errors = ValidateScl(Path("rule.icd"), skipped);
    if (!skipped) {
        EXPECT_EQ(SchemaErrorsAgainstBreaches(Path("rule.icd"), ui.Messages().back().str(), errors), "");
    }
}

INSTANTIATE_TEST_SUITE_P(Rules, SclRulesTest, ::testing::ValuesIn(kRuleRows),
                         [](const ::testing::TestParamInfo<RuleRow>& info) {
                             std::string name;
                             for (const char* p = info.param.what; *p; ++p)
                                 if (std::isalnum(static_cast<unsigned char>(*p))) name += *p;
                             return name;
                         });

// The access points of an IED come back as they were read (name,
// description and the other attributes of the point, its server and its
// authentication, each the first a device of the point holds), each with
// its own devices; further points take nothing of the first; devices made
// with the menus go into the IED's first access point, the template's in a
// model made with the menus only; an IED without devices keeps its access
// point without a server.
TEST_F(SchemaTest, AccessPointsKeepTheirDevices) {
    struct Device {
        const char* inst;
        const char* ap;  // "" for none
        const char* apDesc;
        std::vector<std::pair<const char*, const char*>> more;  // further sec:LDevice roles
    };
    const struct {
        std::vector<Device> devices;
        // "name|desc|point's other attributes|server's|authentication's:inst,inst"
        std::vector<std::string> accessPoints;
    } cases[] = {
        {{{"PROT", "S1", "站控层",
           {{"apRouter", "true"}, {"apClock", "false"}, {"serverTimeout", "60"}, {"authNone", "false"},
            {"authPassword", "true"}}},
          {"PIGO", "G1", "过程层GOOSE", {{"apClock", "1"}, {"authWeak", "true"}}},
          {"MEAS", "", "", {{"apClock", "true"}}},
          {"PISV", "M1", "", {{"apKdc", "false"}, {"authStrong", "true"}, {"authCertificate", "true"}}}},
         {"S1|站控层|router=true clock=false|timeout=60|none=false password=true:PROT,MEAS",
          "G1|过程层GOOSE|clock=1||none=true weak=true:PIGO",
          "M1||kdc=false||none=true strong=true certificate=true:PISV"}},
        {{{"NEW", "", "", {{"apRouter", "true"}}}, {"PROT", "P1", "", {{"serverTimeout", "120"}}},
          {"PIGO", "G1", "", {}}},
         {"P1||router=true|timeout=120|none=true:NEW,PROT", "G1||||none=true:PIGO"}},
        {{{"PROT", "", "", {}}}, {"S1||||none=true:PROT"}},
        {{}, {"S1||||:"}},
    };
    const CompleteIcd c = BuildCompleteIcd();
    // The attributes of an element but those named, as "name=value" words.
    auto others = [](const pugi::xml_node& el, std::initializer_list<std::string> skip) {
        std::string out;
        for (const pugi::xml_attribute& a : el.attributes())
            if (std::find(skip.begin(), skip.end(), a.name()) == skip.end())
                out += (out.empty() ? "" : " ") + std::string(a.name()) + "=" + a.value();
        return out;
    };
    int n = 0;
    for (const auto& t : cases) {
        for (const URI_Ref& ld : Members(c.server, "sec:Server.LDevices")) Doc().DeleteResource(ld);
        int ord = 0;
        for (const Device& d : t.devices) {
            URI_Ref ld = MakeUnder(c.server, "sec:LDevice", d.inst, "sec:LDevice.Server", ++ord);
            if (*d.ap) Set(ld, "sec:LDevice.apName", d.ap);
            if (*d.apDesc) Set(ld, "sec:LDevice.apDesc", d.apDesc);
            for (const auto& [role, value] : d.more) Set(ld, CString("sec:LDevice.") + role, value);
            MakeLNode(ld, "", "", "", 1, c.lln0T);
        }
        const std::string file = "ap" + std::to_string(++n) + ".icd";
        ExportAndValidate(c, false, file);
        const pugi::xml_document& scl = LoadFile(Path(file));
        std::vector<std::string> accessPoints;
        for (const pugi::xpath_node& ap : scl.select_nodes("/SCL/IED/AccessPoint")) {
            const pugi::xml_node server = ap.node().child("Server");
            std::string row = std::string(ap.node().attribute("name").value()) + "|" +
                              ap.node().attribute("desc").value() + "|" + others(ap.node(), {"name", "desc"}) + "|" +
                              others(server, {}) + "|" + others(server.child("Authentication"), {}) + ":";
            for (const std::string& inst : Select(ap.node(), "Server/LDevice/@inst")) row += inst + ",";
            if (row.back() == ',') row.pop_back();
            accessPoints.push_back(row);
        }
        EXPECT_EQ(accessPoints, t.accessPoints) << file;
        EXPECT_EQ(Select(scl, "/SCL/IED/AccessPoint/Server/Authentication").size(),
                  t.devices.empty() ? 0u : t.accessPoints.size())
            << file;
    }
}

// The IED is written with the template's name, and so are the inputs
// naming its own nodes, whatever the IED's name in the model; its
// description and what its file said of it (maker, versions, rights) go
// over the template's values, which stay where the IED holds none, as in a
// model made with the menus, and go where it holds an empty one, as an IED
// read from a file without them does.
TEST_F(SchemaTest, TheIedKeepsWhatItsFileSaid) {
    const struct {
        std::vector<std::pair<const char*, const char*>> roles;  // on the IED
        std::string attributes;                                   // of the written IED, in order
    } cases[] = {
        {{}, "name=TEMPLATE type=PCS-931 configVersion=1.0"},
        {{{"cim:Naming.name", "LPR2100"},
          {"cim:Naming.description", "线路保护装置"},
          {"sec:IED.manufacturer", "示例电气"},
          {"sec:IED.configVersion", "V3.02"},
          {"sec:IED.originalSclVersion", "2007"},
          {"sec:IED.originalSclRevision", "B"},
          {"sec:IED.originalSclRelease", "4"},
          {"sec:IED.engRight", "dataflow"},
          {"sec:IED.owner", "配置工具"}},
         "name=TEMPLATE type=PCS-931 configVersion=V3.02 desc=线路保护装置 manufacturer=示例电气 "
         "originalSclVersion=2007 originalSclRevision=B originalSclRelease=4 engRight=dataflow owner=配置工具"},
        {{{"sec:IED.manufacturer", "ExampleCo"}},
         "name=TEMPLATE type=PCS-931 manufacturer=ExampleCo"},
    };
    const CompleteIcd c = BuildCompleteIcd();
    const char* const roles[] = {"cim:Naming.description", "sec:IED.manufacturer", "sec:IED.configVersion",
                                 "sec:IED.originalSclVersion", "sec:IED.originalSclRevision",
                                 "sec:IED.originalSclRelease", "sec:IED.engRight", "sec:IED.owner"};
    int n = 0;
    for (const auto& t : cases) {
        Set(c.ied, "cim:Naming.name", "TEMPLATE");
        if (n > 0)
            for (const char* role : roles) Set(c.ied, role, "");
        for (const auto& [role, value] : t.roles) Set(c.ied, role, value);
        const std::string file = "ied" + std::to_string(++n) + ".icd";
        ExportAndValidate(c, false, file);
        const pugi::xml_document& scl = LoadFile(Path(file));
        std::string attributes;
        for (const pugi::xml_attribute& a : scl.select_node("/SCL/IED").node().attributes())
            attributes += (attributes.empty() ? "" : " ") + std::string(a.name()) + "=" + a.value();
        EXPECT_EQ(attributes, t.attributes) << file;
        EXPECT_EQ(Select(scl, "//ExtRef/@iedName"), std::vector<std::string>{"TEMPLATE"}) << file;
    }
}

TEST_F(SchemaTest, HandBuiltModelWithMappingValues) {
    const CompleteIcd c = BuildCompleteIcd();
    AddUnits(m.stdPkg, m.cmv, 3, true);
    URI_Ref item = Make(kIcdDomain, "sec:MapItem", "MI1", 1);
    Link(item, "sec:DARef.LNode", c.ptoc);
    Set(item, "sec:DARef.doName", "Op");
    Set(item, "sec:DARef.daName", "stVal");
    Set(item, "sec:MapItem.valStr", "true");
    Set(item, "sec:MapItem.dU", "动作");
    Set(item, "cim:Naming.description", "保护动作");
    URI_Ref range = Make(kIcdDomain, "sec:MapItem", "MI2", 2);
    Link(range, "sec:DARef.LNode", c.mmxu);
    Set(range, "sec:DARef.doName", "A.phsA");
    Set(range, "sec:DARef.daName", "cVal.mag.f");
    Set(range, "sec:MapItem.valStr", "0");
    Set(range, "sec:MapItem.unitSiUnit", EnumValue("SIUnitEnum", "A"));
    Set(range, "sec:MapItem.unitMultiplier", EnumValue("UnitMultiplierEnum", "k"));
    Set(range, "sec:MapItem.minVal", "0");
    Set(range, "sec:MapItem.maxVal", "100");
    Set(range, "sec:MapItem.stepSize", "0.01");
    // A mapping item of a node without DO name gives no DOI, and is named.
    URI_Ref noDo = Make(kIcdDomain, "sec:MapItem", "MI3", 3);
    Link(noDo, "sec:DARef.LNode", c.ptoc);
    Set(noDo, "sec:MapItem.valStr", "1");
    // Items on DAIs written before them: the DOI's own Mod.stVal (1), and
    // MI2's, named with its constraint; each goes into the element written.
    for (const auto& [name, node, doName, daName, value] :
         {std::tuple{"MI4", c.ptoc, "Mod", "stVal", "2"}, std::tuple{"MI5", c.ptoc, "Mod", "stVal", "1"},
          std::tuple{"MI6", c.mmxu, "A.phsA", "cVal[MX].mag.f", "0"}}) {
        URI_Ref again = Make(kIcdDomain, "sec:MapItem", name, 4);
        Link(again, "sec:DARef.LNode", node);
        Set(again, "sec:DARef.doName", doName);
        Set(again, "sec:DARef.daName", daName);
        Set(again, "sec:MapItem.valStr", value);
    }
    ExportAndValidate(c, true, "mapped.icd");
    // The DO type of Op holds no dU.
    EXPECT_EQ(LinesAfterSuccess(), (std::vector<std::string>{"未导出映射条目的dU（DO类型中没有dU）：PROT/PPTOC1.Op.MI1",
                                                             "未导出映射条目的值（没有DO名）：PROT/PPTOC1.MI3",
                                                             "未导出映射条目的值（DOI中已有同名DAI）：PROT/PPTOC1.Mod.MI4"}));
    const pugi::xml_document& mapped = LoadFile(Path("mapped.icd"));
    EXPECT_EQ(Select(mapped, "//LN[@lnClass='PTOC']/DOI/@name"), (std::vector<std::string>{"Mod", "Op"}));
    EXPECT_EQ(Select(mapped, "//DOI[@name='Mod']/DAI[@name='stVal']/Val[.='1']/../@name"),
              std::vector<std::string>{"stVal"});
    EXPECT_EQ(Select(mapped, "//DOI[@name='A']/SDI/SDI/SDI/DAI/@name"), std::vector<std::string>{"f"});
    EXPECT_STREQ(LoadFile(Path("mapped.icd")).select_node("//DAI[@name='SIUnit']/Val").node().text().get(), "A");
    EXPECT_TRUE(Select(LoadFile(Path("mapped.icd")), "//DOI[@name='']").empty());
}

}  // namespace
}  // namespace kiln::test
