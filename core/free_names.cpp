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

const std::vector<std::pair<size_t, URI_Ref>>* SiblingNames::Holding(const URI_Ref& owner, const char* listPath,
                                                                     const CString& name) {
    const auto [at, added] = m_lists.try_emplace(owner.sUri + '\x1f' + listPath);
    Holders& list = at->second;
    if (added && owner.IsSet()) {
        std::vector<URI_Ref> members;
        URI_Ref last;
        m_app.DocMtd_get_descendent_BUris(owner, listPath, members, last, kRoleOrd, SortPolicy_ByOrd);
        for (size_t place = 0; place < members.size(); ++place) {
            std::string text = m_app.DocMtd_getValue_ofAttr(members[place], kRoleName).str();
            list[text].emplace_back(place, members[place]);
            m_entries.emplace(members[place].sUri, Entry{&list, std::move(text), place});
        }
    }
    const auto found = list.find(name.str());
    return found == list.end() ? nullptr : &found->second;
}

bool SiblingNames::Taken(const URI_Ref& owner, const char* listPath, const CString& name, const URI_Ref& except) {
    const auto* holders = Holding(owner, listPath, name);
    if (!holders) return false;
    for (const auto& holder : *holders)
        if (!(holder.second == except)) return true;
    return false;
}

URI_Ref SiblingNames::First(const URI_Ref& owner, const char* listPath, const CString& name) {
    const auto* holders = Holding(owner, listPath, name);
    return holders && !holders->empty() ? holders->front().second : URI_Ref();
}

void SiblingNames::Renamed(const URI_Ref& rsc, const CString& name) {
    for (auto [at, end] = m_entries.equal_range(rsc.sUri); at != end; ++at) {
        Entry& entry = at->second;
        const auto old = entry.list->find(entry.name);
        if (old != entry.list->end()) {
            auto& holders = old->second;
            holders.erase(std::remove_if(holders.begin(), holders.end(),
                                         [&](const auto& holder) { return holder.second == rsc; }),
                          holders.end());
            if (holders.empty()) entry.list->erase(old);
        }
        entry.name = name.str();
        auto& holders = (*entry.list)[entry.name];
        const auto place = std::lower_bound(holders.begin(), holders.end(), entry.place,
                                            [](const auto& holder, size_t p) { return holder.first < p; });
        holders.emplace(place, entry.place, rsc);
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
