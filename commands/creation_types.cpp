// Types and type members of the creation frame. In a declaration package a
// bare resource is made; in an instance package a new type instantiates a
// standard type and a new member is one of its standard class's members that
// the type lacks. "ICD:Add expand DO" adds a DO of a chosen DO type, and
// "ICD:Add Ext-DO" a bare DO when the ICD allows free extension.
#include "commands/creation.h"
#include "core/free_names.h"

namespace kiln::commands {
namespace {

struct TypeRow {
    const char* command;
    const char* listRole;
    const char* word;
    bool (CKiln_Main::*create)(URI_Ref*, URI_Ref);
};
constexpr TypeRow kTypes[] = {
    {"ICD:Add LNodeType", "sec:TypePackage.LNodeTypes", "LN", &CKiln_Main::NewRsc_LNodeType},
    {"ICD:Add DOType", "sec:TypePackage.DOTypes", "CDC", &CKiln_Main::NewRsc_DOType},
    {"ICD:Add DAType", "sec:TypePackage.DATypes", "DA", &CKiln_Main::NewRsc_DAType},
};

struct MemberRow {
    const char* command;
    const char* listRole;
    const char* classRole;
    const char* classWord;
    const char* memberWord;
    bool (CKiln_Main::*create)(URI_Ref*, URI_Ref, CString);
};
constexpr MemberRow kMembers[] = {
    {"ICD:Add DO", "sec:LNodeType.DOs", "sec:LNodeType.ClassOf_LNType", "逻辑节点类", "DO", &CKiln_Main::NewRsc_DO},
    {"ICD:Add expand DO", "sec:LNodeType.DOs", "sec:LNodeType.ClassOf_LNType", "逻辑节点类", "DO",
     &CKiln_Main::NewRsc_DO},
    {"ICD:Add DA", "sec:DOType.Contains_DAs", "sec:DOType.ClassOf_DOType", "CDC类", "DA", &CKiln_Main::NewRsc_DA},
    {"ICD:Add SDO", "sec:DOType.Contains_SDOs", "sec:DOType.ClassOf_DOType", "CDC类", "SDO",
     &CKiln_Main::NewRsc_SDO},
    {"ICD:Add BDA", "sec:DAType.Contains_BDAs", "sec:DAType.ClassOf_DAType", "DA类", "BDA", &CKiln_Main::NewRsc_BDA},
    {"ICD:Add Ext-DO", "", "", "", "", &CKiln_Main::NewRsc_DO},
};

CString NameOf(CKiln_Main& app, const URI_Ref& rsc) { return app.DocMtd_getValue_ofAttr(rsc, core::kRoleName); }

void EndWaitCursor() {
    if (CWnd* w = AfxGetMainWnd()) w->EndWaitCursor();
}

// A DO made directly takes its package's name as its namespace (an expanded
// DO "扩展" and its DO type instead).
void MarkDirectDO(CKiln_Main& app, const URI_Ref& lnType, const URI_Ref& made) {
    const URI_Ref package = FirstOf(app, lnType, "sec:LNodeType.TypePackage");
    app.DocMtd_Modify_attribute_value(made, "sec:DO.SemanticNs", NameOf(app, package));
}

// A DO made in an instance type, which the ICD writes, takes a name SCL
// holds for it instead of its creator's "DO_" + number.
void NameForScl(CKiln_Main& app, const URI_Ref& lnType, const URI_Ref& made) {
    const CString name = NameOf(app, made);
    const CString free = core::FreeDoName(app, lnType, name, made);
    if (free != name) app.DocMtd_Modify_attribute_value(made, core::kRoleName, free);
}

// The candidates of an instance type's member command, in the order offered.
bool Candidates(Creation& c, const MemberRow& row, const URI_Ref& stdClass, std::vector<URI_Ref>& out) {
    CKiln_Main& app = c.f.app;
    const CString command = c.f.command;
    if (command == "ICD:Add DO") {
        std::vector<URI_Ref> packages;
        URI_Ref cls = stdClass;
        return app.Get_DOs_of_Std_LNType(out, packages, cls);
    }
    URI_Ref last;
    if (command == "ICD:Add expand DO") {
        std::vector<URI_Ref> packages;
        app.Get_Depend_TypePackage(FirstOf(app, c.parent, "sec:LNodeType.TypePackage"), &packages, false);
        std::set<std::string> seen;  // a dependency chain that loops is walked once
        for (const URI_Ref& p : packages) {
            if (!seen.insert(p.sUri).second) break;
            std::vector<URI_Ref> types;
            app.DocMtd_get_descendent_BUris(p, "sec:TypePackage.DOTypes", types, last, core::kRoleOrd,
                                            SortPolicy_ByOrd);
            out.insert(out.end(), types.begin(), types.end());
        }
        return true;
    }
    return app.DocMtd_get_descendent_BUris(stdClass, row.listRole, out, last, core::kRoleOrd, SortPolicy_ByOrd) != 0;
}

}  // namespace

Next AddType(Creation& c) {
    CKiln_Main& app = c.f.app;
    const TypeRow* row = nullptr;
    for (const TypeRow& r : kTypes)
        if (c.f.command == r.command) row = &r;
    if (!row) return Next::Leave;
    if (!app.Is_InstType(c.parent))
        return (app.*(row->create))(&c.f.newRsc, c.parent) ? Next::CommonEnd : Next::Leave;

    if (!app.SetEditPackList_forType(&c.f.pack, c.parent, "", row->listRole, "", "false")) return Next::Leave;
    if (c.f.pack.vList.GetSize() == 0) {
        Notice(CString("没有发现标准") + row->word + "类型！");
        return Next::Leave;
    }
    CString answer;
    if (!app.Mtd_SingleInputBox(CString("选择被实例化的标准") + row->word + "类型：", answer, &c.f.pack, false))
        return Next::Leave;
    const URI_Ref stdType = app.DocMtd_TestBy_URIRef(answer);
    if (stdType.IsEmpty()) return Next::Leave;
    if (!app.GetType_FromStandard(stdType, c.parent, &c.f.newRsc, true, "")) {
        Refresh(app, 0);
        return Next::Leave;
    }
    EndWaitCursor();
    return Next::CommonEnd;
}

Next AddMember(Creation& c) {
    CKiln_Main& app = c.f.app;
    const MemberRow* row = nullptr;
    for (const MemberRow& r : kMembers)
        if (c.f.command == r.command) row = &r;
    if (!row) return Next::Leave;
    const URI_Ref type = c.parent;
    const bool instance = app.Is_InstType(c.parent);
    const bool isDO = c.parent.sClass == "sec:LNodeType";

    bool freeExtension = false;
    if (c.f.command == "ICD:Add Ext-DO" && instance)
        freeExtension = app.DocMtd_getFirstValue_ofAsso(type, "sec:LNodeType.TypePackage/sec:TypePackage.ICD",
                                                        "sec:ICD.extDOFreely") != "false";
    if (!instance || freeExtension) {
        if (!(app.*(row->create))(&c.f.newRsc, type, "")) return Next::Leave;
        if (isDO) MarkDirectDO(app, type, c.f.newRsc);
        if (freeExtension) NameForScl(app, type, c.f.newRsc);
        return Next::CommonEnd;
    }
    if (CString(row->listRole).IsEmpty()) return Next::Leave;  // Ext-DO where the ICD forbids it: nothing

    std::vector<URI_Ref> present;
    URI_Ref last;
    if (app.DocMtd_get_descendent_BUris(type, row->listRole, present, last, core::kRoleOrd, SortPolicy_ByOrd) == 0)
        return Next::Leave;
    std::set<CString> taken;
    for (const URI_Ref& m : present) taken.insert(NameOf(app, m));

    const URI_Ref stdClass = FirstOf(app, type, row->classRole);
    if (stdClass.IsEmpty()) {
        Notice(CString("未指定标准") + row->classWord + "！");
        return Next::Leave;
    }
    std::vector<URI_Ref> candidates;
    if (!Candidates(c, *row, stdClass, candidates)) return Next::Leave;
    for (URI_Ref& cand : candidates)
        if (!taken.count(NameOf(app, cand))) c.f.pack.Add_ListItem(app.GetRscText(cand, false), CString(cand.sUri));
    if (c.f.pack.vList.GetSize() == 0) {
        Notice(CString(row->classWord) + "中没有可加入的" + row->memberWord + "！");
        return Next::Leave;
    }
    CString answer;
    if (!app.Mtd_SingleInputBox(CString("选择要加入的") + row->memberWord + "：", answer, &c.f.pack, false))
        return Next::Leave;
    if (answer.IsEmpty()) return Next::CommonEnd;
    URI_Ref chosen = app.DocMtd_TestBy_URIRef(answer);
    if (chosen.IsEmpty()) return Next::Leave;

    if (c.f.command == "ICD:Add expand DO") {
        if (app.NewRsc_DO(&c.f.newRsc, type, "")) {
            app.DocMtd_add_Association(c.f.newRsc, "sec:DO.DefinedBy_DOType", chosen);
            app.DocMtd_Modify_attribute_value(c.f.newRsc, "sec:DO.SemanticNs", "扩展");
            NameForScl(app, type, c.f.newRsc);
        }
    } else {
        URI_Ref instType = type;
        app.Add_InstMember_byStd(instType, chosen, c.f.newRsc, "");
    }
    EndWaitCursor();
    return Next::CommonEnd;
}

}  // namespace kiln::commands
