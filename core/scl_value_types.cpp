// SCL's simple types as tests of a text.
#include "core/scl_value_types.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "core/scl_names.h"

namespace kiln::core {
namespace {

// The text without the white space xs:Name, xs:token and numbers collapse.
std::string_view Collapsed(std::string_view text) {
    constexpr std::string_view kSpace = " \t\r\n";
    const size_t first = text.find_first_not_of(kSpace);
    if (first == text.npos) return {};
    return text.substr(first, text.find_last_not_of(kSpace) - first + 1);
}

// Digits only, at most `max`: the schema's validator (xmllint) takes no
// blank around an unsigned number and no sign.
bool WholeAtMost(std::string_view text, std::uint64_t max) {
    if (text.empty()) return false;
    std::uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
        if (value > max) return false;
    }
    return true;
}

template <size_t N>
bool OneOf(std::string_view text, const std::array<std::string_view, N>& values) {
    text = Collapsed(text);
    return std::find(values.begin(), values.end(), text) != values.end();
}

bool Upper(char c) { return c >= 'A' && c <= 'Z'; }
bool Lower(char c) { return c >= 'a' && c <= 'z'; }
bool Alnum(char c) { return Upper(c) || Lower(c) || (c >= '0' && c <= '9'); }

// A letter `first` accepts, then letters and digits.
template <typename First>
bool Word(std::string_view text, First first) {
    return !text.empty() && first(text[0]) && std::all_of(text.begin() + 1, text.end(), Alnum);
}

// "name" or "name(12)".
template <typename First>
bool IndexedWord(std::string_view text, First first) {
    const size_t open = text.find('(');
    if (open == text.npos) return Word(text, first);
    if (text.back() != ')' || open + 2 >= text.size()) return false;
    const std::string_view digits = text.substr(open + 1, text.size() - open - 2);
    return Word(text.substr(0, open), first) &&
           std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

bool IsSclUnsigned(std::string_view text) { return WholeAtMost(text, 4294967295u); }
bool IsSclPositive(std::string_view text) { return IsSclUnsigned(text) && !WholeAtMost(text, 0); }
bool IsSclUnsignedShort(std::string_view text) { return WholeAtMost(text, 65535); }

bool IsSclInt(std::string_view text) {
    // The validator collapses the blanks around an xs:int and takes a sign;
    // the digits follow the sign at once: "- 5" is no integer.
    text = Collapsed(text);
    if (!text.empty() && text[0] == '-') return WholeAtMost(text.substr(1), 2147483648u);
    if (!text.empty() && text[0] == '+') text.remove_prefix(1);
    return WholeAtMost(text, 2147483647);
}

bool IsSclBoolean(std::string_view text) {
    static constexpr std::array<std::string_view, 4> kValues{"true", "false", "1", "0"};
    return OneOf(text, kValues);
}

bool IsSclBasicType(std::string_view text) {
    static constexpr std::array<std::string_view, 38> kTypes{
        "BOOLEAN",     "INT8",         "INT16",     "INT24",        "INT32",      "INT64",     "INT128",
        "INT8U",       "INT16U",       "INT24U",    "INT32U",       "FLOAT32",    "FLOAT64",   "Enum",
        "Dbpos",       "Tcmd",         "Quality",   "Timestamp",    "VisString32", "VisString64", "VisString65",
        "VisString129", "VisString255", "Octet64",  "Unicode255",   "Struct",     "EntryTime", "Check",
        "ObjRef",      "Currency",     "PhyComAddr", "TrgOps",      "OptFlds",    "SvOptFlds", "LogOptFlds",
        "EntryID",     "Octet6",       "Octet16"};
    return OneOf(text, kTypes);
}

bool IsSclFc(std::string_view text) {
    static constexpr std::array<std::string_view, 13> kFcs{"ST", "MX", "CO", "SP", "SG", "SE", "SV",
                                                           "CF", "DC", "EX", "SR", "BL", "OR"};
    return OneOf(text, kFcs);
}

bool IsSclValKind(std::string_view text) {
    static constexpr std::array<std::string_view, 4> kKinds{"Spec", "Conf", "RO", "Set"};
    return OneOf(text, kKinds);
}

bool IsSclCdc(std::string_view text) {
    static constexpr std::array<std::string_view, 53> kClasses{
        "SPS", "DPS", "INS",  "ENS",  "ACT",   "ACD", "SEC", "BCR", "HST", "VSS", "MV",  "CMV", "SAV", "WYE",
        "DEL", "SEQ", "HMV",  "HWYE", "HDEL",  "SPC", "DPC", "INC", "ENC", "BSC", "ISC", "APC", "BAC", "SPG",
        "ING", "ENG", "ORG",  "TSG",  "CUG",   "VSG", "ASG", "CURVE", "CSG", "DPL", "LPL", "CSD", "CST", "BTS",
        "UTS", "LTS", "GTS",  "MTS",  "NTS",   "STS", "CTS", "OTS", "VSD", "ORS", "TCS"};
    return OneOf(text, kClasses);
}

bool IsSclRight(std::string_view text) {
    // An enumeration of xs:normalizedString: no white space is taken away.
    return text == "full" || text == "fix" || text == "dataflow";
}

bool IsSclVersionYear(std::string_view text) {
    // A pattern on xs:normalizedString: no white space is taken away.
    return text.size() == 4 && text[0] == '2' && text[1] >= '0' && text[1] <= '2' &&
           std::all_of(text.begin() + 2, text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool IsSclRevisionLetter(std::string_view text) {
    text = Collapsed(text);
    return text.size() == 1 && Upper(text[0]);
}

bool IsSclReleaseNumber(std::string_view text) { return WholeAtMost(text, 255) && !WholeAtMost(text, 0); }

bool IsSclLdName(std::string_view text) {
    return !text.empty() && text.size() <= 64 && (Upper(text[0]) || Lower(text[0])) &&
           std::all_of(text.begin(), text.end(), [](char c) { return Alnum(c) || c == '_'; });
}

bool IsSclIedName(std::string_view text) {
    text = Collapsed(text);
    // The pattern of an LD name (an ACSI name, at most 64), but "None".
    return text != "None" && IsSclLdName(text);
}

bool IsSclIedNameOrRelative(std::string_view text) { return text == "@" || IsSclIedName(text); }

bool IsSclLnInstOrEmpty(std::string_view text) { return text.empty() || IsSclLnInst(text); }

bool IsSclMessageId(std::string_view text) {
    return !text.empty() && text.size() <= 129 &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c <= 0x7E; });
}

bool IsSclFullDoName(std::string_view text) {
    const size_t dot = text.find('.');
    if (dot == text.npos) return text.size() <= 12 && Word(text, Upper);
    return dot <= 12 && Word(text.substr(0, dot), Upper) && IndexedWord(text.substr(dot + 1), Lower);
}

bool IsSclFullAttributeName(std::string_view text) {
    auto letter = [](char c) { return Upper(c) || Lower(c); };
    for (size_t at = 0;;) {
        const size_t dot = text.find('.', at);
        if (!IndexedWord(text.substr(at, dot == text.npos ? dot : dot - at), letter)) return false;
        if (dot == text.npos) return true;
        at = dot + 1;
    }
}

bool IsSclDaCount(std::string_view text) { return IsSclUnsigned(text) || IsSclAttributeName(Collapsed(text)); }

bool IsSclSdoCount(std::string_view text) { return IsSclUnsigned(text) || Word(Collapsed(text), Lower); }

bool IsSclLnClassEnum(std::string_view text) { return IsSclLnClass(Collapsed(text)); }

bool IsSclLogName(std::string_view text) { return IsSclAcsiName(Collapsed(text)); }

std::string_view SclCollapsed(std::string_view text) { return Collapsed(text); }

std::string SclWholeNumberKey(std::string_view text) {
    std::string_view digits = Collapsed(text);
    const bool negative = !digits.empty() && digits[0] == '-';
    if (!digits.empty() && (negative || digits[0] == '+')) digits.remove_prefix(1);
    if (digits.empty() || digits.find_first_not_of("0123456789") != digits.npos) return std::string(text);
    digits.remove_prefix(std::min(digits.find_first_not_of('0'), digits.size() - 1));
    std::string key(negative && digits != "0" ? "-" : "");
    return key.append(digits);
}

}  // namespace kiln::core
