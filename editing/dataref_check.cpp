// The data-reference check of an ICD: every setting entry, external input,
// data-set member, log entry and mapping item must name a DO, SDO, DA or
// BDA that the type of its logical node has, every data-set member must
// name a logical node, every mapping item a node and a DO, and no target
// may be used twice by members of one class.
#include <array>
#include <deque>

#include "core/array_elements.h"
#include "core/kiln_main.h"
#include "core/scl_names.h"
#include "core/scl_value_types.h"
#include "core/type_nesting.h"
#include "core/type_classes.h"

using kiln::core::kRoleName;
using kiln::core::kRoleOrd;

namespace {

// The user classes of a target, in the order their lists are reported.
enum UserList { Users_EntryData, Users_ExtRef, Users_FCDA, Users_MapItem, Users_SettingData, Users_Count };
constexpr const char* kUserLabels[Users_Count] = {"EntryData: ", "ExtRef: ", "FCDA: ", "MapItem: ", "SettingData: "};

// The users of one target key; the type path is the first user's. Users
// point into the nodes' reference lists, kept for the whole check, and are
// named only when a finding reports them.
struct TargetUsage {
    CString typePath;
    CString doPath;       // the type path of the DO an element index is below; empty without indexes
    std::string belowDO;  // the path below that DO, with its indexes
    std::array<std::vector<const URI_Ref*>, Users_Count> users;
};

// The text after the last "."; the whole text without one.
CString AfterLastDot(const CString& text) {
    const int dot = text.ReverseFind('.');
    return dot >= 0 ? text.Mid(dot + 1) : text;
}

}  // namespace

