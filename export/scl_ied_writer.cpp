// The instance side of an SCL file: the IED's type, one LDevice per logical
// device and one LN0 or LN per logical node, whose children follow the
// schema's order (DataSet, ReportControl, LogControl, DOI, Inputs, Log; in
// LN0 then SettingControl).
#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>

#include "core/kiln_main.h"
#include "core/scl_ied_roles.h"
#include "core/type_nesting.h"
#include "export/export_util.h"
#include "export/kiln_export.h"
#include "platform/mfc/text_funcs.h"

using namespace kiln::exporter;

bool CKiln_Export::Export_ICD_IED(CKiln_Main* pMain, CBase_XML& xml, const URI_Ref& icd, bool bFromM2I) {
    m_bFromM2I = bFromM2I;
    std::vector<URI_Ref> devices;
    URI_Ref last;
    if (pMain->DocMtd_get_descendent_BUris(icd, "sec:ICD.IED/sec:IED.Servers/sec:Server.LDevices", devices, last,
                                           kiln::core::kRoleOrd, SortPolicy_ByOrd) == 0)
        return false;
    const CString iedType = pMain->DocMtd_getFirstValue_ofAsso(icd, "sec:ICD.IED", "sec:IED.iedType");
    m_lnTypeList.clear();
    m_doTypeList.clear();
    m_daTypeList.clear();

    XmlNode ied = xml.Get_NodePtr(xml.GetDocumentElement(), "IED");
    XmlNode server = xml.Get_NodePtr(xml.GetDocument(), "//Server");
    if (!ied || !server) return false;
    Put(xml, ied, "type", iedType);
    // An IED read from a file without a type is written without one.
    const URI_Ref iedRsc = pMain->DocMtd_getFirstUri_ofAsso(icd, "sec:ICD.IED");
    if (iedType.IsEmpty() && pMain->DocMtd_holdsValue_ofAttr(iedRsc, "sec:IED.iedType") && !ied.RemoveAttribute("type"))
        return false;
    // What the IED holds of its description and of the attributes a file
    // gave it goes over the template's; its name stays the template's.
    // References to the IED's own nodes name it as the file does.
    m_uIed = iedRsc;
    ied.GetAttribute("name", m_strIedName);
    const CString iedDesc = Attr(pMain, iedRsc, "cim:Naming.description");
    if (!iedDesc.IsEmpty() && !ied.SetAttribute("desc", iedDesc)) return false;
    // One held empty (a file's IED without it) takes the template's away.
    for (const kiln::core::SclAttrRole& r : kiln::core::kIedAttrRoles) {
        const CString value = Attr(pMain, iedRsc, r.role);
        if (!value.IsEmpty() ? !ied.SetAttribute(r.attribute, value)
                             : pMain->DocMtd_holdsValue_ofAttr(iedRsc, r.role) && !ied.RemoveAttribute(r.attribute))
            return false;
    }
    const XmlNode accessPoint = server.ParentNode();
    // A server holds at least one device: an IED without any keeps its
    // access point without a server.
    if (devices.empty()) return accessPoint.RemoveChild(server);

    // The devices by the access point they came from, in the order of their
    // first device, with the point's attributes (each the first a device of
    // the point holds). A device made with the menus has none: it goes to
    // the IED's first access point (the template's when no device names
    // one).
    CString firstAp;
    accessPoint.GetAttribute("name", firstAp);
    for (const URI_Ref& ld : devices) {
        const CString apName = Attr(pMain, ld, "sec:LDevice.apName");
        if (!apName.IsEmpty()) {
            firstAp = apName;
            break;
        }
    }
    constexpr size_t kAttrs = std::size(kiln::core::kAccessPointAttrRoles);
    struct Point {
        CString name;
        CString values[kAttrs];  // by kAccessPointAttrRoles
        bool held[kAttrs] = {};  // a value, an empty one included
        std::vector<URI_Ref> devices;
    };
    std::vector<Point> points;
    for (const URI_Ref& ld : devices) {
        CString apName = Attr(pMain, ld, "sec:LDevice.apName");
        if (apName.IsEmpty()) apName = firstAp;
        auto it = std::find_if(points.begin(), points.end(), [&](const Point& p) { return p.name == apName; });
        if (it == points.end()) {
            it = points.insert(points.end(), Point());
            it->name = apName;
        }
        for (size_t k = 0; k < kAttrs; ++k) {
            if (!it->values[k].IsEmpty()) continue;
            const char* role = kiln::core::kAccessPointAttrRoles[k].role;
            it->values[k] = Attr(pMain, ld, role);
            it->held[k] = it->held[k] || pMain->DocMtd_holdsValue_ofAttr(ld, role);
        }
        it->devices.push_back(ld);
    }
    // The further points are made from the template's before any point
    // takes attributes of its own.
    std::vector<XmlNode> servers{server};
    for (size_t i = 1; i < points.size(); ++i) {
        servers.push_back(AddAccessPoint(ied, accessPoint, server, points[i].name));
        if (!servers.back()) return false;
    }
    for (size_t i = 0; i < points.size(); ++i) {
        const XmlNode& target = servers[i];
        const XmlNode point = target.ParentNode();
        if (i == 0) Put(xml, point, "name", points[i].name);
        // The point's, its server's and its authentication's attributes;
        // the template's stand where the point has none, and go where it
        // holds an empty one.
        XmlNode auth;
        for (const XmlNode& child : target.ChildElements("Authentication")) {
            auth = child;
            break;
        }
        for (size_t k = 0; k < kAttrs; ++k) {
            const kiln::core::SclAttrRole& r = kiln::core::kAccessPointAttrRoles[k];
            const std::string element = r.element;
            const XmlNode on = element == "AccessPoint" ? point : element == "Server" ? target : auth;
            if (!on) continue;
            if (!points[i].values[k].IsEmpty() ? !on.SetAttribute(r.attribute, points[i].values[k])
                                               : points[i].held[k] && !on.RemoveAttribute(r.attribute))
                return false;
        }
        for (const URI_Ref& ld : points[i].devices)
            if (!Export_LDevice(pMain, target, xml, ld, false)) return false;
    }
    return true;
}

