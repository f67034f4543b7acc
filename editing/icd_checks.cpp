// The structure checks of an ICD's IED and the generic checks they and the
// type-package checks build on: association counts, repeated names among
// the members of a resource (also along a chain of abstract types), and
// repeated full logical-node names within a logical device, DOIs and DAIs
// their types do not have, values a DOI holds that the basic types of their
// attributes cannot hold, and inputs whose source names no node.
#include <algorithm>
#include <set>
#include <unordered_map>
#include <unordered_set>

#include "core/kiln_main.h"
#include "core/scl_names.h"
#include "core/scl_values.h"
#include "core/type_classes.h"
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

// What the DOI checks read of the types, once per type for a whole check:
// the DOs of an LN type and its base types by name (the first of a name, as
// Get_DO_Dfn finds it), and the DA and BDA paths of a DO's type as
// Get_DA_Dfn reads them ("stVal[ST]", "setMag[SG].f").
class TypeReads {
public:
    explicit TypeReads(CKiln_Main& app) : m_app(app) {}

    const std::unordered_map<CString, URI_Ref>& DOsOf(const URI_Ref& lnType) {
        auto [it, isNew] = m_dos.try_emplace(lnType.sUri);
        if (isNew)
            for (const URI_Ref& d : m_app.Get_DOs_ofLNType(lnType))
                it->second.try_emplace(m_app.DocMtd_getValue_ofAttr(d, kRoleName), d);
        return it->second;
    }
    // The basic type of a path, and whether it holds only some texts (a
    // text as long as no such type holds is refused, or an enumeration's
    // values), so that the values of the others need not be read.
    struct BasicType {
        CString name;
        bool limited = false;
        bool enumerated = false;         // an Enum of an enumeration type
        std::set<std::string> enumTexts;  // that type's values
        bool Holds(const CString& value) const {
            if (enumerated) return value.IsEmpty() || enumTexts.count(value.str()) > 0;
            return kiln::core::FitsBasicType(name.str(), value.str());
        }
    };
    // The basic type of each path of the DO's type; nullptr when its members
    // cannot be listed.
    const std::unordered_map<CString, BasicType>* PathsOf(const URI_Ref& dataObject) {
        auto [it, isNew] = m_paths.try_emplace(dataObject.sUri);
        if (isNew) {
            Struct_DAs_ofDO members;
            URI_Ref walked = dataObject;
            it->second.listed = m_app.Get_DAs_of_aDO(walked, &members, "", nullptr);
            static const std::string kLongest(300, 'x');
            // The first member of a path is the one Get_DA_Dfn finds.
            for (const Struct_DAItem& m : members.vDAs) {
                if (it->second.bTypes.count(m.sPath)) continue;
                BasicType& t = it->second.bTypes[m.sPath];
                t.name = StringAfter(m_app.DocMtd_getValue_ofAttr(m.uRsc, "sec:BDA.bType"), "#", ".");
                // An Enum value is one of its enumeration's values.
                const URI_Ref enumType = t.name == "Enum"
                                             ? m_app.DocMtd_getFirstUri_ofAsso(m.uRsc, "sec:BDA.DefinedBy_EnumType")
                                             : URI_Ref();
                t.enumerated = enumType.IsSet();
                std::vector<URI_Ref> enumVals;
                if (t.enumerated)
                    m_app.DocMtd_get_Association_BUris(enumType, "sec:EnumType.EnumVals", enumVals, kRoleOrd,
                                                       SortPolicy_ByOrd);
                for (const URI_Ref& v : enumVals) t.enumTexts.insert(kiln::editing::EnumValueText(m_app, v).str());
                t.limited = t.enumerated || !kiln::core::FitsBasicType(t.name.str(), kLongest);
            }
        }
        return it->second.listed ? &it->second.bTypes : nullptr;
    }

private:
    struct Paths {
        bool listed = false;
        std::unordered_map<CString, BasicType> bTypes;
    };
    CKiln_Main& m_app;
    std::unordered_map<std::string, std::unordered_map<CString, URI_Ref>> m_dos;
    std::unordered_map<std::string, Paths> m_paths;  // by DO
};

