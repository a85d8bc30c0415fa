#include "Text.h"

#include <cstdint>

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

char32_t AsciiLower(char32_t c) {
    return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c;
}

std::string AsciiLower(std::string text) {
    for (char& c : text)
        c = AsciiLower(c);
    return text;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i]))
            return false;
    return true;
}

void AppendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}
std::u16string Utf8ToUtf16(const std::string& text, int* replaced) {
    std::u16string out;
    out.reserve(text.size());
    size_t i = 0;
    auto continuation = [&](size_t at) { return at < text.size() && (static_cast<unsigned char>(text[at]) >> 6) == 2; };
    while (i < text.size()) {
        const auto byte = static_cast<unsigned char>(text[i]);
        // A sequence that is cut short, overlong, a surrogate or beyond U+10FFFF is one U+FFFD per byte
        // consumed, so what follows it still reads.
        uint32_t code = 0xFFFD;
        size_t length = 1;
        uint32_t least = 0;
        if (byte < 0x80) {
            code = byte;
        } else if ((byte >> 5) == 6) {
            length = 2;
            least = 0x80;
            code = byte & 0x1F;
        } else if ((byte >> 4) == 14) {
            length = 3;
            least = 0x800;
            code = byte & 0x0F;
        } else if ((byte >> 3) == 30) {
            length = 4;
            least = 0x10000;
            code = byte & 0x07;
        }
        if (length > 1) {
            bool valid = true;
            for (size_t k = 1; k < length && valid; ++k) {
                valid = continuation(i + k);
                if (valid)
                    code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
            }
            if (!valid || code < least || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000))
                length = 0;
        } else if (byte >= 0x80) {
            length = 0;
        }
        if (length == 0) {
            code = 0xFFFD;
            length = 1;
            if (replaced)
                ++*replaced;
        }
        i += length;
        if (code >= 0x10000) {
            code -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(code));
        }
    }
    return out;
}

std::string Utf16ToUtf8(const std::u16string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t code = text[i];
        if (code >= 0xD800 && code < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000)
            code = 0x10000 + ((code - 0xD800) << 10) + (text[++i] - 0xDC00);
        AppendUtf8(out, code);
    }
    return out;
}

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    c = AsciiLower(c);
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

} // namespace

std::string PercentDecoded(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const int high = text[i] == '%' && i + 2 < text.size() ? HexDigit(text[i + 1]) : -1;
        const int low = high >= 0 ? HexDigit(text[i + 2]) : -1;
        if (low >= 0) {
            out += static_cast<char>(high * 16 + low);
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}
