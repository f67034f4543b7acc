#include "core/data_values.h"

namespace kiln::core {

namespace {

constexpr const char* kValText = "sec:Val.sValue";

}  // namespace

const char* OwnValueRole(const URI_Ref& owner) {
    if (owner.sClass == "sec:DAI") return "sec:DAI.valueStr";
    if (owner.sClass == "sec:DA" || owner.sClass == "sec:BDA") return "sec:BDA.valueStr";
    return nullptr;
}

URI_Ref ValOwner(CKiln_Main& app, const URI_Ref& val) {
    const URI_Ref owner = app.DocMtd_getFirstUri_ofAsso(val, "sec:Val.BDA");
    return owner.IsSet() ? owner : app.DocMtd_getFirstUri_ofAsso(val, "sec:Val.DAI");
}

std::vector<URI_Ref> ValsOf(CKiln_Main& app, const URI_Ref& owner) {
    std::vector<URI_Ref> vals;
    app.DocMtd_get_Association_BUris(owner, owner.sClass == "sec:DAI" ? "sec:DAI.Vals" : "sec:BDA.Vals", vals,
                                     kRoleOrd, SortPolicy_ByOrd);
    return vals;
}

void WriteDataValue(CKiln_Main& app, const URI_Ref& rsc, const CString& text) {
    if (rsc.sClass == "sec:Val") {
        app.DocMtd_Modify_attribute_value(rsc, kValText, text);
        const URI_Ref owner = ValOwner(app, rsc);
        const std::vector<URI_Ref> vals = ValsOf(app, owner);
        if (!vals.empty() && vals.front() == rsc) app.DocMtd_Modify_attribute_value(owner, OwnValueRole(owner), text);
        return;
    }
    const char* role = OwnValueRole(rsc);
    if (!role) return;
    app.DocMtd_Modify_attribute_value(rsc, role, text);
    const std::vector<URI_Ref> vals = ValsOf(app, rsc);
    if (!vals.empty()) app.DocMtd_Modify_attribute_value(vals.front(), kValText, text);
}

void KeepOwnValue(CKiln_Main& app, const URI_Ref& owner) {
    const char* role = OwnValueRole(owner);
    if (!role) return;
    const std::vector<URI_Ref> vals = ValsOf(app, owner);
    const CString first = vals.empty() ? CString() : app.DocMtd_getValue_ofAttr(vals.front(), kValText);
    if (first != app.DocMtd_getValue_ofAttr(owner, role)) app.DocMtd_Modify_attribute_value(owner, role, first);
}

}  // namespace kiln::core
