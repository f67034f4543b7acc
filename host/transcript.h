// The transcript of a run: every event, message box, status text, question
// and menu, printed in the order it happens. Status texts also go to a
// progress stream (stderr on a terminal), overwriting one line.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace kiln::host {

class Transcript {
public:
    explicit Transcript(std::ostream& out) : m_out(out) {}

    // Status texts are shown there too, on one line that each overwrites.
    void SetProgress(std::ostream* progress) { m_progress = progress; }

    void Event(const std::string& text);  // "> tree"
    void Line(const std::string& text, int indent = 0);
    void Notice(const std::string& text, const std::string& caption);
    // A message box with more than an OK button and how it was answered.
    void Question(const std::string& buttons, const std::string& text, const std::string& caption,
                  const std::string& answer);
    // Any other question, tagged by its kind ("input", "choose", "pick",
    // "buttons", "open file", "save file", "dialog"), with the rows it offers
    // (none for free text) and how it was answered.
    void Ask(const std::string& tag, const std::string& prompt, const std::vector<std::string>& rows,
             const std::string& answer);
    void Status(const std::string& text);
    // A popup menu, item by item.
    struct MenuLine {
        std::string text;
        std::string command;  // empty for a separator
        bool enabled = true;
        bool separator = false;
        int depth = 0;  // 1 for the items of a popup inside the menu
    };
    void Menu(const std::vector<MenuLine>& items);
    void Error(const std::string& text);  // "error: ..."

    // Ends the progress line, if one is shown.
    void EndProgress();

    // Empty while every line was written; once a write failed (a full
    // device, a closed pipe), what failed and why.
    std::string WriteFailure() const;

private:
    void Write(const std::string& head, const std::string& text, int indent);

    std::ostream& m_out;
    std::ostream* m_progress = nullptr;
    bool m_progressShown = false;
    int m_writeError = 0;  // errno of the first failed write
};

}  // namespace kiln::host