CString CKiln_Export::IedNameOf(CKiln_Main* pMain, const URI_Ref& lnode) const {
    const URI_Ref ied = pMain->DocMtd_getFirstUri_ofAsso(lnode, "sec:LNode.LDevice/sec:LDevice.Server/sec:Server.IED");
    if (ied.IsSet() && ied == m_uIed && !m_strIedName.IsEmpty()) return m_strIedName;
    return Attr(pMain, ied, kiln::core::kRoleName);
}

XmlNode CKiln_Export::AddAccessPoint(const XmlNode& ied, const XmlNode& model, const XmlNode& server,
                                     const CString& name) {
    // A further access point is made like the template's: its attributes
    // with another name and without the first point's description, and a
    // server with the template server's elements (its authentication)
    // before the devices.
    XmlNode ap = ied.AppendChild(model.NodeName());
    if (!ap) return XmlNode();
    for (const pugi::xml_attribute& a : model.PugiNode().attributes())
        if (std::strcmp(a.name(), "desc") != 0) ap.SetAttribute(CString(a.name()), CString(a.value()));
    ap.SetAttribute("name", name);
    XmlNode copy = ap.AppendChild(server.NodeName());
    if (!copy) return XmlNode();
    for (const XmlNode& child : server.ChildElements()) {
        if (child.NodeName() == "LDevice") break;
        XmlNode c = copy.AppendChild(child.NodeName());
        if (!c) return XmlNode();
        for (const pugi::xml_attribute& a : child.PugiNode().attributes())
            c.SetAttribute(CString(a.name()), CString(a.value()));
    }
    return copy;
}

