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
// The key of the item given the id `id` ("" for none).
CString InfoItemKey(CKiln_Main& app, const URI_Ref& item, const CString& id);

// The items of the ITB by key: the first item keeps a key, and ids and path
// names come before order numbers, so that an item with an id is found by it.
std::map<CString, URI_Ref> InfoItemsByKey(CKiln_Main& app, const URI_Ref& itb);

// The other item that `byKey` (InfoItemsByKey of the item's ITB) finds by
// `key`, the key `item` is written under: an M2I file could not tell the
// two apart, and its mapping item names that one. Empty when the key is the
// item's own, or none.
URI_Ref OtherItemOfKey(const std::map<CString, URI_Ref>& byKey, const CString& key, const URI_Ref& item);

// The names of the ITB's information groups, in order: an item's
// "sec:InfoItem.infoGroup" names one of them, or is empty.
std::vector<CString> InfoGroupNames(CKiln_Main& app, const URI_Ref& itb);

}  // namespace kiln::core
