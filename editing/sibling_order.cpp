// Places of resources among their siblings ("e301:OrdNaming.ord"): moving one
// resource, renumbering a list, ordering an ITB's items and numbering the
// logical-node instances of a logical device.
#include <algorithm>
#include <climits>
#include <map>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "core/kiln_main.h"
#include "core/type_classes.h"
#include "editing/sibling_table.h"
#include "platform/mfc/text_funcs.h"
#include "platform/ui/ui_functions.h"

using kiln::core::kRoleName;
using kiln::core::kRoleOrd;

namespace kiln::editing {

namespace {

const CSiblingRow kSiblingRows[] = {
    {"sec:DA", "sec:DA.MemberOf_DOType", nullptr},
    {"sec:BDA", "sec:BDA.MemberOf_DAType", nullptr},
    {"sec:SDO", "sec:SDO.MemberOf_DOType", nullptr},
    {"sec:DO", "sec:DO.LNodeType", nullptr},
    {"sec:EnumVal", "sec:EnumVal.EnumType", nullptr},
    {"sec:LNodeType", "sec:LNodeType.TypePackage", nullptr},
    {"sec:DOType", "sec:DOType.TypePackage", nullptr},
    {"sec:DAType", "sec:DAType.TypePackage", nullptr},
    {"sec:EnumType", "sec:EnumType.TypePackage", nullptr},
    {"sec:LDevice", "sec:LDevice.Server/sec:Server.IED", "sec:IED.Servers/sec:Server.LDevices"},
    {"sec:LNode", "sec:LNode.LDevice", nullptr},
    {"sec:DOI", "sec:DOI.LNode", nullptr},
    {"sec:DAI", "sec:DAI.DOI", nullptr},
    {"sec:SettingGroup", "sec:SettingGroup.SGCB", nullptr},
    {"sec:SettingData", "sec:SettingData.SettingGroup", nullptr},
    {"sec:LCB", "sec:LCB.LNode", nullptr},
    {"sec:DataSet", "sec:DataSet.LNode", nullptr},
    {"sec:RCB", "sec:RCB.LNode", nullptr},
    {"sec:ClientLN", "sec:ClientLN.RCB", nullptr},
    {"sec:ExtRef", "sec:ExtRef.LNode", nullptr},
    {"sec:FCDA", "sec:FCDA.DataSet", nullptr},
    {"sec:InfoItem", "sec:InfoItem.ITB", nullptr},
    {"sec:MapItem", "sec:MapItem.M2I", nullptr},
    {"sec:DOSemantic", "sec:DOSemantic.TypePackage", nullptr},
    {"sec:DASemantic", "sec:DASemantic.TypePackage", nullptr},
};

}  // namespace

const CSiblingRow* FindSiblingRow(const std::string& cls) {
    for (const CSiblingRow& row : kSiblingRows)
        if (cls == row.cls) return &row;
    return nullptr;
}

bool OrdIsCode(const std::string& cls) { return cls == "sec:EnumVal"; }

}  // namespace kiln::editing

namespace {

// A number past the integer range stays past it (clamped), so that it is
// refused as out of place instead of wrapping onto a place in the list.
int OrdValue(const CString& text) {
    return static_cast<int>(std::clamp<long long>(kiln::text::AtoiValue(text.str()), INT_MIN, INT_MAX));
}

CString Decimal(int n) {
    CString text;
    text.Format("%d", n);
    return text;
}

// Moves the member numbered `from` to `to` by shifting the members between:
// towards the end, those numbered (from, to] go down one; towards the start,
// those numbered [to, from) go up one. Numbers are read afresh and only the
// changed ones written.
void ShiftBetween(CKiln_Main& app, const std::vector<URI_Ref>& members, int from, int to) {
    for (const URI_Ref& m : members) {
        const int o = OrdValue(app.DocMtd_getValue_ofAttr(m, kRoleOrd));
        int moved = o;
        if (from < to && o > from && o <= to) moved = o - 1;
        if (to < from && o >= to && o < from) moved = o + 1;
        if (moved != o) app.DocMtd_Modify_attribute_value(m, kRoleOrd, Decimal(moved));
    }
}

}  // namespace

