// The content of the model trees: the top level of each tree, the children
// of a resource item and of a folder item, information items by group, and
// the item builders. Every expansion queries the document anew.
#include <algorithm>
#include <string>
#include <string_view>
#include <unordered_map>

#include "core/itb_rules.h"
#include "core/kiln_main.h"
#include "core/type_nesting.h"
#include "views/view_helpers.h"

using kiln::core::kRoleName;
using kiln::core::kRoleOrd;

namespace {

using ItemList = std::vector<Struct_ItemDesc>;

bool IsModelTree(const CString& sid) {
    return sid == kView_TreeUser || sid == kView_TreePreset || sid == kView_TreeICDPreset2 ||
           sid == kView_TreeICDPreset;
}

// Paths that reach types, ICDs or products list their targets by name;
// every other path by sibling order.
Enum_SortPolicy PolicyOfPath(const CString& path) {
    for (const char* byName : {".LNodeType", ".DOType", ".DAType", ".ICD", ".Product"})
        if (path.Find(byName) >= 0) return SortPolicy_ByName;
    return SortPolicy_ByOrd;
}

// Where the items of a class lie on a walk of types: the members of types
// and the instances that follow them (Member), the types (Type), none
// (Off). An item of one that carries no step begins a walk; what it opens
// is a step of that walk.
enum class WalkPlace { Off, Member, Type };

WalkPlace PlaceOnWalk(const std::string& cls) {
    static const std::unordered_map<std::string, WalkPlace> kPlaces = {
        {"sec:DO", WalkPlace::Member},    {"sec:SDO", WalkPlace::Member}, {"sec:DA", WalkPlace::Member},
        {"sec:BDA", WalkPlace::Member},   {"sec:DOI", WalkPlace::Member}, {"sec:SDI", WalkPlace::Member},
        {"sec:DAI", WalkPlace::Member},   {"sec:DOType", WalkPlace::Type}, {"sec:DAType", WalkPlace::Type}};
    const auto it = kPlaces.find(cls);
    return it == kPlaces.end() ? WalkPlace::Off : it->second;
}

// The row that says where a walk stopped: a line of its own, opening nothing.
void AddStopRow(CKiln_Main& app, ItemList* out, const CString& text) {
    Struct_ItemDesc item;
    app.TreeMtd_SetItemDetail(&item, URI_Ref(), "类型嵌套", text, false, "", "", true, 0);
    out->push_back(std::move(item));
}

// The row that says the walks have spent their budget, once a generation.
void SaySpent(CKiln_Main& app, kiln::core::TypeWalkSteps& walks, ItemList* out) {
    if (!walks.SaidSpent()) AddStopRow(app, out, walks.SpentText());
}

// Whether the item at `step` opens: false, with the row that says why where
// one is due, once the walks have spent their budget or for a type it
// cannot enter.
bool OpensOnWalk(CKiln_Main& app, kiln::core::TypeWalkSteps& walks, size_t step, WalkPlace place,
                 const Struct_ItemDesc& item, ItemList* out) {
    if (walks.Spent()) {
        SaySpent(app, walks, out);
        return false;
    }
    if (place != WalkPlace::Type) return true;
    const CString stop = walks.Enter(app, step, item.uRsc);
    if (stop.IsEmpty()) return true;
    stop == walks.SpentText() ? SaySpent(app, walks, out) : AddStopRow(app, out, stop);
    return false;
}

// Makes the items from `first` on steps below `step`, each an entry of the
// budget; where it ends, the rest give way to the row that says so.
void TakeSteps(CKiln_Main& app, kiln::core::TypeWalkSteps& walks, size_t step, size_t first, ItemList* out) {
    for (size_t i = first; i < out->size(); ++i) {
        const size_t below = walks.Take(step);
        if (below == 0) {
            out->resize(i);
            SaySpent(app, walks, out);
            return;
        }
        (*out)[i].nInt2 = static_cast<int>(below);
        (*out)[i].nInt3 = walks.Generation();
    }
}

class TreeFiller {
public:
    TreeFiller(CKiln_Main& app, ItemList* out) : m_app(app), m_out(out) {}

