// The class library's holder of an automation interface pointer: it keeps
// one reference and, when it owns the pointer, releases it at the end.
#pragma once

#include "platform/framework/com_types.h"
#include "platform/ui/win_types.h"

class COleDispatchDriver {
public:
    COleDispatchDriver() = default;
    // Holds the pointer without adding a reference; releases it at the end
    // when bAutoRelease is TRUE.
    explicit COleDispatchDriver(IDispatch* lpDispatch, BOOL bAutoRelease = TRUE)
        : m_lpDispatch(lpDispatch), m_bAutoRelease(bAutoRelease) {}
    // Shares the source's pointer with a reference of its own.
    COleDispatchDriver(const COleDispatchDriver& src);
    ~COleDispatchDriver() { ReleaseDispatch(); }
    const COleDispatchDriver& operator=(const COleDispatchDriver& src);

    void AttachDispatch(IDispatch* lpDispatch, BOOL bAutoRelease = TRUE);
    IDispatch* DetachDispatch();
    void ReleaseDispatch();

    IDispatch* m_lpDispatch = nullptr;
    BOOL m_bAutoRelease = TRUE;
};
