// The families of the property editor that HtmlMsg_OnPrepareEditField hands
// a field to. A result that is empty means "not this family's field, go on";
// otherwise it is the handler's answer.
#pragma once

#include <optional>

#include "core/kiln_main.h"

namespace kiln::views {

// Items made on demand (views/on_demand.cpp).
// The default value of a DA or BDA ("sec:Val"); empty when it has one already.
std::optional<bool> OnDemandValue(CKiln_Main& app, CBase_Cmd* view, const URI_Ref& attr);
// The DAI named by the path in the pack's second pair list ("Mod.stVal[ST]")
// on a logical node's page, in the node's DOI of the path's data object,
// made with the DAI where the node holds none (never without it). Empty
// when no data object of the node's type has the path's name.
std::optional<bool> OnDemandDOI(CKiln_Main& app, CBase_Cmd* view, const Struct_EditPack& pack, const URI_Ref& lnode);
// The DAI of a DOI named by a data-attribute path.
bool OnDemandDAI(CKiln_Main& app, CBase_Cmd* view, const URI_Ref& doi, const CString& field);
// The mapping item of an information item.
bool OnDemandMapItem(CKiln_Main& app, CBase_Cmd* view, const URI_Ref& infoItem);

// The choice list of an association field (views/association_lists.cpp).
bool AssociationList(CKiln_Main& app, CBase_Cmd* view, const URI_Ref& rsc, const CString& field,
                     Struct_EditPack& pack);

// The choice lists of attribute fields (views/attribute_lists.cpp).
// The DATypes or EnumTypes of a structured or enumerated "sec:BDA.bType".
std::optional<bool> StructOrEnumTypeList(CKiln_Main& app, const URI_Ref& rsc, Struct_EditPack& pack);
// The values of an attribute whose definition names an enumeration.
bool EnumeratedAttrList(CKiln_Main& app, const URI_Ref& rsc, const CString& field, const Struct_AttrDfn& dfn,
                        Struct_EditPack& pack);
// Booleans, data values, order numbers and data-reference names; empty
// for free text.
std::optional<bool> ValueLists(CKiln_Main& app, const URI_Ref& rsc, const CString& field, const Struct_AttrDfn& dfn,
                               Struct_EditPack& pack);

// The definition (DA or BDA) of a data value: a Val's through
// "sec:Val.BDA", else through the DAI it hangs on; a DAI's through its DO
// and its name (views/attribute_lists.cpp).
URI_Ref ValueDefinition(CKiln_Main& app, const URI_Ref& valueOwner);

// The basic type of a definition, tested as the editor tests it.
bool IsBasicType(const CString& bType, const char* name);

}  // namespace kiln::views
