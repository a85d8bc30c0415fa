// libFuzzer target for the page-text reader: a page's searchable text and its links, in the code page the first
// byte picks for pages that declare none.
#include "PageText.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const uint32_t codePages[] = {1252, 936, 950, 932, 949, 65001};
    const uint32_t codePage = codePages[data[0] % 6];
    const std::string_view html(reinterpret_cast<const char*>(data) + 1, size - 1);
    ExtractPageText(html, codePage);
    PageLinks(html, codePage);
    return 0;
}
