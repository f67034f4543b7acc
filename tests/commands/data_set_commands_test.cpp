// The standard data sets of a logical node zero, their removal, and filling
// one data set by functional constraint.
#include <algorithm>

#include "platform/framework/cim_schema.h"
#include "tests/commands/commands_fixture.h"

namespace kiln::test {
namespace {

using Texts = std::vector<CString>;

// LD1 holds LLN0, LPHD, PTOC1 (Op), MMXU1 (TotW with MX and ST, SoftOp,
// Str), GGIO1 used for alarms and GGIO2 without a use (both "告警"); LD2
// holds another PTOC.
class DataSetCommands : public CommandsTest {
protected:
    DataSetCommands() {
        const URI_Ref mv = MakeDOType(m.instPkg, "P1_MV", 10);
        MakeDA(mv, "mag", 1, "MX", "FLOAT32");
        MakeDA(mv, "q", 2, "ST", "BOOLEAN");
        const URI_Ref mmxu = MakeLNodeType(m.instPkg, "P1_MMXU", 11);
        Link(mmxu, "sec:LNodeType.ClassOf_LNType", m.mmxu);
        MakeDO(mmxu, "TotW", 1, mv);
        MakeDO(mmxu, "SoftOp", 2, m.p1Sps);
        MakeDO(mmxu, "Str", 3, m.p1Sps);
        const URI_Ref ggioClass = MakeLNodeType(m.stdPkg, "GGIO", 20);
        const URI_Ref ggio = MakeLNodeType(m.instPkg, "P1_GGIO", 12);
        Link(ggio, "sec:LNodeType.ClassOf_LNType", ggioClass);
        MakeDO(ggio, "告警", 1, m.p1Sps);
        EXPECT_TRUE(app.NewRsc_LNode(&mmxuNode, ld, mmxu, true));
        EXPECT_TRUE(app.NewRsc_LNode(&ggio1, ld, ggio, true));
        EXPECT_TRUE(app.NewRsc_LNode(&ggio2, ld, ggio, true));
        Set(ggio1, "sec:LNode.LNodeUse", EnumValue("LNodeUseEnum", "Alarm"));
        EXPECT_TRUE(app.NewRsc_LDevice(&ld2, ied, p1Lln0, p1Lphd, URI_Ref()));
        Set(ld2, "cim:Naming.name", "LD2");
        EXPECT_TRUE(app.NewRsc_LNode(&ptoc2, ld2, m.p1Ptoc, true));
        ui.ClearCalls();
    }

    URI_Ref DataSetNamed(const URI_Ref& node, const CString& name) {
        for (const URI_Ref& ds : Members(node, "sec:LNode.DataSets"))
            if (Get(ds, "cim:Naming.name") == name) return ds;
        return URI_Ref();
    }
    CString TrgOp(const char* value) { return CString(cim::kModelNamespace) + "#TrgOpControlTypeEnum." + value; }
    // Every log and log control block of the server.
    std::vector<URI_Ref> ServerWide(const char* role) {
        std::vector<URI_Ref> out;
        for (const URI_Ref& device : Members(server, "sec:Server.LDevices"))
            for (const URI_Ref& node : Members(device, "sec:LDevice.LNodes"))
                for (const URI_Ref& r : Members(node, role)) out.push_back(r);
        return out;
    }

