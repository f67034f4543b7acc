// Event scripts: one host event per line, words separated by blanks, a word
// in double quotes may hold blanks (\" and \\ inside quotes). A line that
// begins with "#" is a comment. Every line is checked before anything runs,
// so a bad line stops the run before the document is touched.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kiln::host {

// One event of a script, with where it came from.
struct Event {
    std::string origin;  // script file name, or "-e" for events of the command line
    int line = 0;        // 1-based line in the origin (the -e option's number for -e)
    std::string name;
    std::vector<std::string> args;
    std::string text;  // the line as written, trimmed
    std::string baseDir;  // relative paths in the event are taken from here (set by the caller)

    // "demo.kiln:12" or "-e 2": where to point the user.
    std::string Where() const;
};

// An error of one script line.
struct ScriptError {
    std::string origin;
    int line = 0;
    std::string message;

    std::string What() const;  // "demo.kiln:12: unknown event \"foo\""
};

// Splits one line into words. False, with a message, for an unclosed quote
// or a bad escape.
bool SplitWords(std::string_view line, std::vector<std::string>& words, std::string& error);

// Quotes a word when it is empty or holds blanks, quotes or backslashes (or
// always, when asked), so that SplitWords gives it back unchanged.
std::string QuoteWord(const std::string& word, bool always = false);

// Parses and checks one line. A blank line or a comment gives no event
// (result true, `has` false).
bool ParseLine(std::string_view line, const std::string& origin, int lineNo, Event& event, bool& has,
               ScriptError& error);

// Parses and checks a whole script; stops at the first bad line.
bool ParseScript(std::string_view text, const std::string& origin, std::vector<Event>& events,
                 ScriptError& error);

}  // namespace kiln::host
