// Upkeep of the references of an M2I's mapping items: the names of their
// targets that no longer resolve in the model are emptied.
#include <vector>

#include "core/map_item_target.h"

using kiln::core::kRoleOrd;

namespace {

constexpr const char* kDoName = "sec:DARef.doName";
constexpr const char* kDaName = "sec:DARef.daName";

}  // namespace

bool CKiln_Main::Refresh_M2I(URI_Ref m2i) {
    std::vector<URI_Ref> items;
    URI_Ref last;
    DocMtd_get_descendent_BUris(m2i, "sec:M2I.MapItems", items, last, kRoleOrd, SortPolicy_ByOrd);
    kiln::core::MapItemResolver targets(*this);
    for (const URI_Ref& item : items) {
        const MapItemTarget target = targets.Resolve(item).state;
        if (target == MapItemTarget::Gone) DocMtd_Modify_attribute_value(item, kDoName, "");
        if (target != MapItemTarget::Held) DocMtd_Modify_attribute_value(item, kDaName, "");
    }
    return true;
}

bool CKiln_Main::Rsc_Del_DA_M2I(URI_Ref m2i) {
    std::vector<URI_Ref> items;
    DocMtd_get_Association_BUris(m2i, "sec:M2I.MapItems", items, kRoleOrd, SortPolicy_ByOrd);
    for (const URI_Ref& item : items) DocMtd_Modify_attribute_value(item, kDaName, "");
    return true;
}
