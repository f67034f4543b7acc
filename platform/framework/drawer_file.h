// The framework's drawer file: a file that holds temporary domains under
// names. Copying one gives a fresh, closed file object that keeps only the
// source's last text.
#pragma once

#include <cstdint>
#include <unordered_map>

#include "platform/framework/file.h"
#include "platform/mfc/cstring.h"

class CDrawerFile : public CFile {
public:
    CDrawerFile() = default;
    CDrawerFile(const CDrawerFile& src);
    ~CDrawerFile() override = default;
    CDrawerFile& operator=(const CDrawerFile&) = delete;

    std::unordered_map<CString, CString> m_mapEntries;  // entry name -> content
    CString m_strDrawerPath;
    CString m_strDomain;
    std::uint32_t m_nState = 0;
    CString m_strKey;
};
