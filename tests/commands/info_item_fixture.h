// The fixture of the grid and of the commands that pick information items:
// the command fixture's ICD "E1" with an ITB and an M2I, items made on
// demand, and answers to the grid.
#pragma once

#include <utility>
#include <vector>

#include "tests/commands/commands_fixture.h"

namespace kiln::test {

class InfoItemTest : public CommandsTest {
protected:
    InfoItemTest() {
        EXPECT_TRUE(app.NewRsc_ITB(&itb, icd));
        EXPECT_TRUE(app.NewRsc_M2I(&m2i, icd, itb, false));
        ui.ClearCalls();
    }

    URI_Ref Item(const CString& id, const CString& name, const CString& grp = "", const CString& ent = "",
                 const CString& dataType = "") {
        URI_Ref item;
        EXPECT_TRUE(app.NewRsc_InfoItem(&item, itb));
        Set(item, "sec:InfoItem.id", id);
        Set(item, "cim:Naming.name", name);
        if (!grp.IsEmpty()) Set(item, "sec:InfoItem.p103_grp", grp);
        if (!ent.IsEmpty()) Set(item, "sec:InfoItem.p103_ent", ent);
        if (!dataType.IsEmpty()) Set(item, "sec:InfoItem.dataType", dataType);
        return item;
    }
    // A mapping item of the item, naming the node and the DO given.
    URI_Ref Map(const URI_Ref& item, const URI_Ref& node, const CString& doName, const CString& daName = "") {
        URI_Ref mapItem;
        EXPECT_TRUE(app.NewRsc_MapItem(&mapItem, m2i, item));
        if (node.IsSet()) Link(mapItem, "sec:DARef.LNode", node);
        if (!doName.IsEmpty()) Set(mapItem, "sec:DARef.doName", doName);
        if (!daName.IsEmpty()) Set(mapItem, "sec:DARef.daName", daName);
        return mapItem;
    }
    std::vector<URI_Ref> MapItemsOf(const URI_Ref& item) { return Members(item, "sec:InfoItem.MapItem"); }
    // The nodes a mapping item names.
    std::vector<URI_Ref> NodesOf(const URI_Ref& mapItem) { return Members(mapItem, "sec:DARef.LNode"); }

    // OK with the ranges of rows (first, last; counted from 0) selected.
    static Struct_UiDialogAnswer Rows(std::vector<std::pair<int, int>> ranges) {
        Struct_UiDialogAnswer a;
        a.nResult = IDOK;
        for (auto [first, last] : ranges) a.vRanges.push_back({first, 0, last, 8});
        return a;
    }
    static Struct_UiDialogAnswer Cancelled() {
        Struct_UiDialogAnswer a;
        a.nResult = IDCANCEL;
        return a;
    }
    // The rows the last grid showed, cells joined by " | ".
    std::vector<CString> ShownRows() const {
        std::vector<CString> out;
        if (const Struct_UiCall* c = ui.LastOf(Enum_UiCall::ModalDialog))
            for (const auto& [line, unused] : c->vList.vPairs) out.push_back(line);
        return out;
    }

    URI_Ref itb, m2i;
};

}  // namespace kiln::test
