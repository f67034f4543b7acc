// Creators of the ICD structure: the ICD with its IED, server and template
// package, logical devices with their LLN0 and LPHD nodes, logical nodes,
// DOIs and DAIs.
#include <utility>
#include <vector>

#include "core/create_pattern.h"
#include "core/kiln_main.h"
#include "core/type_classes.h"
#include "platform/ui/ui_functions.h"

using kiln::core::BoolText;
using kiln::core::CNewRsc;
using kiln::core::kErrAddAsso;
using kiln::core::kRoleName;
using kiln::core::kRoleOrd;
using kiln::core::LnClassOfType;
using kiln::core::NodeNameText;
using kiln::core::OrdRole;

namespace {

// What the class of a device's node depends on: its device link, its type
// link, the type's class link and kept class text, and the names of types
// and classes.
const std::pair<const char*, const char*> kCountDependsOn[] = {
    {"sec:LNode", "sec:LNode.LDevice"},
    {"sec:LNode", "sec:LNode.LNodeType"},
    {"sec:LNodeType", "sec:LNodeType.ClassOf_LNType"},
    {"sec:LNodeType", "sec:LNodeType.lnClass"},
    {"sec:LNodeType", "cim:Naming.name"},
};

std::vector<uint64_t> CountStamps(CKiln_Main& app) {
    // Where the stamps are kept depends on the schema, which the documents
    // share; a place not found (no schema yet) is read by the names.
    static const std::vector<int> slots = [&] {
        std::vector<int> found;
        for (const auto& [cls, role] : kCountDependsOn) found.push_back(app.m_Doc.ChangeStampSlot(cls, role));
        return found;
    }();
    std::vector<uint64_t> stamps;
    stamps.reserve(slots.size());
    for (size_t k = 0; k < slots.size(); ++k) {
        const auto& [cls, role] = kCountDependsOn[k];
        stamps.push_back(slots[k] >= 0 ? app.m_Doc.ChangeStampAt(slots[k]) : app.m_Doc.ChangeStamp(cls, role));
    }
    return stamps;
}

int& CountOf(CKiln_Main::LNodeClassCount& count, const CString& lnClass) {
    for (auto& [cls, n] : count.vPerClass)
        if (cls == lnClass) return n;
    count.vPerClass.emplace_back(lnClass, 0);
    return count.vPerClass.back().second;
}

// The number of the device's nodes of the LN class: from the kept count
// while nothing it depends on changed, else counted afresh. False when the
// device's nodes cannot be listed.
bool CountNodesOfClass(CKiln_Main& app, const URI_Ref& ld, const CString& lnClass, int& n) {
    CKiln_Main::LNodeClassCount& kept = app.m_LNodeClassCount;
    std::vector<uint64_t> stamps = CountStamps(app);
    if (kept.sDevice != ld.sUri || kept.vStamps != stamps) {
        std::vector<URI_Ref> nodes;
        if (!app.DocMtd_get_Association_BUris(ld, "sec:LDevice.LNodes", nodes, kRoleOrd, SortPolicy_ByOrd)) {
            kept = {};
            return false;
        }
        kept = {};
        for (const URI_Ref& node : nodes) {
            URI_Ref nodeType = app.DocMtd_getFirstUri_ofAsso(node, "sec:LNode.LNodeType");
            if (nodeType.IsSet()) ++CountOf(kept, LnClassOfType(app, nodeType));
        }
        kept.sDevice = ld.sUri;
        kept.vStamps = std::move(stamps);
    }
    n = CountOf(kept, lnClass);
    return true;
}

// After a node of the class was added to the device counted just before.
void NoteNewNode(CKiln_Main& app, const URI_Ref& ld, const CString& lnClass) {
    CKiln_Main::LNodeClassCount& kept = app.m_LNodeClassCount;
    if (kept.sDevice != ld.sUri) return;
    ++CountOf(kept, lnClass);
    kept.vStamps = CountStamps(app);
}

}  // namespace

