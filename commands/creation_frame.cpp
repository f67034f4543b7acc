// The generic creation frame: the edit lock, the class table (parent class,
// new class, the association to the parent), the parent (the current
// resource, or its owner when it is a sibling of the new class), the limit of
// members where the schema allows fewer than 10, the body of the row, and
// placing the new resource right behind the sibling it was chosen on.
#include "commands/creation.h"
#include "platform/ui/ui_functions.h"

namespace kiln::commands {
namespace {

Next EnumType(Creation& c) { return c.f.app.NewRsc_EnumType(&c.f.newRsc, c.parent) ? Next::CommonEnd : Next::Leave; }
Next DOSemantic(Creation& c) {
    return c.f.app.NewRsc_DOSemantic(&c.f.newRsc, c.parent) ? Next::CommonEnd : Next::Leave;
}
Next DASemantic(Creation& c) {
    return c.f.app.NewRsc_DASemantic(&c.f.newRsc, c.parent) ? Next::CommonEnd : Next::Leave;
}
// A new value takes a code of its own; it is not moved, which would change
// the codes of the values behind it.
Next EnumVal(Creation& c) {
    c.place = false;
    return c.f.app.NewRsc_EnumVal(&c.f.newRsc, c.parent, "") ? Next::CommonEnd : Next::Leave;
}
Next SGCB(Creation& c) {
    c.place = false;
    return c.f.app.NewRsc_SGCB(&c.f.newRsc, c.parent) ? Next::CommonEnd : Next::Leave;
}
Next LCB(Creation& c) { return c.f.app.NewRsc_LCB(&c.f.newRsc, c.parent, URI_Ref()) ? Next::CommonEnd : Next::Leave; }
Next RCB(Creation& c) { return c.f.app.NewRsc_RCB(&c.f.newRsc, c.parent, URI_Ref()) ? Next::CommonEnd : Next::Leave; }
Next ClientLN(Creation& c) {
    return c.f.app.NewRsc_ClientLN(&c.f.newRsc, c.parent) ? Next::CommonEnd : Next::Leave;
}
Next DataSet(Creation& c) { return c.f.app.NewRsc_DataSet(&c.f.newRsc, c.parent) ? Next::CommonEnd : Next::Leave; }
Next FCDA(Creation& c) { return c.f.app.NewRsc_FCDA(&c.f.newRsc, c.parent) ? Next::CommonEnd : Next::Leave; }
Next ExtRef(Creation& c) { return c.f.app.NewRsc_ExtRef(&c.f.newRsc, c.parent) ? Next::CommonEnd : Next::Leave; }
Next SettingGroup(Creation& c) {
    return c.f.app.NewRsc_SettingGroup(&c.f.newRsc, c.parent) ? Next::CommonEnd : Next::Leave;
}
Next SettingData(Creation& c) {
    return c.f.app.NewRsc_SettingData(&c.f.newRsc, c.parent) ? Next::CommonEnd : Next::Leave;
}
Next ITB(Creation& c) {
    c.place = false;
    return c.f.app.NewRsc_ITB(&c.f.newRsc, c.parent) ? Next::CommonEnd : Next::Leave;
}
Next InfoItem(Creation& c) { return c.f.app.NewRsc_InfoItem(&c.f.newRsc, c.parent) ? Next::CommonEnd : Next::Leave; }
Next InfoGroup(Creation& c) {
    return c.f.app.NewRsc_InfoGroup(&c.f.newRsc, c.parent, "") ? Next::CommonEnd : Next::Leave;
}
Next MapItem(Creation& c) {
    return c.f.app.NewRsc_MapItem(&c.f.newRsc, c.parent, URI_Ref()) ? Next::CommonEnd : Next::Leave;
}

// The one Log of a server. With Yes the new Log is made first; only then are
// the server's other Logs deleted and every LCB of the server linked to it,
// so that a refused creation leaves Logs and links as they were.
Next Log(Creation& c) {
    c.place = false;
    CKiln_Main& app = c.f.app;
    const int answer = _AfxMessageBox("是否让所有日志控制块与此日志关联？", MB_YESNO, "", nullptr);
    if (answer != IDYES) return app.NewRsc_Log(&c.f.newRsc, c.parent) ? Next::CommonEnd : Next::Leave;

    const URI_Ref server = FirstOf(app, c.f.Current(), "sec:LNode.LDevice/sec:LDevice.Server");
    std::vector<URI_Ref> lcbs, logs;
    URI_Ref last;
    if (server.IsSet()) {
        app.DocMtd_get_descendent_BUris(server, "sec:Server.LDevices/sec:LDevice.LNodes/sec:LNode.LCBs", lcbs, last,
                                        core::kRoleOrd, SortPolicy_ByOrd);
        app.DocMtd_get_descendent_BUris(server, "sec:Server.LDevices/sec:LDevice.LNodes/sec:LNode.Log", logs, last,
                                        core::kRoleOrd, SortPolicy_ByOrd);
    }
    if (!app.NewRsc_Log(&c.f.newRsc, c.parent)) return Next::Leave;
    app.Rsc_DeleteEach(logs);
    for (const URI_Ref& lcb : lcbs) app.DocMtd_add_Association(lcb, "sec:LCB.Log", c.f.newRsc);
    return Next::CommonEnd;
}

Next M2I(Creation& c) {
    CKiln_Main& app = c.f.app;
    const URI_Ref itb = FirstOf(app, c.parent, "sec:ICD.ITB");
    if (itb.IsEmpty()) {
        Notice("请先建立装置信息描述表！");
        return Next::Leave;
    }
    c.place = false;
    return app.NewRsc_M2I(&c.f.newRsc, c.parent, itb, true) ? Next::CommonEnd : Next::Leave;
}

// A mapping item in the ICD's M2I for the current information item, placed
// right behind the item's number.
Next InfoItemMapItem(Creation& c) {
    CKiln_Main& app = c.f.app;
    const URI_Ref m2i = FirstOf(app, c.parent, "sec:ITB.ICD/sec:ICD.M2I");
    // Without a mapping the creator would blame the domain of no M2I.
    if (m2i.IsEmpty()) {
        Notice("该ICD没有M2I，不能增加映射！请先在ICD上新建或导入M2I。");
        return Next::Leave;
    }
    return app.NewRsc_MapItem(&c.f.newRsc, m2i, c.f.Current()) ? Next::CommonEnd : Next::Leave;
}

struct CreationRow {
    const char* command;
    const char* parentCls;
    const char* newCls;
    const char* asso;
    CreationBody body;
};

// The class table, in the order the bodies are tested.
constexpr CreationRow kRows[] = {
    {"ICD:Add EnumType", "sec:TypePackage", "sec:EnumType", "sec:EnumType.TypePackage", EnumType},
    {"ICD:Add DOSemantic", "sec:TypePackage", "sec:DOSemantic", "sec:DOSemantic.TypePackage", DOSemantic},
    {"ICD:Add DASemantic", "sec:TypePackage", "sec:DASemantic", "sec:DASemantic.TypePackage", DASemantic},
    {"ICD:Add Base LDevice", "sec:TypePackage", "sec:LDevice", "sec:LDevice.TypePackage", AddBaseLDevice},
    {"ICD:Add LNodeType", "sec:TypePackage", "sec:LNodeType", "sec:LNodeType.TypePackage", AddType},
    {"ICD:Add DOType", "sec:TypePackage", "sec:DOType", "sec:DOType.TypePackage", AddType},
    {"ICD:Add DAType", "sec:TypePackage", "sec:DAType", "sec:DAType.TypePackage", AddType},
    {"ICD:Add EnumVal", "sec:EnumType", "sec:EnumVal", "sec:EnumVal.EnumType", EnumVal},
    {"ICD:Add DA", "sec:DOType", "sec:DA", "sec:DA.MemberOf_DOType", AddMember},
    {"ICD:Add SDO", "sec:DOType", "sec:SDO", "sec:SDO.MemberOf_DOType", AddMember},
    {"ICD:Add BDA", "sec:DAType", "sec:BDA", "sec:BDA.MemberOf_DAType", AddMember},
    {"ICD:Add DO", "sec:LNodeType", "sec:DO", "sec:DO.LNodeType", AddMember},
    {"ICD:Add Ext-DO", "sec:LNodeType", "sec:DO", "sec:DO.LNodeType", AddMember},
    {"ICD:Add expand DO", "sec:LNodeType", "sec:DO", "sec:DO.LNodeType", AddMember},
    {"ICD:Add LDevice", "sec:IED", "sec:LDevice", "sec:LDevice.Server/sec:Server.IED", AddLDevice},
    {"ICD:Add Many LNodes", "sec:LDevice", "sec:LNode", "sec:LNode.LDevice", AddManyLNodes},
    {"ICD:Add LNode", "sec:LDevice", "sec:LNode", "sec:LNode.LDevice", AddLNode},
    {"ICD:Add DOI", "sec:LNode", "sec:DOI", "sec:DOI.LNode", AddDOI},
    {"ICD:Add DAI", "sec:DOI", "sec:DAI", "sec:DAI.DOI", AddDAI},
    {"ICD:Add SGCB", "sec:LNode", "sec:SGCB", "sec:SGCB.LNode", SGCB},
    {"ICD:Add Log", "sec:LNode", "sec:Log", "sec:Log.LNode", Log},
    {"ICD:Add LCB", "sec:LNode", "sec:LCB", "sec:LCB.LNode", LCB},
    {"ICD:Add RCB", "sec:LNode", "sec:RCB", "sec:RCB.LNode", RCB},
    {"ICD:Add ClientLN", "sec:RCB", "sec:ClientLN", "sec:ClientLN.RCB", ClientLN},
    {"ICD:Add DataSet", "sec:LNode", "sec:DataSet", "sec:DataSet.LNode", DataSet},
    {"ICD:Add FCDA", "sec:DataSet", "sec:FCDA", "sec:FCDA.DataSet", FCDA},
    {"ICD:Add ExtRef", "sec:LNode", "sec:ExtRef", "sec:ExtRef.LNode", ExtRef},
    {"ICD:Add SettingGroup", "sec:SGCB", "sec:SettingGroup", "sec:SettingGroup.SGCB", SettingGroup},
    {"ICD:Add SettingData", "sec:SettingGroup", "sec:SettingData", "sec:SettingData.SettingGroup", SettingData},
    {"ICD:Add ITB", "sec:ICD", "sec:ITB", "sec:ITB.ICD", ITB},
    {"ICD:Add InfoItem", "sec:ITB", "sec:InfoItem", "sec:InfoItem.ITB", InfoItem},
    {"ICD:Add InfoItem MapItem", "sec:ITB", "sec:InfoItem", "sec:InfoItem.ITB", InfoItemMapItem},
    {"ICD:Add InfoGroup", "sec:ITB", "sec:InfoGroup", "sec:InfoGroup.ITB", InfoGroup},
    {"ICD:Add M2I", "sec:ICD", "sec:M2I", "sec:M2I.ICD", M2I},
    {"ICD:Add MapItem", "sec:M2I", "sec:MapItem", "sec:MapItem.M2I", MapItem},
};

bool IsPresetFolder(const URI_Ref& rsc) {
    return rsc.sClass.empty() &&
           (rsc.sUri == "预置LN类型" || rsc.sUri == "预置DO类型" || rsc.sUri == "预置DA类型");
}

// False (with the limit's message where it applies) when no member may be added.
bool BelowLimit(CKiln_Main& app, const CreationRow& row, const URI_Ref& parent) {
    const CString asso = row.asso;
    if (asso.Find('/') >= 0) return true;
    const CString reverse = app.DocMtd_GetReverseAsso(asso);
    Struct_AssoDfn dfn;
    if (!app.DocMtd_Get_AssoDfn(row.parentCls, reverse, dfn)) return false;
    int count = 0;
    app.DocMtd_GetSeqNumber_byAsso(parent, reverse, &count);
    if (dfn.nMaxMultiplicity < 10 && count >= dfn.nMaxMultiplicity) {
        Notice("超出上限，不能增加对象！");
        return false;
    }
    return true;
}

}  // namespace

Next AddGroup(CommandFrame& f) {
    CKiln_Main& app = f.app;
    const URI_Ref current = f.Current();
    if (!DomainEditable(app, current, "W0097")) return Next::Leave;

    const CreationRow* row = nullptr;
    if (!IsPresetFolder(current)) {
        for (const CreationRow& r : kRows)
            if (f.command == r.command) {
                row = &r;
                break;
            }
        if (!row) {
            Notice("未知命令！");
            return Next::Leave;
        }
    }
    const URI_Ref found = app.DocMtd_TestBy_URIRef(CString(current.sUri));
    if (found.IsEmpty() || !row) return Next::Leave;  // a folder with empty texts matches no class
    Creation c{f, URI_Ref(), true};
    if (found.sClass == row->parentCls)
        c.parent = found;
    else if (found.sClass == row->newCls)
        c.parent = FirstOf(app, found, row->asso);
    else
        return Next::Leave;
    if (c.parent.IsEmpty() || !BelowLimit(app, *row, c.parent)) return Next::Leave;

    f.pack.nEditKind = 7;
    if (row->body(c) == Next::Leave) return Next::Leave;

    if (c.place && f.newRsc.IsSet() && found.sClass == row->newCls) {
        bool has = false;
        const CString ord = app.DocMtd_getValue_ofAttr(found, core::kRoleOrd, &has);
        if (has) app.Rsc_Adjust_Order(f.newRsc, LeadingInt(ord) + 1, nullptr);
    }
    return Next::CommonEnd;
}

}  // namespace kiln::commands
