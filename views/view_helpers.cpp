#include "views/view_helpers.h"

#include <algorithm>

#include "core/map_item_target.h"
#include "core/type_classes.h"
#include "platform/mfc/text_funcs.h"

namespace kiln::views {

bool DomainEditable(CKiln_Main& app, const URI_Ref& rsc) {
    CString domain;
    app.DocMtd_DEnv_Get_Rsc_Domain(rsc, domain);
    return app.DocMtd_DEnv_IsDomainEditable(domain);
}

namespace {

// The fields a file writes from elsewhere when the resource holds nothing.
struct WrittenDefault {
    const char* cls;
    const char* role;
    CString (*written)(CKiln_Main&, const URI_Ref&);  // what the file writes
};
const WrittenDefault kWrittenDefaults[] = {
    {"sec:LNode", "sec:LNode.lnClass", core::LnClassOfNode},
};

}  // namespace

CString ShownValue(CKiln_Main& app, const URI_Ref& rsc, const CString& role) {
    const CString stored = app.DocMtd_getValue_ofAttr(rsc, role);
    if (!stored.IsEmpty()) return stored;
    for (const WrittenDefault& d : kWrittenDefaults)
        if (rsc.sClass == d.cls && role == d.role) return d.written(app, rsc);
    return stored;
}

bool ContainsAfterFirst(const CString& text, const CString& part) {
    return !part.IsEmpty() && text.Find(part.GetString(), 1) >= 0;
}

bool RelinkAlone(CKiln_Main& app, const URI_Ref& rsc, const CString& role, const URI_Ref& target,
                 const std::vector<URI_Ref>& current) {
    bool present = false;
    for (const URI_Ref& t : current) present = present || t.sUri == target.sUri;
    if (!present && !app.DocMtd_add_Association(rsc, role, target)) return false;
    for (const URI_Ref& t : current)
        if (t.sUri != target.sUri && !app.DocMtd_del_Association(rsc, role, t)) return false;
    return true;
}

namespace {

std::vector<std::string> SplitParts(const std::string& text, char separator) {
    std::vector<std::string> parts;
    for (size_t from = 0;;) {
        const size_t at = text.find(separator, from);
        parts.push_back(text.substr(from, at == std::string::npos ? at : at - from));
        if (at == std::string::npos) return parts;
        from = at + 1;
    }
}

// The SDI elements a DAI stands in, outermost first: the name of each (its
// brackets left out, as the ICD export writes it) and its index.
std::vector<std::pair<std::string, std::string>> SdiElements(CKiln_Main& app, const URI_Ref& dai) {
    std::vector<std::string> names = SplitParts(app.DocMtd_getValue_ofAttr(dai, "cim:Naming.name").str(), '.');
    const std::vector<std::string> ix = SplitParts(app.DocMtd_getValue_ofAttr(dai, "sec:DAI.sdiIx").str(), '.');
    names.pop_back();
    std::vector<std::pair<std::string, std::string>> elements;
    for (size_t l = 0; l < names.size(); ++l)
        elements.emplace_back(names[l].substr(0, names[l].find('[')), l < ix.size() ? ix[l] : std::string());
    return elements;
}

}  // namespace

char SdiPartSeparator(const CString& field) {
    if (field == "sec:DAI.sdiIx") return '.';
    return field == "sec:DAI.sdiDesc" || field == "sec:DAI.sdiSAddr" ? '\n' : 0;
}

int SdiLevels(CKiln_Main& app, const URI_Ref& dai) {
    const std::string name = app.DocMtd_getValue_ofAttr(dai, "cim:Naming.name").str();
    return static_cast<int>(std::count(name.begin(), name.end(), '.'));
}

CString SdiPartsRefusal(CKiln_Main& app, const URI_Ref& dai, const CString& field, const CString& value) {
    const char separator = SdiPartSeparator(field);
    if (!separator || dai.sClass != "sec:DAI") return CString();
    const std::string text = value.str();
    const int levels = SdiLevels(app, dai);
    if (static_cast<int>(std::count(text.begin(), text.end(), separator)) < levels) return CString();
    const CString count(std::to_string(levels));
    return "DAI: " + app.DocMtd_getValue_ofAttr(dai, "cim:Naming.name") + "在" + count + "层SDI下，" +
           StringAfter(field, ".") + "不能多于" + count + (separator == '.' ? "段" : "行") + "，不能修改！";
}

void ShareSdiParts(CKiln_Main& app, const URI_Ref& dai, const CString& field, const CString& value) {
    const char separator = SdiPartSeparator(field);
    const URI_Ref doi = app.DocMtd_getFirstUri_ofAsso(dai, "sec:DAI.DOI");
    std::vector<URI_Ref> dais;
    if (separator != '\n' || dai.sClass != "sec:DAI" || doi.IsEmpty() ||
        !app.DocMtd_get_Association_BUris(doi, "sec:DOI.DAIs", dais, "e301:OrdNaming.ord", SortPolicy_ByOrd))
        return;
    const auto elements = SdiElements(app, dai);
    const std::vector<std::string> parts = SplitParts(value.str(), separator);
    for (const URI_Ref& other : dais) {
        if (other.sUri == dai.sUri) continue;
        const auto around = SdiElements(app, other);
        std::vector<std::string> own = SplitParts(app.DocMtd_getValue_ofAttr(other, field).str(), separator);
        size_t shared = 0;
        while (shared < elements.size() && shared < around.size() && elements[shared] == around[shared]) ++shared;
        if (shared == 0) continue;
        own.resize(std::max(own.size(), shared));
        for (size_t l = 0; l < shared; ++l) own[l] = l < parts.size() ? parts[l] : std::string();
        while (!own.empty() && own.back().empty()) own.pop_back();
        std::string joined;
        for (size_t l = 0; l < own.size(); ++l) joined += (l ? std::string(1, separator) : std::string()) + own[l];
        if (joined != app.DocMtd_getValue_ofAttr(other, field).str()) app.DocMtd_Modify_attribute_value(other, field, joined.c_str());
    }
}

namespace {

// The attribute of the item's data object that holds the property.
URI_Ref PropertyAttribute(CKiln_Main& app, const URI_Ref& item, const kiln::core::MapItemProperty& p) {
    const URI_Ref lnode = app.DocMtd_getFirstUri_ofAsso(item, "sec:DARef.LNode");
    return kiln::core::MapItemResolver(app).AttributeOf(lnode, app.DocMtd_getValue_ofAttr(item, "sec:DARef.doName"),
                                                       p.m2iPath);
}

}  // namespace

CString DoTypeLacksText(const CString& doName, const CString& attribute) {
    return "DO: " + doName + "的类型中没有" + attribute;
}

CString NodeTypeLacksText(CKiln_Main& app, const URI_Ref& lnode, const CString& doName) {
    return "逻辑节点" + kiln::core::NodeName(app, lnode) + "的类型中没有" + doName;
}

CString LackingAttributeText(const CString& doName, const CString& attribute) {
    return DoTypeLacksText(doName, attribute) + "，不能修改！";
}

CString MapItemPropertyRefusal(CKiln_Main& app, const URI_Ref& item, const CString& field) {
    const kiln::core::MapItemProperty* p = kiln::core::MapItemPropertyOf(field);
    if (!p || item.sClass != "sec:MapItem") return CString();
    if (app.DocMtd_getFirstUri_ofAsso(item, "sec:DARef.LNode").IsEmpty()) return "请先指定逻辑节点！";
    const CString doName = app.DocMtd_getValue_ofAttr(item, "sec:DARef.doName");
    if (doName.IsEmpty()) return "请先指定DO！";
    if (PropertyAttribute(app, item, *p).IsSet()) return CString();
    return LackingAttributeText(doName, p->m2iPath);
}

bool UnitRows(CKiln_Main& app, const URI_Ref& item, const CString& field, std::vector<std::pair<CString, CString>>& rows) {
    const kiln::core::MapItemProperty* p = kiln::core::MapItemPropertyOf(field);
    if (item.sClass != "sec:MapItem" || !p || !p->unitEnum) return false;
    // A target without the attribute can hold no unit: nothing is offered.
    const URI_Ref attribute = PropertyAttribute(app, item, *p);
    if (attribute.IsEmpty()) return true;
    // Each value of the enumeration, stored as its code, shown as its literal
    // (or as its code when it has none); a code met before is offered once.
    for (const URI_Ref& v : kiln::core::EnumValsOfAttribute(app, attribute)) {
        const CString stored = kiln::core::UnitStoredValue(*p, kiln::core::EnumValCodeText(app, v));
        if (std::any_of(rows.begin(), rows.end(), [&](const auto& row) { return row.second == stored; })) continue;
        const CString literal = kiln::core::EnumValLiteral(app, v);
        rows.emplace_back(literal.IsEmpty() ? kiln::core::EnumValCodeText(app, v) : literal, stored);
    }
    return true;
}

}  // namespace kiln::views
