#include "core/kiln_main.h"
#include "core/type_nesting.h"
#include "platform/mfc/text_funcs.h"
#include "platform/ui/ui_functions.h"

using kiln::core::kRoleName;
using kiln::core::kRoleOrd;

namespace {

constexpr const char* kAbstractRole = "sec:LNodeType.Abstract_Type";

// The short form of a functional constraint: "ST" of "...#FCType.ST".
CString fcShort(const CString& value) { return StringAfter(value, "#", "."); }

// Keeps a member whose path names one of the functional constraints.
bool passesConstraints(const CString& path, const std::vector<CString>& constraints) {
    for (const CString& c : constraints) {
        if (path.Find("[" + c) > 0 || path.Find(c + "]") > 0 || path.Find("," + c + ",") > 0) return true;
    }
    return false;
}

// Takes a type the walk entered off its path when the walk below it ends.
class PathMark {
public:
    PathMark(std::set<std::string>& onPath, const std::string& key) : m_onPath(onPath), m_key(key) {}
    ~PathMark() {
        if (!m_key.empty()) m_onPath.erase(m_key);
    }
    PathMark(const PathMark&) = delete;
    PathMark& operator=(const PathMark&) = delete;

private:
    std::set<std::string>& m_onPath;
    std::string m_key;
};

}  // namespace

bool CKiln_Main::Get_DOs_of_Std_LNType(std::vector<URI_Ref>& dos, std::vector<URI_Ref>& packages, URI_Ref& lnType) {
    std::set<std::string> visited;
    for (URI_Ref type = lnType;;) {
        visited.insert(type.sUri);
        std::vector<URI_Ref> own;
        URI_Ref last;
        if (DocMtd_get_descendent_BUris(type, "sec:LNodeType.DOs", own, last, kRoleOrd, SortPolicy_ByOrd) == 0)
            return false;
        const URI_Ref package = DocMtd_getFirstUri_ofAsso(type, "sec:LNodeType.TypePackage");
        for (const URI_Ref& d : own) {
            dos.push_back(d);
            packages.push_back(package);
        }
        type = DocMtd_getFirstUri_ofAsso(type, kAbstractRole);
        if (type.IsEmpty() || visited.count(type.sUri) || visited.size() >= kiln::core::kTypeNestingBound) return true;
    }
}

std::vector<URI_Ref> CKiln_Main::Get_DOs_ofLNType(const URI_Ref& lnType) {
    std::vector<URI_Ref> types, dos;
    Get_AbstractTypes(lnType, &types, kAbstractRole);
    for (const URI_Ref& type : types) {
        std::vector<URI_Ref> own;
        DocMtd_get_Association_BUris(type, "sec:LNodeType.DOs", own, kRoleOrd, SortPolicy_ByOrd);
        dos.insert(dos.end(), own.begin(), own.end());
    }
    return dos;
}

URI_Ref CKiln_Main::Get_DO_Dfn(URI_Ref& lnode, CString doName) {
    URI_Ref lnType = DocMtd_getFirstUri_ofAsso(lnode, "sec:LNode.LNodeType");
    std::vector<URI_Ref> types;
    Get_AbstractTypes(lnType, &types, kAbstractRole);
    for (const URI_Ref& type : types) {
        std::vector<URI_Ref> members;
        if (!DocMtd_get_Association_BUris(type, "sec:LNodeType.DOs", members, kRoleOrd, SortPolicy_ByOrd))
            return URI_Ref();
        for (const URI_Ref& d : members) {
            if (DocMtd_getValue_ofAttr(d, kRoleName) == doName) return d;
        }
    }
    return URI_Ref();
}

bool CKiln_Main::Get_DAs_of_aDO(URI_Ref& obj, Struct_DAs_ofDO* pOut, CString prefix,
                                std::vector<CString>* pConstraints) {
    kiln::core::TypePath onPath;
    return Get_DAs_of_aDO_Walk(obj, pOut, prefix, pConstraints, onPath);
}

