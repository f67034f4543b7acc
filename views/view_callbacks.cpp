// The view handlers that answer with a fixed result, one class test or one
// call of the framework: pasting, deleting, saving, zooming and the colour
// of link ends in the graphics view; dragging and double clicks in trees.
#include "core/kiln_main.h"

bool CKiln_Main::VgMsg_OnPasteNew(CBase_Cmd*, const std::vector<URI_Ref>&, std::vector<URI_Ref>&) { return false; }

bool CKiln_Main::VgMsg_BeforeDeleteLink(CBase_Cmd*, std::vector<Struct_LinkLineDesc>&) { return false; }

bool CKiln_Main::VgMsg_BeforeDeleteRsc(CBase_Cmd*, int, std::vector<URI_Ref>&, bool, bool&) { return false; }

unsigned long CKiln_Main::VgMsg_OnSetColor_ofFoot(CBase_Cmd* pView, URI_Ref&, URI_Ref&) {
    return VgMtd_GetColor_ByName(pView, "Unknown");
}

bool CKiln_Main::VgMsg_OnZoomChange(CBase_Cmd*, long, long) { return true; }

bool CKiln_Main::VgMsg_BeforeSaveModified(CBase_Cmd*, CString*) { return false; }

bool CKiln_Main::VgMsg_AfterFileOpened(CBase_Cmd*) { return true; }

// Types and information items may be dragged (onto packages and groups);
// nothing else, and no drag without an item.
bool CKiln_Main::TreeMsg_OnBeginDrag(CBase_Cmd*, Struct_ItemDesc* pItem) {
    if (!pItem) return false;
    const std::string& cls = pItem->uRsc.sClass;
    return cls == "sec:LNodeType" || cls == "sec:DOType" || cls == "sec:DAType" || cls == "sec:InfoItem";
}

bool CKiln_Main::TreeMsg_OnDoubleClick(CBase_Cmd* pView, Struct_ItemDesc* pItem) {
    return CBase_AppCim::TreeMsg_OnDoubleClick(pView, pItem);
}
