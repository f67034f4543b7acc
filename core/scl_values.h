// Whether a value's text fits the basic type of its data attribute, as SCL
// writes values: a pure test of the text, next to the name patterns.
#pragma once

#include <string_view>

namespace kiln::core {

// `bType` is the basic type's name ("INT32", "VisString255", ...). Empty text
// (no value of a field) fits every type. Checked: BOOLEAN ("true", "false", "1", "0");
// the whole numbers INT8 to INT128 and INT8U to INT32U by their range; FLOAT32
// and FLOAT64 (a decimal number, with an exponent or not, or INF, -INF, NaN)
// by their range; VisString32 to VisString255, Unicode255 and ObjRef (129) by
// their length in characters; Octet6, Octet16, Octet64 and EntryID (8) as
// pairs of hexadecimal digits, at most that many octets; Timestamp and
// EntryTime as a date and time of the calendar ("2026-01-31T23:59:59",
// a fraction and "Z" or an offset allowed); Currency as three capital
// letters. Any other type (Enum, Struct, Dbpos, Quality, ...) fits any text.
bool FitsBasicType(std::string_view bType, std::string_view text);

// A value as a file's Val holds it: as FitsBasicType, but an empty text
// fits only a type that has an empty value (a string or octets, or a type
// not checked); a BOOLEAN, a number or a time without text is no value.
bool FitsWrittenValue(std::string_view bType, std::string_view text);

}  // namespace kiln::core
