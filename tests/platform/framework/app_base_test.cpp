// The application base: views found by identifier, refreshed and located
// by class, and the input and button boxes handed to the host.
#include <gtest/gtest.h>

#include <memory>

#include "platform/framework/app_base.h"
#include "platform/ui/scripted_ui.h"

namespace {

// A view whose redisplay reports failure, to see whose result comes back.
struct StubbornView : CBase_Cmd {
    using CBase_Cmd::CBase_Cmd;
    int calls = 0;
    int lastHint = -1;
    bool Mtd_Refresh(int nHint) override {
        ++calls;
        lastHint = nHint;
        return false;
    }
};

}  // namespace

TEST(AppBase, ViewsAreFoundByTheirIdentifier) {
    CScriptedUi ui;
    CBase_App app;
    EXPECT_EQ(nullptr, app.Mtd_View_of_sID("超文本视图2"));
    app.Mtd_CreateStandardViews();
    ASSERT_EQ(7u, app.Mtd_Views().size());
    CBase_Cmd* html2 = app.Mtd_View_of_sID("超文本视图2");
    ASSERT_NE(nullptr, html2);
    EXPECT_EQ(CString("超文本视图2"), html2->m_sID);
    EXPECT_EQ(2, html2->m_nKind);
    EXPECT_EQ(1, app.Mtd_View_of_sID("TreeView_ICDPreset2")->m_nKind);
    EXPECT_EQ(app.Mtd_View_of_sID("超文本视图1"), app.m_pHtmlPropView);
    // Identifiers are compared exactly.
    EXPECT_EQ(nullptr, app.Mtd_View_of_sID("treeview_user"));
    EXPECT_EQ(nullptr, app.Mtd_View_of_sID(""));
    // A second view with a taken identifier is refused.
    EXPECT_EQ(nullptr, app.Mtd_AddView("TreeView_User", 3));
    EXPECT_EQ(1, app.Mtd_View_of_sID("TreeView_User")->m_nKind);
}

TEST(AppBase, RefreshAddressesTheViewsOfOneClassAndIsReportedOnce) {
    CScriptedUi ui;
    CBase_App app;
    app.Mtd_CreateStandardViews();
    CBase_Cmd* graphics = app.Mtd_AddView("图形视图", ViewClass_Graphics);

    app.Mtd_AllViews_Refresh(nullptr, nullptr, ViewClass_Html);
    EXPECT_EQ(1, app.Mtd_View_of_sID("超文本视图1")->m_nRefreshCount);
    EXPECT_EQ(0, app.Mtd_View_of_sID("TreeView_User")->m_nRefreshCount);
    EXPECT_EQ(0, graphics->m_nRefreshCount);

    app.Mtd_AllViews_Refresh(nullptr, nullptr, ViewClass_All);
    EXPECT_EQ(2, app.Mtd_View_of_sID("超文本视图1")->m_nRefreshCount);
    EXPECT_EQ(1, app.Mtd_View_of_sID("TreeView_User")->m_nRefreshCount);
    EXPECT_EQ(1, graphics->m_nRefreshCount);

    auto refreshes = ui.CallsOf(Enum_UiCall::AllViewsRefresh);
    ASSERT_EQ(2u, refreshes.size());
    EXPECT_EQ(2u, refreshes[0].nType);
    EXPECT_EQ(0u, refreshes[1].nType);
    EXPECT_TRUE(refreshes[1].sCaption.IsEmpty());
}

TEST(AppBase, LocateReachesTheViewsOfTheClassOnly) {
    CScriptedUi ui;
    CBase_App app;
    app.Mtd_CreateStandardViews();
    CBase_Cmd* graphics = app.Mtd_AddView("图形视图", ViewClass_Graphics);
    URI_Ref ln("urn:d#LN1", "sec:LNode");
    app.Mtd_AllViews_Locate(ln, nullptr, nullptr, ViewClass_Graphics);
    EXPECT_EQ(ln, graphics->m_uLocated);
    EXPECT_TRUE(app.Mtd_View_of_sID("TreeView_User")->m_uLocated.IsEmpty());
    ASSERT_EQ(1, ui.CountOf(Enum_UiCall::AllViewsLocate));
    EXPECT_EQ(ln, ui.LastOf(Enum_UiCall::AllViewsLocate)->uRsc);
}

