// The framework's colour configuration: named colours, then five values
// of the graphics view.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/mfc/cstring.h"

// One named colour, 0x00BBGGRR.
struct Struct_ColorItem {
    CString sName;
    std::uint32_t nColor = 0;
};

class CBase_ColorCfg {
public:
    std::vector<Struct_ColorItem> m_vColors;
    std::uint32_t m_nValue1 = 0;
    std::uint32_t m_nValue2 = 0;
    std::uint32_t m_nValue3 = 0;
    std::uint32_t m_nValue4 = 0;
    std::uint32_t m_nValue5 = 0;

    // The colour of that name (exact comparison); `fallback` when none has it.
    std::uint32_t Get_Color_ByName(const CString& name, std::uint32_t fallback = 0) const {
        for (const auto& c : m_vColors)
            if (c.sName == name) return c.nColor;
        return fallback;
    }
};
