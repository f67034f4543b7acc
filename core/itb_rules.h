// What a table of information items holds that its file cannot carry back
// as it is: the ITB import names each such row in its report, the ITB
// export after its success text, both by these rules.
#pragma once

#include <cstdint>
#include <set>
#include <unordered_map>
#include <unordered_set>

#include "core/address_103.h"
#include "platform/mfc/cstring.h"

namespace kiln::core {

// True when an item whose group text is `itemGroup` is in the group named
// `groupName`. A group without a name holds no item: an empty group text
// is an ungrouped item's.
bool InInfoGroup(const CString& itemGroup, const CString& groupName);

// How a report names a row of the file: by its key (a group's name, an
// item's id), else by its place among its kind ("第3条").
CString ItbRowLabel(const CString& key, size_t index);

// The rules over one table, its rows given in file order.
class CItbTableRules {
public:
    // A group's name: what is wrong with it, empty when nothing is; `kept`
    // false for a name met before, which the table leaves out.
    CString Group(const CString& name, bool& kept);
    // True when some kept group has the name.
    bool HasGroup(const CString& name) const { return m_groups.count(name) > 0; }
    // An item's name: what is wrong with it (blanks only), empty when nothing is.
    static CString ItemName(const CString& name);
    // False when the id repeats an earlier item's, which refuses the whole
    // file; items without an id are not keyed and repeat none.
    bool Id(const CString& id);
    // Whether an item without an id was met: the M2I file keys such an
    // item by its order number, which may be another item's id.
    bool MetItemWithoutId() const { return m_withoutId; }
    // An item's 103 address, its numbers as Number103 gives them (-1 for
    // none) in the order of kFields103, the item keyed by `id` at `index`
    // among the items: the item (its label, ItbRowLabel) that gave the same
    // type, function, information number, group and entry before, in a
    // finding; empty when none did or the address lacks a function or number.
    CString Address(const int (&numbers)[6], const CString& id, size_t index);

private:
    // The first item of an address: its id and place, its label made only
    // for a finding.
    struct Row {
        CString id;
        size_t index;
    };
    std::set<CString> m_groups;
    std::unordered_set<CString> m_ids;
    bool m_withoutId = false;
    // By the five numbers, each one more (0 for none) in 9 bits of its own.
    std::unordered_map<uint64_t, Row> m_addresses;
};

}  // namespace kiln::core