    void Folder(const URI_Ref& rsc, const CString& key, const CString& text, const CString& label) {
        Struct_ItemDesc item;
        m_app.TreeMtd_SetItemDetail(&item, rsc, key, text, true, label, "", true, 0);
        m_out->push_back(item);
    }
    void Path(URI_Ref rsc, const CString& path, bool flag = true, const CString& prefix = "") {
        m_app.AddTreeItems_byAssoPath_ICD(m_out, rsc, path, prefix, flag);
    }

    void TopLevel(const CString& sid);
    void OfResource(const Struct_ItemDesc& parent);
    void OfFolder(const Struct_ItemDesc& parent);

private:
    bool Has(const URI_Ref& rsc, const CString& role) { return m_app.DocMtd_getFirstUri_ofAsso(rsc, role).IsSet(); }
    void TypePackage(URI_Ref pkg);
    void GroupMembers(const URI_Ref& group);
    void Ungrouped(const URI_Ref& itb);
    // The information items of the ITB, in order, whose group name passes `keep`.
    template <typename Keep>
    void ItemsWhere(const URI_Ref& itb, Keep keep) {
        std::vector<URI_Ref> items;
        if (!m_app.DocMtd_get_Association_BUris(itb, "sec:ITB.InfoItems", items, kRoleOrd, SortPolicy_ByOrd)) return;
        for (URI_Ref& item : items)
            if (keep(m_app.DocMtd_getValue_ofAttr(item, "sec:InfoItem.infoGroup")))
                m_app.SetTreeItem_ByUri_ICD(m_out, item, "", true);
    }

