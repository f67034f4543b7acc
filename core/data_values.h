// Where a data value is kept. A DAI, DA or BDA holds its value in its own
// field ("sec:DAI.valueStr", "sec:BDA.valueStr"); when it has values
// ("sec:Val", each with its setting group), the first of them holds the same
// text. These functions write both places, so that the property view, the
// imports and the exports always see one value.
#pragma once

#include <vector>

#include "core/kiln_main.h"

namespace kiln::core {

// The owner's own value field: "sec:DAI.valueStr" for a DAI,
// "sec:BDA.valueStr" for a DA or BDA; null for any other class.
const char* OwnValueRole(const URI_Ref& owner);

// The DAI, DA or BDA a value belongs to (empty when none).
URI_Ref ValOwner(CKiln_Main& app, const URI_Ref& val);

// The owner's values in their order.
std::vector<URI_Ref> ValsOf(CKiln_Main& app, const URI_Ref& owner);

// Writes a data value: on a value its text, and the owner's own value when
// it is the owner's first; on a DAI, DA or BDA its own value, and the text
// of its first value when it has values.
void WriteDataValue(CKiln_Main& app, const URI_Ref& rsc, const CString& text);

// After a value was deleted: the owner's own value is its first value's
// text, empty when it has no value left.
void KeepOwnValue(CKiln_Main& app, const URI_Ref& owner);

}  // namespace kiln::core
