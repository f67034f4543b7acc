#include "core/free_names.h"

#include <algorithm>
#include <cctype>
#include <set>
#include <string>

#include "core/scl_names.h"

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

std::set<CString> NamesInList(CKiln_Main& app, const URI_Ref& owner, const char* listRole, const URI_Ref& except) {
    std::vector<URI_Ref> members;
    app.DocMtd_get_Association_BUris(owner, listRole, members, kRoleOrd, SortPolicy_ByOrd);
    std::set<CString> names;
    for (const URI_Ref& m : members)
        if (!(m == except)) names.insert(app.DocMtd_getValue_ofAttr(m, kRoleName));
    return names;
}

bool SiblingNames::Taken(const URI_Ref& owner, const char* listPath, const CString& name, const URI_Ref& except) {
    const auto [at, added] = m_lists.try_emplace(owner.sUri + '\x1f' + listPath);
    Holders& list = at->second;
    if (added) {
        std::vector<URI_Ref> members;
        URI_Ref last;
        m_app.DocMtd_get_descendent_BUris(owner, listPath, members, last, kRoleName, SortPolicy_None);
        for (const URI_Ref& m : members) {
            std::string text = m_app.DocMtd_getValue_ofAttr(m, kRoleName).str();
            list[text].push_back(m.sUri);
            m_entries.emplace(m.sUri, Entry{&list, std::move(text)});
        }
    }
    const auto found = list.find(name.str());
    if (found == list.end()) return false;
    for (const std::string& holder : found->second)
        if (holder != except.sUri) return true;
    return false;
}

void SiblingNames::Renamed(const URI_Ref& rsc, const CString& name) {
    for (auto [at, end] = m_entries.equal_range(rsc.sUri); at != end; ++at) {
        Entry& entry = at->second;
        const auto old = entry.list->find(entry.name);
        if (old != entry.list->end()) {
            std::vector<std::string>& holders = old->second;
            if (const auto it = std::find(holders.begin(), holders.end(), rsc.sUri); it != holders.end())
                holders.erase(it);
            if (holders.empty()) entry.list->erase(old);
        }
        entry.name = name.str();
        (*entry.list)[entry.name].push_back(rsc.sUri);
    }
}

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
    const std::set<CString> taken = NamesInList(app, package, list->listRole, made);
    if (!taken.count(wanted)) return wanted;
    const int n = FirstFreeNumber(2, [&](int k) { return taken.count(wanted + std::to_string(k).c_str()) > 0; });
    const CString name = wanted + std::to_string(n).c_str();
    SayNameTaken(app, list->word, wanted, "类型", name);
    return name;
}

CString FreeDoName(CKiln_Main& app, const URI_Ref& lnType, const CString& wanted, const URI_Ref& made) {
    const std::set<CString> taken = NamesInList(app, lnType, "sec:LNodeType.DOs", made);
    const bool valid = IsSclDoName(wanted.str());
    if (valid && !taken.count(wanted)) return wanted;
    constexpr size_t kLongest = 12;  // SCL's longest DO name
    std::string base;
    for (const char c : wanted.str())
        if (std::isalnum(static_cast<unsigned char>(c))) base += c;
    if (base.empty() || std::isdigit(static_cast<unsigned char>(base[0]))) base = "DO" + base;
    base[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(base[0])));
    std::string name = base.substr(0, kLongest);
    if (taken.count(CString(name))) {
        const int n = FirstFreeNumber(2, [&](int k) {
            const std::string number = std::to_string(k);
            return taken.count(CString(base.substr(0, kLongest - number.size()) + number)) > 0;
        });
        const std::string number = std::to_string(n);
        name = base.substr(0, kLongest - number.size()) + number;
    }
    if (valid)
        SayNameTaken(app, "DO", wanted, "DO", name.c_str());
    else
        app.Mtd_SetStatusBarText("DO名" + wanted + "不符合SCL，新DO命名为" + CString(name.c_str()));
    return name.c_str();
}

}  // namespace kiln::core
