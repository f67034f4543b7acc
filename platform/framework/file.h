// The class library's binary file, as far as the framework's drawer file
// needs it: open, read, write, close. A file object is not copyable.
#pragma once

#include <cstdio>

#include "platform/framework/cobject.h"
#include "platform/mfc/cstring.h"
#include "platform/ui/win_types.h"

class CFile : public CObject {
public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        modeCreate = 0x1000,
    };

    CFile() = default;
    ~CFile() override;
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // Opens the file; modeCreate makes it empty (or new) first.
    virtual BOOL Open(const CString& path, UINT nOpenFlags);
    virtual void Close();
    // Bytes read; 0 at the end or without an open file.
    virtual UINT Read(void* buffer, UINT count);
    // FALSE when not every byte was written.
    virtual BOOL Write(const void* buffer, UINT count);
    bool IsOpen() const { return m_pFile != nullptr; }
    CString GetFilePath() const { return m_strFilePath; }

private:
    std::FILE* m_pFile = nullptr;
    CString m_strFilePath;
};
