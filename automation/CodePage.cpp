#include "CodePage.h"

#include <array>
#include <atomic>
#include <bit>
#include <cerrno>
#include <cstdint>
#include <iconv.h>
#include <vector>

namespace {

constexpr const char* kNarrow = "GB18030";
constexpr const char* kUtf8 = "UTF-8";
constexpr const char* kCodePage936 = "CP936";
constexpr const char* kUtf16 = std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";

// A descriptor per thread and direction: opening one loads the converter's tables, which costs far more
// than most conversions here (short texts crossing the automation boundary by the thousand).
iconv_t DescriptorFor(const char* to, const char* from) {
    struct Cached {
        const char* to;
        const char* from;
        iconv_t cd;
    };
    struct Cache {
        std::vector<Cached> entries;
        ~Cache() {
            for (const Cached& entry : entries)
                iconv_close(entry.cd);
        }
    };
    thread_local Cache cache;
    for (const Cached& entry : cache.entries) {
        if (entry.to == to && entry.from == from) {
            iconv(entry.cd, nullptr, nullptr, nullptr, nullptr); // back to the initial shift state
            return entry.cd;
        }
    }
    iconv_t cd = iconv_open(to, from);
    if (cd != reinterpret_cast<iconv_t>(-1))
        cache.entries.push_back({to, from, cd});
    return cd;
}

// ASCII is the same bytes in GB18030 and UTF-8, and the same values in UTF-16.
template <typename Out, typename In> bool ConvertAscii(std::basic_string_view<In> input, Out& output) {
    for (const In unit : input) {
        if (static_cast<std::uint32_t>(unit) >= 0x80)
            return false;
    }
    output.assign(input.begin(), input.end());
    return true;
}

// One conversion through iconv.
template <typename Out, typename In>
std::optional<Out> Convert(const char* to, const char* from, std::basic_string_view<In> input) {
    Out output;
    if (input.empty() || ConvertAscii(input, output))
        return output;
    iconv_t cd = DescriptorFor(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;
    char* in = const_cast<char*>(reinterpret_cast<const char*>(input.data()));
    size_t inLeft = input.size() * sizeof(In);
    std::string buffer(inLeft * 2 + 16, '\0');
    size_t used = 0;
    bool ok = true;
    while (inLeft > 0) {
        char* out = buffer.data() + used;
        size_t outLeft = buffer.size() - used;
        const size_t result = iconv(cd, &in, &inLeft, &out, &outLeft);
        used = buffer.size() - outLeft;
        if (result != static_cast<size_t>(-1))
            continue;
        if (errno == E2BIG) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        ok = false; // EILSEQ or EINVAL: an invalid or truncated sequence
        break;
    }
    if (!ok || used % sizeof(typename Out::value_type) != 0)
        return std::nullopt;
    output.assign(reinterpret_cast<const typename Out::value_type*>(buffer.data()),
                  used / sizeof(typename Out::value_type));
    return output;
}

} // namespace

std::optional<std::u16string> NarrowToWide(std::string_view narrow) {
    return Convert<std::u16string>(kUtf16, kNarrow, narrow);
}

std::optional<std::string> WideToNarrow(std::u16string_view wide) {
    return Convert<std::string>(kNarrow, kUtf16, wide);
}

std::optional<std::string> NarrowToUtf8(std::string_view narrow) {
    return Convert<std::string>(kUtf8, kNarrow, narrow);
}

std::optional<std::string> Utf8ToNarrow(std::string_view utf8) {
    return Convert<std::string>(kNarrow, kUtf8, utf8);
}

std::optional<std::filesystem::path> NarrowToPath(std::string_view narrow) {
    auto utf8 = NarrowToUtf8(narrow);
    if (!utf8)
        return std::nullopt;
    return std::filesystem::path(*utf8);
}

std::optional<std::string> PathToNarrow(const std::filesystem::path& path) {
    return Utf8ToNarrow(path.native());
}

namespace {

constexpr std::uint16_t kNotHeld = 1; // no two-byte code starts with 0x00

// A character's two bytes in code page 936, or kNotHeld: GB18030 and GBK must agree on them, so that every
// reader of the code page, old or new, sees the same character.
std::uint16_t ComputeCodePage936Pair(char16_t character) {
    const std::u16string wide(1, character);
    const auto narrow = Convert<std::string>(kNarrow, kUtf16, std::u16string_view(wide));
    const auto gbk = Convert<std::string>(kCodePage936, kUtf16, std::u16string_view(wide));
    if (!narrow || !gbk || *narrow != *gbk || narrow->size() != 2)
        return kNotHeld;
    return static_cast<std::uint16_t>(static_cast<unsigned char>((*narrow)[0]) << 8 |
                                      static_cast<unsigned char>((*narrow)[1]));
}

// Whole pages go through here a character at a time: each character is looked up in the converter once, and
// from then on in this table (0 not yet known).
std::uint16_t CodePage936Pair(char16_t character) {
    static std::array<std::atomic<std::uint16_t>, 0x10000> known{};
    std::atomic<std::uint16_t>& slot = known[character];
    std::uint16_t pair = slot.load(std::memory_order_relaxed);
    if (pair == 0) {
        pair = ComputeCodePage936Pair(character);
        slot.store(pair, std::memory_order_relaxed);
    }
    return pair;
}

} // namespace

bool CodePage936Holds(char32_t character) {
    if (character < 0x80)
        return true;
    if (character > 0xFFFF || (character >= 0xD800 && character < 0xE000))
        return false; // beyond the basic plane GBK holds nothing
    return CodePage936Pair(static_cast<char16_t>(character)) != kNotHeld;
}

std::string WideToCodePage936(std::u16string_view wide) {
    std::string result;
    result.reserve(wide.size() * 2);
    for (size_t i = 0; i < wide.size(); ++i) {
        char32_t c = wide[i];
        if (c < 0x80) {
            result += static_cast<char>(c);
            continue;
        }
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 && wide[i + 1] < 0xE000)
            c = 0x10000 + ((c - 0xD800) << 10) + (wide[++i] - 0xDC00);
        const std::uint16_t pair = CodePage936Holds(c) ? CodePage936Pair(static_cast<char16_t>(c)) : kNotHeld;
        if (pair != kNotHeld) {
            result += static_cast<char>(pair >> 8);
            result += static_cast<char>(pair & 0xFF);
        } else {
            // An unpaired surrogate is no character: the replacement character says something was there.
            const std::uint32_t code = c >= 0xD800 && c < 0xE000 ? 0xFFFD : static_cast<std::uint32_t>(c);
            result += "&#" + std::to_string(code) + ";";
        }
    }
    return result;
}

std::string Utf8ToCodePage936(std::string_view utf8) {
    std::u16string wide;
    if (ConvertAscii(utf8, wide))
        return std::string(utf8);
    // Decoded here rather than by iconv, which gives up on the first malformed byte: that byte alone is lost.
    wide.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const int length = lead < 0x80 ? 1 : lead >= 0xF0 && lead <= 0xF4 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
        char32_t code = length == 1 ? lead : length == 4 ? lead & 0x07 : length == 3 ? lead & 0x0F : lead & 0x1F;
        bool valid = length != 0 && i + length <= utf8.size();
        for (int k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(utf8[i + k]);
            valid = (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3F);
        }
        const char32_t minimum = length == 4 ? 0x10000 : length == 3 ? 0x800 : length == 2 ? 0x80 : 0;
        valid = valid && code >= minimum && code <= 0x10FFFF && !(code >= 0xD800 && code < 0xE000);
        if (!valid) {
            wide += u'\uFFFD';
            ++i;
            continue;
        }
        if (code >= 0x10000) {
            wide += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
            wide += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            wide += static_cast<char16_t>(code);
        }
        i += static_cast<size_t>(length);
    }
    return WideToCodePage936(wide);
}
