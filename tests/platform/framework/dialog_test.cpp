// Modal dialogs: controls bound from a template, picks routed through the
// message map, OK only while enabled, and the framework's grid dialog.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/framework/dialog.h"
#include "platform/framework/grid_dialog.h"
#include "platform/ui/scripted_ui.h"

namespace {

const char* kScript = R"(
100 DIALOG 0, 0, 193, 66
STYLE DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU
CAPTION "选择"
FONT 8, "MS Shell Dlg"
BEGIN
    LTEXT "甲", -1, 29, 7, 16, 8
    COMBOBOX 10, 49, 7, 104, 121, CBS_DROPDOWN | CBS_SORT | WS_VSCROLL
    COMBOBOX 11, 49, 24, 103, 108, CBS_DROPDOWN | CBS_SORT | WS_VSCROLL
    DEFPUSHBUTTON "确定", 1, 81, 45, 50, 14
    PUSHBUTTON "取消", 2, 136, 45, 50, 14
END
)";

CDialogTemplate Template() {
    std::vector<CDialogTemplate> out;
    std::string error;
    EXPECT_TRUE(AfxParseResourceScript(kScript, out, error)) << error;
    return out.empty() ? CDialogTemplate() : out.front();
}

// Choose in the first box, then in the second, which the first fills.
class PickDlg : public CDialog {
public:
    CComboBox m_a, m_b;
    CButton m_ok;
    std::vector<std::string> log;
    CString chosen;

    PickDlg() { InitModalIndirect(Template()); }
    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Control(pDX, 10, m_a);
        DDX_Control(pDX, 11, m_b);
        DDX_Control(pDX, IDOK, m_ok);
    }
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        m_b.EnableWindow(FALSE);
        m_ok.EnableWindow(FALSE);
        for (const char* s : {"beta", "Alpha", "gamma"}) m_a.AddString(s);
        return TRUE;
    }
    void OnSelA() {
        m_b.EnableWindow(TRUE);
        m_ok.EnableWindow(FALSE);
        CString t;
        m_a.GetLBText(m_a.GetCurSel(), t);
        log.push_back("A:" + t.str());
        m_b.ResetContent();
        m_b.AddString(t + "-2");
        m_b.AddString(t + "-1");
    }
    void OnSelB() {
        m_ok.EnableWindow(TRUE);
        m_b.GetLBText(m_b.GetCurSel(), chosen);
        log.push_back("B:" + chosen.str());
    }
    const AFX_MSGMAP* GetMessageMap() const override {
        static const AFX_MSGMAP_ENTRY entries[] = {ON_CBN_SELCHANGE(10, PickDlg::OnSelA),
                                                   ON_CBN_SELCHANGE(11, PickDlg::OnSelB), END_MESSAGE_MAP_ENTRY};
        static const AFX_MSGMAP map{CDialog::GetMessageMap(), entries};
        return &map;
    }
};

Struct_UiDialogAnswer Answer(int result, std::vector<CString> picks, std::vector<Struct_UiGridRange> ranges = {}) {
    Struct_UiDialogAnswer a;
    a.nResult = result;
    a.vPicks = std::move(picks);
    a.vRanges = std::move(ranges);
    return a;
}

// The grid dialog as a command uses it: rows filled at the start, some
// numbers skipped, the selected rows read back on OK.
class GridDlg : public CDlg_SimpleGrid {
public:
    std::vector<CString> names;

    BOOL OnInitDialog() override {
        CDlg_SimpleGrid::OnInitDialog();
        int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
        SetWindowPos(nullptr, w / 4, h / 8, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        SetWindowPos(nullptr, 0, 0, 3 * w / 4, 3 * h / 4, SWP_NOMOVE | SWP_NOZORDER);
        m_Grid.ResetAll();
        m_Grid.Add_a_Column("序号", 60);
        m_Grid.Add_a_Column("名称", 100);
        m_Grid.Set_a_Row(0, {"1", "甲"});
        m_Grid.Set_a_Row(2, {"3", "丙", "dropped"});  // row 1 was left out: it comes after the last
        m_Grid.PostMessage(WM_SIZE, 0, 0);
        return TRUE;
    }
    void OnOK() override {
        RECT r;
        for (int i = 0; i < m_Grid.Get_SelectionCount(); ++i) {
            ASSERT_TRUE(m_Grid.Get_Selection(i, r));
            for (long row = r.top; row <= r.bottom; ++row) names.push_back(m_Grid.Get_CellValue(1, static_cast<int>(row)));
        }
        CDlg_SimpleGrid::OnOK();
    }
};

}  // namespace

