#include "core/address_103.h"

namespace kiln::core {

const CField103* Field103Of(std::string_view role) {
    for (const CField103& field : kFields103)
        if (role == field.role) return &field;
    return nullptr;
}

int Number103(const CField103& field, std::string_view text) {
    if (text.empty() || text.size() > 3 || text.find_first_not_of("0123456789") != std::string_view::npos) return -1;
    int value = 0;
    for (const char c : text) value = value * 10 + (c - '0');
    return value >= field.least && value <= 255 ? value : -1;
}

}  // namespace kiln::core
