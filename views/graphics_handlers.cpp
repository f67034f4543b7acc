// The graphics view's handlers: a drawing is bound to the document domain
// named after its file; the plug-in draws nothing and adds no link.
#include "core/kiln_main.h"
#include "platform/mfc/text_funcs.h"

bool CKiln_Main::VgMsg_OnFileOpen(CBase_Cmd* pView, CString file, int* pInt, bool* pFlag1, bool* pFlag2) {
    // The outputs hold these on every return.
    if (pInt) *pInt = 1;
    if (pFlag1) *pFlag1 = true;
    if (pFlag2) *pFlag2 = false;
    if (file.IsEmpty()) return true;
    URI_Ref domain;
    if (!Proc_FromName_toDomain(create_path(file, "**name**", ""), domain) || domain.IsEmpty()) return false;
    if (pView) pView->m_uDomain = domain;
    return true;
}

bool CKiln_Main::VgMsg_OnClickLink(CBase_Cmd*, URI_Ref, URI_Ref, double, double, bool) { return true; }

bool CKiln_Main::VgMsg_OnDblClick(CBase_Cmd* pView, URI_Ref rsc, URI_Ref rsc2) {
    return CBase_AppCim::VgMsg_OnDblClick(pView, rsc, rsc2);
}

// Only the menu variables are forgotten; the current resource stays.
bool CKiln_Main::VgMsg_OnMouseMove(CBase_Cmd*, URI_Ref, bool*) {
    Mtd_Clear_MN_Varibles();
    return true;
}

bool CKiln_Main::VgMsg_OnAddLink(CBase_Cmd*, URI_Ref, URI_Ref, CString style, int* pInt) {
    CString lower = style;
    lower.MakeLower();
    if (pInt && (lower.IsEmpty() || lower == "upright_line" || lower == "sloping_line")) *pInt = 3;
    return false;
}

bool CKiln_Main::VgMsg_OnSetLinks_ofFoot(CBase_Cmd*, URI_Ref, std::vector<Struct_CIMLinkInst>*) { return true; }

bool CKiln_Main::VgMsg_OnSetShape_ofObj(CBase_Cmd*, URI_Ref&, CString* pShape, std::vector<URI_Ref>* pList,
                                        Struct_Pairs* pPairs) {
    if (pShape) pShape->Empty();
    if (pList) pList->clear();
    if (pPairs) pPairs->Clear();
    return true;
}
