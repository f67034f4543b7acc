// The class library's open and save dialog. DoModal asks the host's
// user-interface services; after IDOK the chosen path is in GetPathName and
// in the file-name buffer of m_ofn.
#pragma once

#include "platform/mfc/cstring.h"
#include "platform/ui/ui_records.h"
#include "platform/ui/win_types.h"

class CWnd;

class CFileDialog {
public:
    // The part of the dialog's OPENFILENAME that callers read.
    struct OpenFileName {
        DWORD Flags = 0;
        const char* lpstrFile = "";    // the chosen full path
        const char* lpstrDefExt = "";
        const char* lpstrFilter = "";  // as given, with "|" separators
    };

    explicit CFileDialog(BOOL bOpenFileDialog, const char* lpszDefExt = nullptr, const char* lpszFileName = nullptr,
                         DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, const char* lpszFilter = nullptr,
                         CWnd* pParentWnd = nullptr, DWORD dwSize = 0, BOOL bVistaStyle = TRUE);
    virtual ~CFileDialog() = default;
    CFileDialog(const CFileDialog&) = delete;
    CFileDialog& operator=(const CFileDialog&) = delete;

    // IDOK with a path chosen, IDCANCEL otherwise.
    virtual int DoModal();

    CString GetPathName() const { return m_strPath; }
    // The file name with its extension, without the folder.
    CString GetFileName() const;
    // The extension without its point; empty when none.
    CString GetFileExt() const;
    // The file name without folder and extension.
    CString GetFileTitle() const;

    OpenFileName m_ofn;

private:
    void SyncOfn();

    Struct_UiFileRequest m_request;
    CString m_strPath;
};
