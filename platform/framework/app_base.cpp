#include "platform/framework/app_base.h"

#include "platform/ui/ui_services.h"

BOOL CBase_AppFrame::OnCommand(WPARAM wParam, LPARAM /*lParam*/) {
    return m_pApp && m_pApp->Mtd_OnMenuCommand(static_cast<UINT>(wParam)) ? TRUE : FALSE;
}

CBase_App::CBase_App() : m_wndMain(this) {}

CBase_App::~CBase_App() = default;

CBase_Cmd* CBase_App::Mtd_AddView(std::unique_ptr<CBase_Cmd> view) {
    if (!view || Mtd_View_of_sID(view->m_sID)) return nullptr;
    m_vViews.push_back(std::move(view));
    return m_vViews.back().get();
}

CBase_Cmd* CBase_App::Mtd_AddView(const CString& sID, int nKind) {
    return Mtd_AddView(std::make_unique<CBase_Cmd>(sID, nKind));
}

void CBase_App::Mtd_CreateStandardViews() {
    for (const char* id : {kView_TreeManager, kView_TreeUser, kView_TreePreset, kView_TreeICDPreset,
                           kView_TreeICDPreset2})
        Mtd_AddView(id, ViewClass_Tree);
    Mtd_AddView(kView_Html1, ViewClass_Html);
    Mtd_AddView(kView_Html2, ViewClass_Html);
    if (!m_pHtmlPropView) m_pHtmlPropView = Mtd_View_of_sID(kView_Html1);
}

CBase_Cmd* CBase_App::Mtd_View_of_sID(const CString& sID) const {
    for (const auto& v : m_vViews)
        if (v->m_sID == sID) return v.get();
    return nullptr;
}

bool CBase_App::Mtd_View_Refresh(CBase_Cmd* pView) { return pView ? pView->Mtd_Refresh(0) : false; }

bool CBase_App::Mtd_AllViews_Refresh(CBase_Cmd* pView, const URI_Ref* pRsc, int nViewClass) {
    Ui_Current().AllViewsRefresh(pView ? pView->m_sID : CString(), pRsc ? *pRsc : URI_Ref(), nViewClass);
    if (pView) return pView->Mtd_Refresh(0);
    for (const auto& v : m_vViews)
        if (nViewClass == ViewClass_All || v->m_nKind == nViewClass) v->Mtd_Refresh(0);
    return true;
}

bool CBase_App::Mtd_AllViews_Locate(const URI_Ref& rsc, std::vector<URI_Ref>* /*pList*/, CBase_Cmd* pView,
                                    int nViewClass) {
    Ui_Current().AllViewsLocate(pView ? pView->m_sID : CString(), rsc, nViewClass);
    if (pView) return pView->Mtd_Locate(rsc);
    for (const auto& v : m_vViews)
        if (nViewClass == ViewClass_All || v->m_nKind == nViewClass) v->Mtd_Locate(rsc);
    return true;
}

void CBase_App::Mtd_SetStatusBarText(const CString& text) { Ui_Current().StatusText(text); }

bool CBase_App::Mtd_SingleInputBox(const CString& prompt, CString& value, Struct_EditPack* pPack, bool bFlag) {
    CString answer = value;
    if (!Ui_Current().InputBox(prompt, answer, pPack, bFlag)) return false;
    value = answer;
    return true;
}

int CBase_App::Mtd_ButtonChoiceBox(const CString& text, const CString& question, const Struct_Pairs& buttons,
                                   int nParam) {
    int index = Ui_Current().ButtonChoice(text, question, buttons, nParam);
    // Anything outside the buttons counts as a closed box.
    return index >= 0 && index < buttons.GetSize() ? index : -1;
}

void CBase_App::Mtd_Clear_MN_Varibles() { m_nMN_Picked = 0; }

bool CBase_App::Mtd_OnMenuCommand(UINT nID) {
    m_nMN_Picked = nID;
    return m_fnMenuCommand ? m_fnMenuCommand(nID) : false;
}