bool CKiln_Main::Get_DAs_of_aDO_Walk(URI_Ref& obj, Struct_DAs_ofDO* pOut, const CString& prefix,
                                     std::vector<CString>* pConstraints, kiln::core::TypePath& onPath) {
    if (!pOut) return false;
    CString typeRole, memberPath, subPath;
    if (obj.sClass == "sec:DO") {
        typeRole = "sec:DO.DefinedBy_DOType";
        memberPath = typeRole + "/sec:DOType.Contains_DAs";
        subPath = typeRole + "/sec:DOType.Contains_SDOs";
        if (pOut->sDOName.IsEmpty()) {
            pOut->sDOName = DocMtd_getValue_ofAttr(obj, kRoleName);
            pOut->uDO = obj;
        }
    } else if (obj.sClass == "sec:SDO") {
        typeRole = "sec:SDO.DefinedBy_DOType";
        memberPath = typeRole + "/sec:DOType.Contains_DAs";
        subPath = typeRole + "/sec:DOType.Contains_SDOs";
    } else if (obj.sClass == "sec:DA" || obj.sClass == "sec:BDA") {
        typeRole = "sec:BDA.DefinedBy_Struct";
        memberPath = typeRole + "/sec:DAType.Contains_BDAs";
    } else {
        return false;
    }

    // A type that already lies on the walk's path (an SDO or a structure that
    // contains itself), or lies past the bound of nesting, adds nothing more;
    // nor does a member once the walk has spent its entries.
    const URI_Ref type = DocMtd_getFirstUri_ofAsso(obj, typeRole);
    if (type.IsSet() && !kiln::core::EnterTypePath(onPath, type)) {
        if (pOut->sStopped.IsEmpty()) pOut->sStopped = kiln::core::TypePathStopText(*this, onPath, type);
        return true;
    }
    PathMark mark(onPath, type.sUri);

    URI_Ref last;
    if (!subPath.IsEmpty()) {
        std::vector<URI_Ref> subs;
        if (DocMtd_get_descendent_BUris(obj, subPath, subs, last, kRoleOrd, SortPolicy_ByOrd) == 0) return false;
        for (URI_Ref& sub : subs) {
            Get_DAs_of_aDO_Walk(sub, pOut, prefix + DocMtd_getValue_ofAttr(sub, kRoleName) + ".", pConstraints,
                                onPath);
        }
    }

    std::vector<URI_Ref> members;
    if (DocMtd_get_descendent_BUris(obj, memberPath, members, last, kRoleOrd, SortPolicy_ByOrd) == 0) return false;
    for (URI_Ref& member : members) {
        const CString name = DocMtd_getValue_ofAttr(member, kRoleName);
        CString fcText;
        if (member.sClass == "sec:DA") {
            const CString fc0 = DocMtd_getValue_ofAttr(member, "sec:DA.fc_0");
            if (fc0.IsEmpty()) continue;
            fcText = fcShort(fc0);
            const CString fc1 = DocMtd_getValue_ofAttr(member, "sec:DA.fc_1");
            if (!fc1.IsEmpty()) {
                fcText += "," + fcShort(fc1);
                const CString fc2 = DocMtd_getValue_ofAttr(member, "sec:DA.fc_2");
                if (!fc2.IsEmpty()) fcText += "," + fcShort(fc2);
            }
            fcText = "[" + fcText + "]";
        }
        const CString path = prefix + name + fcText;
        if (pConstraints && !passesConstraints(path, *pConstraints)) continue;
        if ((member.sClass == "sec:DA" || member.sClass == "sec:BDA") &&
            DocMtd_getValue_ofAttr(member, "sec:BDA.bType").Find("#PreBasicTypeEnum.Struct") > 0) {
            if (!Get_DAs_of_aDO_Walk(member, pOut, path + ".", pConstraints, onPath)) return false;
            continue;
        }
        if (!kiln::core::TakeTypeEntry(onPath)) {
            if (pOut->sStopped.IsEmpty()) pOut->sStopped = kiln::core::TypeBudgetText();
            return true;
        }
        Struct_DAItem item;
        item.sName = name + fcText;
        item.sPath = path;
        item.uRsc = member;
        pOut->vDAs.push_back(item);
    }
    return true;
}

bool CKiln_Main::Get_DAs_ofDO_ToChoose(URI_Ref& dataObject, Struct_DAs_ofDO& das) {
    if (!Get_DAs_of_aDO(dataObject, &das, "", nullptr)) return false;
    if (!das.sStopped.IsEmpty()) _AfxMessageBox(das.sStopped, MB_OK, "", nullptr);
    return true;
}

URI_Ref CKiln_Main::Get_DA_Dfn(URI_Ref& obj, CString path) {
    Struct_DAs_ofDO das;
    if (!Get_DAs_of_aDO(obj, &das, "", nullptr)) return URI_Ref();
    for (const Struct_DAItem& item : das.vDAs) {
        if (item.sPath == path) return item.uRsc;
    }
    return URI_Ref();
}

URI_Ref CKiln_Main::Get_Dfn_ofDARef(URI_Ref& daRef) {
    URI_Ref lnode = DocMtd_getFirstUri_ofAsso(daRef, "sec:DARef.LNode");
    if (lnode.IsEmpty()) return URI_Ref();
    const CString doName = DocMtd_getValue_ofAttr(daRef, "sec:DARef.doName");
    if (doName.IsEmpty()) return URI_Ref();
    URI_Ref dataObject = Get_DO_Dfn(lnode, doName);
    if (dataObject.IsEmpty()) return URI_Ref();
    const CString daName = DocMtd_getValue_ofAttr(daRef, "sec:DARef.daName");
    if (daName.IsEmpty()) return URI_Ref();
    return Get_DA_Dfn(dataObject, daName);
}
