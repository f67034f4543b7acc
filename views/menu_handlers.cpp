// The handlers that open the context menu: right clicks in the trees, the
// HTML views and the graphics view, and a left click in the graphics view
// while no resource is current.
#include "core/kiln_main.h"

// An item passes its resource and its group label, which tells the folders
// of a type package apart; empty space passes neither.
bool CKiln_Main::TreeMsg_OnRClick(CBase_Cmd* pView, Struct_ItemDesc* pItem) {
    if (pItem)
        ShortMenu(pView, pItem->uRsc, URI_Ref(), pItem->sText2);
    else
        ShortMenu(pView, URI_Ref(), URI_Ref(), "");
    return true;
}

// The resource of the event, or else the one the view shows; without
// either there is no menu.
bool CKiln_Main::HtmlMsg_OnRClick(CBase_Cmd* pView, URI_Ref rsc, CString, Struct_Pairs*) {
    if (rsc.IsEmpty()) rsc = HtmlMtd_GetCurrentUri(pView);
    if (rsc.IsEmpty()) return false;
    ShortMenu(pView, rsc, URI_Ref(), "");
    return true;
}

bool CKiln_Main::VgMsg_OnRClick(CBase_Cmd* pView, URI_Ref rsc, URI_Ref rsc2, std::vector<URI_Ref>&) {
    ShortMenu(pView, rsc, rsc2, "");
    return true;
}

bool CKiln_Main::VgMsg_OnClick(CBase_Cmd* pView, URI_Ref rsc, URI_Ref rsc2) {
    if (m_uCurRsc.IsEmpty()) ShortMenu(pView, rsc, rsc2, "");
    return true;
}
