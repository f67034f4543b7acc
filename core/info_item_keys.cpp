#include "core/info_item_keys.h"

#include <vector>

namespace kiln::core {

namespace {

// The id, else the path name.
CString NameKey(CKiln_Main& app, const URI_Ref& item) {
    const CString id = app.DocMtd_getValue_ofAttr(item, "sec:InfoItem.id");
    return id.IsEmpty() ? app.DocMtd_getValue_ofAttr(item, "cim:Naming.pathName") : id;
}

}  // namespace

CString InfoItemKey(CKiln_Main& app, const URI_Ref& item) {
    const CString key = NameKey(app, item);
    return key.IsEmpty() ? app.DocMtd_getValue_ofAttr(item, kRoleOrd) : key;
}

std::map<CString, URI_Ref> InfoItemsByKey(CKiln_Main& app, const URI_Ref& itb) {
    std::map<CString, URI_Ref> items;
    std::vector<URI_Ref> list;
    app.DocMtd_get_Association_BUris(itb, "sec:ITB.InfoItems", list, kRoleOrd, SortPolicy_ByOrd);
    std::vector<URI_Ref> unnamed;
    for (const URI_Ref& item : list) {
        const CString key = NameKey(app, item);
        if (key.IsEmpty())
            unnamed.push_back(item);
        else
            items.emplace(key, item);
    }
    for (const URI_Ref& item : unnamed) {
        const CString ord = app.DocMtd_getValue_ofAttr(item, kRoleOrd);
        if (!ord.IsEmpty()) items.emplace(ord, item);
    }
    return items;
}

std::vector<CString> InfoGroupNames(CKiln_Main& app, const URI_Ref& itb) {
    std::vector<URI_Ref> groups;
    std::vector<CString> names;
    app.DocMtd_get_Association_BUris(itb, "sec:ITB.InfoGroups", groups, kRoleOrd, SortPolicy_ByOrd);
    for (const URI_Ref& g : groups) names.push_back(app.DocMtd_getValue_ofAttr(g, kRoleName));
    return names;
}

}  // namespace kiln::core
