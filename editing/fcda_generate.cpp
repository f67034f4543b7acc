// Filling a data set with members: one member per data object (or sub-data
// object) of the logical nodes of a device or server that has an attribute
// of the wanted functional constraint, passes the name filter, the kind and
// the purpose, and is not yet a member of any data set of the server.
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/kiln_main.h"
#include "core/type_nesting.h"
#include "editing/lnode_class.h"
#include "platform/framework/cim_schema.h"

using kiln::core::kRoleName;
using kiln::editing::LnClassOfType;

namespace {

// Data objects left out as common ones (kind 1), and the node classes whose
// data objects are all common.
const char* const kCommonDOs[] = {"Mod",      "Beh",    "Health",  "NamPlt", "Loc",
                                  "EEHealth", "EEName", "OpCntRs", "OpCnt",  "OpTmh"};
const char* const kCommonClasses[] = {"RBDR", "RADR", "LPHD"};

template <size_t N>
bool OneOf(const CString& text, const char* const (&list)[N]) {
    for (const char* entry : list)
        if (text == entry) return true;
    return false;
}

std::vector<URI_Ref> MembersByOrd(CKiln_Main& app, const URI_Ref& owner, const char* role) {
    std::vector<URI_Ref> out;
    app.DocMtd_get_Association_BUris_SortByOrd(owner, role, out);
    return out;
}

// "LD/name" of a node, with the given device name.
CString NodeReference(CKiln_Main& app, const CString& ldName, const URI_Ref& node, const URI_Ref& lnType) {
    return ldName + "/" + kiln::core::NodeNameText(app.DocMtd_getValue_ofAttr(node, "sec:LNode.prefix"),
                                                   LnClassOfType(app, lnType),
                                                   app.DocMtd_getValue_ofAttr(node, "sec:LNode.lnInst"));
}

// The items of a filter in their order: up to each "," that is not the
// first character of the rest; a rest that begins with "," is one item.
std::vector<CString> FilterItems(const CString& filter) {
    std::vector<CString> items;
    CString rest = filter;
    while (!rest.IsEmpty()) {
        const int comma = rest.Find(',');
        if (comma > 0) {
            items.push_back(rest.Left(comma));
            rest = rest.Mid(comma + 1);
        } else {
            items.push_back(rest);
            rest.Empty();
        }
    }
    return items;
}

bool ItemTakes(const CString& item, const CString& name) {
    const int star = item.Find('*');
    if (star >= 0) return name.Find(item.Left(star)) >= 0;
    if (item.Find("$Chinese$") >= 0) return CKiln_Main::IsChinese(name);
    return name.CompareNoCase(item) == 0;
}

// The text after the last "." of a functional-constraint value.
CString ConstraintOf(const CString& value) {
    const int dot = value.ReverseFind('.');
    return dot < 0 ? value : value.Mid(dot + 1);
}

// Walks a data object and its sub-data objects; `onPath` holds the DOTypes
// the walk is inside of, so that a DOType that contains itself ends.
class CMemberWalk {
public:
    CMemberWalk(CKiln_Main& app, std::set<CString>& keys, const URI_Ref& dataSet, const URI_Ref& node,
                const CString& fc, CKiln_Main::CREATE_FCD_TYPEEnum kind)
        : m_app(app), m_keys(keys), m_dataSet(dataSet), m_node(node), m_fc(fc), m_kind(kind) {
        m_lnClass = LnClassOfType(app, app.DocMtd_getFirstUri_ofAsso(node, "sec:LNode.LNodeType"));
    }

    bool Walk(const CString& ref, const URI_Ref& obj, const CString& path) {
        const CString name = m_app.DocMtd_getValue_ofAttr(obj, kRoleName);
        const CString key = ref + "." + name;
        if (m_keys.count(key)) return true;
        if (name.IsEmpty()) return false;
        if (m_kind == CKiln_Main::CREATE_FCD_NoCommon && (OneOf(m_lnClass, kCommonClasses) || OneOf(name, kCommonDOs)))
            return true;
        const URI_Ref doType = m_app.DocMtd_getFirstUri_ofAsso(
            obj, obj.sClass == "sec:SDO" ? "sec:SDO.DefinedBy_DOType" : "sec:DO.DefinedBy_DOType");
        if (doType.IsEmpty()) return false;
        if (!kiln::core::EnterTypePath(m_onPath, doType)) return true;

        const CString objPath = path + name;
        if (HasConstraint(doType)) AddMember(objPath);
        for (const URI_Ref& sdo : MembersByOrd(m_app, doType, "sec:DOType.Contains_SDOs"))
            Walk(key, sdo, objPath + ".");
        m_onPath.erase(doType.sUri);
        return true;
    }

private:
    bool HasConstraint(const URI_Ref& doType) {
        for (const URI_Ref& da : MembersByOrd(m_app, doType, "sec:DOType.Contains_DAs")) {
            const CString fc0 = m_app.DocMtd_getValue_ofAttr(da, "sec:DA.fc_0");
            if (!fc0.IsEmpty() && ConstraintOf(fc0) == m_fc) return true;
        }
        return false;
    }

    void AddMember(const CString& objPath) {
        URI_Ref member;
        if (!m_app.NewRsc_FCDA(&member, m_dataSet)) return;
        m_app.DocMtd_add_Association(member, "sec:DARef.LNode", m_node);
        m_app.DocMtd_Modify_attribute_value(member, "sec:DARef.doName", objPath);
        m_app.DocMtd_Modify_attribute_value(member, "sec:FCDA.fc",
                                            CString(kiln::cim::kModelNamespace) + "#FCType." + m_fc);
    }

