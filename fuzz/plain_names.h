// A plain walk of a parsed document's names, for the XML targets to check
// the layer's name check against: each character decoded one by one.
#pragma once

#include <pugixml.hpp>

#include <cstring>
#include <string_view>

#include "platform/xml/xml_names.h"

namespace kiln::fuzz {

// True when the name's characters are all XML allows in a name (UTF-8
// that is no UTF-8 counts as allowed: the text check refuses it).
inline bool PlainNameAllowed(std::string_view name) {
    bool first = true;
    for (size_t i = 0; i < name.size(); first = false) {
        const auto c = static_cast<unsigned char>(name[i]);
        const size_t n = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
        if (i + n > name.size()) return true;
        char32_t code = n == 1 ? c : c & (0x7F >> n);
        for (size_t k = 1; k < n; ++k) code = (code << 6) | (static_cast<unsigned char>(name[i + k]) & 0x3F);
        if (!kiln::xml::IsNameCharacter(code, first)) return false;
        i += n;
    }
    return true;
}

// True when every name of the document is allowed: of its elements and
// their attributes, of its processing instructions, of the DOCTYPE (the
// bytes the parser takes into a name that its text starts with).
inline bool PlainNamesAllowed(const pugi::xml_document& doc) {
    for (pugi::xml_node n = doc.first_child(); n;) {
        if (n.type() == pugi::node_element || n.type() == pugi::node_pi) {
            if (!PlainNameAllowed(n.name())) return false;
            for (pugi::xml_attribute a = n.first_attribute(); a; a = a.next_attribute())
                if (!PlainNameAllowed(a.name())) return false;
        } else if (n.type() == pugi::node_doctype) {
            const std::string_view text = n.value();
            size_t end = 0;
            auto nameByte = [](char c) {
                return static_cast<unsigned char>(c) >= 0x80 || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                       (c >= '0' && c <= '9') || (c != 0 && std::strchr("_:.-", c) != nullptr);
            };
            while (end < text.size() && nameByte(text[end])) ++end;
            // One without a blank after "<!DOCTYPE" (its text starts right
            // after it), or whose name starts with a digit, "-" or ".", is
            // refused after the parse (no name).
            const bool named = std::strchr(" \t\r\n", n.value()[-1]) != nullptr &&
                               (end == 0 || std::strchr("0123456789-.", text[0]) == nullptr);
            if (named && !PlainNameAllowed(text.substr(0, end))) return false;
        }
        if (n.first_child()) {
            n = n.first_child();
            continue;
        }
        while (n && !n.next_sibling()) n = n.parent();
        if (n) n = n.next_sibling();
    }
    return true;
}

}  // namespace kiln::fuzz
