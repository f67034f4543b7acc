// Bulk reads: the values of a whole member list at once, for writers that
// walk hundreds of thousands of members and need a few texts of each.
#include <algorithm>

#include "platform/framework/cim_doc.h"
#include "platform/framework/cim_store.h"
#include "platform/mfc/text_funcs.h"

using namespace kiln::cim;

bool CBase_CimDoc::MemberValuesByOrd(const URI_Ref& rsc, const CString& role, const std::vector<CString>& values,
                                     std::vector<std::string_view>& out) const {
    const Store& s = *m_p;
    out.clear();
    if (!Usable("query")) return false;
    const Idx start = s.Find(rsc);
    if (start == kNone) return Fail("对象不存在：" + CString(rsc.sUri));
    const CCimSchema& sc = *s.schema;
    const int r = s.RoleId(role.str());
    if (r < 0 || sc.Role(r).kind != RoleKind::Association || !sc.RoleApplies(r, s.R(start).cls)) return true;
    const std::vector<Idx>* targets = s.Links(start, r);
    if (!targets || targets->empty()) return true;

    const int ordRole = s.RoleId("e301:OrdNaming.ord");
    std::vector<std::pair<long long, Idx>> keyed;
    keyed.reserve(targets->size());
    for (Idx i : *targets) {
        const std::string* v = ordRole >= 0 && sc.RoleApplies(ordRole, s.R(i).cls) ? s.Attr(i, ordRole) : nullptr;
        keyed.emplace_back(v ? kiln::text::AtoiValue(*v) : 0, i);
    }
    std::sort(keyed.begin(), keyed.end());

    std::vector<int> roles;
    roles.reserve(values.size());
    for (const CString& v : values) roles.push_back(s.RoleId(v.str()));
    out.reserve(keyed.size() * roles.size());
    for (const auto& [key, i] : keyed) {
        const Resource& res = s.R(i);
        for (int vr : roles) {
            const std::string* text = vr >= 0 && sc.RoleApplies(vr, res.cls) ? s.Attr(i, vr) : nullptr;
            out.emplace_back(text ? std::string_view(*text) : std::string_view());
        }
    }
    return true;
}
