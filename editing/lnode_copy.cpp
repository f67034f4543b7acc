// The copy of a logical node into a node created empty: its values, its type
// (shared, found by name or copied into the receiving ICD's package), its log,
// setting groups, data sets, control blocks, external inputs and, when the
// type is shared with the source, its DOIs and DAIs.
#include <map>
#include <string>
#include <vector>

#include "editing/copy_run.h"
#include "editing/lnode_class.h"

using kiln::core::kRoleName;
using kiln::core::kRoleOrd;

namespace kiln::editing {

bool CCopyRun::LNode(const URI_Ref& source, const URI_Ref& target, const URI_Ref& ld, const CString& ord) {
    if (m_bStopped) return false;
    // The package of the ICD that receives the copy; a base device, which
    // belongs to a package and to no server, has its own.
    URI_Ref package = First(ld, "sec:LDevice.Server/sec:Server.IED/sec:IED.ICD/sec:ICD.TypePackage");
    if (package.IsEmpty()) package = First(ld, "sec:LDevice.TypePackage");
    NoteCopy(source, target);
    CopyMember(source, target);
    if (!ord.IsEmpty()) m_app.DocMtd_Modify_attribute_value(target, kRoleOrd, ord);

    const URI_Ref type = First(source, "sec:LNode.LNodeType");
    const bool sharesType = type.IsEmpty() || First(type, "sec:LNodeType.TypePackage/sec:TypePackage.ICD").IsEmpty();
    if (!LinkLNodeType(type, package, target)) return false;

    const URI_Ref log = First(source, "sec:LNode.Log");
    if (log.IsSet()) {
        URI_Ref copy;
        if (!Made(m_app.NewRsc_Log(&copy, target), copy)) return false;
        m_app.DocMtd_Copy_RscAttributes(log, copy, CStringArray(), true, false);
    }
    if (!Settings(source, target) || !DataSetsAndBlocks(source, target)) return false;
    for (const URI_Ref& extRef : Members(source, "sec:LNode.ExtRefs")) {
        URI_Ref copy;
        if (!Made(m_app.NewRsc_ExtRef(&copy, target), copy)) return false;
        m_app.DocMtd_Modify_attribute_value(copy, kRoleName, m_app.DocMtd_getValue_ofAttr(extRef, kRoleName));
        CopyNumber(extRef, copy);
    }
    // The instance values belong to the type: only a node that shares its
    // type with the source takes them.
    return !sharesType || InstanceValues(source, target);
}

bool CCopyRun::Settings(const URI_Ref& source, const URI_Ref& target) {
    const URI_Ref sgcb = First(source, "sec:LNode.SGCB");
    if (sgcb.IsEmpty()) return true;
    URI_Ref sgcbCopy;
    if (!Made(m_app.NewRsc_SGCB(&sgcbCopy, target), sgcbCopy)) return false;
    m_app.DocMtd_Copy_RscAttributes(sgcb, sgcbCopy, CStringArray(), true, false);
    for (const URI_Ref& group : Members(sgcb, "sec:SGCB.SettingGroups")) {
        URI_Ref groupCopy;
        if (!Made(m_app.NewRsc_SettingGroup(&groupCopy, sgcbCopy), groupCopy)) return false;
        CopyMember(group, groupCopy);
        for (const URI_Ref& data : Members(group, "sec:SettingGroup.SettingDatas")) {
            URI_Ref dataCopy;
            if (!Made(m_app.NewRsc_SettingData(&dataCopy, groupCopy), dataCopy)) return false;
            CopyMember(data, dataCopy);
        }
    }
    return true;
}

bool CCopyRun::DataSetsAndBlocks(const URI_Ref& source, const URI_Ref& target) {
    // The copies by name; of data sets that share a name, the first.
    std::map<std::string, URI_Ref> byName;
    for (const URI_Ref& dataSet : Members(source, "sec:LNode.DataSets")) {
        const CString name = m_app.DocMtd_getValue_ofAttr(dataSet, kRoleName);
        URI_Ref copy;
        if (!Made(m_app.NewRsc_DataSet(&copy, target), copy)) return false;
        CopyMember(dataSet, copy);
        byName.emplace(name.str(), copy);
        // The members keep their reference texts; the node they name is
        // linked when the copy ends.
        for (const URI_Ref& fcda : Members(dataSet, "sec:DataSet.FCDAs")) {
            URI_Ref fcdaCopy;
            if (!Made(m_app.NewRsc_FCDA(&fcdaCopy, copy), fcdaCopy)) return false;
            CopyMember(fcda, fcdaCopy);
            const URI_Ref named = First(fcda, "sec:DARef.LNode");
            if (named.IsSet()) m_vMemberLinks.emplace_back(fcdaCopy, named);
        }
    }
    // A control block is put on the copied data set of its own data set's
    // name; without one it keeps its creator's defaults and takes only the
    // source's name (and number).
    struct CBlockKind {
        const char* list;
        const char* dataSetRole;
        bool (CKiln_Main::*create)(URI_Ref*, URI_Ref, URI_Ref);
    };
    const CBlockKind kBlocks[] = {
        {"sec:LNode.LCBs", "sec:LCB.DataSet", &CKiln_Main::NewRsc_LCB},
        {"sec:LNode.RCBs", "sec:RCB.DataSet", &CKiln_Main::NewRsc_RCB},
    };
    for (const CBlockKind& kind : kBlocks) {
        for (const URI_Ref& block : Members(source, kind.list)) {
            URI_Ref dataSet;
            const URI_Ref own = First(block, kind.dataSetRole);
            if (own.IsSet()) {
                auto it = byName.find(m_app.DocMtd_getValue_ofAttr(own, kRoleName).str());
                if (it != byName.end()) dataSet = it->second;
            }
            URI_Ref copy;
            if (!Made((m_app.*kind.create)(&copy, target, dataSet), copy)) return false;
            if (dataSet.IsSet())
                m_app.DocMtd_Copy_RscAttributes(block, copy, CStringArray(), false, false);
            else
                m_app.DocMtd_Modify_attribute_value(copy, kRoleName, m_app.DocMtd_getValue_ofAttr(block, kRoleName));
            CopyNumber(block, copy);
        }
    }
    return true;
}

namespace {

// The IED of a node's device, or for a base device its package: the range in
// which a data-set member names nodes.
URI_Ref HomeOfNode(CCopyRun& run, const URI_Ref& node) {
    const URI_Ref ied = run.First(node, "sec:LNode.LDevice/sec:LDevice.Server/sec:Server.IED");
    return ied.IsSet() ? ied : run.First(node, "sec:LNode.LDevice/sec:LDevice.TypePackage");
}

// The key a node is found by in its home: its device's name, its class
// and, but for an LLN0, its prefix and instance.
std::string NodeKey(CKiln_Main& app, const CString& device, const URI_Ref& node) {
    const CString lnClass = LnClassOfNode(app, node);
    std::string key = device.str() + '\0' + lnClass.str();
    if (lnClass != "LLN0")
        key += '\0' + app.DocMtd_getValue_ofAttr(node, "sec:LNode.prefix").str() + '\0' +
               app.DocMtd_getValue_ofAttr(node, "sec:LNode.lnInst").str();
    return key;
}

}  // namespace

URI_Ref CCopyRun::NodeWhereMemberLies(const URI_Ref& member, const URI_Ref& node,
                                      std::map<std::string, CNodesByKey>& homes) {
    const URI_Ref home = HomeOfNode(*this, First(member, "sec:FCDA.DataSet/sec:DataSet.LNode"));
    const URI_Ref nodeHome = HomeOfNode(*this, node);
    if (home.IsEmpty() || home == nodeHome) return node;
    auto [at, fresh] = homes.try_emplace(home.sUri);
    CNodesByKey& nodes = at->second;
    if (fresh) {
        const CString devices = home.sClass == "sec:IED" ? "sec:IED.Servers/sec:Server.LDevices"
                                                         : "sec:TypePackage.Base_LDevices";
        std::vector<URI_Ref> lds;
        URI_Ref last;
        m_app.DocMtd_get_descendent_BUris(home, devices, lds, last, kRoleOrd, SortPolicy_ByOrd);
        for (const URI_Ref& ld : lds) {
            const CString device = m_app.DocMtd_getValue_ofAttr(ld, kRoleName);
            for (const URI_Ref& other : Members(ld, "sec:LDevice.LNodes"))
                nodes.emplace(NodeKey(m_app, device, other), other);
        }
    }
    const CString device = m_app.DocMtd_getFirstValue_ofAsso(node, "sec:LNode.LDevice", kRoleName, nullptr, false);
    const auto found = nodes.find(NodeKey(m_app, device, node));
    return found != nodes.end() ? found->second : URI_Ref();
}

bool CCopyRun::InstanceValues(const URI_Ref& source, const URI_Ref& target) {
    for (const URI_Ref& doi : Members(source, "sec:LNode.DOIs")) {
        URI_Ref doiCopy;
        if (!Made(m_app.NewRsc_DOI(&doiCopy, target, First(doi, "sec:DOI.DO")), doiCopy)) return false;
        CopyMember(doi, doiCopy);
        bool skipped = false;
        for (const URI_Ref& dai : Members(doi, "sec:DOI.DAIs")) {
            const URI_Ref attr = First(dai, "sec:DAI.BDA");
            if (attr.IsEmpty()) {
                skipped = true;
                continue;
            }
            URI_Ref daiCopy;
            if (!Made(m_app.NewRsc_DAI(&daiCopy, doiCopy, attr, CString()), daiCopy)) return false;
            CopyMember(dai, daiCopy);
        }
        // DAIs without an attribute are not copied; the others close up.
        if (skipped) {
            std::vector<URI_Ref> copies = Members(doiCopy, "sec:DOI.DAIs");
            m_app.Sort_Reset_Ord(&copies, true, kRoleOrd);
        }
    }
    return true;
}

}  // namespace kiln::editing

bool CKiln_Main::Rsc_Copy_LNode(URI_Ref source, URI_Ref target, URI_Ref ld, CString ord) {
    kiln::editing::CCopyRun run(*this);
    run.LNode(source, target, ld, ord);
    return run.Finish();
}
