// The structure checks of an ICD's IED and the generic checks they and the
// type-package checks build on: association counts, repeated names among
// the members of a resource (also along a chain of abstract types), and
// repeated full logical-node names within a logical device, and values a
// DOI holds that the basic types of their attributes cannot hold.
#include <set>
#include <unordered_map>
#include <unordered_set>

#include "core/kiln_main.h"
#include "core/scl_values.h"
#include "editing/member_users.h"
#include "platform/mfc/text_funcs.h"

using kiln::core::kRoleName;
using kiln::core::kRoleOrd;

namespace {

// The part of a class name after its first ":" ("sec:LNode" gives "LNode").
CString ShortClass(const std::string& cls) {
    const size_t colon = cls.find(':');
    return colon == std::string::npos ? CString(cls) : CString(cls.substr(colon + 1));
}

// The part of a role after its last "." ("sec:LCB.Log" gives "Log").
CString RoleText(const CString& role) {
    const int dot = role.ReverseFind('.');
    return dot >= 0 ? role.Mid(dot + 1) : role;
}

CString Decimal(int n) {
    CString text;
    text.Format("%d", n);
    return text;
}

// Each value of the DOI's DAIs (its text and its further values by setting group)
// that the basic type of its defining DA or BDA cannot hold (for an Enum, that
// is none of its enumeration's values) is an error.
void CheckDaiValues(CKiln_Main& app, const URI_Ref& doi, const CString& where) {
    URI_Ref dataObject = app.DocMtd_getFirstUri_ofAsso(doi, "sec:DOI.DO");
    if (dataObject.IsEmpty()) return;
    std::vector<URI_Ref> dais;
    app.DocMtd_get_Association_BUris(doi, "sec:DOI.DAIs", dais, kRoleOrd, SortPolicy_ByOrd);
    for (const URI_Ref& dai : dais) {
        const CString name = app.DocMtd_getValue_ofAttr(dai, kRoleName);
        const URI_Ref dfn = app.Get_DA_Dfn(dataObject, name);
        if (dfn.IsEmpty()) continue;
        const CString bType = StringAfter(app.DocMtd_getValue_ofAttr(dfn, "sec:BDA.bType"), "#", ".");
        std::vector<CString> values{app.DocMtd_getValue_ofAttr(dai, "sec:DAI.valueStr")};
        std::vector<URI_Ref> vals;
        app.DocMtd_get_Association_BUris(dai, "sec:DAI.Vals", vals, kRoleOrd, SortPolicy_ByOrd);
        // The first value is the DAI's own text, as the export writes it.
        for (size_t k = 1; k < vals.size(); ++k) values.push_back(app.DocMtd_getValue_ofAttr(vals[k], "sec:Val.sValue"));
        // An Enum value is one of its enumeration's values.
        std::set<std::string> enumTexts;
        const URI_Ref enumType = bType == "Enum" ? app.DocMtd_getFirstUri_ofAsso(dfn, "sec:BDA.DefinedBy_EnumType") : URI_Ref();
        std::vector<URI_Ref> enumVals;
        if (enumType.IsSet())
            app.DocMtd_get_Association_BUris(enumType, "sec:EnumType.EnumVals", enumVals, kRoleOrd, SortPolicy_ByOrd);
        for (const URI_Ref& v : enumVals) enumTexts.insert(kiln::editing::EnumValueText(app, v).str());
        auto fits = [&](const CString& value) {
            if (enumType.IsSet()) return value.IsEmpty() || enumTexts.count(value.str()) > 0;
            return kiln::core::FitsBasicType(bType.str(), value.str());
        };
        for (const CString& value : values)
            if (!fits(value))
                app.Write_error_to_Report(where + "DOI: " + app.DocMtd_getValue_ofAttr(doi, kRoleName) + "的DAI: " + name,
                                          bType + "取值错误：" + value, true);
    }
}

}  // namespace

bool CKiln_Main::Check_Asso_Num(URI_Ref rsc, CString assoc, int min, int max, CString prefix, bool report) {
    std::vector<URI_Ref> targets;
    DocMtd_get_Association_BUris(rsc, assoc, targets, kRoleOrd, SortPolicy_ByOrd);
    const int count = static_cast<int>(targets.size());
    const CString where = prefix + " " + CString(rsc.sClass) + ": " + DocMtd_getValue_ofAttr(rsc, kRoleName);
    const CString role = RoleText(assoc);
    bool ok = true;
    auto fail = [&](const CString& message) {
        ok = false;
        if (report) Write_error_to_Report(where, message, true);
    };
    if (min < 0 && count > 0) fail("存在" + role);
    if (min >= 0 && count < min) fail(role + "的数量少于" + Decimal(min));
    if (max > 0 && count > max) fail(role + "的数量多于" + Decimal(max));
    return ok;
}

bool CKiln_Main::Chech_Name_Repeat(URI_Ref rsc, CStringArray& assocs, CString attr, CString prefix,
                                   CString classFilter) {
    return Chech_AbstractType_Name_Repeat(rsc, assocs, CString(), attr, prefix, classFilter);
}

