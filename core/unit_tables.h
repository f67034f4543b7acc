// The SI-unit and unit-multiplier tables of M2I files: the numeric codes of
// IEC 61850-7-3 against the symbols the model stores as enumeration values
// ("...#SIUnitEnum.V", "...#UnitMultiplierEnum.k"). The M2I export turns a
// stored symbol into its code; the M2I import turns a code into the symbol.
// Both sides use these tables, so a code written is a code read back.
#pragma once

#include <map>

#include "platform/mfc/cstring.h"

namespace kiln::core {

// Code text ("29", "-6") to symbol text; keys are exact texts: no sign but a
// negative exponent's "-", no leading zeros, no blanks.
using UnitTable = std::map<CString, CString>;

// The 58 SI-unit rows (codes 1-11, 21-39, 41-54, 61-74).
UnitTable SiUnitTable();
// The 21 multiplier rows (exponents -24 to 24).
UnitTable MultiplierTable();

// The code of a symbol: the lowest code that gives it ("W" gives "38", not
// "62"); "" when no row holds the symbol. Symbols compare exactly.
CString SiUnitCode(const CString& symbol);
CString MultiplierCode(const CString& symbol);

}  // namespace kiln::core
