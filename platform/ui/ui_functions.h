// The free functions of the framework and the class library that reach the
// user: message boxes, the shell opener and the cursor position. They go to
// the current user-interface services (Ui_Current).
#pragma once

#include "platform/mfc/cstring.h"
#include "platform/ui/win_types.h"

class CWnd;

// The framework's message box: the button pressed (IDOK, IDYES, IDNO, ...).
int _AfxMessageBox(const CString& text, UINT type = MB_OK, const CString& caption = CString(),
                   CWnd* parent = nullptr);

// The class library's message box; the host tells it apart from the
// framework's. The help identifier is not used.
int AfxMessageBox(const CString& text, UINT type = MB_OK, UINT helpId = 0);

// Opens a file with its associated program; false when that failed.
bool KQ_ShellExec(const CString& path, CWnd* parent = nullptr, const CString& params = CString());

// A command could not do what it was asked (a file it writes was not
// written, a file it reads was refused), as its message said: the host fails
// the run with `reason`.
void KQ_CommandFailed(const CString& reason);
// Both: the framework's message box says `text`, and the command fails with
// it. False, for the command to return.
bool KQ_CommandFailure(const CString& text);

// The cursor position in screen coordinates; TRUE.
BOOL GetCursorPos(POINT* point);
