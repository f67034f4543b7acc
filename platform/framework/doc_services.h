// The document operations of the framework base: the DocMtd_ family, the
// domain operations and their forwarders to the embedded document. The
// application base derives from this class, so the plug-in calls them as
// its own members. Nothing here shows anything: a failure returns false (or
// an empty result) and leaves its reason in LastDocError().
#pragma once

#include <vector>

#include "platform/framework/cim_doc.h"
#include "platform/framework/records.h"
#include "platform/mfc/containers.h"
#include "platform/mfc/cstring.h"

class CDocServices {
public:
    CDocServices() = default;
    virtual ~CDocServices() = default;

    CBase_CimDoc m_Doc;

    const CString& LastDocError() const { return m_Doc.LastError(); }

    // ---- attributes ---------------------------------------------------------
    // False for an empty or stale handle (value unchanged); a role the class
    // does not have reads as "".
    bool DocMtd_get_attribute_value(const URI_Ref& rsc, const CString& role, CString& value);
    CString DocMtd_getValue_ofAttr(const URI_Ref& rsc, const CString& role, bool* pFound = nullptr,
                                   bool bReserved = false);
    bool DocMtd_Modify_attribute_value(const URI_Ref& rsc, const CString& role, const CString& value);
    // Whether the resource holds a value of the role, an empty one included:
    // an empty value written on purpose tells from one never written.
    bool DocMtd_holdsValue_ofAttr(const URI_Ref& rsc, const CString& role) { return m_Doc.HoldsAttribute(rsc, role); }
    // The target takes the source's attribute values except "e301:OrdNaming.ord"
    // and the listed roles (full role or its text after the last "."); the two
    // flags are accepted for the call shape and not used.
    bool DocMtd_Copy_RscAttributes(const URI_Ref& src, const URI_Ref& dst, const CStringArray& except,
                                   bool bFlag1 = false, bool bFlag2 = false);

    // ---- associations -------------------------------------------------------
    bool DocMtd_add_Association(const URI_Ref& rsc, const CString& role, const URI_Ref& target);
    bool DocMtd_del_Association(const URI_Ref& rsc, const CString& role, const URI_Ref& target);
    // Replaces the link(s) of the role by one to `target`; an empty target clears the role.
    bool DocMtd_update_Association(const URI_Ref& rsc, const CString& role, const URI_Ref& target);
    bool DocMtd_clear_Association(const URI_Ref& rsc, const CString& role);
    // The first target at the end of a "/"-joined path; empty when none.
    // `index` >= 0 picks that target instead, `cls` keeps targets of that class,
    // `except` is skipped, `count` receives the number of matching targets.
    URI_Ref DocMtd_getFirstUri_ofAsso(const URI_Ref& rsc, const CString& path, int index = -1,
                                      const CString& cls = "", const URI_Ref& except = URI_Ref(),
                                      int* count = nullptr);
    // An attribute of that first target; "" when there is none.
    CString DocMtd_getFirstValue_ofAsso(const URI_Ref& rsc, const CString& path, const CString& attr,
                                        bool* pFound = nullptr, bool bReserved = false);
    // The targets of one role, sorted: policy 1 by name (GBK order), 3 by the
    // number in the attribute; ties in creation order. The list is replaced;
    // false only when the query fails.
    bool DocMtd_get_Association_BUris(const URI_Ref& rsc, const CString& role, std::vector<URI_Ref>& out,
                                      const CString& sortAttr, Enum_SortPolicy policy);
    // The resources at the end of the path, without duplicates, sorted once.
    // 0 when the query fails, 1 otherwise (also for an empty result); `last`
    // is not written.
    int DocMtd_get_descendent_BUris(const URI_Ref& start, const CString& path, std::vector<URI_Ref>& out,
                                    URI_Ref& last, const CString& sortAttr, Enum_SortPolicy policy);
    bool DocMtd_get_Uris_byClassName(const CString& cls, std::vector<URI_Ref>& out, const CString& sortAttr,
                                     Enum_SortPolicy policy);
    // Next sequence number (member count + 1) as decimal text; the count goes
    // to `count`. "" (count 0) for an empty or stale handle.
    CString DocMtd_GetSeqNumber_byAsso(const URI_Ref& rsc, const CString& role, int* count = nullptr);
    CString DocMtd_GetReverseAsso(const CString& role);
    // True when a member of `start` along `role` has `key` as a target along
    // `filterRole`; that member goes to `found`.
    bool DocMtd_Find_aURI_InAsso(const URI_Ref& key, const URI_Ref& start, const CString& role, URI_Ref& found,
                                 const CString& filterRole);

