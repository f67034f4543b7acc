#include "platform/framework/wnd.h"

#include <deque>

#include "platform/ui/ui_services.h"

namespace {

struct PostedMessage {
    CWnd* pWnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

std::deque<PostedMessage>& Queue() {
    static std::deque<PostedMessage> s_queue;
    return s_queue;
}

CWnd* g_pMainWnd = nullptr;

}  // namespace

void CCmdTarget::BeginWaitCursor() { Ui_Current().WaitCursor(true); }

void CCmdTarget::EndWaitCursor() { Ui_Current().WaitCursor(false); }

CWnd::~CWnd() {
    // A window that goes away takes its waiting messages with it.
    auto& q = Queue();
    for (auto it = q.begin(); it != q.end();) it = it->pWnd == this ? q.erase(it) : it + 1;
    if (g_pMainWnd == this) g_pMainWnd = nullptr;
}

BOOL CWnd::CreateControl(const CLSID& clsid, const char* lpszWindowName, DWORD dwStyle, const RECT& rect,
                         CWnd* pParentWnd, UINT nID, CFile* pPersist, BOOL bStorage, const char* bstrLicKey) {
    m_ctrlClsid = clsid;
    m_strWindowName = lpszWindowName;
    m_dwStyle = dwStyle;
    m_rect = rect;
    m_pParent = pParentWnd;
    m_nCtrlID = nID;
    m_pPersist = pPersist;
    m_bStorage = bStorage;
    m_strLicKey = bstrLicKey;
    Attach_Window();
    return TRUE;
}

void CWnd::Attach_Window() { m_hWnd = this; }

BOOL CWnd::DestroyWindow() {
    if (!m_hWnd) return FALSE;
    m_hWnd = nullptr;
    return TRUE;
}

BOOL CWnd::EnableWindow(BOOL bEnable) {
    bool wasDisabled = !m_bEnabled;
    m_bEnabled = bEnable != FALSE;
    return wasDisabled ? TRUE : FALSE;
}

void CWnd::GetWindowRect(RECT* lpRect) const {
    if (lpRect) *lpRect = m_rect;
}

void CWnd::MoveWindow(int x, int y, int nWidth, int nHeight, BOOL /*bRepaint*/) {
    m_rect.left = x;
    m_rect.top = y;
    m_rect.right = x + nWidth;
    m_rect.bottom = y + nHeight;
}

BOOL CWnd::SetWindowPos(const CWnd* /*pWndInsertAfter*/, int x, int y, int cx, int cy, UINT nFlags) {
    long width = m_rect.right - m_rect.left, height = m_rect.bottom - m_rect.top;
    if (!(nFlags & SWP_NOMOVE)) {
        m_rect.left = x;
        m_rect.top = y;
    }
    if (!(nFlags & SWP_NOSIZE)) {
        width = cx;
        height = cy;
    }
    m_rect.right = m_rect.left + width;
    m_rect.bottom = m_rect.top + height;
    return TRUE;
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    Queue().push_back({this, message, wParam, lParam});
    return TRUE;
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) { return WindowProc(message, wParam, lParam); }

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) return OnCommand(wParam, lParam);
    return 0;
}

BOOL CWnd::OnCommand(WPARAM /*wParam*/, LPARAM /*lParam*/) { return FALSE; }

int AfxPumpMessages() {
    int n = 0;
    auto& q = Queue();
    while (!q.empty()) {
        PostedMessage m = q.front();
        q.pop_front();
        m.pWnd->WindowProc(m.message, m.wParam, m.lParam);
        ++n;
    }
    return n;
}

int AfxPendingMessages() { return static_cast<int>(Queue().size()); }

CWnd* AfxGetMainWnd() { return g_pMainWnd; }

CWnd* AfxSetMainWnd(CWnd* pWnd) {
    CWnd* previous = g_pMainWnd;
    g_pMainWnd = pWnd;
    return previous;
}
