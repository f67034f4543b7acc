// The framework's grid dialog: a resizable dialog holding one grid control
// and the OK and Cancel buttons, run modally. The host is shown the grid's
// rows (one text per cell); the user's answer selects ranges of rows and
// presses a button. A range outside the grid cannot be selected: the dialog
// then asks again.
#pragma once

#include <vector>

#include "platform/framework/dialog.h"
#include "platform/framework/grid_msg.h"
#include "platform/mfc/cstring.h"

// The resizable dialogs of the user-interface library the framework builds on.
class CExtResDlg : public CDialog {
public:
    using CDialog::CDialog;
};

class CExtResizableDialog : public CExtResDlg {
public:
    using CExtResDlg::CExtResDlg;
};

// The grid control: titled columns, rows of texts, and the ranges of cells
// the user selected.
class CBase_SimpleGrid : public CWnd {
public:
    // Removes every column, row and selection; true.
    bool ResetAll();
    // Appends a column; true.
    bool Add_a_Column(const CString& title, int width);
    // Sets the cells of a row, one text per column in column order (missing
    // texts leave a cell empty, texts beyond the columns are dropped). A row
    // number past the last row adds the row after the last one. False for a
    // negative row number.
    bool Set_a_Row(int row, const std::vector<CString>& cells);
    int Get_SelectionCount() const { return static_cast<int>(m_vSelection.size()); }
    // A selected range: top and bottom its first and last row, left and
    // right its first and last column. False outside the selection.
    bool Get_Selection(int index, RECT& range) const;
    // The text of a cell; empty outside the grid.
    CString Get_CellValue(int col, int row) const;

    int Get_RowCount() const { return static_cast<int>(m_vRows.size()); }
    int Get_ColumnCount() const { return static_cast<int>(m_vColumns.size()); }
    // Selects the ranges (replacing the selection); false, and nothing
    // selected, when a range lies outside the grid or is reversed.
    bool Set_Selection(const std::vector<Struct_UiGridRange>& ranges);

    struct Column {
        CString sTitle;
        int nWidth = 0;
    };
    std::vector<Column> m_vColumns;
    std::vector<std::vector<CString>> m_vRows;

private:
    std::vector<RECT> m_vSelection;
};

class CDlg_SimpleGrid : public CExtResizableDialog, private Ifc_GridMsg {
public:
    // The id of the grid control in the dialog's template.
    static constexpr int kGridID = 1000;

    explicit CDlg_SimpleGrid(CWnd* pParentWnd = nullptr);

    void DoDataExchange(CDataExchange* pDX) override;

    CBase_SimpleGrid m_Grid;

protected:
    Struct_UiDialogRequest Mtd_DialogRequest() const override;
    bool Mtd_DoAnswer(const Struct_UiDialogAnswer& answer) override;
};