    // ---- resources ----------------------------------------------------------
    bool DocMtd_create_a_Rsc(const CString& domain, const CString& cls, URI_Ref& out, const CString& name,
                             const CString& reserved = "", const URI_Ref& reservedRsc = URI_Ref());
    bool DocMtd_delete_a_Rsc(const URI_Ref& rsc);
    URI_Ref DocMtd_TestBy_URIRef(const CString& uri);
    bool DocMtd_TestBy_RscInst(const CString& uri, Struct_RscInst* inst, int reserved = 0, bool bReserved = true);

    // ---- schema records -----------------------------------------------------
    bool DocMtd_Get_ClassDfn(const CString& cls, CClassDfn& out);
    bool DocMtd_Get_AttrDfn(const CString& cls, const CString& role, Struct_AttrDfn& out);
    bool DocMtd_Get_AssoDfn(const CString& cls, const CString& role, Struct_AssoDfn& out);
    bool DocMtd_Get_EnumClassDfn(const CString& enumName, CEnumClassDfn& out);

    // ---- domains --------------------------------------------------------------
    bool DocMtd_DEnv_Get_Rsc_Domain(const URI_Ref& rsc, CString& domain);
    bool DocMtd_DEnv_IsDomainEditable(const CString& domain);
    CString DocMtd_Get_DocPath();
    bool Proc_Create_a_Domain_byType(const CString& domain, const URI_Ref& type, const CString& title,
                                     const DomainTypeDfn& dfn);
    // The "dEnv:DomainType" named `name` (or, failing that, `altName`).
    bool Proc_FindCreatableType_ByName(const CString& name, const CString& altName, URI_Ref& type);
    // The handle (class "dEnv:Domain") of the domain of that name; a name
    // without "#" finds the domain named with a final "#" added.
    bool Proc_FromName_toDomain(const CString& domain, URI_Ref& handle);
    CString Get_DomainPrefix_Default(const CString& reserved = "");

    // Forwarders to the document.
    bool DocMtd_DEnvDelete_a_Domain(const CString& domain);
    bool DocMtd_Delete_Ephemeral_Domain(const CString& domain);
    bool DocMtd_DEnv_IsDomainModified(const CString& domain);
    bool DocMtd_Import_DomainData(const CString& domain, const CString& file);
    bool DocMtd_DEnv_ServerTest();
    bool DocMtd_Test_DomainExist(const CString& domain);
    bool DocMtd_DEnv_Is_Tmp_Domain(const CString& domain);
    bool DocMtd_DEnv_StrToCimDomain(const CString& text, const CString& domain);
    bool DocMtd_DEnv_CimDomainToStr(const CString& domain, CString& text);
    bool DocMtd_DEnv_FileToCimDomain(const CString& file, const CString& domain);
    bool DocMtd_DEnv_CimDomainToFile(const CString& domain, const CString& file);
    bool DocMtd_DEnv_SetDataBlock(const CString& domain, const CString& key, const CString& data);
    bool DocMtd_DEnv_GetDataBlock(const CString& domain, const CString& key, CString& data);
    bool DocMtd_DEnv_SetDataBlock_byFile(const CString& domain, const CString& key, const CString& file);
    bool DocMtd_DEnv_GetDataBlock_byFile(const CString& domain, const CString& key, const CString& file);

    // Loads the drawer file of a key resource into a temporary domain; the
    // domain name is in and out.
    bool DrrMtd_Open_a_Drawer_ofKeyRsc(const URI_Ref& key, CString& domain, bool bReserved = true,
                                       int reserved = 100);

    // The file part of Import_ExterDomainData: reads an external CIM-XML file
    // into a new domain of the given domain type. `classText` names a class the
    // file must hold ("sec:TypePackage"), or with a leading "*" the class its
    // resources belong under, which need not be in it ("*sec:ProductPackage");
    // "" for any.
    bool Import_ExterDomainFile(const URI_Ref& domainType, const CString& classText, const CString& file,
                                CString* newDomain = nullptr);
};

// The index of a handle in a list (compared by identifier), -1 when absent.
int Search_URISequence(const std::vector<URI_Ref>& list, const URI_Ref& rsc);
