#pragma once
// BSTR: a UTF-16 string with a 32-bit byte-length prefix and a terminating zero, freed with SysFreeString.

#include "ComTypes.h"

#include <string>
#include <string_view>

BSTR SysAllocString(const OLECHAR* text);
BSTR SysAllocStringLen(const OLECHAR* text, UINT length);
void SysFreeString(BSTR text);
UINT SysStringLen(BSTR text);

inline BSTR SysAllocString(std::u16string_view text) {
    return SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}
// A null BSTR is the empty string, as in OLE Automation.
inline std::u16string_view BstrView(BSTR text) {
    return text ? std::u16string_view(text, SysStringLen(text)) : u"";
}
