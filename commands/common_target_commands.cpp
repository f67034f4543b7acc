// "ICD:Appoint To SameLNode", "ICD:Appoint To SameDO" and "ICD:Appoint To
// SameDA": the mapping items of the information items picked in the grid
// (one is made where an item has none) receive one chosen logical node, DO
// name or attribute path wherever theirs is missing; none is overwritten.
// A command that ends without filling (refused or cancelled) takes the
// mapping items it made back.
#include "commands/info_item_commands.h"
#include "commands/info_item_grid_dlg.h"
#include "core/scl_names.h"

#include <algorithm>

namespace kiln::commands {
namespace {

constexpr const char* kSameLNode = "ICD:Appoint To SameLNode";
constexpr const char* kSameDO = "ICD:Appoint To SameDO";
constexpr const char* kSameDA = "ICD:Appoint To SameDA";
// The value of the blank row of the DO and attribute lists: it fills nothing.
constexpr const char* kBlank = "NULL";

// The mapping items of the picked items, in the table's order; an item
// without one gets one (a refused creation adds nothing), also kept in `made`.
std::vector<URI_Ref> PickedMapItems(CKiln_Main& app, const URI_Ref& m2i, const URI_Ref& itb, bool showAll,
                                    std::vector<URI_Ref>& made) {
    CDlg_ICD_SimpleGrid dlg(showAll);
    dlg.m_pMain = &app;
    dlg.m_uITB = itb;
    const std::vector<URI_Ref> items = InOrder(app, itb, "sec:ITB.InfoItems");
    std::vector<URI_Ref> out;
    if (dlg.DoModal() != IDOK) return out;
    // The rows hand back their items: ids may be empty or shared.
    for (const URI_Ref& item : items) {
        if (std::find(dlg.m_vItems.begin(), dlg.m_vItems.end(), item) == dlg.m_vItems.end()) continue;
        std::vector<URI_Ref> mapItems = InOrder(app, item, "sec:InfoItem.MapItem");
        if (mapItems.empty()) {
            URI_Ref mapItem;
            if (app.NewRsc_MapItem(&mapItem, m2i, item)) {
                mapItems.push_back(mapItem);
                made.push_back(mapItem);
            }
        }
        out.insert(out.end(), mapItems.begin(), mapItems.end());
    }
    return out;
}

// Asks "请选择：" with the list; false when cancelled or the blank row was chosen.
bool Choose(CKiln_Main& app, Struct_EditPack& pack, CString& chosen) {
    return app.Mtd_SingleInputBox("请选择：", chosen, &pack, false) && chosen != kBlank;
}

bool AppointLNode(CKiln_Main& app, const URI_Ref& icd, const std::vector<URI_Ref>& mapItems) {
    Struct_EditPack pack;
    pack.nEditKind = 7;
    app.SetEditPackList_byPath(&pack, icd, "sec:ICD.IED/sec:IED.Servers/sec:Server.LDevices/sec:LDevice.LNodes");
    CString chosen;
    if (pack.vList.GetSize() == 0 || !Choose(app, pack, chosen)) return false;
    const URI_Ref node = app.DocMtd_TestBy_URIRef(chosen);
    if (node.IsEmpty()) return false;
    for (const URI_Ref& mi : mapItems)
        if (FirstOf(app, mi, "sec:DARef.LNode").IsEmpty()) app.DocMtd_add_Association(mi, "sec:DARef.LNode", node);
    return true;
}

// Writes the chosen text into every mapping item whose attribute is empty.
void FillEmpty(CKiln_Main& app, const std::vector<URI_Ref>& mapItems, const CString& role, const CString& value) {
    for (const URI_Ref& mi : mapItems)
        if (app.DocMtd_getValue_ofAttr(mi, role).IsEmpty()) app.DocMtd_Modify_attribute_value(mi, role, value);
}

bool AppointDO(CKiln_Main& app, const URI_Ref& node, const std::vector<URI_Ref>& mapItems) {
    std::vector<URI_Ref> chain;
    app.Get_AbstractTypes(FirstOf(app, node, "sec:LNode.LNodeType"), &chain, "sec:LNodeType.Abstract_Type");
    Struct_EditPack pack;
    pack.nEditKind = 7;
    for (const URI_Ref& type : chain) {
        const std::vector<URI_Ref> dos = InOrder(app, type, "sec:LNodeType.DOs");
        if (dos.empty()) return false;
        pack.Add_ListItem("  ", kBlank);
        for (const URI_Ref& d : dos) {
            const CString name = app.DocMtd_getValue_ofAttr(d, core::kRoleName);
            pack.Add_ListItem(name, name);
        }
    }
    CString chosen;
    if (!Choose(app, pack, chosen)) return false;
    FillEmpty(app, mapItems, "sec:DARef.doName", chosen);
    return true;
}

bool AppointDA(CKiln_Main& app, URI_Ref node, const std::vector<URI_Ref>& mapItems) {
    const CString doName = app.DocMtd_getValue_ofAttr(mapItems.front(), "sec:DARef.doName");
    if (doName.IsEmpty()) {
        Notice("请先指定DO！");
        return false;
    }
    URI_Ref dataObject = app.Get_DO_Dfn(node, doName);
    if (dataObject.IsEmpty()) {
        Notice("非法DO名称！");
        return false;
    }
    Struct_DAs_ofDO members;
    if (!app.Get_DAs_ofDO_ToChoose(dataObject, members)) return false;
    Struct_EditPack pack;
    pack.nEditKind = 7;
    pack.Add_ListItem("  ", kBlank);
    // A row shows the functional constraints; the name SCL gives is written.
    for (const Struct_DAItem& m : members.vDAs)
        pack.Add_ListItem(m.sPath, kiln::core::WithoutConstraints(m.sPath.str()).c_str());
    CString chosen;
    if (!Choose(app, pack, chosen)) return false;
    // An attribute below a sub-data object names the SDOs in the DO name,
    // as the M2I import reads the item back ("PhV.phsA", "cVal.mag.f").
    int sdoEnd = 0;
    for (const Struct_DAItem& m : members.vDAs)
        if (kiln::core::WithoutConstraints(m.sPath.str()) == chosen.str())
            sdoEnd = static_cast<int>(kiln::core::SubObjectsLength(m.sPath.str()));
    for (const URI_Ref& mi : mapItems) {
        if (!app.DocMtd_getValue_ofAttr(mi, "sec:DARef.daName").IsEmpty()) continue;
        if (sdoEnd > 0) {
            const CString doName = app.DocMtd_getValue_ofAttr(mi, "sec:DARef.doName") + "." + chosen.Left(sdoEnd);
            app.DocMtd_Modify_attribute_value(mi, "sec:DARef.doName", doName);
        }
        app.DocMtd_Modify_attribute_value(mi, "sec:DARef.daName", sdoEnd > 0 ? chosen.Mid(sdoEnd + 1) : chosen);
    }
    return true;
}

}  // namespace

Next AppointToSame(CommandFrame& f) {
    CKiln_Main& app = f.app;
    const URI_Ref m2i = f.Current();
    const bool lnode = f.command == kSameLNode, dataObject = f.command == kSameDO, attribute = f.command == kSameDA;
    if (m2i.sClass != "sec:M2I" || !(lnode || dataObject || attribute)) return Next::Leave;
    const URI_Ref icd = FirstOf(app, m2i, "sec:M2I.ICD");
    const URI_Ref itb = FirstOf(app, icd, "sec:ICD.ITB");
    // The DO and attribute commands need items whose mapping already names a
    // node (and a DO): the grid shows those too.
    std::vector<URI_Ref> made;
    const std::vector<URI_Ref> mapItems = PickedMapItems(app, m2i, itb, !lnode, made);
    if (mapItems.empty()) return Next::Leave;

    bool filled = false;
    if (lnode) {
        filled = AppointLNode(app, icd, mapItems);
    } else {
        const URI_Ref node = FirstOf(app, mapItems.front(), "sec:DARef.LNode");
        if (node.IsEmpty()) Notice("请先指定逻辑节点！");
        else filled = dataObject ? AppointDO(app, node, mapItems) : AppointDA(app, node, mapItems);
    }
    if (!filled) {
        for (auto it = made.rbegin(); it != made.rend(); ++it) app.DocMtd_delete_a_Rsc(*it);
        return Next::Leave;
    }
    Refresh(app, 2);
    return Next::CommonEnd;
}

}  // namespace kiln::commands