bool CKiln_Main::Chech_DARef_RepeatORhasDODA(URI_Ref icd) {
    const URI_Ref server = DocMtd_getFirstUri_ofAsso(icd, "sec:ICD.IED/sec:IED.Servers");
    if (server.IsEmpty()) return false;

    // The usage table, keyed by target (LD/LN.DO[.DA]).
    std::map<CString, TargetUsage> usage;
    // Roles made once: read for every node and reference.
    static const CString kName(kRoleName), kOrd(kRoleOrd), kRefs("sec:LNode.DARefs"), kDoName("sec:DARef.doName"),
        kDaName("sec:DARef.daName");
    auto name = [this](const URI_Ref& rsc) { return DocMtd_getValue_ofAttr(rsc, kName); };
    // "LD: x的LNode: y的" for the logical node reached from `from` along `toNode`.
    auto placeOf = [this](const URI_Ref& from, const CString& toNode) {
        const URI_Ref node = DocMtd_getFirstUri_ofAsso(from, toNode);
        return "LD: " + DocMtd_getFirstValue_ofAsso(node, "sec:LNode.LDevice", kRoleName) + "的LNode: " +
               kiln::core::NodeName(*this, node) + "的";
    };

    // How a finding names a user of the list.
    auto userText = [&](const URI_Ref& ref, int list) -> CString {
        const CString refName = name(ref);
        switch (list) {
            case Users_SettingData: {
                const URI_Ref sgcb =
                    DocMtd_getFirstUri_ofAsso(ref, "sec:SettingData.SettingGroup/sec:SettingGroup.SGCB");
                return placeOf(sgcb, "sec:SGCB.LNode") + "SGCB: " + name(sgcb) + "的" + refName;
            }
            case Users_ExtRef: return placeOf(ref, "sec:ExtRef.LNode") + refName;
            case Users_FCDA: {
                const URI_Ref dataSet = DocMtd_getFirstUri_ofAsso(ref, "sec:FCDA.DataSet");
                return placeOf(dataSet, "sec:DataSet.LNode") + "DataSet: " + name(dataSet) + "的" + refName;
            }
            default: return refName;
        }
    };
    // Every user of the list, each preceded by two blanks.
    auto joinUsers = [&](const std::vector<const URI_Ref*>& users, int list) {
        CString text;
        for (const URI_Ref* user : users) text += "  " + userText(*user, list);
        return text;
    };

    std::deque<std::vector<URI_Ref>> refLists;  // each node's references, which the table points into
    std::vector<URI_Ref> devices;
    DocMtd_get_Association_BUris(server, "sec:Server.LDevices", devices, kRoleOrd, SortPolicy_ByOrd);
    for (const URI_Ref& device : devices) {
        const CString deviceName = name(device);
        std::vector<URI_Ref> nodes;
        DocMtd_get_Association_BUris(device, "sec:LDevice.LNodes", nodes, kRoleOrd, SortPolicy_ByOrd);
        for (const URI_Ref& node : nodes) {
            const CString nodeName = kiln::core::NodeName(*this, node);
            // A data-set member that names no node has no target at all (the
            // export cannot write it).
            std::vector<URI_Ref> dataSets;
            DocMtd_get_Association_BUris(node, "sec:LNode.DataSets", dataSets, kRoleOrd, SortPolicy_ByOrd);
            for (const URI_Ref& dataSet : dataSets) {
                std::vector<URI_Ref> members;
                DocMtd_get_Association_BUris(dataSet, "sec:DataSet.FCDAs", members, kRoleOrd, SortPolicy_ByOrd);
                for (const URI_Ref& member : members)
                    if (DocMtd_getFirstUri_ofAsso(member, "sec:DARef.LNode").IsEmpty())
                        Write_error_to_Report("LD: " + deviceName + "的LNode: " + nodeName + "的DataSet: " +
                                                  name(dataSet) + "的" + name(member),
                                              " 未指定LNode ！", true);
            }
            const URI_Ref lnType = DocMtd_getFirstUri_ofAsso(node, "sec:LNode.LNodeType");
            if (lnType.IsEmpty()) {
                Write_error_to_Report("LNode: " + nodeName, " lnType 为空！", true);
                continue;
            }
            const CString typeName = name(lnType);
            const CString target = deviceName + "/" + nodeName + ".";  // each key's start
            std::vector<URI_Ref>& refs = refLists.emplace_back();
            DocMtd_get_Association_BUris(node, kRefs, refs, kOrd, SortPolicy_ByOrd);
            for (const URI_Ref& ref : refs) {
                const CString doName = DocMtd_getValue_ofAttr(ref, kDoName);
                if (doName.IsEmpty()) continue;
                const CString daName = DocMtd_getValue_ofAttr(ref, kDaName);
                const CString below = daName.IsEmpty() ? doName : doName + "." + daName;
                auto [it, isNew] = usage.try_emplace(target + below);
                if (isNew) it->second.typePath = typeName + "/" + below;
                // An element of an array ("HA.phsAHar(5)") is a path of the
                // type without its index, which its array's count holds.
                if (isNew && below.Find('(') >= 0) {
                    const int dot = below.Find('.');
                    it->second.doPath = typeName + "/" + (dot < 0 ? below : below.Left(dot));
                    it->second.belowDO = dot < 0 ? std::string() : below.Mid(dot + 1).str();
                }

                if (ref.sClass == "sec:SettingData") {
                    it->second.users[Users_SettingData].push_back(&ref);
                } else if (ref.sClass == "sec:ExtRef") {
                    it->second.users[Users_ExtRef].push_back(&ref);
                    // The export writes the name as it stands ("q[ST]" is none SCL takes).
                    if (!daName.IsEmpty() && !kiln::core::IsSclFullAttributeName(daName.str()))
                        Write_error_to_Report(userText(ref, Users_ExtRef), "daName格式错误：" + daName, true);
                } else if (ref.sClass == "sec:FCDA") {
                    it->second.users[Users_FCDA].push_back(&ref);
                } else if (ref.sClass == "sec:EntryData") {
                    it->second.users[Users_EntryData].push_back(&ref);
                } else if (ref.sClass == "sec:MapItem") {
                    it->second.users[Users_MapItem].push_back(&ref);
                }
            }
        }
    }

    // A mapping item that names no node (its node deleted, or none given)
    // or no DO maps to nothing: the M2I export leaves it out.
    std::vector<URI_Ref> mapItems;
    DocMtd_get_Association_BUris(DocMtd_getFirstUri_ofAsso(icd, "sec:ICD.M2I"), "sec:M2I.MapItems", mapItems, kRoleOrd,
                                 SortPolicy_ByOrd);
    for (const URI_Ref& item : mapItems) {
        if (DocMtd_getFirstUri_ofAsso(item, "sec:DARef.LNode").IsEmpty())
            Write_error_to_Report(kUserLabels[Users_MapItem] + name(item), " 未指定LNode ！", true);
        else if (DocMtd_getValue_ofAttr(item, "sec:DARef.doName").IsEmpty())
            Write_error_to_Report(kUserLabels[Users_MapItem] + name(item), " 未指定DO ！", true);
    }

    // The paths of the ICD's instance packages.
    std::map<CString, URI_Ref> paths;
    const URI_Ref package = DocMtd_getFirstUri_ofAsso(icd, "sec:ICD.TypePackage");
    if (package.IsSet()) {
        std::vector<URI_Ref> packages;
        GetTypePackage_Depended(&packages, package, true);
        for (const URI_Ref& p : packages) GetLNTypeDOSDODA(p, paths);
    }

    std::map<std::string, std::map<std::string, std::string>> arrays;  // below each DO an index names
    auto held = [&](const TargetUsage& record) {
        if (record.doPath.IsEmpty()) return paths.count(record.typePath) > 0;
        const auto dataObject = paths.find(record.doPath);
        if (dataObject == paths.end() ||
            !paths.count(CString(kiln::core::WithoutElementIndexes(record.typePath.str()).c_str())))
            return false;
        auto below = arrays.find(dataObject->second.sUri);
        if (below == arrays.end())
            below = arrays.emplace(dataObject->second.sUri, kiln::core::ArraysBelow(*this, dataObject->second)).first;
        return kiln::core::ElementIndexesHeld(kiln::core::WithoutConstraints(record.belowDO), below->second);
    };
    for (const auto& [key, record] : usage) {
        if (!held(record)) {
            CString users;
            for (int list = 0; list < Users_Count; ++list) users += joinUsers(record.users[list], list);
            Write_error_to_Report(record.typePath, "lnType下按此路径找不到此DO或DA,而" + users + "中已应用", true);
        }
        for (int list = 0; list < Users_Count; ++list) {
            if (record.users[list].size() < 2) continue;
            Write_error_to_Report(kUserLabels[list] + joinUsers(record.users[list], list), "toDA相同,都为:" + key, true);
        }
    }
    return true;
}

