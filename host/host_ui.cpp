#include "host/host_ui.h"

#include "host/text.h"
#include "platform/framework/app_cim.h"

namespace kiln::host {

namespace {

// The buttons of a message-box type, as the answers name them.
std::vector<std::string> ButtonsOf(UINT type) {
    switch (type & MB_TYPEMASK) {
        case MB_OK: return {"ok"};
        case MB_YESNO: return {"yes", "no"};
        case MB_YESNOCANCEL: return {"yes", "no", "cancel"};
        default: return {"ok", "cancel"};  // OK/Cancel; retry counts as OK
    }
}

int ResultOf(const Reply& r) {
    if (r.cancelled) return IDCANCEL;
    if (r.button == "yes") return IDYES;
    if (r.button == "no") return IDNO;
    return IDOK;
}

std::string TagOf(Question::Kind k) {
    switch (k) {
        case Question::Kind::Text: return "input";
        case Question::Kind::Choice: return "choose";
        case Question::Kind::Button: return "buttons";
        case Question::Kind::Resource: return "pick";
        case Question::Kind::OpenFile: return "open file";
        case Question::Kind::SaveFile: return "save file";
        case Question::Kind::Dialog: return "dialog";
        case Question::Kind::MessageBox: break;
    }
    return "question";
}

}  // namespace

Reply HostUi::Ask(const Question& q) {
    Reply r;
    std::string error;
    const bool ok = !Failed() && m_answers.Take(q, r, error);
    const std::string shown = ok ? r.shown : "(no answer)";
    if (q.kind == Question::Kind::MessageBox) {
        m_out.Question(Join(q.buttons, "/"), q.text, q.caption, shown);
    } else {
        std::string prompt = q.text;
        if (!q.caption.empty()) prompt = q.caption + ": " + prompt;
        const auto& rows = q.kind == Question::Kind::Button ? q.buttons : q.choices;
        m_out.Ask(TagOf(q.kind), prompt, rows, shown);
    }
    if (!ok) {
        // After the first failure every question fails, so that the plug-in
        // cannot go on as if the user had answered.
        if (!Failed()) m_failure = error;
        throw CUiScriptError(m_failure);
    }
    return r;
}

int HostUi::MessageBox(Enum_UiCall /*source*/, const CString& text, UINT type, const CString& caption) {
    ++m_notices;
    if ((type & MB_TYPEMASK) == MB_OK) {
        m_out.Notice(text.str(), caption.str());
        return IDOK;
    }
    Question q;
    q.kind = Question::Kind::MessageBox;
    q.text = text.str();
    q.caption = caption.str();
    q.buttons = ButtonsOf(type);
    return ResultOf(Ask(q));
}

bool HostUi::InputBox(const CString& prompt, CString& value, const Struct_EditPack* pack, bool /*flag*/) {
    Question q;
    q.text = prompt.str();
    const bool list = pack && pack->nEditKind == 7;
    q.kind = list ? Question::Kind::Choice : Question::Kind::Text;
    if (list)
        for (const auto& row : pack->vList.vPairs) q.choices.push_back(row.first.str());
    Reply r = Ask(q);
    if (r.cancelled) return false;
    if (list) value = pack->vList.vPairs[static_cast<size_t>(r.index)].second;
    else value = r.text;
    return true;
}

int HostUi::ButtonChoice(const CString& text, const CString& question, const Struct_Pairs& buttons, int /*param*/) {
    Question q;
    q.kind = Question::Kind::Button;
    q.text = question.str();
    q.caption = text.str();
    for (const auto& b : buttons.vPairs) q.buttons.push_back(b.first.str());
    Reply r = Ask(q);
    return r.cancelled ? -1 : r.index;
}

int HostUi::PickResource(const CString& prompt, const Struct_Pairs& choices, int /*preset*/) {
    Question q;
    q.kind = Question::Kind::Resource;
    q.text = prompt.str();
    for (const auto& row : choices.vPairs) {
        q.choices.push_back(row.first.str());
        q.values.push_back(row.second.str());
    }
    Reply r = Ask(q);
    return r.cancelled ? -1 : r.index;
}

bool HostUi::FileDialog(const Struct_UiFileRequest& request, CString& path) {
    Question q;
    q.kind = request.bOpen ? Question::Kind::OpenFile : Question::Kind::SaveFile;
    q.text = request.sFilter.str();
    if (!request.sFileName.IsEmpty()) q.text = request.sFileName.str() + " (" + q.text + ")";
    Reply r = Ask(q);
    if (r.cancelled) return false;
    path = r.text;
    return true;
}

void HostUi::AddMenuItems(const std::vector<Struct_UiMenuItem>& items, int depth,
                          std::vector<Transcript::MenuLine>& lines) {
    for (const auto& item : items) {
        Transcript::MenuLine line;
        line.depth = depth;
        if (item.IsSeparator()) {
            line.separator = true;
            lines.push_back(line);
            continue;
        }
        line.text = item.sText.str();
        if (item.IsPopup()) {
            lines.push_back(line);
            AddMenuItems(item.vSubItems, depth + 1, lines);
            continue;
        }
        MenuEntry entry;
        entry.nID = item.nID;
        entry.menuText = item.sText.str();
        entry.text = entry.menuText;
        entry.command = item.sCommand.str();
        entry.enabled = (item.nFlags & (MF_GRAYED | MF_DISABLED)) == 0;
        // Before it shows an item, the host asks the plug-in for the
        // command's state: its text and whether it is enabled.
        if (m_app && !entry.command.empty()) {
            CCmdUI_Eq state;
            state.sText = item.sText;
            state.bEnabled = entry.enabled;
            m_app->Msg_OnAppCommandUpdate(item.sCommand, &state);
            if (!state.sText.IsEmpty()) entry.text = state.sText.str();
            entry.enabled = state.bEnabled;
        }
        line.text = entry.text;
        line.command = entry.command.empty() ? "(no command)" : entry.command;
        line.enabled = entry.enabled;
        lines.push_back(line);
        m_menu.push_back(std::move(entry));
    }
}

UINT HostUi::TrackPopupMenu(const Struct_UiMenu& menu) {
    m_menu.clear();
    m_menuShown = true;
    std::vector<Transcript::MenuLine> lines;
    AddMenuItems(menu.vItems, 0, lines);
    m_out.Menu(lines);
    // The menu closes without a choice; a later `menu` event picks an item.
    return 0;
}

Struct_UiDialogAnswer HostUi::RunModal(const Struct_UiDialogRequest& request) {
    Question q;
    q.kind = Question::Kind::Dialog;
    q.text = request.sDialog.str();
    q.caption = request.sCaption.str();
    for (const auto& row : request.vRows) {
        std::string line;
        for (size_t i = 0; i < row.size(); ++i) line += (i ? " | " : "") + row[i].str();
        q.choices.push_back(line);
    }
    Reply r = Ask(q);
    Struct_UiDialogAnswer answer;
    answer.nResult = r.cancelled ? IDCANCEL : IDOK;
    if (r.index >= 0) {
        const auto& row = request.vRows[static_cast<size_t>(r.index)];
        answer.vPicks.push_back(row.empty() ? CString() : row.front());
        const int last = row.empty() ? 0 : static_cast<int>(row.size()) - 1;
        answer.vRanges.push_back(Struct_UiGridRange{r.index, 0, r.index, last});
    }
    // Rows selected range by range: each range spans every column.
    for (const auto& [first, lastRow] : r.ranges) {
        for (int i = first; i <= lastRow; ++i) {
            const auto& row = request.vRows[static_cast<size_t>(i)];
            answer.vPicks.push_back(row.empty() ? CString() : row.front());
        }
        const auto& top = request.vRows[static_cast<size_t>(first)];
        const int lastCol = top.empty() ? 0 : static_cast<int>(top.size()) - 1;
        answer.vRanges.push_back(Struct_UiGridRange{first, 0, lastRow, lastCol});
    }
    return answer;
}

void HostUi::StatusText(const CString& text) { m_out.Status(text.str()); }

bool HostUi::ShellOpen(const CString& path, const CString& params) {
    // Headless: the file is named, not opened.
    m_out.Line("[open] " + path.str() + (params.IsEmpty() ? "" : " " + params.str()));
    return true;
}

}  // namespace kiln::host
