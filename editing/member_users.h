// What names a member of a type (a DO, SDO, DA, BDA or an enumeration
// value) by text: the DOIs and DAIs of the nodes whose types reach it, the
// data-set members, inputs and mapping items whose paths pass through it,
// the values that hold an enumeration value and the mapping items whose unit
// or multiplier is that value. A deletion names them in its question and
// takes them with the member; a renamed enumeration value is carried into the
// values that hold it, a new code into the mapping items.
#pragma once

#include <utility>
#include <vector>

#include "core/kiln_main.h"

namespace kiln::editing {

struct CMemberUsers {
    std::vector<URI_Ref> instances;   // DOIs, DAIs and data-set members: they go with the member
    std::vector<URI_Ref> references;  // inputs, mapping items, setting data: they lose their data path
    std::vector<URI_Ref> typeValues;  // DAIs, DAs and BDAs whose values hold the enumeration value
    // Mapping items whose unit or multiplier (the role) is the enumeration value: they lose it.
    std::vector<std::pair<URI_Ref, const char*>> units;
    std::vector<CString> labels[4];   // what the question names, by the lists above
    bool Empty() const { return instances.empty() && references.empty() && typeValues.empty() && units.empty(); }
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
// DAIs and type values of its enumeration that hold the old text take the
// new; the mapping items whose unit is the value keep it by its code.
void CarryEnumValue(CKiln_Main& app, const URI_Ref& enumVal, const CString& oldText, const CString& newText);

// The enumeration value's code changes to `newOrd`: the mapping items whose
// unit or multiplier is the value take the new code.
void CarryEnumCode(CKiln_Main& app, const URI_Ref& enumVal, const CString& newOrd);

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

// The mapping items whose unit or multiplier is a value of the enumerated DA
// or BDA `attribute` that the enumeration `enumType` (none: no value) does
// not hold, each by its role, the code of the value it has now (empty when
// it has none), the text its page shows and "item:text".
struct CLackedUnit {
    URI_Ref item;
    const char* role;
    CString code;
    CString text;
    CString label;
};
std::vector<CLackedUnit> UnitsOutsideEnum(CKiln_Main& app, const URI_Ref& attribute, const URI_Ref& enumType);

// Clears each unit, as a deleted enumeration value clears it.
void DropUnits(CKiln_Main& app, const std::vector<CLackedUnit>& units);

}  // namespace kiln::editing