bool CKiln_Main::GetLNTypeDOSDODA(URI_Ref typePackage, std::map<CString, URI_Ref>& paths) {
    std::vector<URI_Ref> lnTypes;
    DocMtd_get_Association_BUris(typePackage, "sec:TypePackage.LNodeTypes", lnTypes, kRoleOrd, SortPolicy_ByOrd);
    for (const URI_Ref& lnType : lnTypes) {
        // Every key carries the name of the type walked, also for inherited DOs.
        const CString typeName = DocMtd_getValue_ofAttr(lnType, kRoleName);
        std::vector<URI_Ref> chain;
        AbstractChain_Checked(lnType, "sec:LNodeType.Abstract_Type", typeName, chain);
        for (const URI_Ref& type : chain) {
            std::vector<URI_Ref> dos;
            DocMtd_get_Association_BUris(type, "sec:LNodeType.DOs", dos, kRoleOrd, SortPolicy_ByOrd);
            for (const URI_Ref& dataObject : dos) {
                const CString key = typeName + "/" + DocMtd_getValue_ofAttr(dataObject, kRoleName);
                paths.emplace(key, dataObject);
                kiln::core::TypePath onPath;  // each DO a walk of its own
                GetSDODA_Walk(DocMtd_getFirstUri_ofAsso(dataObject, "sec:DO.DefinedBy_DOType"), paths, key, onPath);
            }
        }
    }
    return true;
}

bool CKiln_Main::GetSDODA(URI_Ref doType, std::map<CString, URI_Ref>& paths, CString prefix) {
    kiln::core::TypePath onPath;
    GetSDODA_Walk(doType, paths, prefix, onPath);
    return true;
}

bool CKiln_Main::GetDABDA(URI_Ref daType, std::map<CString, URI_Ref>& paths, CString prefix) {
    kiln::core::TypePath onPath;
    GetDABDA_Walk(daType, paths, prefix, onPath);
    return true;
}

void CKiln_Main::GetSDODA_Walk(URI_Ref doType, std::map<CString, URI_Ref>& paths, const CString& prefix,
                               kiln::core::TypePath& onPath) {
    if (!kiln::core::EnterTypePath(onPath, doType)) return;
    std::vector<URI_Ref> sdos;
    DocMtd_get_Association_BUris(doType, "sec:DOType.Contains_SDOs", sdos, kRoleOrd, SortPolicy_ByOrd);
    for (const URI_Ref& sdo : sdos) {
        const CString key = prefix + "." + DocMtd_getValue_ofAttr(sdo, kRoleName);
        paths.emplace(key, sdo);
        GetSDODA_Walk(DocMtd_getFirstUri_ofAsso(sdo, "sec:SDO.DefinedBy_DOType"), paths, key, onPath);
    }
    std::vector<URI_Ref> das;
    DocMtd_get_Association_BUris(doType, "sec:DOType.Contains_DAs", das, kRoleOrd, SortPolicy_ByOrd);
    for (const URI_Ref& da : das) {
        const CString plain = prefix + "." + DocMtd_getValue_ofAttr(da, kRoleName);
        const CString withFc = plain + "[" + AfterLastDot(DocMtd_getValue_ofAttr(da, "sec:DA.fc_0")) + "]";
        paths.emplace(plain, da);
        paths.emplace(withFc, da);
        // The struct's members, walked once, under both forms of the DA.
        std::map<CString, URI_Ref> below;
        GetDABDA_Walk(DocMtd_getFirstUri_ofAsso(da, "sec:BDA.DefinedBy_Struct"), below, "", onPath);
        for (const auto& [rest, member] : below) {
            paths.emplace(plain + rest, member);
            paths.emplace(withFc + rest, member);
        }
    }
    onPath.erase(doType.sUri);
}

void CKiln_Main::GetDABDA_Walk(URI_Ref daType, std::map<CString, URI_Ref>& paths, const CString& prefix,
                               kiln::core::TypePath& onPath) {
    if (!kiln::core::EnterTypePath(onPath, daType)) return;
    std::vector<URI_Ref> bdas;
    DocMtd_get_Association_BUris(daType, "sec:DAType.Contains_BDAs", bdas, kRoleOrd, SortPolicy_ByOrd);
    for (const URI_Ref& bda : bdas) {
        const CString key = prefix + "." + DocMtd_getValue_ofAttr(bda, kRoleName);
        paths.emplace(key, bda);
        GetDABDA_Walk(DocMtd_getFirstUri_ofAsso(bda, "sec:BDA.DefinedBy_Struct"), paths, key, onPath);
    }
    onPath.erase(daType.sUri);
}
