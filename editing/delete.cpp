// Deleting a resource with everything it owns: the refusals that protect
// types, ITBs and IEDs still in use, the cascade over the member lists, and
// the upkeep of the remaining siblings' numbers.
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "core/data_values.h"
#include "core/kiln_main.h"
#include "core/scl_ied_roles.h"
#include "editing/member_users.h"
#include "editing/sibling_table.h"
#include "platform/ui/ui_functions.h"

using kiln::core::kRoleOrd;

namespace {

// One list of members deleted before their owner. A member that cannot be
// deleted stops the owner's deletion (with the row's message, when the
// deletion was asked for) or is passed over.
struct CMemberList {
    const char* path;
    bool stops;
};

struct CCascadeRow {
    const char* cls;
    std::vector<CMemberList> lists;
    const char* stopMessage;
};

constexpr bool kStop = true;
constexpr bool kPass = false;

// Besides the lists that stop or pass over as their owner's row says, the
// owned lists of SV and GSE control blocks, SDIs, DAI values, information
// groups, signal lists and base logical devices go with their owner and are
// passed over, so that a deletion leaves no resource without its owner. A
// product's ICDs stay.
const std::vector<CCascadeRow>& CascadeRows() {
    static const std::vector<CCascadeRow> rows = {
        {"sec:ProductPackage", {{"sec:ProductPackage.Products", kPass}}, nullptr},
        {"sec:Product", {{"sec:Product.ProductVers", kPass}}, nullptr},
        {"sec:TypePackage",
         {{"sec:TypePackage.LNodeTypes", kStop},
          {"sec:TypePackage.DOTypes", kStop},
          {"sec:TypePackage.DATypes", kStop},
          {"sec:TypePackage.EnumTypes", kStop},
          {"sec:TypePackage.DOSemantics", kStop},
          {"sec:TypePackage.DASemantics", kStop},
          {"sec:TypePackage.Base_LDevices", kPass}},
         "删除 TypePackage 时发生错误！"},
        {"sec:ICD",
         {{"sec:ICD.IED", kStop}, {"sec:ICD.TypePackage", kStop}, {"sec:ICD.ITB", kStop}, {"sec:ICD.M2I", kStop}},
         "删除 ICD 时发生错误！"},
        {"sec:LNodeType", {{"sec:LNodeType.DOs", kPass}}, nullptr},
        {"sec:DOType",
         {{"sec:DOType.Contains_SDOs", kPass},
          {"sec:DOType.Contains_DAs", kPass},
          {"sec:DOType.Contains_DAs/sec:BDA.Vals", kPass}},
         nullptr},
        {"sec:DAType", {{"sec:DAType.Contains_BDAs", kPass}}, nullptr},
        {"sec:DA", {{"sec:BDA.Vals", kPass}}, nullptr},
        {"sec:BDA", {{"sec:BDA.Vals", kPass}}, nullptr},
        {"sec:EnumType", {{"sec:EnumType.EnumVals", kPass}}, nullptr},
        {"sec:IED", {{"sec:IED.Servers", kPass}, {"sec:IED.SignalLists", kPass}}, nullptr},
        {"sec:SignalList", {{"sec:SignalList.InSignals", kPass}, {"sec:SignalList.OutSignals", kPass}}, nullptr},
        {"sec:Server", {{"sec:Server.LDevices", kStop}}, "删除 IED 时发生错误！"},
        {"sec:LDevice", {{"sec:LDevice.LNodes", kStop}}, "删除 LDevice 时发生错误！"},
        {"sec:LNode",
         {{"sec:LNode.DOIs", kStop},
          {"sec:LNode.ExtRefs", kStop},
          {"sec:LNode.RCBs", kStop},
          {"sec:LNode.DataSets", kStop},
          {"sec:LNode.LCBs", kStop},
          {"sec:LNode.Log", kStop},
          {"sec:LNode.SGCB", kStop},
          {"sec:LNode.CBs", kPass}},
         "删除 LNode 时发生错误！"},
        {"sec:DOI", {{"sec:DOI.DAIs", kStop}, {"sec:DOI.SDIs", kPass}}, "删除 DOI 时发生错误！"},
        {"sec:SDI", {{"sec:SDI.DAIs", kPass}}, nullptr},
        {"sec:DAI", {{"sec:DAI.Vals", kPass}}, nullptr},
        {"sec:DataSet", {{"sec:DataSet.FCDAs", kPass}}, nullptr},
        {"sec:RCB", {{"sec:RCB.ClientLNs", kPass}}, nullptr},
        {"sec:SGCB", {{"sec:SGCB.SettingGroups", kPass}}, nullptr},
        {"sec:SettingGroup", {{"sec:SettingGroup.SettingDatas", kPass}}, nullptr},
        {"sec:ITB", {{"sec:ITB.InfoItems", kPass}, {"sec:ITB.InfoGroups", kPass}}, nullptr},
        {"sec:M2I", {{"sec:M2I.MapItems", kPass}}, nullptr},
        // A mapping item of a deleted information item maps nothing.
        {"sec:InfoItem", {{"sec:InfoItem.MapItem", kPass}}, nullptr},
    };
    return rows;
}

// A usage refusal: a resource found along the association refuses the deletion.
struct CRefusal {
    const char* cls;
    const char* asso;
    const char* message;
    bool onlyOutsideBulk;  // while a package, product or ICD is deleted as a whole, only users outside it count
};

const CRefusal kRefusals[] = {
    {"sec:LNodeType", "sec:LNodeType.Inst_LNTypes", "由于存在基于该标准类型的逻辑节点实例类型，不能继续删除！", true},
    {"sec:LNodeType", "sec:LNodeType.LNode", "由于存在属于该类型的逻辑节点实例，不能继续删除！", true},
    {"sec:DOType", "sec:DOType.Inst_DOTypes", "由于存在基于该标准类型的DO实例类型，不能继续删除！", true},
    {"sec:DOType", "sec:DOType.TypeOf_DO", "由于存在属于该类型的DO，不能继续删除！", true},
    {"sec:DOType", "sec:DOType.TypeOf_SDO", "由于存在属于该类型的SDO，不能继续删除！", true},
    {"sec:DAType", "sec:DAType.Inst_DATypes", "由于存在基于该标准类型的DA实例类型，不能继续删除！", true},
    {"sec:DAType", "sec:DAType.Structof_BDA", "由于存在属于该类型的DA/BDA，不能继续删除！", true},
    {"sec:EnumType", "sec:EnumType.TypeOf_BDA", "由于存在被该类型定义的DA/BDA，不能继续删除！", false},
    {"sec:ITB", "sec:ITB.M2I", "因为还存在依赖于本ITB的M2I，不能删除！", false},
};

// Sets the bulk-delete flag for one deletion and gives the previous value
// back when that deletion returns.
class CBulkScope {
public:
    CBulkScope(bool& flag, bool on) : m_flag(flag), m_previous(flag) {
        if (on) m_flag = true;
    }
    ~CBulkScope() { m_flag = m_previous; }
    CBulkScope(const CBulkScope&) = delete;
    CBulkScope& operator=(const CBulkScope&) = delete;

private:
    bool& m_flag;
    bool m_previous;
};

const char* const kBulkClasses[] = {"sec:ProductPackage", "sec:Product", "sec:TypePackage", "sec:ICD"};

// What the deletion needs of a class, from the tables above by one lookup.
struct CClassRules {
    const CCascadeRow* row = nullptr;
    bool bulk = false;       // a package, product or ICD: deleted as a whole
    bool refusable = false;  // a usage refusal names the class
};

const CClassRules& RulesOf(const std::string& cls) {
    static const std::unordered_map<std::string, CClassRules> byClass = [] {
        std::unordered_map<std::string, CClassRules> map;
        for (const CCascadeRow& row : CascadeRows()) map[row.cls].row = &row;
        for (const CRefusal& refusal : kRefusals) map[refusal.cls].refusable = true;
        for (const char* bulk : kBulkClasses) map[bulk].bulk = true;
        return map;
    }();
    static const CClassRules none;
    const auto found = byClass.find(cls);
    return found == byClass.end() ? none : found->second;
}

// The sibling lists that deleted resources leave a gap in, each renumbered
// 1..n in its order once when the outermost deletion ends (the deletions a
// member's users or a run of resources make inside it included), instead of
// after each resource: a list whose owner went too is left alone. The
// survivors are numbered as if each deleted one had been moved behind them
// first.
class CSiblingGaps {
public:
    explicit CSiblingGaps(CKiln_Main& app) : m_app(app), m_outer(s_open == nullptr) {
        if (m_outer) s_open = this;
    }
    ~CSiblingGaps() {
        if (m_outer) s_open = nullptr;
    }
    CSiblingGaps(const CSiblingGaps&) = delete;
    CSiblingGaps& operator=(const CSiblingGaps&) = delete;

