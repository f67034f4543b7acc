#include "platform/framework/doc_services.h"

#include <string>

// ---- attributes ---------------------------------------------------------------

bool CDocServices::DocMtd_get_attribute_value(const URI_Ref& rsc, const CString& role, CString& value) {
    return m_Doc.GetAttribute(rsc, role, value);  // a failed read leaves `value` as it was
}

CString CDocServices::DocMtd_getValue_ofAttr(const URI_Ref& rsc, const CString& role, bool* pFound, bool) {
    CString v;
    bool ok = m_Doc.GetAttribute(rsc, role, v);
    if (pFound) *pFound = ok;
    return v;
}

bool CDocServices::DocMtd_Modify_attribute_value(const URI_Ref& rsc, const CString& role, const CString& value) {
    return m_Doc.SetAttribute(rsc, role, value);
}

bool CDocServices::DocMtd_Copy_RscAttributes(const URI_Ref& src, const URI_Ref& dst, const CStringArray& except,
                                             bool, bool) {
    return m_Doc.CopyAttributes(src, dst, except);
}

// ---- associations -------------------------------------------------------------

bool CDocServices::DocMtd_add_Association(const URI_Ref& rsc, const CString& role, const URI_Ref& target) {
    return m_Doc.AddLink(rsc, role, target);
}

bool CDocServices::DocMtd_del_Association(const URI_Ref& rsc, const CString& role, const URI_Ref& target) {
    return m_Doc.DelLink(rsc, role, target);
}

bool CDocServices::DocMtd_update_Association(const URI_Ref& rsc, const CString& role, const URI_Ref& target) {
    return m_Doc.UpdateLink(rsc, role, target);
}

bool CDocServices::DocMtd_clear_Association(const URI_Ref& rsc, const CString& role) {
    return m_Doc.ClearLinks(rsc, role);
}

URI_Ref CDocServices::DocMtd_getFirstUri_ofAsso(const URI_Ref& rsc, const CString& path, int index, const CString& cls,
                                                const URI_Ref& except, int* count) {
    return m_Doc.FirstTarget(rsc, path, index, cls, except, count);
}

CString CDocServices::DocMtd_getFirstValue_ofAsso(const URI_Ref& rsc, const CString& path, const CString& attr,
                                                  bool* pFound, bool) {
    URI_Ref first = m_Doc.FirstTarget(rsc, path);
    CString v;
    bool ok = first.IsSet() && m_Doc.GetAttribute(first, attr, v);
    if (pFound) *pFound = ok;
    return ok ? v : CString();
}

bool CDocServices::DocMtd_get_Association_BUris(const URI_Ref& rsc, const CString& role, std::vector<URI_Ref>& out,
                                                const CString& sortAttr, Enum_SortPolicy policy) {
    return m_Doc.Targets(rsc, role, out, sortAttr, static_cast<int>(policy));
}

int CDocServices::DocMtd_get_descendent_BUris(const URI_Ref& start, const CString& path, std::vector<URI_Ref>& out,
                                              URI_Ref&, const CString& sortAttr, Enum_SortPolicy policy) {
    return m_Doc.PathTargets(start, path, out, sortAttr, static_cast<int>(policy)) ? 1 : 0;
}

bool CDocServices::DocMtd_get_Uris_byClassName(const CString& cls, std::vector<URI_Ref>& out, const CString& sortAttr,
                                               Enum_SortPolicy policy) {
    return m_Doc.ByClass(cls, out, sortAttr, static_cast<int>(policy));
}

CString CDocServices::DocMtd_GetSeqNumber_byAsso(const URI_Ref& rsc, const CString& role, int* count) {
    int n = m_Doc.CountTargets(rsc, role);
    if (count) *count = n < 0 ? 0 : n;
    if (n < 0) return CString();
    return CString(std::to_string(n + 1));
}

CString CDocServices::DocMtd_GetReverseAsso(const CString& role) { return m_Doc.ReverseRole(role); }

bool CDocServices::DocMtd_Find_aURI_InAsso(const URI_Ref& key, const URI_Ref& start, const CString& role,
                                           URI_Ref& found, const CString& filterRole) {
    std::vector<URI_Ref> members;
    if (key.sUri.empty() || !m_Doc.Targets(start, role, members)) return false;
    std::vector<URI_Ref> targets;
    for (const URI_Ref& m : members) {
        if (!m_Doc.Targets(m, filterRole, targets)) continue;
        for (const URI_Ref& t : targets) {
            if (t == key) {
                found = m;
                return true;
            }
        }
    }
    return false;
}

// ---- resources ------------------------------------------------------------------

bool CDocServices::DocMtd_create_a_Rsc(const CString& domain, const CString& cls, URI_Ref& out, const CString& name,
                                       const CString&, const URI_Ref&) {
    return m_Doc.CreateResource(domain, cls, out, name);
}

bool CDocServices::DocMtd_delete_a_Rsc(const URI_Ref& rsc) { return m_Doc.DeleteResource(rsc); }

URI_Ref CDocServices::DocMtd_TestBy_URIRef(const CString& uri) { return m_Doc.Find(uri); }

bool CDocServices::DocMtd_TestBy_RscInst(const CString& uri, Struct_RscInst* inst, int, bool) {
    URI_Ref h = m_Doc.Find(uri);
    if (h.IsEmpty()) return false;
    if (inst) {
        inst->uRsc = h;
        m_Doc.GetAttribute(h, "cim:Naming.name", inst->sName);
        m_Doc.Get_Rsc_Domain(h, inst->sDomain);
    }
    return true;
}

