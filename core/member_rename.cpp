#include "core/member_rename.h"

#include <map>
#include <set>
#include <string>
#include <unordered_map>

namespace kiln::core {
namespace {

class CCarry {
public:
    CCarry(CKiln_Main& app, const URI_Ref& member, const CString& newName)
        : m_app(app), m_member(member), m_new(newName) {}

    std::vector<CTextEdit> Run() {
        std::vector<CTextEdit> edits;
        std::set<std::string> seen;
        for (const URI_Ref& type : LNodeTypesReaching(m_app, m_member))
            for (const URI_Ref& node : Along(type, "sec:LNodeType.LNode")) {
                if (!seen.insert(node.sUri).second) continue;
                std::vector<URI_Ref> chain;
                m_app.Get_AbstractTypes(m_app.DocMtd_getFirstUri_ofAsso(node, "sec:LNode.LNodeType"), &chain,
                                        "sec:LNodeType.Abstract_Type");
                for (const URI_Ref& ref : Along(node, "sec:LNode.DARefs")) {
                    URI_Ref at;
                    Carry(ref, "sec:DARef.doName", &chain, at, edits);
                    Carry(ref, "sec:DARef.daName", nullptr, at, edits);
                }
                for (const URI_Ref& doi : Along(node, "sec:LNode.DOIs")) {
                    URI_Ref at;
                    Carry(doi, kRoleName, &chain, at, edits);
                    for (const URI_Ref& dai : Along(doi, "sec:DOI.DAIs")) {
                        URI_Ref below = at;
                        Carry(dai, kRoleName, nullptr, below, edits);
                    }
                }
            }
        return edits;
    }

private:
    const std::vector<URI_Ref>& Along(const URI_Ref& owner, const char* role) {
        auto [it, added] = m_lists.try_emplace(owner.sUri + "|" + role);
        if (added && owner.IsSet())
            m_app.DocMtd_get_Association_BUris(owner, role, it->second, kRoleOrd, SortPolicy_ByOrd);
        return it->second;
    }
    URI_Ref First(const URI_Ref& owner, const char* role) {
        return owner.IsSet() ? m_app.DocMtd_getFirstUri_ofAsso(owner, role) : URI_Ref();
    }
    // The first target of `owner` along `role` named `name`: the list's
    // names are read once a run, as every text of every node asks of them.
    URI_Ref Named(const URI_Ref& owner, const char* role, const CString& name) {
        auto [it, added] = m_names.try_emplace(owner.sUri + "|" + role);
        if (added)
            for (const URI_Ref& r : Along(owner, role))
                it->second.try_emplace(m_app.DocMtd_getValue_ofAttr(r, kRoleName).str(), r);
        const auto hit = it->second.find(name.str());
        return hit == it->second.end() ? URI_Ref() : hit->second;
    }

    // The member named `name` below `at` (a DO, SDO, DA or BDA): an SDO or
    // DA of its DO type, a BDA of its structure; empty when there is none.
    URI_Ref Step(const URI_Ref& at, const CString& name) {
        if (at.sClass == "sec:DO" || at.sClass == "sec:SDO") {
            const URI_Ref type =
                First(at, at.sClass == "sec:DO" ? "sec:DO.DefinedBy_DOType" : "sec:SDO.DefinedBy_DOType");
            const URI_Ref sdo = Named(type, "sec:DOType.Contains_SDOs", name);
            return sdo.IsSet() ? sdo : Named(type, "sec:DOType.Contains_DAs", name);
        }
        if (at.sClass == "sec:DA" || at.sClass == "sec:BDA")
            return Named(First(at, "sec:BDA.DefinedBy_Struct"), "sec:DAType.Contains_BDAs", name);
        return URI_Ref();
    }

