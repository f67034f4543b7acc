// Matching an M2I's information items to data objects by the rules that the
// engineer writes into the descriptions of the logical nodes:
//   no brackets (or "[]")  every DO name of the node's type is a key;
//   "[P]"                  "P/" + each DO name ("[G3]": group 3, "[1]": type 1);
//   "[DO=item]..."         each item names its DO ("(无)" marks a DO the
//                          type does not have).
// An information item is looked up as "G<grp>/<name>", "<typ>/<name>" and
// "<name>", in that order.
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/kiln_main.h"
#include "platform/mfc/text_funcs.h"

using kiln::core::kRoleName;

namespace {

// What a key of the match table points to. A key that a node's
// "[DO=item]" rules name twice holds several DO names; the counter gives
// them out one mapping item after the other.
struct CMatchEntry {
    URI_Ref node;
    std::vector<CString> doNames;
    size_t next = 0;

    // The DO name for the next mapping item; past the end the last one.
    CString Take() {
        if (doNames.size() == 1) return doNames.front();
        const CString& name = doNames[next < doNames.size() ? next : doNames.size() - 1];
        ++next;
        return name;
    }
};

using CMatchTable = std::map<CString, CMatchEntry>;

std::vector<URI_Ref> MembersByOrd(CKiln_Main& app, const URI_Ref& owner, const char* role) {
    std::vector<URI_Ref> out;
    app.DocMtd_get_Association_BUris_SortByOrd(owner, role, out);
    return out;
}

// The "[left=right]" rules of a description, registered for the node. The
// first node that registers a key keeps it; its own later rules for the
// same key add their DO names.
void RegisterPairs(CMatchTable& table, const URI_Ref& node, const CString& description,
                   const std::set<CString>& doNames) {
    CString rest = description;
    for (int close = rest.Find(']'); close >= 0; close = rest.Find(']')) {
        const int open = rest.Find('[');
        const int start = open >= 0 && open < close ? open + 1 : 0;
        const CString item = rest.Mid(start, close - start);
        rest = rest.Mid(close + 1);
        const int eq = item.Find('=');
        if (eq < 0) continue;
        const CString right = item.Mid(eq + 1);
        if (right.IsEmpty()) continue;
        CString left = item.Left(eq);
        if (!doNames.count(left)) left += "(无)";
        auto [entry, made] = table.try_emplace(right);
        if (made) {
            entry->second.node = node;
            entry->second.doNames.push_back(left);
        } else if (entry->second.node == node) {
            entry->second.doNames.push_back(left);
        }
    }
}

// Registers the keys of one node's description (see the head of the file).
void RegisterNode(CMatchTable& table, const URI_Ref& node, const CString& description,
                  const std::vector<CString>& names) {
    if (description.IsEmpty()) return;
    const bool open = description.Find('[') >= 0, close = description.Find(']') >= 0;
    CString stem;
    if (description.Find("[]") >= 0 || (!open && !close)) {
        stem = "";
    } else if (open && description.Find('=') < 0) {
        const int first = description.Find('['), end = description.Find(']');
        if (end <= first) return;
        stem = description.Mid(first + 1, end - first - 1);
        if (stem.IsEmpty()) return;
        stem += "/";
    } else {
        RegisterPairs(table, node, description, std::set<CString>(names.begin(), names.end()));
        return;
    }
    for (const CString& name : names) {
        auto [entry, made] = table.try_emplace(stem + name);
        if (!made) continue;
        entry->second.node = node;
        entry->second.doNames.push_back(name);
    }
}

// The ids of a list, each looked up once per item.
std::set<CString> IdSet(const CStringArray& ids) { return std::set<CString>(ids.begin(), ids.end()); }

bool Selected(const CString& id, const std::set<CString>& excluded, const std::set<CString>& selected) {
    if (!selected.empty()) return selected.count(id) > 0;
    return id.IsEmpty() || !excluded.count(id);
}

// The match table of the nodes of the M2I's ICD (optionally of one device or
// one node).
CMatchTable BuildTable(CKiln_Main& app, const URI_Ref& server, const URI_Ref& ldevice, const URI_Ref& lnode) {
    CMatchTable table;
    for (const URI_Ref& device : server.IsSet() ? MembersByOrd(app, server, "sec:Server.LDevices")
                                                : std::vector<URI_Ref>{}) {
        if (ldevice.IsSet() && device != ldevice) continue;
        for (const URI_Ref& node : MembersByOrd(app, device, "sec:LDevice.LNodes")) {
            if (lnode.IsSet() && node != lnode) continue;
            const URI_Ref lnType = app.DocMtd_getFirstUri_ofAsso(node, "sec:LNode.LNodeType");
            if (lnType.IsEmpty()) continue;
            std::vector<CString> names;
            for (const URI_Ref& d : MembersByOrd(app, lnType, "sec:LNodeType.DOs")) {
                const CString name = app.DocMtd_getValue_ofAttr(d, kRoleName);
                if (!name.IsEmpty()) names.push_back(name);
            }
            RegisterNode(table, node, app.DocMtd_getValue_ofAttr(node, "cim:Naming.description"), names);
        }
    }
    return table;
}

// Matches the items of the M2I's ITB, in order, that `take` accepts.
template <typename Take>
void MatchItems(CKiln_Main& app, const URI_Ref& m2i, const URI_Ref& ldevice, const URI_Ref& lnode, Take take) {
    const URI_Ref icd = app.DocMtd_getFirstUri_ofAsso(m2i, "sec:M2I.ICD");
    const URI_Ref server =
        icd.IsSet() ? app.DocMtd_getFirstUri_ofAsso(icd, "sec:ICD.IED/sec:IED.Servers") : URI_Ref();
    CMatchTable table = BuildTable(app, server, ldevice, lnode);

    std::vector<URI_Ref> items;
    URI_Ref last;
    if (icd.IsSet())
        app.DocMtd_get_descendent_BUris_SortByOrd(icd, "sec:ICD.ITB/sec:ITB.InfoItems", items, last);
    for (const URI_Ref& item : items) {
        if (!take(item)) continue;
        std::vector<URI_Ref> mapItems = MembersByOrd(app, item, "sec:InfoItem.MapItem");
        if (mapItems.empty()) {
            URI_Ref made;
            if (app.NewRsc_MapItem(&made, m2i, item)) mapItems.push_back(made);
        }
        const CString name = app.DocMtd_getValue_ofAttr(item, kRoleName);
        const CString keys[] = {"G" + app.DocMtd_getValue_ofAttr(item, "sec:InfoItem.p103_grp") + "/" + name,
                                app.DocMtd_getValue_ofAttr(item, "sec:InfoItem.p103_typ") + "/" + name, name};
        CMatchEntry* entry = nullptr;
        for (const CString& key : keys) {
            auto found = table.find(key);
            if (found == table.end()) continue;
            entry = &found->second;
            break;
        }
        if (!entry) continue;
        for (const URI_Ref& mapItem : mapItems) {
            if (app.DocMtd_getFirstUri_ofAsso(mapItem, "sec:DARef.LNode").IsSet()) continue;
            app.DocMtd_add_Association(mapItem, "sec:DARef.LNode", entry->node);
            app.DocMtd_Modify_attribute_value(mapItem, "sec:DARef.doName", entry->Take());
        }
    }
}

}  // namespace

bool CKiln_Main::Rsc_MatchM2I_ByDoDesc(URI_Ref m2i, CStringArray& excludedIds, CStringArray& selectedIds,
                                       URI_Ref ldevice, URI_Ref lnode) {
    const std::set<CString> excluded = IdSet(excludedIds), selected = IdSet(selectedIds);
    MatchItems(*this, m2i, ldevice, lnode, [&](const URI_Ref& item) {
        return Selected(DocMtd_getValue_ofAttr(item, "sec:InfoItem.id"), excluded, selected);
    });
    return true;
}

bool CKiln_Main::Rsc_MatchM2I_ByDoDesc(URI_Ref m2i, const std::vector<URI_Ref>& chosenItems, URI_Ref ldevice,
                                       URI_Ref lnode) {
    std::set<std::string> chosen;
    for (const URI_Ref& item : chosenItems) chosen.insert(item.sUri);
    MatchItems(*this, m2i, ldevice, lnode, [&](const URI_Ref& item) { return chosen.count(item.sUri) > 0; });
    return true;
}
