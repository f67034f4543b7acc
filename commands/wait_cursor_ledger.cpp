#include "commands/wait_cursor_ledger.h"

namespace kiln::commands {

CWaitCursorLedger::CWaitCursorLedger() : m_inner(Ui_Current()) { Ui_SetCurrent(this); }

CWaitCursorLedger::~CWaitCursorLedger() {
    Ui_SetCurrent(&m_inner);
    for (; m_nOpen > 0; --m_nOpen) m_inner.WaitCursor(false);
}

void CWaitCursorLedger::WaitCursor(bool begin) {
    if (begin)
        ++m_nOpen;
    else if (m_nOpen > 0)
        --m_nOpen;
    m_inner.WaitCursor(begin);
}

int CWaitCursorLedger::MessageBox(Enum_UiCall source, const CString& text, UINT type, const CString& caption) {
    return m_inner.MessageBox(source, text, type, caption);
}
bool CWaitCursorLedger::InputBox(const CString& prompt, CString& value, const Struct_EditPack* pack, bool flag) {
    return m_inner.InputBox(prompt, value, pack, flag);
}
int CWaitCursorLedger::ButtonChoice(const CString& text, const CString& question, const Struct_Pairs& buttons,
                                    int param) {
    return m_inner.ButtonChoice(text, question, buttons, param);
}
int CWaitCursorLedger::PickResource(const CString& prompt, const Struct_Pairs& choices, int preset) {
    return m_inner.PickResource(prompt, choices, preset);
}
bool CWaitCursorLedger::FileDialog(const Struct_UiFileRequest& request, CString& path) {
    return m_inner.FileDialog(request, path);
}
UINT CWaitCursorLedger::TrackPopupMenu(const Struct_UiMenu& menu) { return m_inner.TrackPopupMenu(menu); }
Struct_UiDialogAnswer CWaitCursorLedger::RunModal(const Struct_UiDialogRequest& request) {
    return m_inner.RunModal(request);
}
void CWaitCursorLedger::StatusText(const CString& text) { m_inner.StatusText(text); }
void CWaitCursorLedger::AllViewsRefresh(const CString& viewId, const URI_Ref& rsc, int viewClass) {
    m_inner.AllViewsRefresh(viewId, rsc, viewClass);
}
void CWaitCursorLedger::AllViewsLocate(const CString& viewId, const URI_Ref& rsc, int viewClass) {
    m_inner.AllViewsLocate(viewId, rsc, viewClass);
}
void CWaitCursorLedger::ViewRefresh(const CString& viewId, int hint) { m_inner.ViewRefresh(viewId, hint); }
void CWaitCursorLedger::ViewShow(const CString& viewId, const URI_Ref& rsc, const CString& key, const CString& anchor,
                                 int hint) {
    m_inner.ViewShow(viewId, rsc, key, anchor, hint);
}
bool CWaitCursorLedger::ShellOpen(const CString& path, const CString& params) {
    return m_inner.ShellOpen(path, params);
}
void CWaitCursorLedger::CommonMenu(const CString& viewId, const URI_Ref& rsc) { m_inner.CommonMenu(viewId, rsc); }
POINT CWaitCursorLedger::CursorPos() { return m_inner.CursorPos(); }
POINT CWaitCursorLedger::ScreenSize() { return m_inner.ScreenSize(); }
void CWaitCursorLedger::CommandFailed(const CString& reason) { m_inner.CommandFailed(reason); }

}  // namespace kiln::commands
