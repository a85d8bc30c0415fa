#include "Bstr.h"

#include <cstdlib>
#include <cstring>

BSTR SysAllocStringLen(const OLECHAR* text, UINT length) {
    auto* block = static_cast<unsigned char*>(std::malloc(sizeof(uint32_t) + (length + 1u) * sizeof(OLECHAR)));
    if (!block)
        return nullptr;
    const uint32_t bytes = length * sizeof(OLECHAR);
    std::memcpy(block, &bytes, sizeof bytes);
    auto* chars = reinterpret_cast<OLECHAR*>(block + sizeof(uint32_t));
    if (text)
        std::memcpy(chars, text, bytes);
    else
        std::memset(chars, 0, bytes);
    chars[length] = 0;
    return chars;
}

BSTR SysAllocString(const OLECHAR* text) {
    if (!text)
        return nullptr;
    return SysAllocStringLen(text, static_cast<UINT>(std::char_traits<OLECHAR>::length(text)));
}

void SysFreeString(BSTR text) {
    if (text)
        std::free(reinterpret_cast<unsigned char*>(text) - sizeof(uint32_t));
}

UINT SysStringLen(BSTR text) {
    if (!text)
        return 0;
    uint32_t bytes;
    std::memcpy(&bytes, reinterpret_cast<unsigned char*>(text) - sizeof(uint32_t), sizeof bytes);
    return bytes / sizeof(OLECHAR);
}
