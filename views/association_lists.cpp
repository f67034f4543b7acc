// The choice lists of association fields: the clearing row, then the
// targets the field may take, by class and field; a field without a case
// is refused with a message.
#include <string>

#include "platform/mfc/text_funcs.h"
#include "platform/ui/ui_functions.h"
#include "views/property_editor.h"

using kiln::core::kRoleName;
using kiln::core::kRoleOrd;

namespace kiln::views {

namespace {

struct PathCase {
    const char* cls;
    const char* field;
    const char* path;
};

// Group B cases that list the targets of a path from the resource.
constexpr PathCase kPathCasesB[] = {
    {"sec:FCDA", "sec:DARef.LNode",
     "sec:FCDA.DataSet/sec:DataSet.LNode/sec:LNode.LDevice/sec:LDevice.Server/sec:Server.LDevices/"
     "sec:LDevice.LNodes"},
    {"sec:RCB", "sec:RCB.DataSet", "sec:RCB.LNode/sec:LNode.DataSets"},
    {"sec:ClientLN", "sec:ClientLN.LNode",
     "sec:ClientLN.RCB/sec:RCB.LNode/sec:LNode.LDevice/sec:LDevice.Server/sec:Server.LDevices/sec:LDevice.LNodes"},
    {"sec:LCB", "sec:LCB.DataSet", "sec:LCB.LNode/sec:LNode.DataSets"},
    {"sec:LNode", "sec:LNode.MemberOf_LNodeContainer",
     "sec:LNode.LDevice/sec:LDevice.Server/sec:Server.IED/sec:IED.EquipmentContainer/"
     "cim:EquipmentContainer.Contains_Equipments"},
};

class AssoLists {
public:
    AssoLists(CKiln_Main& app, CBase_Cmd* view, const URI_Ref& rsc, const CString& field, Struct_EditPack& pack)
        : m_app(app), m_view(view), m_rsc(rsc), m_field(field), m_pack(pack) {}

    bool Run();

private:
    bool Is(const char* cls, const char* field) const { return m_rsc.sClass == cls && m_field == field; }
    std::optional<bool> GroupA(bool& handled);
    std::optional<bool> GroupB();
    void BaseLDevices(const URI_Ref& pkg);
    bool InstanceTypesOfClass();
    CString NameOf(const URI_Ref& r) { return m_app.DocMtd_getValue_ofAttr(r, kRoleName); }