    // The text of `role` resolved name by name, from the DOs of `chain`
    // (the node's type and its bases) or else from `at`; the names that
    // stand for the renamed member take the new name, whatever follows a
    // name ("[ST]", "(1)") stays. `at` ends at the member the text names.
    void Carry(const URI_Ref& rsc, const char* role, const std::vector<URI_Ref>* chain, URI_Ref& at,
               std::vector<CTextEdit>& edits) {
        const CString text = m_app.DocMtd_getValue_ofAttr(rsc, role);
        if (text.IsEmpty()) return;
        CString out;
        bool changed = false;
        int start = 0;
        while (start <= text.GetLength()) {
            int dot = text.Find('.', start);
            if (dot < 0) dot = text.GetLength();
            const CString part = text.Mid(start, dot - start);
            int end = part.GetLength();
            for (const char c : {'[', '('}) {
                const int k = part.Find(c);
                if (k >= 0 && k < end) end = k;
            }
            const CString name = part.Left(end);
            if (chain) {
                at = URI_Ref();
                for (const URI_Ref& type : *chain)
                    if ((at = Named(type, "sec:LNodeType.DOs", name)).IsSet()) break;
                chain = nullptr;
            } else {
                at = at.IsSet() ? Step(at, name) : URI_Ref();
            }
            const bool renamed = at.IsSet() && at.sUri == m_member.sUri;
            changed = changed || renamed;
            out += (start ? CString(".") : CString()) + (renamed ? m_new + part.Mid(end) : part);
            start = dot + 1;
        }
        if (changed) edits.push_back({rsc, role, out});
    }

    CKiln_Main& m_app;
    URI_Ref m_member;
    CString m_new;
    std::map<std::string, std::vector<URI_Ref>> m_lists;  // owner|role -> targets in order
    std::unordered_map<std::string, std::unordered_map<std::string, URI_Ref>> m_names;  // owner|role -> name -> first
};

}  // namespace

std::vector<URI_Ref> LNodeTypesReaching(CKiln_Main& app, const URI_Ref& from) {
    std::vector<URI_Ref> lnTypes, doTypes, daTypes;
    std::set<std::string> seen;
    auto add = [&seen](std::vector<URI_Ref>& list, const URI_Ref& r) {
        if (r.IsSet() && seen.insert(r.sUri).second) list.push_back(r);
    };
    auto first = [&app](const URI_Ref& owner, const char* role) {
        return owner.IsSet() ? app.DocMtd_getFirstUri_ofAsso(owner, role) : URI_Ref();
    };
    auto along = [&app](const URI_Ref& owner, const char* role) {
        std::vector<URI_Ref> list;
        app.DocMtd_get_Association_BUris(owner, role, list, kRoleOrd, SortPolicy_ByOrd);
        return list;
    };
    // A DA or BDA is held by its DO type or its structure.
    auto addOwner = [&](const URI_Ref& holder) {
        add(doTypes, first(holder, "sec:DA.MemberOf_DOType"));
        add(daTypes, first(holder, "sec:BDA.MemberOf_DAType"));
    };
    const std::string& cls = from.sClass;
    if (cls == "sec:DO") add(lnTypes, first(from, "sec:DO.LNodeType"));
    if (cls == "sec:SDO") add(doTypes, first(from, "sec:SDO.MemberOf_DOType"));
    if (cls == "sec:DA" || cls == "sec:BDA") addOwner(from);
    if (cls == "sec:EnumType")
        for (const URI_Ref& holder : along(from, "sec:EnumType.TypeOf_BDA")) addOwner(holder);
    for (size_t i = 0; i < daTypes.size(); ++i)
        for (const URI_Ref& holder : along(daTypes[i], "sec:DAType.Structof_BDA")) addOwner(holder);
    for (size_t i = 0; i < doTypes.size(); ++i) {
        for (const URI_Ref& d : along(doTypes[i], "sec:DOType.TypeOf_DO")) add(lnTypes, first(d, "sec:DO.LNodeType"));
        for (const URI_Ref& sdo : along(doTypes[i], "sec:DOType.TypeOf_SDO"))
            add(doTypes, first(sdo, "sec:SDO.MemberOf_DOType"));
    }
    for (size_t i = 0; i < lnTypes.size(); ++i)
        for (const URI_Ref& derived : along(lnTypes[i], "sec:LNodeType.Derivative_Types")) add(lnTypes, derived);
    return lnTypes;
}

std::vector<CTextEdit> MemberRenameEdits(CKiln_Main& app, const URI_Ref& member, const CString& oldName,
                                         const CString& newName) {
    if (oldName.IsEmpty() || oldName == newName || member.IsEmpty()) return {};
    return CCarry(app, member, newName).Run();
}

void ApplyTextEdits(CKiln_Main& app, const std::vector<CTextEdit>& edits) {
    for (const CTextEdit& e : edits) app.DocMtd_Modify_attribute_value(e.rsc, e.role, e.value);
}

}  // namespace kiln::core
