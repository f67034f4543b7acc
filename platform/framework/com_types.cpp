#include "platform/framework/com_types.h"

#include <cstring>
#include <new>

// Layout: a 32-bit length in bytes, then the text and a terminating 0.
BSTR SysAllocString(const std::u16string& text) {
    std::uint32_t bytes = static_cast<std::uint32_t>(text.size() * sizeof(OLECHAR));
    char* block = new (std::nothrow) char[sizeof(std::uint32_t) + bytes + sizeof(OLECHAR)];
    if (!block) return nullptr;
    std::memcpy(block, &bytes, sizeof bytes);
    BSTR s = reinterpret_cast<BSTR>(block + sizeof(std::uint32_t));
    std::memcpy(s, text.data(), bytes);
    s[text.size()] = 0;
    return s;
}

void SysFreeString(BSTR text) {
    if (text) delete[] (reinterpret_cast<char*>(text) - sizeof(std::uint32_t));
}

unsigned int SysStringLen(BSTR text) {
    if (!text) return 0;
    std::uint32_t bytes = 0;
    std::memcpy(&bytes, reinterpret_cast<char*>(text) - sizeof(std::uint32_t), sizeof bytes);
    return bytes / sizeof(OLECHAR);
}
