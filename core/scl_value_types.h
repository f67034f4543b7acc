// Tests of an attribute's text against the simple types SCL gives the
// attributes the ICD export writes: whole numbers, booleans, the
// enumerations of basic types, functional constraints, value kinds, common
// data classes and rights, and the references' name patterns. Types built
// on xs:Name, xs:token or xs:int collapse white space first, as the schema
// does; an unsigned number takes neither white space nor a sign, as the
// schema's validator (xmllint) takes it.
#pragma once

#include <string>
#include <string_view>

namespace kiln::core {

bool IsSclUnsigned(std::string_view text);        // xs:unsignedInt
bool IsSclPositive(std::string_view text);        // xs:unsignedInt above 0
bool IsSclUnsignedShort(std::string_view text);   // xs:unsignedShort
bool IsSclInt(std::string_view text);             // xs:int
bool IsSclBoolean(std::string_view text);         // xs:boolean
bool IsSclBasicType(std::string_view text);       // tBasicTypeEnum
bool IsSclFc(std::string_view text);              // tFCEnum
bool IsSclValKind(std::string_view text);         // tValKindEnum
bool IsSclCdc(std::string_view text);             // tCDCEnum: the classes of the 2007B4 list only
bool IsSclRight(std::string_view text);           // tRightEnum
bool IsSclVersionYear(std::string_view text);     // tSclVersion
bool IsSclRevisionLetter(std::string_view text);  // tSclRevision
bool IsSclReleaseNumber(std::string_view text);   // tSclRelease
bool IsSclIedName(std::string_view text);         // tIEDName
bool IsSclIedNameOrRelative(std::string_view text);  // tIEDNameOrRelative
bool IsSclLdName(std::string_view text);          // tLDName
bool IsSclLnInstOrEmpty(std::string_view text);   // tLNInstOrEmpty
bool IsSclMessageId(std::string_view text);       // tMessageID
bool IsSclFullDoName(std::string_view text);      // tFullDOName
bool IsSclFullAttributeName(std::string_view text);  // tFullAttributeName
bool IsSclDaCount(std::string_view text);         // tDACount
bool IsSclSdoCount(std::string_view text);        // tSDOCount
bool IsSclLnClassEnum(std::string_view text);     // tLNClassEnum
bool IsSclLogName(std::string_view text);         // tLogName

// The text as xs:Name and xs:token take it: without the white space at its
// ends.
std::string_view SclCollapsed(std::string_view text);

// A whole number as the schema compares it, so that "2", "02", "+2" and
// " 2 " give one key ("2"; "-0" gives "0"); a text that is no whole number
// is its own key.
std::string SclWholeNumberKey(std::string_view text);

}  // namespace kiln::core
