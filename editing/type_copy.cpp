// Deep copies of DA, DO and LN types and of one DO: the members are created
// with their creators and take the source's values and numbers; the types
// they refer to are shared, found by name or copied (CCopyRun::LinkType).
#include "editing/copy_run.h"
#include "platform/mfc/text_funcs.h"

using kiln::core::kRoleName;
using kiln::core::kRoleOrd;

namespace kiln::editing {

// A kind of type that members refer to: how its package lists it, how the
// ICD of its package is reached, its creator and its copy. A structure
// member is linked to a new copy before that copy is filled, a DO, SDO or
// logical node after.
struct CCopyRun::CTypeKind {
    const char* cls;
    const char* packageRole;
    const char* packageList;
    const char* icdPath;
    bool (CKiln_Main::*create)(URI_Ref*, URI_Ref);
    bool (CCopyRun::*copy)(const URI_Ref&, const URI_Ref&, const URI_Ref&);
    bool linkBeforeCopy;
};

namespace {

const CCopyRun::CTypeKind kDATypeKind{"sec:DAType",
                                      "sec:DAType.TypePackage",
                                      "sec:TypePackage.DATypes",
                                      "sec:DAType.TypePackage/sec:TypePackage.ICD",
                                      &CKiln_Main::NewRsc_DAType,
                                      &CCopyRun::DAType,
                                      true};
const CCopyRun::CTypeKind kDOTypeKind{"sec:DOType",
                                      "sec:DOType.TypePackage",
                                      "sec:TypePackage.DOTypes",
                                      "sec:DOType.TypePackage/sec:TypePackage.ICD",
                                      &CKiln_Main::NewRsc_DOType,
                                      &CCopyRun::DOType,
                                      false};
const CCopyRun::CTypeKind kLNodeTypeKind{"sec:LNodeType",
                                         "sec:LNodeType.TypePackage",
                                         "sec:TypePackage.LNodeTypes",
                                         "sec:LNodeType.TypePackage/sec:TypePackage.ICD",
                                         &CKiln_Main::NewRsc_LNodeType,
                                         &CCopyRun::LNodeType,
                                         false};

// The kind of a type class; null for any other class.
const CCopyRun::CTypeKind* KindOf(const std::string& cls) {
    for (const CCopyRun::CTypeKind* kind : {&kDATypeKind, &kDOTypeKind, &kLNodeTypeKind})
        if (cls == kind->cls) return kind;
    return nullptr;
}

// The basic type of a DA or BDA: the text after the last "." of its bType.
CString BasicType(CKiln_Main& app, const URI_Ref& member) {
    const CString bType = app.DocMtd_getValue_ofAttr(member, "sec:BDA.bType");
    const int dot = bType.ReverseFind('.');
    return dot < 0 ? bType : bType.Mid(dot + 1);
}

bool NamesOrd(const CStringArray& roles) {
    for (const CString& r : roles)
        if (r == kRoleOrd || r == "ord") return true;
    return false;
}

}  // namespace

bool CCopyRun::Made(bool ok, const URI_Ref& rsc) {
    if (ok && rsc.IsSet()) {
        m_vMade.push_back(rsc);
        NoteType(rsc);
    } else {
        m_bStopped = true;
    }
    return !m_bStopped;
}

URI_Ref CCopyRun::FirstNamed(const URI_Ref& package, const CTypeKind& kind, const CString& name) {
    auto [at, fresh] = m_named.try_emplace({package.sUri, kind.packageList});
    CNamedTypes& types = at->second;
    if (fresh)
        for (const URI_Ref& type : Members(package, kind.packageList)) Place(types, type);
    const auto named = types.byName.find(name.str());
    if (named == types.byName.end() || named->second.empty()) return URI_Ref();
    return types.byPlace[named->second.begin()->second];
}

void CCopyRun::Place(CNamedTypes& types, const URI_Ref& type) {
    auto [at, fresh] = types.entries.try_emplace(type.sUri);
    CNamedTypes::CEntry& entry = at->second;
    if (fresh) {
        entry.place = types.byPlace.size();
        types.byPlace.push_back(type);
    } else {
        types.byName[entry.name].erase({entry.ord, entry.place});
    }
    entry.name = m_app.DocMtd_getValue_ofAttr(type, kRoleName).str();
    entry.ord = kiln::text::AtoiValue(m_app.DocMtd_getValue_ofAttr(type, kRoleOrd).str());
    types.byName[entry.name].insert({entry.ord, entry.place});
}

void CCopyRun::NoteType(const URI_Ref& type) {
    const CTypeKind* kind = KindOf(type.sClass);
    if (m_named.empty() || !kind) return;
    const auto at = m_named.find({First(type, kind->packageRole).sUri, kind->packageList});
    if (at != m_named.end()) Place(at->second, type);
}

void CCopyRun::CopyTypeAttributes(const URI_Ref& source, const URI_Ref& target) {
    m_app.DocMtd_Copy_RscAttributes(source, target, CStringArray(), false, false);
    NoteType(target);
}

void CCopyRun::NoteCopy(const URI_Ref& source, const URI_Ref& copy) {
    if (source.IsSet()) m_copies[source.sUri] = copy;
}

bool CCopyRun::Finish() {
    std::map<std::string, CNodesByKey> homes;
    for (const auto& [member, node] : m_vMemberLinks) {
        if (m_bStopped) break;
        const auto copy = m_copies.find(node.sUri);
        const URI_Ref named = copy != m_copies.end() ? copy->second : NodeWhereMemberLies(member, node, homes);
        // A member no node of its IED answers names none.
        if (named.IsSet()) m_bStopped = !m_app.DocMtd_add_Association(member, "sec:DARef.LNode", named);
    }
    m_vMemberLinks.clear();
    if (!m_bStopped) return true;
    for (auto it = m_vMade.rbegin(); it != m_vMade.rend(); ++it) m_app.DocMtd_delete_a_Rsc(*it);
    m_vMade.clear();
    m_copies.clear();
    m_named.clear();
    return false;
}

void CCopyRun::CopyMember(const URI_Ref& source, const URI_Ref& target) {
    m_app.DocMtd_Copy_RscAttributes(source, target, CStringArray(), false, false);
    CopyNumber(source, target);
}

void CCopyRun::CopyNumber(const URI_Ref& source, const URI_Ref& target) {
    const CString ord = m_app.DocMtd_getValue_ofAttr(source, kRoleOrd);
    if (!ord.IsEmpty()) m_app.DocMtd_Modify_attribute_value(target, kRoleOrd, ord);
}

std::vector<URI_Ref> CCopyRun::Members(const URI_Ref& owner, const CString& role) {
    std::vector<URI_Ref> members;
    if (!m_app.DocMtd_get_Association_BUris(owner, role, members, kRoleOrd, SortPolicy_ByOrd)) members.clear();
    return members;
}

bool CCopyRun::LinkType(const URI_Ref& type, const CTypeKind& kind, const URI_Ref& package, const URI_Ref& member,
                        const CString& role) {
    if (m_bStopped) return false;
    if (type.IsEmpty()) return true;
    // A type of a package that belongs to no ICD is shared.
    if (First(type, kind.icdPath).IsEmpty()) {
        m_app.DocMtd_add_Association(member, role, type);
        return true;
    }
    if (const URI_Ref named = FirstNamed(package, kind, m_app.DocMtd_getValue_ofAttr(type, kRoleName)); named.IsSet()) {
        m_app.DocMtd_add_Association(member, role, named);
        return true;
    }
    // A type copied earlier in this run that its name does not find (a
    // nameless one) is not copied again.
    if (auto it = m_copies.find(type.sUri); it != m_copies.end()) {
        m_app.DocMtd_add_Association(member, role, it->second);
        return true;
    }
    URI_Ref copy;
    if (!Made((m_app.*kind.create)(&copy, package), copy)) return false;
    NoteCopy(type, copy);
    if (kind.linkBeforeCopy) m_app.DocMtd_add_Association(member, role, copy);
    if (!(this->*kind.copy)(type, copy, package)) return false;
    if (!kind.linkBeforeCopy) m_app.DocMtd_add_Association(member, role, copy);
    return true;
}

bool CCopyRun::LinkLNodeType(const URI_Ref& type, const URI_Ref& package, const URI_Ref& node) {
    return LinkType(type, kLNodeTypeKind, package, node, "sec:LNode.LNodeType");
}

bool CCopyRun::AttributeLinks(const URI_Ref& source, const URI_Ref& target, const CString& semanticRole,
                              const URI_Ref& package) {
    const URI_Ref semantic = First(source, semanticRole);
    if (semantic.IsSet()) m_app.DocMtd_add_Association(target, semanticRole, semantic);
    const CString basic = BasicType(m_app, source);
    if (basic == "Enum") {
        // Enumerations are shared, wherever they lie.
        const URI_Ref e = First(source, "sec:BDA.DefinedBy_EnumType");
        if (e.IsSet()) m_app.DocMtd_add_Association(target, "sec:BDA.DefinedBy_EnumType", e);
    } else if (basic == "Struct") {
        return LinkType(First(source, "sec:BDA.DefinedBy_Struct"), kDATypeKind, package, target,
                        "sec:BDA.DefinedBy_Struct");
    }
    return true;
}

bool CCopyRun::DAType(const URI_Ref& source, const URI_Ref& target, const URI_Ref& package) {
    if (m_bStopped) return false;
    if (source.IsSet()) CopyTypeAttributes(source, target);
    const URI_Ref cls = First(source, "sec:DAType.ClassOf_DAType");
    if (cls.IsSet()) m_app.DocMtd_add_Association(target, "sec:DAType.ClassOf_DAType", cls);
    for (const URI_Ref& bda : Members(source, "sec:DAType.Contains_BDAs")) {
        URI_Ref copy;
        if (!Made(m_app.NewRsc_BDA(&copy, target, CString()), copy)) return false;
        CopyMember(bda, copy);
        if (!AttributeLinks(bda, copy, "sec:BDA.DASemantic", package)) return false;
    }
    return true;
}

bool CCopyRun::DOType(const URI_Ref& source, const URI_Ref& target, const URI_Ref& package) {
    if (m_bStopped) return false;
    if (source.IsSet()) CopyTypeAttributes(source, target);
    const URI_Ref cls = First(source, "sec:DOType.ClassOf_DOType");
    if (cls.IsSet()) m_app.DocMtd_add_Association(target, "sec:DOType.ClassOf_DOType", cls);
    for (const URI_Ref& sdo : Members(source, "sec:DOType.Contains_SDOs")) {
        URI_Ref copy;
        if (!Made(m_app.NewRsc_SDO(&copy, target, CString()), copy)) return false;
        CopyMember(sdo, copy);
        const URI_Ref semantic = First(sdo, "sec:SDO.DASemantic");
        if (semantic.IsSet()) m_app.DocMtd_add_Association(copy, "sec:SDO.DASemantic", semantic);
        if (!LinkType(First(sdo, "sec:SDO.DefinedBy_DOType"), kDOTypeKind, package, copy, "sec:SDO.DefinedBy_DOType"))
            return false;
    }
    for (const URI_Ref& da : Members(source, "sec:DOType.Contains_DAs")) {
        URI_Ref copy;
        if (!Made(m_app.NewRsc_DA(&copy, target, CString()), copy)) return false;
        CopyMember(da, copy);
        if (!AttributeLinks(da, copy, "sec:DA.DASemantic", package)) return false;
    }
    return true;
}

bool CCopyRun::DO(const URI_Ref& source, const URI_Ref& target, const URI_Ref& lnType, const CStringArray& except) {
    if (m_bStopped) return false;
    m_app.DocMtd_Copy_RscAttributes(source, target, except, false, false);
    // A list that names the number keeps the target's own (a pasted DO stays
    // last); otherwise the copy takes the source's.
    if (!NamesOrd(except)) CopyNumber(source, target);
    const URI_Ref semantic = First(source, "sec:DO.DOSemantic");
    if (semantic.IsSet()) m_app.DocMtd_add_Association(target, "sec:DO.DOSemantic", semantic);
    return LinkType(First(source, "sec:DO.DefinedBy_DOType"), kDOTypeKind, First(lnType, "sec:LNodeType.TypePackage"),
                    target, "sec:DO.DefinedBy_DOType");
}

bool CCopyRun::LNodeType(const URI_Ref& source, const URI_Ref& target, const URI_Ref& /*package*/) {
    if (m_bStopped) return false;
    if (source.IsSet()) CopyTypeAttributes(source, target);
    const URI_Ref cls = First(source, "sec:LNodeType.ClassOf_LNType");
    if (cls.IsSet()) m_app.DocMtd_add_Association(target, "sec:LNodeType.ClassOf_LNType", cls);
    for (const URI_Ref& d : Members(source, "sec:LNodeType.DOs")) {
        URI_Ref copy;
        if (!Made(m_app.NewRsc_DO(&copy, target, CString()), copy)) return false;
        if (!DO(d, copy, target, CStringArray())) return false;
    }
    return true;
}

}  // namespace kiln::editing

using kiln::editing::CCopyRun;

bool CKiln_Main::Rsc_Copy_DAType(URI_Ref source, URI_Ref target, URI_Ref package) {
    CCopyRun run(*this);
    run.NoteCopy(source, target);
    run.DAType(source, target, package);
    return run.Finish();
}

bool CKiln_Main::Rsc_Copy_DOType(URI_Ref source, URI_Ref target, URI_Ref package) {
    CCopyRun run(*this);
    run.NoteCopy(source, target);
    run.DOType(source, target, package);
    return run.Finish();
}

bool CKiln_Main::Rsc_Copy_DO(URI_Ref& source, URI_Ref& target, URI_Ref& lnType, CStringArray& except) {
    CCopyRun run(*this);
    run.DO(source, target, lnType, except);
    return run.Finish();
}

bool CKiln_Main::Rsc_Copy_LNodeType(URI_Ref source, URI_Ref target, URI_Ref package) {
    CCopyRun run(*this);
    run.NoteCopy(source, target);
    run.LNodeType(source, target, package);
    return run.Finish();
}
