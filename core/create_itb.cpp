// Creators of an ICD's information table (ITB, information items and groups)
// and of its mapping onto the model (M2I and map items).
#include <vector>

#include "core/create_pattern.h"
#include "core/kiln_main.h"
#include "platform/ui/ui_functions.h"

using kiln::core::CMemberKind;
using kiln::core::CNewRsc;
using kiln::core::kErrCreatingRsc;
using kiln::core::kRoleName;
using kiln::core::kRoleOrd;
using kiln::core::NewMember;
using kiln::core::NewUnnumbered;

namespace {

constexpr CMemberKind kITB{"sec:ITB", "W0085", "sec:ICD", "指定ICD错误！", nullptr, "ITB", "sec:ITB.ICD"};
constexpr CMemberKind kInfoItem{"sec:InfoItem", "W0088", "sec:ITB", "指定ITB错误！", "sec:ITB.InfoItems", "Item",
                                "sec:InfoItem.ITB"};
constexpr CMemberKind kMapItem{"sec:MapItem", "W0089", "sec:M2I", "指定M2I错误！", "sec:M2I.MapItems", "Item",
                               "sec:MapItem.M2I"};

}  // namespace

bool CKiln_Main::NewRsc_ITB(URI_Ref* pOut, URI_Ref icd) { return NewUnnumbered(*this, pOut, icd, kITB); }

bool CKiln_Main::NewRsc_InfoItem(URI_Ref* pOut, URI_Ref itb) { return NewMember(*this, pOut, itb, kInfoItem); }

bool CKiln_Main::NewRsc_InfoGroup(URI_Ref* pOut, URI_Ref itb, CString name) {
    CNewRsc c(*this, pOut, "W0087");
    if (!c.Admit(itb, {"sec:ITB"}, "指定ITB错误！")) return false;
    // A given name must not be taken by a group of the table (case counts);
    // a generated one is not tested.
    if (!name.IsEmpty()) {
        std::vector<URI_Ref> groups;
        if (!DocMtd_get_Association_BUris(itb, "sec:ITB.InfoGroups", groups, kRoleOrd, SortPolicy_ByOrd))
            return false;
        for (const URI_Ref& group : groups) {
            CString groupName;
            DocMtd_get_attribute_value(group, kRoleName, groupName);
            if (groupName == name) {
                _AfxMessageBox("指定名称重复！", MB_OK, "", nullptr);
                return false;
            }
        }
    }
    if (name.IsEmpty()) name = "Group" + Get_NewRscSeq(itb, "sec:ITB.InfoGroups");
    return c.Build([&] {
        URI_Ref group = c.Create("sec:InfoGroup", name);
        c.Link(group, "sec:InfoGroup.ITB", itb);
        return group;
    });
}

bool CKiln_Main::NewRsc_M2I(URI_Ref* pOut, URI_Ref icd, URI_Ref itb, bool bMapItems) {
    CNewRsc c(*this, pOut, "W0086");
    if (!c.Admit(icd, {"sec:ICD"}, "指定ICD错误！")) return false;
    return c.Build([&] {
        URI_Ref m2i = c.Create("sec:M2I", "M2I");
        c.Link(m2i, "sec:M2I.ICD", icd);
        if (itb.IsSet()) c.Link(m2i, "sec:M2I.ITB", itb);
        if (itb.IsSet() && bMapItems) {
            // One map item per information item, in the table's order. A map
            // item that cannot be made takes the whole mapping back with it.
            std::vector<URI_Ref> items;
            URI_Ref last;
            c.Require(DocMtd_get_descendent_BUris(itb, "sec:ITB.InfoItems", items, last, kRoleOrd,
                                                  SortPolicy_ByOrd) != 0,
                      kErrCreatingRsc);
            for (const URI_Ref& item : items) {
                URI_Ref mapItem;
                c.Adopt(NewRsc_MapItem(&mapItem, m2i, item), mapItem);
            }
        }
        return m2i;
    });
}

bool CKiln_Main::NewRsc_MapItem(URI_Ref* pOut, URI_Ref m2i, URI_Ref infoItem) {
    CNewRsc c(*this, pOut, kMapItem.lockNo);
    if (!c.Admit(m2i, kMapItem)) return false;
    const CString n = Get_NewRscSeq(m2i, kMapItem.parentRole);
    return c.Build([&] {
        URI_Ref mapItem = c.CreateMember(kMapItem, m2i, n, n);
        if (infoItem.IsSet()) c.Link(mapItem, "sec:MapItem.InfoItem", infoItem);
        return mapItem;
    });
}
