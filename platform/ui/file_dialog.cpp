#include "platform/ui/file_dialog.h"

#include "platform/ui/ui_services.h"

CFileDialog::CFileDialog(BOOL bOpenFileDialog, const char* lpszDefExt, const char* lpszFileName, DWORD dwFlags,
                         const char* lpszFilter, CWnd* /*pParentWnd*/, DWORD /*dwSize*/, BOOL /*bVistaStyle*/) {
    m_request.bOpen = bOpenFileDialog != FALSE;
    m_request.sDefExt = lpszDefExt;
    m_request.sFileName = lpszFileName;
    m_request.nFlags = dwFlags;
    m_request.sFilter = lpszFilter;
    m_ofn.Flags = dwFlags;
    SyncOfn();
}

void CFileDialog::SyncOfn() {
    m_ofn.lpstrFile = m_strPath.GetString();
    m_ofn.lpstrDefExt = m_request.sDefExt.GetString();
    m_ofn.lpstrFilter = m_request.sFilter.GetString();
}

int CFileDialog::DoModal() {
    m_request.nFlags = m_ofn.Flags;
    CString path = m_request.sFileName;
    bool ok = Ui_Current().FileDialog(m_request, path);
    if (ok && !path.IsEmpty()) {
        m_strPath = path;
        SyncOfn();
        return IDOK;
    }
    return IDCANCEL;
}

CString CFileDialog::GetFileName() const {
    return m_strPath.Mid(m_strPath.ReverseFind('/') + 1);
}

CString CFileDialog::GetFileExt() const {
    CString name = GetFileName();
    int dot = name.ReverseFind('.');
    return dot < 0 ? CString() : name.Mid(dot + 1);
}

CString CFileDialog::GetFileTitle() const {
    CString name = GetFileName();
    int dot = name.ReverseFind('.');
    return dot < 0 ? name : name.Left(dot);
}
