// Choice lists of input boxes and property fields: rows of (display text, URI
// text) appended to a record, which the caller shows.
#include <vector>

#include "core/kiln_main.h"

using kiln::core::kRoleName;
using kiln::core::kRoleOrd;

namespace {

// For an instance type field: the path from the edited resource to its
// current standard class, and that class's list of instance types.
struct Restriction {
    const char* cls;
    const char* classPath;
    const char* instRole;
};

const Restriction kRestrictions[] = {
    {"sec:LNode", "sec:LNode.LNodeType/sec:LNodeType.ClassOf_LNType", "sec:LNodeType.Inst_LNTypes"},
    {"sec:DO", "sec:DO.DefinedBy_DOType/sec:DOType.ClassOf_DOType", "sec:DOType.Inst_DOTypes"},
    {"sec:SDO", "sec:SDO.DefinedBy_DOType/sec:DOType.ClassOf_DOType", "sec:DOType.Inst_DOTypes"},
    {"sec:DA", "sec:BDA.DefinedBy_Struct/sec:DAType.ClassOf_DAType", "sec:DAType.Inst_DATypes"},
    {"sec:BDA", "sec:BDA.DefinedBy_Struct/sec:DAType.ClassOf_DAType", "sec:DAType.Inst_DATypes"},
};

constexpr const char* kNodePackagePath =
    "sec:LNode.LDevice/sec:LDevice.Server/sec:Server.IED/sec:IED.ICD/sec:ICD.TypePackage";

// "PTOC_1  (P1)": the type's name and, in parentheses, its package's.
CString TypeEntryText(CKiln_Main& app, const URI_Ref& type, const URI_Ref& package) {
    return app.DocMtd_getValue_ofAttr(type, kRoleName) + "  (" + app.DocMtd_getValue_ofAttr(package, kRoleName) +
           ")";
}

// Appends the types of each package along the list role, in package order,
// except the excluded ones and, with a restriction, those not admitted.
bool AppendTypes(CKiln_Main& app, Struct_EditPack* pPack, const std::vector<URI_Ref>& packages, const CString& listRole,
                 const std::vector<URI_Ref>& excluded, const std::vector<URI_Ref>* admitted, bool skipAbstract) {
    for (const URI_Ref& pkg : packages) {
        std::vector<URI_Ref> types;
        if (!app.DocMtd_get_Association_BUris(pkg, listRole, types, kRoleOrd, SortPolicy_ByOrd)) return false;
        for (const URI_Ref& t : types) {
            if (Search_URISequence(excluded, t) >= 0) continue;
            if (admitted && Search_URISequence(*admitted, t) < 0) continue;
            if (skipAbstract && app.DocMtd_getValue_ofAttr(t, "sec:LNodeType.isAbstract") == "true") continue;
            pPack->Add_ListItem(TypeEntryText(app, t, pkg), CString(t.sUri));
        }
    }
    return true;
}

}  // namespace

bool CKiln_Main::SetEditPackList_forType(Struct_EditPack* pPack, URI_Ref rsc, CString packagePath, CString listRole,
                                         CString exclusionPath, CString instFlag) {
    if (!pPack) return false;
    URI_Ref package = packagePath.IsEmpty() ? rsc : DocMtd_getFirstUri_ofAsso(rsc, packagePath);
    if (package.IsEmpty()) return false;

    std::vector<URI_Ref> excluded;
    if (!exclusionPath.IsEmpty()) {
        URI_Ref last;
        if (DocMtd_get_descendent_BUris(rsc, exclusionPath, excluded, last, kRoleOrd, SortPolicy_ByOrd) == 0)
            return false;
        excluded.push_back(rsc);
    }

    bool instance;
    if (instFlag.IsEmpty()) {
        instance = Is_InstType(package);
    } else {
        instFlag.MakeLower();
        instance = instFlag == "true";
    }

    std::vector<URI_Ref> admitted;
    bool restricted = false;
    if (instance && !(listRole.Find("LNodeTypes") >= 0 && rsc.sClass != "sec:LNode")) {
        for (const Restriction& r : kRestrictions) {
            if (rsc.sClass != r.cls) continue;
            // An extension DO without a name-semantic package takes any type.
            if (rsc.sClass == "sec:DO" && !DocMtd_getValue_ofAttr(rsc, "sec:DO.SemanticNs").IsEmpty() &&
                DocMtd_getFirstUri_ofAsso(rsc, "sec:DO.DOSemantic/sec:DOSemantic.TypePackage").IsEmpty())
                break;
            const URI_Ref stdClass = DocMtd_getFirstUri_ofAsso(rsc, r.classPath);
            if (stdClass.IsEmpty()) break;
            if (!DocMtd_get_Association_BUris(stdClass, r.instRole, admitted, kRoleOrd, SortPolicy_ByOrd))
                return false;
            restricted = true;
            break;
        }
    }

    std::vector<URI_Ref> packages;
    if (!GetTypePackage_Depended(&packages, package, instance)) return false;
    // Abstract LN classes are offered as bases of an LN type, never as a
    // class to instantiate.
    const bool skipAbstract = !instance && rsc.sClass != "sec:LNodeType" && listRole.Find("LNodeTypes") >= 0;
    if (!AppendTypes(*this, pPack, packages, listRole, excluded, restricted ? &admitted : nullptr, skipAbstract))
        return false;
    pPack->nEditKind = 7;
    return true;
}

