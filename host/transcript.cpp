#include "host/transcript.h"

#include <cerrno>
#include <cstring>

#include "host/text.h"

namespace kiln::host {

// Writes `head` and `text`; lines after the first of a text that holds line
// breaks are indented under it, so that one entry stays one block.
void Transcript::Write(const std::string& head, const std::string& text, int indent) {
    EndProgress();
    const int callersErrno = errno;
    errno = 0;
    const std::string pad(static_cast<size_t>(indent > 0 ? indent : 0), ' ');
    m_out << pad << head;
    size_t pos = 0;
    while (true) {
        size_t nl = text.find('\n', pos);
        std::string part = text.substr(pos, nl == std::string::npos ? std::string::npos : nl - pos);
        if (!part.empty() && part.back() == '\r') part.pop_back();
        m_out << part << '\n';
        if (nl == std::string::npos) break;
        pos = nl + 1;
        m_out << pad << "    ";
    }
    m_out.flush();
    if (!m_out && m_writeError == 0) m_writeError = errno != 0 ? errno : EIO;
    errno = callersErrno;
}

std::string Transcript::WriteFailure() const {
    return m_writeError == 0 ? std::string()
                             : std::string("the transcript could not be written: ") + std::strerror(m_writeError);
}

void Transcript::Event(const std::string& text) { Write("> ", text, 0); }

void Transcript::Line(const std::string& text, int indent) { Write("", text, indent); }

void Transcript::Notice(const std::string& text, const std::string& caption) {
    Write(caption.empty() ? "[message] " : "[message: " + caption + "] ", text, 0);
}

void Transcript::Question(const std::string& buttons, const std::string& text, const std::string& caption,
                          const std::string& answer) {
    std::string head = "[question " + buttons + (caption.empty() ? "" : ": " + caption) + "] ";
    Write(head, text + " -> " + answer, 0);
}

void Transcript::Ask(const std::string& tag, const std::string& prompt, const std::vector<std::string>& rows,
                     const std::string& answer) {
    if (rows.empty()) {
        Write("[" + tag + "] ", prompt + " -> " + answer, 0);
        return;
    }
    Write("[" + tag + "] ", prompt, 0);
    for (const auto& c : rows) Write("", c, 4);
    Write("-> ", answer, 2);
}

void Transcript::Status(const std::string& text) {
    // The next progress line overwrites the shown one; no need to clear it first.
    m_progressShown = false;
    Write("[status] ", text, 0);
    if (m_progress) {
        // One line on the terminal, overwritten by the next status text.
        std::string oneLine = text;
        for (auto& c : oneLine)
            if (c == '\n' || c == '\r') c = ' ';
        *m_progress << "\r\033[K" << oneLine << std::flush;
        m_progressShown = true;
    }
}

void Transcript::Menu(const std::vector<MenuLine>& items) {
    Write("[menu]", items.empty() ? " (empty)" : "", 0);
    for (const auto& m : items) {
        const int indent = 4 + 4 * m.depth;
        if (m.separator) Write("", "----", indent);
        else if (m.command.empty()) Write("", Quoted(m.text) + " >", indent);
        else Write("", Quoted(m.text) + "  " + m.command + (m.enabled ? "" : "  (disabled)"), indent);
    }
}

void Transcript::Error(const std::string& text) { Write("error: ", Visible(text), 0); }

void Transcript::EndProgress() {
    if (m_progress && m_progressShown) {
        *m_progress << "\r\033[K" << std::flush;
        m_progressShown = false;
    }
}

}  // namespace kiln::host
