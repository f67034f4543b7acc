#include "platform/ui/scripted_ui.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

std::string Quote(const CString& text) { return "\"" + text.str() + "\""; }

// What a question shows, for failure texts: its kind, caption and text.
std::string Describe(const Struct_UiCall& call) {
    std::string s = UiCallName(call.kind);
    if (!call.sCaption.IsEmpty() && call.kind != Enum_UiCall::OpenFile && call.kind != Enum_UiCall::SaveFile)
        s += " " + Quote(call.sCaption);
    if (call.kind == Enum_UiCall::PopupMenu) {
        s += " with items [";
        for (int i = 0; i < call.vList.GetSize(); ++i) {
            if (i) s += ", ";
            s += Quote(call.vList.vPairs[static_cast<size_t>(i)].first) + " -> " +
                 Quote(call.vList.vPairs[static_cast<size_t>(i)].second);
        }
        s += "]";
    } else {
        s += " " + Quote(call.sText);
    }
    return s;
}

// The buttons a message box of this type offers.
std::vector<int> ButtonsOf(UINT type) {
    switch (type & MB_TYPEMASK) {
        case MB_OK: return {IDOK};
        case MB_OKCANCEL: return {IDOK, IDCANCEL};
        case MB_ABORTRETRYIGNORE: return {IDABORT, IDRETRY, IDIGNORE};
        case MB_YESNOCANCEL: return {IDYES, IDNO, IDCANCEL};
        case MB_YESNO: return {IDYES, IDNO};
        case MB_RETRYCANCEL: return {IDRETRY, IDCANCEL};
        default: return {};
    }
}

bool IsMessageBox(Enum_UiCall kind) {
    return kind == Enum_UiCall::FrameworkMessageBox || kind == Enum_UiCall::LibraryMessageBox;
}

// The record of a notice about views: the view's identifier, the resource
// and the view class or hint, as ui_records.h lays them out.
Struct_UiCall ViewNotice(Enum_UiCall kind, const CString& viewId, const URI_Ref& rsc, int number) {
    Struct_UiCall call;
    call.kind = kind;
    call.sCaption = viewId;
    call.uRsc = rsc;
    call.nType = static_cast<UINT>(number);
    return call;
}

// Every item of a menu and its popups, depth first.
void Flatten(const std::vector<Struct_UiMenuItem>& items, std::vector<const Struct_UiMenuItem*>& out) {
    for (const auto& item : items) {
        out.push_back(&item);
        Flatten(item.vSubItems, out);
    }
}

}  // namespace

CScriptedUi::CScriptedUi(bool install)
    : m_onFailure([](const std::string& failure) { ADD_FAILURE() << failure; }) {
    if (install) {
        m_pPrevious = Ui_SetCurrent(this);
        m_bInstalled = true;
    }
}

CScriptedUi::~CScriptedUi() {
    VerifyAllAnswered();
    if (m_bInstalled) Ui_SetCurrent(m_pPrevious);
}

// ---- answers ----

CScriptedUi& CScriptedUi::Queue(Answer a) {
    m_answers.push_back(std::move(a));
    return *this;
}

CScriptedUi& CScriptedUi::AnswerMessageBox(int button, const CString& expect) {
    return Queue({Enum_UiCall::FrameworkMessageBox, Mode::Value, button, CString(), expect, {}});
}

CScriptedUi& CScriptedUi::AnswerInput(const CString& text, const CString& expect) {
    return Queue({Enum_UiCall::InputBox, Mode::Value, 0, text, expect, {}});
}

CScriptedUi& CScriptedUi::AnswerInputChoice(const CString& display, const CString& expect) {
    return Queue({Enum_UiCall::InputBox, Mode::ByText, 0, display, expect, {}});
}

CScriptedUi& CScriptedUi::AnswerInputKeep(const CString& expect) {
    return Queue({Enum_UiCall::InputBox, Mode::Keep, 0, CString(), expect, {}});
}

CScriptedUi& CScriptedUi::AnswerInputCancel(const CString& expect) {
    return Queue({Enum_UiCall::InputBox, Mode::Cancel, 0, CString(), expect, {}});
}

CScriptedUi& CScriptedUi::AnswerButton(int index, const CString& expect) {
    return Queue({Enum_UiCall::ButtonChoice, Mode::Value, index, CString(), expect, {}});
}

CScriptedUi& CScriptedUi::AnswerButtonText(const CString& text, const CString& expect) {
    return Queue({Enum_UiCall::ButtonChoice, Mode::ByText, 0, text, expect, {}});
}

