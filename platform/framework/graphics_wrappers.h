// The wrapper classes of the host's vector-graphics ActiveX control: the
// control's window, and the automation wrappers of the control's objects
// (lines, elements, groups, layers, link data, shapes, sheets, texts,
// units), which all have the same members.
#pragma once

#include "platform/framework/com_types.h"
#include "platform/framework/ole_dispatch.h"
#include "platform/framework/wnd.h"

class CCreateContext;

class Cvgctrl : public CWnd {
public:
    Cvgctrl() = default;
    ~Cvgctrl() override = default;

    // The class identifier of the host's graphics control.
    static CLSID GetClsid();

    // Creates the control window; the class name and the create context
    // are not passed on, nor any persistence.
    virtual BOOL Create(const char* lpszClassName, const char* lpszWindowName, DWORD dwStyle, const RECT& rect,
                        CWnd* pParentWnd, UINT nID, CCreateContext* pContext = nullptr);
    // The same, passing the persistence file, storage flag and key text on.
    BOOL Create(const char* lpszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID,
                CFile* pPersist = nullptr, BOOL bStorage = FALSE, const char* bstrLicKey = nullptr);
};

#define KILN_GRAPHICS_DISPATCH_WRAPPER(Name)                                                    \
    class Name : public COleDispatchDriver {                                                    \
    public:                                                                                     \
        Name() = default;                                                                       \
        explicit Name(IDispatch* pDispatch) : COleDispatchDriver(pDispatch, TRUE) {}            \
        Name(const Name& src) : COleDispatchDriver(src) {}                                      \
        ~Name() = default;                                                                      \
        Name& operator=(const Name& src) {                                                      \
            COleDispatchDriver::operator=(src);                                                 \
            return *this;                                                                       \
        }                                                                                       \
    }

KILN_GRAPHICS_DISPATCH_WRAPPER(CLine);
KILN_GRAPHICS_DISPATCH_WRAPPER(CElement);
KILN_GRAPHICS_DISPATCH_WRAPPER(CGroup);
KILN_GRAPHICS_DISPATCH_WRAPPER(CLayer);
KILN_GRAPHICS_DISPATCH_WRAPPER(CLinkData);
KILN_GRAPHICS_DISPATCH_WRAPPER(CShape);
KILN_GRAPHICS_DISPATCH_WRAPPER(CSheet);
KILN_GRAPHICS_DISPATCH_WRAPPER(CText);
KILN_GRAPHICS_DISPATCH_WRAPPER(CUnit);

#undef KILN_GRAPHICS_DISPATCH_WRAPPER
