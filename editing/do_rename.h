// A DO's new name carried into what names it by text: the DOIs of the nodes
// of its LN type (and of the types that inherit the DO), and the references
// (data-set members, inputs, mapping items, setting data) whose DO name
// begins with it.
#pragma once

#include "core/kiln_main.h"

namespace kiln::editing {

void CarryDoName(CKiln_Main& app, const URI_Ref& dataObject, const CString& oldName, const CString& newName);

}  // namespace kiln::editing