CScriptedUi& CScriptedUi::AnswerButtonClose(const CString& expect) {
    return Queue({Enum_UiCall::ButtonChoice, Mode::Cancel, -1, CString(), expect, {}});
}

CScriptedUi& CScriptedUi::AnswerPick(const CString& uriText, const CString& expect) {
    return Queue({Enum_UiCall::PickResource, Mode::Value, 0, uriText, expect, {}});
}

CScriptedUi& CScriptedUi::AnswerPickText(const CString& display, const CString& expect) {
    return Queue({Enum_UiCall::PickResource, Mode::ByText, 0, display, expect, {}});
}

CScriptedUi& CScriptedUi::AnswerPickCancel(const CString& expect) {
    return Queue({Enum_UiCall::PickResource, Mode::Cancel, -1, CString(), expect, {}});
}

CScriptedUi& CScriptedUi::AnswerOpenFile(const CString& path, const CString& expect) {
    return Queue({Enum_UiCall::OpenFile, Mode::Value, 0, path, expect, {}});
}

CScriptedUi& CScriptedUi::AnswerSaveFile(const CString& path, const CString& expect) {
    return Queue({Enum_UiCall::SaveFile, Mode::Value, 0, path, expect, {}});
}

CScriptedUi& CScriptedUi::AnswerFileCancel(const CString& expect) {
    return Queue({Enum_UiCall::OpenFile, Mode::Cancel, 0, CString(), expect, {}});
}

CScriptedUi& CScriptedUi::AnswerMenuCommand(const CString& command) {
    return Queue({Enum_UiCall::PopupMenu, Mode::Value, 0, command, CString(), {}});
}

CScriptedUi& CScriptedUi::AnswerMenuText(const CString& text) {
    return Queue({Enum_UiCall::PopupMenu, Mode::ByText, 0, text, CString(), {}});
}

CScriptedUi& CScriptedUi::AnswerMenuDismiss() {
    return Queue({Enum_UiCall::PopupMenu, Mode::Cancel, 0, CString(), CString(), {}});
}

CScriptedUi& CScriptedUi::AnswerDialog(const Struct_UiDialogAnswer& answer, const CString& expect) {
    return Queue({Enum_UiCall::ModalDialog, Mode::Value, answer.nResult, CString(), expect, answer});
}

// ---- record and failures ----

Struct_UiCall& CScriptedUi::Record(Struct_UiCall call) {
    m_vCalls.push_back(std::move(call));
    return m_vCalls.back();
}

void CScriptedUi::Report(const std::string& failure) {
    m_vFailures.push_back(failure);
    if (m_onFailure) m_onFailure(failure);
}

void CScriptedUi::Fail(const Struct_UiCall& call, const std::string& why) {
    Record(call);
    std::string failure = Describe(call) + ": " + why;
    Report(failure);
    throw CUiScriptError(failure);
}

CScriptedUi::Answer CScriptedUi::Next(const Struct_UiCall& call) {
    if (m_answers.empty()) Fail(call, "no answer was scripted");
    // The question takes the answer even when it does not fit, so that the
    // questions after it meet the answers scripted for them.
    Answer a = m_answers.front();
    m_answers.pop_front();
    bool fits = a.kind == call.kind || (IsMessageBox(a.kind) && IsMessageBox(call.kind)) ||
                (a.kind == Enum_UiCall::OpenFile && a.mode == Mode::Cancel && call.kind == Enum_UiCall::SaveFile);
    if (!fits) Fail(call, std::string("the next scripted answer is for a ") + UiCallName(a.kind));
    if (!a.sExpect.IsEmpty() && call.sText.Find(a.sExpect) < 0 && call.sCaption.Find(a.sExpect) < 0)
        Fail(call, "the scripted answer expected a question containing " + Quote(a.sExpect));
    return a;
}

std::vector<std::string> CScriptedUi::TakeFailures() {
    std::vector<std::string> out;
    out.swap(m_vFailures);
    return out;
}

void CScriptedUi::VerifyAllAnswered() {
    while (!m_answers.empty()) {
        Answer a = m_answers.front();
        m_answers.pop_front();
        std::string what = std::string("an answer for a ") + UiCallName(a.kind);
        if (!a.sValue.IsEmpty()) what += " (" + Quote(a.sValue) + ")";
        if (!a.sExpect.IsEmpty()) what += " expecting " + Quote(a.sExpect);
        Report(what + " was scripted but no such question came");
    }
}

std::vector<Struct_UiCall> CScriptedUi::CallsOf(Enum_UiCall kind) const {
    std::vector<Struct_UiCall> out;
    for (const auto& c : m_vCalls)
        if (c.kind == kind) out.push_back(c);
    return out;
}

