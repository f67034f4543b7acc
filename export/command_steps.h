// Steps every export command shares: its template from the template folder,
// the save dialog's flags, the wait cursor after the file choice, notices.
#pragma once

#include "core/kiln_main.h"
#include "platform/framework/wnd.h"
#include "platform/mfc/text_funcs.h"
#include "platform/ui/ui_functions.h"
#include "platform/xml/base_xml.h"

namespace kiln::exporter {

inline constexpr DWORD kSaveFlags = 6;  // hide read-only, prompt before overwriting

// Loads a template of the template folder beside the document folder and
// sets its default namespace; `path` receives the template's path.
inline bool LoadTemplate(CKiln_Main* pMain, CBase_XML& xml, const char* file, const char* ns, CString& path) {
    path = kiln::path::TemplateFile(pMain->DocMtd_Get_DocPath(), file);
    return xml.Load(path) && xml.Set_Default_NameSpase(ns);
}

// The wait cursor of the main window from the file choice to the command's end.
class WaitCursor {
public:
    WaitCursor() {
        if (CWnd* w = AfxGetMainWnd()) {
            w->BeginWaitCursor();
            m_pWnd = w;
        }
    }
    ~WaitCursor() {
        if (m_pWnd) m_pWnd->EndWaitCursor();
    }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    CWnd* m_pWnd = nullptr;
};

// An OK box without caption.
inline void Notice(const CString& text) { _AfxMessageBox(text, MB_OK); }

}  // namespace kiln::exporter
