// Generation in one step: information groups from the 103 addresses, the
// channel numbers of disturbance-recorder channels, the re-typing of LLN0
// and LPHD nodes, and the test that the member lists of data objects can be
// built.
#include <set>
#include <string>
#include <vector>

#include "core/data_values.h"
#include "core/kiln_main.h"
#include "editing/lnode_class.h"
#include "platform/ui/ui_functions.h"

using kiln::core::kRoleName;
using kiln::core::kRoleOrd;
using kiln::editing::LnClassOfType;

namespace {

// The package whose LLN0 and LPHD types every LLN0 and LPHD node takes.
constexpr const char* kFaultInfoPackage = "故障信息类型包";
// Information types that are taken out of use and out of the model.
const char* const kRetiredTypes[] = {"版本信息", "告警信息", "模拟量定值", "开关量定值"};

constexpr const char* kChannelDO = "ChNum";
constexpr const char* kChannelDAI = "setVal[SG]";

std::vector<URI_Ref> MembersByOrd(CKiln_Main& app, const URI_Ref& owner, const char* role) {
    std::vector<URI_Ref> out;
    app.DocMtd_get_Association_BUris_SortByOrd(owner, role, out);
    return out;
}

// The channel DO of a recorder node's type ("ChNum", any case) and its
// setting DA ("setVal", any case). A "ChNum" without a DOType does not end
// the search: a later one takes its place.
void FindChannelDefinition(CKiln_Main& app, const URI_Ref& lnType, URI_Ref& channelDO, URI_Ref& settingDA) {
    for (const URI_Ref& d : MembersByOrd(app, lnType, "sec:LNodeType.DOs")) {
        if (app.DocMtd_getValue_ofAttr(d, kRoleName).CompareNoCase(kChannelDO) != 0) continue;
        channelDO = d;
        settingDA.Clear();
        const URI_Ref doType = app.DocMtd_getFirstUri_ofAsso(d, "sec:DO.DefinedBy_DOType");
        if (doType.IsEmpty()) continue;
        for (const URI_Ref& da : MembersByOrd(app, doType, "sec:DOType.Contains_DAs")) {
            if (app.DocMtd_getValue_ofAttr(da, kRoleName).CompareNoCase("setVal") == 0) {
                settingDA = da;
                break;
            }
        }
        return;
    }
}

// A DAI "setVal[SG]" of the DOI holding the channel number.
void AddChannelDAI(CKiln_Main& app, const URI_Ref& doi, const URI_Ref& settingDA, const CString& number) {
    URI_Ref dai;
    if (!app.NewRsc_DAI(&dai, doi, settingDA, "")) return;
    app.DocMtd_Modify_attribute_value(dai, kRoleName, kChannelDAI);
    kiln::core::WriteDataValue(app, dai, number);
}

// Keeps the bulk-delete flag off for the deletions of one call, so that the
// refusals that protect types in use apply.
class CRefusalsOn {
public:
    explicit CRefusalsOn(bool& flag) : m_flag(flag), m_previous(flag) { m_flag = false; }
    ~CRefusalsOn() { m_flag = m_previous; }
    CRefusalsOn(const CRefusalsOn&) = delete;
    CRefusalsOn& operator=(const CRefusalsOn&) = delete;

private:
    bool& m_flag;
    bool m_previous;
};

}  // namespace

bool CKiln_Main::Rsc_AutoGroupInfoItem(URI_Ref itb) {
    const std::vector<URI_Ref> items = MembersByOrd(*this, itb, "sec:ITB.InfoItems");
    const std::vector<URI_Ref> groups = MembersByOrd(*this, itb, "sec:ITB.InfoGroups");
    std::set<CString> keys;  // in text order, which is the order the groups are made in
    for (const URI_Ref& item : items) {
        const CString type = DocMtd_getValue_ofAttr(item, "sec:InfoItem.p103_typ");
        if (type.IsEmpty()) continue;
        const CString key = type + "/" + DocMtd_getValue_ofAttr(item, "sec:InfoItem.p103_grp");
        keys.insert(key);
        DocMtd_Modify_attribute_value(item, "sec:InfoItem.infoGroup", key);
    }
    std::set<CString> names;
    for (const URI_Ref& group : groups) names.insert(DocMtd_getValue_ofAttr(group, kRoleName));
    for (const CString& key : keys) {
        if (names.count(key)) continue;
        URI_Ref group;
        NewRsc_InfoGroup(&group, itb, key);
    }
    Mtd_AllViews_Refresh(nullptr, nullptr, 1);
    return true;
}

