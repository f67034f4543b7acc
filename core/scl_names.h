// The name patterns SCL files (IEC 61850-6, edition 2007 B4) allow for the
// parts of a logical node's and a logical device's name: pure tests of a
// text, shared by the editors that refuse a value and the checks that
// report one.
#pragma once

#include <string_view>

namespace kiln::core {

// An LN instance (tLNInst): 1 to 12 decimal digits.
bool IsSclLnInst(std::string_view text);
// An LN prefix (tPrefix): empty, or a letter followed by letters, digits
// and "_", 11 characters at most.
bool IsSclPrefix(std::string_view text);
// An LD instance (tLDInst): a letter or digit followed by letters, digits
// and "_", 64 characters at most.
bool IsSclLdInst(std::string_view text);

}  // namespace kiln::core
