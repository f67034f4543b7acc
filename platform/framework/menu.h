// The class library's menu: a menu bar or popup built item by item and
// tracked as a popup through the host's user-interface services.
//
// Besides its identifier and text, an item can carry the command string
// the framework recorded for it, so that the host (and a test) sees which
// command each item stands for.
#pragma once

#include <cstdint>

#include "platform/framework/cobject.h"
#include "platform/mfc/cstring.h"
#include "platform/ui/ui_records.h"
#include "platform/ui/win_types.h"

class CWnd;

struct MenuData;
using HMENU = MenuData*;
using UINT_PTR = std::uintptr_t;

class CMenu : public CObject {
public:
    CMenu() = default;
    // Destroys the menu it holds, with its popups.
    ~CMenu() override;
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;

    HMENU m_hMenu = nullptr;

    BOOL CreateMenu();
    BOOL CreatePopupMenu();
    // Destroys the menu and the popups appended to it; FALSE when it holds none.
    BOOL DestroyMenu();

    // Appends a text item (nIDNewItem its identifier), a separator
    // (MF_SEPARATOR) or a popup (MF_POPUP, nIDNewItem the popup's HMENU
    // cast to UINT_PTR; the popup then belongs to this menu).
    BOOL AppendMenu(UINT nFlags, UINT_PTR nIDNewItem = 0, const char* lpszNewItem = nullptr);
    // Records the command string of the item with that identifier.
    BOOL SetItemCommand(UINT nID, const CString& command);

    // The popup at that position; null when the item is not a popup. The
    // object belongs to the menu.
    CMenu* GetSubMenu(int nPos) const;
    int GetMenuItemCount() const;  // -1 without a menu
    // The item's identifier; 0 for a separator, -1 (as UINT) for a popup or
    // a position outside the menu.
    UINT GetMenuItemID(int nPos) const;
    // The text of the item at a position (MF_BYPOSITION) or with an
    // identifier (MF_BYCOMMAND); its length, 0 when there is none.
    int GetMenuString(UINT nIDItem, CString& text, UINT nFlags) const;

    // Shows the popup at (x, y) and waits for the user. With TPM_RETURNCMD
    // the result is the chosen item's identifier (0: none). Otherwise a
    // chosen item is posted to pWnd as WM_COMMAND and the result is TRUE.
    BOOL TrackPopupMenu(UINT nFlags, int x, int y, CWnd* pWnd, const RECT* lpRect = nullptr);

    // The menu as the host sees it.
    Struct_UiMenu ToUiMenu() const;

private:
    bool m_bOwner = true;  // false for the objects GetSubMenu hands out
};
