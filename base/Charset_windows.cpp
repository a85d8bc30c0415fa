#include "Charset.h"

#include <windows.h>

#include <cstdint>
#include <cstdlib>

#include "Gb18030.h"
#include "Text.h"

namespace {

// UTF-16, UTF-32 and GB18030 are converted here; every other charset goes through the system's code page tables.
enum : UINT { kUtf16Le = 1200, kUtf16Be = 1201, kUtf32Le = 12000, kGb18030 = 54936 };

// The Windows code page of a charset name; 0 when there is none.
UINT CodePageOf(const std::string& name) {
    const std::string lower = AsciiLower(name);
    if (lower == "utf-8" || lower == "utf8")
        return CP_UTF8;
    if (lower == "utf-16le")
        return kUtf16Le;
    if (lower == "utf-16be")
        return kUtf16Be;
    if (lower == "utf-32le")
        return kUtf32Le;
    if (lower == "gb18030")
        return kGb18030;
    if (lower == "gb2312" || lower == "gbk" || lower == "euc-cn")
        return 936;
    if (lower == "big5")
        return 950;
    if (lower == "shift_jis" || lower == "sjis")
        return 932;
    if (lower == "euc-kr" || lower == "ks_c_5601-1987")
        return 949;
    if (lower == "euc-jp")
        return 20932;
    if (lower == "koi8-r")
        return 20866;
    if (lower == "us-ascii" || lower == "ascii")
        return 20127;
    if (lower.starts_with("iso-8859-"))
        return 28590 + static_cast<UINT>(std::atoi(lower.c_str() + 9));
    const std::size_t digits = lower.starts_with("windows-") ? 8 : lower.starts_with("cp") ? 2 : 0;
    if (digits != 0) {
        const UINT number = static_cast<UINT>(std::atoi(lower.c_str() + digits));
        return IsValidCodePage(number) ? number : 0;
    }
    return 0;
}

std::u16string FromUnits(const std::wstring& wide) {
    return std::u16string(wide.begin(), wide.end());
}

// Surrogate pairs joined; a lone surrogate becomes U+FFFD.
std::u32string CodePoints(const std::u16string& units) {
    std::u32string result;
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char32_t unit = units[i];
        if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] < 0xE000) {
            result += 0x10000 + ((unit - 0xD800) << 10) + (units[i + 1] - 0xDC00);
            ++i;
        } else {
            result += (unit >= 0xD800 && unit < 0xE000) ? U'\uFFFD' : unit;
        }
    }
    return result;
}

// Text in a charset as UTF-16; nothing when a sequence is invalid and strict is set.
std::optional<std::u16string> Decode(UINT codePage, std::string_view bytes, bool strict) {
    std::u16string result;
    if (codePage == kUtf16Le || codePage == kUtf16Be) {
        for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
            const auto first = static_cast<unsigned char>(bytes[i]);
            const auto second = static_cast<unsigned char>(bytes[i + 1]);
            result += static_cast<char16_t>(codePage == kUtf16Le ? first | (second << 8) : (first << 8) | second);
        }
        if (strict && bytes.size() % 2 != 0)
            return std::nullopt;
        return result;
    }
    if (codePage == kGb18030) {
        const std::optional<std::u32string> codes = DecodeGb18030(bytes, !strict);
        if (!codes)
            return std::nullopt;
        for (const char32_t code : *codes) {
            if (code >= 0x10000) {
                result += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
                result += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
            } else {
                result += static_cast<char16_t>(code);
            }
        }
        return result;
    }
    if (codePage == CP_UTF8) {
        int replaced = 0;
        result = Utf8ToUtf16(std::string(bytes), &replaced);
        if (strict && replaced != 0)
            return std::nullopt;
        return result;
    }
    if (bytes.empty())
        return result;
    const DWORD flags = strict ? MB_ERR_INVALID_CHARS : 0;
    const int length = MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (length <= 0)
        return std::nullopt;
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()), wide.data(), length);
    return FromUnits(wide);
}

// UTF-16 in a charset; nothing when a character has no place there.
std::optional<std::string> Encode(UINT codePage, const std::u16string& text) {
    std::string result;
    if (codePage == kUtf16Le || codePage == kUtf16Be) {
        for (const char16_t unit : text) {
            const char low = static_cast<char>(unit & 0xFF);
            const char high = static_cast<char>(unit >> 8);
            result += codePage == kUtf16Le ? std::string{low, high} : std::string{high, low};
        }
        return result;
    }
    if (codePage == kUtf32Le) {
        for (const char32_t code : CodePoints(text))
            for (int shift = 0; shift < 32; shift += 8)
                result += static_cast<char>((code >> shift) & 0xFF);
        return result;
    }
    if (codePage == kGb18030)
        return EncodeGb18030(CodePoints(text));
    if (codePage == CP_UTF8)
        return Utf16ToUtf8(text);
    if (text.empty())
        return result;
    const std::wstring wide(text.begin(), text.end());
    BOOL usedDefault = FALSE;
    const int length = WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                                           nullptr, 0, nullptr, &usedDefault);
    if (length <= 0 || usedDefault)
        return std::nullopt;
    result.resize(static_cast<std::size_t>(length));
    WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()), result.data(),
                        length, nullptr, nullptr);
    return result;
}

} // namespace

std::optional<std::string> ConvertCharset(const std::string& from, const std::string& to, std::string_view text) {
    const UINT source = CodePageOf(from);
    const UINT target = CodePageOf(to);
    if (source == 0 || target == 0)
        return std::nullopt;
    const std::optional<std::u16string> units = Decode(source, text, true);
    if (!units)
        return std::nullopt;
    return Encode(target, *units);
}

std::optional<std::u32string> DecodeCharsetReplacing(const std::string& charset, std::string_view bytes) {
    const UINT source = CodePageOf(charset);
    if (source == 0)
        return std::nullopt;
    const std::optional<std::u16string> units = Decode(source, bytes, false);
    if (!units)
        return std::u32string(bytes.empty() ? 0 : 1, U'\uFFFD');
    return CodePoints(*units);
}

// Whole first; a damaged text character by character, the shortest run of bytes (up to four) that decodes taken
// as the next character.
std::optional<std::string> ConvertToUtf8Skipping(const std::string& charset, std::string_view bytes,
                                                 std::size_t& skipped) {
    const UINT source = CodePageOf(charset);
    if (source == 0)
        return std::nullopt;
    if (const std::optional<std::u16string> units = Decode(source, bytes, true))
        return Utf16ToUtf8(*units);
    std::u16string units;
    for (size_t at = 0; at < bytes.size();) {
        size_t length = 1;
        std::optional<std::u16string> character;
        for (; length <= 4 && at + length <= bytes.size(); ++length)
            if ((character = Decode(source, bytes.substr(at, length), true)))
                break;
        if (character) {
            units += *character;
            at += length;
        } else {
            ++skipped;
            ++at;
        }
    }
    return Utf16ToUtf8(units);
}
