// Small text helpers that the host's messages and matching share.
#pragma once

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

// The text without blanks (spaces, tabs, line breaks) at its ends.
inline std::string Trim(std::string_view s) {
    const size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string_view::npos) return {};
    return std::string(s.substr(b, s.find_last_not_of(" \t\r\n") - b + 1));
}

}  // namespace kiln::host