int CScriptedUi::CountOf(Enum_UiCall kind) const {
    int n = 0;
    for (const auto& c : m_vCalls)
        if (c.kind == kind) ++n;
    return n;
}

const Struct_UiCall* CScriptedUi::LastOf(Enum_UiCall kind) const {
    for (auto it = m_vCalls.rbegin(); it != m_vCalls.rend(); ++it)
        if (it->kind == kind) return &*it;
    return nullptr;
}

std::vector<CString> CScriptedUi::Messages() const {
    std::vector<CString> out;
    for (const auto& c : m_vCalls)
        if (IsMessageBox(c.kind)) out.push_back(c.sText);
    return out;
}

// ---- questions ----

int CScriptedUi::MessageBox(Enum_UiCall source, const CString& text, UINT type, const CString& caption) {
    Struct_UiCall call;
    call.kind = IsMessageBox(source) ? source : Enum_UiCall::FrameworkMessageBox;
    call.sText = text;
    call.sCaption = caption;
    call.nType = type;
    std::vector<int> offered = ButtonsOf(type);
    if (offered.empty()) Fail(call, "the box type offers no known buttons");
    if (offered.size() == 1) {  // a notice: OK is the only answer
        call.nAnswer = IDOK;
        Record(call);
        return IDOK;
    }
    Answer a = Next(call);
    bool ok = false;
    for (int b : offered) ok = ok || b == a.nValue;
    if (!ok) Fail(call, "the scripted button " + std::to_string(a.nValue) + " is not one the box offers");
    call.nAnswer = a.nValue;
    Record(call);
    return a.nValue;
}

bool CScriptedUi::InputBox(const CString& prompt, CString& value, const Struct_EditPack* pack, bool flag) {
    Struct_UiCall call;
    call.kind = Enum_UiCall::InputBox;
    call.sText = prompt;
    call.sValue = value;
    call.bFlag = flag;
    if (pack) {
        call.nEditKind = pack->nEditKind;
        call.vList = pack->vList;
    }
    Answer a = Next(call);
    switch (a.mode) {
        case Mode::Cancel:
            call.nAnswer = 0;
            Record(call);
            return false;
        case Mode::Keep:
            break;
        case Mode::Value:
            value = a.sValue;
            break;
        case Mode::ByText: {
            bool found = false;
            if (pack)
                for (const auto& row : pack->vList.vPairs)
                    if (row.first == a.sValue) {
                        value = row.second;
                        found = true;
                        break;
                    }
            if (!found) Fail(call, "its choice list has no entry shown as " + Quote(a.sValue));
            break;
        }
    }
    call.nAnswer = 1;
    call.sAnswer = value;
    Record(call);
    return true;
}

int CScriptedUi::ButtonChoice(const CString& text, const CString& question, const Struct_Pairs& buttons,
                              int param) {
    Struct_UiCall call;
    call.kind = Enum_UiCall::ButtonChoice;
    call.sText = question;
    call.sCaption = text;
    call.vList = buttons;
    call.nType = static_cast<UINT>(param);
    Answer a = Next(call);
    int index = -1;
    if (a.mode == Mode::ByText) {
        for (int i = 0; i < buttons.GetSize(); ++i)
            if (buttons.vPairs[static_cast<size_t>(i)].first == a.sValue) {
                index = i;
                break;
            }
        if (index < 0) Fail(call, "it has no button " + Quote(a.sValue));
    } else if (a.mode == Mode::Value) {
        if (a.nValue < 0 || a.nValue >= buttons.GetSize())
            Fail(call, "it has no button number " + std::to_string(a.nValue));
        index = a.nValue;
    }
    call.nAnswer = index;
    if (index >= 0) call.sAnswer = buttons.vPairs[static_cast<size_t>(index)].first;
    Record(call);
    return index;
}

int CScriptedUi::PickResource(const CString& prompt, const Struct_Pairs& choices, int preset) {
    Struct_UiCall call;
    call.kind = Enum_UiCall::PickResource;
    call.sText = prompt;
    call.vList = choices;
    call.nType = static_cast<UINT>(preset);
    Answer a = Next(call);
    int index = -1;
    if (a.mode != Mode::Cancel) {
        for (int i = 0; i < choices.GetSize(); ++i) {
            const auto& row = choices.vPairs[static_cast<size_t>(i)];
            if ((a.mode == Mode::ByText ? row.first : row.second) == a.sValue) {
                index = i;
                break;
            }
        }
        if (index < 0) Fail(call, "its list has no row " + Quote(a.sValue));
        call.sAnswer = choices.vPairs[static_cast<size_t>(index)].second;
    }
    call.nAnswer = index;
    Record(call);
    return index;
}

