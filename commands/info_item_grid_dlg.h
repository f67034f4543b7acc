// The information-item grid: a modal dialog listing the information items
// of one ITB (id, name, data type and the six 103 address fields), by id or
// by group and entry, optionally hiding items already mapped to an LN and a
// DO. After OK the names, ids and items of the selected rows are in
// m_saNames, m_saIds and m_vItems, each row once, in the order the selection
// first reaches it.
// The dialog changes nothing in the document.
#pragma once

#include <array>
#include <vector>

#include "core/kiln_main.h"
#include "platform/framework/grid_dialog.h"
#include "platform/mfc/containers.h"

class CDlg_ICD_SimpleGrid : public CDlg_SimpleGrid {
public:
    CDlg_ICD_SimpleGrid();
    explicit CDlg_ICD_SimpleGrid(bool bShowAll);
    ~CDlg_ICD_SimpleGrid() override;

    // Fills the grid; FALSE when m_uITB is no ITB ("ITB类指定错误").
    BOOL OnInitDialog() override;
    // Takes the selected rows and closes the dialog with IDOK.
    void OnOK() override;

    // (first row, first column, last row, last column) of each selected range.
    std::vector<std::array<int, 4>> m_vSelRanges;
    CKiln_Main* m_pMain = nullptr;
    URI_Ref m_uITB;
    CStringArray m_saNames;
    CStringArray m_saExcludedIds;  // never filled: callers hand it on empty
    CStringArray m_saIds;
    // The items of the chosen rows, in the order of m_saIds: ids may be
    // empty or repeated, the rows' items are not.
    std::vector<URI_Ref> m_vItems;
    CString m_strSortAttr = "sec:InfoItem.id";  // "sec:InfoItem.p103_grp": by group, then entry
    bool m_bShowAll = false;

private:
    // Whether one of the item's mapping items names an LN and a DO.
    bool IsMapped(const URI_Ref& item);
    std::vector<URI_Ref> m_vRowItems;  // the item shown in each row
};
