#include "core/scl_names.h"

namespace kiln::core {
namespace {

// ASCII only: the schema's classes [A-Za-z] and [0-9] hold no other letters.
bool Letter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool Digit(char c) { return c >= '0' && c <= '9'; }
bool Word(char c) { return Letter(c) || Digit(c) || c == '_'; }

// A first character `first` accepts, then word characters, `max` at most.
bool Pattern(std::string_view text, bool (*first)(char), size_t max) {
    if (text.empty() || text.size() > max || !first(text.front())) return false;
    for (char c : text.substr(1))
        if (!Word(c)) return false;
    return true;
}

bool LetterOrDigit(char c) { return Letter(c) || Digit(c); }

}  // namespace

bool IsSclLnInst(std::string_view text) {
    if (text.empty() || text.size() > 12) return false;
    for (char c : text)
        if (!Digit(c)) return false;
    return true;
}

bool IsSclPrefix(std::string_view text) { return text.empty() || Pattern(text, &Letter, 11); }

bool IsSclLdInst(std::string_view text) { return Pattern(text, &LetterOrDigit, 64); }

}  // namespace kiln::core
