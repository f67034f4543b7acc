// The check of a written ICD against the identity constraints, name
// patterns and number types SCL declares for what the export writes.
#pragma once

#include <pugixml.hpp>

#include <vector>

#include "platform/mfc/cstring.h"

namespace kiln::exporter {

// Each breach in the document under `scl` (its SCL element), one text each
// in document order: "不符合SCL的" + the element kind + "（" + the rule +
// "）：" + where it stands (an LN as "<LD inst>/<prefix><class><inst>", a
// member of a type as "<type id>.<name>"). A second and each further use of
// a name that must be unique is named once.
std::vector<CString> SclRuleBreaches(const pugi::xml_node& scl);

}  // namespace kiln::exporter
