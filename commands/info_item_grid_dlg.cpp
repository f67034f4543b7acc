// The information-item grid dialog.
#include "commands/info_item_grid_dlg.h"

#include <unordered_set>

#include "platform/ui/ui_functions.h"

namespace {

// The grid's columns: title, width, and the item's attribute shown.
struct GridColumn {
    const char* title;
    int width;
    const char* role;
};
constexpr GridColumn kColumns[] = {
    {"序号", 60, "sec:InfoItem.id"},          {"名称", 100, "cim:Naming.name"},
    {"数据类型", 110, "sec:InfoItem.dataType"}, {"Typ", 60, "sec:InfoItem.p103_typ"},
    {"Fun", 60, "sec:InfoItem.p103_fun"},      {"Inf", 60, "sec:InfoItem.p103_inf"},
    {"Grp", 60, "sec:InfoItem.p103_grp"},      {"Ent", 60, "sec:InfoItem.p103_ent"},
    {"Acc", 60, "sec:InfoItem.p103_acc"},
};
constexpr int kDataTypeColumn = 2;
constexpr int kNameColumn = 1;
constexpr int kIdColumn = 0;

}  // namespace

CDlg_ICD_SimpleGrid::CDlg_ICD_SimpleGrid() : CDlg_SimpleGrid(nullptr) {}

CDlg_ICD_SimpleGrid::CDlg_ICD_SimpleGrid(bool bShowAll) : CDlg_ICD_SimpleGrid() { m_bShowAll = bShowAll; }

CDlg_ICD_SimpleGrid::~CDlg_ICD_SimpleGrid() = default;

bool CDlg_ICD_SimpleGrid::IsMapped(const URI_Ref& item) {
    std::vector<URI_Ref> mapItems;
    URI_Ref last;
    m_pMain->DocMtd_get_descendent_BUris(item, "sec:InfoItem.MapItem", mapItems, last, kiln::core::kRoleOrd,
                                         SortPolicy_ByOrd);
    for (const URI_Ref& mi : mapItems) {
        const URI_Ref ln = m_pMain->DocMtd_getFirstUri_ofAsso(mi, "sec:DARef.LNode", -1, "", URI_Ref(), nullptr);
        CString doName;
        m_pMain->DocMtd_get_attribute_value(mi, "sec:DARef.doName", doName);
        if (!ln.IsEmpty() && !doName.IsEmpty()) return true;
    }
    return false;
}

BOOL CDlg_ICD_SimpleGrid::OnInitDialog() {
    CDlg_SimpleGrid::OnInitDialog();
    const int w = GetSystemMetrics(SM_CXSCREEN);
    const int h = GetSystemMetrics(SM_CYSCREEN);
    if (w / 4 > 10 && h / 8 > 10) SetWindowPos(nullptr, w / 4, h / 8, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    if (3 * w / 4 > 10 && 3 * h / 4 > 10) SetWindowPos(nullptr, 0, 0, 3 * w / 4, 3 * h / 4, SWP_NOMOVE | SWP_NOZORDER);

    m_Grid.ResetAll();
    m_vRowItems.clear();
    for (const GridColumn& c : kColumns) m_Grid.Add_a_Column(c.title, c.width);
    if (m_uITB.sClass != "sec:ITB" || !m_pMain) {
        _AfxMessageBox("ITB类指定错误", MB_OK, "", nullptr);
        return FALSE;
    }

    std::vector<URI_Ref> items;
    URI_Ref last;
    m_pMain->DocMtd_get_descendent_BUris(m_uITB, "sec:ITB.InfoItems", items, last, "sec:InfoItem.id",
                                         SortPolicy_ByOrd);
    if (m_strSortAttr == "sec:InfoItem.p103_grp") {
        m_pMain->Sort_Reset_Ord(&items, false, "sec:InfoItem.p103_ent");
        m_pMain->Sort_Reset_Ord(&items, false, "sec:InfoItem.p103_grp");
    }

    // Shown rows are numbered 0, 1, 2 ... without the gaps of hidden items,
    // so that every selected row number is a row of the grid.
    int row = 0;
    std::vector<CString> cells(std::size(kColumns));
    for (const URI_Ref& item : items) {
        if (!m_bShowAll && IsMapped(item)) continue;
        for (size_t c = 0; c < cells.size(); ++c) {
            cells[c] = CString();
            m_pMain->DocMtd_get_attribute_value(item, kColumns[c].role, cells[c]);
        }
        CString& type = cells[kDataTypeColumn];
        const int dot = type.ReverseFind('.');
        if (dot >= 0) type = type.Mid(dot + 1);
        m_Grid.Set_a_Row(row++, cells);
        m_vRowItems.push_back(item);
    }
    m_Grid.PostMessage(WM_SIZE, 0, 0);
    return TRUE;
}

void CDlg_ICD_SimpleGrid::OnOK() {
    const int count = m_Grid.Get_SelectionCount();
    for (int i = 0; i < count; ++i) {
        RECT r{};
        if (!m_Grid.Get_Selection(i, r)) continue;
        m_vSelRanges.push_back({static_cast<int>(r.top), static_cast<int>(r.left), static_cast<int>(r.bottom),
                                static_cast<int>(r.right)});
    }
    // A row that several ranges cover is taken once, where it is first met.
    std::unordered_set<int> taken;
    for (const auto& range : m_vSelRanges) {
        for (int row = range[0]; row <= range[2]; ++row) {
            if (!taken.insert(row).second) continue;
            m_saNames.Add(m_Grid.Get_CellValue(kNameColumn, row));
            m_saIds.Add(m_Grid.Get_CellValue(kIdColumn, row));
            m_vItems.push_back(row >= 0 && row < static_cast<int>(m_vRowItems.size())
                                   ? m_vRowItems[static_cast<size_t>(row)]
                                   : URI_Ref());
        }
    }
    CDlg_SimpleGrid::OnOK();
}
