// The view and command handlers of the plug-in object that the views and
// the command dispatcher do not fill yet: each answers as the framework
// does, so that a host can already drive the plug-in.
#include "core/kiln_main.h"

bool CKiln_Main::TreeMsg_OnClick(CBase_Cmd* pView, Struct_ItemDesc* pItem) {
    return CBase_AppCim::TreeMsg_OnClick(pView, pItem);
}

bool CKiln_Main::TreeMsg_OnSetChildItems(CBase_Cmd* pView, Struct_ItemDesc* pParent,
                                         std::vector<Struct_ItemDesc>* pOut) {
    return CBase_AppCim::TreeMsg_OnSetChildItems(pView, pParent, pOut);
}

bool CKiln_Main::TreeMsg_OnPresetClassIcons(CBase_Cmd* pView) { return CBase_AppCim::TreeMsg_OnPresetClassIcons(pView); }

bool CKiln_Main::TreeMsg_OnGetRscText(CBase_Cmd* pView, Struct_ItemDesc* pItem, CString* pText) {
    return CBase_AppCim::TreeMsg_OnGetRscText(pView, pItem, pText);
}

bool CKiln_Main::TreeMsg_OnEndDrag(CBase_Cmd* pView, Struct_ItemDesc* pDragged, Struct_ItemDesc* pTarget) {
    return CBase_AppCim::TreeMsg_OnEndDrag(pView, pDragged, pTarget);
}

bool CKiln_Main::HtmlMsg_OnSetXsltFile(CBase_Cmd* pView, URI_Ref rsc, CString* pXslt, CString* pText2,
                                       CString* pLabel, Struct_Pairs* pPairs) {
    return CBase_AppCim::HtmlMsg_OnSetXsltFile(pView, rsc, pXslt, pText2, pLabel, pPairs);
}

bool CKiln_Main::HtmlMsg_OnBeforeNavigate(CBase_Cmd* pView, URI_Ref& target, CString link, bool bFlag) {
    return CBase_AppCim::HtmlMsg_OnBeforeNavigate(pView, target, link, bFlag);
}

bool CKiln_Main::HtmlMsg_OnPrepareEditField(CBase_Cmd* pView, URI_Ref rsc, CString field, CString text,
                                            Struct_EditPack* pPack) {
    return CBase_AppCim::HtmlMsg_OnPrepareEditField(pView, rsc, field, text, pPack);
}

bool CKiln_Main::HtmlMsg_OnFieldChanged(CBase_Cmd* pView, URI_Ref rsc, CString field, CString oldValue,
                                        CString& newValue, CString* pDisplay, int* pRefresh) {
    return CBase_AppCim::HtmlMsg_OnFieldChanged(pView, rsc, field, oldValue, newValue, pDisplay, pRefresh);
}

bool CKiln_Main::VgMsg_OnFileOpen(CBase_Cmd* pView, CString file, int* pInt, bool* pFlag1, bool* pFlag2) {
    return CBase_AppCim::VgMsg_OnFileOpen(pView, file, pInt, pFlag1, pFlag2);
}

bool CKiln_Main::VgMsg_OnClickLink(CBase_Cmd* pView, URI_Ref from, URI_Ref to, double x, double y, bool bFlag) {
    return CBase_AppCim::VgMsg_OnClickLink(pView, from, to, x, y, bFlag);
}

bool CKiln_Main::VgMsg_OnDblClick(CBase_Cmd* pView, URI_Ref rsc, URI_Ref rsc2) {
    return CBase_AppCim::VgMsg_OnDblClick(pView, rsc, rsc2);
}

bool CKiln_Main::VgMsg_OnMouseMove(CBase_Cmd* pView, URI_Ref rsc, bool* pFlag) {
    return CBase_AppCim::VgMsg_OnMouseMove(pView, rsc, pFlag);
}

bool CKiln_Main::VgMsg_OnSetLinks_ofFoot(CBase_Cmd* pView, URI_Ref rsc, std::vector<Struct_CIMLinkInst>* pLinks) {
    return CBase_AppCim::VgMsg_OnSetLinks_ofFoot(pView, rsc, pLinks);
}

bool CKiln_Main::VgMsg_OnSetShape_ofObj(CBase_Cmd* pView, URI_Ref& rsc, CString* pShape, std::vector<URI_Ref>* pList,
                                        Struct_Pairs* pPairs) {
    return CBase_AppCim::VgMsg_OnSetShape_ofObj(pView, rsc, pShape, pList, pPairs);
}

bool CKiln_Main::VgMsg_OnAddLink(CBase_Cmd* pView, URI_Ref from, URI_Ref to, CString style, int* pInt) {
    return CBase_AppCim::VgMsg_OnAddLink(pView, from, to, style, pInt);
}

void CKiln_Main::Msg_OnAppCommand(CString command) { CBase_AppCim::Msg_OnAppCommand(command); }

void CKiln_Main::Msg_OnAppCommandUpdate(CString command, CCmdUI_Eq* pCmdUI) {
    CBase_AppCim::Msg_OnAppCommandUpdate(command, pCmdUI);
}
