#include "Charset.h"

#include <array>
#include <bit>
#include <cerrno>
#include <cstring>
#include <iconv.h>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

namespace {

// iconv_open loads the charset's converter module and iconv_close unloads it once no descriptor uses it: converting
// a page's strings one at a time loaded and unloaded the same module thousands of times a run, each time mapping a
// file and making every core drop its address translations. Each thread keeps the descriptors it opened, reset
// before each use.
class OpenConverters {
public:
    OpenConverters() = default;
    OpenConverters(const OpenConverters&) = delete;
    OpenConverters& operator=(const OpenConverters&) = delete;
    ~OpenConverters() { CloseAll(); }

    // (iconv_t)-1 when the system has no such conversion.
    iconv_t Get(const std::string& to, const std::string& from) {
        const std::string key = to + '\n' + from;
        if (const auto found = open_.find(key); found != open_.end()) {
            iconv(found->second, nullptr, nullptr, nullptr, nullptr); // back to the initial shift state
            return found->second;
        }
        const iconv_t converter = iconv_open(to.c_str(), from.c_str());
        if (converter == reinterpret_cast<iconv_t>(-1))
            return converter;
        if (open_.size() >= kMaxOpen) // pages may name any charset; a run uses a few
            CloseAll();
        open_.emplace(key, converter);
        return converter;
    }

private:
    static constexpr size_t kMaxOpen = 16;
    void CloseAll() {
        for (const auto& [key, converter] : open_)
            iconv_close(converter);
        open_.clear();
    }
    std::map<std::string, iconv_t> open_;
};

// Ends a conversion: what the converter still holds goes out (a Vietnamese letter waiting for a combining mark that
// did not come, the shift back to ASCII). False when it does not fit in outLeft bytes.
bool Flush(iconv_t converter, char*& out, size_t& outLeft) {
    return iconv(converter, nullptr, nullptr, &out, &outLeft) != static_cast<size_t>(-1);
}

iconv_t Converter(const std::string& to, const std::string& from) {
    thread_local OpenConverters converters;
    return converters.Get(to, from);
}

// Western, Central European, Cyrillic, Greek, Turkish, Arabic, Baltic and Thai code pages: one character a byte,
// none held back for the next. Not 1255 or 1258, whose converters compose a letter with the mark after it.
constexpr const char* kPlainSingleByte[] = {"CP874",      "CP1250",     "CP1251",     "CP1252",     "CP1253",
                                            "CP1254",     "CP1256",     "CP1257",     "ISO-8859-1", "ISO-8859-2",
                                            "ISO-8859-4", "ISO-8859-5", "ISO-8859-7", "ISO-8859-9", "ISO-8859-15"};
constexpr size_t kPlainSingleByteCount = sizeof kPlainSingleByte / sizeof kPlainSingleByte[0];

using ByteTable = std::array<char32_t, 256>;

// Each byte's character (U+FFFD where the code page has none), from the system's converter. Nothing when a byte
// does not convert alone to exactly one character, which leaves the text to the converter.
std::optional<ByteTable> MakeByteTable(const std::string& charset) {
    const iconv_t converter = Converter("UTF-32LE", charset);
    if (converter == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;
    ByteTable table{};
    for (int byte = 0; byte < 256; ++byte) {
        iconv(converter, nullptr, nullptr, nullptr, nullptr);
        char in = static_cast<char>(byte);
        char* inAt = &in;
        size_t inLeft = 1;
        unsigned char out[8];
        char* outAt = reinterpret_cast<char*>(out);
        size_t outLeft = sizeof out;
        const size_t status = iconv(converter, &inAt, &inLeft, &outAt, &outLeft);
        const bool invalid = status == static_cast<size_t>(-1) && errno == EILSEQ;
        if (!invalid &&
            (status == static_cast<size_t>(-1) || !Flush(converter, outAt, outLeft) || sizeof out - outLeft != 4))
            return std::nullopt;
        table[byte] = invalid ? U'\uFFFD'
                              : static_cast<char32_t>(out[0] | (out[1] << 8) | (out[2] << 16) |
                                                      (static_cast<char32_t>(out[3]) << 24));
    }
    return table;
}

// The table of a plain single-byte code page, made at its first use, which the converter took five times as long
// as on a help compile's pages; null for any other charset. Kept for the process in plain static arrays: a map
// kept per thread here made the leak checker's thread scan crash at the end of a run that had unloaded the help
// compiler's library.
const ByteTable* SingleByteTable(const std::string& charset) {
    size_t index = 0;
    while (index < kPlainSingleByteCount && charset != kPlainSingleByte[index])
        ++index;
    if (index == kPlainSingleByteCount)
        return nullptr;
    static std::mutex mutex;
    static std::array<std::optional<ByteTable>, kPlainSingleByteCount> tables;
    static std::array<bool, kPlainSingleByteCount> made{};
    const std::lock_guard lock(mutex);
    if (!made[index]) {
        tables[index] = MakeByteTable(charset);
        made[index] = true;
    }
    return tables[index] ? &*tables[index] : nullptr;
}

} // namespace

std::optional<std::string> ConvertCharset(const std::string& from, const std::string& to, std::string_view text) {
    const iconv_t converter = Converter(to, from);
    if (converter == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;
    std::vector<char> input(text.begin(), text.end());
    std::string output;
    char* in = input.data();
    size_t inLeft = input.size();
    char buffer[4096];
    bool ok = true;
    while (inLeft > 0) {
        char* out = buffer;
        size_t outLeft = sizeof buffer;
        const size_t result = iconv(converter, &in, &inLeft, &out, &outLeft);
        output.append(buffer, out);
        if (result == static_cast<size_t>(-1) && errno != E2BIG) {
            ok = false;
            break;
        }
    }
    char* out = buffer;
    size_t outLeft = sizeof buffer;
    ok = ok && Flush(converter, out, outLeft);
    if (!ok)
        return std::nullopt;
    output.append(buffer, out);
    return output;
}

std::optional<std::u32string> DecodeCharsetReplacing(const std::string& charset, std::string_view bytes) {
    if (const ByteTable* table = SingleByteTable(charset)) {
        std::u32string result(bytes.size(), U'\0');
        for (size_t i = 0; i < bytes.size(); ++i)
            result[i] = (*table)[static_cast<unsigned char>(bytes[i])];
        return result;
    }
    const iconv_t converter = Converter("UTF-32LE", charset);
    if (converter == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;
    std::vector<char> input(bytes.begin(), bytes.end());
    char* in = input.data();
    size_t inLeft = input.size();
    std::u32string result;
    char buffer[16384];
    // Whole buffers at a time: a character at a time was a twentieth of a help compile's time.
    const auto append = [&](const char* end) {
        const size_t count = static_cast<size_t>(end - buffer) / 4;
        const size_t at = result.size();
        result.resize(at + count);
        if constexpr (std::endian::native == std::endian::little) {
            std::memcpy(result.data() + at, buffer, count * 4);
        } else {
            for (size_t i = 0; i < count; ++i) {
                const auto* b = reinterpret_cast<const unsigned char*>(buffer + 4 * i);
                result[at + i] = static_cast<char32_t>(b[0] | (b[1] << 8) | (b[2] << 16) | (b[3] << 24));
            }
        }
    };
    while (inLeft > 0) {
        char* out = buffer;
        size_t outLeft = sizeof buffer;
        const size_t status = iconv(converter, &in, &inLeft, &out, &outLeft);
        append(out);
        if (status == static_cast<size_t>(-1) && errno != E2BIG) {
            // An invalid or truncated sequence: skip one byte and go on.
            ++in;
            --inLeft;
            result.push_back(U'\uFFFD');
        }
    }
    char* out = buffer;
    size_t outLeft = sizeof buffer;
    Flush(converter, out, outLeft);
    append(out);
    return result;
}

std::optional<std::string> ConvertToUtf8Skipping(const std::string& charset, std::string_view bytes,
                                                 std::size_t& skipped) {
    const iconv_t converter = Converter("UTF-8", charset);
    if (converter == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;
    std::vector<char> input(bytes.begin(), bytes.end());
    char* in = input.data();
    size_t inLeft = input.size();
    std::string out(input.size() * 2 + 16, '\0');
    size_t written = 0;
    while (inLeft > 0) {
        char* outAt = out.data() + written;
        size_t outLeft = out.size() - written;
        const size_t result = iconv(converter, &in, &inLeft, &outAt, &outLeft);
        written = out.size() - outLeft;
        if (result != static_cast<size_t>(-1))
            break;
        if (errno == E2BIG) {
            out.resize(out.size() * 2);
        } else if (errno == EILSEQ) {
            ++in;
            --inLeft;
            ++skipped;
        } else { // a character cut short at the end
            skipped += inLeft;
            break;
        }
    }
    char* outAt = out.data() + written;
    size_t outLeft = out.size() - written;
    if (outLeft < 16) {
        out.resize(out.size() + 16);
        outAt = out.data() + written;
        outLeft = out.size() - written;
    }
    Flush(converter, outAt, outLeft);
    out.resize(out.size() - outLeft);
    return out;
}
