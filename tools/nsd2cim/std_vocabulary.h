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

// What the package gives the value types that the definitions leave open.
// An attribute left to the mapping ("SCSM") is the physical communication
// address, which SCL holds as this basic type.
inline constexpr const char* kScsmBasicType = "PhyComAddr";
// A CDC attribute whose type its data object sets ("undefined": the tracked
// control value) and whose data objects the package cannot tell apart takes
// this basic type, the value of the first tracking objects (single and
// double point controls); an instance type may change it.
inline constexpr const char* kOpenBasicType = "BOOLEAN";
// The placeholder of an enumeration the application chooses, and the
// enumeration that stands for it until an instance type links another:
// the schedule's own state kind, defined beside the schedules that use the
// placeholder.
inline constexpr const char* kOpenEnumeration = "EnumDA";
inline constexpr const char* kOpenEnumerationStandIn = "ScheduleStateKind";

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
