#include "tools/nsd2cim/std_vocabulary.h"

namespace kiln::nsd2cim {

std::string PresenceOf(const std::string& presCond) {
    if (presCond.empty() || presCond == "M" || presCond == "Mmulti" || presCond == "MmultiRange")
        return "M";
    if (presCond == "O" || presCond == "Omulti" || presCond == "OmultiRange") return "O";
    if (presCond == "F") return "";
    return "C";
}

std::string TrgOpOf(bool dchg, bool qchg, bool dupd) {
    if (qchg) return "QChg";
    if (dchg) return dupd ? "DChg_DUpd" : "DChg";
    if (dupd) return "DUpd";
    return "";
}

}  // namespace kiln::nsd2cim
