#include "tests/host/plugin_double.h"

#include <fstream>
#include <utility>

#include "platform/ui/file_dialog.h"
#include "platform/ui/ui_functions.h"

int CPluginDouble::s_nConstructed = 0;
int CPluginDouble::s_nDestroyed = 0;
std::vector<std::string> CPluginDouble::s_vCommands;
bool CPluginDouble::s_bSwallowErrors = false;
std::string CPluginDouble::s_sFaultOnOpen;
std::function<void()> CPluginDouble::s_onCommand;

void CPluginDouble::Reset() {
    s_nConstructed = s_nDestroyed = 0;
    s_vCommands.clear();
    s_bSwallowErrors = false;
    s_sFaultOnOpen.clear();
    s_onCommand = nullptr;
}

namespace {
const char* const kName = "cim:Naming.name";
const char* const kFolderKey = "LN类型";
}  // namespace

bool CPluginDouble::Msg_OnOpenDocument() {
    if (!s_sFaultOnOpen.empty()) m_Doc.InjectFault(s_sFaultOnOpen.c_str());
    if (Get_DomainPrefix_Default().IsEmpty()) {
        _AfxMessageBox("EP格式错误：域名前缀未设置！");
        return false;
    }
    std::vector<URI_Ref> packages;
    DocMtd_get_Uris_byClassName("sec:TypePackage", packages, "", SortPolicy_ByName);
    CString text;
    text.Format("类型包 %d 个", static_cast<int>(packages.size()));
    Mtd_SetStatusBarText(text);
    return true;
}

bool CPluginDouble::Editable(const URI_Ref& rsc) {
    CString domain;
    DocMtd_DEnv_Get_Rsc_Domain(rsc, domain);
    return DocMtd_DEnv_IsDomainEditable(domain);
}

void CPluginDouble::AddItem(std::vector<Struct_ItemDesc>* pOut, const URI_Ref& rsc, const CString& key,
                            const CString& text, const CString& label) {
    Struct_ItemDesc item;
    TreeMtd_SetItemDetail(&item, rsc, key, text, true, label);
    pOut->push_back(item);
}

bool CPluginDouble::TreeMsg_OnSetChildItems(CBase_Cmd* pView, Struct_ItemDesc* pParent,
                                            std::vector<Struct_ItemDesc>* pOut) {
    if (pView->m_sID != "TreeView_User") return CBase_AppCim::TreeMsg_OnSetChildItems(pView, pParent, pOut);
    std::vector<URI_Ref> list;
    if (!pParent) {
        DocMtd_get_Uris_byClassName("sec:TypePackage", list, kName, SortPolicy_ByName);
        for (const auto& r : list) AddItem(pOut, r, r.sClass.c_str(), DocMtd_getValue_ofAttr(r, kName), "");
    } else if (pParent->sKey == "sec:TypePackage") {
        AddItem(pOut, pParent->uRsc, kFolderKey, "LN类", kFolderKey);
    } else if (pParent->sKey == kFolderKey) {
        DocMtd_get_Association_BUris(pParent->uRsc, "sec:TypePackage.LNodeTypes", list, kName, SortPolicy_ByName);
        // An item without a text: the host asks for it.
        for (const auto& r : list) AddItem(pOut, r, r.sClass.c_str(), "", "");
    }
    return true;
}

bool CPluginDouble::TreeMsg_OnGetRscText(CBase_Cmd* pView, Struct_ItemDesc* pItem, CString* pText) {
    if (CString(pItem->uRsc.sClass).Find("dEnv:") == 0) return CBase_AppCim::TreeMsg_OnGetRscText(pView, pItem, pText);
    *pText = DocMtd_getValue_ofAttr(pItem->uRsc, kName);
    return true;
}

bool CPluginDouble::TreeMsg_OnClick(CBase_Cmd*, Struct_ItemDesc* pItem) {
    if (pItem && m_pHtmlPropView) HtmlMtd_LocateNow(m_pHtmlPropView, pItem->uRsc, pItem->sKey, "HeadLine");
    return true;
}

bool CPluginDouble::TreeMsg_OnRClick(CBase_Cmd* pView, Struct_ItemDesc* pItem) {
    ShortMenu(pView, pItem ? pItem->uRsc : URI_Ref());
    return true;
}

bool CPluginDouble::HtmlMsg_OnRClick(CBase_Cmd* pView, URI_Ref rsc, CString, Struct_Pairs*) {
    if (rsc.IsEmpty()) rsc = HtmlMtd_GetCurrentUri(pView);
    if (rsc.IsEmpty()) return false;
    ShortMenu(pView, rsc);
    return true;
}

void CPluginDouble::ShortMenu(CBase_Cmd* pView, const URI_Ref& rsc) {
    CMenu bar, popup;
    bar.CreateMenu();
    popup.CreatePopupMenu();
    Mtd_ShortMenu_Clear();
    if (rsc.IsEmpty()) {
        Mtd_ShortMenu_Append(&popup, "ICD:Add TypePackage", "增加类型包");
        Mtd_ShortMenu_Append(&popup, "ICD:Pick", "选择类型包");
    } else if (rsc.sClass == "sec:TypePackage") {
        Mtd_ShortMenu_Append(&popup, "ICD:Add LNodeType", "增加 LN 类型 ");
        Mtd_ShortMenu_Append(&popup, "_分隔符_", "");
        Mtd_ShortMenu_Append(&popup, "ICD:Export TypePackage", "导出类型包");
        Mtd_ShortMenu_Append(&popup, "ICD:Check", "检查");
        Mtd_ShortMenu_Append(&popup, "ICD:Unknown", "未实现");
    } else {
        Mtd_ShortMenu_Append(&popup, "ICD:Delete", "删除");
    }
    bar.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(popup.m_hMenu), "First");
    popup.m_hMenu = nullptr;  // the bar owns the popup now
    m_uCurRsc = rsc;
    m_pCurCmd = pView;
    POINT pt;
    GetCursorPos(&pt);
    bar.GetSubMenu(0)->TrackPopupMenu(TPM_RIGHTBUTTON, static_cast<int>(pt.x) - 1, static_cast<int>(pt.y),
                                      AfxGetMainWnd());
}

