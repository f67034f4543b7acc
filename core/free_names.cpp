#include "core/free_names.h"

#include <set>

namespace kiln::core {
namespace {

// How a package lists the types of a class, and the word the status line
// names them by.
struct CTypeList {
    const char* cls;
    const char* listRole;
    const char* word;
};

constexpr CTypeList kTypeLists[] = {
    {"sec:LNodeType", "sec:TypePackage.LNodeTypes", "LN类型"},
    {"sec:DOType", "sec:TypePackage.DOTypes", "DO类型"},
    {"sec:DAType", "sec:TypePackage.DATypes", "DA类型"},
};

}  // namespace

int FirstFreeNumber(int first, const std::function<bool(int)>& taken) {
    int n = first;
    while (taken(n)) ++n;
    return n;
}

void SayNameTaken(CKiln_Main& app, const CString& what, const CString& wanted, const CString& newWhat,
                  const CString& given) {
    app.Mtd_SetStatusBarText(what + wanted + "已存在，新" + newWhat + "命名为" + given);
}

CString FreeTypeName(CKiln_Main& app, const URI_Ref& package, const CString& typeClass, const CString& wanted,
                     const URI_Ref& made) {
    const CTypeList* list = nullptr;
    for (const CTypeList& l : kTypeLists)
        if (typeClass == l.cls) list = &l;
    if (!list) return wanted;
    std::vector<URI_Ref> types;
    app.DocMtd_get_Association_BUris(package, list->listRole, types, kRoleOrd, SortPolicy_ByOrd);
    std::set<CString> taken;
    for (const URI_Ref& type : types)
        if (!(type == made)) taken.insert(app.DocMtd_getValue_ofAttr(type, kRoleName));
    if (!taken.count(wanted)) return wanted;
    const int n = FirstFreeNumber(2, [&](int k) { return taken.count(wanted + std::to_string(k).c_str()) > 0; });
    const CString name = wanted + std::to_string(n).c_str();
    SayNameTaken(app, list->word, wanted, "类型", name);
    return name;
}

}  // namespace kiln::core
