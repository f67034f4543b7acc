// The answers to the plug-in's questions: queued by `answer` events, taken
// in order by the questions that follow; a question without a queued answer
// is asked on the terminal when there is one, otherwise it fails. A
// save-file answer that names one of the workspace's own files (those the
// run keeps out, see kiln::file::KeptOut) or goes into another workspace's
// document or template folder is refused, so that no export writes over
// saved work or the templates.
#pragma once

#include <deque>
#include <functional>
#include <istream>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace kiln::host {

// A question as the host shows it.
struct Question {
    enum class Kind { MessageBox, Text, Choice, Button, Resource, OpenFile, SaveFile, Dialog };
    Kind kind = Kind::MessageBox;
    std::string text;                  // the message or prompt
    std::string caption;
    std::vector<std::string> buttons;  // a message box: of "ok", "yes", "no", "cancel"; a button box: the texts
    std::vector<std::string> choices;  // Choice, Resource, Dialog: the display texts of the rows
    std::vector<std::string> values;   // Resource: the identifiers, parallel to `choices`

    std::string Describe() const;  // "the yes/no box \"...\"" for error texts
};

// How a question was answered.
struct Reply {
    bool cancelled = false;
    std::string button;  // a message box: "ok", "yes", "no" or "cancel"
    std::string text;    // Text: the text; files: the path
    int index = -1;      // Choice, Button, Resource, Dialog: the row or button chosen
    std::vector<std::pair<int, int>> ranges;  // Dialog: the rows selected, first and last from 0, in order
    std::string shown;   // the answer as the transcript prints it
};

// One queued answer.
struct Answer {
    std::string kind;     // ok yes no cancel text choice rows file button resource
    std::string value;
    std::string where;    // the event that queued it, "demo.kiln:7"
    std::string baseDir;  // relative file paths are taken from here
};

class Answerer {
public:
    void Queue(Answer a) { m_queue.push_back(std::move(a)); }
    size_t Pending() const { return m_queue.size(); }
    // The error of answers still queued where no question may take them:
    // their number and each with the event that queued it; empty when none.
    std::string Unused() const;

    // Questions without a queued answer are asked here (a terminal), or
    // fail when `in` is null.
    void SetTerminal(std::istream* in, std::ostream* prompt) {
        m_in = in;
        m_prompt = prompt;
    }

    // Questions without a queued answer are answered by `responder` before
    // the terminal is asked: it fills in an answer (as an `answer` event
    // would queue it) or returns false to pass the question on. A program
    // that plays generated events chooses its answers there.
    using Responder = std::function<bool(const Question&, Answer&)>;
    void SetResponder(Responder responder) { m_responder = std::move(responder); }

    // Answers a question. False, with an error text that names the question,
    // when no answer fits.
    bool Take(const Question& q, Reply& reply, std::string& error);

private:
    bool FromQueue(const Question& q, const Answer& a, Reply& reply, std::string& error) const;
    bool FromTerminal(const Question& q, Reply& reply, std::string& error);

    std::deque<Answer> m_queue;
    Responder m_responder;
    std::istream* m_in = nullptr;
    std::ostream* m_prompt = nullptr;
};

// The row whose display text is `text`; failing that, the row whose text
// equals it without blanks at the ends; then the row whose value (parallel
// to `choices`, may be empty) it is. -1 when none.
int FindRow(const std::vector<std::string>& choices, const std::vector<std::string>& values, const std::string& text);

// Reads the rows of `answer rows`: row numbers from 1 and ranges of them
// ("4-5,1"), separated by commas, blanks allowed around them; out receives
// (first, last) counted from 0, in the order written. False, with the
// reason, for anything else (an empty text, 0, a reversed range).
bool ParseRowRanges(const std::string& text, std::vector<std::pair<int, int>>& out, std::string& why);

// `path` made absolute against `baseDir` when it is relative.
std::string ResolvePath(const std::string& path, const std::string& baseDir);

}  // namespace kiln::host
