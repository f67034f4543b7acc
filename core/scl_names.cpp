// The name patterns of SCL as tests of a text.
#include "core/scl_names.h"

#include <algorithm>
#include <array>

namespace kiln::core {
namespace {

bool Upper(char c) { return c >= 'A' && c <= 'Z'; }
bool Lower(char c) { return c >= 'a' && c <= 'z'; }
bool Letter(char c) { return Upper(c) || Lower(c); }
bool Digit(char c) { return c >= '0' && c <= '9'; }
bool Alnum(char c) { return Letter(c) || Digit(c); }
bool AlnumOr_(char c) { return Alnum(c) || c == '_'; }

// A first character `first` accepts, the rest `rest`, at most `max` long.
template <typename First, typename Rest>
bool Pattern(std::string_view text, size_t max, First first, Rest rest) {
    if (text.empty() || text.size() > max || !first(text[0])) return false;
    return std::all_of(text.begin() + 1, text.end(), rest);
}

}  // namespace

bool IsSclLdInst(std::string_view text) { return Pattern(text, 64, Alnum, AlnumOr_); }

bool IsSclAccessPointName(std::string_view text) { return Pattern(text, 32, Alnum, AlnumOr_); }

bool IsSclLnPrefix(std::string_view text) { return text.empty() || Pattern(text, 11, Letter, AlnumOr_); }

bool IsSclLnInst(std::string_view text) { return Pattern(text, 12, Digit, Digit); }

bool IsSclLnClass(std::string_view text) {
    return text == "LLN0" || (text.size() == 4 && Pattern(text, 4, Upper, Upper));
}

bool IsSclDoName(std::string_view text) { return Pattern(text, 12, Upper, Alnum); }

bool IsSclSdoName(std::string_view text) { return Pattern(text, 60, Lower, Alnum); }

bool IsSclAttributeName(std::string_view text) {
    static constexpr std::array<std::string_view, 17> kPredefined{
        "T",    "Test", "Check", "SIUnit", "Oper",           "SBO",           "SBOw",            "Cancel",   "Addr",
        "PRIORITY", "VID", "APPID", "TransportInUse", "IPClassOfTraffic", "IPv6FlowLabel", "IPAddressLength",
        "IPAddress"};
    if (std::find(kPredefined.begin(), kPredefined.end(), text) != kPredefined.end()) return true;
    return Pattern(text, 60, Lower, Alnum);
}

bool IsSclAcsiName(std::string_view text) { return Pattern(text, 32, Letter, AlnumOr_); }

size_t Utf8Length(std::string_view text) {
    return static_cast<size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

bool IsSclTypeId(std::string_view text) {
    auto space = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    const size_t length = Utf8Length(text);
    return length >= 1 && length <= 255 && std::none_of(text.begin(), text.end(), space);
}

bool IsSclEnumText(std::string_view text) {
    size_t length = 0;
    for (size_t i = 0; i < text.size(); ++length) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        // Up to U+00FF a character takes two bytes, led by 0xC2 or 0xC3.
        if ((c != 0xC2 && c != 0xC3) || i + 1 >= text.size()) return false;
        i += 2;
    }
    return length <= 127;
}

std::string WithoutConstraints(std::string_view path) {
    std::string out;
    out.reserve(path.size());
    for (size_t i = 0; i < path.size(); ++i) {
        const size_t close = path[i] == '[' ? path.find(']', i) : path.npos;
        if (close == path.npos)
            out += path[i];
        else
            i = close;
    }
    return out;
}

size_t SubObjectsLength(std::string_view path) {
    const size_t open = path.find('[');
    if (open == path.npos) return 0;
    const size_t dot = path.rfind('.', open);
    return dot == path.npos ? 0 : dot;
}

}  // namespace kiln::core
