// Whether a text may stand as a name in an SCL file. Pure functions of the
// text: no document, no state.
#pragma once

#include <string_view>

namespace kiln::core {

// A data object's name as SCL writes it (DO, SDO, DOI): an upper-case ASCII
// letter, then ASCII letters and digits, twelve characters at most.
bool IsSclDataName(std::string_view name);

}  // namespace kiln::core