    URI_Ref mmxuNode, ggio1, ggio2, ld2, ptoc2;
};

TEST_F(DataSetCommands, AnsweredNoMakesTheEightSetsFromTheOwnDevice) {
    ui.AnswerNo("是否在IED范围");
    Run(lln0, "ICD:Auto Add DataSet");
    EXPECT_EQ(Names(lln0, "sec:LNode.DataSets"),
              (Texts{"DS_MX", "DS_MOD", "DS_ACT", "DS_ST", "DS_Info", "DS_Alarm", "DS_DevAlarm", "DS_COMM"}));
    EXPECT_EQ(Get(DataSetNamed(lln0, "DS_MX"), "cim:Naming.description"), "测量值");
    EXPECT_EQ(Get(DataSetNamed(lln0, "DS_COMM"), "cim:Naming.description"), "通信工况");
    // A DO with MX and ST attributes lands in DS_MX only; "SoftOp" in DS_MOD,
    // filled before DS_ACT; LD2's PTOC is not scanned; GGIO2 has no use.
    const CString ln0 = Get(lln0, "cim:Naming.name");
    EXPECT_EQ(DataSetMembers(DataSetNamed(lln0, "DS_MX")), Texts{"MMXU1.TotW"});
    EXPECT_EQ(DataSetMembers(DataSetNamed(lln0, "DS_MOD")), Texts{"MMXU1.SoftOp"});
    EXPECT_EQ(DataSetMembers(DataSetNamed(lln0, "DS_ACT")), (Texts{"PTOC1.Op", "MMXU1.Str"}));
    EXPECT_EQ(DataSetMembers(DataSetNamed(lln0, "DS_Alarm")), Texts{"GGIO1.告警"});
    EXPECT_TRUE(DataSetMembers(DataSetNamed(lln0, "DS_ST")).empty());
    EXPECT_EQ(DataSetMembers(DataSetNamed(lln0, "DS_COMM")), Texts{ln0 + ".Mod"});
    const URI_Ref comm = Doc().FirstTarget(DataSetNamed(lln0, "DS_COMM"), "sec:DataSet.FCDAs");
    EXPECT_EQ(Get(comm, "sec:FCDA.fc"), EnumValue("FCType", "ST"));

    // Seven LCBs (none for DS_MX), eight RCBs, one SGCB of five groups, no log.
    EXPECT_EQ(Names(lln0, "sec:LNode.LCBs"),
              (Texts{"LCB_DS_MOD", "LCB_DS_ACT", "LCB_DS_ST", "LCB_DS_Info", "LCB_DS_Alarm", "LCB_DS_DevAlarm",
                     "LCB_DS_COMM"}));
    // Every block answers general interrogation.
    const std::vector<URI_Ref> rcbs = Members(lln0, "sec:LNode.RCBs");
    ASSERT_EQ(rcbs.size(), 8u);
    EXPECT_EQ(Get(rcbs[0], "sec:RCB.trgOp"), TrgOp("DChg_DUpdGI"));
    EXPECT_EQ(Get(rcbs[1], "sec:RCB.trgOp"), TrgOp("DChgGI"));
    EXPECT_EQ(Get(rcbs[0], "sec:RCB.BRCB_or_URCB"), "true");
    EXPECT_EQ(Get(rcbs[7], "cim:Naming.name"), "RCB_DS_COMM");
    EXPECT_EQ(Get(rcbs[7], "sec:RCB.BRCB_or_URCB"), "false");
    const std::vector<URI_Ref> lcbs = Members(lln0, "sec:LNode.LCBs");
    EXPECT_EQ(Get(lcbs[0], "sec:LCB.trgOp"), TrgOp("DChgGI"));
    EXPECT_EQ(Get(lcbs[1], "sec:LCB.trgOp"), TrgOp("DChg_DUpdGI"));
    const std::vector<URI_Ref> sgcb = Members(lln0, "sec:LNode.SGCB");
    ASSERT_EQ(sgcb.size(), 1u);
    EXPECT_EQ(Get(sgcb[0], "sec:SGCB.numOfSG"), "5");
    EXPECT_TRUE(ServerWide("sec:LNode.Log").empty());
    EXPECT_EQ(Refreshes(), std::vector<int>{1});

}

TEST_F(DataSetCommands, ASecondRunMakesOnlyWhatIsMissing) {
    ui.AnswerNo("是否在IED范围");
    Run(lln0, "ICD:Auto Add DataSet");
    const std::vector<URI_Ref> firstSets = Members(lln0, "sec:LNode.DataSets");
    const Texts lcbNames = Names(lln0, "sec:LNode.LCBs"), rcbNames = Names(lln0, "sec:LNode.RCBs");
    // Between the runs: DS_ACT and the RCB of DS_MX go, a node of an alarm
    // type joins the device.
    ASSERT_TRUE(app.Rsc_Delete(DataSetNamed(lln0, "DS_ACT"), false));
    for (const URI_Ref& rcb : Members(lln0, "sec:LNode.RCBs"))
        if (Get(rcb, "cim:Naming.name") == "RCB_DS_MX") {
            ASSERT_TRUE(app.Rsc_Delete(rcb, false));
        }
    URI_Ref ggio3;
    ASSERT_TRUE(app.NewRsc_LNode(&ggio3, ld, Doc().FirstTarget(ggio1, "sec:LNode.LNodeType"), true));
    Set(ggio3, "sec:LNode.LNodeUse", EnumValue("LNodeUseEnum", "Alarm"));

    for (int run = 0; run < 2; ++run) {
        ui.AnswerNo("是否在IED范围");
        Run(lln0, "ICD:Auto Add DataSet");
        EXPECT_EQ(Members(lln0, "sec:LNode.SGCB").size(), 1u);
        const Texts setNames = Names(lln0, "sec:LNode.DataSets");
        EXPECT_EQ(setNames.size(), 8u);
        EXPECT_EQ(std::count(setNames.begin(), setNames.end(), "DS_ACT"), 1);
        // The kept sets are the same resources; only the missing members come.
        EXPECT_EQ(DataSetNamed(lln0, "DS_MX"), firstSets[0]);
        EXPECT_EQ(DataSetMembers(DataSetNamed(lln0, "DS_ACT")), (Texts{"PTOC1.Op", "MMXU1.Str"}));
        EXPECT_EQ(DataSetMembers(DataSetNamed(lln0, "DS_Alarm")), (Texts{"GGIO1.告警", "GGIO3.告警"}));
        EXPECT_EQ(DataSetMembers(DataSetNamed(lln0, "DS_COMM")), Texts{Get(lln0, "cim:Naming.name") + ".Mod"});
        Texts lcbs = Names(lln0, "sec:LNode.LCBs"), rcbs = Names(lln0, "sec:LNode.RCBs");
        std::sort(lcbs.begin(), lcbs.end());
        std::sort(rcbs.begin(), rcbs.end());
        Texts wantLcbs = lcbNames, wantRcbs = rcbNames;
        std::sort(wantLcbs.begin(), wantLcbs.end());
        std::sort(wantRcbs.begin(), wantRcbs.end());
        EXPECT_EQ(lcbs, wantLcbs) << run;
        EXPECT_EQ(rcbs, wantRcbs) << run;
        // The blocks DS_ACT left behind serve the set made again.
        for (const char* role : {"sec:LNode.LCBs", "sec:LNode.RCBs"})
            for (const URI_Ref& block : Members(lln0, role))
                if (Get(block, "cim:Naming.name").Right(6) == "DS_ACT") {
                    EXPECT_EQ(Doc().FirstTarget(block, block.sClass + ".DataSet"), DataSetNamed(lln0, "DS_ACT")) << run;
                }
    }
}

TEST_F(DataSetCommands, AnsweredYesLeavesOneLogServingEveryLogControlBlock) {
    // Logs in two devices and an older LCB linked to one of them.
    URI_Ref oldLog, otherLog, oldLcb;
    ASSERT_TRUE(app.NewRsc_Log(&oldLog, ptoc));
    ASSERT_TRUE(app.NewRsc_Log(&otherLog, ptoc2));
    ASSERT_TRUE(app.NewRsc_LCB(&oldLcb, ptoc2, URI_Ref()));
    ASSERT_EQ(Doc().FirstTarget(oldLcb, "sec:LCB.Log"), oldLog);
    ui.ClearCalls();

    ui.AnswerYes("是否在IED范围");
    Run(lln0, "ICD:Auto Add DataSet");
    const std::vector<URI_Ref> logs = ServerWide("sec:LNode.Log");
    ASSERT_EQ(logs.size(), 1u);
    EXPECT_EQ(Doc().FirstTarget(logs[0], "sec:Log.LNode"), lln0);
    const std::vector<URI_Ref> lcbs = ServerWide("sec:LNode.LCBs");
    EXPECT_EQ(lcbs.size(), 8u);
    for (const URI_Ref& lcb : lcbs) {
        std::vector<URI_Ref> linked;
        Doc().Targets(lcb, "sec:LCB.Log", linked);
        EXPECT_EQ(linked, std::vector<URI_Ref>{logs[0]}) << Get(lcb, "cim:Naming.name");
    }
    // Server-wide members: LD2's PTOC joins DS_ACT.
    EXPECT_EQ(DataSetMembers(DataSetNamed(lln0, "DS_ACT")), (Texts{"PTOC1.Op", "MMXU1.Str", "PTOC1.Op"}));
    EXPECT_EQ(ui.Messages(), std::vector<CString>{"是否在IED范围"});

    // Run again: the log the node holds stays the server's one log.
    ui.AnswerYes("是否在IED范围");
    Run(lln0, "ICD:Auto Add DataSet");
    EXPECT_EQ(ServerWide("sec:LNode.Log"), logs);
    EXPECT_EQ(ServerWide("sec:LNode.LCBs").size(), 8u);
    EXPECT_EQ(DataSetMembers(DataSetNamed(lln0, "DS_ACT")), (Texts{"PTOC1.Op", "MMXU1.Str", "PTOC1.Op"}));
}

TEST_F(DataSetCommands, ARefusedLogLeavesTheServersLogsAndLinks) {
    URI_Ref oldLog, oldLcb;
    ASSERT_TRUE(app.NewRsc_Log(&oldLog, ptoc));
    ASSERT_TRUE(app.NewRsc_LCB(&oldLcb, ptoc, URI_Ref()));
    // A node zero of LD1 kept in a domain that cannot be edited: every
    // creator under it refuses, the log's among them.
    MakeDomain("kiln.locked#", "二次模型装置ICD包");
    const URI_Ref locked = Make("kiln.locked#", "sec:LNode", "LLN0", 9);
    Link(locked, "sec:LNode.LDevice", ld);
    Doc().SetDomainEditable("kiln.locked#", false);
    ui.ClearCalls();

    ui.AnswerYes();
    Run(locked, "ICD:Auto Add DataSet");
    const std::vector<CString> messages = ui.Messages();
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back(), "当前域不可编辑！-W0080");
    EXPECT_EQ(ServerWide("sec:LNode.Log"), std::vector<URI_Ref>{oldLog});
    EXPECT_EQ(Doc().FirstTarget(oldLcb, "sec:LCB.Log"), oldLog);
}

TEST_F(DataSetCommands, CommunicationAndRecorderSets) {
    // Run twice: the second run finds the set and its blocks and makes nothing.
    for (int run = 0; run < 2; ++run) {
        ui.ClearCalls();
        Run(lln0, "ICD:Auto Add DataSet Comm");
        EXPECT_EQ(Names(lln0, "sec:LNode.DataSets"), Texts{"DS_Comm"}) << run;
        const URI_Ref comm = DataSetNamed(lln0, "DS_Comm");
        EXPECT_EQ(Get(comm, "cim:Naming.description"), "");
        EXPECT_EQ(DataSetMembers(comm), Texts{Get(lln0, "cim:Naming.name") + ".Mod"}) << run;
        EXPECT_EQ(Names(lln0, "sec:LNode.LCBs"), Texts{"LCB_DS_Comm"}) << run;
        EXPECT_EQ(Names(lln0, "sec:LNode.RCBs"), Texts{"RCB_DS_Comm"}) << run;
        const URI_Ref lcb = Doc().FirstTarget(lln0, "sec:LNode.LCBs"), rcb = Doc().FirstTarget(lln0, "sec:LNode.RCBs");
        EXPECT_EQ(Doc().FirstTarget(lcb, "sec:LCB.DataSet"), comm);
        EXPECT_EQ(Doc().FirstTarget(rcb, "sec:RCB.DataSet"), comm);
        EXPECT_EQ(Get(lcb, "sec:LCB.trgOp"), TrgOp("DChgGI"));
        EXPECT_EQ(Get(rcb, "sec:RCB.trgOp"), TrgOp("DChgGI"));
        EXPECT_EQ(Get(rcb, "sec:RCB.BRCB_or_URCB"), "false");
        EXPECT_EQ(Refreshes(), std::vector<int>{1});
        EXPECT_TRUE(ui.Messages().empty());
    }

    // No recorder in the device: the message, nothing made.
    ui.ClearCalls();
    const size_t before = ResourceCount();
    Run(lln0, "ICD:Auto Add DataSet IEDM");
    EXPECT_EQ(ui.Messages(), std::vector<CString>{"此LNode所在的LD没有IEDM!"});
    EXPECT_EQ(ResourceCount(), before);
    EXPECT_TRUE(Refreshes().empty());

    // Two recorders: the later one in order is the member's node.
    const URI_Ref iedmClass = MakeLNodeType(m.stdPkg, "IEDM", 30);
    const URI_Ref iedm = MakeLNodeType(m.instPkg, "P1_IEDM", 30);
    Link(iedm, "sec:LNodeType.ClassOf_LNType", iedmClass);
    URI_Ref rec1, rec2;
    ASSERT_TRUE(app.NewRsc_LNode(&rec1, ld, iedm, true));
    ASSERT_TRUE(app.NewRsc_LNode(&rec2, ld, iedm, true));
    ui.ClearCalls();
    Run(lln0, "ICD:Auto Add DataSet IEDM");
    const URI_Ref ds = DataSetNamed(lln0, "DS_IEDM");
    const URI_Ref fcda = Doc().FirstTarget(ds, "sec:DataSet.FCDAs");
    EXPECT_EQ(Doc().FirstTarget(fcda, "sec:DARef.LNode"), rec2);
    EXPECT_EQ(Get(fcda, "sec:DARef.doName"), "FileMsg");
    EXPECT_EQ(Get(fcda, "sec:DARef.daName"), "fileNameU");
    const std::vector<URI_Ref> rcbs = Members(lln0, "sec:LNode.RCBs");
    EXPECT_EQ(Get(rcbs.back(), "sec:RCB.trgOp"), TrgOp("DChg_DUpdGI"));
    EXPECT_EQ(Get(rcbs.back(), "sec:RCB.BRCB_or_URCB"), "false");
    EXPECT_EQ(Get(Members(lln0, "sec:LNode.LCBs").back(), "sec:LCB.trgOp"), TrgOp("DChg_DUpdGI"));

    // Run again: the recorder's set and its blocks are kept, nothing is made;
    // a lost report control block is made again for the set that is there.
    const size_t made = ResourceCount();
    Run(lln0, "ICD:Auto Add DataSet IEDM");
    EXPECT_EQ(ResourceCount(), made);
    ASSERT_TRUE(app.Rsc_Delete(rcbs.back(), false));
    Run(lln0, "ICD:Auto Add DataSet IEDM");
    EXPECT_EQ(Names(lln0, "sec:LNode.DataSets"), (Texts{"DS_Comm", "DS_IEDM"}));
    EXPECT_EQ(DataSetMembers(ds).size(), 1u);
    EXPECT_EQ(Names(lln0, "sec:LNode.LCBs"), (Texts{"LCB_DS_Comm", "LCB_DS_IEDM"}));
    EXPECT_EQ(Names(lln0, "sec:LNode.RCBs"), (Texts{"RCB_DS_Comm", "RCB_DS_IEDM"}));
    EXPECT_EQ(Doc().FirstTarget(Members(lln0, "sec:LNode.RCBs").back(), "sec:RCB.DataSet"), ds);
}

TEST_F(DataSetCommands, DeletingTheSetsRemovesEverythingOfTheNodeWithoutAsking) {
    ui.AnswerYes();
    Run(lln0, "ICD:Auto Add DataSet");
    URI_Ref otherSet;
    ASSERT_TRUE(app.NewRsc_DataSet(&otherSet, ptoc));
    ui.ClearCalls();
    Run(lln0, "ICD:Auto Del DataSet LCB RCB SGCB");
    for (const char* role :
         {"sec:LNode.DataSets", "sec:LNode.LCBs", "sec:LNode.RCBs", "sec:LNode.SGCB", "sec:LNode.Log"})
        EXPECT_TRUE(Members(lln0, role).empty()) << role;
    std::vector<URI_Ref> fcdas;
    app.DocMtd_get_Uris_byClassName("sec:FCDA", fcdas, "", SortPolicy_ByName);
    EXPECT_TRUE(fcdas.empty());
    EXPECT_EQ(Members(ptoc, "sec:LNode.DataSets"), std::vector<URI_Ref>{otherSet});
    EXPECT_TRUE(ui.Messages().empty());
    EXPECT_EQ(Refreshes(), std::vector<int>{1});
    // On a node without any of them: nothing changes, class 1 still refreshed.
    ui.ClearCalls();
    const size_t before = ResourceCount();
    Run(lln0, "ICD:Auto Del DataSet LCB RCB SGCB");
    EXPECT_EQ(ResourceCount(), before);
    EXPECT_EQ(Refreshes(), std::vector<int>{1});
}

TEST_F(DataSetCommands, FillingOneSetAsksConstraintFilterAndScope) {
    URI_Ref ds;
    ASSERT_TRUE(app.NewRsc_DataSet(&ds, lln0));
    ui.ClearCalls();
    // Cancel at either box, or a resource that is no data set: nothing.
    ui.AnswerInputCancel("请选择：");
    Run(ds, "ICD:Add FCDs of LD(All)");
    ui.AnswerInputChoice("ST").AnswerInputCancel("指定选取的DO名");
    Run(ds, "ICD:Add FCDs of LD(All)");
    ui.AnswerInputChoice("ST");
    Run(lln0, "ICD:Add FCDs of LD(All)");
    EXPECT_TRUE(DataSetMembers(ds).empty());
    EXPECT_TRUE(Refreshes().empty());
    EXPECT_EQ(LastChoices(), (Texts{"ST", "MX", "CO", "SP", "SG", "SE", "SV", "CF", "DC", "EX"}));

    // All ST data objects of the server named like "Op*".
    ui.AnswerInputChoice("ST").AnswerInput("Op*").AnswerYes("是否在IED范围");
    Run(ds, "ICD:Add FCDs of LD(All)");
    EXPECT_EQ(DataSetMembers(ds), (Texts{"PTOC1.Op", "MMXU1.SoftOp", "PTOC1.Op"}));
    EXPECT_EQ(Refreshes(), (std::vector<int>{1, 2}));
    // A token with "*" is case-sensitive ("soft*" misses "SoftOp"), one
    // without compares ignoring case ("STR" takes "Str").
    URI_Ref ds3;
    ASSERT_TRUE(app.NewRsc_DataSet(&ds3, lln0));
    ui.AnswerInputChoice("ST").AnswerInput("soft*,STR").AnswerNo();
    Run(ds3, "ICD:Add FCDs of LD(All)");
    EXPECT_EQ(DataSetMembers(ds3), Texts{"MMXU1.Str"});
    // Without common, own device, every name: LLN0's Mod and the members
    // of the other sets stay out.
    URI_Ref ds2;
    ASSERT_TRUE(app.NewRsc_DataSet(&ds2, lln0));
    ui.AnswerInputChoice("ST").AnswerInput("").AnswerNo();
    Run(ds2, "ICD:Add FCDs of LD(No Common)");
    EXPECT_EQ(DataSetMembers(ds2), (Texts{"MMXU1.TotW", "GGIO1.告警", "GGIO2.告警"}));
}

}  // namespace
}  // namespace kiln::test
