#include "platform/ui/ui_services.h"

#include <iostream>
#include <string>

#include "platform/ui/ui_error.h"

const char* UiCallName(Enum_UiCall kind) {
    switch (kind) {
        case Enum_UiCall::FrameworkMessageBox: return "message box";
        case Enum_UiCall::LibraryMessageBox: return "class-library message box";
        case Enum_UiCall::InputBox: return "input box";
        case Enum_UiCall::ButtonChoice: return "button-choice box";
        case Enum_UiCall::PickResource: return "pick-a-resource box";
        case Enum_UiCall::OpenFile: return "open-file dialog";
        case Enum_UiCall::SaveFile: return "save-file dialog";
        case Enum_UiCall::PopupMenu: return "popup menu";
        case Enum_UiCall::ModalDialog: return "modal dialog";
        case Enum_UiCall::StatusText: return "status line";
        case Enum_UiCall::AllViewsRefresh: return "refresh of all views";
        case Enum_UiCall::AllViewsLocate: return "locate in all views";
        case Enum_UiCall::ViewRefresh: return "view refresh";
        case Enum_UiCall::ViewShow: return "view show";
        case Enum_UiCall::ShellOpen: return "shell open";
        case Enum_UiCall::WaitCursorBegin: return "wait cursor on";
        case Enum_UiCall::WaitCursorEnd: return "wait cursor off";
        case Enum_UiCall::CommonMenu: return "common menu";
    }
    return "call";
}

namespace {

// The services in force before the host (or a test) installs its own:
// notices are written to the standard error stream, notices in message
// boxes too, and every question fails.
class CNoUi final : public Ifc_UiServices {
public:
    int MessageBox(Enum_UiCall source, const CString& text, UINT type, const CString& caption) override {
        if ((type & MB_TYPEMASK) == MB_OK) {
            std::cerr << "[" << UiCallName(source) << "] " << text << "\n";
            return IDOK;
        }
        Fail(source, caption.IsEmpty() ? text : caption + ": " + text);
    }
    bool InputBox(const CString& prompt, CString&, const Struct_EditPack*, bool) override {
        Fail(Enum_UiCall::InputBox, prompt);
    }
    int ButtonChoice(const CString&, const CString& question, const Struct_Pairs&, int) override {
        Fail(Enum_UiCall::ButtonChoice, question);
    }
    int PickResource(const CString& prompt, const Struct_Pairs&, int) override {
        Fail(Enum_UiCall::PickResource, prompt);
    }
    bool FileDialog(const Struct_UiFileRequest& request, CString&) override {
        Fail(request.bOpen ? Enum_UiCall::OpenFile : Enum_UiCall::SaveFile, request.sFilter);
    }
    UINT TrackPopupMenu(const Struct_UiMenu&) override { Fail(Enum_UiCall::PopupMenu, CString()); }
    Struct_UiDialogAnswer RunModal(const Struct_UiDialogRequest& request) override {
        Fail(Enum_UiCall::ModalDialog, request.sDialog);
    }
    void StatusText(const CString& text) override { std::cerr << "[status] " << text << "\n"; }
    void AllViewsRefresh(const CString&, const URI_Ref&, int) override {}
    void AllViewsLocate(const CString&, const URI_Ref&, int) override {}
    void ViewRefresh(const CString&, int) override {}
    void ViewShow(const CString&, const URI_Ref&, const CString&, const CString&, int) override {}
    bool ShellOpen(const CString& path, const CString&) override {
        std::cerr << "[shell open] " << path << "\n";
        return false;
    }
    void WaitCursor(bool) override {}
    void CommonMenu(const CString&, const URI_Ref&) override {}
    POINT CursorPos() override { return POINT(); }

private:
    [[noreturn]] static void Fail(Enum_UiCall kind, const CString& text) {
        throw CUiScriptError(std::string("no user-interface services to answer the ") + UiCallName(kind) + " \"" +
                             text.str() + "\"");
    }
};

CNoUi g_noUi;
Ifc_UiServices* g_pCurrent = nullptr;

}  // namespace

Ifc_UiServices& Ui_Current() { return g_pCurrent ? *g_pCurrent : g_noUi; }

Ifc_UiServices* Ui_SetCurrent(Ifc_UiServices* services) {
    Ifc_UiServices* previous = g_pCurrent;
    g_pCurrent = services;
    return previous;
}
