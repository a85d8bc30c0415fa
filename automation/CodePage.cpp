#include "CodePage.h"

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

bool CodePage936Holds(char32_t character) {
    if (character < 0x80)
        return true;
    if (character > 0xFFFF || (character >= 0xD800 && character < 0xE000))
        return false; // beyond the basic plane GBK holds nothing
    const std::u16string wide(1, static_cast<char16_t>(character));
    const auto narrow = Convert<std::string>(kNarrow, kUtf16, std::u16string_view(wide));
    const auto gbk = Convert<std::string>(kCodePage936, kUtf16, std::u16string_view(wide));
    return narrow && gbk && *narrow == *gbk;
}
