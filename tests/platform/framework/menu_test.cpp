// Menus: a popup inside a bar, tracking through the host, and a picked
// item arriving at its owner window only when the messages are pumped.
#include <gtest/gtest.h>

#include <vector>

#include "platform/framework/menu.h"
#include "platform/framework/wnd.h"
#include "platform/ui/scripted_ui.h"

namespace {

struct RecordingWnd : CWnd {
    std::vector<WPARAM> commands;
    BOOL OnCommand(WPARAM wParam, LPARAM) override {
        commands.push_back(wParam);
        return TRUE;
    }
};

}  // namespace

TEST(Menu, APopupHangsInItsBarAndDiesWithIt) {
    CMenu bar;
    CMenu popup;
    ASSERT_TRUE(bar.CreateMenu());
    ASSERT_TRUE(popup.CreatePopupMenu());
    ASSERT_TRUE(bar.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(popup.m_hMenu), "First"));
    // The same popup cannot hang in a second place.
    EXPECT_FALSE(bar.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(popup.m_hMenu), "Again"));
    popup.AppendMenu(MF_STRING, 0x8000, "增加 LN");
    popup.AppendMenu(MF_SEPARATOR);

    CMenu* sub = bar.GetSubMenu(0);
    ASSERT_NE(nullptr, sub);
    EXPECT_EQ(popup.m_hMenu, sub->m_hMenu);
    EXPECT_EQ(sub, bar.GetSubMenu(0));
    EXPECT_EQ(2, sub->GetMenuItemCount());
    EXPECT_EQ(0x8000u, sub->GetMenuItemID(0));
    EXPECT_EQ(0u, sub->GetMenuItemID(1));
    EXPECT_EQ(nullptr, bar.GetSubMenu(1));
    CString text;
    EXPECT_EQ(5, bar.GetMenuString(0, text, MF_BYPOSITION));
    EXPECT_EQ(CString("First"), text);
    bar.GetMenuString(0x8000, text, MF_BYCOMMAND);  // found in the popup
    EXPECT_EQ(CString("增加 LN"), text);

    // Destroying the bar destroys the popup; the popup's own destruction then
    // finds nothing left to destroy (no double free under the sanitizers).
    EXPECT_TRUE(bar.DestroyMenu());
    EXPECT_EQ(-1, popup.GetMenuItemCount());
    EXPECT_FALSE(popup.DestroyMenu());
}

TEST(Menu, TrackingShowsItemsWithTheirCommandsAndReturnsTheChoice) {
    CScriptedUi ui;
    CMenu popup;
    popup.CreatePopupMenu();
    popup.AppendMenu(MF_STRING, 0x8000, "增加 LN");
    popup.SetItemCommand(0x8000, "ICD:Add LNode");
    popup.AppendMenu(MF_SEPARATOR);
    popup.AppendMenu(MF_STRING, 0x8001, "删除");
    EXPECT_FALSE(popup.SetItemCommand(0x9999, "ICD:None"));
    ui.AnswerMenuCommand("ICD:Add LNode").AnswerMenuText("删除").AnswerMenuDismiss();

    EXPECT_EQ(0x8000, popup.TrackPopupMenu(TPM_RIGHTBUTTON | TPM_RETURNCMD, 99, 40, nullptr));
    const Struct_UiCall* call = ui.LastOf(Enum_UiCall::PopupMenu);
    EXPECT_EQ(99, call->x);
    EXPECT_EQ(40, call->y);
    ASSERT_EQ(3, call->vList.GetSize());
    EXPECT_EQ(CString("ICD:Add LNode"), call->vList.vPairs[0].second);
    EXPECT_EQ(0x8001, popup.TrackPopupMenu(TPM_RETURNCMD, 0, 0, nullptr));
    EXPECT_EQ(0, popup.TrackPopupMenu(TPM_RETURNCMD, 0, 0, nullptr));
}

TEST(Menu, APickedItemIsPostedToTheOwnerAndArrivesWhenPumped) {
    CScriptedUi ui;
    RecordingWnd owner;
    CMenu popup;
    popup.CreatePopupMenu();
    popup.AppendMenu(MF_STRING, 0x8002, "导出ICD");
    ui.AnswerMenuText("导出ICD").AnswerMenuDismiss();

    EXPECT_TRUE(popup.TrackPopupMenu(TPM_RIGHTBUTTON, 10, 10, &owner));
    EXPECT_TRUE(owner.commands.empty());  // not while the handler still runs
    EXPECT_EQ(1, AfxPendingMessages());
    EXPECT_EQ(1, AfxPumpMessages());
    ASSERT_EQ(1u, owner.commands.size());
    EXPECT_EQ(0x8002u, owner.commands[0]);

    // Closing the menu posts nothing.
    EXPECT_TRUE(popup.TrackPopupMenu(TPM_RIGHTBUTTON, 10, 10, &owner));
    EXPECT_EQ(0, AfxPumpMessages());
}

TEST(Menu, MessagesOfAWindowThatIsGoneAreDropped) {
    {
        RecordingWnd gone;
        gone.PostMessage(WM_COMMAND, 1, 0);
        EXPECT_EQ(1, AfxPendingMessages());
    }
    EXPECT_EQ(0, AfxPendingMessages());
    EXPECT_EQ(0, AfxPumpMessages());
}
