#include <algorithm>
#include <climits>
#include <utility>

#include "core/kiln_main.h"

namespace {

constexpr const char* kNameAttr = "cim:Naming.name";
constexpr const char* kOrdAttr = "e301:OrdNaming.ord";

// The C library's atoi without its undefined behaviour: leading blanks, an
// optional sign, digits up to the first other character; 0 when the text
// does not begin with a number; values beyond int saturate.
int atoiValue(const CString& text) {
    const std::string& s = text.str();
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || (s[i] >= '\t' && s[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    long long v = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        v = v * 10 + (s[i] - '0');
        if (v > static_cast<long long>(INT_MAX) + 1) v = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) v = -v;
    return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX));
}

}  // namespace

bool CKiln_Main::DocMtd_get_Association_BUris(const URI_Ref& rsc, const CString& asso, std::vector<URI_Ref>& out,
                                              const CString& sortAttr, Enum_SortPolicy policy) {
    return CBase_AppCim::DocMtd_get_Association_BUris(rsc, asso, out, sortAttr, policy);
}

bool CKiln_Main::DocMtd_get_Association_BUris_SortByName(const URI_Ref& rsc, const CString& asso,
                                                         std::vector<URI_Ref>& out) {
    return DocMtd_get_Association_BUris(rsc, asso, out, kNameAttr, SortPolicy_ByName);
}

bool CKiln_Main::DocMtd_get_Association_BUris_SortByOrd(const URI_Ref& rsc, const CString& asso,
                                                        std::vector<URI_Ref>& out) {
    return DocMtd_get_Association_BUris(rsc, asso, out, kOrdAttr, SortPolicy_ByOrd);
}

int CKiln_Main::DocMtd_get_descendent_BUris(const URI_Ref& start, const CString& path, std::vector<URI_Ref>& out,
                                            URI_Ref& last, const CString& sortAttr, Enum_SortPolicy policy) {
    return CBase_AppCim::DocMtd_get_descendent_BUris(start, path, out, last, sortAttr, policy);
}

int CKiln_Main::DocMtd_get_descendent_BUris_SortByName(const URI_Ref& start, const CString& path,
                                                       std::vector<URI_Ref>& out, URI_Ref& last) {
    return DocMtd_get_descendent_BUris(start, path, out, last, kNameAttr, SortPolicy_ByName);
}

int CKiln_Main::DocMtd_get_descendent_BUris_SortByOrd(const URI_Ref& start, const CString& path,
                                                      std::vector<URI_Ref>& out, URI_Ref& last) {
    return DocMtd_get_descendent_BUris(start, path, out, last, kOrdAttr, SortPolicy_ByOrd);
}

bool CKiln_Main::DocMtd_get_Uris_byClassName_sortName(const CString& cls, std::vector<URI_Ref>& out,
                                                      const CString& sortAttr, Enum_SortPolicy policy) {
    if (sortAttr.IsEmpty()) return DocMtd_get_Uris_byClassName(cls, out, kNameAttr, SortPolicy_ByName);
    return DocMtd_get_Uris_byClassName(cls, out, sortAttr, policy);
}

void CKiln_Main::Sort_Reset_Ord(std::vector<URI_Ref>* pList, bool bRenumber, CString attr) {
    if (!pList) return;
    // Each key is read once; a failed read counts as 0. The sort is stable,
    // so entries with equal numbers keep their order.
    std::vector<std::pair<int, URI_Ref>> keyed;
    keyed.reserve(pList->size());
    for (const URI_Ref& rsc : *pList) {
        CString value;
        if (!DocMtd_get_attribute_value(rsc, attr, value)) value.Empty();
        keyed.emplace_back(atoiValue(value), rsc);
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
        if (atoiValue(value) == wanted) continue;
        CString number;
        number.Format("%d", wanted);
        DocMtd_Modify_attribute_value(rsc, attr, number);
    }
}