    CKiln_Main& m_app;
    ItemList* m_out;
};

void TreeFiller::TopLevel(const CString& sid) {
    std::vector<URI_Ref> list;
    if (sid == kView_TreeICDPreset) {
        // Only standard packages that belong to no ICD.
        if (!m_app.DocMtd_get_Uris_byClassName_sortName("sec:TypePackage", list, "", SortPolicy_ByName)) return;
        for (URI_Ref& pkg : list)
            if (!Has(pkg, "sec:TypePackage.ICD") && !m_app.Is_InstType(pkg))
                m_app.SetTreeItem_ByUri_ICD(m_out, pkg, "", true);
        return;
    }
    if (m_app.DocMtd_get_Uris_byClassName_sortName("sec:ProductPackage", list, "", SortPolicy_ByName))
        m_app.SetTreeItems_ByUris_ICD(m_out, list, "", true);
    list.clear();
    if (m_app.DocMtd_get_Uris_byClassName_sortName("sec:ICD", list, "", SortPolicy_ByName))
        for (URI_Ref& icd : list)
            if (!Has(icd, "sec:ICD.Product")) m_app.SetTreeItem_ByUri_ICD(m_out, icd, "", true);
    list.clear();
    if (m_app.DocMtd_get_Uris_byClassName_sortName("sec:TypePackage", list, "", SortPolicy_ByName))
        for (URI_Ref& pkg : list)
            if (!Has(pkg, "sec:TypePackage.ICD") && m_app.Is_InstType(pkg))
                m_app.SetTreeItem_ByUri_ICD(m_out, pkg, "", true);
}

void TreeFiller::TypePackage(URI_Ref pkg) {
    const bool inst = m_app.Is_InstType(pkg);
    Folder(pkg, "LN类型", "LN类", "LN类型");
    if (inst)
        Folder(pkg, "DO类型", "DO类型", "DO类型");
    else
        Folder(pkg, "DO类型", "CDC类", "CDC类");
    Folder(pkg, "DA类型", "DA类", "DA类型");
    if (inst && !Has(pkg, "sec:TypePackage.ICD")) Folder(pkg, "LD类型", "LD类型", "LD类型");
    Folder(pkg, "Enum类型", "枚举值类", "枚举值类");
    if (!inst) Folder(pkg, "名称语义", "语义字典", "名称语义");
}

void TreeFiller::GroupMembers(const URI_Ref& group) {
    const CString name = m_app.DocMtd_getValue_ofAttr(group, kRoleName);
    const URI_Ref itb = m_app.DocMtd_getFirstUri_ofAsso(group, "sec:InfoGroup.ITB");
    if (itb.IsEmpty()) return;
    ItemsWhere(itb, [&](const CString& g) { return kiln::core::InInfoGroup(g, name); });
}

void TreeFiller::Ungrouped(const URI_Ref& itb) {
    std::vector<URI_Ref> groups;
    std::vector<CString> names;
    if (m_app.DocMtd_get_Association_BUris(itb, "sec:ITB.InfoGroups", groups, kRoleOrd, SortPolicy_ByOrd))
        for (const URI_Ref& g : groups) names.push_back(m_app.DocMtd_getValue_ofAttr(g, kRoleName));
    ItemsWhere(itb, [&](const CString& g) {
        return std::none_of(names.begin(), names.end(), [&](const CString& name) { return kiln::core::InInfoGroup(g, name); });
    });
}

void TreeFiller::OfResource(const Struct_ItemDesc& parent) {
    const URI_Ref rsc = parent.uRsc;
    const std::string_view cls = rsc.sClass;
    if (cls == "sec:ProductPackage") {
        Path(rsc, "sec:ProductPackage.Products");
    } else if (cls == "sec:Product") {
        Path(rsc, "sec:Product.ICDs");
    } else if (cls == "sec:TypePackage") {
        TypePackage(rsc);
    } else if (cls == "sec:LNodeType") {
        Path(rsc, "sec:LNodeType.DOs");
    } else if (cls == "sec:DOType") {
        Path(rsc, "sec:DOType.Contains_SDOs");
        Path(rsc, "sec:DOType.Contains_DAs");
    } else if (cls == "sec:DAType") {
        Path(rsc, "sec:DAType.Contains_BDAs");
    } else if (cls == "sec:DO") {
        Path(rsc, "sec:DO.DefinedBy_DOType");
    } else if (cls == "sec:SDO") {
        Path(rsc, "sec:SDO.DefinedBy_DOType");
    } else if (cls == "sec:DA" || cls == "sec:BDA") {
        Path(rsc, "sec:BDA.DefinedBy_Struct");
        Path(rsc, "sec:BDA.DefinedBy_EnumType");
        Path(rsc, "sec:BDA.Vals");
    } else if (cls == "sec:EnumType") {
        Path(rsc, "sec:EnumType.EnumVals");
    } else if (cls == "sec:ICD") {
        Path(rsc, "sec:ICD.IED");
        const URI_Ref pkg = m_app.DocMtd_getFirstUri_ofAsso(rsc, "sec:ICD.TypePackage");
        if (pkg.IsSet()) Folder(pkg, "类型配置", "类型配置", "");
        Path(rsc, "sec:ICD.ITB");
        Path(rsc, "sec:ICD.M2I");
        if (Has(rsc, "sec:ICD.ProductVers")) Folder(rsc, "软件版本", "软件版本", "");
    } else if (parent.sText2 == "InfoItemUnGroup") {
        Ungrouped(rsc);
    } else if (cls == "sec:ITB") {
        Path(rsc, "sec:ITB.InfoGroups");
        Folder(rsc, "sec:ITB", "未分组", "InfoItemUnGroup");
    } else if (cls == "sec:InfoGroup") {
        GroupMembers(rsc);
    } else if (cls == "sec:M2I") {
        Path(rsc, "sec:M2I.MapItems");
    } else if (cls == "sec:IED") {
        const URI_Ref list = m_app.DocMtd_getFirstUri_ofAsso(rsc, "sec:IED.SignalLists");
        if (list.IsSet()) Folder(list, CString(list.sClass), "信号列表", "");
        Path(rsc, "sec:IED.Servers/sec:Server.LDevices");
    } else if (cls == "sec:SignalList") {
        Path(rsc, "sec:SignalList.InSignals", false);
        Path(rsc, "sec:SignalList.OutSignals", false);
    } else if (cls == "sec:LDevice") {
        Path(rsc, "sec:LDevice.LNodes");
    } else if (cls == "sec:LNode") {
        for (const char* role : {"sec:LNode.LNodeType", "sec:LNode.Log", "sec:LNode.SGCB", "sec:LNode.DataSets",
                                 "sec:LNode.LCBs", "sec:LNode.RCBs", "sec:LNode.DOIs"})
            Path(rsc, role);
        Path(rsc, "sec:LNode.ExtRefs", true, "外部输入");
        Path(rsc, "sec:LNode.CBs", false);
    } else if (cls == "sec:DOI") {
        Path(rsc, "sec:DOI.DOType");
        Path(rsc, "sec:DOI.SDIs");
        Path(rsc, "sec:DOI.DAIs");
    } else if (cls == "sec:SDI") {
        Path(rsc, "sec:SDI.DAIs");
    } else if (cls == "sec:DAI") {
        Path(rsc, "sec:DAI.DAType");
        Path(rsc, "sec:DAI.Vals");
    } else if (cls == "sec:Log") {
        Path(rsc, "sec:Log.LCBs");
    } else if (cls == "sec:LCB") {
        Path(rsc, "sec:LCB.DataSet");
    } else if (cls == "sec:DataSet") {
        Path(rsc, "sec:DataSet.FCDAs");
    } else if (cls == "sec:FCDA") {
        Path(rsc, "sec:FCDA.DA");
        Path(rsc, "sec:FCDA.DO");
    } else if (cls == "sec:RCB") {
        Path(rsc, "sec:RCB.DataSet");
        Path(rsc, "sec:RCB.ClientLNs");
    } else if (cls == "sec:SGCB") {
        Path(rsc, "sec:SGCB.SettingGroups");
    } else if (cls == "sec:SettingGroup") {
        Path(rsc, "sec:SettingGroup.SettingDatas");
    }
}

void TreeFiller::OfFolder(const Struct_ItemDesc& parent) {
    const URI_Ref rsc = parent.uRsc;
    const CString& key = parent.sText4;
    if (key == "软件版本") {
        Path(rsc, "sec:ICD.ProductVers");
    } else if (key == "LN类型") {
        Path(rsc, "sec:TypePackage.LNodeTypes");
    } else if (key == "DO类型") {
        Path(rsc, "sec:TypePackage.DOTypes");
    } else if (key == "DA类型") {
        Path(rsc, "sec:TypePackage.DATypes");
    } else if (key == "LD类型") {
        Path(rsc, "sec:TypePackage.Base_LDevices");
    } else if (key == "类型配置") {
        Folder(rsc, "LN类型", "LN类配置", "LN类型");
        Folder(rsc, "DO类型", "DO类配置", "DO类型");
        Folder(rsc, "DA类型", "DA类配置", "DA类型");
        Folder(rsc, "Enum类型", "Enum类配置", "Enum类型");
    } else if (key == "Enum类型") {
        Path(rsc, "sec:TypePackage.EnumTypes");
    } else if (key == "名称语义") {
        Folder(rsc, "DO名称语义", "DO名称语义", "DO名称语义");
        Folder(rsc, "DA名称语义", "DA名称语义", "DA名称语义");
    } else if (key == "DO名称语义") {
        Path(rsc, "sec:TypePackage.DOSemantics");
    } else if (key == "DA名称语义") {
        Path(rsc, "sec:TypePackage.DASemantics");
    }
}

}  // namespace

