#include "PageEncoding.h"

#include "base/CodePageText.h"
#include "base/Text.h"

#include <cstdio>

namespace {

// Where the style sheet ends: a style sheet does not read character references.
size_t StyleSheetEnd(std::string_view html, size_t from) {
    for (size_t at = from; at + 8 <= html.size(); ++at)
        if (html[at] == '<' && html[at + 1] == '/' && EqualsIgnoringAsciiCase(html.substr(at, 8), "</style>"))
            return at;
    return html.size();
}

std::string EncodeStyleSheet(uint32_t codePage, std::string_view css) {
    const std::string withReferences = Utf8ToCodePageWithReferences(codePage, HeldBy::PageCharset, css);
    if (withReferences.find("&#") == std::string::npos)
        return withReferences;
    // A reference the encoder made becomes the CSS escape of the same character; six digits end it.
    std::string result;
    for (size_t at = 0; at < withReferences.size();) {
        unsigned code = 0;
        int length = 0;
        if (withReferences.compare(at, 2, "&#") == 0 &&
            std::sscanf(withReferences.c_str() + at, "&#%u;%n", &code, &length) == 1 && length > 0) {
            char escape[16];
            std::snprintf(escape, sizeof escape, "\\%06X", code);
            result += escape;
            at += static_cast<size_t>(length);
        } else {
            result += withReferences[at++];
        }
    }
    return result;
}

} // namespace

std::string EncodePage(uint32_t codePage, std::string_view utf8) {
    std::string result;
    result.reserve(utf8.size());
    size_t done = 0;
    for (size_t at = 0; at + 6 <= utf8.size(); ++at) {
        if (utf8[at] != '<' || !EqualsIgnoringAsciiCase(utf8.substr(at, 6), "<style"))
            continue;
        const size_t open = utf8.find('>', at);
        if (open == std::string_view::npos)
            break;
        const size_t close = StyleSheetEnd(utf8, open + 1);
        result += Utf8ToCodePageWithReferences(codePage, HeldBy::PageCharset, utf8.substr(done, open + 1 - done));
        result += EncodeStyleSheet(codePage, utf8.substr(open + 1, close - open - 1));
        done = close;
        at = close;
    }
    result += Utf8ToCodePageWithReferences(codePage, HeldBy::PageCharset, utf8.substr(done));
    return result;
}
