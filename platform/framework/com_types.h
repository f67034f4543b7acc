// The few COM types the framework's wrappers pass: class identifiers, the
// automation interface pointer and BSTR texts (UTF-16 with their length).
#pragma once

#include <cstdint>
#include <string>

struct GUID {
    std::uint32_t Data1 = 0;
    std::uint16_t Data2 = 0;
    std::uint16_t Data3 = 0;
    std::uint8_t Data4[8] = {};

    friend bool operator==(const GUID& a, const GUID& b) {
        if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
        for (int i = 0; i < 8; ++i)
            if (a.Data4[i] != b.Data4[i]) return false;
        return true;
    }
};
using CLSID = GUID;

// An automation object: reference counted, released by its last holder.
class IDispatch {
public:
    virtual unsigned long AddRef() = 0;
    virtual unsigned long Release() = 0;

protected:
    virtual ~IDispatch() = default;
};

// A BSTR points at UTF-16 text that a length prefix precedes; null stands
// for the empty text.
using OLECHAR = char16_t;
using BSTR = OLECHAR*;

BSTR SysAllocString(const std::u16string& text);
void SysFreeString(BSTR text);
// The length in UTF-16 units; 0 for null.
unsigned int SysStringLen(BSTR text);
