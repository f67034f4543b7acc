// The description writers (fixed table of DO names, "dU" values of DOIs)
// and the inputs of the recorder's channels.
#include <set>

#include "commands/do_descriptions.h"
#include "tests/commands/commands_fixture.h"

namespace kiln::test {
namespace {

using Texts = std::vector<CString>;

class DescriptionWriters : public CommandsTest {
protected:
    // A DOI of the node with one data attribute instance.
    URI_Ref Doi(const URI_Ref& node, const CString& name, int ord, const CString& daiName, const CString& fc,
                const CString& value) {
        const URI_Ref doi = MakeUnder(node, "sec:DOI", name, "sec:DOI.LNode", ord);
        const URI_Ref dai = MakeUnder(doi, "sec:DAI", daiName, "sec:DAI.DOI", 1);
        Set(dai, "sec:DAI.fc", EnumValue("FCType", fc));
        Set(dai, "sec:DAI.valueStr", value);
        return doi;
    }
    std::vector<CString> Questions() const {
        std::vector<CString> out;
        for (const Struct_UiCall& c : ui.CallsOf(Enum_UiCall::ButtonChoice)) out.push_back(c.sText);
        return out;
    }
};

// ---- the fixed table ----

TEST(DoDescriptionTable, HoldsEveryNameOnceWithAText) {
    const auto table = commands::DoDescriptions();
    ASSERT_EQ(table.size(), 117u);
    std::set<std::string> names;
    int latin = 0, withTimes = 0;
    for (const auto& d : table) {
        EXPECT_TRUE(names.insert(d.name).second) << d.name;
        EXPECT_FALSE(std::string(d.description).empty()) << d.name;
        const std::string n = d.name;
        if (n.find("×") != std::string::npos) ++withTimes;
        if (static_cast<unsigned char>(n[0]) < 0x80) ++latin;
    }
    EXPECT_EQ(latin, 106);
    EXPECT_EQ(withTimes, 4);
    // The Chinese names, last, stand for themselves; the Latin ones are
    // described in Chinese.
    for (size_t i = 0; i < table.size(); ++i) {
        if (i >= 106)
            EXPECT_STREQ(table[i].name, table[i].description);
        else
            EXPECT_TRUE(CKiln_Main::IsChinese(table[i].description) || std::string(table[i].description) == " ")
                << table[i].name;
    }
}

TEST_F(DescriptionWriters, TableNamesGetTheirDescriptionsExactly) {
    struct Row {
        const char* name;
        const char* before;
        const char* after;
    };
    const Row rows[] = {
        {"Mod", "自己的", "模式"},       {"mod", "小写", "小写"},     {"BlkRec", "", "重合闸闭锁"},
        {"Vol", "", "电压（采样值）"},   {"ProSx", "x", " "},         {"Test", "", " "},
        {"ProRxA", "", "收信(A相) "},    {"2×1Off", "", "二取一无判据"}, {"ARtg", "", "额定电流"},
        {"Pos", "", "开关位置"},         {"Unknown", "own", "own"},  {"本体轻瓦斯", "", "本体轻瓦斯"},
    };
    std::vector<URI_Ref> dos;
    int ord = 10;
    for (const Row& r : rows) {
        dos.push_back(MakeDO(m.p1Ptoc, r.name, ++ord, m.p1Sps));
        Set(dos.back(), "cim:Naming.description", r.before);
    }
    Run(m.instPkg, "ICD:Write Description of DOs");
    for (size_t i = 0; i < dos.size(); ++i)
        EXPECT_EQ(Get(dos[i], "cim:Naming.description"), rows[i].after) << rows[i].name;
    EXPECT_TRUE(ui.Calls().empty());
    // A second run, and runs on other classes, change nothing.
    Run(m.instPkg, "ICD:Write Description of DOs");
    Set(dos[0], "cim:Naming.description", "改过");
    Run(icd, "ICD:Write Description of DOs");
    Run(m.p1Ptoc, "ICD:Write Description of DOs");
    EXPECT_EQ(Get(dos[0], "cim:Naming.description"), "改过");
    for (size_t i = 1; i < dos.size(); ++i)
        EXPECT_EQ(Get(dos[i], "cim:Naming.description"), rows[i].after) << rows[i].name;
}

// ---- descriptions from DOI values ----

TEST_F(DescriptionWriters, DUValuesFillEmptyDescriptionsOfNodeAndDataObject) {
    const URI_Ref mod = MakeDO(m.p1Ptoc, "Mod", 5, m.p1Sps), str = MakeDO(m.p1Ptoc, "Str", 6, m.p1Sps);
    Set(ptoc, "cim:Naming.description", "");
    Doi(ptoc, "oP", 1, "dU", "ST", "过流动作");     // "dU" whatever its fc; the node's too
    Doi(ptoc, "Mod", 2, "DU[dc]", "DC", "模式值");  // "dU[fc]" in any case
    Doi(ptoc, "Str", 3, "dU[ST]", "DC", "启动值");  // the brackets name another fc: skipped
    Run(icd, "ICD:WriteDODescByLNodeDOI");
    EXPECT_EQ(Get(ptoc, "cim:Naming.description"), "过流动作");
    EXPECT_EQ(Get(mod, "cim:Naming.description"), "模式值");
    EXPECT_EQ(Get(str, "cim:Naming.description"), "");
    EXPECT_EQ(Get(m.p1PtocOp, "cim:Naming.description"), "");  // the key is case-sensitive: "oP" != "Op"
    EXPECT_TRUE(Questions().empty());
    EXPECT_EQ(Refreshes(), (std::vector<int>{2, 1}));

    // The same text again: no question.
    ui.ClearCalls();
    Run(icd, "ICD:WriteDODescByLNodeDOI");
    EXPECT_TRUE(Questions().empty());
    // An ICD without a type package: nothing, no refresh.
    ui.ClearCalls();
    const URI_Ref bare = Make(kIcdDomain, "sec:ICD", "E2");
    Run(bare, "ICD:WriteDODescByLNodeDOI");
    EXPECT_TRUE(ui.Calls().empty());
}

TEST_F(DescriptionWriters, DAIsMadeWithTheMenusTakeTheFcOfTheirDefinition) {
    const URI_Ref described = MakeDOType(m.instPkg, "P1_SPS_DU", 9);
    MakeDA(described, "stVal", 1, "ST", "BOOLEAN");
    MakeDA(described, "dU", 2, "DC", "Unicode255");
    const URI_Ref mod = MakeDO(m.p1Ptoc, "Mod", 5, described), str = MakeDO(m.p1Ptoc, "Str", 6, described);
    const URI_Ref wrong = MakeDO(m.p1Ptoc, "Beh", 7, described);
    Set(ptoc, "cim:Naming.description", "");
    // DOIs and DAIs as the menus make them: no fc of their own.
    const auto made = [&](const CString& doName, const CString& daPath, const CString& value) {
        ui.AnswerInputChoice(doName, "选择DO：");
        Run(ptoc, "ICD:Add DOI");
        const URI_Ref doi = Members(ptoc, "sec:LNode.DOIs").back();
        ui.AnswerInputChoice(daPath, "选择 " + doName + " 下的DA：");
        Run(doi, "ICD:Add DAI");
        const URI_Ref dai = Members(doi, "sec:DOI.DAIs").back();
        EXPECT_EQ(Get(dai, "sec:DAI.fc"), "");
        Set(dai, "sec:DAI.valueStr", value);
        return dai;
    };
    made("Mod", "dU[DC]", "模式值");
    made("Str", "dU[DC]", "启动值");
    made("Op", "stVal[ST]", "动作");  // not a description
    // Named for another fc than its definition's: skipped.
    const URI_Ref behDai = made("Beh", "dU[DC]", "行为值");
    Set(behDai, "cim:Naming.name", "dU[ST]");
    Run(icd, "ICD:WriteDODescByLNodeDOI");
    EXPECT_EQ(Get(mod, "cim:Naming.description"), "模式值");
    EXPECT_EQ(Get(str, "cim:Naming.description"), "启动值");
    EXPECT_EQ(Get(wrong, "cim:Naming.description"), "");
    EXPECT_EQ(Get(m.p1PtocOp, "cim:Naming.description"), "");
    EXPECT_EQ(Get(ptoc, "cim:Naming.description"), "");
    EXPECT_TRUE(Questions().empty());
}

TEST_F(DescriptionWriters, AnswersForAllHoldForTheirKindOnly) {
    const URI_Ref mod = MakeDO(m.p1Ptoc, "Mod", 5, m.p1Sps);
    Set(m.p1PtocOp, "cim:Naming.description", "动作");
    const URI_Ref n2 = MakeLNode(ld, "", "PTOC", "2", 4, m.p1Ptoc);
    const URI_Ref n3 = MakeLNode(ld, "", "PTOC", "3", 5, m.p1Ptoc);
    const URI_Ref n4 = MakeLNode(ld, "", "PTOC", "4", 6, m.p1Ptoc);
    Set(n4, "cim:Naming.description", "旧");
    Doi(ptoc, "Mod", 1, "dU", "DC", "模式A");
    Doi(n2, "Mod", 1, "dU", "DC", "模式B");
    Doi(n3, "Mod", 1, "dU", "DC", "模式C");
    Doi(n4, "Mod", 1, "dU", "DC", "模式D");
    Doi(n4, "Op", 2, "dU", "DC", "动作D");  // the node's text and the DO "Op"'s
    ui.AnswerButton(2, "P1_PTOC/Mod").AnswerButton(3, "模式C").AnswerButton(1, "LNode: PTOC4");
    Run(icd, "ICD:WriteDODescByLNodeDOI");
    EXPECT_EQ(Questions(), (Texts{"用“模式B”替代“模式A”作为LNodeType/DO: P1_PTOC/Mod的解释：",
                                  "用“模式C”替代“模式A”作为LNodeType/DO: P1_PTOC/Mod的解释：",
                                  "用“动作D”替代“旧”作为LNode: PTOC4的解释："}));
    const Struct_UiCall* box = ui.LastOf(Enum_UiCall::ButtonChoice);
    ASSERT_NE(box, nullptr);
    ASSERT_EQ(box->vList.vPairs.size(), 4u);
    EXPECT_EQ(box->vList.vPairs[0].first, " 全是 ");
    EXPECT_EQ(box->vList.vPairs[3].first, " 全否 ");
    EXPECT_EQ(Get(mod, "cim:Naming.description"), "模式A");
    EXPECT_EQ(Get(n4, "cim:Naming.description"), "动作D");
    // " 全否 " held for the DO "Op" too: its differing text was not asked about.
    EXPECT_EQ(Get(m.p1PtocOp, "cim:Naming.description"), "动作");
}

TEST_F(DescriptionWriters, AClosedQuestionEndsTheRunKeepingWhatWasWritten) {
    const URI_Ref mod = MakeDO(m.p1Ptoc, "Mod", 5, m.p1Sps);
    Set(ptoc, "cim:Naming.description", "");
    Set(mod, "cim:Naming.description", "原有");
    Doi(ptoc, "OP", 1, "dU", "ST", "动作");
    Doi(ptoc, "Mod", 2, "dU", "ST", "新");
    ui.AnswerButtonClose();
    Run(icd, "ICD:WriteDODescByLNodeDOI");
    EXPECT_EQ(Get(ptoc, "cim:Naming.description"), "动作");
    EXPECT_EQ(Get(mod, "cim:Naming.description"), "原有");
    EXPECT_TRUE(Refreshes().empty());
}

// ---- inputs of the recorder's channels ----

TEST_F(DescriptionWriters, RecorderChannelsGetOneInputNamedByTheirDescription) {
    const auto instanceOf = [&](const char* cls, int ord) {
        const URI_Ref std = MakeLNodeType(m.stdPkg, cls, 40 + ord);
        const URI_Ref inst = MakeLNodeType(m.instPkg, CString("P1_") + cls, 40 + ord);
        Link(inst, "sec:LNodeType.ClassOf_LNType", std);
        return inst;
    };
    const URI_Ref radrType = instanceOf("RADR", 1), rbdrType = instanceOf("RBDR", 2);
    const URI_Ref ggioType = instanceOf("GGIO", 3);
    const URI_Ref unclassed = MakeLNodeType(m.instPkg, "P1_X", 50);
    const URI_Ref radr1 = MakeLNode(ld, "", "RADR", "1", 4, radrType);
    Set(radr1, "cim:Naming.description", "Ia通道");
    const URI_Ref rbdr1 = MakeLNode(ld, "", "RBDR", "1", 5, rbdrType);  // no description
    const URI_Ref radr2 = MakeLNode(ld, "", "RADR", "2", 6, radrType);
    URI_Ref existing;
    ASSERT_TRUE(app.NewRsc_ExtRef(&existing, radr2));
    const URI_Ref ggio = MakeLNode(ld, "", "GGIO", "1", 7, ggioType);
    const URI_Ref fake = MakeLNode(ld, "", "RADR", "9", 8, unclassed);
    ui.ClearCalls();

    Run(ld, "ICD:Create LNode ExtRef of LD");
    EXPECT_EQ(Names(radr1, "sec:LNode.ExtRefs"), Texts{"Ia通道"});
    EXPECT_EQ(Names(rbdr1, "sec:LNode.ExtRefs"), Texts{""});
    EXPECT_EQ(Members(radr2, "sec:LNode.ExtRefs"), std::vector<URI_Ref>{existing});
    for (const URI_Ref& other : {lln0, ggio, fake}) EXPECT_TRUE(Members(other, "sec:LNode.ExtRefs").empty());
    EXPECT_TRUE(ui.Calls().empty());
    // Twice: nothing more; on another class: nothing.
    const size_t before = ResourceCount();
    Run(ld, "ICD:Create LNode ExtRef of LD");
    Run(icd, "ICD:Create LNode ExtRef of LD");
    EXPECT_EQ(Members(radr1, "sec:LNode.ExtRefs").size(), 1u);
    EXPECT_EQ(ResourceCount(), before);

    // A locked device: the creator's refusal once per channel without input.
    const URI_Ref radr3 = MakeLNode(ld, "", "RADR", "3", 9, radrType);
    const URI_Ref rbdr2 = MakeLNode(ld, "", "RBDR", "2", 10, rbdrType);
    Doc().SetDomainEditable(kIcdDomain, false);
    Run(ld, "ICD:Create LNode ExtRef of LD");
    EXPECT_EQ(ui.Messages(), (Texts{"当前域不可编辑！-W0084", "当前域不可编辑！-W0084"}));
    EXPECT_TRUE(Members(radr3, "sec:LNode.ExtRefs").empty());
    EXPECT_TRUE(Members(rbdr2, "sec:LNode.ExtRefs").empty());
}

}  // namespace
}  // namespace kiln::test
