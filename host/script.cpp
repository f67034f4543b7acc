#include "host/script.h"

#include "host/events.h"
#include "host/text.h"
#include "platform/xml/xml_check.h"

#include <cstdio>

namespace kiln::host {

// "demo.kiln:12", or "-e 2" for the events of the command line.
static std::string Place(const std::string& origin, int line) {
    return origin + (origin == "-e" ? " " : ":") + std::to_string(line);
}

std::string Event::Where() const { return Place(origin, line); }

std::string ScriptError::What() const {
    // A line of a binary file may be megabytes long: the message shows its head.
    constexpr size_t kMax = 200;
    std::string shown = message;
    if (shown.size() > kMax) {
        size_t cut = kMax;
        while (cut > 0 && (static_cast<unsigned char>(shown[cut]) & 0xC0) == 0x80) --cut;  // whole characters
        shown = shown.substr(0, cut) + "...";
    }
    return Place(origin, line) + ": " + shown;
}

static bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool SplitWords(std::string_view line, std::vector<std::string>& words, std::string& error) {
    words.clear();
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && IsBlank(line[i])) ++i;
        if (i >= line.size()) break;
        std::string word;
        if (line[i] == '"') {
            ++i;
            bool closed = false;
            while (i < line.size()) {
                char c = line[i];
                if (c == '"') {
                    closed = true;
                    ++i;
                    break;
                }
                if (c == '\\') {
                    if (i + 1 >= line.size()) break;
                    char n = line[i + 1];
                    if (n == '"' || n == '\\') word += n;
                    else if (n == 'n') word += '\n';
                    else if (n == 't') word += '\t';
                    else {
                        error = std::string("unknown escape \\") + n + " in a quoted text (use \\\" \\\\ \\n \\t)";
                        return false;
                    }
                    i += 2;
                    continue;
                }
                word += c;
                ++i;
            }
            if (!closed) {
                error = "a quoted text is not closed";
                return false;
            }
            if (i < line.size() && !IsBlank(line[i])) {
                error = "a quoted text must be followed by a blank";
                return false;
            }
        } else {
            while (i < line.size() && !IsBlank(line[i])) {
                if (line[i] == '"') {
                    error = "a quote inside a word; quote the whole word";
                    return false;
                }
                word += line[i++];
            }
        }
        words.push_back(std::move(word));
    }
    return true;
}

std::string QuoteWord(const std::string& word, bool always) {
    bool plain = !always && !word.empty();
    for (char c : word)
        if (IsBlank(c) || c == '"' || c == '\\') plain = false;
    if (plain) return word;
    std::string q = "\"";
    for (char c : word) {
        if (c == '"' || c == '\\') q += '\\';
        if (c == '\n') {
            q += "\\n";
            continue;
        }
        if (c == '\t') {
            q += "\\t";
            continue;
        }
        q += c;
    }
    return q + "\"";
}

bool ParseLine(std::string_view line, const std::string& origin, int lineNo, Event& event, bool& has,
               ScriptError& error) {
    has = false;
    std::string text = Trim(line);
    // A UTF-8 byte-order mark at the head of a file is not part of the line.
    if (lineNo == 1 && text.substr(0, 3) == "\xEF\xBB\xBF") text = Trim(text.substr(3));
    error = ScriptError{origin, lineNo, {}};
    // Scripts are UTF-8 text: a GBK script or a binary file is refused here,
    // comments included, before anything runs.
    const size_t badAt = kiln::xml::FirstBadXmlChar(text);
    if (badAt != std::string::npos) {
        const unsigned char c = static_cast<unsigned char>(text[badAt]);
        char code[8];
        std::snprintf(code, sizeof code, c < 0x20 ? "U+%04X" : "0x%02X", c);
        error.message = c < 0x20 ? std::string("the line holds the control character ") + code +
                                       " (is this a binary file?)"
                                 : std::string("the line is not UTF-8 text (byte ") + code + " at byte " +
                                       std::to_string(badAt + 1) + "); save the script as UTF-8";
        return false;
    }
    if (text.empty() || text[0] == '#') return true;
    std::vector<std::string> words;
    if (!SplitWords(text, words, error.message)) return false;
    const EventDef* def = FindEventDef(words[0]);
    if (!def) {
        error.message = "unknown event \"" + words[0] + "\" (kiln --help lists the events)";
        return false;
    }
    std::vector<std::string> args(words.begin() + 1, words.end());
    std::string bad = CheckEventArgs(*def, args);
    if (!bad.empty()) {
        error.message = bad;
        return false;
    }
    event.origin = origin;
    event.line = lineNo;
    event.name = words[0];
    event.args = std::move(args);
    event.text = std::move(text);
    has = true;
    return true;
}

bool ParseScript(std::string_view text, const std::string& origin, std::vector<Event>& events,
                 ScriptError& error) {
    int lineNo = 0;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t nl = text.find('\n', pos);
        std::string_view line = text.substr(pos, nl == std::string_view::npos ? std::string_view::npos : nl - pos);
        ++lineNo;
        Event ev;
        bool has = false;
        if (!ParseLine(line, origin, lineNo, ev, has, error)) return false;
        if (has) events.push_back(std::move(ev));
        if (nl == std::string_view::npos) break;
        pos = nl + 1;
    }
    return true;
}

}  // namespace kiln::host