bool CKiln_Main::Chech_AbstractType_Name_Repeat(URI_Ref rsc, CStringArray& assocs, CString abstractAssoc,
                                                CString attr, CString prefix, CString classFilter) {
    const CString where = prefix + "  " + ShortClass(rsc.sClass) + ": " + DocMtd_getValue_ofAttr(rsc, kRoleName) + "内";
    // Without an abstract association the walk covers the resource alone.
    std::vector<URI_Ref> chain{rsc};
    bool ok = true;
    if (!abstractAssoc.IsEmpty()) {
        chain.clear();
        ok = AbstractChain_Checked(rsc, abstractAssoc, where, chain);
    }
    // One set of seen values serves every association of every type.
    std::unordered_set<CString> seen;
    for (const URI_Ref& type : chain) {
        for (int a = 0; a < assocs.GetSize(); ++a) {
            std::vector<URI_Ref> targets;
            if (!DocMtd_get_Association_BUris(type, assocs.GetAt(a), targets, kRoleOrd, SortPolicy_ByOrd)) continue;
            for (const URI_Ref& target : targets) {
                if (!classFilter.IsEmpty() && CString(target.sClass) != classFilter) continue;
                const CString value = DocMtd_getValue_ofAttr(target, attr);
                if (seen.insert(value).second) continue;
                Write_error_to_Report(where, value + " 名称重复", true);
                ok = false;
            }
        }
    }
    return ok;
}

bool CKiln_Main::AbstractChain_Checked(const URI_Ref& type, const CString& abstractAssoc, const CString& where,
                                       std::vector<URI_Ref>& chain) {
    Get_AbstractTypes(type, &chain, abstractAssoc);
    // The walk stops at a type it already passed: a chain whose last type
    // still has an abstract type runs in a circle.
    const URI_Ref back = DocMtd_getFirstUri_ofAsso(chain.back(), abstractAssoc);
    if (back.IsEmpty()) return true;
    Write_error_to_Report(where, "抽象类型形成闭环：" + DocMtd_getValue_ofAttr(back, kRoleName), true);
    return false;
}

bool CKiln_Main::Check_LNodeName(URI_Ref& ldevice, std::vector<RepeatedName>& repeated) {
    std::vector<URI_Ref> nodes;
    DocMtd_get_Association_BUris(ldevice, "sec:LDevice.LNodes", nodes, kRoleOrd, SortPolicy_ByOrd);
    if (nodes.empty()) return false;
    std::vector<CString> names;
    names.reserve(nodes.size());
    std::unordered_map<CString, int> counts;
    for (const URI_Ref& node : nodes) {
        const CString lnClass =
            DocMtd_getFirstValue_ofAsso(node, "sec:LNode.LNodeType/sec:LNodeType.ClassOf_LNType", kRoleName);
        names.push_back("[" + DocMtd_getValue_ofAttr(node, "sec:LNode.prefix") + "]" + lnClass + "[" +
                        DocMtd_getValue_ofAttr(node, "sec:LNode.lnInst") + "]");
        ++counts[names.back()];
    }
    for (const CString& name : names) {
        const int count = counts[name];
        if (count > 1) repeated.push_back(RepeatedName{name, count});
    }
    return true;
}

bool CKiln_Main::Check_IED(URI_Ref ied) {
    bool hasLog = false;
    bool hasSgcb = false;
    const URI_Ref server = DocMtd_getFirstUri_ofAsso(ied, "sec:IED.Servers");
    if (server.IsSet()) {
        CStringArray deviceRoles;
        deviceRoles.Add("sec:Server.LDevices");
        Chech_Name_Repeat(server, deviceRoles, kRoleName, "", "");

        CStringArray memberRoles;
        for (const char* role : {"sec:LNode.DOIs", "sec:LNode.DataSets", "sec:LNode.LCBs", "sec:LNode.RCBs",
                                 "sec:LNode.ClientLNs", "sec:LNode.Agenting_LDs"})
            memberRoles.Add(role);
        CStringArray daiRoles;
        daiRoles.Add("sec:DOI.DAIs");

        std::vector<URI_Ref> devices;
        DocMtd_get_Association_BUris(server, "sec:Server.LDevices", devices, kRoleOrd, SortPolicy_ByOrd);
        for (URI_Ref& device : devices) {
            const CString deviceName = DocMtd_getValue_ofAttr(device, kRoleName);
            std::vector<RepeatedName> repeated;
            Check_LNodeName(device, repeated);
            for (const RepeatedName& r : repeated)
                Write_error_to_Report(deviceName + "内", r.name + " 名称重复" + Decimal(r.count) + "次", true);

            std::vector<URI_Ref> nodes;
            DocMtd_get_Association_BUris(device, "sec:LDevice.LNodes", nodes, kRoleOrd, SortPolicy_ByOrd);
            for (const URI_Ref& node : nodes) {
                const CString nodeName = DocMtd_getValue_ofAttr(node, kRoleName);
                if (Check_Asso_Num(node, "sec:LNode.SGCB", 1, -1, "", false)) hasSgcb = true;
                if (Check_Asso_Num(node, "sec:LNode.Log", 1, -1, "", false)) hasLog = true;
                Chech_Name_Repeat(node, memberRoles, kRoleName, "LD: " + deviceName + "的", "");

                const CString inNode = "LD: " + deviceName + "的" + "LNode: " + nodeName + "的";
                std::vector<URI_Ref> dois;
                DocMtd_get_Association_BUris(node, "sec:LNode.DOIs", dois, kRoleOrd, SortPolicy_ByOrd);
                for (const URI_Ref& doi : dois) {
                    Chech_Name_Repeat(doi, daiRoles, kRoleName, inNode, "");
                    CheckDaiValues(*this, doi, inNode);
                }
                std::vector<URI_Ref> lcbs;
                DocMtd_get_Association_BUris(node, "sec:LNode.LCBs", lcbs, kRoleOrd, SortPolicy_ByOrd);
                for (const URI_Ref& lcb : lcbs) Check_Asso_Num(lcb, "sec:LCB.Log", 1, 1, inNode, true);
            }
        }
    }
    if (!hasLog) Write_error_to_Report("IED", "IED内没有Log", true);
    if (!hasSgcb) Write_error_to_Report("IED", "IED内没有SGCB", true);
    return true;
}
