// The key an information item goes by in an M2I file: its id, else its path
// name, else its order number. The M2I export writes it, the M2I import
// looks items up by it.
#pragma once

#include <map>
#include <vector>

#include "core/kiln_main.h"

namespace kiln::core {

// The key of the item; "" when it has none of the three.
CString InfoItemKey(CKiln_Main& app, const URI_Ref& item);

// The items of the ITB by key: the first item keeps a key, and ids and path
// names come before order numbers, so that an item with an id is found by it.
std::map<CString, URI_Ref> InfoItemsByKey(CKiln_Main& app, const URI_Ref& itb);

// The names of the ITB's information groups, in order: an item's
// "sec:InfoItem.infoGroup" names one of them, or is empty.
std::vector<CString> InfoGroupNames(CKiln_Main& app, const URI_Ref& itb);

}  // namespace kiln::core
