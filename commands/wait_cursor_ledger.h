// Counts the wait cursors begun while one command runs and ends those still
// on when the command leaves, however it leaves. It stands in front of the
// current user-interface services for its lifetime and passes everything on.
#pragma once

#include "platform/ui/ui_services.h"

namespace kiln::commands {

class CWaitCursorLedger : public Ifc_UiServices {
public:
    CWaitCursorLedger();
    ~CWaitCursorLedger() override;
    CWaitCursorLedger(const CWaitCursorLedger&) = delete;
    CWaitCursorLedger& operator=(const CWaitCursorLedger&) = delete;

    int MessageBox(Enum_UiCall source, const CString& text, UINT type, const CString& caption) override;
    bool InputBox(const CString& prompt, CString& value, const Struct_EditPack* pack, bool flag) override;
    int ButtonChoice(const CString& text, const CString& question, const Struct_Pairs& buttons, int param) override;
    int PickResource(const CString& prompt, const Struct_Pairs& choices, int preset) override;
    bool FileDialog(const Struct_UiFileRequest& request, CString& path) override;
    UINT TrackPopupMenu(const Struct_UiMenu& menu) override;
    Struct_UiDialogAnswer RunModal(const Struct_UiDialogRequest& request) override;
    void StatusText(const CString& text) override;
    void AllViewsRefresh(const CString& viewId, const URI_Ref& rsc, int viewClass) override;
    void AllViewsLocate(const CString& viewId, const URI_Ref& rsc, int viewClass) override;
    void ViewRefresh(const CString& viewId, int hint) override;
    void ViewShow(const CString& viewId, const URI_Ref& rsc, const CString& key, const CString& anchor,
                  int hint) override;
    bool ShellOpen(const CString& path, const CString& params) override;
    void WaitCursor(bool begin) override;
    void CommonMenu(const CString& viewId, const URI_Ref& rsc) override;
    POINT CursorPos() override;
    POINT ScreenSize() override;
    void CommandFailed(const CString& reason) override;

private:
    Ifc_UiServices& m_inner;
    int m_nOpen = 0;  // begun minus ended while the command ran
};

}  // namespace kiln::commands
