// The class texts of LN and DO types, as the writers and the node naming
// read them.
#pragma once

#include "core/kiln_main.h"

namespace kiln::core {

// The LN class of an LN type: the name of the standard class it is made
// from; else the class text its file gave (a class the standard package
// does not hold); else the type's own name (a class of the standard package
// itself). Empty for an empty handle.
inline CString LnClassOfType(CKiln_Main& app, const URI_Ref& lnType) {
    if (lnType.IsEmpty()) return CString();
    const URI_Ref cls = app.DocMtd_getFirstUri_ofAsso(lnType, "sec:LNodeType.ClassOf_LNType");
    if (cls.IsSet()) return app.DocMtd_getValue_ofAttr(cls, kRoleName);
    const CString kept = app.DocMtd_getValue_ofAttr(lnType, "sec:LNodeType.lnClass");
    return kept.IsEmpty() ? app.DocMtd_getValue_ofAttr(lnType, kRoleName) : kept;
}

// The CDC of a DO type, read the same way: the standard CDC's name, else
// the kept text, else the type's own name.
inline CString CdcOfType(CKiln_Main& app, const URI_Ref& doType) {
    if (doType.IsEmpty()) return CString();
    const URI_Ref cls = app.DocMtd_getFirstUri_ofAsso(doType, "sec:DOType.ClassOf_DOType");
    if (cls.IsSet()) return app.DocMtd_getValue_ofAttr(cls, kRoleName);
    const CString kept = app.DocMtd_getValue_ofAttr(doType, "sec:DOType.cdc");
    return kept.IsEmpty() ? app.DocMtd_getValue_ofAttr(doType, kRoleName) : kept;
}

}  // namespace kiln::core