    // Notes the list the resource leaves, before it is deleted.
    static void Leaves(const URI_Ref& rsc) {
        const kiln::editing::CSiblingRow* row = kiln::editing::FindSiblingRow(rsc.sClass);
        if (!s_open || !row) return;
        CKiln_Main& app = s_open->m_app;
        const URI_Ref owner = app.DocMtd_getFirstUri_ofAsso(rsc, row->ownerAsso);
        Note(owner, row->siblingPath ? CString(row->siblingPath) : app.DocMtd_GetReverseAsso(row->ownerAsso),
             rsc.sClass);
    }
    // Notes the list along `path` from `owner` whose members of class `cls`
    // are deleted; an enumeration's values keep their codes.
    static void Note(const URI_Ref& owner, const CString& path, const std::string& cls) {
        if (!s_open || owner.IsEmpty() || kiln::editing::OrdIsCode(cls)) return;
        if (s_open->m_seen.insert(owner.sUri + "|" + path.str()).second) s_open->m_lists.push_back({owner, path});
    }

    // Renumbers the lists noted, when this is the outermost deletion.
    void Close() {
        if (!m_outer) return;
        std::vector<CList> lists;
        lists.swap(m_lists);
        m_seen.clear();
        for (const CList& list : lists) {
            if (!m_app.m_Doc.Exists(list.owner)) continue;
            std::vector<URI_Ref> rest;
            URI_Ref last;
            if (m_app.DocMtd_get_descendent_BUris(list.owner, list.path, rest, last, kRoleOrd, SortPolicy_ByOrd))
                m_app.Sort_Reset_Ord(&rest, true, kRoleOrd);
        }
    }

private:
    struct CList {
        URI_Ref owner;
        CString path;
    };
    static inline CSiblingGaps* s_open = nullptr;
    CKiln_Main& m_app;
    const bool m_outer;
    std::vector<CList> m_lists;
    std::unordered_set<std::string> m_seen;
};

// True when the members of the list are a sibling list of their own whose
// owner is the resource the list starts from.
bool IsOwnSiblingList(CKiln_Main& app, const CString& path, const URI_Ref& member) {
    const kiln::editing::CSiblingRow* row = kiln::editing::FindSiblingRow(member.sClass);
    return row && !row->siblingPath && app.DocMtd_GetReverseAsso(row->ownerAsso) == path;
}

class CDeletion {
public:
    explicit CDeletion(CKiln_Main& app) : m_app(app) {}

