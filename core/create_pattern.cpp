#include "core/create_pattern.h"

#include "core/kiln_main.h"
#include "platform/ui/ui_functions.h"

namespace kiln::core {

CNewRsc::CNewRsc(CKiln_Main& app, URI_Ref* out, const char* lockNo) : m_app(app), m_pOut(out), m_sLockNo(lockNo) {}

const CString& OrdRole() {
    static const CString role(kRoleOrd);
    return role;
}

bool CNewRsc::Admit(const URI_Ref& parent, std::initializer_list<const char*> classes, const char* message) {
    if (!LockParentDomain(parent)) return false;
    ClearOut();
    return classes.size() == 0 || Expect(parent, classes, message);
}

bool CNewRsc::Admit(const URI_Ref& parent, const CMemberKind& kind) {
    if (!kind.parentCls) return Admit(parent);
    return Admit(parent, {kind.parentCls}, kind.parentMessage);
}

bool CNewRsc::Lock(const CString& domain) {
    if (&domain != &m_sDomain) m_sDomain = domain;
    if (m_app.DocMtd_DEnv_IsDomainEditable(m_sDomain)) return true;
    _AfxMessageBox(CString("当前域不可编辑！-") + m_sLockNo, MB_OK, "", nullptr);
    return false;
}

bool CNewRsc::LockParentDomain(const URI_Ref& parent) {
    // The parent's own domain (what Get_DomainName_withCreate gives without
    // a class), read without copying the handle, straight into the domain
    // the resources are made in.
    if (parent.IsSet())
        m_app.DocMtd_DEnv_Get_Rsc_Domain(parent, m_sDomain);
    else
        m_sDomain.Empty();
    return Lock(m_sDomain);
}

void CNewRsc::ClearOut() {
    if (m_pOut) m_pOut->Clear();
}

bool CNewRsc::Expect(const URI_Ref& rsc, std::initializer_list<const char*> classes, const char* message) {
    for (const char* cls : classes)
        if (rsc.sClass == cls) return true;
    _AfxMessageBox(message, MB_OK, "", nullptr);
    return false;
}

bool CNewRsc::CountNext(const URI_Ref& parent, const CString& path, CString& n, const char* onlyClass) {
    std::vector<URI_Ref> members;
    URI_Ref last;
    if (m_app.DocMtd_get_descendent_BUris(parent, path, members, last, kRoleOrd, SortPolicy_ByOrd) == 0)
        return false;
    int count = 0;
    for (const URI_Ref& r : members)
        if (onlyClass == nullptr || r.sClass == onlyClass) ++count;
    n.Format("%d", count + 1);
    return true;
}

URI_Ref CNewRsc::Create(const CString& cls, const CString& name, const char* error) {
    URI_Ref rsc;
    m_vMade.reserve(m_vMade.size() + 1);  // so that recording the new resource cannot fail
    if (!m_app.DocMtd_create_a_Rsc(m_sDomain, cls, rsc, name, "", URI_Ref()) || rsc.IsEmpty())
        throw CCreateFault(error);
    m_vMade.push_back({rsc, nullptr});
    return rsc;
}

void CNewRsc::Link(const URI_Ref& rsc, const CString& role, const URI_Ref& target, const char* error) {
    Require(m_app.DocMtd_add_Association(rsc, role, target), error);
}

void CNewRsc::Write(const URI_Ref& rsc, const CString& role, const CString& value, const char* error) {
    Require(m_app.DocMtd_Modify_attribute_value(rsc, role, value), error);
}

URI_Ref CNewRsc::CreateMember(const CMemberKind& kind, const URI_Ref& parent, const CString& n,
                              const CString& ord) {
    URI_Ref rsc = Create(kind.cls, kind.prefix + n);
    Link(rsc, kind.linkRole, parent);
    Write(rsc, OrdRole(), ord);
    return rsc;
}

void CNewRsc::Adopt(bool made, const URI_Ref& rsc, const char* memberRole) {
    Require(made, kErrCreatingRsc);
    if (rsc.IsSet()) m_vMade.push_back({rsc, memberRole});
}

void CNewRsc::Require(bool ok, const char* error) {
    if (!ok) throw CCreateFault(error);
}

void CNewRsc::Rollback() {
    for (auto it = m_vMade.rbegin(); it != m_vMade.rend(); ++it) {
        if (it->memberRole) {
            std::vector<URI_Ref> members;
            m_app.DocMtd_get_Association_BUris(it->rsc, it->memberRole, members, kRoleOrd, SortPolicy_ByOrd);
            for (const URI_Ref& member : members) m_app.DocMtd_delete_a_Rsc(member);
        }
        m_app.DocMtd_delete_a_Rsc(it->rsc);
    }
    m_vMade.clear();
}

bool NewMember(CKiln_Main& app, URI_Ref* pOut, const URI_Ref& parent, const CMemberKind& kind, const CString& given) {
    CNewRsc c(app, pOut, kind.lockNo);
    if (!c.Admit(parent, kind)) return false;
    const CString n = given.IsEmpty() ? app.Get_NewRscSeq(parent, kind.parentRole) : given;
    return c.Build([&] { return c.CreateMember(kind, parent, n, n); });
}

bool NewUnnumbered(CKiln_Main& app, URI_Ref* pOut, const URI_Ref& parent, const CMemberKind& kind) {
    CNewRsc c(app, pOut, kind.lockNo);
    if (!c.Admit(parent, kind)) return false;
    return c.Build([&] {
        URI_Ref rsc = c.Create(kind.cls, kind.prefix);
        c.Link(rsc, kind.linkRole, parent);
        return rsc;
    });
}

}  // namespace kiln::core
