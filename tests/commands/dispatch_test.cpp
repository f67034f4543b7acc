// The dispatcher and the command states: every command string of the menus
// reaches its row in the chain's order, the tail tells "PRI" commands from
// unknown ones, the common end refreshes once after a creation and never
// after a refusal, and no wait cursor outlives a command.
#include <string>
#include <utility>

#include "commands/command_frame.h"
#include "tests/commands/commands_fixture.h"

namespace kiln::test {
namespace {

using kiln::commands::FindCommand;

// Every command string the menus offer, in the dispatcher's order, with the
// row (its own, or its group's) that must take it; null: no row.
const std::pair<const char*, const char*> kStrings[] = {
    {"COMMON:Import ExternalData", "COMMON:Import ExternalData"},
    {"ICD:Sort InfoItem p103_ent", "ICD:Sort InfoItem p103_ent"},
    {"Set ICD Product", "Set ICD Product"},
    {"ICD:Add SignalList", "ICD:Add SignalList"},
    {"ICD:Add InSignal", "ICD:Add InSignal"},
    {"ICD:Add OutSignal", "ICD:Add OutSignal"},
    {"ICD:Add GSE", "ICD:Add GSE"},
    {"ICD:Add SV", "ICD:Add SV"},
    {"ICD:Add Soft Hard DO", "ICD:Add Soft Hard DO"},
    {"ICD:Add ICD In Product", "ICD:Add ICD In Product"},
    {"ICD:Clear MapItem DARef Asso", "ICD:Clear MapItem DARef Asso"},
    {"ICD:Import ICD In Product", "ICD:Import ICD In Product"},
    {"ICD:Add Product", "ICD:Add Product"},
    {"ICD:Add ProductVer", "ICD:Add ProductVer"},
    {"ICD:Add ProductPackage", "ICD:Add ProductPackage"},
    {"ICD:Add TypePackage", "ICD:Add TypePackage"},
    {"ICD:Most Bay To M2I MapItem", "ICD:Most Bay To M2I MapItem"},
    {"ICD:WriteDODescByLNodeDOI", "ICD:WriteDODescByLNodeDOI"},
    {"ICD:Write Desc By ITB", "ICD:Write Desc By ITB"},
    {"ICD:Add Inst-TypePackage", "ICD:Add Inst-TypePackage"},
    {"ICD:Add ICD", "ICD:Add ICD"},
    {"ICD:Switch to BasicType", "ICD:Switch to BasicType"},
    {"ICD:Switch to Struct", "ICD:Switch to Struct"},
    {"ICD:Switch to EnumType", "ICD:Switch to EnumType"},
    {"ICD:Add Val", "ICD:Add Val"},
    {"ICD:Move Up", "ICD:Move"},
    {"ICD:Move Down", "ICD:Move"},
    {"ICD:Move To", "ICD:Move"},
    {"ICD:Restore Ord", "ICD:Restore Ord"},
    {"ICD:Auto-Link DOSemantic", "ICD:Auto-Link DOSemantic"},
    {"ICD:Auto-Link DASemantic", "ICD:Auto-Link DASemantic"},
    {"ICD:Auto Del DataSet LCB RCB SGCB", "ICD:Auto Del DataSet LCB RCB SGCB"},
    {"ICD:Auto Add DataSet Comm", "ICD:Auto Add DataSet Comm"},
    {"ICD:Auto Add DataSet IEDM", "ICD:Auto Add DataSet IEDM"},
    {"ICD:Auto Add DataSet", "ICD:Auto Add DataSet"},
    {"ICD:Add FCDs of LD(All)", "ICD:Add FCDs of LD(All)"},
    {"ICD:Add FCDs of LD(No Common)", "ICD:Add FCDs of LD(No Common)"},
    {"ICD:Appoint To SameDA", "ICD:Appoint To Same"},
    {"ICD:Appoint To SameLNode", "ICD:Appoint To Same"},
    {"ICD:Appoint To SameDO", "ICD:Appoint To Same"},
    {"ICD:Add DO From LNode by ITB", "ICD:Add DO From LNode by ITB"},
    {"ICD:Create LNode by ITB", "ICD:Create LNode by ITB"},
    {"ICD:Create LNodeType DOs LNode M2I(RASG ASG)", "ICD:Create LNodeType DOs LNode M2I"},
    {"ICD:Create LNodeType DOs LNode M2I(RSPG SPG)", "ICD:Create LNodeType DOs LNode M2I"},
    {"ICD:Create LNodeType DOs LNode M2I(GGIO SPS)", "ICD:Create LNodeType DOs LNode M2I"},
    {"ICD:Create LNodeType DOs LNode M2I(GGIO DPS) common", "ICD:Create LNodeType DOs LNode M2I"},
    {"ICD:Create LNodeType DOs LNode M2I(MMXN MV)", "ICD:Create LNodeType DOs LNode M2I"},
    {"ICD:Create LNodeType DOs LNode M2I(RING ING)", "ICD:Create LNodeType DOs LNode M2I"},
    {"ICD:Add Base LDevice", "ICD:Add "},
    {"ICD:Add EnumType", "ICD:Add "},
    {"ICD:Add LNodeType", "ICD:Add "},
    {"ICD:Add DOType", "ICD:Add "},
    {"ICD:Add DAType", "ICD:Add "},
    {"ICD:Add DOSemantic", "ICD:Add "},
    {"ICD:Add DASemantic", "ICD:Add "},
    {"ICD:Add EnumVal", "ICD:Add "},
    {"ICD:Add DA", "ICD:Add "},
    {"ICD:Add SDO", "ICD:Add "},
    {"ICD:Add BDA", "ICD:Add "},
    {"ICD:Add DO", "ICD:Add "},
    {"ICD:Add Ext-DO", "ICD:Add "},
    {"ICD:Add expand DO", "ICD:Add "},
    {"ICD:Add LDevice", "ICD:Add "},
    {"ICD:Add LNode", "ICD:Add "},
    {"ICD:Add Many LNodes", "ICD:Add "},
    {"ICD:Add DOI", "ICD:Add "},
    {"ICD:Add SGCB", "ICD:Add "},
    {"ICD:Add Log", "ICD:Add "},
    {"ICD:Add LCB", "ICD:Add "},
    {"ICD:Add RCB", "ICD:Add "},
    {"ICD:Add ClientLN", "ICD:Add "},
    {"ICD:Add DataSet", "ICD:Add "},
    {"ICD:Add ExtRef", "ICD:Add "},
    {"ICD:Add DAI", "ICD:Add "},
    {"ICD:Add SettingGroup", "ICD:Add "},
    {"ICD:Add SettingData", "ICD:Add "},
    {"ICD:Add FCDA", "ICD:Add "},
    {"ICD:Add ITB", "ICD:Add "},
    {"ICD:Add M2I", "ICD:Add "},
    {"ICD:Add InfoItem", "ICD:Add "},
    {"ICD:Add InfoItem MapItem", "ICD:Add "},
    {"ICD:Add InfoGroup", "ICD:Add "},
    {"ICD:Add MapItem", "ICD:Add "},
    {"ICD:Add Add M-DOs", "ICD:Add "},
    {"ICD:Add M-DAs", "ICD:Add "},
    {"ICD:Delete", "ICD:Delete"},
    {"ICD:Copy", "ICD:Copy"},
    {"ICD:Paste", "ICD:Paste"},
    {"ICD:Design Xslt", "ICD:Design Xslt"},
    {"ICD:Export ICD", "ICD:Export ICD"},
    {"ICD:Export TypePackage", "ICD:Export TypePackage"},
    {"ICD:Export ITB", "ICD:Export ITB"},
    {"ICD:Delete DARefDA", "ICD:Delete DARefDA"},
    {"ICD:Create M2I Layout", "ICD:Create M2I Layout"},
    {"ICD:Create ReplaceNameFile", "ICD:Create ReplaceNameFile"},
    {"ICD:Write Description of DOs", "ICD:Write Description of DOs"},
    {"ICD:Check ICD", "ICD:Check ICD"},
    {"ICD:Check TypePackage", "ICD:Check TypePackage"},
    {"ICD:Create ReplaceNameFile All", "ICD:Create ReplaceNameFile All"},
    {"ICD:Export M2I", "ICD:Export M2I"},
    {"ICD:Refreh M2I", "ICD:Refreh M2I"},
    {"ICD:Match M2I ByDoDesc", "ICD:Match M2I ByDoDesc"},
    {"ICD:Create LNode ExtRef of LD", "ICD:Create LNode ExtRef of LD"},
    {"ICD:Auto Sort LDevice LNode Inst", "ICD:Auto Sort LDevice LNode Inst"},
    {"ICD:AutoSortLNodeInst", "ICD:AutoSortLNodeInst"},
    {"ICD:RepalceName", "ICD:RepalceName"},
    {"ICD:ITB AutoOrd", "ICD:ITB AutoOrd"},
    {"ICD:AutoGroupInfoItem", "ICD:AutoGroupInfoItem"},
    {"ICD:Set ChNum", "ICD:Set ChNum"},
    {"ICD:Import ICD", "ICD:Import ICD"},
    {"ICD:Import TypePackage", "ICD:Import TypePackage"},
    {"ICD:RepalceName All", "ICD:RepalceName All"},
    {"ICD:Import LNodeType", "ICD:Import LNodeType"},
    {"ICD:Import ITB", "ICD:Import ITB"},
    {"ICD:Import M2I", "ICD:Import M2I"},
    {"ICD:HandleLN0AndDel", "ICD:HandleLN0AndDel"},
    {"PRI:Draw This", nullptr},
    {"SCD:Add Asso MemberOf_LNodeContainer", nullptr},
    {"SCD:Clear Asso MemberOf_LNodeContainer", nullptr},
};

TEST(CommandChain, EveryMenuCommandReachesItsRowAndTheChainKeepsItsOrder) {
    EXPECT_EQ(std::size(kStrings), 119u);
    for (const auto& [command, row] : kStrings) {
        const auto* found = FindCommand(command);
        if (!row) {
            EXPECT_EQ(found, nullptr) << command;
            continue;
        }
        ASSERT_NE(found, nullptr) << command;
        EXPECT_STREQ(found->text, row) << command;
    }
    // The chain's rows appear in the order of the menu strings they serve.
    size_t next = 0;
    for (const auto& row : kiln::commands::CommandChain()) {
        while (next < std::size(kStrings) && (!kStrings[next].second || CString(kStrings[next].second) != row.text))
            ++next;
        EXPECT_LT(next, std::size(kStrings)) << row.text << " is out of order";
    }
    // Other members of the groups and case.
    EXPECT_STREQ(FindCommand("ICD:Move Sideways")->text, "ICD:Move");
    EXPECT_STREQ(FindCommand("xx ICD:Appoint To Same yy")->text, "ICD:Appoint To Same");
    EXPECT_EQ(FindCommand("icd:delete"), nullptr);
    EXPECT_EQ(FindCommand("ICD:Add"), nullptr);  // no blank: not the group
}

class Dispatch : public CommandsTest {};

TEST_F(Dispatch, TheTailIgnoresPriCommandsAndNamesEveryOtherUnknownString) {
    for (const char* silent : {"PRI:Draw This", "PRI:"}) {
        Run(ptoc, silent);
        EXPECT_TRUE(ui.Messages().empty()) << silent;
    }
    for (const char* unknown : {"icd:delete", "SCD:Add Asso MemberOf_LNodeContainer", "PRI", "Delete", ""}) {
        ui.ClearCalls();
        Run(ptoc, unknown);
        EXPECT_EQ(ui.Messages(), std::vector<CString>{"未知命令！"}) << unknown;
        EXPECT_TRUE(Refreshes().empty()) << unknown;
    }
    ui.ClearCalls();
    Run(ptoc, "ICD:Design Xslt");
    EXPECT_TRUE(ui.Calls().empty());
}

TEST_F(Dispatch, TheAddGroupRefusesALockedDomainBeforeItLooksForARow) {
    Run(ptoc, "ICD:Add Add M-DOs");
    EXPECT_EQ(ui.Messages(), std::vector<CString>{"未知命令！"});
    ui.ClearCalls();
    Doc().SetDomainEditable(kIcdDomain, false);
    Run(ptoc, "ICD:Add Add M-DOs");
    Run(ptoc, "ICD:Add M-DAs");
    EXPECT_EQ(ui.Messages(), (std::vector<CString>{"当前域不可编辑！-W0097", "当前域不可编辑！-W0097"}));
    EXPECT_TRUE(Refreshes().empty());
}

TEST_F(Dispatch, AFixedAddCommandNeverReachesTheGenericCreation) {
    // On a locked IED the generic frame would refuse with W0097 first; the
    // fixed body calls the creator, whose own number shows, and refreshes
    // class 1 whatever it answered.
    Doc().SetDomainEditable(kIcdDomain, false);
    Run(ied, "ICD:Add SignalList");
    EXPECT_EQ(ui.Messages(), std::vector<CString>{"当前域不可编辑！-W0070"});
    EXPECT_EQ(Refreshes(), std::vector<int>{1});
    Doc().SetDomainEditable(kIcdDomain, true);
    ui.ClearCalls();
    Run(ied, "ICD:Add SignalList");
    EXPECT_EQ(Names(ied, "sec:IED.SignalLists"), std::vector<CString>{"信号列表"});
    EXPECT_EQ(Refreshes(), std::vector<int>{1});  // no class-0 refresh: not the user's new resource
}

TEST_F(Dispatch, OneRefreshOfAllViewsAfterACreationNoneAfterARefusal) {
    Run(ptoc, "ICD:Add DataSet");
    EXPECT_EQ(Names(ptoc, "sec:LNode.DataSets"), std::vector<CString>{"DataSet_1"});
    EXPECT_EQ(Refreshes(), std::vector<int>{0});

    ui.ClearCalls();
    Doc().SetDomainEditable(kIcdDomain, false);
    Run(ptoc, "ICD:Add DataSet");
    EXPECT_EQ(Names(ptoc, "sec:LNode.DataSets").size(), 1u);
    EXPECT_TRUE(Refreshes().empty());

    // A creator that refuses behind the frame: a product version under a locked product.
    MakeDomain("kiln.prod#", "二次模型装置类型包");
    URI_Ref package = Make("kiln.prod#", "sec:ProductPackage", "厂家");
    URI_Ref product = MakeUnder(package, "sec:Product", "P", "sec:Product.ProductPackage");
    Doc().SetDomainEditable("kiln.prod#", false);
    ui.ClearCalls();
    Run(product, "ICD:Add ProductVer");
    EXPECT_EQ(ui.Messages(), std::vector<CString>{"当前域不可编辑！-W0055"});
    EXPECT_TRUE(Refreshes().empty());
}

TEST_F(Dispatch, NoWaitCursorOutlivesACommandOnAnyWayOut) {
    // A new instance type: the instantiation begins a wait cursor and leaves
    // it to the dispatcher.
    ui.AnswerInputChoice("PTOC  (IEC61850)").AnswerInputChoice("复制必选成员\t\t\t（M）");
    Run(m.instPkg, "ICD:Add LNodeType");
    EXPECT_GT(ui.CountOf(Enum_UiCall::WaitCursorBegin), 0);
    EXPECT_EQ(ui.WaitCursorDepth(), 0);
    // Cancelled at the scope question: the instantiation refused.
    ui.ClearCalls();
    ui.AnswerInputChoice("PTOC  (IEC61850)").AnswerInputCancel();
    Run(m.instPkg, "ICD:Add LNodeType");
    EXPECT_EQ(ui.WaitCursorDepth(), 0);
    // A member added from the standard class.
    ui.AnswerInputChoice("Str");
    Run(m.p1Ptoc, "ICD:Add DO");
    EXPECT_EQ(ui.WaitCursorDepth(), 0);
}

TEST_F(Dispatch, TheDeleteStateNamesTheResourceAndProtectsTwoKindsOfPackage) {
    CCmdUI_Eq state;
    app.m_uCurRsc = ld;
    app.Msg_OnAppCommandUpdate("ICD:Delete", &state);
    EXPECT_EQ(state.sText, "删除" + app.GetRscText(ld, true));
    EXPECT_TRUE(state.bEnabled);

    for (const URI_Ref& pkg : {m.stdPkg, m.instPkg}) {  // the standard package; a package of an ICD
        CCmdUI_Eq s;
        app.m_uCurRsc = pkg;
        app.Msg_OnAppCommandUpdate("ICD:Delete", &s);
        EXPECT_FALSE(s.bEnabled) << Get(pkg, "cim:Naming.name");
        EXPECT_EQ(s.sText, "删除" + app.GetRscText(app.m_uCurRsc, true));
    }
    URI_Ref free = MakeTypePackage(kInstDomain, "产品类型包", true);
    CCmdUI_Eq s;
    app.m_uCurRsc = free;
    app.Msg_OnAppCommandUpdate("ICD:Delete", &s);
    EXPECT_TRUE(s.bEnabled);

    CCmdUI_Eq other;
    other.sText = "增加 LN";
    app.m_uCurRsc = m.stdPkg;
    for (const char* cmd : {"ICD:Add LNode", "ICD:Add TypePackage", "no such command"}) {
        other.bEnabled = false;
        app.Msg_OnAppCommandUpdate(cmd, &other);
        EXPECT_TRUE(other.bEnabled) << cmd;
        EXPECT_EQ(other.sText, "增加 LN") << cmd;
    }
}

}  // namespace
}  // namespace kiln::test
