// The class library's command target and window, as far as the framework
// and the plug-in use them: the wait cursor, a window handle, creating an
// ActiveX control, and posting and sending messages.
//
// Posted messages wait in one queue until the host pumps them
// (AfxPumpMessages), as the messages of the user-interface thread wait until
// the current handler has returned. A command picked in a popup menu
// reaches its owner window that way.
#pragma once

#include "platform/framework/cobject.h"
#include "platform/framework/com_types.h"
#include "platform/mfc/cstring.h"
#include "platform/ui/win_types.h"

class CFile;

using HWND = void*;

class CCmdTarget : public CObject {
public:
    // The host shows the wait cursor until as many ends as begins came.
    void BeginWaitCursor();
    void EndWaitCursor();
    void RestoreWaitCursor() {}
};

class CWnd : public CCmdTarget {
public:
    CWnd() = default;
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;
    HWND GetSafeHwnd() const { return m_hWnd; }

    // Creates the window of an ActiveX control. Recorded here: the class
    // identifier and the arguments; the window then exists.
    BOOL CreateControl(const CLSID& clsid, const char* lpszWindowName, DWORD dwStyle, const RECT& rect,
                       CWnd* pParentWnd, UINT nID, CFile* pPersist = nullptr, BOOL bStorage = FALSE,
                       const char* bstrLicKey = nullptr);
    // Marks the window as existing (for windows the host makes).
    void Attach_Window();
    BOOL DestroyWindow();

    // What CreateControl was given.
    CLSID m_ctrlClsid;
    CString m_strWindowName;
    DWORD m_dwStyle = 0;
    RECT m_rect;
    CWnd* m_pParent = nullptr;
    UINT m_nCtrlID = 0;
    CFile* m_pPersist = nullptr;
    BOOL m_bStorage = FALSE;
    CString m_strLicKey;

    // Enabled state, text (m_strWindowName) and place (m_rect, in screen
    // pixels) of the window.
    bool m_bEnabled = true;
    BOOL EnableWindow(BOOL bEnable = TRUE);  // nonzero when it was disabled
    BOOL IsWindowEnabled() const { return m_bEnabled ? TRUE : FALSE; }
    void SetWindowText(const char* text) { m_strWindowName = text; }
    void GetWindowText(CString& text) const { text = m_strWindowName; }
    int GetDlgCtrlID() const { return static_cast<int>(m_nCtrlID); }
    void GetWindowRect(RECT* lpRect) const;
    void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE);
    // Moves and/or sizes the window; SWP_NOMOVE and SWP_NOSIZE keep that part.
    BOOL SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags);

    // Queues the message for this window; TRUE.
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    // Delivers the message at once.
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

    // WM_COMMAND goes to OnCommand; other messages are ignored.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // A command (menu item identifier in wParam); TRUE when handled.
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
};

// SetWindowPos flags.
constexpr UINT SWP_NOSIZE = 0x1;
constexpr UINT SWP_NOMOVE = 0x2;
constexpr UINT SWP_NOZORDER = 0x4;

// Delivers the posted messages, the ones posted meanwhile included, in
// order; the number delivered.
int AfxPumpMessages();
// The number of messages waiting.
int AfxPendingMessages();

// The application's main window, set by the host; null when there is none.
CWnd* AfxGetMainWnd();
CWnd* AfxSetMainWnd(CWnd* pWnd);
