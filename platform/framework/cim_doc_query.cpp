// The document's list queries: targets of a role, of a path, resources by
// class, each sorted once with keys computed once per member.
#include <algorithm>
#include <numeric>
#include <unordered_set>

#include "platform/framework/cim_doc.h"
#include "platform/framework/cim_store.h"
#include "platform/mfc/gbk.h"
#include "platform/mfc/text_funcs.h"

using namespace kiln::cim;

namespace {

bool IsAscii(const std::string& t) {
    for (unsigned char c : t)
        if (c >= 0x80) return false;
    return true;
}

// Sorts (number, index) pairs by number, then index, as std::sort would.
// Order numbers are nearly always a dense range (1..n): when the numbers span
// no more than about twice their count, each pair is placed by counting, and
// only the pairs that share a number are compared; otherwise it sorts.
void SortByNumber(std::vector<std::pair<long long, Idx>>& keyed) {
    const size_t n = keyed.size();
    if (n < 32) {
        std::sort(keyed.begin(), keyed.end());
        return;
    }
    long long lo = keyed[0].first, hi = keyed[0].first;
    for (const auto& [key, idx] : keyed) {
        lo = std::min(lo, key);
        hi = std::max(hi, key);
    }
    // The span in unsigned arithmetic: exact even for keys of opposite extremes.
    const unsigned long long span = static_cast<unsigned long long>(hi) - static_cast<unsigned long long>(lo);
    if (span > 2 * static_cast<unsigned long long>(n)) {
        std::sort(keyed.begin(), keyed.end());
        return;
    }
    auto bucket = [lo](long long key) {
        return static_cast<size_t>(static_cast<unsigned long long>(key) - static_cast<unsigned long long>(lo));
    };
    std::vector<uint32_t> start(static_cast<size_t>(span) + 2, 0);
    for (const auto& p : keyed) ++start[bucket(p.first) + 1];
    for (size_t b = 1; b < start.size(); ++b) start[b] += start[b - 1];
    std::vector<std::pair<long long, Idx>> placed(n);
    std::vector<uint32_t> next(start.begin(), start.end() - 1);
    for (const auto& p : keyed) placed[next[bucket(p.first)]++] = p;
    for (size_t b = 0; b + 1 < start.size(); ++b)
        if (start[b + 1] - start[b] > 1)
            std::sort(placed.begin() + start[b], placed.begin() + start[b + 1]);
    keyed.swap(placed);
}

// Sorts `items` (resource indices in link or discovery order) by the policy
// and writes their handles to `out`. Policy 1: GBK bytes of the attribute;
// 2: its bytes; 3: its atoi value; anything else keeps the order given. Ties
// keep creation order (the resource index).
void SortAndEmit(const Store& s, std::vector<Idx>& items, const CString& sortAttr, int policy,
                 std::vector<URI_Ref>& out) {
    const CCimSchema& sc = *s.schema;
    std::string attr = sortAttr.str();
    if (attr.empty() && policy == 1) attr = "cim:Naming.name";
    if (attr.empty() && policy == 3) attr = "e301:OrdNaming.ord";
    int role = attr.empty() ? -1 : s.RoleId(attr);
    auto valueOf = [&](Idx i) -> const std::string* {
        if (role < 0 || !sc.RoleApplies(role, s.R(i).cls)) return nullptr;
        return s.Attr(i, role);
    };
    static const std::string kEmpty;

    if (policy == 3) {
        std::vector<std::pair<long long, Idx>> keyed;
        keyed.reserve(items.size());
        for (Idx i : items) {
            const std::string* v = valueOf(i);
            keyed.emplace_back(v ? kiln::text::AtoiValue(*v) : 0, i);
        }
        SortByNumber(keyed);
        for (size_t k = 0; k < keyed.size(); ++k) items[k] = keyed[k].second;
    } else if (policy == 1 || policy == 2) {
        // Keys are computed once; the sort moves indices only. ASCII text is
        // its own GBK form, so only other names are converted (and stored).
        std::vector<std::string> converted;
        converted.reserve(items.size());  // no reallocation: the views below stay valid
        std::vector<std::string_view> keys(items.size());
        for (size_t k = 0; k < items.size(); ++k) {
            const std::string* v = valueOf(items[k]);
            const std::string& t = v ? *v : kEmpty;
            if (policy == 1 && !IsAscii(t)) {
                converted.push_back(kiln::text::Utf8ToGbk(t));
                keys[k] = converted.back();
            } else {
                keys[k] = t;
            }
        }
        std::vector<uint32_t> order(items.size());
        std::iota(order.begin(), order.end(), 0u);
        std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
            int c = keys[a].compare(keys[b]);
            return c != 0 ? c < 0 : items[a] < items[b];
        });
        std::vector<Idx> sorted(items.size());
        for (size_t k = 0; k < order.size(); ++k) sorted[k] = items[order[k]];
        items.swap(sorted);
    }
    out.clear();
    out.reserve(items.size());
    for (Idx i : items) out.push_back(s.Handle(i));
}

