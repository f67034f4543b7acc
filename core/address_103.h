// The numbers of an information item's IEC 60870-5-103 address: each is one
// octet (at most 255), and a type identification is never 0. The ITB
// import, the property view and the ITB export hold the numbers to this.
#pragma once

#include <string_view>

namespace kiln::core {

// A number of the address: its role, its name in the ITB file and its least
// value.
struct CField103 {
    const char* role;
    const char* name;
    int least;
};

// In the order the ITB file writes them ("itm" is the entry number).
inline constexpr CField103 kFields103[] = {
    {"sec:InfoItem.p103_typ", "typ", 1}, {"sec:InfoItem.p103_fun", "fun", 0}, {"sec:InfoItem.p103_inf", "inf", 0},
    {"sec:InfoItem.p103_grp", "grp", 0}, {"sec:InfoItem.p103_ent", "itm", 0}, {"sec:InfoItem.p103_acc", "acc", 0}};

// The number of the role; nullptr for a role that is none.
const CField103* Field103Of(std::string_view role);

// The number the text gives when it is a whole number from the field's
// least value to 255, digits only ("01" gives 1); -1 for any other text.
int Number103(const CField103& field, std::string_view text);

// True when the text is a whole number from the field's least value to 255,
// digits only.
inline bool FitsField103(const CField103& field, std::string_view text) { return Number103(field, text) >= 0; }

}  // namespace kiln::core