bool CKiln_Main::NewRsc_ICD(URI_Ref* pOut, URI_Ref dependPackage, CString name, bool bExtDOFreely, URI_Ref product) {
    if (product.IsEmpty()) {
        _AfxMessageBox("内部错误 - E992！", MB_OK, "", nullptr);
        return false;
    }
    if (product.sClass != "sec:Product") {
        _AfxMessageBox("产品型号指定错误！", MB_OK, "", nullptr);
        return false;
    }
    CNewRsc c(*this, pOut, "W0057");
    CString unused;
    CString domain = Get_DomainName_withCreate(product, "sec:ICD", unused, true);
    if (m_bUseDrawer) {
        URI_Ref serial = DocMtd_getFirstUri_ofAsso(product, "sec:Product.ProductSerial");
        if (!DrrMtd_Open_a_Drawer_ofKeyRsc(serial, domain, true, 100)) {
            _AfxMessageBox("从DrawerFile中加载临时域失败（007）！", MB_OK, "", nullptr);
            return false;
        }
    }
    if (!c.Lock(domain)) return false;
    c.ClearOut();
    if (name.IsEmpty()) name = "Product_" + Get_NewRscSeq(URI_Ref(), "sec:ICD");
    if (dependPackage.IsEmpty()) dependPackage = m_uStdTypePackage;
    return c.Build([&] {
        URI_Ref icd = c.Create("sec:ICD", name);
        c.Write(icd, "sec:ICD.extDOFreely", BoolText(bExtDOFreely));
        URI_Ref ied, pkg;
        // The IED's clean-up takes its server along.
        c.Adopt(NewRsc_IED(&ied, icd), ied, "sec:IED.Servers");
        c.Adopt(NewRsc_TypePackage(&pkg, name + "模板类包", true, icd), pkg);
        if (dependPackage.IsSet()) c.Link(pkg, "sec:TypePackage.Depend_TypePackage", dependPackage, kErrAddAsso);
        c.Link(icd, "sec:ICD.Product", product, kErrAddAsso);
        return icd;
    });
}

bool CKiln_Main::NewRsc_IED(URI_Ref* pOut, URI_Ref icd) {
    CNewRsc c(*this, pOut, "W0070");
    if (!c.Admit(icd, {"sec:ICD"}, "指定ICD错误！")) return false;
    return c.Build([&] {
        URI_Ref ied = c.Create("sec:IED", "TEMPLATE");
        c.Link(ied, "sec:IED.ICD", icd);
        URI_Ref server = c.Create("sec:Server", "IED_Server");
        c.Link(server, "sec:Server.IED", ied);
        return ied;
    });
}

bool CKiln_Main::NewRsc_LDevice(URI_Ref* pOut, URI_Ref parent, URI_Ref lln0Type, URI_Ref lphdType,
                                URI_Ref templateLD) {
    CNewRsc c(*this, pOut, "W0071");
    if (!c.Admit(parent, {"sec:IED", "sec:TypePackage"}, "指定IED或TypePackage错误！")) return false;
    // Under an IED the device is an instance, numbered among the devices of
    // all its servers; under a package it is a template.
    const bool bTemplate = parent.sClass == "sec:TypePackage";
    const CString n =
        Get_NewRscSeq(parent, bTemplate ? "sec:TypePackage.Base_LDevices" : "sec:IED.Servers/sec:Server.LDevices");
    return c.Build([&] {
        URI_Ref ld = c.Create("sec:LDevice", "LD_" + n);
        c.Write(ld, OrdRole(), n);
        if (bTemplate)
            c.Link(ld, "sec:LDevice.TypePackage", parent);
        else
            c.Link(ld, "sec:LDevice.Server", DocMtd_getFirstUri_ofAsso(parent, "sec:IED.Servers"));
        c.Write(ld, "sec:LDevice.isAbstract", BoolText(bTemplate));
        // The device's LLN0 and LPHD, named as every other node made.
        for (const URI_Ref* type : {&lln0Type, &lphdType}) {
            if (type->IsEmpty()) continue;
            URI_Ref node;
            c.Adopt(NewRsc_LNode(&node, ld, *type, true), node);
        }
        if (templateLD.sClass == "sec:LDevice") c.Link(ld, "sec:LDevice.Abstract_LDevice", templateLD);
        return ld;
    });
}

