// The framework's application base: the state the host and the plug-in
// share (the current resource of the last context menu, the texts and flags
// the host reads), the host's views, and the view and user-interface
// services. Everything shown or asked goes to the current user-interface
// services (Ui_Current).
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/framework/cobject.h"
#include "platform/framework/records.h"
#include "platform/framework/view_cmd.h"
#include "platform/framework/wnd.h"
#include "platform/mfc/cstring.h"

class CBase_App;

// The application's main window: a command picked in a popup menu arrives
// here and goes to the application.
class CBase_AppFrame : public CWnd {
public:
    explicit CBase_AppFrame(CBase_App* pApp) : m_pApp(pApp) { Attach_Window(); }
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

private:
    CBase_App* m_pApp;
};

class CBase_App : public CObject {
public:
    CBase_App();
    ~CBase_App() override;
    CBase_App(const CBase_App&) = delete;
    CBase_App& operator=(const CBase_App&) = delete;

    // ---- state the host and the plug-in share ----
    URI_Ref m_uCurRsc;              // the resource of the last context menu
    URI_Ref m_uCurRsc2;             // its second resource
    CBase_Cmd* m_pCurCmd = nullptr;  // the view of the last context menu
    CString m_strAppTitle;
    std::vector<CString> m_vAppNames;
    int m_nDocState = 0;
    bool m_bUseDrawer = false;       // new ICDs take their domain from a drawer file
    CBase_Cmd* m_pHtmlPropView = nullptr;  // the property view (an HTML view)

    // ---- views ----
    // Adds a view (the application owns it) and returns it. A view whose
    // identifier is already taken is refused: null.
    CBase_Cmd* Mtd_AddView(std::unique_ptr<CBase_Cmd> view);
    CBase_Cmd* Mtd_AddView(const CString& sID, int nKind);
    // The host's seven standard views: the five trees (kind 1) and the two
    // HTML views (kind 2); "超文本视图1" becomes the property view.
    void Mtd_CreateStandardViews();
    const std::vector<std::unique_ptr<CBase_Cmd>>& Mtd_Views() const { return m_vViews; }

    // The view of that identifier; null when the host has none.
    CBase_Cmd* Mtd_View_of_sID(const CString& sID) const;
    // The view redisplays itself (argument 0); its result, false for null.
    bool Mtd_View_Refresh(CBase_Cmd* pView);
    // Refreshes the given view, or without one every view of the class (0:
    // all views). The resource, when given, is handed to the host.
    bool Mtd_AllViews_Refresh(CBase_Cmd* pView = nullptr, const URI_Ref* pRsc = nullptr, int nViewClass = 0);
    // Locates the resource in the given view, or without one in every view
    // of the class (0: all); `pList` is not used.
    bool Mtd_AllViews_Locate(const URI_Ref& rsc, std::vector<URI_Ref>* pList = nullptr, CBase_Cmd* pView = nullptr,
                             int nViewClass = 0);

    // ---- user-interface services ----
    void Mtd_SetStatusBarText(const CString& text);
    // The single input box: `value` is the text it opens with and, on OK,
    // the answer (for a choice list of edit kind 7, the chosen entry's
    // value). `pPack` may be null. False on Cancel, `value` unchanged.
    bool Mtd_SingleInputBox(const CString& prompt, CString& value, Struct_EditPack* pPack = nullptr,
                            bool bFlag = false);
    // A question with one button per pair of `buttons` (the first text is
    // the button's): the index pressed, negative when the box was closed.
    int Mtd_ButtonChoiceBox(const CString& text, const CString& question, const Struct_Pairs& buttons,
                            int nParam = 0);
    // Forgets the menu variables of the previous context menu (the item
    // picked in it). The current resource, its second resource and the menu's
    // view stay: only a new menu changes them.
    void Mtd_Clear_MN_Varibles();

    // ---- the main window and menu commands ----
    // The application's main window; the host makes it the main window
    // (AfxSetMainWnd) so that picked menu items reach the application.
    CWnd* Mtd_MainWnd() { return &m_wndMain; }
    // A menu item picked with that identifier: remembered as the last pick
    // and handed to the command handler; false when nobody handled it.
    bool Mtd_OnMenuCommand(UINT nID);
    // The identifier of the item picked in the last menu, 0 when none (or
    // after Mtd_Clear_MN_Varibles).
    UINT Mtd_LastMenuPick() const { return m_nMN_Picked; }

protected:
    UINT m_nMN_Picked = 0;
    // Turns a picked menu item into the application's command (set by the
    // derived application; the table of virtual operations stays as it is).
    std::function<bool(UINT)> m_fnMenuCommand;

private:
    std::vector<std::unique_ptr<CBase_Cmd>> m_vViews;
    CBase_AppFrame m_wndMain;
};
