// The LN class of a logical node's type, as the generators read it, and of
// a logical node itself.
#pragma once

#include "core/type_classes.h"

namespace kiln::editing {

using core::LnClassOfType;

// The class of a logical node: its own "sec:LNode.lnClass" when it has one
// (nodes read from files, nodes given another type), else its type's class
// (nodes made in the editor carry none).
inline CString LnClassOfNode(CKiln_Main& app, const URI_Ref& node) {
    const CString own = app.DocMtd_getValue_ofAttr(node, "sec:LNode.lnClass");
    if (!own.IsEmpty()) return own;
    return LnClassOfType(app, app.DocMtd_getFirstUri_ofAsso(node, "sec:LNode.LNodeType"));
}

}  // namespace kiln::editing
