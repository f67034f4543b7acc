// The checks of one instance type package: repeated names of its types and
// their members, the LN classes and CDCs its types name against the
// standard, the functional constraints of its DAs, and the preset values of
// its DAs and BDAs against their basic types.
#include <array>
#include <unordered_map>

#include "core/kiln_main.h"
#include "core/scl_values.h"
#include "core/type_nesting.h"
#include "platform/mfc/text_funcs.h"

using kiln::core::kRoleName;
using kiln::core::kRoleOrd;

namespace {

// The text after the last "."; the whole text without one.
CString AfterLastDot(const CString& text) {
    const int dot = text.ReverseFind('.');
    return dot >= 0 ? text.Mid(dot + 1) : text;
}

}  // namespace

bool CKiln_Main::Check_TypePackageNoRepeatName(URI_Ref package) {
    const CString packageName = DocMtd_getValue_ofAttr(package, kRoleName);

    CStringArray typeRoles;
    typeRoles.Add("sec:TypePackage.LNodeTypes");
    typeRoles.Add("sec:TypePackage.DOTypes");
    typeRoles.Add("sec:TypePackage.DATypes");
    Chech_Name_Repeat(package, typeRoles, kRoleName, "", "");

    CStringArray doRoles;
    doRoles.Add("sec:LNodeType.DOs");
    std::vector<URI_Ref> members;
    DocMtd_get_Association_BUris(package, "sec:TypePackage.LNodeTypes", members, kRoleOrd, SortPolicy_ByOrd);
    for (const URI_Ref& lnType : members)
        Chech_AbstractType_Name_Repeat(lnType, doRoles, "sec:LNodeType.Abstract_Type", kRoleName, packageName, "");

    CStringArray doTypeRoles;
    doTypeRoles.Add("sec:DOType.Contains_DAs");
    doTypeRoles.Add("sec:DOType.Contains_SDOs");
    DocMtd_get_Association_BUris(package, "sec:TypePackage.DOTypes", members, kRoleOrd, SortPolicy_ByOrd);
    for (const URI_Ref& doType : members) Chech_Name_Repeat(doType, doTypeRoles, kRoleName, packageName, "");

    CStringArray daTypeRoles;
    daTypeRoles.Add("sec:DAType.Contains_BDAs");
    DocMtd_get_Association_BUris(package, "sec:TypePackage.DATypes", members, kRoleOrd, SortPolicy_ByOrd);
    for (const URI_Ref& daType : members) Chech_Name_Repeat(daType, daTypeRoles, kRoleName, packageName, "");
    return true;
}

bool CKiln_Main::Chech_TypePackage_DOCDC(URI_Ref package) {
    const CString packageName = DocMtd_getValue_ofAttr(package, kRoleName);
    std::vector<URI_Ref> lnTypes;
    DocMtd_get_Association_BUris(package, "sec:TypePackage.LNodeTypes", lnTypes, kRoleOrd, SortPolicy_ByOrd);
    for (const URI_Ref& lnType : lnTypes) {
        const CString typePlace = packageName + "的LNodeType: " + DocMtd_getValue_ofAttr(lnType, kRoleName);
        const URI_Ref lnClass = DocMtd_getFirstUri_ofAsso(lnType, "sec:LNodeType.ClassOf_LNType");
        if (lnClass.IsEmpty()) {
            Write_error_to_Report(typePlace, " 未指定lnClass ！", true);
            continue;
        }
        // The type name of the class's first DO of each name.
        std::unordered_map<CString, CString> standard;
        std::vector<URI_Ref> dos;
        DocMtd_get_Association_BUris(lnClass, "sec:LNodeType.DOs", dos, kRoleOrd, SortPolicy_ByOrd);
        for (const URI_Ref& d : dos)
            standard.emplace(DocMtd_getValue_ofAttr(d, kRoleName),
                             DocMtd_getFirstValue_ofAsso(d, "sec:DO.DefinedBy_DOType", kRoleName));

        DocMtd_get_Association_BUris(lnType, "sec:LNodeType.DOs", dos, kRoleOrd, SortPolicy_ByOrd);
        for (const URI_Ref& d : dos) {
            const CString doName = DocMtd_getValue_ofAttr(d, kRoleName);
            const URI_Ref doType = DocMtd_getFirstUri_ofAsso(d, "sec:DO.DefinedBy_DOType");
            if (doType.IsEmpty()) {
                Write_error_to_Report(typePlace + "的DO: " + doName, " 未指定DOType ！", true);
                continue;
            }
            const URI_Ref cdc = DocMtd_getFirstUri_ofAsso(doType, "sec:DOType.ClassOf_DOType");
            if (cdc.IsEmpty()) {
                Write_error_to_Report(packageName + "的DOType: " + DocMtd_getValue_ofAttr(doType, kRoleName),
                                      " 未指定CDC ！", true);
                continue;
            }
            const auto it = standard.find(doName);
            const CString cdcName = DocMtd_getValue_ofAttr(cdc, kRoleName);
            if (it != standard.end() && it->second != cdcName)
                Write_error_to_Report(typePlace + "的DO: " + doName, "CDC为" + cdcName + "，而标准中为" + it->second,
                                      true);
        }
    }
    return true;
}

