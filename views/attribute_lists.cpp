// The choice lists of attribute fields: the type of a structured or
// enumerated member, enumerated attributes, booleans, data values by their
// basic type, order numbers and the names of a data reference.
#include "core/info_item_keys.h"
#include "core/map_item_target.h"
#include "core/scl_names.h"
#include "platform/mfc/text_funcs.h"
#include "platform/ui/ui_functions.h"
#include "views/property_editor.h"
#include "views/view_helpers.h"

using kiln::core::kRoleName;
using kiln::core::kRoleOrd;

namespace kiln::views {

namespace {

void Notice(const char* text) { _AfxMessageBox(text, MB_OK, "", nullptr); }

void YesNoRows(Struct_EditPack& pack) {
    pack.nEditKind = 7;
    pack.vList.Clear();
    pack.Add_ListItem("是", "true");
    pack.Add_ListItem("否", "false");
}

// The type package of a type member, by the member's class; empty for other classes.
URI_Ref PackageOfMember(CKiln_Main& app, const URI_Ref& member) {
    const std::string& cls = member.sClass;
    const char* path = cls == "sec:DA"    ? "sec:DA.MemberOf_DOType/sec:DOType.TypePackage"
                       : cls == "sec:BDA" ? "sec:BDA.MemberOf_DAType/sec:DAType.TypePackage"
                       : cls == "sec:DO"  ? "sec:DO.LNodeType/sec:LNodeType.TypePackage"
                       : cls == "sec:SDO" ? "sec:SDO.MemberOf_DOType/sec:DOType.TypePackage"
                                          : nullptr;
    return path ? app.DocMtd_getFirstUri_ofAsso(member, path) : URI_Ref();
}

std::optional<bool> DataValueList(CKiln_Main& app, const URI_Ref& rsc, Struct_EditPack& pack) {
    URI_Ref dfn = ValueDefinition(app, rsc);
    if (dfn.IsEmpty()) {
        Notice("内部错误（181）：不能获得DA/BDA！");
        return false;
    }
    const CString bType = app.DocMtd_getValue_ofAttr(dfn, "sec:BDA.bType");
    if (IsBasicType(bType, "Struct")) {
        Notice("不能设置复核结构的数值！");
        return false;
    }
    if (IsBasicType(bType, "Enum")) {
        pack.nEditKind = 7;
        pack.vList.Clear();
        const URI_Ref enumType = app.DocMtd_getFirstUri_ofAsso(dfn, "sec:BDA.DefinedBy_EnumType");
        if (enumType.IsEmpty()) {
            Notice("没有指定具体的枚举类型！");
            return false;
        }
        std::vector<URI_Ref> values;
        URI_Ref last;
        if (app.DocMtd_get_descendent_BUris(enumType, "sec:EnumType.EnumVals", values, last, kRoleOrd,
                                            SortPolicy_ByOrd) == 0)
            return false;
        // A row shows the value's text, as its file holds it (a value read
        // from a file is named only by its order).
        for (const URI_Ref& v : values) {
            const int ord = static_cast<int>(kiln::text::AtoiValue(app.DocMtd_getValue_ofAttr(v, kRoleOrd).str()));
            pack.Add_ListItem(ToString(ord, 2, 0) + "：" + kiln::core::EnumValLiteral(app, v),
                              app.DocMtd_getValue_ofAttr(v, "sec:EnumVal.val"));
        }
        return true;
    }
    if (IsBasicType(bType, "BOOLEAN")) {
        YesNoRows(pack);
        return true;
    }
    return std::nullopt;
}

bool OrderList(CKiln_Main& app, const URI_Ref& rsc, Struct_EditPack& pack) {
    pack.nEditKind = 7;
    int count = 0;
    if (!app.Rsc_Adjust_Order(rsc, -1, &count) || count <= 0) return false;
    for (int k = 1; k <= count; ++k) {
        CString n;
        n.Format("%d", k);
        pack.Add_ListItem(n, n);
    }
    return true;
}

bool DoNameList(CKiln_Main& app, const URI_Ref& ref, Struct_EditPack& pack) {
    pack.nEditKind = 7;
    const URI_Ref lnode = app.DocMtd_getFirstUri_ofAsso(ref, "sec:DARef.LNode");
    if (lnode.IsEmpty()) {
        Notice("请先指定逻辑节点！");
        return false;
    }
    std::vector<URI_Ref> chain;
    app.Get_AbstractTypes(app.DocMtd_getFirstUri_ofAsso(lnode, "sec:LNode.LNodeType"), &chain,
                          "sec:LNodeType.Abstract_Type");
    for (const URI_Ref& type : chain) {
        std::vector<URI_Ref> dos;
        URI_Ref last;
        if (app.DocMtd_get_descendent_BUris(type, "sec:LNodeType.DOs", dos, last, kRoleOrd, SortPolicy_ByOrd) == 0)
            return false;
        pack.Add_ListItem("  ", "NULL");
        for (const URI_Ref& d : dos) {
            const CString name = app.DocMtd_getValue_ofAttr(d, kRoleName);
            pack.Add_ListItem(name, name);
        }
    }
    return true;
}

bool DaNameList(CKiln_Main& app, const URI_Ref& ref, Struct_EditPack& pack) {
    pack.nEditKind = 7;
    URI_Ref lnode = app.DocMtd_getFirstUri_ofAsso(ref, "sec:DARef.LNode");
    if (lnode.IsEmpty()) {
        Notice("请先指定逻辑节点！");
        return false;
    }
    const CString doName = app.DocMtd_getValue_ofAttr(ref, "sec:DARef.doName");
    if (doName.IsEmpty()) {
        Notice("请先指定DO！");
        return false;
    }
    URI_Ref dataObject = app.Get_DO_Dfn(lnode, doName);
    if (dataObject.IsEmpty()) {
        Notice("非法DO名称！");
        return false;
    }
    Struct_DAs_ofDO das;
    if (!app.Get_DAs_ofDO_ToChoose(dataObject, das)) return false;
    pack.Add_ListItem("  ", "NULL");
    // A row shows the attribute's functional constraints; what is stored is
    // the name SCL gives it, as a data-set member's fc is a field of its own.
    for (const Struct_DAItem& item : das.vDAs)
        pack.Add_ListItem(item.sPath, kiln::core::WithoutConstraints(item.sPath.str()).c_str());
    return true;
}

// An information item's group: none, or one of its table's groups by name.
bool InfoGroupList(CKiln_Main& app, const URI_Ref& item, Struct_EditPack& pack) {
    pack.nEditKind = 7;
    pack.Add_ListItem("  ", "");
    for (const CString& name :
         kiln::core::InfoGroupNames(app, app.DocMtd_getFirstUri_ofAsso(item, "sec:InfoItem.ITB")))
        if (!name.IsEmpty()) pack.Add_ListItem(name, name);
    return true;
}

}  // namespace

bool IsBasicType(const CString& bType, const char* name) {
    return ContainsAfterFirst(bType, CString("#PreBasicTypeEnum.") + name);
}

URI_Ref ValueDefinition(CKiln_Main& app, const URI_Ref& owner) {
    URI_Ref dai;
    if (owner.sClass == "sec:Val") {
        URI_Ref dfn = app.DocMtd_getFirstUri_ofAsso(owner, "sec:Val.BDA");
        if (dfn.IsSet()) return dfn;
        // A value made on a DAI is defined by what defines its DAI.
        dai = app.DocMtd_getFirstUri_ofAsso(owner, "sec:Val.DAI");
    } else if (owner.sClass == "sec:DAI") {
        dai = owner;
    } else if (owner.sClass == "sec:BDA" || owner.sClass == "sec:DA") {
        return owner;
    }
    if (dai.IsEmpty()) return URI_Ref();
    URI_Ref dataObject = app.DocMtd_getFirstUri_ofAsso(dai, "sec:DAI.DOI/sec:DOI.DO");
    if (dataObject.IsEmpty()) return URI_Ref();
    return app.Get_DA_Dfn(dataObject, app.DocMtd_getValue_ofAttr(dai, kRoleName));
}

std::optional<bool> StructOrEnumTypeList(CKiln_Main& app, const URI_Ref& rsc, Struct_EditPack& pack) {
    const CString bType = app.DocMtd_getValue_ofAttr(rsc, "sec:BDA.bType");
    const bool isDA = rsc.sClass == "sec:DA";
    const CString packagePath = isDA ? "sec:DA.MemberOf_DOType/sec:DOType.TypePackage"
                                     : "sec:BDA.MemberOf_DAType/sec:DAType.TypePackage";
    // A BDA is never offered the DAType that holds it.
    const CString exclusion = isDA ? "" : "sec:BDA.MemberOf_DAType";
    bool ok;
    if (IsBasicType(bType, "Struct"))
        ok = app.SetEditPackList_forType(&pack, rsc, packagePath, "sec:TypePackage.DATypes", exclusion, "");
    else if (IsBasicType(bType, "Enum"))
        ok = app.SetEditPackList_forType(&pack, rsc, packagePath, "sec:TypePackage.EnumTypes", exclusion, "false");
    else
        return std::nullopt;
    if (!ok) return false;
    pack.nEditKind = 7;
    return true;
}

bool EnumeratedAttrList(CKiln_Main& app, const URI_Ref& rsc, const CString& field, const Struct_AttrDfn& dfn,
                        Struct_EditPack& pack) {
    if (app.m_nEditLevel == 2 || app.m_nEditLevel == 3) return true;
    if (field.Find("sec:DA.fc") >= 0) {
        URI_Ref pkg = PackageOfMember(app, rsc);
        if (pkg.IsSet() && app.Is_InstType(pkg)) return false;
    }
    pack.nEditKind = 7;
    // A mapping item's unit offers the literals of its target's enumeration.
    std::vector<std::pair<CString, CString>> units;
    if (UnitRows(app, rsc, field, units)) {
        for (const auto& [shown, value] : units) pack.Add_ListItem(shown, value);
        return true;
    }
    CEnumClassDfn enumDfn;
    if (!app.DocMtd_Get_EnumClassDfn(dfn.sText7, enumDfn)) return true;
    for (const Struct_EnumValDfn& v : enumDfn.vValues) {
        CString shown = StringAfter(v.sText1, "#", ".");
        if (!v.sText4.IsEmpty()) shown = v.sText4.Find("--") == 0 ? v.sText4 : shown + " (" + v.sText4 + ")";
        pack.Add_ListItem(shown, v.sText1);
    }
    return true;
}

std::optional<bool> ValueLists(CKiln_Main& app, const URI_Ref& rsc, const CString& field, const Struct_AttrDfn& dfn,
                               Struct_EditPack& pack) {
    if (ContainsAfterFirst(dfn.sText6, ":Boolean")) {
        YesNoRows(pack);
        return true;
    }
    if ((field == "sec:Val.sValue" && rsc.sClass == "sec:Val") ||
        (field == "sec:DAI.valueStr" && rsc.sClass == "sec:DAI"))
        return DataValueList(app, rsc, pack);
    // An enumeration value's number is its code, typed as a whole number.
    if (field == "e301:OrdNaming.ord" && rsc.sClass != "sec:EnumVal") return OrderList(app, rsc, pack);
    if (field == "sec:DARef.doName") return DoNameList(app, rsc, pack);
    if (field == "sec:DARef.daName") return DaNameList(app, rsc, pack);
    if (field == "sec:InfoItem.infoGroup" && rsc.sClass == "sec:InfoItem") return InfoGroupList(app, rsc, pack);
    return std::nullopt;
}

}  // namespace kiln::views
