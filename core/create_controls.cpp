// Creators of what a logical node carries besides its data: data sets and
// their members, report and log control blocks with their clients and logs,
// setting-group control with its groups and data, and external references.
#include <utility>
#include <vector>

#include "core/create_pattern.h"
#include "core/kiln_main.h"
#include "platform/framework/cim_schema.h"

using kiln::core::CMemberKind;
using kiln::core::CNewRsc;
using kiln::core::kRoleName;
using kiln::core::kRoleOrd;
using kiln::core::NewMember;
using kiln::core::NewUnnumbered;

namespace {

constexpr CMemberKind kDataSet{"sec:DataSet", "W0075", "sec:LNode", "指定 LNode 错误！", "sec:LNode.DataSets",
                               "DataSet_", "sec:DataSet.LNode"};
constexpr CMemberKind kFCDA{"sec:FCDA", "W0076", "sec:DataSet", "指定 DataSet 错误！", "sec:DataSet.FCDAs", "FCDA_",
                            "sec:FCDA.DataSet"};
constexpr CMemberKind kClientLN{"sec:ClientLN", "W0078", "sec:RCB", "指定 RCB 错误！", "sec:RCB.ClientLNs",
                                "Client_", "sec:ClientLN.RCB"};
constexpr CMemberKind kSettingGroup{"sec:SettingGroup", "W0082", "sec:SGCB", "指定 SGCB 错误！",
                                    "sec:SGCB.SettingGroups", "SG_", "sec:SettingGroup.SGCB"};
constexpr CMemberKind kSettingData{"sec:SettingData", "W0083", "sec:SettingGroup", "指定 SettingGroup 错误！",
                                   "sec:SettingGroup.SettingDatas", "SetData_", "sec:SettingData.SettingGroup"};
constexpr CMemberKind kExtRef{"sec:ExtRef", "W0084", "sec:LNode", "指定 LNode 错误！", "sec:LNode.ExtRefs",
                              "ExtRef_", "sec:ExtRef.LNode"};
// The one-of-a-kind blocks of a logical node: a fixed name and no number.
constexpr CMemberKind kLog{"sec:Log", "W0080", "sec:LNode", "指定 LNode 错误！", nullptr, "Log", "sec:Log.LNode"};
constexpr CMemberKind kSGCB{"sec:SGCB", "W0081", "sec:LNode", "指定 LNode 错误！", nullptr, "SGCB", "sec:SGCB.LNode"};

// A trigger option of a control block: the model namespace + "#TrgOpControlTypeEnum." + value.
// The blocks made here answer general interrogation ("GI"), as SCL's
// default for TrgOps has it.
CString TrgOp(const char* value) {
    return CString(kiln::cim::kModelNamespace) + "#TrgOpControlTypeEnum." + value + "GI";
}

// An RCB or LCB made for a data set takes the data set's name after its prefix.
CString BlockName(CKiln_Main& app, const char* prefix, const URI_Ref& dataSet, const CString& n) {
    return prefix + (dataSet.IsSet() ? app.DocMtd_getValue_ofAttr(dataSet, kRoleName) : n);
}

}  // namespace

bool CKiln_Main::NewRsc_DataSet(URI_Ref* pOut, URI_Ref lnode) { return NewMember(*this, pOut, lnode, kDataSet); }

bool CKiln_Main::NewRsc_FCDA(URI_Ref* pOut, const URI_Ref& dataSet) { return NewMember(*this, pOut, dataSet, kFCDA); }

bool CKiln_Main::NewRsc_ClientLN(URI_Ref* pOut, URI_Ref rcb) { return NewMember(*this, pOut, rcb, kClientLN); }

bool CKiln_Main::NewRsc_SettingGroup(URI_Ref* pOut, URI_Ref sgcb) {
    return NewMember(*this, pOut, sgcb, kSettingGroup);
}

bool CKiln_Main::NewRsc_SettingData(URI_Ref* pOut, URI_Ref settingGroup) {
    return NewMember(*this, pOut, settingGroup, kSettingData);
}

bool CKiln_Main::NewRsc_ExtRef(URI_Ref* pOut, URI_Ref lnode) { return NewMember(*this, pOut, lnode, kExtRef); }

bool CKiln_Main::NewRsc_Log(URI_Ref* pOut, URI_Ref lnode) { return NewUnnumbered(*this, pOut, lnode, kLog); }

