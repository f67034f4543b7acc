// Small text helpers that the host's messages and matching share.
#pragma once

#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

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

// The text with the characters that show as nothing or as a blank written
// as escapes (a tab as \t, a byte-order mark as \uFEFF, a no-break space
// as \u00A0), so that an error names a text as it is; line breaks stay.
inline std::string Visible(std::string_view s) {
    // Control and format characters, and blanks other than the space.
    static constexpr char32_t kHidden[][2] = {
        {0x00, 0x09}, {0x0B, 0x1F}, {0x7F, 0xA0}, {0xAD, 0xAD}, {0x34F, 0x34F}, {0x61C, 0x61C},
        {0x115F, 0x1160}, {0x180E, 0x180E}, {0x2000, 0x200F}, {0x2028, 0x202F}, {0x205F, 0x206F},
        {0x3000, 0x3000}, {0x3164, 0x3164}, {0xFE00, 0xFE0F}, {0xFEFF, 0xFEFF}, {0xFFA0, 0xFFA0},
        {0xFFF9, 0xFFFB}};
    std::string out;
    for (size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        // One character: its length in bytes and its code (bytes that are no
        // UTF-8 pass as they are).
        const size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
        char32_t code = n == 1 ? c : c & (0x7F >> n);
        bool utf8 = (c < 0x80 || n > 1) && i + n <= s.size();
        for (size_t k = 1; utf8 && k < n; ++k) {
            const auto b = static_cast<unsigned char>(s[i + k]);
            utf8 = (b & 0xC0) == 0x80;
            code = (code << 6) | (b & 0x3F);
        }
        bool hidden = false;
        for (const auto& r : kHidden) hidden = hidden || (utf8 && code >= r[0] && code <= r[1]);
        if (!hidden) {
            out.append(s.substr(i, utf8 ? n : 1));
        } else if (code == '\t' || code == '\r') {
            out += code == '\t' ? "\\t" : "\\r";
        } else {
            char esc[16];
            std::snprintf(esc, sizeof esc, "\\u%04X", static_cast<unsigned>(code));
            out += esc;
        }
        i += utf8 ? n : 1;
    }
    return out;
}

}  // namespace kiln::host
