#include "platform/framework/app_cim.h"

#include "platform/ui/file_dialog.h"
#include "platform/ui/ui_functions.h"
#include "platform/ui/ui_services.h"

namespace {

// Identifiers of context-menu items: the plug-in's items from here on,
// the common menu's one item on its own.
constexpr UINT kShortMenuFirstId = 0x8000;
constexpr UINT kCommonMenuId = 0x7F00;

constexpr const char* kSeparatorCommand = "_分隔符_";
constexpr const char* kImportExternalCommand = "COMMON:Import ExternalData";
constexpr const char* kImportExternalText = "导入域数据";
constexpr const char* kNameRole = "cim:Naming.name";

}  // namespace

CBase_AppCim::CBase_AppCim() {
    m_fnMenuCommand = [this](UINT nID) { return OnMenuItem(nID); };
    // The first application becomes the host's main window unless the host
    // has set one, so that picked menu items reach it.
    if (!AfxGetMainWnd()) AfxSetMainWnd(Mtd_MainWnd());
}

CBase_AppCim::~CBase_AppCim() {
    if (AfxGetMainWnd() == Mtd_MainWnd()) AfxSetMainWnd(nullptr);
}

CRuntimeClass* CBase_AppCim::GetRuntimeClass() const {
    static CRuntimeClass s_class{"CBase_AppCim", static_cast<int>(sizeof(CBase_AppCim))};
    return &s_class;
}

// ---- context menus ----

void CBase_AppCim::Mtd_ShortMenu_Clear() { m_vShortMenuCmds.clear(); }

bool CBase_AppCim::Mtd_ShortMenu_Append(CMenu* pPopup, const CString& command, const CString& text,
                                        bool /*bFlag*/) {
    if (!pPopup) return false;
    if (command == kSeparatorCommand) return pPopup->AppendMenu(MF_SEPARATOR) != FALSE;
    UINT nID = kShortMenuFirstId + static_cast<UINT>(m_vShortMenuCmds.size());
    if (!pPopup->AppendMenu(MF_STRING, nID, text)) return false;
    m_vShortMenuCmds.push_back(command);
    pPopup->SetItemCommand(nID, command);
    return true;
}

CString CBase_AppCim::Mtd_ShortMenu_CommandOf(UINT nID) const {
    if (nID < kShortMenuFirstId || nID - kShortMenuFirstId >= m_vShortMenuCmds.size()) return CString();
    return m_vShortMenuCmds[nID - kShortMenuFirstId];
}

bool CBase_AppCim::APPCOMMON_ShortMenu(CBase_Cmd* pView, URI_Ref rsc) {
    Ui_Current().CommonMenu(pView ? pView->m_sID : CString(), rsc);
    if (rsc.sClass != kDomainTypeClass) return false;
    CMenu popup;
    popup.CreatePopupMenu();
    popup.AppendMenu(MF_STRING, kCommonMenuId, kImportExternalText);
    popup.SetItemCommand(kCommonMenuId, kImportExternalCommand);
    m_strCommonCmd = kImportExternalCommand;
    m_uCommonRsc = rsc;
    m_pCommonView = pView;
    POINT pt;
    GetCursorPos(&pt);
    popup.TrackPopupMenu(TPM_RIGHTBUTTON, static_cast<int>(pt.x), static_cast<int>(pt.y), AfxGetMainWnd());
    return true;
}

bool CBase_AppCim::OnMenuItem(UINT nID) {
    if (nID == kCommonMenuId && !m_strCommonCmd.IsEmpty()) {
        // The framework's own menu sets the current resource only when one of
        // its items is picked.
        m_uCurRsc = m_uCommonRsc;
        m_uCurRsc2.Clear();
        m_pCurCmd = m_pCommonView;
        Msg_OnAppCommand(m_strCommonCmd);
        return true;
    }
    CString command = Mtd_ShortMenu_CommandOf(nID);
    if (command.IsEmpty()) return false;
    Msg_OnAppCommand(command);
    return true;
}

// ---- views ----