bool CKiln_Main::NewRsc_LNode(URI_Ref* pOut, const URI_Ref& ld, const URI_Ref& lnType, bool bInstNo) {
    CNewRsc c(*this, pOut, "W0072");
    if (!c.Admit(ld, {"sec:LDevice"}, "指定 LDevice 错误！")) return false;
    const CString n = Get_NewRscSeq(ld, "sec:LDevice.LNodes");
    CString name = "LN_" + n, inst, lnClass;
    if (lnType.IsSet()) {
        lnClass = LnClassOfType(*this, lnType);
        if (bInstNo) {
            // The instance number counts the device's nodes of the same class;
            // it does not look for a free number.
            int count = 0;
            if (!CountNodesOfClass(*this, ld, lnClass, count)) return false;
            inst.Format("%d", count + 1);
        }
        name = NodeNameText(CString(), lnClass, inst);
    }
    const bool made = c.Build([&] {
        URI_Ref node = c.Create("sec:LNode", name);
        // A failed instance number does not undo the node.
        if (bInstNo) DocMtd_Modify_attribute_value(node, "sec:LNode.lnInst", inst);
        c.Link(node, "sec:LNode.LDevice", ld);
        c.Write(node, OrdRole(), n);
        if (lnType.IsSet()) c.Link(node, "sec:LNode.LNodeType", lnType);
        // The node holds the class its files write, so that its page shows it.
        if (!lnClass.IsEmpty()) c.Write(node, "sec:LNode.lnClass", lnClass);
        return node;
    });
    if (made && bInstNo && lnType.IsSet()) NoteNewNode(*this, ld, lnClass);
    return made;
}

bool CKiln_Main::NewRsc_DOI(URI_Ref* pOut, const URI_Ref& lnode, const URI_Ref& dataObject) {
    CNewRsc c(*this, pOut, "W0073");
    if (!c.Admit(lnode, {"sec:LNode"}, "指定 LNode 错误！")) return false;
    const CString n = Get_NewRscSeq(lnode, "sec:LNode.DOIs");
    // A DOI of a DO is named after it; the name is given at creation so that
    // it is written once (an empty DO name still replaces the made-up one).
    const CString doName = dataObject.IsSet() ? DocMtd_getValue_ofAttr(dataObject, kRoleName, nullptr, false) : CString();
    return c.Build([&] {
        URI_Ref doi = c.Create("sec:DOI", doName.IsEmpty() ? "DOI_" + n : doName);
        c.Link(doi, "sec:DOI.LNode", lnode);
        if (dataObject.IsSet()) {
            c.Link(doi, "sec:DOI.DO", dataObject);
            if (doName.IsEmpty()) c.Write(doi, kRoleName, doName);
        }
        c.Write(doi, OrdRole(), n);
        return doi;
    });
}

bool CKiln_Main::NewRsc_DAI(URI_Ref* pOut, const URI_Ref& doi, const URI_Ref& dataAttr, const CString& name) {
    CNewRsc c(*this, pOut, "W0074");
    if (!c.Admit(doi, {"sec:DOI"}, "指定 DOI 错误！")) return false;
    const CString n = Get_NewRscSeq(doi, "sec:DOI.DAIs");
    return c.Build([&] {
        // A given name is the one made with: written once.
        URI_Ref dai = c.Create("sec:DAI", name.IsEmpty() ? "DAI_" + n : name);
        c.Link(dai, "sec:DAI.DOI", doi);
        if (dataAttr.sClass == "sec:BDA" || dataAttr.sClass == "sec:DA") c.Link(dai, "sec:DAI.BDA", dataAttr);
        c.Write(dai, OrdRole(), n);
        return dai;
    });
}
