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
