// The key data attributes of the CDCs: the attributes that carry a data
// object's value in an M2I mapping ("stVal", "mag.f"). The M2I import makes
// one map item per key DA of a data object and reads the object's other
// attributes (units, range, step, dU, time) as properties of that map item;
// the M2I export writes only what the import reads back so.
#pragma once

#include <utility>
#include <vector>

#include "platform/mfc/cstring.h"

namespace kiln::core {

// The CDCs and their key DA paths, in the order the table is filled.
const std::vector<std::pair<const char*, std::vector<const char*>>>& KeyDataAttributes();

// A DA path as it is compared with the key DAs: the text from its first "["
// to its first "]" cut out ("setMag[SG].f" gives "setMag.f").
CString KeyDAPath(CString daPath);

// Whether the path is one of the CDC's key DAs of the table (without regard
// to case, after KeyDAPath); false for a CDC the table does not list.
bool IsKeyDataAttribute(const CString& cdc, const CString& daPath);

// Whether the table lists the CDC (exact).
bool HasKeyDataAttributes(const CString& cdc);

}  // namespace kiln::core
