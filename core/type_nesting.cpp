#include "core/type_nesting.h"

#include <algorithm>
#include <unordered_map>
#include <utility>

namespace kiln::core {

bool PathPassesBound(const CString& path) {
    size_t parts = 1;
    for (const char c : path.str())
        if (c == '.' && ++parts > kTypeNestingBound + 1) return true;
    return false;
}

CString TypeBudgetText(size_t budget) { return "类型嵌套展开超过" + CString(std::to_string(budget).c_str()) + "条路径"; }

CString TypeBoundText() { return "类型嵌套超过" + CString(std::to_string(kTypeNestingBound).c_str()) + "层"; }

CString TypePathStopText(CKiln_Main& app, const TypePath& onPath, const URI_Ref& type) {
    if (onPath.entries > kTypeEntryBudget) return TypeBudgetText();
    if (!type.IsSet()) return CString();
    if (onPath.count(type.sUri)) return "类型嵌套形成闭环：" + app.DocMtd_getValue_ofAttr(type, kRoleName);
    return TypeBoundText();
}

void TypeWalkSteps::Clear(size_t budget) {
    m_steps.resize(1);
    m_entries = 0;
    m_budget = std::max(budget, kTypeEntryBudget);
    m_saidSpent = false;
    m_types.clear();
    m_typeIds.clear();
    ++m_generation;
}

size_t TypeWalkSteps::Valid(int id, int generation) const {
    return generation == m_generation && id > 0 && static_cast<size_t>(id) < m_steps.size() ? static_cast<size_t>(id)
                                                                                             : 0;
}

size_t TypeWalkSteps::Begin() {
    ++m_entries;
    m_steps.push_back(Step{0, 0});
    return m_steps.size() - 1;
}

size_t TypeWalkSteps::Take(size_t from) {
    if (++m_entries > m_budget) return 0;
    m_steps.push_back(Step{static_cast<uint32_t>(from), 0});
    return m_steps.size() - 1;
}

TypePath TypeWalkSteps::PathOf(size_t step) const {
    TypePath path;
    for (size_t s = step; s != 0; s = m_steps[s].above)
        if (m_steps[s].type != 0) path.insert(m_types[m_steps[s].type - 1]);
    return path;
}

CString TypeWalkSteps::Enter(CKiln_Main& app, size_t step, const URI_Ref& type) {
    // The path checks the nesting; the budget is the generation's own.
    if (++m_entries > m_budget) return SpentText();
    TypePath path = PathOf(step);
    if (!EnterTypePath(path, type)) return TypePathStopText(app, path, type);
    const auto [id, added] = m_typeIds.try_emplace(type.sUri, static_cast<uint32_t>(m_types.size() + 1));
    if (added) m_types.push_back(type.sUri);
    m_steps[step].type = id->second;
    return CString();
}

bool TypeWalkSteps::SaidSpent() { return std::exchange(m_saidSpent, true); }

namespace {

// The types a DO or DA type holds members of, in member order; `members`
// counts its members, those without a type too.
std::vector<URI_Ref> InnerTypes(CKiln_Main& app, const URI_Ref& type, size_t& members) {
    struct Step {
        const char* members;
        const char* typeRole;
    };
    static const std::vector<Step> kDOType = {{"sec:DOType.Contains_SDOs", "sec:SDO.DefinedBy_DOType"},
                                              {"sec:DOType.Contains_DAs", "sec:BDA.DefinedBy_Struct"}};
    static const std::vector<Step> kDAType = {{"sec:DAType.Contains_BDAs", "sec:BDA.DefinedBy_Struct"}};
    std::vector<URI_Ref> inner;
    for (const Step& step : type.sClass == "sec:DOType" ? kDOType : kDAType) {
        std::vector<URI_Ref> stepMembers;
        app.DocMtd_get_Association_BUris(type, step.members, stepMembers, kRoleOrd, SortPolicy_ByOrd);
        members += stepMembers.size();
        for (const URI_Ref& m : stepMembers) {
            const URI_Ref t = app.DocMtd_getFirstUri_ofAsso(m, step.typeRole);
            if (t.IsSet()) inner.push_back(t);
        }
    }
    return inner;
}

// One type met by the walk of the nesting.
struct Met {
    std::vector<URI_Ref> inner;
    size_t next = 0;       // the inner type to look at next
    size_t height = 1;     // the types along its deepest path, itself included
    size_t paths = 0;      // the paths below it, up to one past kTypeEntryBudget
    bool done = false;     // its height is known
    bool cycle = false;    // a path from it comes back to it
    bool inside = false;   // it lies inside a type that nests too deep
    bool insideWide = false;  // it lies inside a type that holds too many paths
};

// Adds the paths of a member of type `inner` to those of its type.
void AddPaths(Met& outer, const Met& inner) {
    outer.paths = std::min(outer.paths + inner.paths, kTypeEntryBudget + 1);
}

Met MetType(CKiln_Main& app, const URI_Ref& type) {
    Met m;
    m.inner = InnerTypes(app, type, m.paths);
    m.paths = std::min(m.paths, kTypeEntryBudget + 1);
    return m;
}

}  // namespace

std::vector<TypeNestingFault> TypeNestingFaults(CKiln_Main& app, const std::vector<URI_Ref>& types) {
    const CString bound = CString(std::to_string(kTypeNestingBound).c_str());
    std::unordered_map<std::string, Met> met;
    // Depth first with a stack of its own; a type met again while on the
    // stack closes a cycle and adds nothing to the height.
    for (const URI_Ref& root : types) {
        if (root.sClass != "sec:DOType" && root.sClass != "sec:DAType") continue;
        if (met.count(root.sUri)) continue;
        std::vector<URI_Ref> stack{root};
        met[root.sUri] = MetType(app, root);
        while (!stack.empty()) {
            Met& top = met[stack.back().sUri];
            if (top.next == top.inner.size()) {
                top.done = true;
                const size_t height = top.height;
                const std::string uri = stack.back().sUri;
                stack.pop_back();
                if (!stack.empty()) {
                    Met& outer = met[stack.back().sUri];
                    outer.height = std::max(outer.height, height + 1);
                    AddPaths(outer, met[uri]);
                }
                continue;
            }
            const URI_Ref inner = top.inner[top.next++];
            auto [it, added] = met.try_emplace(inner.sUri);
            if (added) {
                it->second = MetType(app, inner);
                stack.push_back(inner);
            } else if (!it->second.done) {
                it->second.cycle = true;
            } else {
                top.height = std::max(top.height, it->second.height + 1);
                AddPaths(top, it->second);
            }
        }
    }
    for (auto& [uri, m] : met) {
        if (m.height > kTypeNestingBound)
            for (const URI_Ref& t : m.inner) met[t.sUri].inside = true;
        if (m.paths > kTypeEntryBudget)
            for (const URI_Ref& t : m.inner) met[t.sUri].insideWide = true;
    }

    // The chains of bases, each length found once.
    std::unordered_map<std::string, size_t> chainLength;
    std::set<std::string> baseOfDeep;
    for (const URI_Ref& root : types) {
        if (root.sClass != "sec:LNodeType" || chainLength.count(root.sUri)) continue;
        std::vector<URI_Ref> chain;
        std::set<std::string> onChain;
        URI_Ref stop;  // the base the chain ends on, its length known
        size_t below = 0;
        for (URI_Ref t = root; t.IsSet();) {
            if (auto known = chainLength.find(t.sUri); known != chainLength.end()) {
                below = known->second;
                stop = t;
                break;
            }
            if (!onChain.insert(t.sUri).second) break;  // a circle: the checks name it
            chain.push_back(t);
            t = app.DocMtd_getFirstUri_ofAsso(t, "sec:LNodeType.Abstract_Type");
        }
        for (size_t i = chain.size(); i-- > 0;) {
            chainLength[chain[i].sUri] = ++below;
            const URI_Ref& base = i + 1 < chain.size() ? chain[i + 1] : stop;
            if (below > kTypeNestingBound && base.IsSet()) baseOfDeep.insert(base.sUri);
        }
    }

    std::vector<TypeNestingFault> faults;
    for (const URI_Ref& t : types) {
        const CString name = app.DocMtd_getValue_ofAttr(t, kRoleName);
        if (t.sClass == "sec:LNodeType") {
            auto length = chainLength.find(t.sUri);
            if (length != chainLength.end() && length->second > kTypeNestingBound && !baseOfDeep.count(t.sUri))
                faults.push_back({t, "基于的基类(zScl:base)超过" + bound + "层"});
            continue;
        }
        auto m = met.find(t.sUri);
        if (m == met.end()) continue;
        if (m->second.cycle) faults.push_back({t, "类型嵌套形成闭环：" + name});
        if (m->second.height > kTypeNestingBound && !m->second.inside)
            faults.push_back({t, TypeBoundText()});
        if (m->second.paths > kTypeEntryBudget && !m->second.insideWide)
            faults.push_back({t, TypeBudgetText()});
    }
    return faults;
}

}  // namespace kiln::core