bool CKiln_Main::Chech_TypePackage_SDOCDC_DAfc(URI_Ref package) {
    const CString packageName = DocMtd_getValue_ofAttr(package, kRoleName);
    std::vector<URI_Ref> doTypes;
    DocMtd_get_Association_BUris(package, "sec:TypePackage.DOTypes", doTypes, kRoleOrd, SortPolicy_ByOrd);
    for (const URI_Ref& doType : doTypes) {
        const CString doTypeName = DocMtd_getValue_ofAttr(doType, kRoleName);
        const URI_Ref cdc = DocMtd_getFirstUri_ofAsso(doType, "sec:DOType.ClassOf_DOType");
        if (cdc.IsEmpty()) {
            Write_error_to_Report(packageName + "的DOType: " + doTypeName, " 未指定CDC ！", true);
            continue;
        }

        // The CDC's SDOs: the type name of the first SDO of each name.
        std::unordered_map<CString, CString> standardSdos;
        std::vector<URI_Ref> members;
        DocMtd_get_Association_BUris(cdc, "sec:DOType.Contains_SDOs", members, kRoleOrd, SortPolicy_ByOrd);
        for (const URI_Ref& s : members)
            standardSdos.emplace(DocMtd_getValue_ofAttr(s, kRoleName),
                                 DocMtd_getFirstValue_ofAsso(s, "sec:SDO.DefinedBy_DOType", kRoleName));
        // The CDC's DAs: the three alternative FCs of each, in order, by name.
        std::unordered_map<CString, std::vector<std::array<CString, 3>>> standardDas;
        DocMtd_get_Association_BUris(cdc, "sec:DOType.Contains_DAs", members, kRoleOrd, SortPolicy_ByOrd);
        for (const URI_Ref& a : members) {
            standardDas[DocMtd_getValue_ofAttr(a, kRoleName)].push_back(
                {AfterLastDot(DocMtd_getValue_ofAttr(a, "sec:DA.fc_0")),
                 AfterLastDot(DocMtd_getValue_ofAttr(a, "sec:DA.fc_1")),
                 AfterLastDot(DocMtd_getValue_ofAttr(a, "sec:DA.fc_2"))});
        }

        DocMtd_get_Association_BUris(doType, "sec:DOType.Contains_SDOs", members, kRoleOrd, SortPolicy_ByOrd);
        for (const URI_Ref& sdo : members) {
            const CString sdoName = DocMtd_getValue_ofAttr(sdo, kRoleName);
            const URI_Ref sdoType = DocMtd_getFirstUri_ofAsso(sdo, "sec:SDO.DefinedBy_DOType");
            if (sdoType.IsEmpty()) {
                Write_error_to_Report(packageName + "的DOTypeName: " + doTypeName + "的SDO: " + sdoName,
                                      " 未指定DOType ！", true);
                continue;
            }
            const URI_Ref sdoCdc = DocMtd_getFirstUri_ofAsso(sdoType, "sec:DOType.ClassOf_DOType");
            if (sdoCdc.IsEmpty()) {
                Write_error_to_Report(packageName + "的DOType: " + DocMtd_getValue_ofAttr(sdoType, kRoleName),
                                      " 未指定CDC ！", true);
                continue;
            }
            const auto it = standardSdos.find(sdoName);
            const CString sdoCdcName = DocMtd_getValue_ofAttr(sdoCdc, kRoleName);
            if (it != standardSdos.end() && it->second != sdoCdcName)
                Write_error_to_Report(packageName + "的DOType: " + doTypeName + "的SDO: " + sdoName,
                                      "CDC为" + sdoCdcName + "，而标准中为" + it->second, true);
        }

        DocMtd_get_Association_BUris(doType, "sec:DOType.Contains_DAs", members, kRoleOrd, SortPolicy_ByOrd);
        for (const URI_Ref& da : members) {
            const CString daName = DocMtd_getValue_ofAttr(da, kRoleName);
            const CString fc = AfterLastDot(DocMtd_getValue_ofAttr(da, "sec:DA.fc_0"));
            // The standard DAs of that name, in order, until one allows the FC.
            CString standardText;
            bool passes = false;
            const auto it = standardDas.find(daName);
            if (it != standardDas.end()) {
                for (const std::array<CString, 3>& alternatives : it->second) {
                    if (fc == alternatives[0] || fc == alternatives[1] || fc == alternatives[2]) {
                        passes = true;
                        break;
                    }
                    standardText += alternatives[0] + alternatives[1] + alternatives[2];
                }
            }
            if (!passes)
                Write_error_to_Report(packageName + "的DOType: " + doTypeName + "的DA: " + daName,
                                      "FC为" + fc + "，而标准中为" + standardText, true);
        }
    }
    return true;
}

