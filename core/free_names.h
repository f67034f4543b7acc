// Names for new resources where the name their rule gives is taken: the
// first free number, and the status-line text that says which name was
// taken and which one the new resource has instead.
#pragma once

#include <functional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/kiln_main.h"

namespace kiln::core {

// The names of the resources `owner` lists along `listRole`, `except` left
// out (a resource renamed or just made does not take a name from itself).
std::set<CString> NamesInList(CKiln_Main& app, const URI_Ref& owner, const char* listRole,
                              const URI_Ref& except = URI_Ref());

// The names of the resources owners list, each list read once, when first
// asked, and kept as names change: a command that asks of many names
// whether a sibling holds them, or which member a name stands for, asks
// through one index made for the command, not through a reading of the
// whole list each time. A command that adds or removes members of a list it
// asked of makes a new one.
class SiblingNames {
public:
    explicit SiblingNames(CKiln_Main& app) : m_app(app) {}
    // Whether a resource at the end of `listPath` from `owner` (roles
    // joined by "/"), other than `except`, is named `name`.
    bool Taken(const URI_Ref& owner, const char* listPath, const CString& name, const URI_Ref& except = URI_Ref());
    // The first of them, in sibling order, named `name`; empty when none is.
    URI_Ref First(const URI_Ref& owner, const char* listPath, const CString& name);
    // `rsc` is named `name` now.
    void Renamed(const URI_Ref& rsc, const CString& name);

private:
    // name -> the resources of the list that hold it, by their place in it
    using Holders = std::unordered_map<std::string, std::vector<std::pair<size_t, URI_Ref>>>;
    struct Entry {
        Holders* list;
        std::string name;
        size_t place;
    };
    const std::vector<std::pair<size_t, URI_Ref>>* Holding(const URI_Ref& owner, const char* listPath,
                                                           const CString& name);
    CKiln_Main& m_app;
    std::unordered_map<std::string, Holders> m_lists;  // owner and path -> the names of its list
    std::unordered_multimap<std::string, Entry> m_entries;  // resource -> a list it stands in, by its name
};

// The first number from `first` on that `taken` does not claim.
int FirstFreeNumber(int first, const std::function<bool(int)>& taken);

// Shows on the status line "<what><wanted>已存在，新<newWhat>命名为<given>".
void SayNameTaken(CKiln_Main& app, const CString& what, const CString& wanted, const CString& newWhat,
                  const CString& given);

// The name for a new LN, DO or DA type (`typeClass` "sec:LNodeType" ...) of
// the package: `wanted` when no other type of that class in the package has
// it, else the first free of wanted + "2", "3", ..., said on the status line
// ("LN类型P_GGIO已存在，新类型命名为P_GGIO2"). `made`, the new type itself
// when it exists already, does not count.
CString FreeTypeName(CKiln_Main& app, const URI_Ref& package, const CString& typeClass, const CString& wanted,
                     const URI_Ref& made = URI_Ref());

// The name for a new DO of the LN type: `wanted` when it is an SCL DO name
// that no other DO of the type has. Else its letters and digits, the first
// a capital, cut to leave room for a number; taken, the first free of it
// and "2", "3", ... The status line says which name the DO has instead
// ("DO名Mod_Soft不符合SCL，新DO命名为ModSoft", "DOOp已存在，新DO命名为Op2").
// `made`, the new DO itself, does not count.
CString FreeDoName(CKiln_Main& app, const URI_Ref& lnType, const CString& wanted, const URI_Ref& made);

}  // namespace kiln::core