bool CKiln_Main::Rsc_Adjust_Order(URI_Ref rsc, int nPos, int* pCount) {
    CString domain;
    DocMtd_DEnv_Get_Rsc_Domain(rsc, domain);
    if (!DocMtd_DEnv_IsDomainEditable(domain)) {
        _AfxMessageBox("当前域不可编辑！-W0104", MB_OK, "", nullptr);
        return false;
    }
    const kiln::editing::CSiblingRow* row = kiln::editing::FindSiblingRow(rsc.sClass);
    if (!row) return false;
    if (kiln::editing::OrdIsCode(rsc.sClass) && !pCount) {
        _AfxMessageBox(kiln::editing::kOrdIsCodeText, MB_OK, "", nullptr);
        return false;
    }
    const CString ordText = DocMtd_getValue_ofAttr(rsc, kRoleOrd);
    if (ordText.IsEmpty()) return false;
    const int current = OrdValue(ordText);

    URI_Ref owner = DocMtd_getFirstUri_ofAsso(rsc, row->ownerAsso);
    const CString path = row->siblingPath ? CString(row->siblingPath) : DocMtd_GetReverseAsso(row->ownerAsso);
    if (path.Find('/') < 0) {
        int n = 0;
        DocMtd_GetSeqNumber_byAsso(owner, path, &n);
        if (pCount) {
            *pCount = n;
            return true;
        }
        if (nPos != -999) {
            if (nPos == -1) nPos = n;
            if (nPos < 1) nPos = 1;
            if (nPos > n) nPos = n;
            if (nPos == current) return false;
        }
    }
    std::vector<URI_Ref> siblings;
    URI_Ref last;
    if (DocMtd_get_descendent_BUris(owner, path, siblings, last, kRoleOrd, SortPolicy_ByOrd) == 0) return false;
    const int n = static_cast<int>(siblings.size());
    if (pCount) {
        *pCount = n;
        return true;
    }
    if (nPos == -1) nPos = n;
    if (nPos == -999) {
        for (int k = 0; k < n; ++k) DocMtd_Modify_attribute_value(siblings[static_cast<size_t>(k)], kRoleOrd, Decimal(k + 1));
        return true;
    }
    if (n == 0) return false;
    nPos = std::clamp(nPos, 1, n);
    if (nPos == current) return false;
    ShiftBetween(*this, siblings, current, nPos);
    return DocMtd_Modify_attribute_value(rsc, kRoleOrd, Decimal(nPos));
}

bool CKiln_Main::Change_Ord_To(URI_Ref rsc, CString path, int nPos) {
    std::vector<URI_Ref> members;
    URI_Ref last;
    DocMtd_get_descendent_BUris(rsc, path, members, last, kRoleOrd, SortPolicy_ByOrd);
    if (nPos < 1 || nPos > static_cast<int>(members.size())) return false;
    Sort_Reset_Ord(&members, true, kRoleOrd);
    const int current = OrdValue(DocMtd_getValue_ofAttr(rsc, kRoleOrd));
    ShiftBetween(*this, members, current, nPos);
    DocMtd_Modify_attribute_value(rsc, kRoleOrd, Decimal(nPos));
    return true;
}

bool CKiln_Main::Change_Ord_To_AskPosition(URI_Ref rsc, CString path) {
    CString text;
    if (!Mtd_SingleInputBox("请输入序号：", text, nullptr, false)) return false;
    // A place past the integer range is no whole number of this program:
    // refused as the property view refuses one, instead of in silence.
    const long long place = kiln::text::AtoiValue(text.str());
    if (place < INT_MIN || place > INT_MAX) {
        _AfxMessageBox("不合法的整数！", MB_OK, "", nullptr);
        return false;
    }
    return Change_Ord_To(rsc, path, static_cast<int>(place));
}

bool CKiln_Main::Change_Ord_UpOne(URI_Ref rsc, CString path) {
    return Change_Ord_To(rsc, path, OrdValue(DocMtd_getValue_ofAttr(rsc, kRoleOrd)) - 1);
}

