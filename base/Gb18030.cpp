#include "Gb18030.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

struct Gb18030Range {
    std::uint32_t linear; // index of the first four-byte sequence, counted from 81 30 81 30
    char32_t code;
    std::uint32_t length;
};

#include "Gb18030Table.inc"

constexpr std::uint32_t kSupplementaryStart = 189000; // 90 30 81 30 is U+10000
constexpr int kTrailCount = 191;                      // trail bytes 0x40 to 0xFE

std::uint32_t Linear(unsigned char b1, unsigned char b2, unsigned char b3, unsigned char b4) {
    return (((b1 - 0x81u) * 10 + (b2 - 0x30u)) * 126 + (b3 - 0x81u)) * 10 + (b4 - 0x30u);
}

std::optional<char32_t> FromLinear(std::uint32_t linear) {
    if (linear >= kSupplementaryStart) {
        const std::uint32_t code = 0x10000 + (linear - kSupplementaryStart);
        return code <= 0x10FFFF ? std::optional<char32_t>(code) : std::nullopt;
    }
    for (const Gb18030Range& range : kGb18030FourByte)
        if (linear >= range.linear && linear < range.linear + range.length)
            return range.code + (linear - range.linear);
    return std::nullopt;
}

// The double-byte sequence of each code point below U+10000 that is written as one, made once from the decoding
// table less the sequences that are only read.
const std::vector<std::uint16_t>& DoubleByteOfCode() {
    static const std::vector<std::uint16_t> table = [] {
        std::vector<std::uint16_t> result(0x10000, 0);
        for (std::size_t i = 0; i < std::size(kGb18030DoubleByte); ++i)
            if (const char32_t code = kGb18030DoubleByte[i];
                code != 0 && code < 0x10000 &&
                std::find(std::begin(kGb18030DecodeOnly), std::end(kGb18030DecodeOnly), static_cast<int>(i)) ==
                    std::end(kGb18030DecodeOnly))
                result[code] = static_cast<std::uint16_t>(((0x81 + i / kTrailCount) << 8) | (0x40 + i % kTrailCount));
        return result;
    }();
    return table;
}

void AppendLinear(std::string& out, std::uint32_t linear) {
    const char b4 = static_cast<char>(0x30 + linear % 10);
    linear /= 10;
    const char b3 = static_cast<char>(0x81 + linear % 126);
    linear /= 126;
    const char b2 = static_cast<char>(0x30 + linear % 10);
    const char b1 = static_cast<char>(0x81 + linear / 10);
    out += {b1, b2, b3, b4};
}

} // namespace

std::optional<std::u32string> DecodeGb18030(std::string_view bytes, bool replaceInvalid) {
    std::u32string result;
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    for (std::size_t i = 0; i < bytes.size();) {
        const unsigned char lead = at(i);
        std::optional<char32_t> code;
        std::size_t length = 1;
        if (lead < 0x80) {
            code = lead;
        } else if (lead >= 0x81 && lead <= 0xFE && i + 1 < bytes.size()) {
            const unsigned char second = at(i + 1);
            if (second >= 0x30 && second <= 0x39) {
                if (i + 3 < bytes.size() && at(i + 2) >= 0x81 && at(i + 2) <= 0xFE && at(i + 3) >= 0x30 &&
                    at(i + 3) <= 0x39) {
                    code = FromLinear(Linear(lead, second, at(i + 2), at(i + 3)));
                    length = 4;
                }
            } else if (second >= 0x40 && second <= 0xFE && second != 0x7F) {
                if (const char32_t mapped = kGb18030DoubleByte[(lead - 0x81) * kTrailCount + (second - 0x40)])
                    code = mapped;
                length = 2;
            }
        }
        if (!code) {
            if (!replaceInvalid)
                return std::nullopt;
            result += U'\uFFFD';
            ++i;
            continue;
        }
        result += *code;
        i += length;
    }
    return result;
}

std::optional<std::string> EncodeGb18030(std::u32string_view text) {
    std::string result;
    for (const char32_t code : text) {
        if (code < 0x80) {
            result += static_cast<char>(code);
        } else if (code >= 0x10000) {
            if (code > 0x10FFFF)
                return std::nullopt;
            // A few characters above the plane have a double-byte sequence of their own.
            const auto pair = std::find(std::begin(kGb18030DoubleByte), std::end(kGb18030DoubleByte), code);
            if (pair != std::end(kGb18030DoubleByte)) {
                const auto index = static_cast<std::size_t>(pair - std::begin(kGb18030DoubleByte));
                result += static_cast<char>(0x81 + index / kTrailCount);
                result += static_cast<char>(0x40 + index % kTrailCount);
            } else {
                AppendLinear(result, kSupplementaryStart + (code - 0x10000));
            }
        } else if (const std::uint16_t pair = DoubleByteOfCode()[code]; pair != 0) {
            result += static_cast<char>(pair >> 8);
            result += static_cast<char>(pair & 0xFF);
        } else {
            const auto range =
                std::find_if(std::begin(kGb18030FourByte), std::end(kGb18030FourByte),
                             [&](const Gb18030Range& r) { return code >= r.code && code < r.code + r.length; });
            if (range == std::end(kGb18030FourByte))
                return std::nullopt;
            AppendLinear(result, range->linear + (code - range->code));
        }
    }
    return result;
}
