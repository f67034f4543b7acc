#include "platform/framework/save_vp.h"

#include "platform/ui/ui_functions.h"

CSave_VP::~CSave_VP() {
    m_strVPPath.Empty();
    m_strVPInfo1.Empty();
    m_strVPInfo2.Empty();
    m_strVPInfo3.Empty();
    m_strVPInfo4.Empty();
    m_nVPValue = 0;
}

bool CSave_VP::SetVPPath(const CString& path) {
    m_strVPPath = path;
    return true;
}

bool CSave_VP::SetVPInfo(const CString& info1, const CString& info2, const CString& info3, const CString& info4) {
    if (info1.IsEmpty() || info2.IsEmpty() || info3.IsEmpty() || info4.IsEmpty()) {
        _AfxMessageBox("初始化CSave_VP对象失败（传入参数不全）！", MB_OK, nullptr, nullptr);
        return false;
    }
    m_strVPInfo1 = info1;
    m_strVPInfo2 = info2;
    m_strVPInfo3 = info3;
    m_strVPInfo4 = info4;
    return true;
}

bool CSave_VP::Init(const CString& info1, const CString& info2, const CString& info3, const CString& info4) {
    return SetVPInfo(info1, info2, info3, info4) && GetVPPath();
}
