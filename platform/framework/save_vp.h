// The framework's VP saver: an application object that carries the path of
// a VP file and four texts describing it.
#pragma once

#include <cstdint>

#include "platform/framework/app_base.h"
#include "platform/mfc/cstring.h"

class CSave_VP : public CBase_App {
public:
    CSave_VP() = default;
    ~CSave_VP() override;

    // Stores the VP path; true.
    bool SetVPPath(const CString& path);
    // Stores the four texts when none is empty and returns true; otherwise
    // shows "初始化CSave_VP对象失败（传入参数不全）！" and stores nothing.
    bool SetVPInfo(const CString& info1, const CString& info2, const CString& info3, const CString& info4);
    // SetVPInfo, then, when it succeeded, GetVPPath.
    bool Init(const CString& info1, const CString& info2, const CString& info3, const CString& info4);
    // True when a VP path is stored.
    bool GetVPPath() const { return !m_strVPPath.IsEmpty(); }

    CString m_strVPPath;
    CString m_strVPInfo1;
    CString m_strVPInfo2;
    CString m_strVPInfo3;
    CString m_strVPInfo4;
    std::uint32_t m_nVPValue = 0;
};