// A DOI of a DO the node's type does not have is an error (the export leaves
// it out); so is each DAI that names no DA or BDA of its DO's type, and each
// value of a DAI (its text and its further values by setting group) that the
// basic type of its defining DA or BDA cannot hold (for an Enum, that is none
// of its enumeration's values).
// The DAIs' names are read once: a name that repeats is an error too, as
// the name check of other members words it.
void CheckDoi(CKiln_Main& app, TypeReads& types, const URI_Ref& lnType, const URI_Ref& doi, const CString& where) {
    // Roles made once: read for every DOI and DAI.
    static const CString kName(kRoleName), kOrd(kRoleOrd), kDais("sec:DOI.DAIs"), kVals("sec:DAI.Vals"),
        kValueRole("sec:DAI.valueStr"), kValText("sec:Val.sValue");
    const CString doiName = app.DocMtd_getValue_ofAttr(doi, kName);
    const CString inDoi = where + "DOI: " + doiName;
    std::vector<URI_Ref> dais;
    app.DocMtd_get_Association_BUris(doi, kDais, dais, kOrd, SortPolicy_ByOrd);
    std::vector<CString> names;
    names.reserve(dais.size());
    // The names before a name: looked through while few, hashed beyond.
    constexpr size_t kFew = 32;
    std::unordered_set<CString> seen;
    for (const URI_Ref& dai : dais) {
        names.push_back(app.DocMtd_getValue_ofAttr(dai, kName));
        const auto before = names.end() - 1;
        if (names.size() == kFew + 1) seen.insert(names.begin(), before);
        const bool again = names.size() <= kFew ? std::find(names.begin(), before, *before) != before
                                                : !seen.insert(*before).second;
        if (again) app.Write_error_to_Report(where + "  DOI: " + doiName + "内", *before + " 名称重复", true);
    }
    // A DOI made for a DO is judged by the DO of its name in the node's
    // type: its own link still names the DO of a type the node had before.
    URI_Ref dataObject = app.DocMtd_getFirstUri_ofAsso(doi, "sec:DOI.DO");
    if (lnType.IsSet()) {
        const std::unordered_map<CString, URI_Ref>& dos = types.DOsOf(lnType);
        const auto found = dos.find(doiName);
        if (found == dos.end()) {
            app.Write_error_to_Report(inDoi, "LN类型中没有该DO", true);
            return;
        }
        if (dataObject.IsSet()) dataObject = found->second;
    }
    if (dataObject.IsEmpty()) return;
    const std::unordered_map<CString, TypeReads::BasicType>* bTypes = types.PathsOf(dataObject);
    if (!bTypes) return;
    for (size_t i = 0; i < dais.size(); ++i) {
        const URI_Ref& dai = dais[i];
        const CString& name = names[i];
        const auto found = bTypes->find(name);
        if (found == bTypes->end()) {
            // A DAI may name a struct (a short address on all of it), which
            // holds no value of its own to judge; an SDO it may not.
            const std::string below = name.str() + ".";
            const bool isStruct = std::any_of(bTypes->begin(), bTypes->end(), [&](const auto& path) {
                return path.first.str().compare(0, below.size(), below) == 0 &&
                       kiln::core::SubObjectsLength(path.first.str()) < name.str().size();
            });
            if (!isStruct) app.Write_error_to_Report(inDoi + "的DAI: " + name, "DO类型中按此路径找不到此DA", true);
            continue;
        }
        const TypeReads::BasicType& bType = found->second;
        if (!bType.limited) continue;
        auto check = [&](const CString& value) {
            if (!bType.Holds(value))
                app.Write_error_to_Report(inDoi + "的DAI: " + name, bType.name + "取值错误：" + value, true);
        };
        check(app.DocMtd_getValue_ofAttr(dai, kValueRole));
        // The first value is the DAI's own text, as the export writes it;
        // most DAIs have no further ones (counted, not listed).
        if (app.m_Doc.CountTargets(dai, kVals) < 2) continue;
        std::vector<URI_Ref> vals;
        app.DocMtd_get_Association_BUris(dai, kVals, vals, kOrd, SortPolicy_ByOrd);
        for (size_t k = 1; k < vals.size(); ++k) check(app.DocMtd_getValue_ofAttr(vals[k], kValText));
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
    // has an abstract type the chain holds runs in a circle (one that stops
    // at the bound of nesting is named by the type checks).
    const URI_Ref back = DocMtd_getFirstUri_ofAsso(chain.back(), abstractAssoc);
    if (back.IsEmpty() ||
        std::none_of(chain.begin(), chain.end(), [&](const URI_Ref& t) { return t.sUri == back.sUri; }))
        return true;
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

        TypeReads types(*this);
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
                const CString nodeName = kiln::core::NodeName(*this, node);
                if (Check_Asso_Num(node, "sec:LNode.SGCB", 1, -1, "", false)) hasSgcb = true;
                if (Check_Asso_Num(node, "sec:LNode.Log", 1, -1, "", false)) hasLog = true;
                Chech_Name_Repeat(node, memberRoles, kRoleName, "LD: " + deviceName + "的", "");

                const CString inNode = "LD: " + deviceName + "的" + "LNode: " + nodeName + "的";
                const URI_Ref lnType = DocMtd_getFirstUri_ofAsso(node, "sec:LNode.LNodeType");
                std::vector<URI_Ref> dois;
                DocMtd_get_Association_BUris(node, "sec:LNode.DOIs", dois, kRoleOrd, SortPolicy_ByOrd);
                for (const URI_Ref& doi : dois) CheckDoi(*this, types, lnType, doi, inNode);
                // An input that names a DO of no node (its node deleted) is
                // written without its source; one without a DO is still to be bound.
                std::vector<URI_Ref> inputs;
                DocMtd_get_Association_BUris(node, "sec:LNode.ExtRefs", inputs, kRoleOrd, SortPolicy_ByOrd);
                for (const URI_Ref& input : inputs)
                    if (DocMtd_getFirstUri_ofAsso(input, "sec:DARef.LNode").IsEmpty() &&
                        DocMtd_getValue_ofAttr(input, "sec:ExtRef.lnClass").IsEmpty() &&
                        !DocMtd_getValue_ofAttr(input, "sec:DARef.doName").IsEmpty())
                        Write_error_to_Report(inNode + "ExtRef: " + DocMtd_getValue_ofAttr(input, kRoleName),
                                              " 未指定LNode ！", true);
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
