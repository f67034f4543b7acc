// Small text helpers that the host's messages share.
#pragma once

#include <string>
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

}  // namespace kiln::host
