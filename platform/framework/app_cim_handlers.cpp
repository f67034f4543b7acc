// The framework's bodies of the handlers: the host calls them when the
// plug-in does not override them. Almost all do nothing.
#include "platform/framework/app_cim.h"

namespace {

constexpr const char* kNameRole = "cim:Naming.name";

}  // namespace

bool CBase_AppCim::Msg_Tab_Click(CBase_Cmd*, int) { return false; }
bool CBase_AppCim::Msg_Tab_PosChange(CBase_Cmd*, int) { return false; }
bool CBase_AppCim::Msg_Tab_TabChange(CBase_Cmd*, int) { return false; }
bool CBase_AppCim::SearchMsg_OnSearch(CBase_Cmd*, CString, std::vector<URI_Ref>*) { return false; }
bool CBase_AppCim::SearchMsg_OnLocate(CBase_Cmd*, URI_Ref) { return false; }
bool CBase_AppCim::SearchMsg_OnRClick(CBase_Cmd*, URI_Ref) { return false; }
bool CBase_AppCim::RsltMsg_OnInitColumns(CBase_Cmd*) { return false; }
bool CBase_AppCim::RsltMsg_OnClickCheckBtn(CBase_Cmd*) { return false; }
bool CBase_AppCim::RsltMsg_OnLocate(CBase_Cmd*, URI_Ref) { return false; }
bool CBase_AppCim::RsltMsg_OnRClick(CBase_Cmd*, URI_Ref) { return false; }
bool CBase_AppCim::ProgMsg_OnClickStop(CBase_Cmd*) { return false; }
bool CBase_AppCim::OnMouseMove_Satellite_FlickerObjs(CBase_Cmd*, URI_Ref) { return false; }
bool CBase_AppCim::Msg_OnTimer(UINT) { return false; }
bool CBase_AppCim::GridMsg_OnLocate(CBase_Cmd*, CString) { return false; }
bool CBase_AppCim::GridMsg_OnRClick(CBase_Cmd*, CString) { return false; }
bool CBase_AppCim::GridMsg_OnLClick(CBase_Cmd*, CString) { return true; }
bool CBase_AppCim::TaskMsg_OnSwitchTask(CString) { return false; }
bool CBase_AppCim::TreeMsg_OnRClick(CBase_Cmd*, Struct_ItemDesc*) { return false; }
bool CBase_AppCim::TreeMsg_OnClick(CBase_Cmd*, Struct_ItemDesc*) { return false; }
bool CBase_AppCim::TreeMsg_OnDoubleClick(CBase_Cmd*, Struct_ItemDesc*) { return false; }

bool CBase_AppCim::TreeMsg_OnSetChildItems(CBase_Cmd* pView, Struct_ItemDesc* pParent,
                                           std::vector<Struct_ItemDesc>* pOut) {
    if (!pView || !pOut || pView->m_sID != kView_TreeManager) return false;
    if (!pParent) {
        std::vector<URI_Ref> types;
        if (!DocMtd_get_Uris_byClassName(kDomainTypeClass, types, "", SortPolicy_None)) return false;
        for (const URI_Ref& type : types) {
            Struct_ItemDesc item;
            TreeMtd_SetItemDetail(&item, type, type.sClass, DocMtd_getValue_ofAttr(type, kNameRole), true, "");
            pOut->push_back(item);
        }
        return true;
    }
    if (pParent->uRsc.sClass != kDomainTypeClass) return true;
    CString typeName = DocMtd_getValue_ofAttr(pParent->uRsc, kNameRole);
    for (const CString& domain : m_Doc.DomainNames()) {
        URI_Ref handle;
        if (m_Doc.DomainTypeName(domain) != typeName || !Proc_FromName_toDomain(domain, handle)) continue;
        Struct_ItemDesc item;
        TreeMtd_SetItemDetail(&item, handle, handle.sClass, domain, true, "");
        pOut->push_back(item);
    }
    return true;
}

bool CBase_AppCim::TreeMsg_OnPresetClassIcons(CBase_Cmd*) { return false; }
bool CBase_AppCim::TreeMsg_OnSetItemIcon(CBase_Cmd*, Struct_ItemDesc*, int*) { return false; }

