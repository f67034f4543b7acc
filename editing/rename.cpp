// Renaming a resource, and with an ICD or an instance-type package the
// resources named after it.
#include <vector>

#include "core/kiln_main.h"
#include "platform/ui/ui_functions.h"

using kiln::core::kRoleName;
using kiln::core::kRoleOrd;

namespace {
// What the ICD's creator puts after the ICD's name to name its type package.
constexpr const char* kIcdPackageSuffix = "模板类包";
}  // namespace

bool CKiln_Main::Rsc_Rename(URI_Ref rsc, CString newName, bool* pTypesRenamed) {
    if (pTypesRenamed) *pTypesRenamed = false;
    if (rsc.IsEmpty()) return false;
    CString domain;
    DocMtd_DEnv_Get_Rsc_Domain(rsc, domain);
    if (!DocMtd_DEnv_IsDomainEditable(domain)) {
        _AfxMessageBox("当前域不可编辑！-W0091", MB_OK, "", nullptr);
        return false;
    }

    // The rename set: the resource, an ICD's IED and type package, and the
    // types of the instance-type package in question.
    std::vector<URI_Ref> set{rsc};
    URI_Ref package = rsc;
    if (rsc.sClass == "sec:ICD") {
        set.push_back(DocMtd_getFirstUri_ofAsso(rsc, "sec:ICD.IED"));
        package = DocMtd_getFirstUri_ofAsso(rsc, "sec:ICD.TypePackage");
        set.push_back(package);
    }
    if ((rsc.sClass == "sec:ICD" || rsc.sClass == "sec:TypePackage") && Is_InstType(package)) {
        for (const char* list : {"sec:TypePackage.DATypes", "sec:TypePackage.DOTypes", "sec:TypePackage.LNodeTypes"}) {
            std::vector<URI_Ref> types;
            if (!DocMtd_get_Association_BUris(package, list, types, kRoleOrd, SortPolicy_ByOrd)) return false;
            set.insert(set.end(), types.begin(), types.end());
        }
        if (pTypesRenamed) *pTypesRenamed = true;
    }

    CString oldName;
    if (!DocMtd_get_attribute_value(URI_Ref(rsc.sUri, ""), kRoleName, oldName)) return false;
    // Only a name made from the old one carries it: the old name itself, or
    // the old name followed by what the creators put after it ("_" before a
    // type's class, "模板类包" of an ICD's package). "T_PTOC" of an ICD "T"
    // becomes "X_PTOC"; "TEMPLATE" and a "T" inside a name stay.
    auto madeFromOld = [&oldName](const CString& name) {
        if (oldName.IsEmpty() || name.Left(oldName.GetLength()) != oldName) return false;
        const CString rest = name.Mid(oldName.GetLength());
        return rest.IsEmpty() || rest.Left(1) == "_" || rest == kIcdPackageSuffix;
    };
    for (const URI_Ref& entry : set) {
        if (entry.sUri.empty()) continue;
        CString name;
        if (!DocMtd_get_attribute_value(entry, kRoleName, name)) continue;
        if (madeFromOld(name)) name = newName + name.Mid(oldName.GetLength());
        if (!DocMtd_Modify_attribute_value(entry, kRoleName, name))
            _AfxMessageBox("资源改名时发生错误！ ", MB_OK, "", nullptr);
    }
    return true;
}