bool kiln::views::IsFolderItem(const Struct_ItemDesc& item) {
    return item.sText4.Find(":") < 0 || item.sText2 == "InfoItemUnGroup" ||
           (item.sText4 == "sec:SignalList" && item.sText3 == "信号列表");
}

bool CKiln_Main::TreeMsg_OnSetChildItems(CBase_Cmd* pView, Struct_ItemDesc* pParent,
                                         std::vector<Struct_ItemDesc>* pOut) {
    if (!pView || !pOut) return true;
    if (!IsModelTree(pView->m_sID)) {
        if (pView->m_sID == kView_TreeManager) CBase_AppCim::TreeMsg_OnSetChildItems(pView, pParent, pOut);
        return true;
    }
    TreeFiller fill(*this, pOut);
    if (!pParent) {
        m_treeWalks->Clear(kiln::core::kTreeStepsPerResource * static_cast<size_t>(std::max(m_Doc.ResourceCount(), 0)));
        fill.TopLevel(pView->m_sID);
        return true;
    }
    if (pParent->sText4.Find(":") < 0) {
        fill.OfFolder(*pParent);
        return true;
    }
    // Below a member, a type or an instance the tree takes the steps of one
    // walk of types: each item an entry of the budget the walks of the tree
    // share since it was filled from its top, each type entered along its
    // path. Where a walk stops a row says so: the budget once, a type past
    // the bound or in a circle at its place.
    kiln::core::TypeWalkSteps& walks = *m_treeWalks;
    size_t step = walks.Valid(pParent->nInt2, pParent->nInt3);
    const WalkPlace place = PlaceOnWalk(pParent->uRsc.sClass);
    if (step == 0 && place != WalkPlace::Off) step = walks.Begin();
    if (step != 0 && !OpensOnWalk(*this, walks, step, place, *pParent, pOut)) return true;
    const size_t first = pOut->size();
    fill.OfResource(*pParent);
    if (step != 0) TakeSteps(*this, walks, step, first, pOut);
    return true;
}

