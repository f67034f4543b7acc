#include "platform/xml/xml_names.h"

#include <cstring>
#include <string>

namespace kiln::xml {

namespace {

// Character classes of name bytes, looked up by byte: 1 may start a name
// (or the part after ":"), 2 may follow.
struct NameTable {
    unsigned char cls[256] = {};
    constexpr NameTable() {
        for (int c = 0; c < 256; ++c) {
            const bool start = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c >= 0x80;
            const bool follow = start || (c >= '0' && c <= '9') || c == '-' || c == '.';
            cls[c] = static_cast<unsigned char>((start ? 1 : 0) | (follow ? 2 : 0));
        }
    }
};
constexpr NameTable kName;

bool IsNameStart(unsigned char c) { return kName.cls[c] & 1; }
bool IsNameChar(unsigned char c) { return kName.cls[c] & 2; }

}  // namespace

bool IsXmlName(std::string_view name) {
    if (name.empty()) return false;
    // A name without ":" (nearly every one): a start byte, then name bytes.
    if (IsNameStart(static_cast<unsigned char>(name[0]))) {
        size_t i = 1;
        while (i < name.size() && IsNameChar(static_cast<unsigned char>(name[i]))) ++i;
        if (i == name.size()) return true;
    }
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

const char* DeclaredAt(const pugi::xml_node& element, std::string_view prefix) {
    if (prefix == "xml") return "http://www.w3.org/XML/1998/namespace";
    // "xmlns" declares the default namespace, "xmlns:p" the prefix p.
    for (pugi::xml_attribute a = element.first_attribute(); a; a = a.next_attribute()) {
        const char* name = a.name();
        if (name[0] != 'x' || std::strncmp(name, "xmlns", 5) != 0) continue;
        if (prefix.empty() ? name[5] == 0 : name[5] == ':' && prefix == name + 6) return a.value();
    }
    return nullptr;
}

const char* NamespaceOfPrefix(pugi::xml_node element, std::string_view prefix) {
    for (pugi::xml_node n = element; n && n.type() == pugi::node_element; n = n.parent())
        if (const char* uri = DeclaredAt(n, prefix)) return uri;
    return nullptr;
}

}  // namespace kiln::xml
