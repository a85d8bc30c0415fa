#include "TextCodec.h"

#include "base/Charset.h"
#include "base/CodePageText.h"
#include "base/Text.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// A name made per call, not kept in a thread_local string: a library holding thread_local objects with destructors
// cannot be unloaded on Windows, and callers unload the compiler after each compile.
std::string IconvName(uint32_t codePage) {
    switch (codePage) {
    case 936:
        return "GB18030"; // the lossless superset of GBK
    case 950:
        return "CP950";
    case 932:
        return "CP932";
    case 949:
        return "CP949";
    case 65001:
        return "UTF-8";
    default:
        break;
    }
    return "CP" + std::to_string(codePage);
}

std::optional<std::string> Convert(const std::string& from, const std::string& to, const std::string& text) {
    return ConvertCharset(from, to, text);
}

// Every code page here keeps ASCII as it is, and most names and titles are ASCII: those skip iconv.
bool IsAscii(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

} // namespace

uint32_t CodePageForLcid(uint32_t lcid) {
    switch (lcid & 0x3FF) { // primary language
    case 0x04:
        return (lcid == 0x404 || lcid == 0xC04 || lcid == 0x1404) ? 950 : 936;
    case 0x11:
        return 932;
    case 0x12:
        return 949;
    case 0x19:
    case 0x02:
    case 0x22:
        return 1251;
    case 0x05:
    case 0x0E:
    case 0x15:
    case 0x18:
    case 0x1B:
    case 0x1C:
    case 0x24:
        return 1250;
    case 0x1A: // Croatian, and Serbian in Latin script; Serbian in Cyrillic script is sub-language 3 and 7
        return (lcid >> 10) == 3 || (lcid >> 10) == 7 ? 1251 : 1250;
    case 0x23:
    case 0x2F:
        return 1251;
    case 0x25:
    case 0x26:
    case 0x27:
        return 1257;
    case 0x08:
        return 1253;
    case 0x1F:
        return 1254;
    case 0x0D:
        return 1255;
    case 0x01:
        return 1256;
    case 0x1E:
        return 874;
    // Languages Windows writes in Unicode only: no ANSI code page holds them.
    case 0x2B:
    case 0x37:
    case 0x39:
    case 0x45:
    case 0x46:
    case 0x47:
    case 0x49:
    case 0x4A:
    case 0x4B:
    case 0x4E:
    case 0x4F:
        return 0;
    default:
        return 1252;
    }
}

uint32_t CodePageForCharset(int charset) {
    switch (charset) {
    case 134:
        return 936;
    case 136:
        return 950;
    case 128:
        return 932;
    case 129:
        return 949;
    case 0:
        return 1252;
    case 204:
        return 1251;
    case 238:
        return 1250;
    case 161:
        return 1253;
    case 162:
        return 1254;
    case 186:
        return 1257;
    case 177:
        return 1255;
    case 178:
        return 1256;
    case 222:
        return 874;
    default:
        return 0;
    }
}

bool CanReadCodePage(uint32_t codePage) {
    return ConvertCharset(IconvName(codePage), "UTF-8", "A").has_value();
}

std::optional<std::string> CodePageToUtf8(uint32_t codePage, const std::string& text) {
    return IsAscii(text) ? text : Convert(IconvName(codePage), "UTF-8", text);
}

std::optional<std::string> Utf8ToCodePage(uint32_t codePage, const std::string& text) {
    return IsAscii(text) ? text : Convert("UTF-8", IconvName(codePage), text);
}

std::optional<std::u16string> CodePageToUtf16(uint32_t codePage, const std::string& text) {
    const std::optional<std::string> bytes = Convert(IconvName(codePage), "UTF-16LE", text);
    if (!bytes)
        return std::nullopt;
    std::u16string result;
    for (size_t i = 0; i + 1 < bytes->size(); i += 2) {
        result.push_back(static_cast<char16_t>(static_cast<unsigned char>((*bytes)[i]) |
                                               (static_cast<unsigned char>((*bytes)[i + 1]) << 8)));
    }
    return result;
}