    CKiln_Main& m_app;
    std::set<CString>& m_keys;
    URI_Ref m_dataSet, m_node;
    CString m_fc, m_lnClass;
    CKiln_Main::CREATE_FCD_TYPEEnum m_kind;
    kiln::core::TypePath m_onPath;
};

}  // namespace

bool CKiln_Main::Rsc_AutoCreateFCDA(URI_Ref dataSet, CString fc, CREATE_FCD_TYPEEnum kind, CString filter,
                                    bool serverWide, LNodeUseEnum use) {
    const URI_Ref ownNode = DocMtd_getFirstUri_ofAsso(dataSet, "sec:DataSet.LNode");
    const URI_Ref ownDevice = ownNode.IsSet() ? DocMtd_getFirstUri_ofAsso(ownNode, "sec:LNode.LDevice") : URI_Ref();
    const URI_Ref server = ownDevice.IsSet() ? DocMtd_getFirstUri_ofAsso(ownDevice, "sec:LDevice.Server") : URI_Ref();
    if (server.IsEmpty()) return false;

    // The keys of the members of every data set of the server, each formed
    // from the member's own node (read once per node).
    std::set<CString> keys;
    std::map<std::string, CString> references;
    const std::vector<URI_Ref> devices = MembersByOrd(*this, server, "sec:Server.LDevices");
    for (const URI_Ref& device : devices) {
        for (const URI_Ref& node : MembersByOrd(*this, device, "sec:LDevice.LNodes")) {
            for (const URI_Ref& set : MembersByOrd(*this, node, "sec:LNode.DataSets")) {
                for (const URI_Ref& member : MembersByOrd(*this, set, "sec:DataSet.FCDAs")) {
                    const URI_Ref memberNode = DocMtd_getFirstUri_ofAsso(member, "sec:DARef.LNode");
                    auto found = references.find(memberNode.sUri);
                    if (found == references.end()) {
                        const URI_Ref lnType = DocMtd_getFirstUri_ofAsso(memberNode, "sec:LNode.LNodeType");
                        CString reference;
                        if (lnType.IsSet())
                            reference = NodeReference(
                                *this, DocMtd_getFirstValue_ofAsso(memberNode, "sec:LNode.LDevice", kRoleName),
                                memberNode, lnType);
                        found = references.emplace(memberNode.sUri, reference).first;
                    }
                    if (found->second.IsEmpty()) continue;
                    keys.insert(found->second + "." + DocMtd_getValue_ofAttr(member, "sec:DARef.doName"));
                }
            }
        }
    }

    if (serverWide) {
        for (const URI_Ref& device : devices)
            Rsc_AutoCreateFCDA_LNode(DocMtd_getValue_ofAttr(device, kRoleName), keys, dataSet, device, fc, kind,
                                     filter, use);
    } else {
        Rsc_AutoCreateFCDA_LNode(DocMtd_getValue_ofAttr(ownDevice, kRoleName), keys, dataSet, ownDevice, fc, kind,
                                 filter, use);
    }
    return true;
}

bool CKiln_Main::Rsc_AutoCreateFCDA_LNode(CString ldName, std::set<CString>& keys, URI_Ref dataSet,
                                          URI_Ref ldevice, CString fc, CREATE_FCD_TYPEEnum kind, CString filter,
                                          LNodeUseEnum use) {
    // An empty filter or one that begins with "*" takes every data object.
    const bool all = filter.IsEmpty() || filter.Left(1) == "*";
    const std::vector<CString> items = all ? std::vector<CString>{} : FilterItems(filter);
    for (URI_Ref node : MembersByOrd(*this, ldevice, "sec:LDevice.LNodes")) {
        const URI_Ref lnType = DocMtd_getFirstUri_ofAsso(node, "sec:LNode.LNodeType");
        if (lnType.IsEmpty()) continue;
        const CString lnClass = LnClassOfType(*this, lnType);
        if (kind == CREATE_FCD_NoCommon && lnClass.CompareNoCase("LLN0") == 0) continue;
        if (use != LNodeUse_None && lnClass == "GGIO" && !isLNodeUseToThisPurpose(node, use)) continue;
        const CString reference = NodeReference(*this, ldName, node, lnType);
        const std::vector<URI_Ref> dos = MembersByOrd(*this, lnType, "sec:LNodeType.DOs");
        // Each item runs over all data objects; one taken by two items is
        // offered twice.
        CMemberWalk walk(*this, keys, dataSet, node, fc, kind);
        if (all) {
            for (const URI_Ref& d : dos) walk.Walk(reference, d, "");
            continue;
        }
        for (const CString& item : items) {
            for (const URI_Ref& d : dos) {
                if (ItemTakes(item, DocMtd_getValue_ofAttr(d, kRoleName))) walk.Walk(reference, d, "");
            }
        }
    }
    return true;
}

bool CKiln_Main::Rsc_AutoCreateFCDA_DO(CString ref, std::set<CString>& keys, URI_Ref dataSet, URI_Ref dataObject,
                                       URI_Ref lnode, CString fc, CREATE_FCD_TYPEEnum kind, CString path) {
    return CMemberWalk(*this, keys, dataSet, lnode, fc, kind).Walk(ref, dataObject, path);
}
