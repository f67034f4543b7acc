#include "core/member_rename.h"

#include "core/free_names.h"

#include <map>
#include <set>
#include <string>
#include <unordered_map>

namespace kiln::core {
namespace {

// A text's name part: what stands before a "[" or "(" ("stVal" of "stVal[ST]").
CString NamePart(const CString& part) {
    int end = part.GetLength();
    for (const char c : {'[', '('}) {
        const int k = part.Find(c);
        if (k >= 0 && k < end) end = k;
    }
    return part.Left(end);
}

// The first name of a dotted text ("PhV" of "PhV.phsA[MX]").
CString FirstName(const CString& text) {
    const int dot = text.Find('.');
    return NamePart(dot < 0 ? text : text.Left(dot));
}

constexpr const char* kDoNameRole = "sec:DARef.doName";

class CCarry {
public:
    CCarry(CKiln_Main& app, SiblingNames& names, const URI_Ref& member, const CString& newName)
        : m_app(app), m_names(names), m_member(member), m_new(newName) {}

    std::vector<CTextEdit> Run() {
        std::vector<CTextEdit> edits;
        std::set<std::string> seen;
        for (const URI_Ref& type : LNodeTypesReaching(m_app, m_member))
            for (const URI_Ref& node : Along(type, "sec:LNodeType.LNode")) {
                if (!seen.insert(node.sUri).second) continue;
                const std::vector<URI_Ref> chain = ChainOf(m_app, node);
                for (const URI_Ref& ref : Along(node, "sec:LNode.DARefs")) {
                    URI_Ref at;
                    Carry(ref, kDoNameRole, &chain, at, edits);
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
            const CString name = NamePart(part);
            if (chain) {
                at = URI_Ref();
                for (const URI_Ref& type : *chain)
                    if ((at = m_names.First(type, "sec:LNodeType.DOs", name)).IsSet()) break;
                chain = nullptr;
            } else {
                at = at.IsSet() ? Step(at, name) : URI_Ref();
            }
            const bool renamed = at.IsSet() && at.sUri == m_member.sUri;
            changed = changed || renamed;
            out += (start ? CString(".") : CString()) + (renamed ? m_new + part.Mid(name.GetLength()) : part);
            start = dot + 1;
        }
        if (changed) edits.push_back({rsc, role, out});
    }

    // The node's LN type and its bases.
    static std::vector<URI_Ref> ChainOf(CKiln_Main& app, const URI_Ref& node) {
        std::vector<URI_Ref> chain;
        app.Get_AbstractTypes(app.DocMtd_getFirstUri_ofAsso(node, "sec:LNode.LNodeType"), &chain,
                              "sec:LNodeType.Abstract_Type");
        return chain;
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

    // The member named `name` below `at` (a DO, SDO, DA or BDA): an SDO or
    // DA of its DO type, a BDA of its structure; empty when there is none.
    URI_Ref Step(const URI_Ref& at, const CString& name) {
        if (at.sClass == "sec:DO" || at.sClass == "sec:SDO") {
            const URI_Ref type =
                First(at, at.sClass == "sec:DO" ? "sec:DO.DefinedBy_DOType" : "sec:SDO.DefinedBy_DOType");
            const URI_Ref sdo = m_names.First(type, "sec:DOType.Contains_SDOs", name);
            return sdo.IsSet() ? sdo : m_names.First(type, "sec:DOType.Contains_DAs", name);
        }
        if (at.sClass == "sec:DA" || at.sClass == "sec:BDA")
            return m_names.First(First(at, "sec:BDA.DefinedBy_Struct"), "sec:DAType.Contains_BDAs", name);
        return URI_Ref();
    }

    CKiln_Main& m_app;
    SiblingNames& m_names;
    URI_Ref m_member;
    CString m_new;
    std::map<std::string, std::vector<URI_Ref>> m_lists;  // owner|role -> targets in order
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
    SiblingNames names(app);
    return CCarry(app, names, member, newName).Run();
}

MemberTexts::MemberTexts(CKiln_Main& app, SiblingNames& names) : m_app(app), m_names(names) {}

void MemberTexts::Read() {
    m_read = true;
    std::vector<URI_Ref> nodes;
    m_app.DocMtd_get_Uris_byClassName("sec:LNode", nodes, "", SortPolicy_None);
    for (const URI_Ref& node : nodes) {
        for (const auto& [role, textRole] : {std::pair{"sec:LNode.DARefs", kDoNameRole}, std::pair{"sec:LNode.DOIs", kRoleName}}) {
            std::vector<URI_Ref> texts;
            m_app.DocMtd_get_Association_BUris(node, role, texts, "", SortPolicy_None);
            for (const URI_Ref& t : texts) Add(node, t, textRole, m_app.DocMtd_getValue_ofAttr(t, textRole));
        }
    }
}

void MemberTexts::Add(const URI_Ref& node, const URI_Ref& rsc, const char* role, const CString& text) {
    if (!text.IsEmpty()) m_texts[FirstName(text).str()].push_back(Text{node, rsc, role});
}

std::vector<CTextEdit> MemberTexts::Edits(const URI_Ref& member, const CString& oldName, const CString& newName) {
    m_pending.clear();
    if (oldName.IsEmpty() || oldName == newName || member.IsEmpty()) return {};
    if (member.sClass != "sec:DO") return CCarry(m_app, m_names, member, newName).Run();
    if (!m_read) Read();
    // Only a text that begins with the DO's name can name it; each is
    // resolved through its node's types as a whole walk would resolve it.
    std::vector<CTextEdit> edits;
    const auto found = m_texts.find(oldName.str());
    if (found == m_texts.end()) return edits;
    std::set<std::string> seen;
    CCarry carry(m_app, m_names, member, newName);
    for (const Text& t : found->second) {
        if (!seen.insert(t.rsc.sUri + '|' + t.role).second) continue;
        auto [chain, added] = m_chains.try_emplace(t.node.sUri);
        if (added) chain->second = CCarry::ChainOf(m_app, t.node);
        URI_Ref at;
        const size_t before = edits.size();
        carry.Carry(t.rsc, t.role, &chain->second, at, edits);
        if (edits.size() > before) m_pending.push_back(t);
    }
    return edits;
}

void MemberTexts::Renamed(const URI_Ref& member, const CString& newName, const std::vector<CTextEdit>& edits) {
    m_names.Renamed(member, newName);
    for (size_t k = 0; k < edits.size(); ++k) {
        const CTextEdit& e = edits[k];
        if (CString(e.role) == kRoleName) m_names.Renamed(e.rsc, e.value);
        // The text begins with the new name now.
        if (m_pending.size() == edits.size()) Add(m_pending[k].node, e.rsc, e.role, e.value);
    }
    m_pending.clear();
}

void ApplyTextEdits(CKiln_Main& app, const std::vector<CTextEdit>& edits) {
    for (const CTextEdit& e : edits) app.DocMtd_Modify_attribute_value(e.rsc, e.role, e.value);
}

}  // namespace kiln::core
