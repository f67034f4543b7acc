// The names an edit in the property view may give what the ICD writes by
// name: a type, a member of a type, a data set, log or control block of a
// node. SCL holds each only in its pattern and once among its siblings.
#pragma once

#include "core/kiln_main.h"

namespace kiln::views {

// True, after its message, when `name` is refused for `rsc`: outside its
// kind's pattern or held by a sibling of `rsc`. False for other classes.
bool NameRefused(CKiln_Main& app, const URI_Ref& rsc, const CString& name);

}  // namespace kiln::views