std::optional<std::string> NameToUtf8(uint32_t codePage, const std::string& text) {
    std::optional<std::string> utf8 = CodePageToUtf8(codePage, text);
    if (!utf8 || utf8->find("&#") == std::string::npos)
        return utf8;
    std::string result;
    for (size_t at = 0; at < utf8->size();) {
        unsigned code = 0;
        int length = 0;
        if (utf8->compare(at, 2, "&#") == 0 && std::sscanf(utf8->c_str() + at, "&#%u;%n", &code, &length) == 1 &&
            length > 0 && code >= 0x80 && code <= 0x10FFFF && !(code >= 0xD800 && code < 0xE000) &&
            !CodePageHolds(codePage, HeldBy::CodePage, code)) {
            AppendUtf8(result, code);
            at += static_cast<size_t>(length);
        } else {
            result += (*utf8)[at++];
        }
    }
    return result;
}

bool IsValidUtf8(const std::string& text) {
    return IsAscii(text) || Convert("UTF-8", "UTF-8", text).has_value();
}

// Written into a string sized once for the worst case (one character a byte): pages are mostly ASCII, and
// growing the text a character at a time cost more than the rest of reading a page.
std::u32string DecodeUtf8Lenient(std::string_view bytes) {
    std::u32string result(bytes.size(), U'\0');
    char32_t* out = result.data();
    const auto byteAt = [&](size_t i) { return static_cast<unsigned char>(bytes[i]); };
    size_t i = 0;
    while (i < bytes.size()) {
        const unsigned char lead = byteAt(i);
        if (lead < 0x80) {
            *out++ = lead;
            ++i;
            continue;
        }
        const int length = lead >= 0xF0 && lead <= 0xF4 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 && lead < 0xE0 ? 2 : 0;
        char32_t code = length == 4 ? lead & 0x07 : length == 3 ? lead & 0x0F : lead & 0x1F;
        bool valid = length != 0 && i + length <= bytes.size();
        for (int k = 1; valid && k < length; ++k) {
            const unsigned char next = byteAt(i + k);
            valid = (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3F);
        }
        const char32_t minimum = length == 4 ? 0x10000 : length == 3 ? 0x800 : 0x80;
        valid = valid && code >= minimum && code <= 0x10FFFF && !(code >= 0xD800 && code <= 0xDFFF);
        *out++ = valid ? code : U'\uFFFD';
        i += valid ? length : 1;
    }
    result.resize(static_cast<size_t>(out - result.data()));
    return result;
}

std::string EncodeUtf8(std::u32string_view text) {
    std::string result;
    result.reserve(text.size());
    for (const char32_t code : text)
        AppendUtf8(result, code);
    return result;
}

std::optional<std::u32string> DecodeCharsetLenient(const std::string& charset, std::string_view bytes) {
    return DecodeCharsetReplacing(charset, bytes);
}

