#include "platform/framework/menu.h"

#include <memory>
#include <unordered_set>
#include <vector>

#include "platform/framework/wnd.h"
#include "platform/ui/ui_services.h"

struct MenuData {
    struct Item {
        UINT nFlags = MF_STRING;
        UINT nID = 0;
        CString sText;
        CString sCommand;
        HMENU hSub = nullptr;  // a popup item's menu, owned by this one
    };
    bool bPopup = false;
    std::vector<Item> vItems;
    std::unique_ptr<CMenu> pWrapper;  // what GetSubMenu hands out for this menu
};

namespace {

// The menus alive: a handle outside this set names no menu.
std::unordered_set<MenuData*>& LiveMenus() {
    static std::unordered_set<MenuData*> s_live;
    return s_live;
}

bool IsLive(HMENU h) { return h && LiveMenus().count(h) != 0; }

HMENU NewMenu(bool popup) {
    auto* m = new MenuData;
    m->bPopup = popup;
    LiveMenus().insert(m);
    return m;
}

void Destroy(HMENU h) {
    if (!IsLive(h)) return;
    LiveMenus().erase(h);
    for (auto& item : h->vItems) Destroy(item.hSub);
    delete h;
}

void ToUiItems(HMENU h, std::vector<Struct_UiMenuItem>& out) {
    if (!IsLive(h)) return;
    for (const auto& item : h->vItems) {
        Struct_UiMenuItem ui;
        ui.nID = item.nID;
        ui.nFlags = item.nFlags;
        ui.sText = item.sText;
        ui.sCommand = item.sCommand;
        if (item.hSub) ToUiItems(item.hSub, ui.vSubItems);
        out.push_back(std::move(ui));
    }
}

MenuData::Item* FindById(HMENU h, UINT nID) {
    if (!IsLive(h)) return nullptr;
    for (auto& item : h->vItems) {
        if (item.hSub) {
            if (auto* found = FindById(item.hSub, nID)) return found;
        } else if (!(item.nFlags & MF_SEPARATOR) && item.nID == nID) {
            return &item;
        }
    }
    return nullptr;
}

}  // namespace

CMenu::~CMenu() {
    if (m_bOwner) DestroyMenu();
}

BOOL CMenu::CreateMenu() {
    if (IsLive(m_hMenu)) return FALSE;
    m_hMenu = NewMenu(false);
    return TRUE;
}

BOOL CMenu::CreatePopupMenu() {
    if (IsLive(m_hMenu)) return FALSE;
    m_hMenu = NewMenu(true);
    return TRUE;
}

BOOL CMenu::DestroyMenu() {
    if (!IsLive(m_hMenu)) {
        m_hMenu = nullptr;
        return FALSE;
    }
    Destroy(m_hMenu);
    m_hMenu = nullptr;
    return TRUE;
}

BOOL CMenu::AppendMenu(UINT nFlags, UINT_PTR nIDNewItem, const char* lpszNewItem) {
    if (!IsLive(m_hMenu)) return FALSE;
    MenuData::Item item;
    item.nFlags = nFlags;
    if (nFlags & MF_POPUP) {
        HMENU sub = reinterpret_cast<HMENU>(nIDNewItem);
        // A popup can hang in one place only, and never inside itself.
        if (!IsLive(sub) || sub == m_hMenu) return FALSE;
        for (HMENU h : LiveMenus())
            for (const auto& other : h->vItems)
                if (other.hSub == sub) return FALSE;
        item.hSub = sub;
        item.nID = static_cast<UINT>(-1);
    } else if (!(nFlags & MF_SEPARATOR)) {
        item.nID = static_cast<UINT>(nIDNewItem);
    }
    if (!(nFlags & MF_SEPARATOR)) item.sText = lpszNewItem;
    m_hMenu->vItems.push_back(std::move(item));
    return TRUE;
}

BOOL CMenu::SetItemCommand(UINT nID, const CString& command) {
    MenuData::Item* item = FindById(m_hMenu, nID);
    if (!item) return FALSE;
    item->sCommand = command;
    return TRUE;
}

CMenu* CMenu::GetSubMenu(int nPos) const {
    if (!IsLive(m_hMenu) || nPos < 0 || nPos >= static_cast<int>(m_hMenu->vItems.size())) return nullptr;
    HMENU sub = m_hMenu->vItems[static_cast<size_t>(nPos)].hSub;
    if (!IsLive(sub)) return nullptr;
    if (!sub->pWrapper) {
        sub->pWrapper = std::make_unique<CMenu>();
        sub->pWrapper->m_hMenu = sub;
        sub->pWrapper->m_bOwner = false;
    }
    return sub->pWrapper.get();
}

int CMenu::GetMenuItemCount() const { return IsLive(m_hMenu) ? static_cast<int>(m_hMenu->vItems.size()) : -1; }

UINT CMenu::GetMenuItemID(int nPos) const {
    if (!IsLive(m_hMenu) || nPos < 0 || nPos >= static_cast<int>(m_hMenu->vItems.size()))
        return static_cast<UINT>(-1);
    return m_hMenu->vItems[static_cast<size_t>(nPos)].nID;
}

int CMenu::GetMenuString(UINT nIDItem, CString& text, UINT nFlags) const {
    text.Empty();
    if (!IsLive(m_hMenu)) return 0;
    if (nFlags & MF_BYPOSITION) {
        if (nIDItem >= m_hMenu->vItems.size()) return 0;
        text = m_hMenu->vItems[nIDItem].sText;
    } else {
        const MenuData::Item* item = FindById(m_hMenu, nIDItem);
        if (!item) return 0;
        text = item->sText;
    }
    return text.GetLength();
}

Struct_UiMenu CMenu::ToUiMenu() const {
    Struct_UiMenu menu;
    ToUiItems(m_hMenu, menu.vItems);
    return menu;
}

BOOL CMenu::TrackPopupMenu(UINT nFlags, int x, int y, CWnd* pWnd, const RECT* /*lpRect*/) {
    if (!IsLive(m_hMenu)) return FALSE;
    Struct_UiMenu menu = ToUiMenu();
    menu.x = x;
    menu.y = y;
    menu.nFlags = nFlags;
    UINT chosen = Ui_Current().TrackPopupMenu(menu);
    // Only an item the menu holds counts as chosen.
    if (chosen != 0 && !FindById(m_hMenu, chosen)) chosen = 0;
    if (nFlags & TPM_RETURNCMD) return static_cast<BOOL>(chosen);
    if (chosen != 0 && pWnd) pWnd->PostMessage(WM_COMMAND, chosen, 0);
    return TRUE;
}