// The role id of one step of a path; -1 (walks empty) when it names no association.
int StepRole(const Store& s, std::string_view step) {
    const int r = s.RoleId(step);
    return r >= 0 && s.schema->Role(r).kind == RoleKind::Association ? r : -1;
}

// The role ids of a "/"-joined path; an unknown step is -1 and walks empty.
std::vector<int> PathRoles(const Store& s, const std::string& path) {
    std::vector<int> roles;
    size_t start = 0;
    while (true) {
        size_t slash = path.find('/', start);
        std::string_view step(path.data() + start, (slash == std::string::npos ? path.size() : slash) - start);
        roles.push_back(StepRole(s, step));
        if (slash == std::string::npos) break;
        start = slash + 1;
    }
    return roles;
}

// The targets of `i` along `role` when the role applies to its class.
const std::vector<Idx>* Step(const Store& s, Idx i, int role) {
    if (role < 0 || !s.schema->RoleApplies(role, s.R(i).cls)) return nullptr;
    return s.Links(i, role);
}

// Every resource reached along the first `steps` roles of the path (all of
// them by default), once each, in discovery order.
std::vector<Idx> Walk(const Store& s, Idx start, const std::vector<int>& roles, size_t steps = SIZE_MAX) {
    std::vector<Idx> frontier{start};
    for (size_t k = 0; k < roles.size() && k < steps; ++k) {
        const int role = roles[k];
        if (frontier.size() == 1) {
            // One resource's list: a link list never holds a target twice.
            const std::vector<Idx>* t = Step(s, frontier[0], role);
            if (!t) return {};
            frontier.assign(t->begin(), t->end());
            if (frontier.empty()) break;
            continue;
        }
        std::vector<Idx> next;
        uint32_t gen = s.NextMark();
        for (Idx i : frontier) {
            const std::vector<Idx>* t = Step(s, i, role);
            if (!t) continue;
            for (Idx k : *t) {
                if (s.mark[k] == gen) continue;
                s.mark[k] = gen;
                next.push_back(k);
            }
        }
        frontier.swap(next);
        if (frontier.empty()) break;
    }
    return frontier;
}

// The pick-th resource accepted by `matches` in the order Walk lists them,
// found depth first so that the search ends at the answer. Walk lists each
// resource at the place of its first path in link order, which is the order
// in which a depth-first search in link order first reaches it; a resource
// met again at the same step has been searched below already and is passed.
template <class Match>
Idx FindAlong(const Store& s, Idx start, const std::vector<int>& roles, int pick, const Match& matches) {
    std::vector<std::unordered_set<Idx>> seen(roles.size());
    auto visit = [&](auto& self, Idx i, size_t step) -> Idx {
        const std::vector<Idx>* t = Step(s, i, roles[step]);
        if (!t) return kNone;
        for (Idx k : *t) {
            if (!seen[step].insert(k).second) continue;
            if (step + 1 == roles.size()) {
                if (matches(k) && pick-- == 0) return k;
            } else if (const Idx found = self(self, k, step + 1); found != kNone) {
                return found;
            }
        }
        return kNone;
    };
    return visit(visit, start, 0);
}

}  // namespace

bool CBase_CimDoc::BeginQuery(const URI_Ref& start, std::vector<URI_Ref>& out, uint32_t& index) const {
    index = m_p->Find(start);
    // `start` may be an element of `out`: its identifier is read before the clear.
    if (index == kNone) {
        const CString missing = start.sUri;
        out.clear();
        if (!Usable("query")) return false;
        return Fail("对象不存在：" + missing);
    }
    out.clear();
    return Usable("query");
}

