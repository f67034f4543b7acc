#include "tests/host/schema_errors.h"

#include <algorithm>
#include <regex>
#include <sstream>
#include <vector>

#include "tests/host/kiln_program.h"

namespace kiln::test {

std::string SchemaErrorsAgainstBreaches(const std::string& path, const std::string& message,
                                        const std::string& errors) {
    std::vector<std::string> breaches, fileLines;
    std::istringstream lines(message);
    for (std::string line; std::getline(lines, line);)
        if (line.rfind("不符合SCL的", 0) == 0) breaches.push_back(line);
    std::istringstream file(ReadAll(path));
    for (std::string line; std::getline(file, line);) fileLines.push_back(line);

    const std::regex located(":([0-9]+): (element [A-Za-z0-9]+: )?Schemas validity error");
    const std::regex quoted("(The value '|key-sequence \\['|: ')([^']*)'");
    const std::regex attribute("attribute '([A-Za-z]+)'");
    const std::regex identity(" (id|name|inst|ord)=\"([^\"]*)\"");
    // The value of an attribute on a line of the file.
    auto valueOn = [&](size_t n, const std::string& name) {
        std::smatch m;
        const std::regex on(" " + name + "=\"([^\"]*)\"");
        return std::regex_search(fileLines[n - 1], m, on) ? m[1].str() : std::string();
    };
    auto indent = [&](size_t n) { return fileLines[n - 1].find_first_not_of(" \t"); };
    std::vector<bool> spoken(breaches.size(), false);
    std::string out;
    std::istringstream report(errors);
    for (std::string error; std::getline(report, error);) {
        std::smatch at, value, id;
        if (!std::regex_search(error, at, located)) continue;
        std::vector<std::string> tokens;
        if (std::regex_search(error, value, quoted) && !value[2].str().empty()) tokens.push_back(value[2]);
        const size_t line = std::stoul(at[1]);
        if (line < 1 || line > fileLines.size()) continue;
        std::smatch attr;
        if (std::regex_search(error, attr, attribute) && !valueOn(line, attr[1]).empty())
            tokens.push_back(valueOn(line, attr[1]));
        // The element's identity (or the nearest one's above it), and its
        // parent's.
        for (size_t n = line; n >= 1; --n)
            if (std::regex_search(fileLines[n - 1], id, identity)) {
                tokens.push_back(id[2]);
                break;
            }
        for (size_t n = line; n >= 1; --n)
            if (indent(n) < indent(line) && std::regex_search(fileLines[n - 1], id, identity)) {
                tokens.push_back(id[2]);
                break;
            }
        bool named = false;
        for (size_t b = 0; b < breaches.size(); ++b)
            for (const std::string& t : tokens)
                if (!t.empty() && breaches[b].find(t) != std::string::npos) named = spoken[b] = true;
        if (!named) out += "\n  not named: " + error;
    }
    for (size_t b = 0; b < breaches.size(); ++b)
        if (!spoken[b]) out += "\n  named, no schema error: " + breaches[b];
    return out;
}

}  // namespace kiln::test
