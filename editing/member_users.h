// What names a member of a type (a DO, SDO, DA, BDA or an enumeration
// value) by text: the DOIs and DAIs of the nodes whose types reach it, the
// data-set members, inputs and mapping items whose paths pass through it,
// and the values that hold an enumeration value. A deletion names them in
// its question and takes them with the member; a renamed enumeration value
// is carried into the values that hold it.
#pragma once

#include <vector>

#include "core/kiln_main.h"

namespace kiln::editing {

struct CMemberUsers {
    std::vector<URI_Ref> instances;   // DOIs, DAIs and data-set members: they go with the member
    std::vector<URI_Ref> references;  // inputs, mapping items, setting data: they lose their data path
    std::vector<URI_Ref> typeValues;  // DAIs, DAs and BDAs whose values hold the enumeration value
    std::vector<CString> labels[3];   // what the question names, by the lists above
    bool Empty() const { return instances.empty() && references.empty() && typeValues.empty(); }
};

// True for the classes whose users UsersOfMember finds.
bool IsTypeMemberClass(const std::string& cls);

CMemberUsers UsersOfMember(CKiln_Main& app, const URI_Ref& member);

// The lines the deletion question adds for the users; "" when there are none.
CString UsersQuestionLines(const CMemberUsers& users);

// Deletes the instances, clears the data paths of the references and drops
// the enumeration value `enumText` from the type values; false when an
// instance could not be deleted (its deletion said why).
bool TakeUsersAway(CKiln_Main& app, const CMemberUsers& users, const CString& enumText);

// The text an enumeration value stands for in values and files: its "val",
// or its name when it has none.
CString EnumValueText(CKiln_Main& app, const URI_Ref& enumVal);

// The enumeration value's text changed from `oldText` to `newText`: the
// DAIs and type values of its enumeration that hold the old text take the new.
void CarryEnumValue(CKiln_Main& app, const URI_Ref& enumVal, const CString& oldText, const CString& newText);

// The values an enumerated DA or BDA would hold outside the enumeration
// `enumType` (none: every value is outside): its own and those of the DAIs
// that stand for it, each by its holder, its text and "path:text".
struct CLackedValue {
    URI_Ref holder;
    CString text;
    CString label;
};
std::vector<CLackedValue> ValuesOutsideEnum(CKiln_Main& app, const URI_Ref& attribute, const URI_Ref& enumType);

// Drops each value from its holder, as a deleted enumeration value is dropped.
void DropValues(CKiln_Main& app, const std::vector<CLackedValue>& values);

}  // namespace kiln::editing
