// The LN class of a logical node's type, as the generators read it, and of
// a logical node itself; whether a logical device holds its LLN0.
#pragma once

#include "core/type_classes.h"

namespace kiln::editing {

using core::LnClassOfNode;
using core::LnClassOfType;

// A device holds one LLN0: what would make a second one is refused with this.
inline constexpr const char* kSecondLln0 = "逻辑装置中已经存在LLN0，不能增加逻辑节点！";

// Whether one of the device's nodes is of class LLN0.
inline bool HoldsLln0(CKiln_Main& app, const URI_Ref& ld) {
    std::vector<URI_Ref> nodes;
    app.DocMtd_get_Association_BUris(ld, "sec:LDevice.LNodes", nodes, core::kRoleOrd, SortPolicy_ByOrd);
    for (const URI_Ref& node : nodes)
        if (LnClassOfNode(app, node) == "LLN0") return true;
    return false;
}

}  // namespace kiln::editing
