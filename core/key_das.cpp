#include "core/key_das.h"

namespace kiln::core {

const std::vector<std::pair<const char*, std::vector<const char*>>>& KeyDataAttributes() {
    // The classes of measured and counted values carry units with their
    // value, as the map items do.
    static const std::vector<std::pair<const char*, std::vector<const char*>>> kTable = {
        {"INC", {"stVal"}},
        {"SPS", {"stVal"}},
        {"INS", {"stVal"}},
        {"ACD", {"general"}},
        {"ING", {"setVal"}},
        {"ASG", {"setMag[SG].f", "setMag.f", "setMag", "setMag[SG]"}},
        {"CMV", {"cVal.mag.f", "cVal.ang.f", "cVal.mag", "cVal.ang", "cVal"}},
        {"SPC", {"stVal"}},
        {"MV", {"mag.f", "mag.i", "mag", "instMag.f", "instMag.i", "instMag"}},
        {"SAV", {"instMag.f", "instMag.i", "instMag"}},
        {"BCR", {"actVal", "frVal"}},
        {"APC", {"mxVal.f", "mxVal.i", "mxVal"}},
        {"BAC", {"mxVal.f", "mxVal.i", "mxVal"}},
    };
    return kTable;
}

CString KeyDAPath(CString daPath) {
    const int open = daPath.Find('[');
    const int close = daPath.Find(']');
    if (open >= 0 && close >= 0) daPath = daPath.Left(open) + daPath.Mid(close + 1);
    return daPath;
}

bool HasKeyDataAttributes(const CString& cdc) {
    for (const auto& [name, das] : KeyDataAttributes())
        if (cdc == name) return true;
    return false;
}

bool IsKeyDataAttribute(const CString& cdc, const CString& daPath) {
    const CString path = KeyDAPath(daPath);
    for (const auto& [name, das] : KeyDataAttributes())
        if (cdc == name)
            for (const char* d : das)
                if (path.CompareNoCase(d) == 0) return true;
    return false;
}

}  // namespace kiln::core
