// "ICD:Sort InfoItem p103_ent" numbers the entries of the items that share
// the chosen item's 103 type and group 1, 2, 3 ... in the order of their old
// entries; "ICD:Write Desc By ITB" writes the names of items picked in the
// grid as the descriptions of a logical node and the nodes after it.
#include <map>

#include "commands/info_item_commands.h"
#include "commands/info_item_grid_dlg.h"

namespace kiln::commands {

Next SortInfoItemEnt(CommandFrame& f) {
    CKiln_Main& app = f.app;
    const URI_Ref chosen = f.Current();
    if (chosen.sClass != "sec:InfoItem") return Next::Leave;
    const CString typ = app.DocMtd_getValue_ofAttr(chosen, "sec:InfoItem.p103_typ");
    const CString grp = app.DocMtd_getValue_ofAttr(chosen, "sec:InfoItem.p103_grp");
    const URI_Ref itb = FirstOf(app, chosen, "sec:InfoItem.ITB");
    std::vector<URI_Ref> items;
    URI_Ref last;
    app.DocMtd_get_descendent_BUris(itb, "sec:ITB.InfoItems", items, last, core::kRoleOrd, SortPolicy_ByOrd);
    // Old entry -> the items of that entry, in the table's order.
    std::map<int, std::vector<URI_Ref>> byEntry;
    for (const URI_Ref& item : items) {
        if (app.DocMtd_getValue_ofAttr(item, "sec:InfoItem.p103_typ") != typ ||
            app.DocMtd_getValue_ofAttr(item, "sec:InfoItem.p103_grp") != grp)
            continue;
        byEntry[LeadingInt(app.DocMtd_getValue_ofAttr(item, "sec:InfoItem.p103_ent"))].push_back(item);
    }
    // An entry number is one octet: a group past 255 items cannot be
    // numbered, and is left as it is.
    size_t count = 0;
    for (const auto& [entry, group] : byEntry) count += group.size();
    if (count > 255) {
        CString text;
        text.Format("相同Typ和Grp的信息条目有%d个，Ent最多为255，不能排列！", static_cast<int>(count));
        Notice(text);
        return Next::Leave;
    }
    int next = 1;
    for (const auto& [entry, group] : byEntry) {
        for (const URI_Ref& item : group) {
            CString text;
            text.Format("%d", next++);
            app.DocMtd_Modify_attribute_value(item, "sec:InfoItem.p103_ent", text);
        }
    }
    return Next::CommonEnd;
}

Next WriteDescByITB(CommandFrame& f) {
    CKiln_Main& app = f.app;
    const URI_Ref node = f.Current();
    if (node.sClass != "sec:LNode") return Next::Leave;
    const URI_Ref icd = IcdOfLNode(app, node);
    const URI_Ref itb = ItbOrNotice(app, icd);
    if (itb.IsEmpty()) return Next::Leave;
    CDlg_ICD_SimpleGrid dlg;
    dlg.m_pMain = &app;
    dlg.m_uITB = itb;
    dlg.m_strSortAttr = "sec:InfoItem.p103_grp";
    if (dlg.DoModal() == IDOK) {
        std::vector<URI_Ref> nodes;
        URI_Ref last;
        app.DocMtd_get_descendent_BUris(node, "sec:LNode.LDevice/sec:LDevice.LNodes", nodes, last, core::kRoleOrd,
                                        SortPolicy_ByOrd);
        const int from = LeadingInt(app.DocMtd_getValue_ofAttr(node, core::kRoleOrd));
        std::vector<URI_Ref> kept;
        for (const URI_Ref& n : nodes)
            if (LeadingInt(app.DocMtd_getValue_ofAttr(n, core::kRoleOrd)) >= from) kept.push_back(n);
        app.Sort_Reset_Ord(&kept, false, core::kRoleOrd);
        for (int i = 0; i < dlg.m_saNames.GetSize() && i < static_cast<int>(kept.size()); ++i)
            app.DocMtd_Modify_attribute_value(kept[static_cast<size_t>(i)], "cim:Naming.description",
                                              dlg.m_saNames[i]);
    }
    Refresh(app, 2);
    Refresh(app, 1);
    return Next::CommonEnd;
}

}  // namespace kiln::commands
