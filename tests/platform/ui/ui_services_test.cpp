// The current services: installed and restored in scopes, and without any
// services a question fails instead of being answered.
#include <gtest/gtest.h>

#include "platform/ui/scripted_ui.h"
#include "platform/ui/ui_functions.h"

TEST(UiServices, WithoutServicesAQuestionFailsAndANoticePasses) {
    Ifc_UiServices* before = Ui_SetCurrent(nullptr);
    EXPECT_EQ(IDOK, _AfxMessageBox("导入成功!"));
    try {
        _AfxMessageBox("是否查看报告？", MB_YESNO, "$?$导入完成");
        ADD_FAILURE() << "answered without services";
    } catch (const CUiScriptError& e) {
        EXPECT_NE(std::string::npos, std::string(e.what()).find("是否查看报告？"));
    }
    CString value = "x";
    EXPECT_THROW(Ui_Current().InputBox("请选择：", value, nullptr, false), CUiScriptError);
    EXPECT_EQ(CString("x"), value);
    Ui_SetCurrent(before);
}

TEST(UiServices, ADoubleInstallsItselfAndRestoresThePreviousServices) {
    CScriptedUi outer;
    {
        CScriptedUi inner;
        EXPECT_EQ(&inner, &Ui_Current());
        _AfxMessageBox("inner");
        {
            CScriptedUi detached(false);
            EXPECT_EQ(&inner, &Ui_Current());
            CUiServicesScope scope(&detached);
            EXPECT_EQ(&detached, &Ui_Current());
        }
        EXPECT_EQ(&inner, &Ui_Current());
    }
    EXPECT_EQ(&outer, &Ui_Current());
    _AfxMessageBox("outer");
    ASSERT_EQ(1u, outer.Messages().size());
    EXPECT_EQ(CString("outer"), outer.Messages()[0]);
}

TEST(UiServices, ShellOpenAndCursorGoToTheServices) {
    CScriptedUi ui;
    ui.SetCursorPos(320, 200);
    ui.SetShellOpenResult(false);
    EXPECT_FALSE(KQ_ShellExec("/tmp/Report.xml", nullptr, ""));
    POINT pt;
    ASSERT_TRUE(GetCursorPos(&pt));
    EXPECT_EQ(320, pt.x);
    EXPECT_EQ(200, pt.y);
    EXPECT_FALSE(GetCursorPos(nullptr));
    ASSERT_EQ(1, ui.CountOf(Enum_UiCall::ShellOpen));
    EXPECT_EQ(CString("/tmp/Report.xml"), ui.LastOf(Enum_UiCall::ShellOpen)->sText);
}
