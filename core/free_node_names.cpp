#include "core/free_node_names.h"

#include <vector>

#include "core/free_names.h"
#include "core/type_classes.h"

namespace kiln::core {
namespace {

CString Decimal(int n) {
    CString text;
    text.Format("%d", n);
    return text;
}

// The devices of `ld`'s IED other than `ld`; none for a device outside an IED.
std::vector<URI_Ref> OtherDevices(CKiln_Main& app, const URI_Ref& ld, int* all = nullptr) {
    const URI_Ref ied = app.DocMtd_getFirstUri_ofAsso(ld, "sec:LDevice.Server/sec:Server.IED");
    std::vector<URI_Ref> devices, others;
    URI_Ref last;
    if (ied.IsSet()) app.DocMtd_get_descendent_BUris(ied, kDevicesOfIed, devices, last, kRoleOrd, SortPolicy_ByOrd);
    if (all) *all = static_cast<int>(devices.size());
    for (const URI_Ref& d : devices)
        if (!(d == ld)) others.push_back(d);
    return others;
}

}  // namespace

CNodeInstances::CNodeInstances(CKiln_Main& app, const URI_Ref& ld, const CString& lnClass, const URI_Ref& except)
    : m_app(app), m_class(lnClass) {
    std::vector<URI_Ref> nodes;
    app.DocMtd_get_Association_BUris(ld, "sec:LDevice.LNodes", nodes, kRoleOrd, SortPolicy_ByOrd);
    for (const URI_Ref& node : nodes) {
        if (node == except || LnClassOfNode(app, node) != lnClass) continue;
        ++m_others;
        m_taken[app.DocMtd_getValue_ofAttr(node, "sec:LNode.prefix")].insert(
            app.DocMtd_getValue_ofAttr(node, "sec:LNode.lnInst"));
    }
}

bool CNodeInstances::Taken(const CString& prefix, const CString& inst) const {
    const auto it = m_taken.find(prefix);
    return it != m_taken.end() && it->second.count(inst) > 0;
}

void CNodeInstances::Free(const URI_Ref& node) {
    if (m_class == "LLN0") return;
    const CString prefix = m_app.DocMtd_getValue_ofAttr(node, "sec:LNode.prefix");
    CString inst = m_app.DocMtd_getValue_ofAttr(node, "sec:LNode.lnInst");
    if (Taken(prefix, inst)) {
        const CString free =
            Decimal(FirstFreeNumber(m_others + 1, [&](int k) { return Taken(prefix, Decimal(k)); }));
        m_app.DocMtd_Modify_attribute_value(node, "sec:LNode.lnInst", free);
        m_app.DocMtd_Modify_attribute_value(node, kRoleName, NodeNameText(prefix, m_class, free));
        SayNameTaken(m_app, "逻辑节点", NodeNameText(prefix, m_class, inst), "逻辑节点",
                     NodeNameText(prefix, m_class, free));
        inst = free;
    }
    ++m_others;
    m_taken[prefix].insert(inst);
}

void FreeDeviceName(CKiln_Main& app, const URI_Ref& ld) {
    int devices = 0;
    std::set<CString> taken;
    for (const URI_Ref& other : OtherDevices(app, ld, &devices)) taken.insert(app.DocMtd_getValue_ofAttr(other, kRoleName));
    const CString name = app.DocMtd_getValue_ofAttr(ld, kRoleName);
    if (!taken.count(name)) return;
    const CString free = "LD_" + Decimal(FirstFreeNumber(devices, [&](int k) { return taken.count("LD_" + Decimal(k)) > 0; }));
    app.DocMtd_Modify_attribute_value(ld, kRoleName, free);
    SayNameTaken(app, "逻辑装置", name, "逻辑装置", free);
}

}  // namespace kiln::core