    // The deletion the user or a command asks for: every obstacle of the
    // resource and of everything that goes with it is found before the
    // first change, so that a refused deletion changes nothing.
    bool Run(const URI_Ref& rsc, bool ask) {
        if (rsc.IsEmpty()) return false;
        if (!Editable(rsc)) {
            _AfxMessageBox(kLockedMessage, MB_OK, "", nullptr);
            return false;
        }
        const kiln::editing::CMemberUsers users = UsersOf(rsc);
        if (ask && !Confirmed(rsc, users)) return false;
        CBulkScope bulk(m_app.m_bBulkDelete, RulesOf(rsc.sClass).bulk);
        const size_t top = Gather(URI_Ref(rsc));
        CObstacle obstacle = Obstacle(top, true);
        // The instances a member's deletion takes, and the texts it clears.
        for (const std::vector<URI_Ref>* list : {&users.instances, &users.references, &users.typeValues})
            for (const URI_Ref& user : *list)
                if (!obstacle.found && !Editable(user)) obstacle = {true, kLockedMessage, false, false};
        for (const auto& [item, role] : users.units)
            if (!obstacle.found && !Editable(item)) obstacle = {true, kLockedMessage, false, false};
        if (obstacle.found) {
            if (obstacle.text && obstacle.plainBox) AfxMessageBox(obstacle.text, MB_OK);
            if (obstacle.text && !obstacle.plainBox) _AfxMessageBox(obstacle.text, MB_OK, "", nullptr);
            const CCascadeRow* row = m_plan[top].rules->row;
            if (ask && obstacle.inMember && row && row->stopMessage) _AfxMessageBox(row->stopMessage, MB_OK, "", nullptr);
            return false;
        }
        CSiblingGaps gaps(m_app);
        const bool done = Delete(top, ask, false, &users);
        gaps.Close();
        if (done && ask) m_app.Mtd_AllViews_Refresh(nullptr, nullptr, 0);
        return done;
    }

private:
    // One resource the deletion reaches, with the members of its row's lists
    // as they were read once, before the first change.
    struct CPlanned {
        URI_Ref rsc;
        const CClassRules* rules = nullptr;
        size_t lists = 0;  // place in m_lists of its row's first list
        bool editable = false;
        bool gone = false;  // while planning: deleted before what is looked at now
    };
    // One list of a planned resource: its members' places in m_plan are
    // m_members[begin, end).
    struct CPlannedList {
        size_t begin = 0;
        size_t end = 0;
        bool readable = false;
    };