TEST(Dialog, PicksRunTheMessageMapAndOkWaitsUntilItIsEnabled) {
    CScriptedUi ui;
    ui.AnswerDialog(Answer(IDOK, {"Alpha"}), "选择")        // OK is still disabled: asked again
        .AnswerDialog(Answer(IDOK, {"nowhere"}))          // no box holds it: asked again
        .AnswerDialog(Answer(IDOK, {"Alpha-1"}));
    PickDlg dlg;
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.log, (std::vector<std::string>{"A:Alpha", "B:Alpha-1"}));
    EXPECT_EQ(dlg.chosen, "Alpha-1");
    // The sorted box, case aside; only enabled boxes are shown to the user.
    EXPECT_EQ(dlg.m_a.m_vItems, (std::vector<CString>{"Alpha", "beta", "gamma"}));
    auto calls = ui.CallsOf(Enum_UiCall::ModalDialog);
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].sText, "100");
    EXPECT_EQ(calls[0].vList.GetSize(), 3);
    EXPECT_EQ(calls[1].vList.GetSize(), 5);
    EXPECT_EQ(calls[1].vList.vPairs[3].first, "Alpha-1");
    EXPECT_EQ(dlg.m_ok.GetSafeHwnd(), nullptr) << "the controls close with the dialog";

    // Drop-down width: never below the box's own (104 dialog units).
    RECT r;
    dlg.m_a.GetDroppedControlRect(&r);
    EXPECT_EQ(r.right - r.left, AfxDluToPixelsX(104));
    dlg.m_a.SetDroppedWidth(600);
    EXPECT_EQ(dlg.m_a.GetDroppedWidth(), 600);
    dlg.m_a.SetDroppedWidth(10);
    EXPECT_EQ(dlg.m_a.GetDroppedWidth(), AfxDluToPixelsX(104));
}

TEST(Dialog, CancelEndsAfterThePicksAndAMissingTemplateAsksNothing) {
    CScriptedUi ui;
    ui.AnswerDialog(Answer(IDCANCEL, {"gamma", "gamma-2"}));
    PickDlg dlg;
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(dlg.chosen, "gamma-2");

    CDialog none(4242);
    EXPECT_EQ(none.DoModal(), -1);
    EXPECT_EQ(ui.CountOf(Enum_UiCall::ModalDialog), 1);
}

TEST(Dialog, GridDialogSelectsRangesOfItsRows) {
    CScriptedUi ui;
    ui.SetScreenSize(1280, 1024);
    ui.AnswerDialog(Answer(IDOK, {}, {{2, 0, 2, 1}}))  // there is no row 2: asked again
        .AnswerDialog(Answer(IDOK, {}, {{1, 0, 1, 1}, {0, 0, 1, 1}}));
    GridDlg dlg;
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.names, (std::vector<CString>{"丙", "甲", "丙"}));
    const Struct_UiCall* call = ui.LastOf(Enum_UiCall::ModalDialog);
    ASSERT_NE(call, nullptr);
    EXPECT_EQ(call->sText, "CDlg_SimpleGrid");
    ASSERT_EQ(call->vList.GetSize(), 2);
    EXPECT_EQ(call->vList.vPairs[1].first, "3 | 丙");

    RECT r;
    dlg.GetWindowRect(&r);
    EXPECT_EQ(r.left, 320);
    EXPECT_EQ(r.top, 128);
    EXPECT_EQ(r.right - r.left, 960);
    EXPECT_EQ(r.bottom - r.top, 768);
    EXPECT_EQ(AfxPendingMessages(), 1) << "WM_SIZE waits for the grid";
    EXPECT_EQ(AfxPumpMessages(), 1);
    EXPECT_EQ(dlg.m_Grid.Get_CellValue(2, 0), "") << "outside the columns";
}
