// The tree handlers beside the content: class icons, item texts, clicks
// that show an item in the property views, and drops of information items
// on groups and of instance types on instance packages.
#include "core/kiln_main.h"
#include "platform/ui/ui_functions.h"
#include "views/view_helpers.h"

namespace {

struct ClassIcon {
    const char* key;
    int icon;
};

// In registration order; "sec:TypePackage" comes first and depends on the view.
constexpr ClassIcon kIcons[] = {
    {"类型配置", 222},       {"LN类型", 197},          {"DO类型", 198},           {"DA类型", 199},
    {"Enum类型", 200},       {"名称语义", 246},        {"DO名称语义", 228},       {"DA名称语义", 231},
    {"sec:ICD", 195},        {"sec:IED", 196},         {"sec:LDevice", 201},      {"sec:LNode", 202},
    {"sec:DOI", 213},        {"sec:DAI", 212},         {"sec:DataSet", 208},      {"sec:FCDA", 209},
    {"sec:SGCB", 206},       {"sec:SettingGroup", 203}, {"sec:SettingData", 211}, {"sec:Log", 207},
    {"sec:LCB", 205},        {"sec:RCB", 204},         {"sec:ClientLN", 227},     {"sec:ExtRef", 210},
    {"sec:LNodeType", 134},  {"sec:DOType", 219},      {"sec:DAType", 220},       {"sec:EnumType", 221},
    {"sec:DO", 215},         {"sec:SDO", 216},         {"sec:DA", 136},           {"sec:BDA", 214},
    {"sec:EnumVal", 141},    {"sec:Val", 217},         {"sec:ITB", 223},          {"sec:InfoItem", 224},
    {"sec:M2I", 225},        {"sec:MapItem", 226},     {"sec:DOSemantic", 229},   {"sec:DASemantic", 230},
    {"sec:ProductPackage", 247}, {"sec:Product", 248},
};

// The association that ties a dragged instance type to a package dropped on.
const char* PackageRoleOf(const std::string& dragged, const std::string& target) {
    if (target != "sec:TypePackage") return nullptr;
    if (dragged == "sec:LNodeType") return "sec:LNodeType.TypePackage";
    if (dragged == "sec:DOType") return "sec:DOType.TypePackage";
    if (dragged == "sec:DAType") return "sec:DAType.TypePackage";
    return nullptr;
}

}  // namespace

bool CKiln_Main::TreeMsg_OnPresetClassIcons(CBase_Cmd* pView) {
    CBase_AppCim::TreeMsg_OnPresetClassIcons(pView);
    const bool user = pView && pView->m_sID == kView_TreeUser;
    TreeMtd_Add_a_ClassIcon(pView, "sec:TypePackage", user ? 222 : 194);
    for (const ClassIcon& c : kIcons) TreeMtd_Add_a_ClassIcon(pView, c.key, c.icon);
    return true;
}

bool CKiln_Main::TreeMsg_OnGetRscText(CBase_Cmd* pView, Struct_ItemDesc* pItem, CString* pText) {
    if (!pItem || !pText) return false;
    if (pItem->uRsc.sClass.rfind("dEnv:", 0) == 0) return CBase_AppCim::TreeMsg_OnGetRscText(pView, pItem, pText);
    // A folder keeps its own text; only resource items show their resource.
    if (kiln::views::IsFolderItem(*pItem) && !pItem->sText3.IsEmpty()) {
        *pText = pItem->sText3;
        return true;
    }
    *pText = GetRscText(pItem->uRsc, true);
    return true;
}

bool CKiln_Main::TreeMsg_OnClick(CBase_Cmd*, Struct_ItemDesc* pItem) {
    if (!pItem || pItem->uRsc.sClass.empty()) return true;
    if (!m_Doc.cim_cfg().m_bSyncViews) return true;
    const CString& key = pItem->sText4;
    if (m_pHtmlPropView) {
        if (pItem->uRsc.sClass == "sec:TypePackage") {
            // The package's folders open its page at their own anchor.
            const bool own = key.Find("类型") >= 0 || key == "DO名称语义" || key == "DA名称语义";
            HtmlMtd_LocateNow(m_pHtmlPropView, pItem->uRsc, key, own ? key : CString("HeadLine"), true);
        } else {
            m_pHtmlPropView->Mtd_ShowRsc(pItem->uRsc, 0);
        }
    }
    CBase_Cmd* second = Mtd_View_of_sID(kView_Html2);
    if (second && second->Mtd_HasWindow()) second->Mtd_ShowRsc(URI_Ref(), 0);
    return true;
}

bool CKiln_Main::TreeMsg_OnEndDrag(CBase_Cmd*, Struct_ItemDesc* pDragged, Struct_ItemDesc* pTarget) {
    if (!pDragged || !pTarget) return false;
    URI_Ref dragged = pDragged->uRsc;
    URI_Ref target = pTarget->uRsc;
    if (dragged.sClass == "sec:InfoItem" && target.sClass == "sec:InfoGroup") {
        if (!kiln::views::DomainEditable(*this, dragged)) {
            _AfxMessageBox("当前域不可编辑！-W0049", MB_OK, "", nullptr);
            return false;
        }
        DocMtd_Modify_attribute_value(dragged, "sec:InfoItem.infoGroup", DocMtd_getValue_ofAttr(target, "cim:Naming.name"));
        return false;
    }
    if (!Is_InstType(dragged) || !Is_InstType(target)) return false;
    if (!kiln::views::DomainEditable(*this, dragged)) {
        _AfxMessageBox("当前域不可编辑！-W0050", MB_OK, "", nullptr);
        return false;
    }
    const char* role = PackageRoleOf(dragged.sClass, target.sClass);
    if (!role) return true;
    std::vector<URI_Ref> current;
    if (!DocMtd_get_Association_BUris(dragged, role, current, kiln::core::kRoleOrd, SortPolicy_ByOrd)) return false;
    if (!kiln::views::RelinkAlone(*this, dragged, role, target, current)) return false;
    Mtd_AllViews_Refresh(nullptr, nullptr, ViewClass_Tree);
    Mtd_AllViews_Refresh(nullptr, nullptr, ViewClass_Html);
    return true;
}
