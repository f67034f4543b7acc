#include "platform/xml/xml_names.h"

#include <algorithm>
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

// The characters of names as XML's rules give them: NameStartChar, and the
// ranges NameChar adds to it, each in ascending order.
struct Range {
    char32_t first, last;
};
constexpr Range kNameStartChars[] = {
    {':', ':'},       {'A', 'Z'},       {'_', '_'},       {'a', 'z'},       {0xC0, 0xD6},     {0xD8, 0xF6},
    {0xF8, 0x2FF},    {0x370, 0x37D},   {0x37F, 0x1FFF},  {0x200C, 0x200D}, {0x2070, 0x218F}, {0x2C00, 0x2FEF},
    {0x3001, 0xD7FF}, {0xF900, 0xFDCF}, {0xFDF0, 0xFFFD}, {0x10000, 0xEFFFF}};
constexpr Range kOtherNameChars[] = {{'-', '.'}, {'0', '9'}, {0xB7, 0xB7}, {0x300, 0x36F}, {0x203F, 0x2040}};

template <size_t N>
constexpr bool InRanges(const Range (&ranges)[N], char32_t c) {
    const Range* const end = ranges + N;
    const Range* const r = std::upper_bound(ranges, end, c, [](char32_t v, const Range& x) { return v < x.first; });
    return r != ranges && c <= r[-1].last;
}

}  // namespace

bool IsNameCharacter(char32_t c, bool first) {
    return InRanges(kNameStartChars, c) || (!first && InRanges(kOtherNameChars, c));
}

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