bool CKiln_Main::NewRsc_SGCB(URI_Ref* pOut, URI_Ref lnode) {
    CNewRsc c(*this, pOut, kSGCB.lockNo);
    if (!c.Admit(lnode, kSGCB)) return false;
    return c.Build([&] {
        URI_Ref sgcb = c.Create(kSGCB.cls, kSGCB.prefix);
        c.Link(sgcb, kSGCB.linkRole, lnode);
        // The description a setting-group control made here carries in SCL.
        c.Write(sgcb, "cim:Naming.description", "定值控制块");
        return sgcb;
    });
}

bool CKiln_Main::NewRsc_RCB(URI_Ref* pOut, URI_Ref lnode, URI_Ref dataSet) {
    CNewRsc c(*this, pOut, "W0077");
    if (!c.Admit(lnode, {"sec:LNode"}, "指定 LNode 错误！")) return false;
    const CString n = Get_NewRscSeq(lnode, "sec:LNode.RCBs");
    const CString name = BlockName(*this, "RCB_", dataSet, n);
    const std::pair<const char*, CString> kDefaults[] = {
        {"sec:RCB.rptID", name},
        {"sec:RCB.confRev", "1"},
        {"sec:RCB.optSequenceNumber", "true"},
        {"sec:RCB.optReportTimeStamp", "true"},
        {"sec:RCB.optReasonForInclusion", "true"},
        {"sec:RCB.optDataSetName", "true"},
        {"sec:RCB.optDataReference", "true"},
        {"sec:RCB.optBufferOverflow", "true"},
        {"sec:RCB.optEntryID", "true"},
        {"sec:RCB.optConfRevision", "true"},
        {"sec:RCB.bufIm", "1500"},
        {"sec:RCB.trgOp", TrgOp("DChg_DUpd")},
        {"sec:RCB.intgPd", "15000"},
        {"sec:RCB.BRCB_or_URCB", "true"},
    };
    return c.Build([&] {
        URI_Ref rcb = c.Create("sec:RCB", name);
        c.Link(rcb, "sec:RCB.LNode", lnode);
        if (dataSet.IsSet()) c.Link(rcb, "sec:RCB.DataSet", dataSet);
        c.Write(rcb, kRoleOrd, n);
        for (const auto& [role, value] : kDefaults) c.Write(rcb, role, value);
        return rcb;
    });
}

bool CKiln_Main::NewRsc_LCB(URI_Ref* pOut, URI_Ref lnode, URI_Ref dataSet) {
    CNewRsc c(*this, pOut, "W0079");
    if (!c.Admit(lnode, {"sec:LNode"}, "指定 LNode 错误！")) return false;
    const CString n = Get_NewRscSeq(lnode, "sec:LNode.LCBs");
    const CString name = BlockName(*this, "LCB_", dataSet, n);
    // The log: the first of any node of the server's devices, else the first
    // of the nodes of the node's own device.
    URI_Ref log = DocMtd_getFirstUri_ofAsso(
        lnode, "sec:LNode.LDevice/sec:LDevice.Server/sec:Server.LDevices/sec:LDevice.LNodes/sec:LNode.Log");
    if (log.IsEmpty()) {
        std::vector<URI_Ref> nodes;
        URI_Ref last;
        if (DocMtd_get_descendent_BUris(lnode, "sec:LNode.LDevice/sec:LDevice.LNodes", nodes, last, kRoleOrd,
                                        SortPolicy_ByOrd) == 0)
            return false;
        for (const URI_Ref& node : nodes) {
            log = DocMtd_getFirstUri_ofAsso(node, "sec:LNode.Log");
            if (log.IsSet()) break;
        }
    }
    const std::pair<const char*, CString> kDefaults[] = {
        {"sec:LCB.logEna", "true"},
        {"sec:LCB.optReasonForInclusion", "true"},
        {"sec:LCB.trgOp", TrgOp("DChg")},
        {"sec:LCB.intgPd", "10000"},
    };
    return c.Build([&] {
        URI_Ref lcb = c.Create("sec:LCB", name);
        c.Link(lcb, "sec:LCB.LNode", lnode);
        if (dataSet.IsSet()) c.Link(lcb, "sec:LCB.DataSet", dataSet);
        if (log.IsSet()) c.Link(lcb, "sec:LCB.Log", log);
        c.Write(lcb, kRoleOrd, n);
        for (const auto& [role, value] : kDefaults) c.Write(lcb, role, value);
        return lcb;
    });
}