    // The deletion of a planned resource, its members first, each list as
    // it was planned less the members already gone. `gapNoted`: the
    // resource is a member of its owner's own sibling list, which its
    // owner's deletion notes once, when members of it stay. `users`: those
    // of the resource Run found; a member's are found here.
    bool Delete(size_t planned, bool ask, bool gapNoted, const kiln::editing::CMemberUsers* found = nullptr) {
        const CPlanned& p = m_plan[planned];
        const URI_Ref& rsc = p.rsc;
        if (!p.editable) {
            _AfxMessageBox(kLockedMessage, MB_OK, "", nullptr);
            return false;
        }
        const kiln::editing::CMemberUsers users = found ? *found : UsersOf(rsc);
        const CString enumText = rsc.sClass == "sec:EnumVal" ? kiln::editing::EnumValueText(m_app, rsc) : CString();
        CBulkScope bulk(m_app.m_bBulkDelete, p.rules->bulk);
        if (!PassesRefusals(rsc, p.rules->refusable)) return false;

        if (const CCascadeRow* row = p.rules->row) {
            for (size_t k = 0; k < row->lists.size(); ++k) {
                if (!DeleteMembers(planned, k, ask, row->stopMessage)) return false;
            }
        }
        if (rsc.sClass == "sec:ICD" && !m_app.DocMtd_getFirstUri_ofAsso(rsc, "sec:ICD.TypePackage").IsEmpty()) {
            _AfxMessageBox("因为还存在属于该ICD工程的配置类型包，不能删除！", MB_OK, "", nullptr);
            return false;
        }
        // A user that cannot go keeps the member.
        if (!kiln::editing::TakeUsersAway(m_app, users, enumText)) return false;
        if (rsc.sClass == "sec:Log") ForgetLog(rsc);
        const std::vector<URI_Ref> namers = rsc.sClass == "sec:LNode" ? NamersOfNode(rsc) : std::vector<URI_Ref>();
        // The others close the gap when the deletion ends.
        if (!gapNoted) CSiblingGaps::Leaves(rsc);
        const URI_Ref valueOwner = rsc.sClass == "sec:Val" ? kiln::core::ValOwner(m_app, rsc) : URI_Ref();
        if (!m_app.DocMtd_delete_a_Rsc(rsc)) {
            _AfxMessageBox("删除资源时发生错误！", MB_OK, "", nullptr);
            return false;
        }
        // The owner's own value is that of its first value left.
        if (valueOwner.IsSet()) kiln::core::KeepOwnValue(m_app, valueOwner);
        // Once the node is gone they name no node, rather than one the model
        // no longer has.
        for (const URI_Ref& user : namers)
            for (const char* attr : kiln::core::kNodeRefAttributes) {
                const CString keptRole = CString(user.sClass.c_str()) + "." + attr;
                if (!m_app.DocMtd_getValue_ofAttr(user, keptRole).IsEmpty())
                    m_app.DocMtd_Modify_attribute_value(user, keptRole, CString());
            }
        return true;
    }

