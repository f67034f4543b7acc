#include "host/answers.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "host/events.h"
#include "host/script.h"
#include "host/text.h"
#include "platform/mfc/file_io.h"

namespace kiln::host {

namespace {

bool HasButton(const Question& q, const std::string& b) {
    return std::find(q.buttons.begin(), q.buttons.end(), b) != q.buttons.end();
}

// The answer kind that fits a question.
const char* KindFor(Question::Kind k) {
    switch (k) {
        case Question::Kind::MessageBox: return "ok/yes/no";
        case Question::Kind::Text: return "text";
        case Question::Kind::Choice: return "choice";
        case Question::Kind::Button: return "button";
        case Question::Kind::Resource: return "resource";
        case Question::Kind::OpenFile:
        case Question::Kind::SaveFile: return "file";
        case Question::Kind::Dialog: return "ok/choice/rows";
    }
    return "?";
}

}  // namespace

int FindRow(const std::vector<std::string>& choices, const std::vector<std::string>& values, const std::string& text) {
    for (size_t i = 0; i < choices.size(); ++i)
        if (choices[i] == text) return static_cast<int>(i);
    const std::string t = Trim(text);
    for (size_t i = 0; i < choices.size(); ++i)
        if (Trim(choices[i]) == t) return static_cast<int>(i);
    for (size_t i = 0; i < values.size(); ++i)
        if (values[i] == text) return static_cast<int>(i);
    return -1;
}

bool ParseRowRanges(const std::string& text, std::vector<std::pair<int, int>>& out, std::string& why) {
    out.clear();
    // A row number: digits only, from 1, at most six of them.
    auto number = [](const std::string& t, int& n) {
        if (!IsCount(t)) return false;
        n = std::atoi(t.c_str());
        return true;
    };
    size_t start = 0;
    while (true) {
        const size_t comma = text.find(',', start);
        const std::string entry =
            Trim(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        const size_t dash = entry.find('-');
        int first = 0, last = 0;
        const bool ok = dash == std::string::npos
                            ? number(entry, first) && (last = first, true)
                            : number(Trim(entry.substr(0, dash)), first) && number(Trim(entry.substr(dash + 1)), last);
        if (!ok) {
            why = Quoted(entry) + " is no row number (from 1) or range of them such as 4-5";
            return false;
        }
        if (last < first) {
            why = "the range " + Quoted(entry) + " runs backwards";
            return false;
        }
        out.emplace_back(first - 1, last - 1);
        if (comma == std::string::npos) return true;
        start = comma + 1;
    }
}

std::string Question::Describe() const {
    switch (kind) {
        case Kind::MessageBox: {
            std::string s = "the " + Join(buttons, "/") + " box " + Quoted(text);
            if (!caption.empty()) s += " (caption " + Quoted(caption) + ")";
            return s;
        }
        case Kind::Text: return "the input box " + Quoted(text);
        case Kind::Choice: return "the choice box " + Quoted(text);
        case Kind::Button: return "the button box " + Quoted(text) + " (buttons: " + Join(buttons, ", ") + ")";
        case Kind::Resource: return "the resource box " + Quoted(text);
        case Kind::OpenFile: return "the open-file dialog " + Quoted(text);
        case Kind::SaveFile: return "the save-file dialog " + Quoted(text);
        case Kind::Dialog: return "the dialog " + Quoted(text) + (caption.empty() ? "" : " (" + Quoted(caption) + ")");
    }
    return Quoted(text);
}

std::string ResolvePath(const std::string& path, const std::string& baseDir) {
    namespace fs = std::filesystem;
    fs::path p(path);
    if (p.is_absolute() || baseDir.empty()) return p.lexically_normal().string();
    return (fs::path(baseDir) / p).lexically_normal().string();
}

bool Answerer::FromQueue(const Question& q, const Answer& a, Reply& reply, std::string& error) const {
    auto misfit = [&](const std::string& why) {
        error = "the answer \"" + a.kind + (a.value.empty() ? "" : " " + a.value) + "\" (" + a.where +
                ") does not fit " + q.Describe() + ": " + why;
        return false;
    };
    if (a.kind == "cancel") {
        if (q.kind == Question::Kind::MessageBox && !HasButton(q, "cancel"))
            return misfit("it has no Cancel button");
        reply.cancelled = true;
        reply.button = "cancel";
        reply.shown = "cancel";
        return true;
    }
    switch (q.kind) {
        case Question::Kind::MessageBox:
            if (a.kind != "ok" && a.kind != "yes" && a.kind != "no")
                return misfit("it needs one of " + Join(q.buttons, ", "));
            if (!HasButton(q, a.kind)) return misfit("its buttons are " + Join(q.buttons, ", "));
            reply.button = a.kind;
            reply.shown = a.kind;
            return true;
        case Question::Kind::Text:
            if (a.kind != "text") return misfit("it needs answer text");
            reply.text = a.value;
            reply.shown = Quoted(a.value);
            return true;
        case Question::Kind::Choice:
        case Question::Kind::Resource:
        case Question::Kind::Button: {
            const char* need = KindFor(q.kind);
            if (a.kind != need) return misfit(std::string("it needs answer ") + need);
            const auto& rows = q.kind == Question::Kind::Button ? q.buttons : q.choices;
            int i = FindRow(rows, q.kind == Question::Kind::Resource ? q.values : std::vector<std::string>{}, a.value);
            if (i < 0) return misfit("no row is " + Quoted(a.value) + "; it offers " + (rows.empty() ? "nothing" : List(rows)));
            reply.index = i;
            reply.shown = Quoted(rows[static_cast<size_t>(i)]);
            return true;
        }
        case Question::Kind::OpenFile:
        case Question::Kind::SaveFile:
            if (a.kind != "file") return misfit("it needs answer file");
            reply.text = ResolvePath(a.value, a.baseDir);
            reply.shown = reply.text;
            if (q.kind == Question::Kind::OpenFile) {
                const std::string kind = kiln::file::KindAt(reply.text);
                if (kind.empty()) return misfit("there is no file " + reply.text);
                if (kind != "a regular file") return misfit(reply.text + " is " + kind);
            }
            if (kiln::file::FolderMark other; q.kind == Question::Kind::SaveFile && kiln::file::IsKeptOut(reply.text, &other))
                return misfit(other ? other.Refusal(reply.text)
                                    : reply.text + " is one of the workspace's own files, which no export writes over");
            return true;
        case Question::Kind::Dialog:
            // OK closes the dialog as it opened; a choice picks one of its rows first.
            if (a.kind == "ok") {
                reply.button = "ok";
                reply.shown = "ok";
                return true;
            }
            if (a.kind == "choice") {
                int i = FindRow(q.choices, {}, a.value);
                if (i < 0) return misfit("no row is " + Quoted(a.value));
                reply.button = "ok";
                reply.index = i;
                reply.shown = Quoted(q.choices[static_cast<size_t>(i)]);
                return true;
            }
            if (a.kind == "rows") {
                // Several rows selected, range by range, then OK.
                std::string why;
                if (!ParseRowRanges(a.value, reply.ranges, why)) return misfit(why);
                for (const auto& [first, last] : reply.ranges)
                    if (static_cast<size_t>(last) >= q.choices.size())
                        return misfit("row " + std::to_string(last + 1) + " is past its " +
                                      std::to_string(q.choices.size()) + " rows");
                reply.button = "ok";
                reply.shown = "rows " + Trim(a.value);
                return true;
            }
            return misfit("it needs answer ok, answer choice, answer rows or answer cancel");
    }
    return misfit("unknown question");
}

bool Answerer::FromTerminal(const Question& q, Reply& reply, std::string& error) {
    std::ostream& out = *m_prompt;
    out << "\n" << q.Describe() << "\n";
    const auto& rows = q.kind == Question::Kind::Button ? q.buttons : q.choices;
    const bool listed = q.kind == Question::Kind::Choice || q.kind == Question::Kind::Resource ||
                        q.kind == Question::Kind::Button || q.kind == Question::Kind::Dialog;
    if (listed)
        for (size_t i = 0; i < rows.size(); ++i) out << "  " << (i + 1) << ") " << rows[i] << "\n";
    for (int attempt = 0; attempt < 5; ++attempt) {
        switch (q.kind) {
            case Question::Kind::MessageBox: out << "answer (" << Join(q.buttons, "/") << "): "; break;
            case Question::Kind::Text: out << "text (empty line: cancel): "; break;
            case Question::Kind::OpenFile:
            case Question::Kind::SaveFile: out << "file path (empty line: cancel): "; break;
            default: out << "number or text (empty line: cancel): "; break;
        }
        out.flush();
        std::string line;
        if (!std::getline(*m_in, line)) {
            error = "no answer for " + q.Describe() + ": the terminal closed";
            return false;
        }
        if (!line.empty() && line.back() == '\r') line.pop_back();
        Answer a;
        a.where = "terminal";
        if (q.kind == Question::Kind::Dialog && Trim(line) == "ok") {
            a.kind = "ok";
        } else if (q.kind == Question::Kind::Dialog && Trim(line).rfind("rows ", 0) == 0) {
            a.kind = "rows";
            a.value = Trim(line).substr(5);
        } else if (q.kind == Question::Kind::MessageBox) {
            const std::string t = Trim(line);
            for (const auto& b : q.buttons)
                if (!t.empty() && b.compare(0, t.size(), t) == 0) a.kind = b;
            if (a.kind.empty()) {
                out << "please type one of " << Join(q.buttons, ", ") << "\n";
                continue;
            }
        } else if (line.empty()) {
            a.kind = "cancel";
        } else {
            a.kind = q.kind == Question::Kind::Dialog ? "choice" : KindFor(q.kind);
            a.value = line;
            if (listed) {
                char* end = nullptr;
                long n = std::strtol(line.c_str(), &end, 10);
                if (end && *end == '\0' && n >= 1 && static_cast<size_t>(n) <= rows.size())
                    a.value = rows[static_cast<size_t>(n - 1)];
            }
            if (a.kind == "file") a.baseDir = std::filesystem::current_path().string();
        }
        std::string why;
        if (FromQueue(q, a, reply, why)) {
            reply.shown += " (typed)";
            return true;
        }
        out << why << "\n";
    }
    error = "no answer for " + q.Describe() + " after five tries";
    return false;
}

bool Answerer::Take(const Question& q, Reply& reply, std::string& error) {
    reply = Reply{};
    if (!m_queue.empty()) {
        Answer a = m_queue.front();
        m_queue.pop_front();
        return FromQueue(q, a, reply, error);
    }
    if (Answer a; m_responder && m_responder(q, a)) return FromQueue(q, a, reply, error);
    if (m_in && m_prompt) return FromTerminal(q, reply, error);
    const std::string hint =
        q.kind == Question::Kind::MessageBox ? Join(q.buttons, "|") : std::string(KindFor(q.kind)) + " ...";
    error = "no answer for " + q.Describe() + "; queue one with `answer " + hint + "` before the event";
    return false;
}

std::string Answerer::Unused() const {
    if (m_queue.empty()) return std::string();
    std::string s = std::to_string(m_queue.size()) + " queued answer(s) found no question:";
    for (const auto& a : m_queue) {
        s += "\n  answer " + a.kind;
        if (!a.value.empty()) s.append(" ").append(QuoteWord(a.value));
        s.append(" (").append(a.where).append(")");
    }
    return s;
}

}  // namespace kiln::host
