// DOI, SDI and DAI values of a logical node: the value trees of its DOIs and,
// with the from-M2I answer, the values, units and ranges of its mapping items.
#include "core/kiln_main.h"
#include "export/export_util.h"
#include "export/kiln_export.h"

using namespace kiln::exporter;

namespace {

// The DAI named "dU" directly under the element, or null.
XmlNode FindDU(CBase_XML& xml, const XmlNode& element) { return xml.Get_NodePtr(element, "DAI[@name='dU']"); }

// Appends <DAI name=...><Val>value</Val></DAI>.
XmlNode AppendDAI(CBase_XML& xml, const XmlNode& parent, const CString& name, const CString& value) {
    static const CString kDai("DAI"), kName("name"), kVal("Val");
    return xml.AddNewNode_withAttrValueAndChild(parent, kDai, kName, name, kVal, value);
}

// The element of the path in the table, or a new one appended to `parent`.
XmlNode FindOrAppend(CBase_XML& xml, CKiln_Export::NodeTable& nodes, const CString& path, const XmlNode& parent,
                     const char* element, const CString& name) {
    auto it = nodes.find(path.str());
    if (it != nodes.end()) return it->second;
    XmlNode node = xml.AddNewNode_withAttrValue(parent, element, "name", name);
    if (!node) return XmlNode();
    nodes.emplace(path.str(), node);
    return node;
}

std::vector<CString> Split(const CString& text) {
    std::vector<CString> parts;
    int start = 0;
    for (;;) {
        int dot = text.Find('.', start);
        if (dot < 0) {
            parts.push_back(text.Mid(start));
            return parts;
        }
        parts.push_back(text.Mid(start, dot - start));
        start = dot + 1;
    }
}

}  // namespace

// ---- the value tree ----------------------------------------------------------

SDIObj* SDIObj::Find_Child(const CString& name) const { return Find_Child(std::string_view(name.str())); }

SDIObj* SDIObj::Find_Child(std::string_view name) const {
    for (const auto& c : m_vChildren)
        if (c->m_strName.str() == name) return c.get();
    return nullptr;
}

bool SDIObj::Add_DAI_Path(const CString& path, const CString& value) {
    return AddPath(std::string_view(path.str()), std::string_view(value.str()));
}

bool SDIObj::AddPath(std::string_view path, std::string_view value) {
    if (path.empty() || path[0] == '.' || path[0] == '[') return false;
    // A segment ends at its first "[" (the index is dropped).
    auto nameOf = [](std::string_view segment) { return segment.substr(0, segment.find('[')); };
    const size_t dot = path.find('.');
    if (dot == std::string_view::npos) {
        const std::string_view name = nameOf(path);
        if (name.empty()) return false;
        m_vEntries.emplace_back(CString(name), CString(value));
        return true;
    }
    const std::string_view segment = nameOf(path.substr(0, dot));
    const std::string_view rest = path.substr(dot + 1);
    if (SDIObj* child = Find_Child(segment)) return child->AddPath(rest, value);
    auto child = std::make_unique<SDIObj>(CString(segment));
    if (!child->AddPath(rest, value)) return false;
    m_vChildren.push_back(std::move(child));
    return true;
}

bool SDIObj::Write_Node(const XmlNode& parent, CBase_XML& xml, std::map<std::string, XmlNode>* pNodes,
                        const CString& path) const {
    XmlNode element = xml.AddNewNode_withAttrValue(parent, GetTypeName(), "name", m_strName);
    if (!element) return false;
    const CString myPath = path.IsEmpty() ? m_strName : path + "." + m_strName;
    if (pNodes) pNodes->emplace(myPath.str(), element);
    return Write_Contents(element, xml, pNodes, myPath);
}

bool SDIObj::Write_Contents(const XmlNode& element, CBase_XML& xml, std::map<std::string, XmlNode>* pNodes,
                            const CString& path) const {
    for (const auto& [name, value] : m_vEntries)
        if (!AppendDAI(xml, element, name, value)) return false;
    for (const auto& child : m_vChildren)
        if (!child->Write_Node(element, xml, pNodes, path)) return false;
    return true;
}

DOIObj::DOIObj(CKiln_Main* pMain, const URI_Ref& doi, bool& bOk) {
    bOk = false;
    if (!ReadName(pMain, doi, m_strName) || m_strName.IsEmpty()) return;
    // Each DAI's value and name, read in one pass over the DOI's members.
    static const std::vector<CString> kValues{"sec:DAI.valueStr", kiln::core::kRoleName};
    std::vector<std::string_view> rows;
    if (!pMain->m_Doc.MemberValuesByOrd(doi, "sec:DOI.DAIs", kValues, rows)) return;
    m_vEntries.reserve(rows.size() / 2);
    for (size_t k = 0; k + 1 < rows.size(); k += 2) {
        const std::string_view value = rows[k], name = rows[k + 1];
        if (value.empty()) continue;
        if (name.empty()) return;
        if (!AddPath(name, value)) return;
    }
    bOk = true;
}