    bool Editable(const URI_Ref& rsc) {
        CString domain;
        m_app.DocMtd_DEnv_Get_Rsc_Domain(rsc, domain);
        return m_app.DocMtd_DEnv_IsDomainEditable(domain);
    }

    // What names a type's member by its name goes with it; a package,
    // product or ICD deleted whole takes its nodes along anyway.
    kiln::editing::CMemberUsers UsersOf(const URI_Ref& rsc) {
        if (m_app.m_bBulkDelete || !kiln::editing::IsTypeMemberClass(rsc.sClass)) return kiln::editing::CMemberUsers();
        return kiln::editing::UsersOfMember(m_app, rsc);
    }

    bool Confirmed(const URI_Ref& rsc, const kiln::editing::CMemberUsers& users) {
        URI_Ref shown = rsc;
        const CString question = "确实要删除“" + m_app.GetRscText(shown, true, true) + "”吗？" + UsersLeft(rsc) +
                                 kiln::editing::UsersQuestionLines(users);
        return _AfxMessageBox(question, MB_YESNO, "$?$删除确认", nullptr) == IDYES;
    }

    // Reads everything the cascade reaches from the resource, itself
    // included, into the plan once; a resource reached again (through a
    // second list) is the same place. Its place in m_plan.
    size_t Gather(URI_Ref&& rsc) {
        if (const auto known = m_index.find(rsc.sUri); known != m_index.end()) return known->second;
        const size_t place = m_plan.size();
        CPlanned& p = m_plan.emplace_back();
        p.rsc = std::move(rsc);
        p.rules = &RulesOf(p.rsc.sClass);
        p.editable = Editable(p.rsc);
        m_index.emplace(p.rsc.sUri, place);  // the deque keeps the text where it is
        const CCascadeRow* row = p.rules->row;
        if (!row) return place;
        // The lists' places come first, so that they lie together.
        p.lists = m_lists.size();
        m_lists.resize(m_lists.size() + row->lists.size());
        for (size_t k = 0; k < row->lists.size(); ++k) {
            std::vector<URI_Ref> members;
            URI_Ref last;
            const bool readable = m_app.DocMtd_get_descendent_BUris(p.rsc, row->lists[k].path, members, last,
                                                                    kRoleOrd, SortPolicy_ByOrd) != 0;
            const size_t begin = m_members.size();
            m_members.resize(begin + members.size());
            m_lists[p.lists + k] = {begin, m_members.size(), readable};
            for (size_t i = 0; i < members.size(); ++i) {
                const size_t member = Gather(std::move(members[i]));
                m_members[begin + i] = member;
            }
        }
        return place;
    }

    // What would stop the deletion of the planned resource, walked in the
    // order the deletion goes: what is marked gone is deleted before. A
    // member that a list passes over does not stop its owner.
    struct CObstacle {
        bool found = false;
        const char* text = nullptr;  // nullptr: a list that cannot be read, said by nobody
        bool plainBox = false;
        bool inMember = false;
    };
    CObstacle Obstacle(size_t planned, bool top) {
        CPlanned& p = m_plan[planned];
        if (!top && !p.editable) return {true, kLockedMessage, false, false};
        CBulkScope bulk(m_app.m_bBulkDelete, p.rules->bulk);
        if (p.rules->refusable)
            if (const CRefusal* refusal = FirstRefusal(p.rsc, true)) return {true, refusal->message, false, false};
        if (BarredIed(p.rsc)) return {true, kIedMappedMessage, true, false};
        if (const CCascadeRow* row = p.rules->row) {
            for (size_t k = 0; k < row->lists.size(); ++k) {
                const CPlannedList list = m_lists[p.lists + k];
                if (!list.readable) return {true, nullptr, false, false};
                for (size_t i = list.begin; i < list.end; ++i) {
                    CObstacle inner = Obstacle(m_members[i], false);
                    if (!inner.found || !row->lists[k].stops) continue;
                    inner.inMember = true;
                    return inner;
                }
            }
        }
        p.gone = true;
        return {};
    }

    bool Planned(const URI_Ref& rsc) const { return m_index.count(rsc.sUri) != 0; }
    bool PlannedGone(const URI_Ref& rsc) const {
        const auto found = m_index.find(rsc.sUri);
        return found != m_index.end() && m_plan[found->second].gone;
    }

