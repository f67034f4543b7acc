#include <algorithm>
#include <utility>

#include "core/kiln_main.h"
#include "platform/mfc/text_funcs.h"

using kiln::core::kRoleName;
using kiln::core::kRoleOrd;

bool CKiln_Main::DocMtd_get_Association_BUris(const URI_Ref& rsc, const CString& asso, std::vector<URI_Ref>& out,
                                              const CString& sortAttr, Enum_SortPolicy policy) {
    return CBase_AppCim::DocMtd_get_Association_BUris(rsc, asso, out, sortAttr, policy);
}

bool CKiln_Main::DocMtd_get_Association_BUris_SortByName(const URI_Ref& rsc, const CString& asso,
                                                         std::vector<URI_Ref>& out) {
    return DocMtd_get_Association_BUris(rsc, asso, out, kRoleName, SortPolicy_ByName);
}

bool CKiln_Main::DocMtd_get_Association_BUris_SortByOrd(const URI_Ref& rsc, const CString& asso,
                                                        std::vector<URI_Ref>& out) {
    return DocMtd_get_Association_BUris(rsc, asso, out, kRoleOrd, SortPolicy_ByOrd);
}

int CKiln_Main::DocMtd_get_descendent_BUris(const URI_Ref& start, const CString& path, std::vector<URI_Ref>& out,
                                            URI_Ref& last, const CString& sortAttr, Enum_SortPolicy policy) {
    return CBase_AppCim::DocMtd_get_descendent_BUris(start, path, out, last, sortAttr, policy);
}

int CKiln_Main::DocMtd_get_descendent_BUris_SortByName(const URI_Ref& start, const CString& path,
                                                       std::vector<URI_Ref>& out, URI_Ref& last) {
    return DocMtd_get_descendent_BUris(start, path, out, last, kRoleName, SortPolicy_ByName);
}

int CKiln_Main::DocMtd_get_descendent_BUris_SortByOrd(const URI_Ref& start, const CString& path,
                                                      std::vector<URI_Ref>& out, URI_Ref& last) {
    return DocMtd_get_descendent_BUris(start, path, out, last, kRoleOrd, SortPolicy_ByOrd);
}

bool CKiln_Main::DocMtd_get_Uris_byClassName_sortName(const CString& cls, std::vector<URI_Ref>& out,
                                                      const CString& sortAttr, Enum_SortPolicy policy) {
    if (sortAttr.IsEmpty()) return DocMtd_get_Uris_byClassName(cls, out, kRoleName, SortPolicy_ByName);
    return DocMtd_get_Uris_byClassName(cls, out, sortAttr, policy);
}

void CKiln_Main::Sort_Reset_Ord(std::vector<URI_Ref>* pList, bool bRenumber, CString attr) {
    if (!pList) return;
    // Each key is read once; a failed read counts as 0. The sort is stable,
    // so entries with equal numbers keep their order.
    std::vector<std::pair<long long, URI_Ref>> keyed;
    keyed.reserve(pList->size());
    for (const URI_Ref& rsc : *pList) {
        CString value;
        if (!DocMtd_get_attribute_value(rsc, attr, value)) value.Empty();
        keyed.emplace_back(kiln::text::AtoiValue(value.str()), rsc);
    }
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (size_t k = 0; k < keyed.size(); ++k) (*pList)[k] = keyed[k].second;
    if (!bRenumber) return;
    // The number is read again: a list may name one resource twice.
    for (size_t k = 0; k < pList->size(); ++k) {
        const URI_Ref& rsc = (*pList)[k];
        const int wanted = static_cast<int>(k) + 1;
        CString value;
        if (!DocMtd_get_attribute_value(rsc, attr, value)) value.Empty();
        if (kiln::text::AtoiValue(value.str()) == wanted) continue;
        CString number;
        number.Format("%d", wanted);
        DocMtd_Modify_attribute_value(rsc, attr, number);
    }
}
