// The standard data sets of a logical node zero: the full set with its
// control blocks (and, server-wide, one log for all log control blocks), the
// communication and recorder data sets, their removal, and filling one data
// set by functional constraint. Creators are chained without testing their
// results: a refusal shows its own message and the next step follows.
#include <vector>

#include "commands/command_frame.h"
#include "platform/framework/cim_schema.h"
#include "platform/ui/ui_functions.h"

namespace kiln::commands {
namespace {

using FcdKind = CKiln_Main::CREATE_FCD_TYPEEnum;

CString ModelEnum(const char* enumName, const CString& value) {
    return CString(kiln::cim::kModelNamespace) + "#" + enumName + "." + value;
}

// One standard data set: its name and description, the member rule's
// arguments (or one member "Mod" of the current LN when `commMember`), and
// the trigger options of its control blocks (no LCB when `lcbTrgOp` is null).
struct CStandardSet {
    const char* name;
    const char* description;
    const char* fc;
    FcdKind kind;
    const char* filter;
    LNodeUseEnum use;
    bool commMember;
    const char* lcbTrgOp;
    const char* rcbTrgOp;
};

constexpr FcdKind kAll = CKiln_Main::CREATE_FCD_All;
constexpr FcdKind kNoCommon = CKiln_Main::CREATE_FCD_NoCommon;

// In the order of making: the member rule lets the first set whose rule a DO
// meets take it.
constexpr CStandardSet kStandardSets[] = {
    {"DS_MX", "测量值", "MX", kAll, "", LNodeUse_None, false, nullptr, "DChg_DUpd"},
    {"DS_MOD", "压板", "ST", kAll, "Hard*,hard*,Soft*,soft*", LNodeUse_None, false, "DChg", "DChg"},
    {"DS_ACT", "保护动作", "ST", kAll, "Op*,Str*", LNodeUse_None, false, "DChg_DUpd", "DChg_DUpd"},
    {"DS_ST", "状态量", "ST", kNoCommon, "$Chinese$", LNodeUse_State, false, "DChg", "DChg"},
    {"DS_Info", "一般信息", "ST", kNoCommon, "$Chinese$", LNodeUse_Warning, false, "DChg", "DChg"},
    {"DS_Alarm", "系统告警", "ST", kNoCommon, "$Chinese$", LNodeUse_Alarm, false, "DChg_DUpd", "DChg_DUpd"},
    {"DS_DevAlarm", "装置告警", "ST", kNoCommon, "$Chinese$", LNodeUse_DevAlarm, false, "DChg_DUpd", "DChg_DUpd"},
    {"DS_COMM", "通信工况", "ST", kAll, "", LNodeUse_None, true, "DChg", "DChg"},
};

bool AskIedScope() { return _AfxMessageBox("是否在IED范围", MB_YESNO, "", nullptr) == IDYES; }

// A data set under the LN with its final name (and description).
URI_Ref MakeDataSet(CKiln_Main& app, const URI_Ref& lnode, const CString& name, const CString& description) {
    URI_Ref ds;
    app.NewRsc_DataSet(&ds, lnode);
    if (ds.IsEmpty()) return ds;
    app.DocMtd_Modify_attribute_value(ds, "cim:Naming.name", name);
    if (!description.IsEmpty()) app.DocMtd_Modify_attribute_value(ds, "cim:Naming.description", description);
    return ds;
}

// The member of the LN along the role with that name; empty when none.
URI_Ref Named(CKiln_Main& app, const URI_Ref& lnode, const char* role, const CString& name) {
    for (const URI_Ref& r : InOrder(app, lnode, role))
        if (app.DocMtd_getValue_ofAttr(r, "cim:Naming.name") == name) return r;
    return URI_Ref();
}

// One member made directly: a DO (and DA) of a node, functional constraint ST.
void AddMember(CKiln_Main& app, const URI_Ref& ds, const URI_Ref& target, const CString& doName,
               const CString& daName) {
    URI_Ref fcda;
    app.NewRsc_FCDA(&fcda, ds);
    if (fcda.IsEmpty()) return;
    app.DocMtd_add_Association(fcda, "sec:DARef.LNode", target);
    app.DocMtd_Modify_attribute_value(fcda, "sec:DARef.doName", doName);
    if (!daName.IsEmpty()) app.DocMtd_Modify_attribute_value(fcda, "sec:DARef.daName", daName);
    app.DocMtd_Modify_attribute_value(fcda, "sec:FCDA.fc", ModelEnum("FCType", "ST"));
}

// The log control block (unless lcbTrgOp is null), then the report control
// block of the data set, with their trigger options and general
// interrogation; `unbuffered` makes the report control block unbuffered.
// With `onlyMissing`, a block whose name (the kind's prefix and the set's
// name) the LN already holds is not made.
void AddBlocks(CKiln_Main& app, const URI_Ref& lnode, const URI_Ref& ds, const char* lcbTrgOp,
               const char* rcbTrgOp, bool unbuffered, bool onlyMissing = false) {
    const CString setName = app.DocMtd_getValue_ofAttr(ds, "cim:Naming.name");
    // The block of that name the LN holds; one that lost its set gets it back.
    const auto existing = [&](const char* role, const char* prefix, const char* setRole) {
        const URI_Ref block = onlyMissing ? Named(app, lnode, role, prefix + setName) : URI_Ref();
        if (block.IsSet() && ds.IsSet() && FirstOf(app, block, setRole).IsEmpty())
            app.DocMtd_add_Association(block, setRole, ds);
        return block.IsSet();
    };
    URI_Ref lcb, rcb;
    if (lcbTrgOp && !existing("sec:LNode.LCBs", "LCB_", "sec:LCB.DataSet")) app.NewRsc_LCB(&lcb, lnode, ds);
    if (!existing("sec:LNode.RCBs", "RCB_", "sec:RCB.DataSet")) app.NewRsc_RCB(&rcb, lnode, ds);
    if (lcb.IsSet())
        app.DocMtd_Modify_attribute_value(lcb, "sec:LCB.trgOp",
                                          ModelEnum("TrgOpControlTypeEnum", CString(lcbTrgOp) + "GI"));
    if (rcb.IsSet()) {
        app.DocMtd_Modify_attribute_value(rcb, "sec:RCB.trgOp",
                                          ModelEnum("TrgOpControlTypeEnum", CString(rcbTrgOp) + "GI"));
        if (unbuffered) app.DocMtd_Modify_attribute_value(rcb, "sec:RCB.BRCB_or_URCB", "false");
    }
}

// A data set of the node with one member (a DO, and DA, of `target`), its
// log and unbuffered report control blocks both with the trigger option. A
// second run makes only what is missing: a set of that name the node holds
// is kept as it is, and so are its blocks.
Next OneMemberDataSet(CKiln_Main& app, const URI_Ref& lnode, const CString& name, const URI_Ref& target,
                      const CString& doName, const CString& daName, const char* trgOp) {
    URI_Ref ds = Named(app, lnode, "sec:LNode.DataSets", name);
    if (ds.IsEmpty()) {
        ds = MakeDataSet(app, lnode, name, "");
        AddMember(app, ds, target, doName, daName);
    }
    AddBlocks(app, lnode, ds, trgOp, trgOp, true, true);
    Refresh(app, 1);
    return Next::CommonEnd;
}

// One log for the whole server, in the LN: the new log is made first, so
// that a refused creation leaves the server's logs and their links as they
// were; then the other logs go and every log control block of the server is
// pointed at the new one. When the LN already holds the server's only log,
// that one stays.
void OneLogForTheServer(CKiln_Main& app, const URI_Ref& lnode) {
    const URI_Ref server = FirstOf(app, lnode, "sec:LNode.LDevice/sec:LDevice.Server");
    const std::vector<URI_Ref> lcbs =
        InOrder(app, server, "sec:Server.LDevices/sec:LDevice.LNodes/sec:LNode.LCBs");
    const std::vector<URI_Ref> logs = InOrder(app, server, "sec:Server.LDevices/sec:LDevice.LNodes/sec:LNode.Log");
    URI_Ref log;
    // The server's one log already in this LN: only the links are missing.
    if (logs.size() == 1 && FirstOf(app, logs[0], "sec:Log.LNode") == lnode)
        log = logs[0];
    else if (!app.NewRsc_Log(&log, lnode) || log.IsEmpty())
        return;
    for (const URI_Ref& old : logs)
        if (old != log) app.Rsc_Delete(old, false);
    for (const URI_Ref& lcb : lcbs) app.DocMtd_update_Association(lcb, "sec:LCB.Log", log);
}

}  // namespace

Next AutoAddDataSet(CommandFrame& f) {
    CKiln_Main& app = f.app;
    const URI_Ref lnode = f.Current();
    const bool iedScope = AskIedScope();
    // A second run makes only what is missing: the setting-group control
    // block, a set of that name, its control blocks, and the members the
    // rule still finds (it never takes a DO a member already references).
    URI_Ref sgcb;
    if (InOrder(app, lnode, "sec:LNode.SGCB").empty()) app.NewRsc_SGCB(&sgcb, lnode);
    if (sgcb.IsSet()) app.DocMtd_Modify_attribute_value(sgcb, "sec:SGCB.numOfSG", "5");
    for (const CStandardSet& row : kStandardSets) {
        URI_Ref ds = Named(app, lnode, "sec:LNode.DataSets", row.name);
        const bool made = ds.IsEmpty();
        if (made) ds = MakeDataSet(app, lnode, row.name, row.description);
        if (row.commMember) {
            if (made) AddMember(app, ds, lnode, "Mod", "");
        } else if (ds.IsSet()) {
            app.Rsc_AutoCreateFCDA(ds, row.fc, row.kind, row.filter, iedScope, row.use);
        }
        AddBlocks(app, lnode, ds, row.lcbTrgOp, row.rcbTrgOp, row.commMember, true);
    }
    if (iedScope) OneLogForTheServer(app, lnode);
    Refresh(app, 1);
    return Next::CommonEnd;
}

Next AutoAddDataSetComm(CommandFrame& f) {
    CKiln_Main& app = f.app;
    const URI_Ref lnode = f.Current();
    return OneMemberDataSet(app, lnode, "DS_Comm", lnode, "Mod", "", "DChg");
}

Next AutoAddDataSetIEDM(CommandFrame& f) {
    CKiln_Main& app = f.app;
    const URI_Ref lnode = f.Current();
    // The recorder: the last node of class IEDM of the device, in order.
    URI_Ref recorder;
    for (const URI_Ref& node : InOrder(app, lnode, "sec:LNode.LDevice/sec:LDevice.LNodes")) {
        const URI_Ref cls = FirstOf(app, node, "sec:LNode.LNodeType/sec:LNodeType.ClassOf_LNType");
        if (cls.IsSet() && app.DocMtd_getValue_ofAttr(cls, "cim:Naming.name") == "IEDM") recorder = node;
    }
    if (recorder.IsEmpty()) {
        Notice("此LNode所在的LD没有IEDM!");
        return Next::Leave;
    }
    return OneMemberDataSet(app, lnode, "DS_IEDM", recorder, "FileMsg", "fileNameU", "DChg_DUpd");
}

Next AutoDelDataSets(CommandFrame& f) {
    CKiln_Main& app = f.app;
    const URI_Ref lnode = f.Current();
    std::vector<URI_Ref> doomed;
    for (const char* role : {"sec:LNode.DataSets", "sec:LNode.LCBs", "sec:LNode.RCBs", "sec:LNode.SGCB", "sec:LNode.Log"})
        for (const URI_Ref& r : InOrder(app, lnode, role)) doomed.push_back(r);
    app.Rsc_DeleteEach(doomed);
    Refresh(app, 1);
    return Next::CommonEnd;
}

Next AddFCDsOfLD(CommandFrame& f) {
    CKiln_Main& app = f.app;
    Struct_EditPack choices;
    choices.nEditKind = 7;
    for (const char* fc : {"ST", "MX", "CO", "SP", "SG", "SE", "SV", "CF", "DC", "EX"}) choices.Add_ListItem(fc, fc);
    CString fc = "ST";
    if (!app.Mtd_SingleInputBox("请选择：", fc, &choices, false)) return Next::Leave;
    const URI_Ref ds = f.Current();
    if (ds.sClass != "sec:DataSet") return Next::Leave;
    const FcdKind kind = f.command == "ICD:Add FCDs of LD(No Common)" ? kNoCommon : kAll;
    Struct_EditPack text;
    text.nEditKind = 2;
    CString filter;
    if (!app.Mtd_SingleInputBox("指定选取的DO名，为空表示不按DO名称选取：", filter, &text, false)) return Next::Leave;
    const bool iedScope = AskIedScope();
    app.Rsc_AutoCreateFCDA(ds, fc, kind, filter, iedScope, LNodeUse_None);
    Refresh(app, 1);
    Refresh(app, 2);
    return Next::CommonEnd;
}

}  // namespace kiln::commands
