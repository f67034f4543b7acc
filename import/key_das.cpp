// The key data attributes of a CDC: those that carry a data object's value
// in an M2I mapping.
#include "import/kiln_import.h"

bool CKiln_Import::Init_KeyDATable(CString cdc, CString daName) {
    if (cdc.IsEmpty() && daName.IsEmpty()) {
        static const std::pair<const char*, std::vector<const char*>> kDefaults[] = {
            {"INC", {"stVal"}},
            {"SPS", {"stVal"}},
            {"INS", {"stVal"}},
            {"ACD", {"general"}},
            {"ING", {"setVal"}},
            {"ASG", {"setMag[SG].f", "setMag.f", "setMag", "setMag[SG]"}},
            {"CMV", {"cVal.mag.f", "cVal.ang.f", "cVal.mag", "cVal.ang", "cVal"}},
            {"SPC", {"stVal"}},
        };
        for (const auto& [name, das] : kDefaults) {
            std::vector<CString> list(das.begin(), das.end());
            m_mapKeyDAs.emplace(name, std::move(list));
        }
        return true;
    }
    if (cdc.IsEmpty() || daName.IsEmpty()) return false;
    std::vector<CString>& list = m_mapKeyDAs[cdc];
    for (const CString& d : list)
        if (d == daName) return true;
    list.push_back(daName);
    return true;
}

bool CKiln_Import::IsKeyDA(CString cdc, CString daName) {
    if (cdc.IsEmpty()) return false;
    const int open = daName.Find('[');
    const int close = daName.Find(']');
    // An index in brackets is cut out: "setMag[SG].f" is compared as "setMag.f".
    if (open >= 0 && close >= 0) daName = daName.Left(open) + daName.Mid(close + 1);
    auto it = m_mapKeyDAs.find(cdc);
    if (it == m_mapKeyDAs.end()) return false;
    for (const CString& d : it->second)
        if (d.CompareNoCase(daName) == 0) return true;
    return false;
}