bool CKiln_Main::Rsc_Set_ChNum(URI_Ref ldevice) {
    for (const URI_Ref& node : MembersByOrd(*this, ldevice, "sec:LDevice.LNodes")) {
        const URI_Ref lnType = DocMtd_getFirstUri_ofAsso(node, "sec:LNode.LNodeType");
        if (lnType.IsEmpty()) continue;
        const CString lnClass = LnClassOfType(*this, lnType);
        if (lnClass != "RADR" && lnClass != "RBDR") continue;

        URI_Ref channelDO, settingDA;
        FindChannelDefinition(*this, lnType, channelDO, settingDA);
        const CString number = DocMtd_getValue_ofAttr(node, "sec:LNode.lnInst");

        bool hasChannelDOI = false;
        for (const URI_Ref& doi : MembersByOrd(*this, node, "sec:LNode.DOIs")) {
            if (DocMtd_getValue_ofAttr(doi, kRoleName) != kChannelDO) continue;
            hasChannelDOI = true;
            bool written = false;
            for (const URI_Ref& dai : MembersByOrd(*this, doi, "sec:DOI.DAIs")) {
                if (DocMtd_getValue_ofAttr(dai, kRoleName) != kChannelDAI) continue;
                kiln::core::WriteDataValue(*this, dai, number);
                written = true;
            }
            if (!written) AddChannelDAI(*this, doi, settingDA, number);
        }
        if (hasChannelDOI || channelDO.IsEmpty()) continue;
        // A DOI the creator refused has no DAI to take either.
        URI_Ref doi;
        if (!NewRsc_DOI(&doi, node, channelDO)) continue;
        DocMtd_Modify_attribute_value(doi, kRoleName, kChannelDO);
        AddChannelDAI(*this, doi, settingDA, number);
    }
    return true;
}

bool CKiln_Main::Rsc_HandleLN0AndDel() {
    std::vector<URI_Ref> nodes, packages;
    DocMtd_get_Uris_byClassName_sortName("sec:LNode", nodes, "", SortPolicy_ByName);
    DocMtd_get_Uris_byClassName_sortName("sec:TypePackage", packages, "", SortPolicy_ByName);

    URI_Ref newLln0, newLphd;
    for (const URI_Ref& package : packages) {
        if (DocMtd_getValue_ofAttr(package, kRoleName) != kFaultInfoPackage) continue;
        for (const URI_Ref& type : MembersByOrd(*this, package, "sec:TypePackage.LNodeTypes")) {
            const CString lnClass = LnClassOfType(*this, type);
            if (newLln0.IsEmpty() && lnClass.CompareNoCase("LLN0") == 0) newLln0 = type;
            if (newLphd.IsEmpty() && lnClass.CompareNoCase("LPHD") == 0) newLphd = type;
            if (newLln0.IsSet() && newLphd.IsSet()) break;
        }
        break;
    }

    // Types given up, by identifier in ascending order. The package's own
    // LLN0 and LPHD types are never among them.
    std::set<std::string> givenUp;
    auto giveUp = [&](const URI_Ref& type) {
        if (type.IsSet() && type != newLln0 && type != newLphd) givenUp.insert(type.sUri);
    };
    for (const URI_Ref& node : nodes) {
        CString domain;
        DocMtd_DEnv_Get_Rsc_Domain(node, domain);
        if (!DocMtd_DEnv_IsDomainEditable(domain)) {
            _AfxMessageBox("当前域不可编辑！-W0046", MB_OK, "", nullptr);
            return false;
        }
        const CString name = DocMtd_getValue_ofAttr(node, kRoleName);
        const URI_Ref type = DocMtd_getFirstUri_ofAsso(node, "sec:LNode.LNodeType");
        const CString typeName = type.IsSet() ? DocMtd_getValue_ofAttr(type, kRoleName) : CString();

        // An LLN0 or LPHD node is re-typed; without the package's type of
        // its kind it keeps its link and its type, whatever that type is.
        bool handled = false;
        const std::pair<const char*, const URI_Ref*> kRetypes[] = {{"LN0", &newLln0}, {"LPHD", &newLphd}};
        for (const auto& [fragment, newType] : kRetypes) {
            if (name.Find(fragment) < 0) continue;
            handled = true;
            if (newType->IsEmpty() || type == *newType) continue;
            DocMtd_update_Association(node, "sec:LNode.LNodeType", *newType);
            giveUp(type);
        }
        if (handled) continue;
        // Any other node typed by a retired information type is left untyped.
        for (const char* retired : kRetiredTypes) {
            if (typeName != retired || type == newLln0 || type == newLphd) continue;
            DocMtd_del_Association(node, "sec:LNode.LNodeType", type);
            giveUp(type);
        }
    }

    CRefusalsOn refusals(m_bBulkDelete);
    for (const std::string& uri : givenUp) Rsc_Delete(DocMtd_TestBy_URIRef(uri.c_str()), false);
    return true;
}

bool CKiln_Main::Refresh_DOMember(URI_Ref& rsc) {
    if (rsc.sClass == "sec:DO") {
        Struct_DAs_ofDO members;
        return Get_DAs_of_aDO(rsc, &members, "", nullptr);
    }
    if (rsc.sClass != "sec:LNodeType") return true;
    std::vector<URI_Ref> dos;
    URI_Ref last;
    if (DocMtd_get_descendent_BUris(rsc, "sec:LNodeType.DOs", dos, last, kRoleOrd, SortPolicy_ByOrd) == 0)
        return false;
    std::vector<Struct_DAs_ofDO> lists;
    for (URI_Ref& d : dos) {
        lists.emplace_back();
        if (!Get_DAs_of_aDO(d, &lists.back(), "", nullptr)) return false;
    }
    return true;
}