    CKiln_Main& m_app;
    CBase_Cmd* m_view;
    URI_Ref m_rsc;
    CString m_field;
    Struct_EditPack& m_pack;
};

bool AssoLists::Run() {
    m_pack.nEditKind = 7;
    m_pack.vList.Clear();
    m_pack.Add_ListItem("清除...", "NULL");
    bool handled = false;
    if (m_app.m_nEditLevel == 1) {
        if (auto r = GroupA(handled)) return *r;
    }
    if (m_app.m_nEditLevel > 2) return true;
    if (auto r = GroupB()) return *r;
    if (handled || m_app.m_nEditLevel == 2) return true;
    _AfxMessageBox("不支持对“" + StringAfter(m_field, ":") + "”关联的编辑！", MB_OK, "", nullptr);
    return false;
}

std::optional<bool> AssoLists::GroupA(bool& handled) {
    handled = true;
    if (Is("sec:ProductVer", "sec:ProductVer.ICD")) {
        std::vector<URI_Ref> icds;
        URI_Ref last;
        m_app.DocMtd_get_descendent_BUris(m_rsc, "sec:ProductVer.Product/sec:Product.ICDs", icds, last, kRoleOrd,
                                          SortPolicy_ByOrd);
        for (URI_Ref& icd : icds) m_pack.Add_ListItem(NameOf(icd), CString(icd.sUri));
        return std::nullopt;
    }
    if (Is("sec:TypePackage", "sec:TypePackage.Depend_TypePackage")) {
        m_app.SetEditPack_forDependPackage(&m_pack, m_rsc);
        return std::nullopt;
    }
    if (Is("sec:LDevice", "sec:LDevice.Abstract_LDevice")) {
        const bool isBase = m_app.DocMtd_getValue_ofAttr(m_rsc, "sec:LDevice.isAbstract") == "true";
        const URI_Ref pkg = m_app.DocMtd_getFirstUri_ofAsso(
            m_rsc, isBase ? "sec:LDevice.TypePackage"
                          : "sec:LDevice.Server/sec:Server.IED/sec:IED.ICD/sec:ICD.TypePackage");
        if (pkg.IsEmpty()) return false;
        BaseLDevices(pkg);
        return std::nullopt;
    }
    if (Is("sec:LNodeType", "sec:LNodeType.Abstract_Type")) {
        CString inst = m_app.DocMtd_getValue_ofAttr(m_rsc, "sec:LNodeType.isInstType");
        if (inst.MakeLower() == "false") {
            if (!m_app.SetEditPackList_forType(&m_pack, m_rsc, "sec:LNodeType.TypePackage",
                                               "sec:TypePackage.LNodeTypes", "sec:LNodeType.Derivative_Types",
                                               "false"))
                return false;
            return std::nullopt;
        }
        if (!InstanceTypesOfClass()) return false;
        return std::nullopt;
    }
    if (Is("sec:DO", "sec:DO.DefinedBy_DOType")) {
        if (!m_app.SetEditPackList_forType(&m_pack, m_rsc, "sec:DO.LNodeType/sec:LNodeType.TypePackage",
                                           "sec:TypePackage.DOTypes", "", ""))
            return false;
        return std::nullopt;
    }
    if (Is("sec:SDO", "sec:SDO.DefinedBy_DOType")) {
        if (!m_app.SetEditPackList_forType(&m_pack, m_rsc, "sec:SDO.MemberOf_DOType/sec:DOType.TypePackage",
                                           "sec:TypePackage.DOTypes", "sec:SDO.MemberOf_DOType", ""))
            return false;
        return std::nullopt;
    }
    if (Is("sec:MapItem", "sec:DARef.LNode")) {
        if (!m_app.SetEditPackList_byPath(&m_pack, m_rsc,
                                          "sec:MapItem.M2I/sec:M2I.ICD/sec:ICD.IED/sec:IED.Servers/"
                                          "sec:Server.LDevices/sec:LDevice.LNodes"))
            return false;
        return std::nullopt;
    }
    if (Is("sec:MapItem", "sec:MapItem.InfoItem")) {
        if (!m_app.SetEditPackList_byPath(&m_pack, m_rsc, "sec:MapItem.M2I/sec:M2I.ICD/sec:ICD.ITB/sec:ITB.InfoItems"))
            return false;
        return std::nullopt;
    }
    if (Is("sec:InfoItem", "sec:InfoItem.MapItem")) return OnDemandMapItem(m_app, m_view, m_rsc);
    if (Is("sec:ExtRef", "sec:DARef.LNode")) {
        return m_app.SetEditPackList_byPath(&m_pack, m_rsc,
                                            "sec:ExtRef.LNode/sec:LNode.LDevice/sec:LDevice.Server/"
                                            "sec:Server.LDevices/sec:LDevice.LNodes");
    }
    handled = false;
    return std::nullopt;
}

std::optional<bool> AssoLists::GroupB() {
    if (Is("sec:LNode", "sec:LNode.LNodeType"))
        return m_app.SetEditPackList_forType(
            &m_pack, m_rsc, "sec:LNode.LDevice/sec:LDevice.Server/sec:Server.IED/sec:IED.ICD/sec:ICD.TypePackage",
            "sec:TypePackage.LNodeTypes", "", "true");
    if (Is("sec:ExtRef", "sec:DARef.LNode")) {
        const bool inView1 = m_view && m_view->m_sID == kView_Html1;
        if (!inView1 || m_app.m_uFieldIED.sClass != "sec:IED") {
            _AfxMessageBox("请先从图形上指定要编辑的信号流！", MB_OK, "", nullptr);
            return false;
        }
        return m_app.SetEditPackList_byPath(&m_pack, m_app.m_uFieldIED,
                                            "sec:IED.Servers/sec:Server.LDevices/sec:LDevice.LNodes");
    }
    for (const PathCase& c : kPathCasesB)
        if (Is(c.cls, c.field)) return m_app.SetEditPackList_byPath(&m_pack, m_rsc, c.path);
    if (Is("sec:LCB", "sec:LCB.Log")) {
        const URI_Ref server =
            m_app.DocMtd_getFirstUri_ofAsso(m_app.DocMtd_getFirstUri_ofAsso(m_rsc, "sec:LCB.LNode"),
                                            "sec:LNode.LDevice/sec:LDevice.Server");
        // Without a server there is nothing to list (an empty start would
        // list every resource of a class).
        if (server.IsEmpty()) return true;
        return m_app.SetEditPackList_byPath(&m_pack, server, "sec:Server.LDevices/sec:LDevice.LNodes/sec:LNode.Log");
    }
    return std::nullopt;
}

void AssoLists::BaseLDevices(const URI_Ref& pkg) {
    std::vector<URI_Ref> chain;
    m_app.GetTypePackage_Depended(&chain, pkg, true);
    std::vector<URI_Ref> candidates;
    for (const URI_Ref& p : chain) {
        std::vector<URI_Ref> lds;
        if (m_app.DocMtd_get_Association_BUris(p, "sec:TypePackage.Base_LDevices", lds, kRoleOrd, SortPolicy_ByOrd))
            candidates.insert(candidates.end(), lds.begin(), lds.end());
    }
    for (const URI_Ref& ld : candidates)
        if (ld.sUri != m_rsc.sUri)
            m_pack.Add_ListItem(
                NameOf(ld) + "(" + m_app.DocMtd_getFirstValue_ofAsso(ld, "sec:LDevice.TypePackage", kRoleName) + ")",
                CString(ld.sUri));
}

bool AssoLists::InstanceTypesOfClass() {
    const URI_Ref pkg = m_app.DocMtd_getFirstUri_ofAsso(m_rsc, "sec:LNodeType.TypePackage");
    std::vector<URI_Ref> chain;
    m_app.GetTypePackage_Depended(&chain, pkg, true);
    const char* kClass = "sec:LNodeType.ClassOf_LNType";
    const CString lnClass = m_app.DocMtd_getFirstValue_ofAsso(m_rsc, kClass, kRoleName);
    for (const URI_Ref& p : chain) {
        std::vector<URI_Ref> types;
        if (!m_app.DocMtd_get_Association_BUris(p, "sec:TypePackage.LNodeTypes", types, kRoleOrd, SortPolicy_ByOrd))
            return false;
        const CString pkgName = NameOf(p);
        for (const URI_Ref& t : types) {
            if (m_app.DocMtd_getFirstValue_ofAsso(t, kClass, kRoleName) != lnClass) continue;
            // Neither the type itself nor anything derived from it, at any depth.
            if (m_app.Is_InTheAsso_OR_Self(m_rsc, "sec:LNodeType.Derivative_Types", t)) continue;
            m_pack.Add_ListItem(NameOf(t) + "(" + pkgName + ")", CString(t.sUri));
        }
    }
    return true;
}

}  // namespace

bool AssociationList(CKiln_Main& app, CBase_Cmd* view, const URI_Ref& rsc, const CString& field,
                     Struct_EditPack& pack) {
    return AssoLists(app, view, rsc, field, pack).Run();
}

}  // namespace kiln::views
