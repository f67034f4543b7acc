// The LN class of a logical node's type, as the generators read it, and of
// a logical node itself.
#pragma once

#include "core/kiln_main.h"

namespace kiln::editing {

// The name of the standard class the LN type is made from; a type without
// one (a class of the standard package itself) is its own class. Empty for
// an empty handle.
inline CString LnClassOfType(CKiln_Main& app, const URI_Ref& lnType) {
    if (lnType.IsEmpty()) return CString();
    const URI_Ref cls = app.DocMtd_getFirstUri_ofAsso(lnType, "sec:LNodeType.ClassOf_LNType");
    return app.DocMtd_getValue_ofAttr(cls.IsSet() ? cls : lnType, core::kRoleName);
}

// The class of a logical node: its own "sec:LNode.lnClass" when it has one
// (nodes read from files, nodes given another type), else its type's class
// (nodes made in the editor carry none).
inline CString LnClassOfNode(CKiln_Main& app, const URI_Ref& node) {
    const CString own = app.DocMtd_getValue_ofAttr(node, "sec:LNode.lnClass");
    if (!own.IsEmpty()) return own;
    return LnClassOfType(app, app.DocMtd_getFirstUri_ofAsso(node, "sec:LNode.LNodeType"));
}

}  // namespace kiln::editing