bool CBase_CimDoc::Targets(const URI_Ref& rsc, const CString& role, std::vector<URI_Ref>& out,
                           const CString& sortAttr, int policy) const {
    const Store& s = *m_p;
    Idx i = kNone;
    if (!BeginQuery(rsc, out, i)) return false;
    int r = s.RoleId(role.str());
    const std::vector<Idx>* t = (r >= 0 && s.schema->Role(r).kind == RoleKind::Association) ? Step(s, i, r) : nullptr;
    if (!t) return true;  // a role the class does not have has no targets
    std::vector<Idx> items(*t);
    SortAndEmit(s, items, sortAttr, policy, out);
    return true;
}

bool CBase_CimDoc::PathTargets(const URI_Ref& start, const CString& path, std::vector<URI_Ref>& out,
                               const CString& sortAttr, int policy) const {
    const Store& s = *m_p;
    Idx i = kNone;
    if (!BeginQuery(start, out, i)) return false;
    std::vector<Idx> items = Walk(s, i, PathRoles(s, path.str()));
    SortAndEmit(s, items, sortAttr, policy, out);
    return true;
}

bool CBase_CimDoc::ByClass(const CString& cls, std::vector<URI_Ref>& out, const CString& sortAttr,
                           int policy) const {
    const Store& s = *m_p;
    out.clear();
    if (!Usable("query")) return false;
    int c = s.schema->ClassId(cls.str());
    if (c < 0) return true;  // no resource has a class the schema does not know
    std::vector<Idx> items;
    for (Idx i : s.byClass[static_cast<size_t>(c)])
        if (s.R(i).alive) items.push_back(i);
    SortAndEmit(s, items, sortAttr, policy, out);
    return true;
}

URI_Ref CBase_CimDoc::FirstTarget(const URI_Ref& rsc, const CString& path, int index, const CString& cls,
                                  const URI_Ref& except, int* count) const {
    const Store& s = *m_p;
    if (count) *count = 0;
    if (!Usable("query")) return URI_Ref();
    Idx i = s.Find(rsc);
    if (i == kNone) {
        Fail("对象不存在：" + CString(rsc.sUri));
        return URI_Ref();
    }
    int want = cls.IsEmpty() ? -1 : s.schema->ClassId(cls.str());
    if (!cls.IsEmpty() && want < 0) return URI_Ref();
    const Idx skip = except.sUri.empty() ? kNone : s.Find(except);  // no resource has an empty identifier
    int pick = index < 0 ? 0 : index;
    auto matches = [&](Idx k) { return k != skip && (want < 0 || s.schema->IsA(s.R(k).cls, want)); };

    if (path.Find('/') < 0 && !count) {
        // The common case: one role, no count wanted; stop at the match.
        const std::vector<Idx>* t = Step(s, i, StepRole(s, path.str()));
        if (!t) return URI_Ref();
        for (Idx k : *t)
            if (matches(k) && pick-- == 0) return s.Handle(k);
        return URI_Ref();
    }
    std::vector<int> roles = PathRoles(s, path.str());
    if (!count) {
        const Idx k = FindAlong(s, i, roles, pick, matches);
        return k == kNone ? URI_Ref() : s.Handle(k);
    }
    std::vector<Idx> all = Walk(s, i, roles);
    URI_Ref found;
    int n = 0;
    for (Idx k : all) {
        if (!matches(k)) continue;
        if (n == pick) found = s.Handle(k);
        ++n;
    }
    if (count) *count = n;
    return found;
}

int CBase_CimDoc::CountTargets(const URI_Ref& rsc, const CString& path) const {
    const Store& s = *m_p;
    if (!Usable("query")) return -1;
    Idx i = s.Find(rsc);
    if (i == kNone) {
        Fail("对象不存在：" + CString(rsc.sUri));
        return -1;
    }
    if (path.Find('/') < 0) {
        const std::vector<Idx>* t = Step(s, i, StepRole(s, path.str()));
        return t ? static_cast<int>(t->size()) : 0;
    }
    std::vector<int> roles = PathRoles(s, path.str());
    // Walked up to the last step, whose targets are only counted.
    const std::vector<Idx> before = Walk(s, i, roles, roles.size() - 1);
    if (before.size() == 1) {
        const std::vector<Idx>* t = Step(s, before[0], roles.back());
        return t ? static_cast<int>(t->size()) : 0;
    }
    int n = 0;
    const uint32_t gen = s.NextMark();
    for (Idx k : before) {
        const std::vector<Idx>* t = Step(s, k, roles.back());
        if (!t) continue;
        for (Idx x : *t) {
            if (s.mark[x] == gen) continue;
            s.mark[x] = gen;
            ++n;
        }
    }
    return n;
}
