// Small text helpers that the host's messages and matching share.
#pragma once

#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "platform/mfc/text_funcs.h"

namespace kiln::host {

// The texts joined by `sep`: Join({"yes", "no"}, "/") is "yes/no".
inline std::string Join(const std::vector<std::string>& v, const char* sep) {
    std::string s;
    for (size_t i = 0; i < v.size(); ++i) s += (i ? sep : "") + v[i];
    return s;
}

// The text in double quotes, as messages name user texts.
inline std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

// The texts quoted and joined by commas, the first 20 of them, so that a
// text's blanks at its ends show: List({"a", "b "}) is "\"a\", \"b \"".
inline std::string List(const std::vector<std::string>& v) {
    std::string s;
    const size_t shown = std::min<size_t>(v.size(), 20);
    for (size_t i = 0; i < shown; ++i) s += (i ? ", " : "") + Quoted(v[i]);
    if (v.size() > shown) s += ", ... (" + std::to_string(v.size()) + " in all)";
    return v.empty() ? "no items" : s;
}

// The text without blanks (spaces, tabs, line breaks) at its ends.
inline std::string Trim(std::string_view s) {
    const size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string_view::npos) return {};
    return std::string(s.substr(b, s.find_last_not_of(" \t\r\n") - b + 1));
}

// The text with the characters that show as nothing or as a blank escaped
// (kiln::text::Visible), as every error shows a text.
using kiln::text::Visible;

}  // namespace kiln::host
