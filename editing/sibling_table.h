// The classes whose members carry a place among their siblings, with the
// association from a member to the owner of its list. The siblings are the
// owner's members along the reverse end of that association, except for the
// logical device, whose list runs across all servers of its IED.
#pragma once

#include <string>

namespace kiln::editing {

struct CSiblingRow {
    const char* cls;
    const char* ownerAsso;
    const char* siblingPath;  // null: the reverse end of ownerAsso
};

// The row of the class (exact name), null when the class has no sibling order.
const CSiblingRow* FindSiblingRow(const std::string& cls);

// An enumeration value's number is its code on the wire, not a place among
// its siblings: it is never moved or renumbered.
bool OrdIsCode(const std::string& cls);
constexpr const char* kOrdIsCodeText = "枚举值的序号是其编码，不能移动！";

}  // namespace kiln::editing