bool CKiln_Main::SetEditPackList_forLNodeType_toLNClass(Struct_EditPack* pPack, URI_Ref lnode) {
    if (!pPack) return false;
    const URI_Ref lnClass = DocMtd_getFirstUri_ofAsso(lnode, "sec:LNode.LNodeType/sec:LNodeType.ClassOf_LNType");
    if (lnClass.IsEmpty()) return false;
    std::vector<URI_Ref> admitted;
    if (!DocMtd_get_Association_BUris(lnClass, "sec:LNodeType.Inst_LNTypes", admitted, kRoleOrd, SortPolicy_ByOrd))
        return false;
    const URI_Ref package = DocMtd_getFirstUri_ofAsso(lnode, kNodePackagePath);
    if (package.IsEmpty()) return false;
    std::vector<URI_Ref> packages;
    if (!GetTypePackage_Depended(&packages, package, true)) return false;
    if (!AppendTypes(*this, pPack, packages, "sec:TypePackage.LNodeTypes", {}, &admitted, false)) return false;
    pPack->nEditKind = 7;
    return true;
}

bool CKiln_Main::SetEditPackList_byPath(Struct_EditPack* pPack, URI_Ref start, CString path) {
    if (!pPack) return false;
    pPack->nEditKind = 7;
    std::vector<URI_Ref> targets;
    if (start.IsEmpty()) {
        if (!DocMtd_get_Uris_byClassName_sortName(path, targets, kRoleName, SortPolicy_ByName)) return false;
    } else {
        URI_Ref last;
        if (DocMtd_get_descendent_BUris(start, path, targets, last, kRoleOrd, SortPolicy_ByOrd) == 0) return false;
    }
    for (URI_Ref& t : targets) pPack->Add_ListItem(GetRscText(t, false), CString(t.sUri));
    return true;
}

bool CKiln_Main::SetEditPack_forDependPackage(Struct_EditPack* pPack, URI_Ref package) {
    if (!pPack) return false;
    bool instance = true;
    std::vector<URI_Ref> supported;
    if (package.IsSet()) {
        instance = Is_InstType(package);
        if (!DocMtd_get_Association_BUris(package, "sec:TypePackage.Support_TypePackages", supported, kRoleOrd,
                                          SortPolicy_ByOrd))
            return false;
    }
    std::vector<URI_Ref> candidates;
    if (!DocMtd_get_Uris_byClassName_sortName("sec:TypePackage", candidates, kRoleName, SortPolicy_ByName))
        return false;
    for (URI_Ref& c : candidates) {
        if (c == package) continue;
        if (DocMtd_getFirstUri_ofAsso(c, "sec:TypePackage.ICD").IsSet()) continue;
        const bool candidateInstance = Is_InstType(c);
        if (!instance && candidateInstance) continue;
        if (Search_URISequence(supported, c) >= 0) continue;
        pPack->Add_ListItem(DocMtd_getValue_ofAttr(c, kRoleName) + (candidateInstance ? "  (产品系列)" : "  (标准)"),
                            CString(c.sUri));
    }
    pPack->nEditKind = 7;
    return true;
}
