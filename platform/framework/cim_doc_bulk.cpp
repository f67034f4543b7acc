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

    // The ids of the roles last asked for are kept: a writer asks the same
    // for every list.
    if (m_byOrdSchema != s.schema || m_byOrdNames != values) {
        m_byOrdSchema = s.schema;
        m_byOrdNames = values;
        m_byOrdIds.clear();
        for (const CString& v : values) m_byOrdIds.push_back(s.RoleId(v.str()));
        m_byOrdOrd = s.RoleId("e301:OrdNaming.ord");
    }
    if (m_byOrdSlots.size() < static_cast<size_t>(sc.RoleCount())) m_byOrdSlots.resize(static_cast<size_t>(sc.RoleCount()), 0);
    const int ordRole = m_byOrdOrd;
    const std::vector<int>& roles = m_byOrdIds;
    const size_t width = roles.size();

    // One pass over each member's values gives its order number and its
    // texts; which roles apply is worked out once per class (the members of
    // a list are nearly always of one class), as a table by role id: the
    // first of `values` that a role is (counted from 1), and whether it is
    // the order number's.
    struct Row {
        long long key;
        Idx i;
        size_t at;  // the member's first text in `texts`
    };
    std::vector<Row> rows;
    rows.reserve(targets->size());
    std::vector<std::string_view> texts(targets->size() * width);
    std::vector<int> applied(width, -1);  // roles[v] where it applies to memoClass, else -1
    constexpr uint32_t kOrdBit = 1u << 31, kSlotMask = kOrdBit - 1;
    uint32_t* const slots = m_byOrdSlots.data();
    const size_t slotCount = m_byOrdSlots.size();
    bool repeated = false;  // a role stands twice in `values`
    int ordApplied = -1;
    // Empties the table of the class last filled in; also when the call
    // ends, whatever happens, so that the next call finds it empty.
    auto clearSlots = [&] {
        for (const int r : applied)
            if (r >= 0) slots[r] = 0;
        if (ordApplied >= 0) slots[ordApplied] = 0;
    };
    struct ClearAtEnd {
        const decltype(clearSlots)& clear;
        ~ClearAtEnd() { clear(); }
    } clearAtEnd{clearSlots};
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
            clearSlots();
            ordApplied = ordRole >= 0 && sc.RoleApplies(ordRole, memoClass) ? ordRole : -1;
            for (size_t v = 0; v < width; ++v)
                applied[v] = roles[v] >= 0 && sc.RoleApplies(roles[v], memoClass) ? roles[v] : -1;
            for (size_t v = width; v-- > 0;)
                if (applied[v] >= 0) {
                    repeated = repeated || (slots[applied[v]] & kSlotMask) != 0;
                    slots[applied[v]] = (slots[applied[v]] & kOrdBit) | static_cast<uint32_t>(v + 1);
                }
            if (ordApplied >= 0) slots[ordApplied] |= kOrdBit;
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
            markSeen |= lookForMarks && isMark(a.role) && !a.value.empty();
            const uint32_t entry = a.role < slotCount ? slots[a.role] : 0;
            if (entry == 0) continue;
            if ((entry & kOrdBit) && !ordFound) {
                key = kiln::text::AtoiValue(a.value);
                ordFound = true;
            }
            if (const uint32_t slot = entry & kSlotMask) {
                const std::string_view text(a.value.data(), a.value.size());
                if (texts[at + slot - 1].data() == nullptr) texts[at + slot - 1] = text;
                // A role asked for twice gives its text twice.
                for (size_t v = slot; repeated && v < width; ++v)
                    if (applied[v] == a.role && texts[at + v].data() == nullptr) texts[at + v] = text;
            }
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
    if (marked) *marked = isMarked;
    // Members are mostly made in their order: the texts then stand as given.
    auto before = [](const Row& a, const Row& b) { return a.key != b.key ? a.key < b.key : a.i < b.i; };
    if (std::is_sorted(rows.begin(), rows.end(), before)) {
        out.swap(texts);
        return true;
    }
    std::sort(rows.begin(), rows.end(), before);
    out.reserve(rows.size() * width);
    for (const Row& r : rows)
        for (size_t v = 0; v < width; ++v) out.push_back(texts[r.at + v]);
    return true;
}