bool CKiln_Export::Export_LDevice(CKiln_Main* pMain, const XmlNode& parent, CBase_XML& xml, const URI_Ref& ld,
                                  bool bTypePackage) {
    if (!parent) return false;
    CString name;
    if (!ReadName(pMain, ld, name)) return false;
    const CString desc = Attr(pMain, ld, "cim:Naming.description");
    const URI_Ref abstractLd = pMain->DocMtd_getFirstUri_ofAsso(ld, "sec:LDevice.Abstract_LDevice");
    const CString abstractName = abstractLd.IsSet() ? Attr(pMain, abstractLd, kiln::core::kRoleName) : CString();

    // The name a second-edition file gave the device, when it gave one.
    const CString ldName = Attr(pMain, ld, "sec:LDevice.ldName");
    CStringArray attrs = Names({"inst", "desc"});
    if (!ldName.IsEmpty()) attrs.Add("ldName");
    if (bTypePackage) attrs.Add("AbstractLD");
    XmlNode element = xml.AddNewNode_withAttrs(parent, "LDevice", attrs);
    if (!element) return false;
    if (!Put(xml, element, "inst", name)) return false;
    if (!desc.IsEmpty()) Put(xml, element, "desc", desc);
    if (!ldName.IsEmpty()) Put(xml, element, "ldName", ldName);
    if (bTypePackage && !abstractName.IsEmpty()) Put(xml, element, "AbstractLD", abstractName);

    // In an ICD file the nodes of the abstract devices follow the device's
    // own (the walk stops at a device it already passed).
    std::vector<URI_Ref> chain;
    if (bTypePackage)
        chain.push_back(ld);
    else
        pMain->Get_AbstractTypes(ld, &chain, "sec:LDevice.Abstract_LDevice");

    struct Node {
        URI_Ref rsc;
        bool bInherited;
        CString lnClass;
        std::string key;  // prefix, class and instance
    };
    std::vector<Node> nodes;
    for (size_t i = 0; i < chain.size(); ++i) {
        std::vector<URI_Ref> own;
        if (!Members(pMain, chain[i], "sec:LDevice.LNodes", own)) return false;
        for (const URI_Ref& n : own) {
            Node node{n, i > 0, LnClassOf(pMain, n), std::string()};
            node.key = (Attr(pMain, n, "sec:LNode.prefix") + "|" + node.lnClass + "|" +
                        Attr(pMain, n, "sec:LNode.lnInst")).str();
            nodes.push_back(std::move(node));
        }
    }

    // LN0 stands first and only once; an inherited node that repeats one
    // already written (prefix, class and instance) is left out.
    std::vector<URI_Ref> order;
    for (const Node& n : nodes)
        if (n.lnClass == "LLN0") {
            if (order.empty())
                order.push_back(n.rsc);
            else if (!n.bInherited)
                m_vLeftOut.push_back("LLN0（LDevice中已有LLN0）：" + name + "/" + Attr(pMain, n.rsc, kiln::core::kRoleName));
        }
    std::set<std::string> written;
    for (const Node& n : nodes) {
        if (n.lnClass == "LLN0") continue;
        if (!written.insert(n.key).second && n.bInherited) continue;
        order.push_back(n.rsc);
    }
    for (const URI_Ref& n : order)
        if (!Export_LNode(element, pMain, xml, n)) return false;
    // The access control the device's file gave it, after its nodes.
    const CString accessControl = Attr(pMain, ld, "sec:LDevice.accessControl");
    if (!accessControl.IsEmpty() && !xml.Write_NodeValueString_withCreate(element, "AccessControl", accessControl))
        return false;
    return true;
}

