// The names and value texts under which the standard type package is stored.
#pragma once

#include <string>

namespace kiln::nsd2cim {

// The model namespace: enumeration values are this, "#", the enumeration, ".", the value.
inline constexpr const char* kModelNamespace = "http://kiln.local/Zel/2006/CIM-Sec";
// "sec:TypePackage.ref" of the standard package (the IEC 61850 (2003) namespace URI).
inline constexpr const char* kStdPackageRef = "http://www.iec.ch/61850/2003";
// The name under which the imports look the standard package up.
inline constexpr const char* kStdPackageName = "Orsane.Zel:2007";
// Stored names of standard enumeration types carry this prefix.
inline constexpr const char* kStdEnumPrefix = "850EN_";

// An enumeration value as stored: "<model namespace>#<enumeration>.<value>".
inline std::string EnumValue(const std::string& enumeration, const std::string& value) {
    return std::string(kModelNamespace) + "#" + enumeration + "." + value;
}

// The model's presence of an NSD presence condition: "M" (mandatory), "O"
// (optional) or "C" (any other condition); empty for "F" (forbidden), whose
// members the package leaves out.
std::string PresenceOf(const std::string& presCond);

// The model's trigger option of a data attribute ("DChg", "DChg_DUpd", "QChg",
// "DUpd"); empty when it has none. A quality change wins over the others.
std::string TrgOpOf(bool dchg, bool qchg, bool dupd);

}  // namespace kiln::nsd2cim
