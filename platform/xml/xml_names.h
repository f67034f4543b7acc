// Name checks of the XML layer.
#pragma once

#include <pugixml.hpp>

#include <string_view>

namespace kiln::xml {

// True for a name that may stand as an element or attribute name: a letter,
// "_" or a non-ASCII character first, then also digits, "-" and "."; at most
// one ":" and not at either end ("s103:Config", "zScl:base").
bool IsXmlName(std::string_view name);

// True for a character XML 1.0 (fifth edition) allows at the start of a
// name (NameStartChar), or with `first` false anywhere in one (NameChar).
bool IsNameCharacter(char32_t c, bool first);

// True for "@" and such a name: the path of one attribute of the context node.
bool IsAttributePath(std::string_view path);

// The namespace a prefix stands for at `element` ("" for the default one),
// by the declarations in scope; null when none declares it.
const char* NamespaceOfPrefix(pugi::xml_node element, std::string_view prefix);
// The same by the element's own declarations alone ("xml" is declared
// everywhere).
const char* DeclaredAt(const pugi::xml_node& element, std::string_view prefix);

}  // namespace kiln::xml