    // The first refusal whose users are still there: not deleted before it
    // (marked gone, `planning`; the document itself, when deleting) and, of a
    // refusal that a whole package, product or ICD overrides, not deleted with it.
    const CRefusal* FirstRefusal(const URI_Ref& rsc, bool planning) {
        for (const CRefusal& refusal : kRefusals) {
            if (rsc.sClass != refusal.cls) continue;
            const bool whole = refusal.onlyOutsideBulk && m_app.m_bBulkDelete;
            std::vector<URI_Ref> users;
            if (!m_app.DocMtd_get_Association_BUris(rsc, refusal.asso, users, kRoleOrd, SortPolicy_ByOrd))
                return &refusal;
            for (const URI_Ref& user : users)
                if (whole ? !Planned(user) : !(planning && PlannedGone(user))) return &refusal;
        }
        return nullptr;
    }

    bool BarredIed(const URI_Ref& rsc) {
        return rsc.sClass == "sec:IED" && !m_app.DocMtd_getFirstUri_ofAsso(rsc, "sec:IED.ICD/sec:ICD.M2I").IsEmpty();
    }

    // The control blocks a data set or a log leaves without one, the mapping
    // items that go with an information item and those a node, or a device
    // with its nodes, leaves without one, as a line after the question; ""
    // for anything else.
    CString UsersLeft(const URI_Ref& rsc) {
        if (rsc.sClass == "sec:InfoItem" || rsc.sClass == "sec:LNode" || rsc.sClass == "sec:LDevice") {
            const bool item = rsc.sClass == "sec:InfoItem";
            std::vector<URI_Ref> users;
            if (item) {
                m_app.DocMtd_get_Association_BUris(rsc, "sec:InfoItem.MapItem", users, kRoleOrd, SortPolicy_ByOrd);
            } else {
                URI_Ref last;
                m_app.DocMtd_get_descendent_BUris(
                    rsc, rsc.sClass == "sec:LDevice" ? "sec:LDevice.LNodes/sec:LNode.DARefs" : "sec:LNode.DARefs",
                    users, last, kRoleOrd, SortPolicy_ByOrd);
            }
            CString names;
            for (const URI_Ref& user : users)
                if (user.sClass == "sec:MapItem")
                    names += (names.IsEmpty() ? "" : "、") + m_app.DocMtd_getValue_ofAttr(user, kiln::core::kRoleName);
            if (names.IsEmpty()) return CString();
            return (item ? "\n删除后以下映射条目将一并删除：" : "\n删除后以下映射条目将没有逻辑节点：") + names;
        }
        if (rsc.sClass == "sec:Log") {
            CString names;
            std::vector<URI_Ref> blocks;
            m_app.DocMtd_get_Association_BUris(rsc, "sec:Log.LCBs", blocks, kRoleOrd, SortPolicy_ByOrd);
            for (const URI_Ref& block : blocks)
                names += (names.IsEmpty() ? "" : "、") + m_app.DocMtd_getValue_ofAttr(block, kiln::core::kRoleName);
            return names.IsEmpty() ? CString() : "\n删除后以下控制块将没有日志：" + names;
        }
        if (rsc.sClass != "sec:DataSet") return CString();
        const URI_Ref lnode = m_app.DocMtd_getFirstUri_ofAsso(rsc, "sec:DataSet.LNode");
        CString names;
        for (const char* role : {"sec:LNode.RCBs", "sec:LNode.LCBs"}) {
            std::vector<URI_Ref> blocks;
            m_app.DocMtd_get_Association_BUris(lnode, role, blocks, kRoleOrd, SortPolicy_ByOrd);
            for (const URI_Ref& block : blocks)
                if (m_app.DocMtd_getFirstUri_ofAsso(block, block.sClass + ".DataSet") == rsc)
                    names += (names.IsEmpty() ? "" : "、") + m_app.DocMtd_getValue_ofAttr(block, kiln::core::kRoleName);
        }
        return names.IsEmpty() ? CString() : "\n删除后以下控制块将没有数据集：" + names;
    }

