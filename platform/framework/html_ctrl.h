// Small members of the framework's HTML classes: the BSTR conversion of the
// HTML edit control and the command-state handler of the HTML view's
// style-sheet list.
#pragma once

#include "platform/framework/com_types.h"
#include "platform/framework/wnd.h"
#include "platform/mfc/cstring.h"

// The class library's command-state object handed to update handlers.
class CCmdUI {
public:
    virtual ~CCmdUI() = default;
    virtual void Enable(BOOL bOn = TRUE) { m_bEnabled = bOn != FALSE; }
    virtual void SetText(const char* text) { m_strText = text; }
    bool m_bEnabled = false;
    CString m_strText;
};

class CHtmlEditCtrl2 : public CWnd {
public:
    // Empties `text`, then converts a non-null BSTR, the whole of it, to the
    // program's text (UTF-8). Unpaired surrogates become U+FFFD.
    static void BSTR2CString(BSTR bstr, CString& text);
};

class CBase_Html : public CCmdTarget {
public:
    // The style-sheet list command is always available.
    void OnUpdateXSLTFilesText(CCmdUI* pCmdUI);
};