bool CBase_AppCim::TreeMtd_SetItemDetail(Struct_ItemDesc* pItem, const URI_Ref& rsc, const CString& key,
                                         const CString& text, bool bFlag, const CString& label,
                                         const CString& /*text2*/, bool bFlag2, int nInt) {
    if (!pItem) return false;
    pItem->uRsc = rsc;
    pItem->sKey = key;
    pItem->sText2 = label;
    pItem->sText3 = text;
    pItem->sText4 = key;
    pItem->bFlag1 = bFlag;
    pItem->bFlag2 = bFlag2;
    pItem->nInt1 = nInt;
    return true;
}

bool CBase_AppCim::TreeMtd_Add_a_ClassIcon(CBase_Cmd* pView, const CString& key, int nIcon) {
    if (!pView) return false;
    pView->Mtd_SetClassIcon(key, nIcon);
    return true;
}

bool CBase_AppCim::HtmlMtd_LocateNow(CBase_Cmd* pView, const URI_Ref& rsc, const CString& key,
                                     const CString& anchor, bool /*bNow*/) {
    return pView ? pView->Mtd_ShowRscAt(rsc, key, anchor) : false;
}

URI_Ref CBase_AppCim::HtmlMtd_GetCurrentUri(CBase_Cmd* pView) { return pView ? pView->m_uShown : URI_Ref(); }

unsigned long CBase_AppCim::VgMtd_GetColor_ByName(CBase_Cmd* /*pView*/, const CString& name) {
    return m_ColorCfg.Get_Color_ByName(name, 0);
}

// ---- questions ----

bool CBase_AppCim::Select_A_URI_FromSeq(const std::vector<URI_Ref>& list, URI_Ref& rsc, const CString& prompt) {
    if (list.empty()) return false;
    Struct_Pairs rows;
    for (const URI_Ref& r : list) {
        CString name = DocMtd_getValue_ofAttr(r, kNameRole);
        rows.Add(name.IsEmpty() ? CString(r.sUri) : name, CString(r.sUri));
    }
    int preset = rsc.IsEmpty() ? -1 : Search_URISequence(list, rsc);
    int index = Ui_Current().PickResource(prompt, rows, preset);
    if (index < 0 || index >= static_cast<int>(list.size())) return false;
    rsc = list[static_cast<size_t>(index)];
    return true;
}

bool CBase_AppCim::Mtd_InputName_withDomainName(const CString& prefix, CString& name, CString& domain,
                                                const CString& prompt) {
    CString value = name;
    if (!Mtd_SingleInputBox(prompt, value, nullptr, false)) return false;
    value.Trim();
    name = value;
    if (value.IsEmpty()) {
        domain.Empty();
        return true;
    }
    CString stem = prefix;
    stem.TrimRight("#.");
    CString local = value;
    local.Replace('#', '_');
    domain = CBase_CimDoc::NamedDomain(stem.IsEmpty() ? local : stem + "." + local);
    return true;
}

bool CBase_AppCim::Import_ExterDomainData(URI_Ref domainType, CString classText) {
    CFileDialog dlg(TRUE, nullptr, nullptr, OFN_HIDEREADONLY | OFN_FILEMUSTEXIST,
                    "CIM-XML文件|*.xml|所有文件|*.*||");
    if (dlg.DoModal() != IDOK) return false;
    if (Import_ExterDomainFile(domainType, classText, dlg.GetPathName())) return true;
    CString reason = LastDocError();
    _AfxMessageBox(reason.IsEmpty() ? CString("导入域数据失败：") + dlg.GetPathName() : reason, MB_OK, nullptr,
                   nullptr);
    return false;
}

// ---- error text ----

void CBase_AppCim::Mtd_SetErrorMsg(const CString& text, const URI_Ref& rsc) {
    m_strErrorMsg = text;
    m_uErrorRsc = rsc;
}

// ---- XML ----

bool CBase_AppCim::Get_Node_Value(const XmlNode& node, const CString& name, CString& value) {
    value.Empty();
    if (node.IsNull() || name.IsEmpty()) return false;
    if (name.GetAt(0) == '@') return node.GetAttribute(name.Mid(1), value);
    if (node.GetAttribute(name, value)) return true;
    XmlNode child = node.SelectSingleNode(name);
    if (child.IsNull()) return false;
    value = child.GetText();
    return true;
}

CString CBase_AppCim::Get_Node_ValueString(const XmlNode& node, const CString& name) {
    CString value;
    Get_Node_Value(node, name, value);
    return value;
}