bool CKiln_Main::Change_Ord_DownOne(URI_Ref rsc, CString path) {
    return Change_Ord_To(rsc, path, OrdValue(DocMtd_getValue_ofAttr(rsc, kRoleOrd)) + 1);
}

bool CKiln_Main::Change_AllOrd_DownNum(URI_Ref start, CString path, int nFirst, int nAmount) {
    std::vector<URI_Ref> members;
    URI_Ref last;
    DocMtd_get_descendent_BUris(start, path, members, last, kRoleOrd, SortPolicy_ByOrd);
    for (const URI_Ref& m : members) {
        const int o = OrdValue(DocMtd_getValue_ofAttr(m, kRoleOrd));
        if (o >= nFirst) DocMtd_Modify_attribute_value(m, kRoleOrd, Decimal(o + nAmount));
    }
    return true;
}

bool CKiln_Main::Change_AllOrd_DownOne(URI_Ref start, CString path, int nFirst) {
    return Change_AllOrd_DownNum(start, path, nFirst, 1);
}

bool CKiln_Main::Rsc_ITB_AutoOrd(URI_Ref itb) {
    if (itb.IsEmpty()) return false;
    std::vector<URI_Ref> items;
    DocMtd_get_Association_BUris(itb, "sec:ITB.InfoItems", items, kRoleOrd, SortPolicy_ByOrd);
    // Key: group number, then entry number; a stable sort keeps the old
    // order among equal keys.
    std::vector<std::pair<std::pair<long long, long long>, URI_Ref>> keyed;
    keyed.reserve(items.size());
    for (const URI_Ref& item : items) {
        if (DocMtd_getValue_ofAttr(item, "sec:InfoItem.id").IsEmpty())
            DocMtd_Modify_attribute_value(item, "sec:InfoItem.id", DocMtd_getValue_ofAttr(item, kRoleOrd));
        const long long group = kiln::text::AtoiValue(DocMtd_getValue_ofAttr(item, "sec:InfoItem.p103_grp").str());
        const long long entry = kiln::text::AtoiValue(DocMtd_getValue_ofAttr(item, "sec:InfoItem.p103_ent").str());
        keyed.push_back({{group, entry}, item});
    }
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (size_t k = 0; k < keyed.size(); ++k)
        DocMtd_Modify_attribute_value(keyed[k].second, kRoleOrd, Decimal(static_cast<int>(k) + 1));
    return true;
}

bool CKiln_Main::Rsc_AutoSort_LD_LNodeInst(URI_Ref ld) {
    std::vector<URI_Ref> nodes;
    DocMtd_get_Association_BUris(ld, "sec:LDevice.LNodes", nodes, kRoleOrd, SortPolicy_ByOrd);
    std::map<std::string, int> counts;  // per LN class: the nodes numbered so far
    for (const URI_Ref& node : nodes) {
        const CString lnClass =
            DocMtd_getFirstValue_ofAsso(node, "sec:LNode.LNodeType/sec:LNodeType.ClassOf_LNType", kRoleName);
        if (lnClass.IsEmpty()) continue;
        const int inst = ++counts[lnClass.str()];
        if (lnClass == "LLN0" || lnClass == "LPHD") continue;
        DocMtd_Modify_attribute_value(node, "sec:LNode.lnInst", Decimal(inst));
        const CString prefix = DocMtd_getValue_ofAttr(node, "sec:LNode.prefix");
        DocMtd_Modify_attribute_value(node, kRoleName, kiln::core::NodeNameText(prefix, lnClass, Decimal(inst)));
    }
    return true;
}

bool CKiln_Main::Rsc_AutoSortLNodeInst(URI_Ref icd) {
    URI_Ref server = DocMtd_getFirstUri_ofAsso(icd, "sec:ICD.IED/sec:IED.Servers");
    if (server.IsEmpty()) return true;
    std::vector<URI_Ref> devices;
    DocMtd_get_Association_BUris(server, "sec:Server.LDevices", devices, kRoleOrd, SortPolicy_ByOrd);
    for (const URI_Ref& ld : devices) Rsc_AutoSort_LD_LNodeInst(ld);
    return true;
}
