#include "platform/ui/ui_functions.h"

#include "platform/ui/ui_services.h"

int _AfxMessageBox(const CString& text, UINT type, const CString& caption, CWnd* /*parent*/) {
    return Ui_Current().MessageBox(Enum_UiCall::FrameworkMessageBox, text, type, caption);
}

int AfxMessageBox(const CString& text, UINT type, UINT /*helpId*/) {
    return Ui_Current().MessageBox(Enum_UiCall::LibraryMessageBox, text, type, CString());
}

bool KQ_ShellExec(const CString& path, CWnd* /*parent*/, const CString& params) {
    return Ui_Current().ShellOpen(path, params);
}

void KQ_CommandFailed(const CString& reason) { Ui_Current().CommandFailed(reason); }

bool KQ_CommandFailure(const CString& text) {
    _AfxMessageBox(text, MB_OK, "", nullptr);
    KQ_CommandFailed(text);
    return false;
}

BOOL GetCursorPos(POINT* point) {
    if (!point) return FALSE;
    *point = Ui_Current().CursorPos();
    return TRUE;
}
