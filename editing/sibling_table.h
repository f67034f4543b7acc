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

}  // namespace kiln::editing
