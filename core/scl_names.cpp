#include "core/scl_names.h"

namespace kiln::core {
namespace {

bool IsAsciiUpper(char c) { return c >= 'A' && c <= 'Z'; }
bool IsAsciiAlnum(char c) { return IsAsciiUpper(c) || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'); }

}  // namespace

bool IsSclDataName(std::string_view name) {
    constexpr size_t kMaxLength = 12;
    if (name.empty() || name.size() > kMaxLength || !IsAsciiUpper(name.front())) return false;
    for (char c : name)
        if (!IsAsciiAlnum(c)) return false;
    return true;
}

}  // namespace kiln::core
