// The references of a written SCL file checked against the file itself:
// every DOI, SDI and DAI names a member of its node's LN type (down through
// the DO, SDO and DA types), every data-set member and every input that
// names the IED's own node names a node of the IED and members of its type,
// and every Enum value (of a node or of a type's DA or BDA) is one of its
// enumeration type's values.
#pragma once

#include <pugixml.hpp>

#include <string>
#include <vector>

namespace kiln::test {

struct DanglingReference {
    std::string kind;   // "DOI", "SDI", "DAI", "FCDA", "ExtRef" or "Enum"
    std::string place;  // as the export's lines name it
    std::string value;  // the Enum value; "" for the others
};

// Places: a DOI, SDI or DAI at "<LD inst>/<prefix><class><inst>.<DOI>.<SDI>...";
// a data-set member at "<LD inst>/<node>.<data set>:<doName>[.<daName>]";
// an input at "<LD inst>/<node>.<intAddr>:<doName>[.<daName>]"; an Enum value
// at the place of its DAI, or at "<type id>.<member>" in the templates.
std::vector<DanglingReference> DanglingReferences(const pugi::xml_node& scl);

// The references of the written file that its export's message does not
// account for, a line each: an Enum value the message names at its place
// ("不符合SCL的值（Enum取值错误）：<place>:<value>") is named, any other
// dangling reference is a fault; so is an Enum line of the message that names
// no such value. Empty when they agree.
std::vector<std::string> UnnamedReferences(const std::vector<DanglingReference>& found, const std::string& message);

}  // namespace kiln::test
