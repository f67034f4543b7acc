// DOI, SDI and DAI values of a logical node: the value trees of its DOIs and,
// with the from-M2I answer, the values, units and ranges of its mapping items.
#include <cstring>

#include "core/kiln_main.h"
#include "core/scl_names.h"
#include "core/type_nesting.h"
#include "export/export_util.h"
#include "export/kiln_export.h"

using namespace kiln::exporter;

namespace {

// Why a mapping item's value stays out of a DAI written before it.
const CString kHeldText("DOI中已有同名DAI");

// The child `element` named `name` of `parent`, or null.
XmlNode ChildNamed(CBase_XML& xml, const XmlNode& parent, const CString& element, const CString& name) {
    const CString literal = CBase_XML::XPathLiteral(name);
    return literal.IsEmpty() ? XmlNode() : xml.Get_NodePtr(parent, element + "[@name=" + literal + "]");
}

// The DAI named "dU" directly under the element, or null.
XmlNode FindDU(CBase_XML& xml, const XmlNode& element) { return ChildNamed(xml, element, "DAI", "dU"); }

// Appends <DAI name=...><Val>value</Val></DAI>.
XmlNode AppendDAI(CBase_XML& xml, const XmlNode& parent, const CString& name, const CString& value) {
    static const CString kDai("DAI"), kName("name"), kVal("Val");
    return xml.AddNewNode_withAttrValueAndChild(parent, kDai, kName, name, kVal, value);
}

// The first child `element` of `parent` named `name` (as ChildNamed finds
// it), through an index of the parent's children made when first asked and
// kept as FindOrAppend appends: the values of a node may go into many DOIs.
XmlNode IndexedChild(CKiln_Export::ChildTable& children, const XmlNode& parent, const char* element,
                     const CString& name) {
    auto [it, added] = children.try_emplace(parent.PugiNode());
    if (added)
        for (const XmlNode& child : parent.ChildElements())
            for (const pugi::xml_attribute& attr : child.PugiNode().attributes())
                if (std::strcmp(attr.name(), "name") == 0)
                    it->second.emplace(std::pair<std::string, std::string>(child.PugiNode().name(), attr.value()),
                                       child);
    // A name no XPath literal holds finds none there either.
    if (CBase_XML::XPathLiteral(name).IsEmpty()) return XmlNode();
    const auto found = it->second.find(std::pair(std::string(element), name.str()));
    return found == it->second.end() ? XmlNode() : found->second;
}

// The element of the path in the table, else the one of its name that
// `parent` already holds (SCL takes one DOI, SDI or DAI of a name there), or
// a new one appended to `parent`.
XmlNode FindOrAppend(CBase_XML& xml, CKiln_Export::NodeTable& nodes, CKiln_Export::ChildTable& children,
                     const CString& path, const XmlNode& parent, const char* element, const CString& name) {
    auto it = nodes.find(path.str());
    if (it != nodes.end()) return it->second;
    XmlNode node = IndexedChild(children, parent, element, name);
    if (!node) {
        node = xml.AddNewNode_withAttrValue(parent, element, "name", name);
        if (node) children[parent.PugiNode()].emplace(std::pair(std::string(element), name.str()), node);
    }
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

SDIObj* SDIObj::Find_Child(std::string_view name, std::string_view ix) const {
    for (const auto& c : m_vChildren)
        if (c->m_strName.str() == name && c->m_strIx.str() == ix) return c.get();
    return nullptr;
}

bool SDIObj::Add_DAI_Path(const CString& path, const CString& value) {
    return AddPath(std::string_view(path.str()), std::string_view(value.str()));
}

bool SDIObj::AddPath(std::string_view path, std::string_view value, std::unique_ptr<DAIDetails> details,
                     const SDIParts* sdis, size_t level) {
    if (path.empty() || path[0] == '.' || path[0] == '[') return false;
    // The first segment ends at the first "."; its name at its first "["
    // (the index is dropped). One pass finds both.
    size_t dot = 0, bracket = std::string_view::npos;
    while (dot < path.size() && path[dot] != '.') {
        if (path[dot] == '[' && bracket == std::string_view::npos) bracket = dot;
        ++dot;
    }
    const std::string_view segment = path.substr(0, std::min(dot, bracket));
    if (dot == path.size()) {
        if (segment.empty()) return false;
        m_vEntries.emplace_back(segment, value, std::move(details));
        return true;
    }
    const std::string_view rest = path.substr(dot + 1);
    auto part = [&](const std::vector<std::string_view>& parts) {
        return sdis && level < parts.size() ? parts[level] : std::string_view();
    };
    const std::string_view ix = sdis ? part(sdis->ix) : std::string_view();
    if (SDIObj* child = Find_Child(segment, ix)) {
        if (child->m_strDesc.IsEmpty() && sdis) child->m_strDesc = CString(part(sdis->desc));
        if (child->m_strAddr.IsEmpty() && sdis) child->m_strAddr = CString(part(sdis->sAddr));
        return child->AddPath(rest, value, std::move(details), sdis, level + 1);
    }
    auto child = std::make_unique<SDIObj>(CString(segment));
    child->m_strIx = CString(ix);
    if (sdis) {
        child->m_strDesc = CString(part(sdis->desc));
        child->m_strAddr = CString(part(sdis->sAddr));
    }
    if (!child->AddPath(rest, value, std::move(details), sdis, level + 1)) return false;
    m_vChildren.push_back(std::move(child));
    return true;
}

namespace {

using Name = XmlElementsText::Name;
const Name kDOI("DOI"), kSDI("SDI"), kDAI("DAI"), kVal("Val"), kName("name"), kDesc("desc"), kIx("ix"),
    kAccessControl("accessControl"), kSAddr("sAddr"), kValKind("valKind"), kValImport("valImport"),
    kSGroup("sGroup");

// Writes each attribute that has a text, in the order given.
void PutGiven(XmlElementsText& text, std::initializer_list<std::pair<const Name*, const CString*>> attrs) {
    for (const auto& [name, value] : attrs)
        if (!value->IsEmpty()) text.Attribute(*name, value->str());
}

// A DAI with its details: its attributes, then one Val per value, each with
// its setting group; an empty value stays an empty Val.
void WriteDetailedDAI(XmlElementsText& text, const CString& name, const DAIDetails& d) {
    text.Open(kDAI);
    text.Attribute(kName, name.str());
    PutGiven(text, {{&kDesc, &d.desc}, {&kSAddr, &d.sAddr}, {&kValKind, &d.valKind}, {&kIx, &d.ix},
                    {&kValImport, &d.valImport}});
    for (const auto& [value, group] : d.vals) {
        text.Open(kVal);
        if (!group.IsEmpty()) text.Attribute(kSGroup, group.str());
        text.Text(value.str());
        text.Close();
    }
    text.Close();
}

}  // namespace

void SDIObj::Write_Node(XmlElementsText& text, std::vector<std::string>* pPaths, const std::string& path) const {
    const bool doi = GetTypeName() == "DOI";
    text.Open(doi ? kDOI : kSDI);
    text.Attribute(kName, m_strName.str());
    PutGiven(text, {{&kDesc, &m_strDesc}, {&kIx, &m_strIx}, {doi ? &kAccessControl : &kSAddr, &m_strAddr}});
    std::string myPath;
    if (pPaths) {
        myPath = path.empty() ? m_strName.str() : path + "." + m_strName.str();
        text.Keep();
        pPaths->push_back(myPath);
    }
    // <DAI name=...><Val>value</Val></DAI> for a DAI of a name and a value.
    for (const Entry& e : m_vEntries) {
        if (e.details) {
            WriteDetailedDAI(text, e.name, *e.details);
            continue;
        }
        text.ElementWithChild(kDAI, kName, e.name.str(), kVal, e.value.str());
    }
    for (const auto& child : m_vChildren) child->Write_Node(text, pPaths, myPath);
    text.Close();
}

namespace {

std::vector<std::string_view> SplitView(std::string_view text, char sep) {
    std::vector<std::string_view> parts;
    if (text.empty()) return parts;
    for (size_t start = 0;;) {
        const size_t at = text.find(sep, start);
        parts.push_back(text.substr(start, at == std::string_view::npos ? std::string_view::npos : at - start));
        if (at == std::string_view::npos) return parts;
        start = at + 1;
    }
}

}  // namespace

DOIObj::DOIObj(CKiln_Main* pMain, const URI_Ref& doi, bool& bOk, const std::set<std::string>* paths,
               std::vector<CString>* pLacking) {
    bOk = false;
    static const std::vector<CString> kDOIRoles{kiln::core::kRoleName, "cim:Naming.description", "sec:DOI.ix",
                                                "sec:DOI.accessControl"};
    std::vector<std::string_view> own;
    if (!pMain->m_Doc.ValuesOf(doi, kDOIRoles, own) || own[0].empty()) return;
    m_strName = CString(own[0]);
    // Most DOIs have none of these: no text is made for an empty one.
    if (!own[1].empty()) m_strDesc = CString(own[1]);
    if (!own[2].empty()) m_strIx = CString(own[2]);
    if (!own[3].empty()) m_strAddr = CString(own[3]);
    // Each DAI's value and name, read in one pass over the DOI's members;
    // what an imported file gave them besides is read only for a DOI where
    // a member holds some of it.
    enum { kValue, kName, kDesc, kSAddr, kValKind, kIx, kValImport, kSdiIx, kSdiDesc, kSdiSAddr, kVals, kWidth };
    static const std::vector<CString> kRoles{
        "sec:DAI.valueStr", kiln::core::kRoleName, "cim:Naming.description", "sec:DAI.sAddr",
        "sec:DAI.valKind",  "sec:DAI.ix",          "sec:DAI.valImport",      "sec:DAI.sdiIx",
        "sec:DAI.sdiDesc",  "sec:DAI.sdiSAddr",    "sec:DAI.Vals"};
    static const std::vector<CString> kPlain(kRoles.begin(), kRoles.begin() + kDesc);
    static const std::vector<CString> kDetails(kRoles.begin() + kDesc, kRoles.end());
    std::vector<std::string_view> rows;
    bool detailed = false;
    if (!pMain->m_Doc.MemberValuesByOrd(doi, "sec:DOI.DAIs", kPlain, rows, &kDetails, &detailed)) return;
    if (detailed && !pMain->m_Doc.MemberValuesByOrd(doi, "sec:DOI.DAIs", kRoles, rows)) return;
    const size_t width = detailed ? kWidth : kDesc;
    std::vector<URI_Ref> dais;  // read only when a DAI has values of its own
    m_vEntries.reserve(rows.size() / width);
    for (size_t k = 0; k + width <= rows.size(); k += width) {
        const std::string_view* row = &rows[k];
        const std::string_view value = row[kValue], name = row[kName];
        bool plain = true;
        for (size_t r = kDesc; r < width && plain; ++r) plain = row[r].empty();
        if (paths && !name.empty()) {
            std::string sclPath = kiln::core::WithoutConstraints(name);
            if (!paths->count(sclPath)) {
                if (pLacking && !(plain && value.empty())) pLacking->emplace_back(std::move(sclPath));
                continue;
            }
        }
        if (plain) {
            if (value.empty()) continue;
            if (name.empty()) return;
            if (!AddPath(name, value)) return;
            continue;
        }
        if (name.empty()) return;
        auto d = std::make_unique<DAIDetails>();
        d->desc = CString(row[kDesc]);
        d->sAddr = CString(row[kSAddr]);
        d->valKind = Reduce(CString(row[kValKind]));
        d->valImport = CString(row[kValImport]);
        const SDIParts sdis{SplitView(row[kSdiIx], '.'), SplitView(row[kSdiDesc], '\n'),
                            SplitView(row[kSdiSAddr], '\n')};
        // The index of its nearest SDI that the import gave a DAI without one
        // of its own is written on that SDI only.
        std::string_view nearest;
        for (const std::string_view ix : sdis.ix)
            if (!ix.empty()) nearest = ix;
        if (row[kIx] != nearest) d->ix = CString(row[kIx]);
        if (!row[kVals].empty()) {
            if (dais.empty() && !Members(pMain, doi, "sec:DOI.DAIs", dais)) return;
            std::vector<URI_Ref> vals;
            if (k / width >= dais.size() || !Members(pMain, dais[k / width], "sec:DAI.Vals", vals)) return;
            // The first value holds the DAI's own value as well.
            for (const URI_Ref& v : vals)
                d->vals.emplace_back(Attr(pMain, v, "sec:Val.sValue"), Attr(pMain, v, "sec:Val.sGroup"));
        } else if (!value.empty()) {
            d->vals.emplace_back(CString(value), CString());
        }
        if (!AddPath(name, value, std::move(d), &sdis)) return;
    }
    bOk = true;
}

// ---- values of the mapping items ------------------------------------------------

bool CKiln_Export::Add_SDO_to_InstDO_map(CKiln_Main* pMain, const URI_Ref& sdo, DescTable& descs, const CString& path,
                                         kiln::core::TypePath& onPath) {
    const URI_Ref type = pMain->DocMtd_getFirstUri_ofAsso(sdo, "sec:SDO.DefinedBy_DOType");
    descs.emplace(path.str(), Attr(pMain, sdo, "cim:Naming.description"));
    // A type that contains itself, directly or further down, is not entered again.
    if (!kiln::core::EnterTypePath(onPath, type)) return true;
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
    // Without a DO name there is no DOI to write the values in.
    if (doPath.IsEmpty()) {
        m_vLeftOut.push_back("映射条目的值（没有DO名）：" + m_strNodePath + "." +
                             Attr(pMain, mapItem, kiln::core::kRoleName));
        return true;
    }
    const CString daPath = Attr(pMain, mapItem, "sec:DARef.daName");
    const CString value = Attr(pMain, mapItem, "sec:MapItem.valStr");
    const CString desc = Attr(pMain, mapItem, "cim:Naming.description");
    const URI_Ref lnode = pMain->DocMtd_getFirstUri_ofAsso(mapItem, "sec:DARef.LNode");
    if (!m_targets) m_targets.emplace(*pMain);
    const CString where = m_strNodePath + "." + doPath;
    auto leaveOut = [&](const CString& what, const CString& why) {
        m_vLeftOut.push_back("映射条目的" + what + "（" + why + "）：" + where + "." +
                             Attr(pMain, mapItem, kiln::core::kRoleName));
    };
    // A value goes into a DAI only where the DO's type holds that attribute,
    // and a description only where it holds dU: SCL takes no DOI, SDI or DAI
    // that the type lacks. A value left out is named.
    const bool holdsDU = m_targets->AttributeOf(lnode, doPath, "dU").IsSet();
    // An item without a DA has no DAI to hold its value.
    const bool holdsValue = !daPath.IsEmpty() && m_targets->Resolve(lnode, doPath, daPath).state ==
                                                     CKiln_Main::MapItemTarget::Held;
    if (!value.IsEmpty() && !holdsValue) leaveOut("值", daPath.IsEmpty() ? CString("没有DA名") : "DO类型中没有" + daPath);
    // The item's dU is its dU; its description fills dU only where it gives none.
    const CString dU = Attr(pMain, mapItem, "sec:MapItem.dU");
    // A DAI the node's DOI (or an item before) already wrote keeps its value:
    // another one of the item is named.
    bool other = false;
    Write_SDI_and_GET_DAI(lnElement, xml, doPath, daPath, nodes, bFlag, holdsValue ? value : CString(),
                          holdsDU && dU.IsEmpty() ? desc : CString(), &other);
    if (other) leaveOut("值", kHeldText);
    // A property's DAI: one of that name written before keeps its value, and
    // another one of the item is named.
    auto writeProperty = [&](const CString& path, const CString& text) {
        bool held = false;
        WriteValueDAI(lnElement, xml, doPath, path, nodes, text, &held);
        if (held) leaveOut(path, kHeldText);
    };
    // The item's dU comes before the DO's description, which it keeps out.
    if (!dU.IsEmpty() && !holdsDU) leaveOut("dU", "DO类型中没有dU");
    if (!dU.IsEmpty() && holdsDU) writeProperty("dU", dU);
    auto found = descs.find(doPath.str());
    if (holdsDU && found != descs.end())
        Write_SDI_and_GET_DAI(lnElement, xml, doPath, "dU", nodes, bFlag, found->second, CString());
    for (const kiln::core::MapItemProperty& p : kiln::core::MapItemProperties()) {
        if (!p.sclPath || CString(p.sclPath) == "dU") continue;
        CString text = Attr(pMain, mapItem, p.role);
        if (text.IsEmpty()) continue;
        // A value goes where the type holds it: at the attribute the M2I
        // names when that is of a basic type (an INC's INT32 minVal), else at
        // its member SCL names (AnalogueValue's minVal.f).
        URI_Ref attribute = m_targets->AttributeOf(lnode, doPath, p.m2iPath);
        const bool basic =
            attribute.IsSet() && pMain->DocMtd_getFirstUri_ofAsso(attribute, "sec:BDA.DefinedBy_Struct").IsEmpty();
        const CString path = basic ? p.m2iPath : p.sclPath;
        if (!basic) attribute = m_targets->AttributeOf(lnode, doPath, path);
        if (attribute.IsEmpty()) {
            leaveOut(p.sclPath, CString("DO类型中没有") + p.sclPath);
            continue;
        }
        // A unit is written as the literal of its attribute's enumeration value.
        if (p.unitEnum) {
            const URI_Ref unit = m_targets->UnitOf(p, attribute, text);
            if (unit.IsEmpty()) {
                leaveOut(path, kiln::core::UnitLackedText(text));
                continue;
            }
            text = kiln::core::EnumValLiteral(*pMain, unit);
        }
        writeProperty(path, text);
    }
    return true;
}

namespace {

// The element of the DO path and of the DA path's segments but the last
// (DOI, then SDIs), each found in the table or appended and entered there.
XmlNode ElementOf(CBase_XML& xml, CKiln_Export::NodeTable& nodes, CKiln_Export::ChildTable& children,
                  const XmlNode& lnElement, const std::vector<CString>& doParts, const std::vector<CString>& daParts) {
    CString path = doParts[0];
    XmlNode current = FindOrAppend(xml, nodes, children, path, lnElement, "DOI", doParts[0]);
    for (size_t i = 1; current && i < doParts.size(); ++i) {
        path += "." + doParts[i];
        current = FindOrAppend(xml, nodes, children, path, current, "SDI", doParts[i]);
    }
    for (size_t i = 0; current && i + 1 < daParts.size(); ++i) {
        path += "." + daParts[i];
        current = FindOrAppend(xml, nodes, children, path, current, "SDI", daParts[i]);
    }
    return current;
}

}  // namespace

XmlNode CKiln_Export::Write_SDI_and_GET_DAI(const XmlNode& lnElement, CBase_XML& xml, const CString& doPath,
                                            const CString& daPath, NodeTable& nodes, bool /*bFlag*/,
                                            const CString& value, const CString& desc, bool* pOther) {
    // Nothing to write makes no element: a DOI of its name alone says nothing.
    if (value.IsEmpty() && desc.IsEmpty()) return XmlNode();
    const std::vector<CString> doParts = Split(doPath);
    XmlNode current = ElementOf(xml, nodes, m_doiChildren, lnElement, doParts, {});
    if (!current) return XmlNode();
    if (!desc.IsEmpty() && !FindDU(xml, current)) AppendDAI(xml, current, "dU", desc);
    if (value.IsEmpty()) return XmlNode();
    return WriteValueDAI(lnElement, xml, doPath, daPath, nodes, value, pOther);
}

XmlNode CKiln_Export::WriteValueDAI(const XmlNode& lnElement, CBase_XML& xml, const CString& doPath,
                                    const CString& daPath, NodeTable& nodes, const CString& value, bool* pOther) {
    // SCL names the DAI and its SDIs without the constraints ("mag[MX].f").
    const std::vector<CString> daParts = Split(CString(kiln::core::WithoutConstraints(daPath.str())));
    XmlNode current = ElementOf(xml, nodes, m_doiChildren, lnElement, Split(doPath), daParts);
    if (!current) return XmlNode();
    // One DAI of a name per element: the first stays.
    const CString& last = daParts.back();
    if (XmlNode existing = ChildNamed(xml, current, "DAI", last)) {
        CString held;
        CBase_XML::Get_NodeText(existing, "Val", held);
        if (pOther && held != value) *pOther = true;
        return existing;
    }
    return AppendDAI(xml, current, last, value);
}
