// The check of a written ICD's values against the basic types of the data
// attributes that hold them.
#pragma once

#include <pugixml.hpp>

#include <vector>

#include "platform/mfc/cstring.h"

namespace kiln::exporter {

// Each value (Val) in the document under `scl` (its SCL element) that its
// basic type cannot hold (an Enum value that is none of its enumeration
// type's values), in document order: "不符合SCL的值（" + basic type +
// "取值错误）：" + where it stands + ":" + the value; a value of a type's DA
// or BDA stands at "<type id>.<name>", a value of a node at
// "<LD inst>/<prefix><class><inst>.<DOI>.<SDI>...<DAI>".
std::vector<CString> SclValueBreaches(const pugi::xml_node& scl);

}  // namespace kiln::exporter
