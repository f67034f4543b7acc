#include "platform/framework/grid_dialog.h"

namespace {

CDialogItemTemplate Item(const char* kind, const char* text, int id, int x, int y, int cx, int cy) {
    CDialogItemTemplate t;
    t.sKind = kind;
    t.sText = text;
    t.nID = id;
    t.x = x;
    t.y = y;
    t.cx = cx;
    t.cy = cy;
    return t;
}

// The grid above the two buttons.
CDialogTemplate GridTemplate() {
    CDialogTemplate t;
    t.cx = 300;
    t.cy = 200;
    t.vStyles = {"DS_MODALFRAME", "WS_POPUP", "WS_CAPTION", "WS_SYSMENU", "WS_THICKFRAME"};
    t.nFontSize = 8;
    t.sFontFace = "MS Shell Dlg";
    t.vItems.push_back(Item("CONTROL", "", CDlg_SimpleGrid::kGridID, 7, 7, 286, 164));
    t.vItems.push_back(Item("DEFPUSHBUTTON", "确定", IDOK, 188, 179, 50, 14));
    t.vItems.push_back(Item("PUSHBUTTON", "取消", IDCANCEL, 243, 179, 50, 14));
    return t;
}

}  // namespace

// ---- grid control -------------------------------------------------------------

bool CBase_SimpleGrid::ResetAll() {
    m_vColumns.clear();
    m_vRows.clear();
    m_vSelection.clear();
    return true;
}

bool CBase_SimpleGrid::Add_a_Column(const CString& title, int width) {
    m_vColumns.push_back(Column{title, width});
    for (auto& row : m_vRows) row.resize(m_vColumns.size());
    return true;
}

bool CBase_SimpleGrid::Set_a_Row(int row, const std::vector<CString>& cells) {
    if (row < 0) return false;
    std::vector<CString> texts(m_vColumns.size());
    for (size_t c = 0; c < texts.size() && c < cells.size(); ++c) texts[c] = cells[c];
    if (row < Get_RowCount())
        m_vRows[static_cast<size_t>(row)] = std::move(texts);
    else
        m_vRows.push_back(std::move(texts));
    return true;
}

bool CBase_SimpleGrid::Get_Selection(int index, RECT& range) const {
    if (index < 0 || index >= Get_SelectionCount()) return false;
    range = m_vSelection[static_cast<size_t>(index)];
    return true;
}

CString CBase_SimpleGrid::Get_CellValue(int col, int row) const {
    if (row < 0 || row >= Get_RowCount() || col < 0 || col >= Get_ColumnCount()) return CString();
    return m_vRows[static_cast<size_t>(row)][static_cast<size_t>(col)];
}

bool CBase_SimpleGrid::Set_Selection(const std::vector<Struct_UiGridRange>& ranges) {
    m_vSelection.clear();
    for (const Struct_UiGridRange& r : ranges) {
        if (r.nFirstRow < 0 || r.nFirstRow > r.nLastRow || r.nLastRow >= Get_RowCount() || r.nFirstCol < 0 ||
            r.nFirstCol > r.nLastCol || r.nLastCol >= Get_ColumnCount())
            return false;
    }
    for (const Struct_UiGridRange& r : ranges) m_vSelection.push_back(RECT{r.nFirstCol, r.nFirstRow, r.nLastCol, r.nLastRow});
    return true;
}

// ---- grid dialog ----------------------------------------------------------------

CDlg_SimpleGrid::CDlg_SimpleGrid(CWnd* pParentWnd) {
    InitModalIndirect(GridTemplate(), pParentWnd);
    m_strDialogName = "CDlg_SimpleGrid";
}

void CDlg_SimpleGrid::DoDataExchange(CDataExchange* pDX) {
    CExtResizableDialog::DoDataExchange(pDX);
    DDX_Control(pDX, kGridID, m_Grid);
}

Struct_UiDialogRequest CDlg_SimpleGrid::Mtd_DialogRequest() const {
    Struct_UiDialogRequest request = CExtResizableDialog::Mtd_DialogRequest();
    request.vRows = m_Grid.m_vRows;
    return request;
}

bool CDlg_SimpleGrid::Mtd_DoAnswer(const Struct_UiDialogAnswer& answer) {
    // The grid has no lists to pick from: only the selected ranges count.
    return m_Grid.Set_Selection(answer.vRanges);
}