namespace {

// The reference starting at text[at] ('&'): its character and its length, or nothing.
std::optional<std::pair<char32_t, std::size_t>> ReadReference(const std::string& text, std::size_t at) {
    static const std::pair<std::string_view, char32_t> kNamed[] = {
        {"&amp;", U'&'}, {"&lt;", U'<'}, {"&gt;", U'>'}, {"&quot;", U'"'}, {"&apos;", U'\''}};
    const std::string_view rest = std::string_view(text).substr(at);
    for (const auto& [entity, character] : kNamed) {
        if (rest.substr(0, entity.size()) == entity) {
            return std::make_pair(character, entity.size());
        }
    }
    if (rest.size() < 4 || rest[1] != '#') {
        return std::nullopt;
    }
    const bool hex = rest[2] == 'x' || rest[2] == 'X';
    std::size_t i = hex ? 3 : 2;
    std::uint32_t code = 0;
    const std::size_t digitsStart = i;
    for (; i < rest.size() && i < digitsStart + 8; ++i) {
        const char c = rest[i];
        int digit = -1;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (hex && c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (hex && c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        } else {
            break;
        }
        code = code * (hex ? 16 : 10) + static_cast<std::uint32_t>(digit);
    }
    if (i == digitsStart || i >= rest.size() || rest[i] != ';' || code == 0 || code > 0x10FFFF ||
        (code >= 0xD800 && code < 0xE000)) {
        return std::nullopt;
    }
    return std::make_pair(static_cast<char32_t>(code), i + 1);
}

// The bytes of a character (UTF-8 in) a viewer reading the code page gets back; nothing when it cannot. GB18030
// holds every character, but a viewer decodes code page 936, which shares only GBK's bytes with it.
std::optional<std::string> ViewerBytes(std::uint32_t codePage, const std::string& utf8) {
    std::optional<std::string> bytes = Utf8ToCodePage(codePage, utf8);
    if (bytes && codePage == 936 && !IsAscii(utf8) && Convert("UTF-8", "CP936", utf8) != bytes)
        return std::nullopt;
    return bytes;
}

std::string DecodeReferences(std::uint32_t codePage, const std::string& text, bool forDisplay) {
    if (text.find('&') == std::string::npos) {
        return text;
    }
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] == '&') {
            if (const auto reference = ReadReference(text, i)) {
                const auto [character, length] = *reference;
                std::optional<std::string> bytes;
                const std::string utf8 = EncodeUtf8(std::u32string(1, character));
                if (character < 0x80) {
                    bytes = utf8;
                } else {
                    bytes = forDisplay ? ViewerBytes(codePage, utf8) : Utf8ToCodePage(codePage, utf8);
                }
                if (bytes) {
                    result += *bytes;
                    i += length;
                    continue;
                }
            }
        }
        result += text[i++];
    }
    return result;
}

} // namespace

std::string DecodeCharacterReferences(std::uint32_t codePage, const std::string& text) {
    return DecodeReferences(codePage, text, false);
}

std::string DecodeReferencesForDisplay(std::uint32_t codePage, const std::string& text) {
    return DecodeReferences(codePage, text, true);
}

std::u16string DecodeToUtf16(std::uint32_t codePage, const std::string& text) {
    const std::optional<std::string> utf8 = CodePageToUtf8(codePage, text);
    if (!utf8)
        return {};
    // References are decoded in the UTF-8 text, where every character has a place.
    const std::u32string decoded = DecodeUtf8Lenient(DecodeReferences(65001, *utf8, false));
    std::u16string result;
    result.reserve(decoded.size());
    for (const char32_t c : decoded) {
        if (c >= 0x10000) {
            result += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            result += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            result += static_cast<char16_t>(c);
        }
    }
    return result;
}

std::string CodePageBytes(std::uint32_t codePage, std::u32string_view text) {
    const std::string utf8 = EncodeUtf8(text);
    if (IsAscii(utf8))
        return utf8;
    if (std::optional<std::string> whole = ViewerBytes(codePage, utf8))
        return *whole; // the usual case: one conversion for the whole text
    std::string result;
    for (const char32_t c : text) {
        if (c < 0x80) {
            result += static_cast<char>(c);
        } else if (std::optional<std::string> bytes = ViewerBytes(codePage, EncodeUtf8(std::u32string_view(&c, 1)))) {
            result += *bytes;
        } else {
            result += "&#" + std::to_string(static_cast<std::uint32_t>(c)) + ";";
        }
    }
    return result;
}

std::size_t CharacterLength(std::uint32_t codePage, std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    std::size_t length = 1;
    switch (codePage) {
    case 936: // GB18030: a digit after the lead byte makes a four-byte sequence
        if (lead >= 0x81 && lead <= 0xFE)
            length = at + 1 < text.size() && byte(at + 1) >= 0x30 && byte(at + 1) <= 0x39 ? 4 : 2;
        break;
    case 949:
    case 950:
        length = lead >= 0x81 && lead <= 0xFE ? 2 : 1;
        break;
    case 932:
        length = (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC) ? 2 : 1;
        break;
    default:
        break;
    }
    return std::min(length, text.size() - at);
}

std::string BackslashesToSlashes(std::uint32_t codePage, std::string text) {
    for (std::size_t i = 0; i < text.size(); i += CharacterLength(codePage, text, i))
        if (text[i] == '\\')
            text[i] = '/';
    return text;
}
