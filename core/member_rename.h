// A member's new name carried into what names it by text. A DO, SDO, DA or
// BDA is named by the DOIs and DAIs of the nodes whose type holds it (the DAI
// names carry the SDO, DA and BDA path below their DOI) and by the DO and DA
// paths of the references to those nodes (data-set members, inputs, mapping
// items, setting data): "PhV", "PhV.phsA", "cVal.mag.f", "stVal[ST]". Each
// text is resolved name by name through the types of its node, so that only
// the names that stand for the renamed member change, in every ICD whose
// nodes use a type that holds it, also through derived types and the DO and
// DA types that contain it.
#pragma once

#include <vector>

#include "core/kiln_main.h"

namespace kiln::core {

// One text to write: `value` into `role` of `rsc`.
struct CTextEdit {
    URI_Ref rsc;
    const char* role;
    CString value;
};

// The writes that carry the rename of `member` (a "sec:DO", "sec:SDO",
// "sec:DA" or "sec:BDA") from `oldName` to `newName`; to be made before or
// with the member's own new name (they are found by the old one). Nothing
// for another class or an unchanged name.
std::vector<CTextEdit> MemberRenameEdits(CKiln_Main& app, const URI_Ref& member, const CString& oldName,
                                         const CString& newName);

// The LN types whose nodes may name `from` (a "sec:DO", "sec:SDO", "sec:DA",
// "sec:BDA" or a "sec:EnumType"): the DO's type, or the types of the DOs that
// hold, through SDOs and structures, the DO or DA type that holds it; and the
// types derived from them.
std::vector<URI_Ref> LNodeTypesReaching(CKiln_Main& app, const URI_Ref& from);

// Makes the writes.
void ApplyTextEdits(CKiln_Main& app, const std::vector<CTextEdit>& edits);

}  // namespace kiln::core
