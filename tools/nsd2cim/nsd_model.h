// What the generator takes from the IEC name-space definition files (NSD):
// plain records, in the order of the files.
#pragma once

#include <string>
#include <vector>

namespace kiln::nsd2cim {

// A data attribute of a CDC, a sub-attribute of a constructed attribute class,
// or a data attribute that the mapping (8-1) adds to a CDC.
struct NsdAttribute {
    std::string name;
    std::string fc;                  // empty on sub-attributes
    std::string type;                // basic type, constructed class or enumeration
    std::string typeKind;            // "BASIC" when absent, "CONSTRUCTED", "ENUMERATED", "undefined", "SCSM"
    std::string underlyingType;      // mapping additions: the parameter of a parameterised class
    std::string underlyingTypeKind;
    std::string presCond;
    bool dchg = false;
    bool qchg = false;
    bool dupd = false;
    std::string defaultValue;
    std::string sizeAttribute;       // array size, for attributes with isArray
};

struct NsdSubObject {
    std::string name;
    std::string type;  // a CDC name
    std::string presCond;
    std::string sizeAttribute;                  // array size, for sub-objects with isArray
    std::vector<std::string> attributesBefore;  // the CDC's data attributes ahead of it
};

// One <CDC> element; the setting CDCs come as several variants of one name.
struct NsdCdc {
    std::string name;
    std::string variant;
    std::vector<NsdAttribute> attributes;
    std::vector<NsdSubObject> subObjects;
};

// A constructed attribute class (7-2, 7-3) or a parameterised one of the mapping (8-1).
struct NsdConstructed {
    std::string name;
    std::vector<NsdAttribute> members;
};

struct NsdLiteral {
    std::string name;
    std::string value;  // literalVal
    std::string descId; // "IEC61850_7_3.DAEnums::MultiplierKind.none.desc"
};

struct NsdEnumeration {
    std::string name;
    std::vector<NsdLiteral> literals;
};

struct NsdDataObject {
    std::string name;
    std::string type;  // a CDC name
    std::string presCond;
    bool transient = false;
    // The type of the values the CDC leaves open (the enumeration of an ENS,
    // ENC or ENG data object, the value type of a CTS); empty when none.
    std::string underlyingType;
};

struct NsdLnClass {
    std::string name;
    std::string base;  // the abstract class it derives from, empty when none
    bool isAbstract = false;
    std::vector<NsdDataObject> dataObjects;
};

// The data attributes that the mapping adds to one CDC.
struct NsdServiceCdc {
    std::string cdc;
    std::vector<NsdAttribute> attributes;
};

// The header of one NSD file, for the package description and the copyright comment.
struct NsdFileInfo {
    std::string fileName;
    std::string id;       // "IEC 61850-7-4"
    std::string edition;  // version, revision and release: "2007B5"
    std::vector<std::string> notices;  // copyright texts, whitespace collapsed
    std::string licence;               // licence URI
};

// Everything read from one NSD folder, in dependency order (7-2, 7-3, 7-4, 8-1).
struct NsdSet {
    std::vector<NsdFileInfo> files;
    std::vector<std::string> basicTypes;
    std::vector<std::string> functionalConstraints;
    std::vector<NsdEnumeration> enumerations;
    std::vector<NsdConstructed> constructed;
    std::vector<NsdCdc> cdcs;
    std::vector<NsdLnClass> lnClasses;
    std::vector<NsdConstructed> serviceConstructed;  // parameterised classes of the mapping
    std::vector<NsdServiceCdc> serviceCdcs;
};

}  // namespace kiln::nsd2cim
