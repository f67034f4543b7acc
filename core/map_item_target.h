// The targets of many mapping items resolved against their nodes' types:
// each LN type's data objects are read once, and each data-object and
// attribute name once per LN type; each list a name is looked up in (the
// type's data objects, an object's sub-data objects or attributes, an
// attribute's members) is read once into an index by name, so that a
// command's cost grows with its items, not with items times list lengths.
// A resolver holds what it read, so it serves while the model does not
// change (one export, one upkeep run).
#pragma once

#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/kiln_main.h"

namespace kiln::core {

struct MapItemProperty;

// The values of the enumerations units are taken from, each enumeration
// read once and each attribute's enumeration looked up once.
class UnitValues {
public:
    // The value of the enumeration of `attribute` (a DA or BDA) whose code
    // is written exactly `code` (as EnumValCodeText writes it); the first by
    // order when two hold it; empty when none does.
    URI_Ref OfCode(CKiln_Main& app, const URI_Ref& attribute, const CString& code);
    // The value a unit stored under the property names: the one of its code
    // ("...#SIUnitEnum.62"); for a unit an earlier release stored as text,
    // the first value whose literal it is ("...#SIUnitEnum.Watts"), else the
    // one of the code its symbol stood for ("...#SIUnitEnum.k" is 6); empty
    // when the enumeration has none of these.
    URI_Ref OfStored(CKiln_Main& app, const MapItemProperty& p, const URI_Ref& attribute, const CString& stored);
    // The same in the enumeration `enumType` (none: empty), whatever
    // enumeration the unit's attribute has.
    URI_Ref InEnumeration(CKiln_Main& app, const MapItemProperty& p, const URI_Ref& enumType, const CString& stored);

private:
    struct Enumeration {
        std::map<CString, URI_Ref> byCode;     // by code text, the first of each code
        std::map<CString, URI_Ref> byLiteral;  // by literal, the first of each literal
    };
    const Enumeration& Of(CKiln_Main& app, const URI_Ref& attribute);
    const Enumeration& OfType(CKiln_Main& app, const URI_Ref& enumType);
    URI_Ref Find(const Enumeration& e, const MapItemProperty& p, const CString& stored) const;
    std::map<std::string, Enumeration> m_enumerations;             // by enumeration type
    std::unordered_map<std::string, const Enumeration*> m_attributes;  // by attribute
};

class MapItemResolver {
public:
    explicit MapItemResolver(CKiln_Main& app) : m_app(app) {}

    struct Target {
        CKiln_Main::MapItemTarget state = CKiln_Main::MapItemTarget::Gone;
        CString cdc;            // the class of the data object's type; empty when gone or without one
        bool keyClass = false;  // the class has key DAs (core/key_das.h)
        bool keyDA = false;     // the DA name is one of them
    };
    Target Resolve(const URI_Ref& item);
    // The same for a mapping item's node and names, read by the caller.
    Target Resolve(const URI_Ref& lnode, const CString& doName, const CString& daName);
    // The attribute (DA or BDA) at `path` ("units.SIUnit", "minVal") below
    // the data object the DO name names in the node's type; empty when the
    // node, the object or the attribute is not there.
    URI_Ref AttributeOf(const URI_Ref& lnode, const CString& doName, const CString& path);
    // The value of the enumeration of `attribute` a unit stored under the
    // property names (UnitValues::OfStored).
    URI_Ref UnitOf(const MapItemProperty& p, const URI_Ref& attribute, const CString& stored);

private:
    // A data object by its name below an LN type, with its class.
    struct DataObject {
        URI_Ref object;
        CString cdc;
        bool keyClass = false;
    };
    // The members of one list by the texts that name them, the first member
    // of each text in the list's order (as a search along the list finds it).
    using NameIndex = std::unordered_map<std::string, URI_Ref>;
    struct LNType {
        NameIndex dataObjects;  // of the type, then of its abstract types in turn, by name
        std::map<CString, DataObject> byName;
        std::map<CString, std::map<CString, Target>> targets;  // by DO name, then DA name
        std::map<CString, URI_Ref> attributes;                  // by DO name "\n" path
    };
    LNType* NodeType(const URI_Ref& node);
    LNType& TypeOf(const URI_Ref& lnType);
    const DataObject& DataObjectOf(LNType& type, const CString& doName);
    void IndexNames(NameIndex& index, const std::vector<URI_Ref>& list);
    // The sub-data objects of a DO or SDO by name.
    const NameIndex& SubObjects(const URI_Ref& object);
    // The attributes of a DO or SDO (`below` false), or the members below an
    // attribute (`below` true: a struct's, an enumeration's values), by each
    // text AttributeAtPath takes for them: the name, the name with one of its
    // constraints in brackets.
    const NameIndex& Attributes(const URI_Ref& owner, bool below);
    // AttributeAtPath among the attributes of the DO or SDO.
    URI_Ref AttributeAt(const URI_Ref& object, const CString& path);
    // The member of the name in the index; empty when none.
    static URI_Ref Find(const NameIndex* index, const CString& name);

