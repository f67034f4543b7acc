#include "platform/framework/graphics_wrappers.h"

CLSID Cvgctrl::GetClsid() {
    // {6B3E1A52-7C0D-4F1E-9A35-2D8C41F07B96}
    return CLSID{0x6B3E1A52, 0x7C0D, 0x4F1E, {0x9A, 0x35, 0x2D, 0x8C, 0x41, 0xF0, 0x7B, 0x96}};
}

BOOL Cvgctrl::Create(const char* /*lpszClassName*/, const char* lpszWindowName, DWORD dwStyle, const RECT& rect,
                     CWnd* pParentWnd, UINT nID, CCreateContext* /*pContext*/) {
    return CreateControl(GetClsid(), lpszWindowName, dwStyle, rect, pParentWnd, nID);
}

BOOL Cvgctrl::Create(const char* lpszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID,
                     CFile* pPersist, BOOL bStorage, const char* bstrLicKey) {
    return CreateControl(GetClsid(), lpszWindowName, dwStyle, rect, pParentWnd, nID, pPersist, bStorage,
                         bstrLicKey);
}
