// The names an edit may give what the ICD writes by name: a device, a
// type, a member of a type, a data set, log, control block or DOI of a
// node. SCL holds each only in its pattern and once among its siblings. A
// log control block's log name, written for a block without a log, has the
// pattern of a log's name.
#pragma once

#include "core/kiln_main.h"

namespace kiln::core {

class SiblingNames;

// Why `name` cannot be given to `rsc`: outside its kind's pattern or held
// by a sibling of `rsc`; empty when it can, and for other classes. A
// command that asks of many names passes its index of the siblings' names.
CString NameBreach(CKiln_Main& app, const URI_Ref& rsc, const CString& name);
CString NameBreach(SiblingNames& siblings, CKiln_Main& app, const URI_Ref& rsc, const CString& name);

// Why `ref` is no reference to a DO: a DO name, then its SDOs' names after
// "."; empty when it is one.
CString DoReferenceBreach(const CString& ref);

// Why `name` (not empty) is no log name; empty when it is one.
CString LogNameBreach(const CString& name);

}  // namespace kiln::core