// ---- schema records ---------------------------------------------------------------

bool CDocServices::DocMtd_Get_ClassDfn(const CString& cls, CClassDfn& out) { return m_Doc.GetClassDfn(cls, out); }

bool CDocServices::DocMtd_Get_AttrDfn(const CString& cls, const CString& role, Struct_AttrDfn& out) {
    return m_Doc.GetAttrDfn(cls, role, out);
}

bool CDocServices::DocMtd_Get_AssoDfn(const CString& cls, const CString& role, Struct_AssoDfn& out) {
    return m_Doc.GetAssoDfn(cls, role, out);
}

bool CDocServices::DocMtd_Get_EnumClassDfn(const CString& enumName, CEnumClassDfn& out) {
    return m_Doc.GetEnumDfn(enumName, out);
}

// ---- domains ------------------------------------------------------------------------

bool CDocServices::DocMtd_DEnv_Get_Rsc_Domain(const URI_Ref& rsc, CString& domain) {
    return m_Doc.Get_Rsc_Domain(rsc, domain);
}

bool CDocServices::DocMtd_DEnv_IsDomainEditable(const CString& domain) { return m_Doc.IsDomainEditable(domain); }

CString CDocServices::DocMtd_Get_DocPath() { return m_Doc.DocPath(); }

bool CDocServices::Proc_Create_a_Domain_byType(const CString& domain, const URI_Ref& type, const CString& title,
                                               const DomainTypeDfn&) {
    return m_Doc.CreateDomain(domain, type, title, true);
}

bool CDocServices::Proc_FindCreatableType_ByName(const CString& name, const CString& altName, URI_Ref& type) {
    if (m_Doc.FindDomainType(name, type)) return true;
    return !altName.IsEmpty() && altName != name && m_Doc.FindDomainType(altName, type);
}

bool CDocServices::Proc_FromName_toDomain(const CString& domain, URI_Ref& handle) {
    // A name without its final "#" (as a drawing file's name gives it) names
    // the domain that adds one.
    CString name = domain;
    if (!m_Doc.Is_DomainExist(name) && !name.IsEmpty() && name.Find('#') < 0) name += "#";
    if (!m_Doc.Is_DomainExist(name)) return false;
    handle = URI_Ref(name.str(), kDomainHandleClass);
    return true;
}

CString CDocServices::Get_DomainPrefix_Default(const CString&) { return m_Doc.GetDomainPrefixDefault(); }

bool CDocServices::DocMtd_DEnvDelete_a_Domain(const CString& domain) { return m_Doc.Delete_a_Domain(domain); }

bool CDocServices::DocMtd_Delete_Ephemeral_Domain(const CString& domain) { return DocMtd_DEnvDelete_a_Domain(domain); }

bool CDocServices::DocMtd_DEnv_IsDomainModified(const CString& domain) { return m_Doc.IsDomainModified(domain); }

bool CDocServices::DocMtd_Import_DomainData(const CString& domain, const CString& file) {
    return m_Doc.Import_DomainData(domain, file);
}

bool CDocServices::DocMtd_DEnv_ServerTest() { return m_Doc.ServerTest(); }

bool CDocServices::DocMtd_Test_DomainExist(const CString& domain) { return m_Doc.Is_DomainExist(domain); }

bool CDocServices::DocMtd_DEnv_Is_Tmp_Domain(const CString& domain) { return m_Doc.Is_Tmp_Domain(domain); }

bool CDocServices::DocMtd_DEnv_StrToCimDomain(const CString& text, const CString& domain) {
    return m_Doc.StrToCimDomain(text, domain);
}

bool CDocServices::DocMtd_DEnv_CimDomainToStr(const CString& domain, CString& text) {
    return m_Doc.CimDomainToStr(domain, text);
}

bool CDocServices::DocMtd_DEnv_FileToCimDomain(const CString& file, const CString& domain) {
    return m_Doc.FileToCimDomain(file, domain);
}

bool CDocServices::DocMtd_DEnv_CimDomainToFile(const CString& domain, const CString& file) {
    return m_Doc.CimDomainToFile(domain, file);
}

bool CDocServices::DocMtd_DEnv_SetDataBlock(const CString& domain, const CString& key, const CString& data) {
    return m_Doc.SetDataBlock(domain, key, data);
}

bool CDocServices::DocMtd_DEnv_GetDataBlock(const CString& domain, const CString& key, CString& data) {
    return m_Doc.GetDataBlock(domain, key, data);
}

bool CDocServices::DocMtd_DEnv_SetDataBlock_byFile(const CString& domain, const CString& key, const CString& file) {
    return m_Doc.SetDataBlock_byFile(domain, key, file);
}

bool CDocServices::DocMtd_DEnv_GetDataBlock_byFile(const CString& domain, const CString& key, const CString& file) {
    return m_Doc.GetDataBlock_byFile(domain, key, file);
}

bool CDocServices::DrrMtd_Open_a_Drawer_ofKeyRsc(const URI_Ref& key, CString& domain, bool, int) {
    return m_Doc.OpenDrawerOfKey(key, domain);
}

bool CDocServices::Import_ExterDomainFile(const URI_Ref& domainType, const CString& classText, const CString& file,
                                          CString* newDomain) {
    return m_Doc.ImportDomainFile(file, domainType, classText, "", newDomain);
}

int Search_URISequence(const std::vector<URI_Ref>& list, const URI_Ref& rsc) {
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i] == rsc) return static_cast<int>(i);
    return -1;
}
