#include "core/info_item_keys.h"

#include <vector>

namespace kiln::core {

namespace {

// The id, else the path name.
CString NameKey(CKiln_Main& app, const URI_Ref& item, const CString& id) {
    return id.IsEmpty() ? app.DocMtd_getValue_ofAttr(item, "cim:Naming.pathName") : id;
}
CString NameKey(CKiln_Main& app, const URI_Ref& item) {
    return NameKey(app, item, app.DocMtd_getValue_ofAttr(item, "sec:InfoItem.id"));
}

}  // namespace

CString InfoItemKey(CKiln_Main& app, const URI_Ref& item, const CString& id) {
    const CString key = NameKey(app, item, id);
    return key.IsEmpty() ? app.DocMtd_getValue_ofAttr(item, kRoleOrd) : key;
}

CString InfoItemKey(CKiln_Main& app, const URI_Ref& item) {
    return InfoItemKey(app, item, app.DocMtd_getValue_ofAttr(item, "sec:InfoItem.id"));
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

URI_Ref OtherItemOfKey(const std::map<CString, URI_Ref>& byKey, const CString& key, const URI_Ref& item) {
    const auto found = key.IsEmpty() ? byKey.end() : byKey.find(key);
    return found == byKey.end() || found->second.sUri == item.sUri ? URI_Ref() : found->second;
}

std::vector<CString> InfoGroupNames(CKiln_Main& app, const URI_Ref& itb) {
    std::vector<URI_Ref> groups;
    std::vector<CString> names;
    app.DocMtd_get_Association_BUris(itb, "sec:ITB.InfoGroups", groups, kRoleOrd, SortPolicy_ByOrd);
    for (const URI_Ref& g : groups) names.push_back(app.DocMtd_getValue_ofAttr(g, kRoleName));
    return names;
}

}  // namespace kiln::core