bool CKiln_Export::Export_LNode(const XmlNode& parent, CKiln_Main* pMain, CBase_XML& xml, const URI_Ref& lnode) {
    CString name;
    if (!ReadName(pMain, lnode, name)) return false;
    const CString desc = Attr(pMain, lnode, "cim:Naming.description");
    const URI_Ref lnType = pMain->DocMtd_getFirstUri_ofAsso(lnode, "sec:LNode.LNodeType");

    // The descriptions of the type's DOs and of every SDO path below them.
    DescTable descs;
    if (m_bFromM2I && lnType.IsSet()) {
        std::vector<URI_Ref> dos;
        if (!Members(pMain, lnType, "sec:LNodeType.DOs", dos)) return false;
        for (const URI_Ref& d : dos) {
            const CString doName = Attr(pMain, d, kiln::core::kRoleName);
            descs.emplace(doName.str(), Attr(pMain, d, "cim:Naming.description"));
            const URI_Ref doType = pMain->DocMtd_getFirstUri_ofAsso(d, "sec:DO.DefinedBy_DOType");
            if (doType.IsEmpty()) continue;
            std::vector<URI_Ref> sdos;
            Members(pMain, doType, "sec:DOType.Contains_SDOs", sdos);
            kiln::core::TypePath onPath{doType.sUri};
            for (const URI_Ref& s : sdos)
                Add_SDO_to_InstDO_map(pMain, s, descs, doName + "." + Attr(pMain, s, kiln::core::kRoleName), onPath);
        }
    }

    CString lnClass, typeId;
    if (lnType.IsSet()) {
        lnClass = LnClassOf(pMain, lnode);
        typeId = Attr(pMain, lnType, kiln::core::kRoleName);
        AddOnce(m_lnTypeList, m_lnTypeUris, lnType);
    }
    const CString lnInst = Attr(pMain, lnode, "sec:LNode.lnInst");
    const CString prefix = Attr(pMain, lnode, "sec:LNode.prefix");
    CString ldInst;
    parent.GetAttribute("inst", ldInst);
    m_strNodePath = ldInst + "/" + kiln::core::NodeName(*pMain, lnode);

    // LN0 has no prefix in the schema (a prefix goes into zScl:prefix) and
    // its inst is always empty.
    const bool bLN0 = lnClass == "LLN0";
    CStringArray attrs = bLN0 ? Names({"lnType", "lnClass", "desc", "inst"})
                              : Names({"prefix", "lnType", "lnClass", "desc", "inst"});
    XmlNode element = xml.AddNewNode_withAttrs(parent, bLN0 ? "LN0" : "LN", attrs);
    if (!element) return false;
    if (!Put(xml, element, "lnType", typeId)) return false;
    if (!bLN0 && !Put(xml, element, "inst", lnInst)) return false;
    if (!Put(xml, element, "lnClass", lnClass)) return false;
    if (!desc.IsEmpty()) Put(xml, element, "desc", desc);
    if (!bLN0)
        Put(xml, element, "prefix", prefix);
    else if (!prefix.IsEmpty())
        Put(xml, element, "zScl:prefix", prefix);
    // A node's purpose (what the standard data sets take it for) has no
    // attribute in SCL: it goes into zScl:LNodeUse.
    const CString use = StringAfter(Attr(pMain, lnode, "sec:LNode.LNodeUse"), "#", ".");
    if (!use.IsEmpty()) Put(xml, element, "zScl:LNodeUse", use);

    using Writer = bool (CKiln_Export::*)(const XmlNode&, CKiln_Main*, CBase_XML&, const URI_Ref&);
    auto writeAll = [&](const char* role, Writer writer, const XmlNode& under) {
        std::vector<URI_Ref> list;
        if (!Members(pMain, lnode, role, list)) return false;
        for (const URI_Ref& r : list)
            if (!(this->*writer)(under, pMain, xml, r)) return false;
        return true;
    };

    if (!writeAll("sec:LNode.DataSets", &CKiln_Export::Export_DataSets, element)) return false;
    if (!writeAll("sec:LNode.RCBs", &CKiln_Export::Export_RCBs, element)) return false;
    if (!writeAll("sec:LNode.LCBs", &CKiln_Export::Export_LCBs, element)) return false;

    // DOI values: the value trees, then (from the M2I) the mapping items,
    // which share the DOI and SDI elements the trees wrote. Values of a DO
    // the node's type does not have (one deleted from the type, or the
    // node given another type) are left out and named, and so are DAIs of
    // no attribute of the type's DO.
    auto typeLacks = [&](const CString& doPath, const CString& what) {
        if (doPath.IsEmpty() || lnType.IsEmpty() || DOsOf(pMain, lnType).count(StringBefore(doPath, ".").str()))
            return false;
        m_vLeftOut.push_back(what + "（LN类型中没有该DO）：" + m_strNodePath + "." + doPath);
        return true;
    };
    NodeTable doiNodes;
    m_doiChildren.clear();
    // The node's value trees are written as one text and added in one step;
    // the mapping items find their DOI and SDI elements by path.
    XmlElementsText& values = m_values;
    values.Clear();
    std::vector<std::string> valuePaths;
    std::vector<URI_Ref> dois;
    if (!Members(pMain, lnode, "sec:LNode.DOIs", dois)) return false;
    for (const URI_Ref& doi : dois) {
        const CString doiName = Attr(pMain, doi, kiln::core::kRoleName);
        // A DOI made for a DO (as every DOI the menus and imports make is)
        // writes the DAIs of the attributes the DO of its name in the node's
        // type has; its own link may name the DO of a type the node had before.
        const std::set<std::string>* paths = nullptr;
        if (lnType.IsSet() && pMain->DocMtd_getFirstUri_ofAsso(doi, "sec:DOI.DO").IsSet()) {
            const std::map<std::string, URI_Ref>& dos = DOsOf(pMain, lnType);
            if (const auto found = dos.find(doiName.str()); found != dos.end()) paths = &SclPathsOf(pMain, found->second);
        }
        std::vector<CString> lacking;
        bool bOk = false;
        DOIObj tree(pMain, doi, bOk, paths, &lacking);
        if (!bOk) return false;
        if ((tree.IsEmpty() && lacking.empty()) || typeLacks(doiName, "DOI")) continue;
        for (const CString& dai : lacking)
            m_vLeftOut.push_back("DAI（DO类型中没有该DA）：" + m_strNodePath + "." + doiName + "." + dai);
        if (!tree.IsEmpty()) tree.Write_Node(values, m_bFromM2I ? &valuePaths : nullptr, std::string());
    }
    std::vector<XmlNode> valueNodes;
    if (!xml.AppendElements(element, values, &valueNodes)) return false;
    // A path written twice keeps its first element.
    for (size_t k = 0; k < valuePaths.size(); ++k) doiNodes.emplace(std::move(valuePaths[k]), valueNodes[k]);
    if (m_bFromM2I) {
        std::vector<URI_Ref> refs;
        if (!Members(pMain, lnode, "sec:LNode.DARefs", refs)) return false;
        for (const URI_Ref& r : refs)
            if (r.sClass == "sec:MapItem" && !typeLacks(Attr(pMain, r, "sec:DARef.doName"), "映射条目的DOI"))
                Export_DOI(element, pMain, xml, r, true, doiNodes, descs);
    }

    std::vector<URI_Ref> extRefs;
    if (!Members(pMain, lnode, "sec:LNode.ExtRefs", extRefs)) return false;
    if (!extRefs.empty()) {
        XmlNode inputs = xml.AddNewNode_withAttrs(element, "Inputs", CStringArray());
        if (!inputs) return false;
        for (const URI_Ref& r : extRefs)
            if (!Export_ExtRefs(inputs, pMain, xml, r)) return false;
    }
    if (!writeAll("sec:LNode.Log", &CKiln_Export::Export_Log, element)) return false;
    // GOOSE and sampled-value control blocks are not written: each is named.
    std::vector<URI_Ref> cbs;
    if (!Members(pMain, lnode, "sec:LNode.CBs", cbs)) return false;
    for (const URI_Ref& cb : cbs) {
        const char* kind = cb.sClass == "sec:GSE" ? "GSE控制块" : cb.sClass == "sec:SV" ? "采样控制块" : nullptr;
        if (kind) m_vLeftOut.push_back(CString(kind) + "（不支持导出）：" + m_strNodePath + "." + Attr(pMain, cb, kiln::core::kRoleName));
    }
    // A setting-group control block has its place in LN0 only; elsewhere
    // it is left out and named.
    if (bLN0) return writeAll("sec:LNode.SGCB", &CKiln_Export::Export_SGCB, element);
    std::vector<URI_Ref> sgcbs;
    if (!Members(pMain, lnode, "sec:LNode.SGCB", sgcbs)) return false;
    for (const URI_Ref& sgcb : sgcbs)
        m_vLeftOut.push_back("定值控制块（不在LLN0中）：" + m_strNodePath + "." + Attr(pMain, sgcb, kiln::core::kRoleName));
    return true;
}