bool CBase_AppCim::TreeMsg_OnGetRscText(CBase_Cmd*, Struct_ItemDesc* pItem, CString* pText) {
    if (!pItem || !pText) return false;
    const URI_Ref& rsc = pItem->uRsc;
    if (rsc.sClass == kDomainTypeClass) {
        *pText = DocMtd_getValue_ofAttr(rsc, kNameRole);
        return true;
    }
    // A domain's handle carries the domain's name.
    if (rsc.sClass == kDomainHandleClass && m_Doc.Is_DomainExist(rsc.sUri)) {
        *pText = rsc.sUri;
        return true;
    }
    return false;
}

bool CBase_AppCim::TreeMsg_OnBeginDrag(CBase_Cmd*, Struct_ItemDesc*) { return false; }
bool CBase_AppCim::TreeMsg_OnEndDrag(CBase_Cmd*, Struct_ItemDesc*, Struct_ItemDesc*) { return false; }
bool CBase_AppCim::TreeMsg_OnPrepareEdit(CBase_Cmd*, Struct_ItemDesc*, Struct_EditPack*) { return false; }
bool CBase_AppCim::TreeMsg_OnEditChanged(CBase_Cmd*, Struct_ItemDesc*, CString) { return false; }
bool CBase_AppCim::HtmlMsg_OnSetXsltFile(CBase_Cmd*, URI_Ref, CString*, CString*, CString*, Struct_Pairs*) {
    return false;
}
bool CBase_AppCim::HtmlMsg_OnBeforeNavigate(CBase_Cmd*, URI_Ref&, CString, bool) { return false; }
bool CBase_AppCim::HtmlMsg_OnRClick(CBase_Cmd*, URI_Ref, CString, Struct_Pairs*) { return false; }
bool CBase_AppCim::HtmlMsg_OnPrepareEditField(CBase_Cmd*, URI_Ref, CString, CString, Struct_EditPack*) {
    return false;
}
bool CBase_AppCim::HtmlMsg_OnFieldChanged(CBase_Cmd*, URI_Ref, CString, CString, CString&, CString*, int*) {
    return false;
}
bool CBase_AppCim::VGDMsg_OnRedraw(CBase_Cmd*) { return false; }
bool CBase_AppCim::VGDMsg_OnClick(CBase_Cmd*, URI_Ref) { return false; }
bool CBase_AppCim::VGDMsg_OnDblClick(CBase_Cmd*, URI_Ref) { return false; }
bool CBase_AppCim::VGDMsg_OnRClick(CBase_Cmd*, URI_Ref) { return false; }
bool CBase_AppCim::VGDMsg_OnMouseMove(CBase_Cmd*, URI_Ref) { return false; }
bool CBase_AppCim::VGDMsg_OnZoomChange(CBase_Cmd*, long, long) { return false; }
bool CBase_AppCim::VgMsg_OnFileOpen(CBase_Cmd*, CString, int*, bool*, bool*) { return false; }
bool CBase_AppCim::VgMsg_AfterFileOpened(CBase_Cmd*) { return false; }
bool CBase_AppCim::VgMsg_OnBrowseSVG(CBase_Cmd*, CString) { return false; }
bool CBase_AppCim::VgMsg_OnSetVisible_ofToolBar(CBase_Cmd*, bool*) { return false; }
bool CBase_AppCim::VgMsg_BeforeSaveModified(CBase_Cmd*, CString*) { return false; }
bool CBase_AppCim::VgMsg_OnClick(CBase_Cmd*, URI_Ref, URI_Ref) { return false; }
bool CBase_AppCim::VgMsg_OnClickLink(CBase_Cmd*, URI_Ref, URI_Ref, double, double, bool) { return false; }
bool CBase_AppCim::VgMsg_OnClick_PresentShape(CBase_Cmd*, URI_Ref, URI_Ref) { return false; }
bool CBase_AppCim::VgMsg_OnDblClick(CBase_Cmd*, URI_Ref, URI_Ref) { return false; }
bool CBase_AppCim::VgMsg_OnDblClick_PresentShape(CBase_Cmd*, URI_Ref, URI_Ref) { return false; }
bool CBase_AppCim::VgMsg_OnRClick(CBase_Cmd*, URI_Ref, URI_Ref, std::vector<URI_Ref>&) { return false; }
bool CBase_AppCim::VgMsg_OnMouseMove(CBase_Cmd*, URI_Ref, bool*) { return false; }
bool CBase_AppCim::VgMsg_OnZoomChange(CBase_Cmd*, long, long) { return false; }
bool CBase_AppCim::VgMsg_OnSetLinks_ofFoot(CBase_Cmd*, URI_Ref, std::vector<Struct_CIMLinkInst>*) { return false; }
bool CBase_AppCim::VgMsg_OnSetShape_ofObj(CBase_Cmd*, URI_Ref&, CString*, std::vector<URI_Ref>*, Struct_Pairs*) {
    return false;
}
bool CBase_AppCim::VgMsg_OnAdding_A_Shape(CBase_Cmd*, URI_Ref, CString) { return false; }
unsigned long CBase_AppCim::VgMsg_OnSetColor_ofFoot(CBase_Cmd*, URI_Ref&, URI_Ref&) { return 0; }
bool CBase_AppCim::VgMsg_OnSetNoteText(CBase_Cmd*, URI_Ref, CString*) { return false; }
bool CBase_AppCim::VgMsg_OnAddLink(CBase_Cmd*, URI_Ref, URI_Ref, CString, int*) { return false; }
bool CBase_AppCim::VgMsg_BeforeDeleteRsc(CBase_Cmd*, int, std::vector<URI_Ref>&, bool, bool&) { return false; }
bool CBase_AppCim::VgMsg_BeforeDeleteLink(CBase_Cmd*, std::vector<Struct_LinkLineDesc>&) { return false; }
bool CBase_AppCim::VgMsg_OnPasteNew(CBase_Cmd*, const std::vector<URI_Ref>&, std::vector<URI_Ref>&) { return false; }
bool CBase_AppCim::VgMsg_AfterPaste(CBase_Cmd*, std::vector<URI_Ref>&) { return false; }
bool CBase_AppCim::VgMsg_SetPresent_ofObj(CBase_Cmd*, URI_Ref, CString*) { return false; }
bool CBase_AppCim::VgMsg_OnDrawBackground(CBase_Cmd*) { return false; }
void CBase_AppCim::Msg_OnAppCommand(CString) {}
void CBase_AppCim::Msg_OnAppCommandUpdate(CString, CCmdUI_Eq*) {}
void CBase_AppCim::COMMON_Msg_OnAppCommand(CString) {}
void CBase_AppCim::COMMON_Msg_OnAppCommandUpdate(CString, CCmdUI_Eq*) {}
bool CBase_AppCim::Msg_OnGetRscText(URI_Ref, CString*) { return false; }
bool CBase_AppCim::Msg_OnAppNewFile() { return false; }
bool CBase_AppCim::Msg_OnAppOpenFile() { return false; }
bool CBase_AppCim::Msg_OnPrepareDocument() { return false; }
bool CBase_AppCim::Msg_OnOpenDocument() { return false; }
bool CBase_AppCim::Msg_OnSaveDocument() { return false; }
bool CBase_AppCim::Msg_OnCloseDocument() { return false; }
bool CBase_AppCim::Msg_BeforeCheckin_RelVersion() { return false; }
bool CBase_AppCim::Msg_AfterCheckin_TVersion() { return false; }
bool CBase_AppCim::Rsc_Adjust_Order(URI_Ref, CString, int) { return false; }
CString CBase_AppCim::Mtd_GetErrorMsg() { return m_strErrorMsg; }
void CBase_AppCim::ProjectMsg_OnAppCommand(CString) {}
void CBase_AppCim::ProjectMsg_OnAppCommandUpdate(CString, CCmdUI_Eq*) {}
void CBase_AppCim::ProjectShortMenu(CBase_Cmd*, URI_Ref, URI_Ref, CString) {}
bool CBase_AppCim::ProjectHtmlMsg_OnBeforeNavigate(CBase_Cmd*, URI_Ref&, CString, bool) { return false; }
bool CBase_AppCim::ProjectHtmlMsg_OnSetXsltFile(CBase_Cmd*, URI_Ref, CString*, CString*, CString*, Struct_Pairs*) {
    return false;
}
bool CBase_AppCim::ProjectHtmlMsg_OnRClick(CBase_Cmd*, URI_Ref, CString, Struct_Pairs*) { return false; }
bool CBase_AppCim::ProjectHtmlMsg_OnPrepareEditField(CBase_Cmd*, URI_Ref, CString, CString, Struct_EditPack*) {
    return false;
}
bool CBase_AppCim::ProjectHtmlMsg_OnFieldChanged(CBase_Cmd*, URI_Ref, CString, CString, CString&, CString*, int*) {
    return false;
}
bool CBase_AppCim::Msg_OnAppMessage(UINT, WPARAM, LPARAM) { return false; }