bool CKiln_Main::AddTreeItems_byAssoPath_ICD(std::vector<Struct_ItemDesc>* pOut, URI_Ref& parent, CString path,
                                             CString prefix, bool bFlag) {
    const Enum_SortPolicy policy = PolicyOfPath(path);
    std::vector<URI_Ref> targets;
    URI_Ref last;
    if (DocMtd_get_descendent_BUris(parent, path, targets, last, policy == SortPolicy_ByName ? kRoleName : kRoleOrd,
                                    policy) == 0)
        return false;
    return SetTreeItems_ByUris_ICD(pOut, targets, prefix, bFlag);
}

bool CKiln_Main::SetTreeItems_ByUris_ICD(std::vector<Struct_ItemDesc>* pOut, std::vector<URI_Ref>& list,
                                         CString prefix, bool bFlag) {
    if (pOut) pOut->reserve(pOut->size() + list.size());
    for (URI_Ref& rsc : list) SetTreeItem_ByUri_ICD(pOut, rsc, prefix, bFlag);
    return true;
}

bool CKiln_Main::SetTreeItem_ByUri_ICD(std::vector<Struct_ItemDesc>* pOut, URI_Ref& rsc, CString prefix,
                                       bool bFlag) {
    if (!pOut) return false;
    Struct_ItemDesc item;
    TreeMtd_SetItemDetail(&item, rsc, CString(rsc.sClass), prefix + GetRscText(rsc, true), bFlag, "", "", true, 0);
    pOut->push_back(std::move(item));
    return true;
}

int CKiln_Main::DocMtd_get_descendent_BUris_mySelf(URI_Ref& start, CString path, std::vector<URI_Ref>& out,
                                                   URI_Ref& except) {
    const int slash = path.Find("/");
    const CString head = slash < 0 ? path : path.Left(slash);
    const CString rest = slash < 0 ? CString() : path.Mid(slash + 1);
    std::vector<URI_Ref> targets;
    if (!DocMtd_get_Association_BUris(start, head, targets, kRoleOrd, SortPolicy_ByOrd)) return 0;
    if (slash < 0) {
        for (const URI_Ref& t : targets)
            if (except.IsEmpty() || t.sUri != except.sUri) out.push_back(t);
        return 1;
    }
    for (URI_Ref& t : targets) DocMtd_get_descendent_BUris_mySelf(t, rest, out, except);
    return 1;
}
