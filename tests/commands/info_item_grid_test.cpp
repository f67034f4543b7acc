// The information-item grid dialog: its rows, their order, which items it
// hides, and the rows it hands back from the user's selection.
#include "commands/info_item_grid_dlg.h"
#include "tests/commands/commands_fixture.h"

namespace kiln::test {
namespace {

class InfoItemGridTest : public CommandsTest {
protected:
    InfoItemGridTest() {
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
    void Map(const URI_Ref& item, const URI_Ref& node, const CString& doName) {
        URI_Ref mapItem;
        ASSERT_TRUE(app.NewRsc_MapItem(&mapItem, m2i, item));
        if (node.IsSet()) Link(mapItem, "sec:DARef.LNode", node);
        if (!doName.IsEmpty()) Set(mapItem, "sec:DARef.doName", doName);
    }

    // OK with the ranges of rows (first, last) selected, all columns.
    static Struct_UiDialogAnswer Rows(std::vector<std::pair<int, int>> ranges) {
        Struct_UiDialogAnswer a;
        a.nResult = IDOK;
        for (auto [first, last] : ranges) a.vRanges.push_back({first, 0, last, 8});
        return a;
    }

    INT_PTR RunGrid(CDlg_ICD_SimpleGrid& dlg, const Struct_UiDialogAnswer& answer) {
        dlg.m_pMain = &app;
        if (dlg.m_uITB.IsEmpty()) dlg.m_uITB = itb;
        ui.AnswerDialog(answer);
        return dlg.DoModal();
    }
    // The rows the grid showed, cells joined by " | ".
    std::vector<CString> ShownRows() const {
        std::vector<CString> out;
        if (const Struct_UiCall* c = ui.LastOf(Enum_UiCall::ModalDialog))
            for (const auto& [line, unused] : c->vList.vPairs) out.push_back(line);
        return out;
    }
    static std::vector<CString> List(const CStringArray& a) { return {a.begin(), a.end()}; }

    URI_Ref itb, m2i;
};

TEST_F(InfoItemGridTest, AnEmptyTableOrAWrongClassGivesNoRowsAndEmptyResults) {
    {
        CDlg_ICD_SimpleGrid dlg;
        EXPECT_EQ(IDOK, RunGrid(dlg, Rows({})));
        ASSERT_EQ(9, dlg.m_Grid.Get_ColumnCount());
        EXPECT_EQ("序号", dlg.m_Grid.m_vColumns[0].sTitle);
        EXPECT_EQ(110, dlg.m_Grid.m_vColumns[2].nWidth);
        EXPECT_EQ("Acc", dlg.m_Grid.m_vColumns[8].sTitle);
        EXPECT_EQ(0, dlg.m_Grid.Get_RowCount());
        EXPECT_TRUE(dlg.m_saNames.IsEmpty());
        EXPECT_TRUE(dlg.m_saIds.IsEmpty());
    }
    Item("1", "跳闸");
    CDlg_ICD_SimpleGrid dlg;
    dlg.m_uITB = icd;  // not an ITB
    EXPECT_EQ(IDOK, RunGrid(dlg, Rows({})));
    EXPECT_EQ(std::vector<CString>{"ITB类指定错误"}, ui.Messages());
    EXPECT_EQ(9, dlg.m_Grid.Get_ColumnCount());
    EXPECT_EQ(0, dlg.m_Grid.Get_RowCount());
    EXPECT_TRUE(dlg.m_saNames.IsEmpty());
}

TEST_F(InfoItemGridTest, CellsShowTheItemWithTheDataTypeAfterItsLastDot) {
    URI_Ref a = Item("1", "跳闸", "2", "7", "kiln#ITBDataTypeEnum.SPS");
    Set(a, "sec:InfoItem.p103_typ", "1");
    Set(a, "sec:InfoItem.p103_fun", "160");
    Set(a, "sec:InfoItem.p103_inf", "90");
    Set(a, "sec:InfoItem.p103_acc", "0");
    Item("2", "电流", "", "", "MV");
    CDlg_ICD_SimpleGrid dlg;
    RunGrid(dlg, Rows({}));
    EXPECT_EQ((std::vector<CString>{"1 | 跳闸 | SPS | 1 | 160 | 90 | 2 | 7 | 0", "2 | 电流 | MV |  |  |  |  |  | "}),
              ShownRows());
}

TEST_F(InfoItemGridTest, MappedItemsAreHiddenOnlyWhenALinkAndADoNameAreBothSet) {
    Map(Item("1", "LN和DO"), ptoc, "Op");
    Map(Item("2", "只有LN"), ptoc, "");
    Map(Item("3", "只有DO"), URI_Ref(), "Op");
    URI_Ref both = Item("4", "第二个映射完整");
    Map(both, URI_Ref(), "");
    Map(both, ptoc, "Str");
    Item("5", "无映射");
    {
        CDlg_ICD_SimpleGrid dlg;
        // The second shown row is item 3: rows are numbered without the gap
        // of the hidden item 1, so what is selected is what was shown.
        RunGrid(dlg, Rows({{1, 2}}));
        EXPECT_EQ(3u, ShownRows().size());
        EXPECT_EQ((std::vector<CString>{"只有DO", "无映射"}), List(dlg.m_saNames));
        EXPECT_EQ((std::vector<CString>{"3", "5"}), List(dlg.m_saIds));
    }
    CDlg_ICD_SimpleGrid all(true);
    RunGrid(all, Rows({{0, 0}, {4, 4}}));
    EXPECT_EQ(5u, ShownRows().size());
    EXPECT_EQ((std::vector<CString>{"1", "5"}), List(all.m_saIds));
}

TEST_F(InfoItemGridTest, RowsFollowTheIdNumberOrGroupThenEntryThenId) {
    Item("10", "c", "1", "3");
    Item("9", "b", "2", "1");
    Item("2", "a", "1", "5");
    Item("11", "d", "1", "3");
    Item("3", "e", "x", "");  // no numbers: group 0, entry 0
    {
        CDlg_ICD_SimpleGrid dlg;
        RunGrid(dlg, Rows({{0, 4}}));
        EXPECT_EQ((std::vector<CString>{"2", "3", "9", "10", "11"}), List(dlg.m_saIds));
    }
    CDlg_ICD_SimpleGrid dlg;
    dlg.m_strSortAttr = "sec:InfoItem.p103_grp";
    RunGrid(dlg, Rows({{0, 4}}));
    EXPECT_EQ((std::vector<CString>{"e", "c", "d", "a", "b"}), List(dlg.m_saNames));
}

TEST_F(InfoItemGridTest, SelectedRowsComeBackRangeByRangeEachOnce) {
    for (int i = 1; i <= 6; ++i) Item(ToText(i), "项" + ToText(i));
    {
        CDlg_ICD_SimpleGrid dlg;
        RunGrid(dlg, Rows({{3, 4}, {0, 0}}));
        EXPECT_EQ((std::vector<CString>{"项4", "项5", "项1"}), List(dlg.m_saNames));
        EXPECT_EQ((std::vector<CString>{"4", "5", "1"}), List(dlg.m_saIds));
        ASSERT_EQ(2u, dlg.m_vSelRanges.size());
        EXPECT_EQ((std::array<int, 4>{3, 0, 4, 8}), dlg.m_vSelRanges[0]);
    }
    {
        // Overlapping ranges: a row already taken is not taken again.
        CDlg_ICD_SimpleGrid dlg;
        RunGrid(dlg, Rows({{2, 4}, {1, 3}, {4, 4}}));
        EXPECT_EQ((std::vector<CString>{"3", "4", "5", "2"}), List(dlg.m_saIds));
    }
    CDlg_ICD_SimpleGrid dlg;
    Struct_UiDialogAnswer cancel = Rows({{0, 5}});
    cancel.nResult = IDCANCEL;
    EXPECT_EQ(IDCANCEL, RunGrid(dlg, cancel));
    EXPECT_TRUE(dlg.m_saNames.IsEmpty());
    EXPECT_TRUE(dlg.m_saIds.IsEmpty());
}

TEST_F(InfoItemGridTest, TheDialogTakesAQuarterInAndThreeQuartersOfTheScreen) {
    struct Case {
        long w, h;
        RECT expected;  // left, top, right, bottom
    };
    // The template is 450 x 325 pixels at (0, 0).
    const Case cases[] = {
        {1920, 1080, {480, 135, 480 + 1440, 135 + 810}},
        {44, 88, {11, 11, 11 + 33, 11 + 66}},
        {40, 88, {0, 0, 30, 66}},    // W/4 is 10: not moved
        {44, 80, {0, 0, 33, 60}},    // H/8 is 10: not moved
        {14, 200, {0, 0, 450, 325}},  // 3W/4 is 10: neither moved nor resized
    };
    for (const Case& c : cases) {
        ui.SetScreenSize(c.w, c.h);
        CDlg_ICD_SimpleGrid dlg;
        RunGrid(dlg, Rows({}));
        RECT r;
        dlg.GetWindowRect(&r);
        EXPECT_EQ(c.expected.left, r.left) << c.w << "x" << c.h;
        EXPECT_EQ(c.expected.top, r.top) << c.w << "x" << c.h;
        EXPECT_EQ(c.expected.right, r.right) << c.w << "x" << c.h;
        EXPECT_EQ(c.expected.bottom, r.bottom) << c.w << "x" << c.h;
    }
}

}  // namespace
}  // namespace kiln::test
