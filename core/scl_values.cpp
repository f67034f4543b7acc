// The basic types of SCL as tests of a value's text.
#include "core/scl_values.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

#include "core/scl_names.h"

namespace kiln::core {
namespace {

bool Digit(char c) { return c >= '0' && c <= '9'; }
bool Digits(std::string_view s) { return !s.empty() && std::all_of(s.begin(), s.end(), Digit); }

// A whole number within [-minMagnitude, maxValue], the bounds as decimal
// texts ("" for the lower: no sign allowed).
bool WholeIn(std::string_view text, std::string_view minMagnitude, std::string_view maxValue) {
    const bool negative = !text.empty() && text[0] == '-';
    if (negative && minMagnitude.empty()) return false;
    std::string_view digits = negative ? text.substr(1) : text;
    if (!Digits(digits)) return false;
    while (digits.size() > 1 && digits[0] == '0') digits.remove_prefix(1);
    const std::string_view bound = negative ? minMagnitude : maxValue;
    return digits.size() < bound.size() || (digits.size() == bound.size() && digits <= bound);
}

struct IntRow {
    std::string_view type, minMagnitude, maxValue;
};
constexpr IntRow kInts[] = {
    {"INT8", "128", "127"},
    {"INT16", "32768", "32767"},
    {"INT24", "8388608", "8388607"},
    {"INT32", "2147483648", "2147483647"},
    {"INT64", "9223372036854775808", "9223372036854775807"},
    {"INT128", "170141183460469231731687303715884105728", "170141183460469231731687303715884105727"},
    {"INT8U", "", "255"},
    {"INT16U", "", "65535"},
    {"INT24U", "", "16777215"},
    {"INT32U", "", "4294967295"},
};

// A decimal number (sign, digits with one point, an exponent) or INF, -INF,
// NaN, whose magnitude does not pass `limit`.
bool FloatWithin(std::string_view text, double limit) {
    if (text.empty()) return false;
    if (text == "INF" || text == "-INF" || text == "NaN") return true;
    size_t i = (text[0] == '-' || text[0] == '+') ? 1 : 0;
    const size_t mantissa = i;
    size_t digits = 0;
    bool point = false;
    for (; i < text.size() && (Digit(text[i]) || (text[i] == '.' && !point)); ++i) {
        if (text[i] == '.') point = true;
        else ++digits;
    }
    if (digits == 0) return false;
    if (i < text.size()) {
        if (text[i] != 'e' && text[i] != 'E') return false;
        std::string_view exponent = text.substr(i + 1);
        if (!exponent.empty() && (exponent[0] == '-' || exponent[0] == '+')) exponent.remove_prefix(1);
        if (!Digits(exponent)) return false;
    }
    // Too small a number reads as zero, which fits; too large as infinite.
    const std::string plain(text.substr(mantissa));
    return std::fabs(std::strtod(plain.c_str(), nullptr)) <= limit;
}

bool HexOctets(std::string_view text, size_t most) {
    const auto hex = [](char c) { return Digit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); };
    return text.size() % 2 == 0 && text.size() <= 2 * most && std::all_of(text.begin(), text.end(), hex);
}

int Number(std::string_view text, size_t at, size_t length) {
    int n = 0;
    for (size_t k = at; k < at + length; ++k) n = n * 10 + (text[k] - '0');
    return n;
}

// "YYYY-MM-DDThh:mm:ss", then a fraction, then "Z" or "+hh:mm" / "-hh:mm".
bool DateTime(std::string_view text) {
    constexpr std::string_view kForm = "0000-00-00T00:00:00";
    if (text.size() < kForm.size()) return false;
    for (size_t k = 0; k < kForm.size(); ++k)
        if (kForm[k] == '0' ? !Digit(text[k]) : text[k] != kForm[k]) return false;
    const int year = Number(text, 0, 4), month = Number(text, 5, 2), day = Number(text, 8, 2);
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12 || day < 1 || day > kDays[month - 1] + (month == 2 && leap ? 1 : 0)) return false;
    if (Number(text, 11, 2) > 23 || Number(text, 14, 2) > 59 || Number(text, 17, 2) > 59) return false;
    std::string_view rest = text.substr(kForm.size());
    if (!rest.empty() && rest[0] == '.') {
        size_t n = 1;
        while (n < rest.size() && Digit(rest[n])) ++n;
        if (n == 1) return false;
        rest.remove_prefix(n);
    }
    if (rest.empty() || rest == "Z") return true;
    return rest.size() == 6 && (rest[0] == '+' || rest[0] == '-') && Digits(rest.substr(1, 2)) && rest[3] == ':' &&
           Digits(rest.substr(4, 2)) && Number(rest, 1, 2) <= 14 && Number(rest, 4, 2) <= 59;
}

}  // namespace

bool FitsBasicType(std::string_view bType, std::string_view text) {
    return text.empty() || FitsWrittenValue(bType, text);
}

bool FitsWrittenValue(std::string_view bType, std::string_view text) {
    if (bType == "BOOLEAN") return text == "true" || text == "false" || text == "1" || text == "0";
    for (const IntRow& row : kInts)
        if (bType == row.type) return WholeIn(text, row.minMagnitude, row.maxValue);
    // The largest FLOAT32 and half a step past it, which still rounds to it.
    if (bType == "FLOAT32") return FloatWithin(text, std::ldexp(1.0, 128) - std::ldexp(1.0, 103));
    if (bType == "FLOAT64") return FloatWithin(text, 1.7976931348623157e308);
    for (const auto& [type, most] : {std::pair{"VisString32", 32}, std::pair{"VisString64", 64},
                                     std::pair{"VisString65", 65}, std::pair{"VisString129", 129},
                                     std::pair{"VisString255", 255}, std::pair{"Unicode255", 255},
                                     std::pair{"ObjRef", 129}})
        if (bType == type) return Utf8Length(text) <= static_cast<size_t>(most);
    for (const auto& [type, most] : {std::pair{"Octet6", 6}, std::pair{"Octet16", 16}, std::pair{"Octet64", 64},
                                     std::pair{"EntryID", 8}})
        if (bType == type) return HexOctets(text, static_cast<size_t>(most));
    if (bType == "Timestamp" || bType == "EntryTime") return DateTime(text);
    if (bType == "Currency") return text.size() == 3 && std::all_of(text.begin(), text.end(), [](char c) {
                                       return c >= 'A' && c <= 'Z';
                                   });
    return true;
}

}  // namespace kiln::core
