#include "views/view_helpers.h"

#include <algorithm>

#include "core/map_item_target.h"
#include "core/unit_tables.h"
#include "platform/mfc/text_funcs.h"

namespace kiln::views {

bool DomainEditable(CKiln_Main& app, const URI_Ref& rsc) {
    CString domain;
    app.DocMtd_DEnv_Get_Rsc_Domain(rsc, domain);
    return app.DocMtd_DEnv_IsDomainEditable(domain);
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

// The attribute of the item's data object that holds the property.
URI_Ref PropertyAttribute(CKiln_Main& app, const URI_Ref& item, const kiln::core::MapItemProperty& p) {
    const URI_Ref lnode = app.DocMtd_getFirstUri_ofAsso(item, "sec:DARef.LNode");
    return kiln::core::MapItemResolver(app).AttributeOf(lnode, app.DocMtd_getValue_ofAttr(item, "sec:DARef.doName"),
                                                       p.m2iPath);
}

}  // namespace

CString LackingAttributeText(const CString& doName, const CString& attribute) {
    return "DO: " + doName + "的类型中没有" + attribute + "，不能修改！";
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
    const bool siUnit = field == "sec:MapItem.unitSiUnit";
    if (item.sClass != "sec:MapItem" || (!siUnit && field != "sec:MapItem.unitMultiplier")) return false;
    const URI_Ref attribute = PropertyAttribute(app, item, *kiln::core::MapItemPropertyOf(field));
    CEnumClassDfn stored;
    if (attribute.IsEmpty() || !app.DocMtd_Get_EnumClassDfn(siUnit ? "SIUnitEnum" : "UnitMultiplierEnum", stored))
        return false;
    const kiln::core::UnitTable table = siUnit ? kiln::core::SiUnitTable() : kiln::core::MultiplierTable();
    // Each code the tables know, once per stored value (codes 38 and 62 are
    // one "W"): shown as the enumeration writes it, or as stored when its
    // literal is empty.
    for (const URI_Ref& v : kiln::core::EnumValsOfAttribute(app, attribute)) {
        const auto symbol = table.find(CString(std::to_string(kiln::core::EnumValCode(app, v))));
        if (symbol == table.end()) continue;
        for (const Struct_EnumValDfn& e : stored.vValues) {
            if (StringAfter(e.sText1, "#", ".") != symbol->second) continue;
            if (std::any_of(rows.begin(), rows.end(), [&](const auto& row) { return row.second == e.sText1; })) break;
            const CString literal = kiln::core::EnumValLiteral(app, v);
            rows.emplace_back(literal.IsEmpty() ? symbol->second : literal, e.sText1);
            break;
        }
    }
    return true;
}

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

}  // namespace kiln::views
