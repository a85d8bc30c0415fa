#include "HtmlText.h"

#include "base/Text.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>

namespace {

// Symbol and Wingdings characters that lists and text use most; the fonts themselves are not on every machine.
char32_t SymbolFontLookAlike(char32_t c) {
    switch (c) {
    case 0xF0B7:
        return U'\u2022'; // bullet
    case 0xF0A7:
        return U'\u25AA'; // small square
    case 0xF06E:
        return U'\u25A0'; // black square
    case 0xF071:
        return U'\u2751';
    case 0xF075:
        return U'\u25C6'; // diamond
    case 0xF076:
        return U'\u2756';
    case 0xF0D8:
        return U'\u27A2'; // arrowhead
    case 0xF0FC:
        return U'\u2713'; // check mark
    case 0xF0E0:
        return U'\u2192'; // arrow
    case 0xF06C:
        return U'\u25CF'; // black circle
    case 0xF0A8:
        return U'\u25FB';
    default:
        break;
    }
    return c >= 0xF020 && c <= 0xF07E ? c - 0xF000 : c;
}

} // namespace

void AppendEscapedText(std::string& out, std::u16string_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        switch (c) {
        case U'&':
            out += "&amp;";
            continue;
        case U'<':
            out += "&lt;";
            continue;
        case U'>':
            out += "&gt;";
            continue;
        case U'"':
            out += "&quot;";
            continue;
        case U'\t':
            out += ' ';
            continue;
        default:
            break;
        }
        if (c < 0x20 || c == 0x7F || c == 0xFFFE || c == 0xFFFF)
            continue;
        AppendUtf8(out, c >= 0xF000 && c <= 0xF0FF ? SymbolFontLookAlike(c) : c);
    }
}

void AppendTextKeepingSpaces(std::string& out, std::u16string_view text, bool& afterSpace) {
    size_t plain = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != u' ') {
            if (text[i] >= 0x20)
                afterSpace = false;
            continue;
        }
        if (!afterSpace) {
            afterSpace = true;
            continue;
        }
        AppendEscapedText(out, text.substr(plain, i - plain));
        out += "&nbsp;";
        plain = i + 1;
        afterSpace = false; // alternating, so the browser may still wrap a long run of spaces
    }
    AppendEscapedText(out, text.substr(plain));
}

std::string EscapedText(std::u16string_view text) {
    std::string out;
    AppendEscapedText(out, text);
    return out;
}

std::string EscapedAddress(std::u16string_view address) {
    std::string out;
    for (size_t i = 0; i < address.size(); ++i) {
        const char16_t c = address[i];
        if (c == u' ') {
            out += "%20";
        } else if (c >= 0xD800 && c <= 0xDBFF && i + 1 < address.size() && address[i + 1] >= 0xDC00 &&
                   address[i + 1] <= 0xDFFF) {
            // Past the code page's reach: the character's UTF-8 bytes, percent-encoded, as browsers send them.
            std::string utf8;
            AppendUtf8(utf8, 0x10000 + ((char32_t{c} - 0xD800) << 10) + (address[i + 1] - 0xDC00));
            for (unsigned char byte : utf8) {
                char encoded[4];
                std::snprintf(encoded, sizeof encoded, "%%%02X", byte);
                out += encoded;
            }
            ++i;
        } else {
            AppendEscapedText(out, address.substr(i, 1));
        }
    }
    return out;
}

bool IsSafeLinkAddress(std::u16string_view address) {
    // Browsers ignore whitespace and control characters inside a scheme ("java\tscript:"), so compare without them.
    std::string squeezed;
    for (char16_t c : address) {
        if (c <= 0x20 || c == 0x7F)
            continue;
        if (c == u':' || c == u'/' || c == u'?' || c == u'#')
            break;
        squeezed += c < 0x80 ? AsciiLower(static_cast<char>(c)) : '?';
        if (squeezed.size() > 32)
            break;
    }
    const size_t colon = address.find(u':');
    const size_t firstDelimiter = address.find_first_of(u"/?#");
    if (colon == std::u16string_view::npos || (firstDelimiter != std::u16string_view::npos && firstDelimiter < colon))
        return true; // relative: a page, a fragment, a folder path
    if (squeezed.size() == 1 && std::isalpha(static_cast<unsigned char>(squeezed[0])))
        return true; // a drive letter: C:\folder\file.doc
    static constexpr std::array<const char*, 9> kSafeSchemes = {"http", "https",  "ftp", "mailto", "file",
                                                                "news", "ms-its", "mk",  "its"};
    return std::any_of(kSafeSchemes.begin(), kSafeSchemes.end(),
                       [&](const char* scheme) { return squeezed == scheme; });
}