TEST(AppBase, ViewRefreshReturnsTheViewsOwnAnswer) {
    CScriptedUi ui;
    CBase_App app;
    auto* view = static_cast<StubbornView*>(app.Mtd_AddView(std::make_unique<StubbornView>("超文本视图1", 2)));
    EXPECT_FALSE(app.Mtd_View_Refresh(view));
    EXPECT_EQ(1, view->calls);
    EXPECT_EQ(0, view->lastHint);
    EXPECT_FALSE(app.Mtd_View_Refresh(nullptr));
    CBase_Cmd* plain = app.Mtd_AddView("超文本视图2", 2);
    EXPECT_TRUE(app.Mtd_View_Refresh(plain));
    EXPECT_EQ(1, ui.CountOf(Enum_UiCall::ViewRefresh));
}

TEST(AppBase, InputBoxHandsBackTheChosenValueAndKeepsItOnCancel) {
    CScriptedUi ui;
    CBase_App app;
    Struct_EditPack pack;
    pack.nEditKind = 7;
    for (const char* fc : {"ST", "MX", "CO"}) pack.Add_ListItem(fc, fc);
    ui.AnswerInputChoice("MX", "请选择：").AnswerInputCancel();

    CString value = "ST";
    EXPECT_TRUE(app.Mtd_SingleInputBox("请选择：", value, &pack, false));
    EXPECT_EQ(CString("MX"), value);
    EXPECT_EQ(CString("ST"), ui.LastOf(Enum_UiCall::InputBox)->sValue);  // the text it opened with
    EXPECT_FALSE(app.Mtd_SingleInputBox("请选择：", value, &pack, false));
    EXPECT_EQ(CString("MX"), value);
}

TEST(AppBase, ButtonChoiceGivesTheIndexOrMinusOneWhenClosed) {
    CScriptedUi ui;
    CBase_App app;
    Struct_Pairs buttons;
    buttons.Add("写入描述", "");
    buttons.Add("跳过", "");
    buttons.Add("全部跳过", "");
    ui.AnswerButtonText("全部跳过").AnswerButtonClose();
    EXPECT_EQ(2, app.Mtd_ButtonChoiceBox("", "DO描述已存在", buttons, 0));
    EXPECT_EQ(-1, app.Mtd_ButtonChoiceBox("", "DO描述已存在", buttons, 0));
    EXPECT_EQ(CString("DO描述已存在"), ui.LastOf(Enum_UiCall::ButtonChoice)->sText);
}

TEST(AppBase, StatusTextAndMenuVariables) {
    CScriptedUi ui;
    CBase_App app;
    app.m_uCurRsc = URI_Ref("urn:d#ICD1", "sec:ICD");
    app.Mtd_SetStatusBarText("导入ICD结束，发现1个错误，发现0个警告。");
    EXPECT_EQ(CString("导入ICD结束，发现1个错误，发现0个警告。"), ui.LastOf(Enum_UiCall::StatusText)->sText);
    EXPECT_FALSE(app.Mtd_OnMenuCommand(0x8000));  // nobody handles commands in the bare base
    EXPECT_EQ(0x8000u, app.Mtd_LastMenuPick());
    app.Mtd_Clear_MN_Varibles();
    EXPECT_EQ(0u, app.Mtd_LastMenuPick());
    // The current resource belongs to the next menu, not to the clearing.
    EXPECT_EQ(URI_Ref("urn:d#ICD1", "sec:ICD"), app.m_uCurRsc);
}
