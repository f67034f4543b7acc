#include "platform/framework/ole_dispatch.h"

COleDispatchDriver::COleDispatchDriver(const COleDispatchDriver& src) : m_lpDispatch(src.m_lpDispatch) {
    if (m_lpDispatch) m_lpDispatch->AddRef();
    m_bAutoRelease = TRUE;
}

const COleDispatchDriver& COleDispatchDriver::operator=(const COleDispatchDriver& src) {
    if (this != &src) {
        // Take the new reference before letting go of the old one, so that
        // assigning a pointer to itself through another holder is safe.
        if (src.m_lpDispatch) src.m_lpDispatch->AddRef();
        ReleaseDispatch();
        m_lpDispatch = src.m_lpDispatch;
        m_bAutoRelease = TRUE;
    }
    return *this;
}

void COleDispatchDriver::AttachDispatch(IDispatch* lpDispatch, BOOL bAutoRelease) {
    ReleaseDispatch();
    m_lpDispatch = lpDispatch;
    m_bAutoRelease = bAutoRelease;
}

IDispatch* COleDispatchDriver::DetachDispatch() {
    IDispatch* p = m_lpDispatch;
    m_lpDispatch = nullptr;
    return p;
}

void COleDispatchDriver::ReleaseDispatch() {
    if (m_lpDispatch && m_bAutoRelease) m_lpDispatch->Release();
    m_lpDispatch = nullptr;
}
