// The headless host's user-interface services: message boxes, status texts
// and questions are printed into the transcript in the order they come;
// questions take their answers from the script (or the terminal); popup
// menus are printed with the states of their commands and kept, so that a
// later `menu` event can pick an item.
#pragma once

#include <exception>
#include <string>
#include <vector>

#include "host/answers.h"
#include "host/transcript.h"
#include "platform/ui/ui_error.h"
#include "platform/ui/ui_services.h"

class CBase_AppCim;

namespace kiln::host {

// One item of the last popup menu: its identifier, the text shown (after
// the plug-in's command-state handler), the text the menu gave it, and its
// command string.
struct MenuEntry {
    UINT nID = 0;
    std::string text;
    std::string menuText;
    std::string command;
    bool enabled = true;
};

class HostUi : public Ifc_UiServices {
public:
    HostUi(Transcript& out, Answerer& answers) : m_out(out), m_answers(answers) {}

    // The plug-in asked for the states of the commands of a tracked menu.
    void SetApp(CBase_AppCim* app) { m_app = app; }

    // The last popup menu tracked; `MenuShown` is false when no menu has
    // been tracked since ForgetMenu.
    bool MenuShown() const { return m_menuShown; }
    const std::vector<MenuEntry>& LastMenu() const { return m_menu; }
    void ForgetMenu() {
        m_menuShown = false;
        m_menu.clear();
    }

    // The first question that found no fitting answer, or the first command
    // that failed: once set, the run fails, even when the plug-in caught the
    // error thrown to it.
    bool Failed() const { return !m_failure.empty(); }
    const std::string& Failure() const { return m_failure; }
    // The number of message boxes shown so far.
    int Notices() const { return m_notices; }

    int MessageBox(Enum_UiCall source, const CString& text, UINT type, const CString& caption) override;
    bool InputBox(const CString& prompt, CString& value, const Struct_EditPack* pack, bool flag) override;
    int ButtonChoice(const CString& text, const CString& question, const Struct_Pairs& buttons, int param) override;
    int PickResource(const CString& prompt, const Struct_Pairs& choices, int preset) override;
    bool FileDialog(const Struct_UiFileRequest& request, CString& path) override;
    UINT TrackPopupMenu(const Struct_UiMenu& menu) override;
    Struct_UiDialogAnswer RunModal(const Struct_UiDialogRequest& request) override;
    void StatusText(const CString& text) override;
    void AllViewsRefresh(const CString&, const URI_Ref&, int) override {}
    void AllViewsLocate(const CString&, const URI_Ref&, int) override {}
    void ViewRefresh(const CString&, int) override {}
    void ViewShow(const CString&, const URI_Ref&, const CString&, const CString&, int) override {}
    bool ShellOpen(const CString& path, const CString& params) override;
    void WaitCursor(bool) override {}
    void CommonMenu(const CString&, const URI_Ref&) override {}
    POINT CursorPos() override { return POINT{}; }
    // The run fails with the first reason, after the event that gave it.
    void CommandFailed(const CString& reason) override {
        if (!Failed()) m_failure = reason.str();
    }

private:
    // Answers the question or throws CUiScriptError (after printing it and
    // keeping the failure).
    Reply Ask(const Question& q);
    void AddMenuItems(const std::vector<Struct_UiMenuItem>& items, int depth,
                      std::vector<Transcript::MenuLine>& lines);

    Transcript& m_out;
    Answerer& m_answers;
    CBase_AppCim* m_app = nullptr;
    bool m_menuShown = false;
    std::vector<MenuEntry> m_menu;
    std::string m_failure;
    int m_notices = 0;
};

// The failure of a host event; the message says what went wrong.
struct EventFailure {
    std::string message;
};

// Runs `call` (a host event or a handler of the plug-in). False, with the
// reason, when it failed, when it threw, or when a question found no
// answer (even one whose error the plug-in caught).
template <typename F>
bool GuardedCall(HostUi& ui, F&& call, std::string& error) {
    error.clear();
    try {
        call();
    } catch (const EventFailure& f) {
        error = f.message;
    } catch (const CUiScriptError& e) {
        error = ui.Failed() ? ui.Failure() : e.what();
    } catch (const std::exception& e) {
        error = std::string("the plug-in failed: ") + e.what();
    } catch (...) {
        error = "the plug-in failed with an unknown exception";
    }
    if (error.empty() && ui.Failed()) error = ui.Failure();
    return error.empty();
}

}  // namespace kiln::host
