// What of an IED and its data-type templates the model has no place for:
// the elements and attributes the ICD import names in its report instead of
// keeping them. The pass in unkept_content.cpp reports those marked so here;
// the others are named by the reader that meets them.
#pragma once

#include <span>

namespace kiln::import {

// Who names an unkept element or attribute in the report.
enum class ReportedBy {
    UnkeptPass,   // the unkept-content pass, one warning per element
    IedReader,    // the IED reader, with the access points
    RcbReader,    // the report control block reader
};

// An element the import keeps nothing of, by its parent's kind ("*": any
// parent); nothing within it is read.
struct UnkeptElement {
    const char* parent;
    const char* element;
    ReportedBy by;
};

// An attribute the import keeps no place for, by its element's kind.
struct UnkeptAttribute {
    const char* element;
    const char* attribute;
    ReportedBy by;
};

std::span<const UnkeptElement> UnkeptElements();
std::span<const UnkeptAttribute> UnkeptAttributes();

}  // namespace kiln::import
