// "ICD:Create LNode by ITB": one logical node of a chosen LN type per
// information item picked in the grid (already mapped items included),
// described by the item's name and with one input named after it. An LLN0
// type where the device has its LLN0, or for more than one item, makes
// nothing; a node numbered onto a taken name takes the first free one.
#include "commands/info_item_commands.h"
#include "commands/info_item_grid_dlg.h"
#include "core/free_node_names.h"
#include "editing/lnode_class.h"

namespace kiln::commands {

Next CreateLNodeByITB(CommandFrame& f) {
    CKiln_Main& app = f.app;
    const URI_Ref ld = f.Current();
    if (ld.sClass != "sec:LDevice") return Next::Leave;
    const URI_Ref icd = IcdOfLDevice(app, ld);
    const URI_Ref itb = FirstOf(app, icd, "sec:ICD.ITB");

    CDlg_ICD_SimpleGrid dlg(true);
    dlg.m_pMain = &app;
    dlg.m_uITB = itb;
    dlg.m_strSortAttr = "sec:InfoItem.p103_grp";
    if (dlg.DoModal() == IDOK) {
        app.SetEditPackList_forType(&f.pack, ld, "sec:LDevice.Server/sec:Server.IED/sec:IED.ICD/sec:ICD.TypePackage",
                                    "sec:TypePackage.LNodeTypes", "", "true");
        if (f.pack.vList.GetSize() == 0) {
            Notice("由于类型包中没有定义除LLN0、LPHD之外的逻辑节点类型，不能增加逻辑节点！");
            return Next::Leave;
        }
        CString answer;
        if (!app.Mtd_SingleInputBox("选择逻辑节点类型：", answer, &f.pack, false)) return Next::Leave;
        if (!answer.IsEmpty()) {
            const URI_Ref type = app.DocMtd_TestBy_URIRef(answer);
            const int count = dlg.m_saNames.GetSize();
            if (count > 0 && RefusedLln0(app, ld, type, count)) return Next::Leave;
            core::CNodeInstances taken(app, ld, editing::LnClassOfType(app, type));
            for (const CString& name : dlg.m_saNames) {
                // A node the creator refused is skipped; the next row goes on.
                URI_Ref node;
                if (!app.NewRsc_LNode(&node, ld, type, true)) continue;
                taken.Free(node);
                app.DocMtd_Modify_attribute_value(node, "cim:Naming.description", name);
                URI_Ref input;
                if (app.NewRsc_ExtRef(&input, node)) app.DocMtd_Modify_attribute_value(input, core::kRoleName, name);
            }
        }
    }
    Refresh(app, 1);
    Refresh(app, 2);
    return Next::CommonEnd;
}

}  // namespace kiln::commands
