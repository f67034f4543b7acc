// The host's user-interface services: everything the host shows or asks.
// The framework reaches them only through the current services, which the
// host installs at start (and a test for its duration).
#pragma once

#include "platform/framework/records.h"
#include "platform/mfc/cstring.h"
#include "platform/ui/ui_records.h"
#include "platform/ui/win_types.h"

class Ifc_UiServices {
public:
    virtual ~Ifc_UiServices() = default;

    // ---- questions ----

    // A message box; the result is the button pressed (IDOK, IDYES, ...).
    // `source` is FrameworkMessageBox or LibraryMessageBox.
    virtual int MessageBox(Enum_UiCall source, const CString& text, UINT type, const CString& caption) = 0;

    // The single input box: `value` holds the text it opens with and, on OK,
    // the answer (for a choice list, the value of the chosen entry). `pack`
    // may be null. False on Cancel, `value` then unchanged.
    virtual bool InputBox(const CString& prompt, CString& value, const Struct_EditPack* pack, bool flag) = 0;

    // A question with one button per pair (the first text is the button's);
    // the index of the button pressed, negative when the box was closed.
    virtual int ButtonChoice(const CString& text, const CString& question, const Struct_Pairs& buttons,
                             int param) = 0;

    // Pick one resource of a list of (display text, URI text) rows; `preset`
    // is the row selected when the box opens (-1 for none). The row picked,
    // negative when the box was cancelled.
    virtual int PickResource(const CString& prompt, const Struct_Pairs& choices, int preset) = 0;

    // An open or save dialog: true with the full path on OK.
    virtual bool FileDialog(const Struct_UiFileRequest& request, CString& path) = 0;

    // Tracks a popup menu: the identifier of the chosen item, 0 when the menu
    // was closed without a choice.
    virtual UINT TrackPopupMenu(const Struct_UiMenu& menu) = 0;

    // Runs a dialog modally: what the user did in it.
    virtual Struct_UiDialogAnswer RunModal(const Struct_UiDialogRequest& request) = 0;

    // ---- notices ----

    virtual void StatusText(const CString& text) = 0;
    // A refresh or locate of all views of a class (0: all); `viewId` names
    // the view given with the call, empty for none.
    virtual void AllViewsRefresh(const CString& viewId, const URI_Ref& rsc, int viewClass) = 0;
    virtual void AllViewsLocate(const CString& viewId, const URI_Ref& rsc, int viewClass) = 0;
    // One view redisplays its page, or shows a resource (at a key and anchor).
    virtual void ViewRefresh(const CString& viewId, int hint) = 0;
    virtual void ViewShow(const CString& viewId, const URI_Ref& rsc, const CString& key, const CString& anchor,
                          int hint) = 0;
    // Opens a file with the program the system associates with it; false
    // when it could not be opened.
    virtual bool ShellOpen(const CString& path, const CString& params) = 0;
    virtual void WaitCursor(bool begin) = 0;
    // The framework's own menu of the manager view.
    virtual void CommonMenu(const CString& viewId, const URI_Ref& rsc) = 0;
    // The cursor position in screen coordinates.
    virtual POINT CursorPos() = 0;
    // A command failed after showing why (`reason`): a host that plays a
    // run fails it; one that only shows messages has shown it already.
    virtual void CommandFailed(const CString& /*reason*/) {}
    // The size of the primary screen in pixels (x the width, y the height).
    virtual POINT ScreenSize() { return POINT{1920, 1080}; }
};

// The services the framework uses now. Never null: without installed
// services, notices go to the standard error stream and every question
// throws CUiScriptError, so that nothing is answered by accident.
Ifc_UiServices& Ui_Current();

// Installs `services` (null: the fallback above) and returns the previous ones.
Ifc_UiServices* Ui_SetCurrent(Ifc_UiServices* services);

// Installs services for the lifetime of the scope and then restores the
// previous ones.
class CUiServicesScope {
public:
    explicit CUiServicesScope(Ifc_UiServices* services) : m_pPrevious(Ui_SetCurrent(services)) {}
    ~CUiServicesScope() { Ui_SetCurrent(m_pPrevious); }
    CUiServicesScope(const CUiServicesScope&) = delete;
    CUiServicesScope& operator=(const CUiServicesScope&) = delete;

private:
    Ifc_UiServices* m_pPrevious;
};