void CPluginDouble::Msg_OnAppCommandUpdate(CString command, CCmdUI_Eq* pCmdUI) {
    bool enabled = true;
    if (command == "ICD:Delete") {
        pCmdUI->SetText("删除" + DocMtd_getValue_ofAttr(m_uCurRsc, kName));
        enabled = Editable(m_uCurRsc);
    }
    pCmdUI->Enable(enabled);
}

void CPluginDouble::Msg_OnAppCommand(CString command) {
    s_vCommands.push_back(command.str());
    if (!s_bSwallowErrors) {
        RunCommand(command);
        return;
    }
    try {
        RunCommand(command);
    } catch (...) {
    }
}

void CPluginDouble::RunCommand(const CString& command) {
    if (const auto hook = std::exchange(s_onCommand, nullptr)) hook();
    if (command == "ICD:Add TypePackage") {
        CString name;
        if (!Mtd_SingleInputBox("请输入类型包名称", name)) return;
        const CString domain = Get_DomainPrefix_Default() + "." + name + "#";
        URI_Ref type, pkg;
        Proc_FindCreatableType_ByName("二次模型数据类型包", "", type);
        if (!Proc_Create_a_Domain_byType(domain, type, name, DomainTypeDfn()) ||
            !DocMtd_create_a_Rsc(domain, "sec:TypePackage", pkg, name)) {
            _AfxMessageBox("创建失败！");
            return;
        }
        DocMtd_Modify_attribute_value(pkg, "sec:TypePackage.isInstType", "true");
        Mtd_SetStatusBarText("已创建类型包" + name);
        Mtd_AllViews_Refresh(nullptr, nullptr, 0);
    } else if (command == "ICD:Add LNodeType") {
        if (!Editable(m_uCurRsc)) {
            _AfxMessageBox("当前域不可编辑！-W0097");
            return;
        }
        Struct_EditPack pack;
        pack.nEditKind = 7;
        pack.Add_ListItem("GGIO 通用", "GGIO");
        pack.Add_ListItem("PTOC 过流", "PTOC");
        CString value;
        if (!Mtd_SingleInputBox("选择逻辑节点类型：", value, &pack)) return;
        CString domain;
        DocMtd_DEnv_Get_Rsc_Domain(m_uCurRsc, domain);
        URI_Ref lnt;
        DocMtd_create_a_Rsc(domain, "sec:LNodeType", lnt, value);
        DocMtd_add_Association(lnt, "sec:LNodeType.TypePackage", m_uCurRsc);
        Mtd_AllViews_Refresh(nullptr, nullptr, 0);
    } else if (command == "ICD:Delete") {
        if (_AfxMessageBox("确定删除吗？", MB_YESNO, "$?$删除确认") != IDYES) return;
        DocMtd_delete_a_Rsc(m_uCurRsc);
    } else if (command == "ICD:Export TypePackage") {
        CFileDialog dlg(FALSE, "Type", DocMtd_getValue_ofAttr(m_uCurRsc, kName) + ".Type",
                        OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, "类型包文件|*.Type||");
        if (dlg.DoModal() != IDOK) return;
        std::ofstream(dlg.GetPathName().str()) << DocMtd_getValue_ofAttr(m_uCurRsc, kName) << "\n";
        _AfxMessageBox("模板文件文件导出成功！");
    } else if (command == "ICD:Check") {
        Struct_Pairs buttons;
        buttons.Add("全部", "all");
        buttons.Add("当前", "this");
        int i = Mtd_ButtonChoiceBox("检查", "检查哪些类型包？", buttons);
        if (i < 0) return;
        Mtd_SetStatusBarText("正在检查" + buttons.vPairs[static_cast<size_t>(i)].first);
        AfxMessageBox("检查完毕");
    } else if (command == "ICD:Pick") {
        std::vector<URI_Ref> list;
        DocMtd_get_Uris_byClassName("sec:TypePackage", list, kName, SortPolicy_ByName);
        URI_Ref picked;
        if (Select_A_URI_FromSeq(list, picked, "选择类型包")) Mtd_SetStatusBarText("选中" + CString(picked.sUri));
    } else {
        _AfxMessageBox("未知命令！");
    }
}

bool CPluginDouble::HtmlMsg_OnPrepareEditField(CBase_Cmd*, URI_Ref rsc, CString field, CString,
                                               Struct_EditPack* pPack) {
    pPack->vList.Clear();
    if (!Editable(rsc)) return false;
    if (field == kName) {
        pPack->nEditKind = 2;
        return true;
    }
    if (field == "sec:TypePackage.isInstType") {
        pPack->nEditKind = 7;
        pPack->Add_ListItem("是", "true");
        pPack->Add_ListItem("否", "false");
        return true;
    }
    return false;
}

bool CPluginDouble::HtmlMsg_OnFieldChanged(CBase_Cmd*, URI_Ref, CString field, CString, CString& newValue,
                                           CString* pDisplay, int* pRefresh) {
    if (field == kName) {
        newValue.Trim();
        if (newValue.IsEmpty()) {
            _AfxMessageBox("名称不能为空！");
            return false;
        }
        *pRefresh = 1;
        return true;
    }
    *pDisplay = newValue == "true" ? "是" : "否";
    return true;
}
