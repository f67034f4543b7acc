// The key data attributes of a CDC: those that carry a data object's value
// in an M2I mapping. The table starts from the one of core, which the M2I
// export checks its items against.
#include "core/key_das.h"
#include "import/kiln_import.h"

bool CKiln_Import::Init_KeyDATable(CString cdc, CString daName) {
    if (cdc.IsEmpty() && daName.IsEmpty()) {
        for (const auto& [name, das] : kiln::core::KeyDataAttributes()) {
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
    // An index in brackets is cut out: "setMag[SG].f" is compared as "setMag.f".
    daName = kiln::core::KeyDAPath(daName);
    auto it = m_mapKeyDAs.find(cdc);
    if (it == m_mapKeyDAs.end()) return false;
    for (const CString& d : it->second)
        if (d.CompareNoCase(daName) == 0) return true;
    return false;
}
