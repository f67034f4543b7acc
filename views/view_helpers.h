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

// The value a page shows for an attribute of a resource: the one stored, or
// where nothing is, the one the files write (a node's class: its type's).
CString ShownValue(CKiln_Main& app, const URI_Ref& rsc, const CString& role);

// The property editor's "contains": `part` occurs after the first character.
bool ContainsAfterFirst(const CString& text, const CString& part);

// Leaves `target` the only link of `rsc` along `role`: the new link is added
// first (one already there counts as added), then the other current links
// are removed in order. A failed addition changes nothing; a failed removal
// stops at once. False on either failure.
bool RelinkAlone(CKiln_Main& app, const URI_Ref& rsc, const CString& role, const URI_Ref& target,
                 const std::vector<URI_Ref>& current);

// The SDI fields of a DAI ("sec:DAI.sdiIx", "sec:DAI.sdiDesc",
// "sec:DAI.sdiSAddr") hold one part for each SDI element the DAI stands
// in, outermost first: the character between the parts, 0 for any other
// field.
char SdiPartSeparator(const CString& field);

// The number of SDI elements a DAI stands in: one a dot of its name.
int SdiLevels(CKiln_Main& app, const URI_Ref& dai);

// The refusal of an SDI field of a DAI given more parts than the DAI
// stands in SDI elements; empty when each part has its element, and for
// any other field.
CString SdiPartsRefusal(CKiln_Main& app, const URI_Ref& dai, const CString& field, const CString& value);

// An SDI has one description and one address, whichever of its DAIs holds
// them: the other DAIs of the DOI that stand in the same SDI elements (by
// name and index, outermost first) take the DAI's new part of each level
// they share ("sec:DAI.sdiDesc", "sec:DAI.sdiSAddr"; any other field
// changes nothing).
void ShareSdiParts(CKiln_Main& app, const URI_Ref& dai, const CString& field, const CString& value);

// The refusal of an attribute the type of the DO `doName` lacks.
CString LackingAttributeText(const CString& doName, const CString& attribute);
// What a type lacks, as the refusals and notices say it: "DO: Pos的类型中没有q"
// and "逻辑节点PTOC1的类型中没有Op".
CString DoTypeLacksText(const CString& doName, const CString& attribute);
CString NodeTypeLacksText(CKiln_Main& app, const URI_Ref& lnode, const CString& doName);

// A property of a mapping item (units, range, step, dU, time) is held by an
// attribute of its data object; the message that refuses one its target
// lacks, empty when the target holds it.
CString MapItemPropertyRefusal(CKiln_Main& app, const URI_Ref& item, const CString& field);

// The rows of a mapping item's unit or multiplier field: the literals of
// the enumeration of its target's attribute (display), each with the value
// stored for it; false when the target lacks the attribute or the field is
// none of the two.
bool UnitRows(CKiln_Main& app, const URI_Ref& item, const CString& field, std::vector<std::pair<CString, CString>>& rows);

}  // namespace kiln::views
