#include "Charset.h"

#include <cerrno>
#include <iconv.h>
#include <vector>

std::optional<std::string> ConvertCharset(const std::string& from, const std::string& to, std::string_view text) {
    iconv_t converter = iconv_open(to.c_str(), from.c_str());
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
    iconv_close(converter);
    if (!ok)
        return std::nullopt;
    return output;
}

std::optional<std::u32string> DecodeCharsetReplacing(const std::string& charset, std::string_view bytes) {
    iconv_t converter = iconv_open("UTF-32LE", charset.c_str());
    if (converter == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;
    std::vector<char> input(bytes.begin(), bytes.end());
    char* in = input.data();
    size_t inLeft = input.size();
    std::u32string result;
    char buffer[16384];
    while (inLeft > 0) {
        char* out = buffer;
        size_t outLeft = sizeof buffer;
        const size_t status = iconv(converter, &in, &inLeft, &out, &outLeft);
        for (const char* at = buffer; at + 4 <= out; at += 4) {
            const auto* b = reinterpret_cast<const unsigned char*>(at);
            result.push_back(static_cast<char32_t>(b[0] | (b[1] << 8) | (b[2] << 16) | (b[3] << 24)));
        }
        if (status == static_cast<size_t>(-1) && errno != E2BIG) {
            // An invalid or truncated sequence: skip one byte and go on.
            ++in;
            --inLeft;
            result.push_back(U'\uFFFD');
        }
    }
    iconv_close(converter);
    return result;
}

std::optional<std::string> ConvertToUtf8Skipping(const std::string& charset, std::string_view bytes,
                                                 std::size_t& skipped) {
    iconv_t converter = iconv_open("UTF-8", charset.c_str());
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
    iconv_close(converter);
    out.resize(written);
    return out;
}
