// The scripted double of the user-interface services for tests.
//
// Answers are queued in the order the questions will come; each question
// takes the next answer, which must be of its kind and must fit it (a button
// the box offers, an entry its list holds, a command its menu has). Every
// call is recorded with its texts, type and caption. A question that finds
// no answer, or one that does not fit, is a test failure that names the
// question: it is reported through the failure handler (by default a
// GoogleTest failure) and thrown as CUiScriptError, so that it can neither
// be answered by accident nor pass silently. Notices need no answer: status
// texts, refreshes, shell opens, the wait cursor and message boxes with the
// OK button alone (answered IDOK). Answers still queued when the double is
// destroyed (or VerifyAllAnswered is called) are failures too.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/ui/ui_error.h"
#include "platform/ui/ui_services.h"

class CScriptedUi : public Ifc_UiServices {
public:
    // With `install` the double becomes the current services until it is
    // destroyed; the previous ones come back then.
    explicit CScriptedUi(bool install = true);
    ~CScriptedUi() override;
    CScriptedUi(const CScriptedUi&) = delete;
    CScriptedUi& operator=(const CScriptedUi&) = delete;

    // ---- answers, in the order the questions come ----
    // `expect`, when not empty, must occur in the question's text or caption.

    // Message boxes of either source (framework or class library).
    CScriptedUi& AnswerMessageBox(int button, const CString& expect = CString());
    CScriptedUi& AnswerYes(const CString& expect = CString()) { return AnswerMessageBox(IDYES, expect); }
    CScriptedUi& AnswerNo(const CString& expect = CString()) { return AnswerMessageBox(IDNO, expect); }
    CScriptedUi& AnswerCancel(const CString& expect = CString()) { return AnswerMessageBox(IDCANCEL, expect); }
    CScriptedUi& AnswerOk(const CString& expect = CString()) { return AnswerMessageBox(IDOK, expect); }

    // Input box: OK with this text; OK on the entry of the choice list shown
    // with this text (its value is the answer); OK on the text the box
    // opened with; Cancel.
    CScriptedUi& AnswerInput(const CString& text, const CString& expect = CString());
    CScriptedUi& AnswerInputChoice(const CString& display, const CString& expect = CString());
    CScriptedUi& AnswerInputKeep(const CString& expect = CString());
    CScriptedUi& AnswerInputCancel(const CString& expect = CString());

    // Button-choice box: the button of that index or text; closed (-1).
    CScriptedUi& AnswerButton(int index, const CString& expect = CString());
    CScriptedUi& AnswerButtonText(const CString& text, const CString& expect = CString());
    CScriptedUi& AnswerButtonClose(const CString& expect = CString());

    // Pick-a-resource box: the row of that URI text or display text; cancel.
    CScriptedUi& AnswerPick(const CString& uriText, const CString& expect = CString());
    CScriptedUi& AnswerPickText(const CString& display, const CString& expect = CString());
    CScriptedUi& AnswerPickCancel(const CString& expect = CString());

    // File dialogs: OK with this path (open or save dialog); cancel (either).
    CScriptedUi& AnswerOpenFile(const CString& path, const CString& expect = CString());
    CScriptedUi& AnswerSaveFile(const CString& path, const CString& expect = CString());
    CScriptedUi& AnswerFileCancel(const CString& expect = CString());

    // Popup menu: the item of that command string or text; closed.
    CScriptedUi& AnswerMenuCommand(const CString& command);
    CScriptedUi& AnswerMenuText(const CString& text);
    CScriptedUi& AnswerMenuDismiss();

    // Modal dialog.
    CScriptedUi& AnswerDialog(const Struct_UiDialogAnswer& answer, const CString& expect = CString());

    // ---- what the host reports ----
    void SetCursorPos(long x, long y) { m_cursor.x = x; m_cursor.y = y; }
    void SetScreenSize(long cx, long cy) { m_screen.x = cx; m_screen.y = cy; }
    void SetShellOpenResult(bool ok) { m_bShellOpenResult = ok; }

    // ---- the record ----
    const std::vector<Struct_UiCall>& Calls() const { return m_vCalls; }
    std::vector<Struct_UiCall> CallsOf(Enum_UiCall kind) const;
    int CountOf(Enum_UiCall kind) const;
    // The last call of the kind; null when there was none.
    const Struct_UiCall* LastOf(Enum_UiCall kind) const;
    // The texts of all message boxes (both sources), in order.
    std::vector<CString> Messages() const;
    // Begun minus ended wait cursors.
    int WaitCursorDepth() const { return m_nWaitDepth; }
    void ClearCalls() { m_vCalls.clear(); }
    size_t PendingAnswers() const { return m_answers.size(); }

    // ---- failures ----
    // The handler receives each failure's text; the default reports a
    // non-fatal GoogleTest failure. Failures are kept in Failures() as well.
    void SetFailureHandler(std::function<void(const std::string&)> handler) { m_onFailure = std::move(handler); }
    const std::vector<std::string>& Failures() const { return m_vFailures; }
    std::vector<std::string> TakeFailures();
    // Reports every answer still queued as a failure and drops it.
    void VerifyAllAnswered();

    // ---- Ifc_UiServices ----
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
    POINT CursorPos() override { return m_cursor; }
    POINT ScreenSize() override { return m_screen; }

private:
    // How a queued answer answers.
    enum class Mode { Value, ByText, Keep, Cancel };
    struct Answer {
        Enum_UiCall kind;  // FrameworkMessageBox stands for both message boxes; OpenFile for a cancel of either dialog
        Mode mode = Mode::Value;
        int nValue = 0;
        CString sValue;
        CString sExpect;
        Struct_UiDialogAnswer dialog;
    };

    CScriptedUi& Queue(Answer a);
    // The next answer for the question `call`; fails when there is none or
    // when it is for another kind of question.
    Answer Next(const Struct_UiCall& call);
    [[noreturn]] void Fail(const Struct_UiCall& call, const std::string& why);
    void Report(const std::string& failure);
    Struct_UiCall& Record(Struct_UiCall call);

    std::deque<Answer> m_answers;
    std::vector<Struct_UiCall> m_vCalls;
    std::vector<std::string> m_vFailures;
    std::function<void(const std::string&)> m_onFailure;
    POINT m_cursor{100, 100};
    POINT m_screen{1920, 1080};
    bool m_bShellOpenResult = true;
    int m_nWaitDepth = 0;
    bool m_bInstalled = false;
    Ifc_UiServices* m_pPrevious = nullptr;
};
