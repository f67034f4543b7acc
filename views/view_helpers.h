// Small helpers shared by the tree handlers and the property editor.
#pragma once

#include <utility>
#include <vector>

#include "core/kiln_main.h"

namespace kiln::views {

// A folder item: a key without ":", the ungrouped folder of an ITB, or the
// signal-list folder of an IED.
bool IsFolderItem(const Struct_ItemDesc& item);

// Whether the domain that holds the resource may be changed.
bool DomainEditable(CKiln_Main& app, const URI_Ref& rsc);

// The property editor's "contains": `part` occurs after the first character.
bool ContainsAfterFirst(const CString& text, const CString& part);

// Leaves `target` the only link of `rsc` along `role`: the new link is added
// first (one already there counts as added), then the other current links
// are removed in order. A failed addition changes nothing; a failed removal
// stops at once. False on either failure.
bool RelinkAlone(CKiln_Main& app, const URI_Ref& rsc, const CString& role, const URI_Ref& target,
                 const std::vector<URI_Ref>& current);

// The refusal of an attribute the type of the DO `doName` lacks.
CString LackingAttributeText(const CString& doName, const CString& attribute);

// A property of a mapping item (units, range, step, dU, time) is held by an
// attribute of its data object; the message that refuses one its target
// lacks, empty when the target holds it.
CString MapItemPropertyRefusal(CKiln_Main& app, const URI_Ref& item, const CString& field);

// The rows of a mapping item's unit or multiplier field: the literals of
// the enumeration of its target's attribute (display), each with the stored
// value of its code; false when the target lacks the attribute or the
// field is none of the two.
bool UnitRows(CKiln_Main& app, const URI_Ref& item, const CString& field, std::vector<std::pair<CString, CString>>& rows);

}  // namespace kiln::views