void CKiln_Main::Check_TypePackage_Values(URI_Ref package) {
    const CString packageName = DocMtd_getValue_ofAttr(package, kRoleName);
    // The types of an ICD's own package are written as they stand.
    const bool ownedByIcd = DocMtd_getFirstUri_ofAsso(package, "sec:TypePackage.ICD").IsSet();
    const struct {
        const char* typesRole;
        const char* membersRole;
        const char* typeWord;
        const char* memberWord;
    } kinds[] = {{"sec:TypePackage.DOTypes", "sec:DOType.Contains_DAs", "的DOType: ", "的DA: "},
                 {"sec:TypePackage.DATypes", "sec:DAType.Contains_BDAs", "的DAType: ", "的BDA: "}};
    for (const auto& kind : kinds) {
        std::vector<URI_Ref> types;
        DocMtd_get_Association_BUris(package, kind.typesRole, types, kRoleOrd, SortPolicy_ByOrd);
        for (const URI_Ref& type : types) {
            std::vector<URI_Ref> members;
            DocMtd_get_Association_BUris(type, kind.membersRole, members, kRoleOrd, SortPolicy_ByOrd);
            for (const URI_Ref& member : members) {
                const CString bType = StringAfter(DocMtd_getValue_ofAttr(member, "sec:BDA.bType"), "#", ".");
                const CString place = packageName + kind.typeWord + DocMtd_getValue_ofAttr(type, kRoleName) +
                                      kind.memberWord + DocMtd_getValue_ofAttr(member, kRoleName);
                // An enumerated or structured member of an ICD's types is
                // written without a type when it names none.
                const char* typeRole = bType == "Enum"     ? "sec:BDA.DefinedBy_EnumType"
                                       : bType == "Struct" ? "sec:BDA.DefinedBy_Struct"
                                                           : nullptr;
                if (typeRole && ownedByIcd && DocMtd_getFirstUri_ofAsso(member, typeRole).IsEmpty())
                    Write_error_to_Report(place, "bType为" + bType + "，未指定类型 ！", true);
                // Its values, as the export writes them: those of its Vals, else its text.
                std::vector<URI_Ref> vals;
                DocMtd_get_Association_BUris(member, "sec:BDA.Vals", vals, kRoleOrd, SortPolicy_ByOrd);
                std::vector<CString> values;
                for (const URI_Ref& v : vals) values.push_back(DocMtd_getValue_ofAttr(v, "sec:Val.sValue"));
                if (vals.empty()) values.push_back(DocMtd_getValue_ofAttr(member, "sec:BDA.valueStr"));
                for (const CString& value : values)
                    if (!kiln::core::FitsBasicType(bType.str(), value.str()))
                        Write_error_to_Report(place, bType + "取值错误：" + value, true);
            }
        }
    }
}

void CKiln_Main::Check_TypePackage_Nesting(URI_Ref package) {
    const CString packageName = DocMtd_getValue_ofAttr(package, kRoleName);
    std::vector<URI_Ref> types;
    for (const char* role : {"sec:TypePackage.LNodeTypes", "sec:TypePackage.DOTypes", "sec:TypePackage.DATypes"}) {
        std::vector<URI_Ref> members;
        DocMtd_get_Association_BUris(package, role, members, kRoleOrd, SortPolicy_ByOrd);
        types.insert(types.end(), members.begin(), members.end());
    }
    for (const kiln::core::TypeNestingFault& fault : kiln::core::TypeNestingFaults(*this, types))
        Write_error_to_Report(packageName + "的" + CString(fault.type.sClass.c_str()).Mid(4) + ": " +
                                  DocMtd_getValue_ofAttr(fault.type, kRoleName),
                              fault.text, true);
}