    CKiln_Main& m_app;
    std::map<std::string, LNType> m_types;
    std::unordered_map<std::string, LNType*> m_nodes;  // each node's type, once looked up
    // Each looked-up object's or attribute's index, by its URI.
    std::unordered_map<std::string, NameIndex> m_subObjects, m_attributes, m_membersBelow;
    UnitValues m_units;
};

// The attribute that `path` names among the candidates (DAs of a DO type):
// a name alone or with one of its functional constraints in brackets at
// each level, below a struct its members; empty when none.
URI_Ref AttributeAtPath(CKiln_Main& app, const CString& path, const std::vector<URI_Ref>& candidates);

// A value a mapping item holds besides its own: its role, the attribute of
// the item's data object the M2I file writes it at, and the one the ICD
// export writes it at (none: not written there) when the M2I's attribute is
// a struct (a range's AnalogueValue f); one of a basic type (an INC's INT32
// minVal) takes it itself. A unit or multiplier is a value of the
// enumeration of that attribute: the item stores the value's code under
// `unitEnum` ("...#SIUnitEnum.62"), so that a new text or a text two values
// share leaves it; the M2I file writes the code, the ICD the literal.
struct MapItemProperty {
    const char* role;
    const char* m2iPath;
    const char* sclPath;
    const char* unitEnum = nullptr;  // the stored enumeration of a unit; null for any other value
    // The code each symbol an earlier release stored for the unit stood for
    // (the code it wrote to the M2I file); null for any other value.
    const std::map<CString, long long>* earlierSymbols = nullptr;
};
// Units, multiplier, range, step, dU and time, in the order the files write them.
const std::vector<MapItemProperty>& MapItemProperties();
// The property of the role; null for another field.
const MapItemProperty* MapItemPropertyOf(const CString& role);

// The values of the enumeration of `attribute` (a DA or BDA), by their order.
std::vector<URI_Ref> EnumValsOfAttribute(CKiln_Main& app, const URI_Ref& attribute);
// An enumeration value's code, its order number as a whole number, as the
// M2I file writes it (decimal, "-" before a negative one).
CString EnumValCodeText(CKiln_Main& app, const URI_Ref& enumVal);
// The same for an order number as typed ("+062" gives "62").
CString EnumCodeText(const CString& ord);
// The text an enumeration value is written as: its value text, else its name.
CString EnumValLiteral(CKiln_Main& app, const URI_Ref& enumVal);

// What a mapping item stores for the code (as EnumValCodeText writes it)
// under the property.
CString UnitStoredValue(const MapItemProperty& p, const CString& code);
// The text a stored unit holds: its text after "#", then after the first
// "." (a literal may hold dots); a text without "#" as it stands.
CString UnitLiteral(const CString& stored);
// Whether a stored unit's text is a code (decimal, no sign but a negative
// one's "-", no leading zeros), as UnitStoredValue stores it.
bool IsUnitCodeText(const CString& text);
// Why a stored unit is not written: its attribute's enumeration lacks it.
CString UnitLackedText(const CString& stored);

}  // namespace kiln::core
