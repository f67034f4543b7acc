// Bulk reads: the values of a whole member list at once, for writers that
// walk hundreds of thousands of members and need a few texts of each.
#include <algorithm>

#include "platform/framework/cim_doc.h"
#include "platform/framework/cim_store.h"
#include "platform/mfc/text_funcs.h"

using namespace kiln::cim;

bool CBase_CimDoc::ValuesOf(const URI_Ref& rsc, const std::vector<CString>& roles,
                            std::vector<std::string_view>& out) const {
    const Store& s = *m_p;
    out.assign(roles.size(), std::string_view());
    if (!Usable("query")) return false;
    const Idx i = s.Find(rsc);
    if (i == kNone) return Fail("对象不存在：" + CString(rsc.sUri));
    const Resource& res = s.R(i);
    // The ids of the roles last asked for are kept: a writer asks the same
    // for every resource of a kind.
    if (m_valueSchema != s.schema || m_valueNames != roles) {
        m_valueSchema = s.schema;
        m_valueNames = roles;
        m_valueIds.clear();
        for (const CString& role : roles) m_valueIds.push_back(s.RoleId(role.str()));
    }
    // A resource holds values of the roles of its class only.
    for (size_t v = 0; v < roles.size(); ++v) {
        const int r = m_valueIds[v];
        for (const AttrVal& a : res.attrs)
            if (a.role == r) {
                out[v] = std::string_view(a.value.data(), a.value.size());
                break;
            }
    }
    return true;
}

bool CBase_CimDoc::MemberValuesByOrd(const URI_Ref& rsc, const CString& role, const std::vector<CString>& values,
                                     std::vector<std::string_view>& out, const std::vector<CString>* marks,
                                     bool* marked) const {
    const Store& s = *m_p;
    out.clear();
    if (marked) *marked = false;
    if (!Usable("query")) return false;
    const Idx start = s.Find(rsc);
    if (start == kNone) return Fail("对象不存在：" + CString(rsc.sUri));
    const CCimSchema& sc = *s.schema;
    const int r = s.RoleId(role.str());
    if (r < 0 || sc.Role(r).kind != RoleKind::Association || !sc.RoleApplies(r, s.R(start).cls)) return true;
    const std::vector<Idx>* targets = s.Links(start, r);
    if (!targets || targets->empty()) return true;

    const int ordRole = s.RoleId("e301:OrdNaming.ord");
    std::vector<int> roles;
    roles.reserve(values.size());
    for (const CString& v : values) roles.push_back(s.RoleId(v.str()));
    const size_t width = roles.size();

    // One pass over each member's values gives its order number and its
    // texts; which roles apply is worked out once per class (the members of
    // a list are nearly always of one class).
    struct Row {
        long long key;
        Idx i;
        size_t at;  // the member's first text in `texts`
    };
    std::vector<Row> rows;
    rows.reserve(targets->size());
    std::vector<std::string_view> texts(targets->size() * width);
    std::vector<int> applied(width, -1);  // roles[v] where it applies to memoClass, else -1
    // An association role among the values gives a mark, not a text: "1"
    // when the member has a target along it.
    std::vector<int> links;
    for (size_t v = 0; v < width; ++v)
        if (roles[v] >= 0 && sc.Role(roles[v]).kind == RoleKind::Association) links.push_back(static_cast<int>(v));
    static constexpr std::string_view kLinked = "1";
    // The roles whose text or target marks the list, as a table by role id:
    // a member holds only roles that apply to it. The table of the last
    // names asked for is kept, since a writer asks the same for every list.
    const bool marking = marks && marked;
    if (marking && m_markNames != *marks) {
        m_markNames = *marks;
        m_markTable.assign(static_cast<size_t>(sc.RoleCount()), 0);
        for (const CString& m : *marks)
            if (const int id = s.RoleId(m.str()); id >= 0) m_markTable[static_cast<size_t>(id)] = 1;
    }
    const uint8_t* markTable = m_markTable.data();
    const size_t markRoles = marking ? m_markTable.size() : 0;
    auto isMark = [markTable, markRoles](uint16_t role) { return role < markRoles && markTable[role]; };
    bool isMarked = false;
    int ordApplied = -1;
    int memoClass = -1;
    // The members lie apart in memory: each one's record is fetched a few
    // members ahead, and its values list once the record has arrived.
    constexpr size_t kAhead = 4;
    const std::vector<Idx>& list = *targets;
    for (size_t k = 0; k < list.size() && k < kAhead; ++k) __builtin_prefetch(&s.R(list[k]));
    for (size_t k = 0; k < list.size(); ++k) {
        if (k + kAhead < list.size()) __builtin_prefetch(&s.R(list[k + kAhead]));
        if (k + kAhead / 2 < list.size()) __builtin_prefetch(s.R(list[k + kAhead / 2]).attrs.data());
        const Idx i = list[k];
        const Resource& res = s.R(i);
        if (res.cls != memoClass) {
            memoClass = res.cls;
            ordApplied = ordRole >= 0 && sc.RoleApplies(ordRole, memoClass) ? ordRole : -1;
            for (size_t v = 0; v < width; ++v)
                applied[v] = roles[v] >= 0 && sc.RoleApplies(roles[v], memoClass) ? roles[v] : -1;
        }
        const size_t at = rows.size() * width;
        long long key = 0;
        bool ordFound = false;
        // The first value of a role counts, as Store::Attr reads it. The
        // marks are roles other than those read, so the same pass looks for
        // them (by table, only while none is found).
        bool markSeen = false;
        const bool lookForMarks = marking && !isMarked;
        for (const AttrVal& a : res.attrs) {
            if (!ordFound && a.role == ordApplied) {
                key = kiln::text::AtoiValue(a.value);
                ordFound = true;
            }
            for (size_t v = 0; v < width; ++v)
                if (a.role == applied[v] && texts[at + v].data() == nullptr)
                    texts[at + v] = std::string_view(a.value.data(), a.value.size());
            markSeen |= lookForMarks && isMark(a.role) && !a.value.empty();
        }
        isMarked = isMarked || markSeen;
        // A list with holes may mark the members without a live target: the
        // caller then reads the values themselves, and finds none.
        // A member with one list of links has only the one to its owner.
        if (marking && !isMarked && res.links.size() > 1)
            for (const LinkList& l : res.links) isMarked = isMarked || (!l.targets.empty() && isMark(l.role));
        for (int v : links)
            if (applied[static_cast<size_t>(v)] >= 0) {
                const std::vector<Idx>* t = s.Links(i, applied[static_cast<size_t>(v)]);
                if (t && !t->empty()) texts[at + static_cast<size_t>(v)] = kLinked;
            }
        rows.push_back({key, i, at});
    }
    std::sort(rows.begin(), rows.end(),
              [](const Row& a, const Row& b) { return a.key != b.key ? a.key < b.key : a.i < b.i; });

    if (marked) *marked = isMarked;
    out.reserve(rows.size() * width);
    for (const Row& r : rows)
        for (size_t v = 0; v < width; ++v) {
            const std::string_view text = texts[r.at + v];
            out.emplace_back(text.data() ? text : std::string_view());
        }
    return true;
}