    // The log control blocks of the log keep no name or node of it their
    // file gave: they name no log once it is gone.
    void ForgetLog(const URI_Ref& log) {
        std::vector<URI_Ref> blocks;
        m_app.DocMtd_get_Association_BUris(log, "sec:Log.LCBs", blocks, kRoleOrd, SortPolicy_ByOrd);
        for (const URI_Ref& block : blocks) {
            if (!m_app.DocMtd_getValue_ofAttr(block, "sec:LCB.logName").IsEmpty())
                m_app.DocMtd_Modify_attribute_value(block, "sec:LCB.logName", CString());
            for (const kiln::core::SclAttrRole& r : kiln::core::kLogRefAttrRoles)
                if (!m_app.DocMtd_getValue_ofAttr(block, r.role).IsEmpty())
                    m_app.DocMtd_Modify_attribute_value(block, r.role, CString());
        }
    }

    // The inputs and clients that name the node: its deletion takes from
    // them the names their file gave it.
    std::vector<URI_Ref> NamersOfNode(const URI_Ref& lnode) {
        std::vector<URI_Ref> namers;
        for (const char* role : {"sec:LNode.DARefs", "sec:LNode.ClientLNs"}) {
            std::vector<URI_Ref> users;
            m_app.DocMtd_get_Association_BUris(lnode, role, users, kRoleOrd, SortPolicy_ByOrd);
            for (const URI_Ref& user : users)
                if (user.sClass == "sec:ExtRef" || user.sClass == "sec:ClientLN") namers.push_back(user);
        }
        return namers;
    }

    // `refusable`: the resource is of a class that a usage refusal names.
    bool PassesRefusals(const URI_Ref& rsc, bool refusable) {
        if (const CRefusal* refusal = refusable ? FirstRefusal(rsc, false) : nullptr) {
            _AfxMessageBox(refusal->message, MB_OK, "", nullptr);
            return false;
        }
        if (BarredIed(rsc)) {
            AfxMessageBox(kIedMappedMessage, MB_OK);
            return false;
        }
        return true;
    }

    // Deletes the members of the planned resource's list `k` that are still
    // there; false when the list cannot be read or a member that stops its
    // owner could not be deleted.
    bool DeleteMembers(size_t owner, size_t k, bool ask, const char* stopMessage) {
        const CMemberList& list = m_plan[owner].rules->row->lists[k];
        const CPlannedList planned = m_lists[m_plan[owner].lists + k];
        if (!planned.readable) return false;
        std::vector<size_t> members;
        for (size_t i = planned.begin; i < planned.end; ++i)
            if (m_app.m_Doc.Exists(m_plan[m_members[i]].rsc)) members.push_back(m_members[i]);
        if (members.empty()) return true;
        const URI_Ref& first = m_plan[members.front()].rsc;
        const bool own = IsOwnSiblingList(m_app, list.path, first);
        bool complete = true, stopped = false;
        for (const size_t member : members) {
            if (Delete(member, false, own)) continue;
            complete = false;
            if (list.stops) {
                stopped = true;
                break;
            }
        }
        // An own list whose members all went is empty: only one that keeps
        // members has a gap to close.
        if (own && !complete) CSiblingGaps::Note(m_plan[owner].rsc, list.path, first.sClass);
        if (!stopped) return true;
        if (ask && stopMessage) _AfxMessageBox(stopMessage, MB_OK, "", nullptr);
        return false;
    }

    static constexpr const char* kIedMappedMessage = "存在M2I映射,不能删除IED";
    static constexpr const char* kLockedMessage = "当前域不可编辑！-W0090";

    CKiln_Main& m_app;
    std::deque<CPlanned> m_plan;                           // what the deletion asked for takes with it
    std::unordered_map<std::string_view, size_t> m_index;  // places in m_plan by identifier
    std::vector<CPlannedList> m_lists;
    std::vector<size_t> m_members;
};

}  // namespace

bool CKiln_Main::Rsc_Delete(URI_Ref rsc, bool bAsk) { return CDeletion(*this).Run(rsc, bAsk); }

bool CKiln_Main::Rsc_DeleteEach(const std::vector<URI_Ref>& rscs) {
    CSiblingGaps gaps(*this);
    bool all = true;
    for (const URI_Ref& rsc : rscs) all = CDeletion(*this).Run(rsc, false) && all;
    gaps.Close();
    return all;
}
