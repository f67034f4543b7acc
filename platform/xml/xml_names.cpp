#include "platform/xml/xml_names.h"

namespace kiln::xml {

namespace {

bool IsNameStart(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c >= 0x80;
}

bool IsNameChar(unsigned char c) { return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.'; }

}  // namespace

bool IsXmlName(std::string_view name) {
    if (name.empty()) return false;
    int colons = 0;
    bool atStart = true;  // at the start of the name or of the part after ":"
    for (unsigned char c : name) {
        if (c == ':') {
            if (atStart || ++colons > 1) return false;
            atStart = true;
            continue;
        }
        if (atStart ? !IsNameStart(c) : !IsNameChar(c)) return false;
        atStart = false;
    }
    return !atStart;
}

bool IsAttributePath(std::string_view path) { return path.size() > 1 && path[0] == '@' && IsXmlName(path.substr(1)); }

}  // namespace kiln::xml
