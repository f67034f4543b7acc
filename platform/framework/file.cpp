#include "platform/framework/file.h"


CFile::~CFile() { Close(); }

BOOL CFile::Open(const CString& path, UINT nOpenFlags) {
    Close();
    const char* mode = "rb";
    if (nOpenFlags & modeCreate)
        mode = (nOpenFlags & modeReadWrite) ? "w+b" : "wb";
    else if (nOpenFlags & (modeWrite | modeReadWrite))
        mode = "r+b";
    m_pFile = std::fopen(path.GetString(), mode);
    if (!m_pFile) return FALSE;
    m_strFilePath = path;
    return TRUE;
}

void CFile::Close() {
    if (m_pFile) std::fclose(m_pFile);
    m_pFile = nullptr;
}

UINT CFile::Read(void* buffer, UINT count) {
    if (!m_pFile || !buffer) return 0;
    return static_cast<UINT>(std::fread(buffer, 1, count, m_pFile));
}

BOOL CFile::Write(const void* buffer, UINT count) {
    if (!m_pFile || (!buffer && count)) return FALSE;
    return std::fwrite(buffer, 1, count, m_pFile) == count ? TRUE : FALSE;
}