// ---- values of the mapping items ------------------------------------------------

bool CKiln_Export::Add_SDO_to_InstDO_map(CKiln_Main* pMain, const URI_Ref& sdo, DescTable& descs, const CString& path,
                                         std::set<std::string>& onPath) {
    const URI_Ref type = pMain->DocMtd_getFirstUri_ofAsso(sdo, "sec:SDO.DefinedBy_DOType");
    descs.emplace(path.str(), Attr(pMain, sdo, "cim:Naming.description"));
    // A type that contains itself, directly or further down, is not entered again.
    if (type.IsEmpty() || !onPath.insert(type.sUri).second) return true;
    std::vector<URI_Ref> sdos;
    Members(pMain, type, "sec:DOType.Contains_SDOs", sdos);
    for (const URI_Ref& s : sdos)
        Add_SDO_to_InstDO_map(pMain, s, descs, path + "." + Attr(pMain, s, kiln::core::kRoleName), onPath);
    onPath.erase(type.sUri);
    return true;
}

bool CKiln_Export::Export_DOI(const XmlNode& lnElement, CKiln_Main* pMain, CBase_XML& xml, const URI_Ref& mapItem,
                              bool bFlag, NodeTable& nodes, DescTable& descs) {
    const CString doPath = Attr(pMain, mapItem, "sec:DARef.doName");
    const CString daPath = Attr(pMain, mapItem, "sec:DARef.daName");
    const CString value = Attr(pMain, mapItem, "sec:MapItem.valStr");
    const CString siUnit = Reduce(Attr(pMain, mapItem, "sec:MapItem.unitSiUnit"));
    const CString multiplier = Reduce(Attr(pMain, mapItem, "sec:MapItem.unitMultiplier"));
    const CString minVal = Attr(pMain, mapItem, "sec:MapItem.minVal");
    const CString maxVal = Attr(pMain, mapItem, "sec:MapItem.maxVal");
    const CString stepSize = Attr(pMain, mapItem, "sec:MapItem.stepSize");
    const CString dU = Attr(pMain, mapItem, "sec:MapItem.dU");
    const CString desc = Attr(pMain, mapItem, "cim:Naming.description");

    Write_SDI_and_GET_DAI(lnElement, xml, doPath, daPath, nodes, bFlag, value, desc);
    if (!dU.IsEmpty()) Write_SDI_and_GET_DAI(lnElement, xml, doPath, "dU", nodes, bFlag, dU, CString());
    auto found = descs.find(doPath.str());
    if (found != descs.end())
        Write_SDI_and_GET_DAI(lnElement, xml, doPath, "dU", nodes, bFlag, found->second, CString());
    const std::pair<const char*, CString> extras[] = {{"units.SIUnit", siUnit},
                                                       {"units.multiplier", multiplier},
                                                       {"minVal.f", minVal},
                                                       {"maxVal.f", maxVal},
                                                       {"stepSize.f", stepSize}};
    for (const auto& [path, text] : extras)
        if (!text.IsEmpty()) Write_SDI_and_GET_DAI(lnElement, xml, doPath, path, nodes, bFlag, text, CString());
    return true;
}

XmlNode CKiln_Export::Write_SDI_and_GET_DAI(const XmlNode& lnElement, CBase_XML& xml, const CString& doPath,
                                            const CString& daPath, NodeTable& nodes, bool /*bFlag*/,
                                            const CString& value, const CString& desc) {
    const std::vector<CString> doParts = Split(doPath);
    CString path = doParts[0];
    XmlNode current = FindOrAppend(xml, nodes, path, lnElement, "DOI", doParts[0]);
    for (size_t i = 1; current && i < doParts.size(); ++i) {
        path += "." + doParts[i];
        current = FindOrAppend(xml, nodes, path, current, "SDI", doParts[i]);
    }
    if (!current) return XmlNode();
    if (!desc.IsEmpty() && !FindDU(xml, current)) AppendDAI(xml, current, "dU", desc);
    if (value.IsEmpty()) return XmlNode();

    const std::vector<CString> daParts = Split(daPath);
    for (size_t i = 0; current && i + 1 < daParts.size(); ++i) {
        path += "." + daParts[i];
        current = FindOrAppend(xml, nodes, path, current, "SDI", daParts[i]);
    }
    if (!current) return XmlNode();
    // One description per element: the first "dU" stays.
    const CString& last = daParts.back();
    if (last == "dU")
        if (XmlNode existing = FindDU(xml, current)) return existing;
    return AppendDAI(xml, current, last, value);
}
