#include "views/view_helpers.h"

namespace kiln::views {

bool DomainEditable(CKiln_Main& app, const URI_Ref& rsc) {
    CString domain;
    app.DocMtd_DEnv_Get_Rsc_Domain(rsc, domain);
    return app.DocMtd_DEnv_IsDomainEditable(domain);
}

bool ContainsAfterFirst(const CString& text, const CString& part) {
    return !part.IsEmpty() && text.Find(part.GetString(), 1) >= 0;
}

bool RelinkAlone(CKiln_Main& app, const URI_Ref& rsc, const CString& role, const URI_Ref& target,
                 const std::vector<URI_Ref>& current) {
    bool present = false;
    for (const URI_Ref& t : current) present = present || t.sUri == target.sUri;
    if (!present && !app.DocMtd_add_Association(rsc, role, target)) return false;
    for (const URI_Ref& t : current)
        if (t.sUri != target.sUri && !app.DocMtd_del_Association(rsc, role, t)) return false;
    return true;
}

}  // namespace kiln::views