bool CScriptedUi::FileDialog(const Struct_UiFileRequest& request, CString& path) {
    Struct_UiCall call;
    call.kind = request.bOpen ? Enum_UiCall::OpenFile : Enum_UiCall::SaveFile;
    call.sText = request.sFilter;
    call.sCaption = request.sDefExt;
    call.sValue = request.sFileName;
    call.nType = request.nFlags;
    Answer a = Next(call);
    if (a.mode == Mode::Cancel) {
        Record(call);
        return false;
    }
    path = a.sValue;
    call.nAnswer = IDOK;
    call.sAnswer = path;
    Record(call);
    return true;
}

UINT CScriptedUi::TrackPopupMenu(const Struct_UiMenu& menu) {
    Struct_UiCall call;
    call.kind = Enum_UiCall::PopupMenu;
    call.x = menu.x;
    call.y = menu.y;
    call.nType = menu.nFlags;
    std::vector<const Struct_UiMenuItem*> items;
    Flatten(menu.vItems, items);
    for (const auto* item : items) call.vList.Add(item->sText, item->sCommand);
    Answer a = Next(call);
    UINT chosen = 0;
    if (a.mode != Mode::Cancel) {
        for (const auto* item : items) {
            if (item->IsSeparator() || item->IsPopup()) continue;
            if ((a.mode == Mode::ByText ? item->sText : item->sCommand) == a.sValue) {
                chosen = item->nID;
                call.sAnswer = item->sCommand;
                break;
            }
        }
        if (chosen == 0)
            Fail(call, std::string("it has no item with the ") + (a.mode == Mode::ByText ? "text " : "command ") +
                           Quote(a.sValue));
    }
    call.nAnswer = static_cast<int>(chosen);
    Record(call);
    return chosen;
}

Struct_UiDialogAnswer CScriptedUi::RunModal(const Struct_UiDialogRequest& request) {
    Struct_UiCall call;
    call.kind = Enum_UiCall::ModalDialog;
    call.sText = request.sDialog;
    call.sCaption = request.sCaption;
    for (const auto& row : request.vRows) {
        CString line;
        for (size_t i = 0; i < row.size(); ++i) line += (i ? " | " : "") + row[i];
        call.vList.Add(line, CString());
    }
    Answer a = Next(call);
    call.nAnswer = a.dialog.nResult;
    Record(call);
    return a.dialog;
}

// ---- notices ----

void CScriptedUi::StatusText(const CString& text) {
    Struct_UiCall call;
    call.kind = Enum_UiCall::StatusText;
    call.sText = text;
    Record(call);
}

void CScriptedUi::AllViewsRefresh(const CString& viewId, const URI_Ref& rsc, int viewClass) {
    Record(ViewNotice(Enum_UiCall::AllViewsRefresh, viewId, rsc, viewClass));
}

void CScriptedUi::AllViewsLocate(const CString& viewId, const URI_Ref& rsc, int viewClass) {
    Record(ViewNotice(Enum_UiCall::AllViewsLocate, viewId, rsc, viewClass));
}

void CScriptedUi::ViewRefresh(const CString& viewId, int hint) {
    Record(ViewNotice(Enum_UiCall::ViewRefresh, viewId, URI_Ref(), hint));
}

void CScriptedUi::ViewShow(const CString& viewId, const URI_Ref& rsc, const CString& key, const CString& anchor,
                           int hint) {
    Struct_UiCall call = ViewNotice(Enum_UiCall::ViewShow, viewId, rsc, hint);
    call.sValue = key;
    call.sText = anchor;
    Record(std::move(call));
}

bool CScriptedUi::ShellOpen(const CString& path, const CString& params) {
    Struct_UiCall call;
    call.kind = Enum_UiCall::ShellOpen;
    call.sText = path;
    call.sValue = params;
    call.nAnswer = m_bShellOpenResult ? 1 : 0;
    Record(call);
    return m_bShellOpenResult;
}

void CScriptedUi::WaitCursor(bool begin) {
    Struct_UiCall call;
    call.kind = begin ? Enum_UiCall::WaitCursorBegin : Enum_UiCall::WaitCursorEnd;
    m_nWaitDepth += begin ? 1 : -1;
    if (m_nWaitDepth < 0) m_nWaitDepth = 0;
    Record(call);
}

void CScriptedUi::CommonMenu(const CString& viewId, const URI_Ref& rsc) {
    Record(ViewNotice(Enum_UiCall::CommonMenu, viewId, rsc, 0));
}
