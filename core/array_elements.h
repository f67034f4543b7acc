// References to an element of an array: SCL names one by its index after
// the array's name, in a data-set member's or input's doName ("HA.phsAHar(5)")
// or daName ("phsAHar(3).cVal"). The model keeps such a reference as the
// file wrote it; these resolve it against the arrays of the DO's type.
#pragma once

#include <map>
#include <string>
#include <string_view>

#include "core/kiln_main.h"

namespace kiln::core {

// The arrays below a data object or sub-data object (SDOs, DAs and BDAs
// with a count), by their paths as SCL names them without constraints
// ("phsAHar", "crvPts"), each with its count as the type gives it ("16",
// or the name of the attribute that holds the size).
std::map<std::string, std::string> ArraysBelow(CKiln_Main& app, const URI_Ref& dataObject);

// The path without its element indexes ("phsAHar(3).cVal" gives
// "phsAHar.cVal"); a path without "(" as it stands.
std::string WithoutElementIndexes(std::string_view path);

// Whether every index of the path names an element its array holds: the
// array at the path before the index (without indexes) is one of `arrays`,
// and the index is below its count (a count given by an attribute's name
// holds any index: the size is a value). False as well for a text in
// brackets that is no index. A path without indexes holds.
bool ElementIndexesHeld(std::string_view path, const std::map<std::string, std::string>& arrays);

}  // namespace kiln::core
