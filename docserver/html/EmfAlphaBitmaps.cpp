#include "EmfAlphaBitmaps.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint32_t kHeaderRecord = 1;
constexpr uint32_t kStretchDibitsRecord = 81;
constexpr uint32_t kAlphaBlendRecord = 114;
constexpr uint32_t kSourceCopy = 0x00CC0020;
constexpr size_t kStretchDibitsSize = 80;
constexpr size_t kAlphaBlendSize = 108;
constexpr size_t kBitmapHeaderSize = 40;

uint32_t ReadU32(const uint8_t* at) {
    return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 | static_cast<uint32_t>(at[2]) << 16 |
           static_cast<uint32_t>(at[3]) << 24;
}

int32_t ReadI32(const uint8_t* at) {
    return static_cast<int32_t>(ReadU32(at));
}

void AppendU32(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<uint8_t>(value >> shift));
}

void AppendFloat(std::vector<uint8_t>& out, float value) {
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    AppendU32(out, bits);
}

// The blend that draws a STRETCHDIBITS record's bitmap with its transparency, or nothing when the record is not a
// plain copy of a whole 32-bit bitmap whose fourth bytes say some of it is clear (all zero is a bitmap without
// transparency, drawn opaque).
std::vector<uint8_t> AlphaBlendFor(const uint8_t* record, size_t size) {
    if (size < kStretchDibitsSize)
        return {};
    const int32_t xSrc = ReadI32(record + 32), ySrc = ReadI32(record + 36);
    const int32_t cxSrc = ReadI32(record + 40), cySrc = ReadI32(record + 44);
    const uint32_t offBmi = ReadU32(record + 48), cbBmi = ReadU32(record + 52);
    const uint32_t offBits = ReadU32(record + 56), cbBits = ReadU32(record + 60);
    const uint32_t usage = ReadU32(record + 64), rasterOperation = ReadU32(record + 68);
    if (rasterOperation != kSourceCopy || usage != 0 || cbBmi < kBitmapHeaderSize || cbBmi % 4 != 0 || offBmi > size ||
        cbBmi > size - offBmi || offBits > size || cbBits > size - offBits)
        return {};
    const uint8_t* info = record + offBmi;
    const int32_t width = ReadI32(info + 4), height = ReadI32(info + 8);
    const uint16_t planes = static_cast<uint16_t>(info[12] | info[13] << 8);
    const uint16_t bitCount = static_cast<uint16_t>(info[14] | info[15] << 8);
    const uint32_t compression = ReadU32(info + 16);
    if (ReadU32(info) < kBitmapHeaderSize || planes != 1 || bitCount != 32 || compression != 0 || width <= 0 ||
        height == 0 || height == INT32_MIN)
        return {};
    const int64_t rows = height < 0 ? -static_cast<int64_t>(height) : height;
    const int64_t pixelBytes = static_cast<int64_t>(width) * rows * 4;
    if (pixelBytes > cbBits || xSrc != 0 || ySrc != 0 || cxSrc != width || cySrc != rows)
        return {};
    const uint8_t* bits = record + offBits;
    bool anyAlpha = false, anyClear = false, premultiplied = true;
    for (int64_t at = 0; at < pixelBytes; at += 4) {
        const uint8_t alpha = bits[at + 3];
        anyAlpha = anyAlpha || alpha != 0;
        anyClear = anyClear || alpha != 255;
        premultiplied = premultiplied && std::max({bits[at], bits[at + 1], bits[at + 2]}) <= alpha;
    }
    if (!anyAlpha || !anyClear)
        return {};

    std::vector<uint8_t> blend;
    blend.reserve(kAlphaBlendSize + cbBmi + static_cast<size_t>(pixelBytes));
    AppendU32(blend, kAlphaBlendRecord);
    AppendU32(blend, static_cast<uint32_t>(kAlphaBlendSize + cbBmi + pixelBytes));
    blend.insert(blend.end(), record + 8, record + 24); // the bounds
    for (size_t offset : {24, 28, 72, 76})              // where it is drawn, and how large
        blend.insert(blend.end(), record + offset, record + offset + 4);
    blend.insert(blend.end(), {0, 0, 255, 1}); // blend over, whole, with the bitmap's own transparency
    AppendU32(blend, 0);
    AppendU32(blend, 0);
    for (float value : {1.0F, 0.0F, 0.0F, 1.0F, 0.0F, 0.0F})
        AppendFloat(blend, value);
    AppendU32(blend, 0); // no background colour
    AppendU32(blend, 0); // the colours are in the bitmap
    AppendU32(blend, static_cast<uint32_t>(kAlphaBlendSize));
    AppendU32(blend, cbBmi);
    AppendU32(blend, static_cast<uint32_t>(kAlphaBlendSize + cbBmi));
    AppendU32(blend, static_cast<uint32_t>(pixelBytes));
    AppendU32(blend, static_cast<uint32_t>(width));
    AppendU32(blend, static_cast<uint32_t>(rows));
    blend.insert(blend.end(), info, info + cbBmi);
    // A blend takes its colours already weighed by their transparency.
    for (int64_t at = 0; at < pixelBytes; at += 4) {
        const uint8_t alpha = bits[at + 3];
        for (int channel = 0; channel < 3; ++channel)
            blend.push_back(premultiplied ? bits[at + channel]
                                          : static_cast<uint8_t>((bits[at + channel] * alpha + 127) / 255));
        blend.push_back(alpha);
    }
    return blend;
}

// Calls visit(type, record, size) on each record; false when the records cannot be followed.
template <typename Visit> bool ForEachRecord(const std::vector<uint8_t>& emf, Visit visit) {
    if (emf.size() < 88 || ReadU32(emf.data()) != kHeaderRecord)
        return false;
    for (size_t at = 0; at < emf.size();) {
        if (emf.size() - at < 8)
            return false;
        const uint32_t type = ReadU32(emf.data() + at), size = ReadU32(emf.data() + at + 4);
        if (size < 8 || size % 4 != 0 || size > emf.size() - at)
            return false;
        visit(type, emf.data() + at, size);
        at += size;
    }
    return true;
}

} // namespace

std::vector<uint8_t> WithAlphaBitmapsBlended(const std::vector<uint8_t>& emf) {
    std::vector<uint8_t> out;
    bool changed = false;
    const bool followed = ForEachRecord(emf, [&](uint32_t type, const uint8_t* record, size_t size) {
        const std::vector<uint8_t> blend =
            type == kStretchDibitsRecord ? AlphaBlendFor(record, size) : std::vector<uint8_t>();
        if (blend.empty()) {
            out.insert(out.end(), record, record + size);
        } else {
            out.insert(out.end(), blend.begin(), blend.end());
            changed = true;
        }
    });
    if (!followed || !changed)
        return emf;
    // The header's count of the file's bytes.
    const uint32_t total = static_cast<uint32_t>(out.size());
    for (int i = 0; i < 4; ++i)
        out[48 + i] = static_cast<uint8_t>(total >> (8 * i));
    return out;
}
