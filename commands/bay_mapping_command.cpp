// "ICD:Most Bay To M2I MapItem": the k-th information item picked in the grid
// is mapped onto the node of the chosen name in the k-th logical device,
// counting from the current device in the server's order.
#include <algorithm>
#include <string>
#include <unordered_set>

#include "commands/info_item_commands.h"
#include "commands/info_item_grid_dlg.h"
#include "platform/ui/ui_functions.h"

namespace kiln::commands {
Next MostBayToM2IMapItem(CommandFrame& f) {
    CKiln_Main& app = f.app;
    const URI_Ref ld = f.Current();
    if (ld.sClass != "sec:LDevice") return Next::Leave;
    const int from = LeadingInt(app.DocMtd_getValue_ofAttr(ld, core::kRoleOrd));
    const URI_Ref icd = IcdOfLDevice(app, ld);
    const URI_Ref itb = ItbOrNotice(app, icd);
    if (itb.IsEmpty()) return Next::Leave;
    const std::vector<URI_Ref> items = InOrder(app, itb, "sec:ITB.InfoItems");
    CDlg_ICD_SimpleGrid dlg;
    dlg.m_pMain = &app;
    dlg.m_uITB = itb;
    if (dlg.DoModal() != IDOK) return Next::Leave;

    // The mapping item of each picked item. The command links nodes and
    // gives no DO, so an item without a mapping item gets none (a mapping
    // item without DO maps nothing): it keeps its place as an empty handle,
    // so that the items after it still meet their own devices, and is
    // named. The rows' own items are taken, not the first item of an equal
    // id: ids are empty until the items are numbered, and may repeat.
    std::vector<URI_Ref> links;
    CString unmapped;
    std::unordered_set<std::string> inTable;  // the table's items, looked up once per picked row
    for (const URI_Ref& item : items) inTable.insert(item.sUri);
    for (const URI_Ref& item : dlg.m_vItems) {
        if (!inTable.count(item.sUri)) continue;
        const std::vector<URI_Ref> mapItems = InOrder(app, item, "sec:InfoItem.MapItem");
        links.push_back(mapItems.empty() ? URI_Ref() : mapItems.front());
        if (mapItems.empty())
            unmapped += (unmapped.IsEmpty() ? "" : "\n") + CString("信息“") +
                        app.DocMtd_getValue_ofAttr(item, core::kRoleName) + "”没有映射条目，不能确定DO，未生成映射条目！";
    }
    if (!unmapped.IsEmpty()) _AfxMessageBox(unmapped, MB_OK, "", nullptr);
    if (!links.empty() && std::all_of(links.begin(), links.end(), [](const URI_Ref& l) { return l.IsEmpty(); }))
        return Next::Leave;

    Struct_EditPack pack;
    pack.nEditKind = 7;
    for (const URI_Ref& node : InOrder(app, ld, "sec:LDevice.LNodes")) {
        const CString name = app.DocMtd_getValue_ofAttr(node, core::kRoleName);
        pack.Add_ListItem(name, name);
    }
    CString chosen;
    if (!app.Mtd_SingleInputBox("请选择：", chosen, &pack, false)) return Next::Leave;

    std::vector<URI_Ref> devices;
    for (const URI_Ref& d : InOrder(app, ld, "sec:LDevice.Server/sec:Server.LDevices"))
        if (LeadingInt(app.DocMtd_getValue_ofAttr(d, core::kRoleOrd)) >= from) devices.push_back(d);
    for (size_t k = 0; k < devices.size() && k < links.size(); ++k) {
        if (links[k].IsEmpty()) continue;
        for (const URI_Ref& node : InOrder(app, devices[k], "sec:LDevice.LNodes")) {
            if (app.DocMtd_getValue_ofAttr(node, core::kRoleName) != chosen) continue;
            // The new node takes the place of any the mapping item named.
            for (const URI_Ref& old : InOrder(app, links[k], "sec:DARef.LNode"))
                app.DocMtd_del_Association(links[k], "sec:DARef.LNode", old);
            app.DocMtd_add_Association(links[k], "sec:DARef.LNode", node);
            break;
        }
    }
    return Next::CommonEnd;
}

}  // namespace kiln::commands
