// The name patterns SCL gives the names and identifiers of a device model,
// as pure tests of a text (its bytes; a byte outside ASCII never matches a
// pattern). Each is named after the kind of name it accepts.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kiln::core {

// A logical device's instance: a letter or digit, then letters, digits or
// "_"; at most 64 characters.
bool IsSclLdInst(std::string_view text);
// An access point's name: a letter or digit, then letters, digits or "_";
// at most 32 characters.
bool IsSclAccessPointName(std::string_view text);
// An LN prefix: empty, or a letter then letters, digits or "_"; at most 11.
bool IsSclLnPrefix(std::string_view text);
// An LN instance: 1 to 12 digits.
bool IsSclLnInst(std::string_view text);
// An LN class: four capital letters, or "LLN0".
bool IsSclLnClass(std::string_view text);
// A DO name (also of a DOI): a capital letter, then letters or digits; at
// most 12 characters.
bool IsSclDoName(std::string_view text);
// An SDO name: a small letter, then letters or digits; at most 60.
bool IsSclSdoName(std::string_view text);
// A DA or BDA name (also of an SDI or DAI): one of the predefined attribute
// names ("T", "Oper", "SBOw", ...) or a small letter, then letters or
// digits, at most 60.
bool IsSclAttributeName(std::string_view text);
// The name of a data set, control block or log: a letter, then letters,
// digits or "_"; at most 32.
bool IsSclAcsiName(std::string_view text);
// A type id: 1 to 255 characters without white space.
bool IsSclTypeId(std::string_view text);
// The length in characters of UTF-8 text: its bytes but those that continue
// a character.
size_t Utf8Length(std::string_view text);
// An enumeration value's text (UTF-8): Basic Latin and Latin-1 letters only
// (up to U+00FF), at most 127 characters; empty is allowed.
bool IsSclEnumText(std::string_view text);
// A data-attribute path as the lists show it, each attribute followed by its
// functional constraints ("origin[ST].orCat", "setMag[SP,SG,SE].f"), as SCL
// names it: without them ("origin.orCat", "setMag.f").
std::string WithoutConstraints(std::string_view path);
// The length of the sub-data-object names that such a path of a DO begins
// with, the names before the one holding the constraints ("phsA.cVal[MX].mag.f"
// gives 4, for "phsA"); 0 for a path without constraints or SDOs.
size_t SubObjectsLength(std::string_view path);

}  // namespace kiln::core
