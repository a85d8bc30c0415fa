#include "EmfAlphaBitmaps.h"

#include <algorithm>
#include <cstring>
#include <utility>

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

void PutU32(std::vector<uint8_t>& out, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

void AppendFloat(std::vector<uint8_t>& out, float value) {
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    AppendU32(out, bits);
}

// A 32-bit bitmap inside a record: its header, and its pixels as blue, green, red and the fourth byte.
struct Bitmap32 {
    const uint8_t* header = nullptr;
    int32_t width = 0;
    int64_t rows = 0;
    const uint8_t* pixels = nullptr;
    int64_t pixelBytes = 0;
    bool masked = false; // its colours are given by masks (which must be the plain ones)
};

// The 32-bit bitmap a record keeps at offBmi (header) and offBits (pixels), or nothing (header null) when it holds
// another kind or its parts lie outside the record.
Bitmap32 ReadBitmap32(const uint8_t* record, size_t size, size_t offsetsAt) {
    const uint32_t offBmi = ReadU32(record + offsetsAt), cbBmi = ReadU32(record + offsetsAt + 4);
    const uint32_t offBits = ReadU32(record + offsetsAt + 8), cbBits = ReadU32(record + offsetsAt + 12);
    if (cbBmi < kBitmapHeaderSize || offBmi > size || cbBmi > size - offBmi || offBits > size ||
        cbBits > size - offBits)
        return {};
    const uint8_t* info = record + offBmi;
    const int32_t width = ReadI32(info + 4), height = ReadI32(info + 8);
    const uint16_t planes = static_cast<uint16_t>(info[12] | info[13] << 8);
    const uint16_t bitCount = static_cast<uint16_t>(info[14] | info[15] << 8);
    const uint32_t compression = ReadU32(info + 16);
    // Colours by masks: the masks follow the header (or end a longer one) and must keep the plain byte order.
    const bool masked = compression == 3 && cbBmi >= kBitmapHeaderSize + 12 && ReadU32(info + 40) == 0x00FF0000 &&
                        ReadU32(info + 44) == 0x0000FF00 && ReadU32(info + 48) == 0x000000FF;
    if (ReadU32(info) < kBitmapHeaderSize || planes != 1 || bitCount != 32 || (compression != 0 && !masked) ||
        width <= 0 || height == 0 || height == INT32_MIN)
        return {};
    const int64_t rows = height < 0 ? -static_cast<int64_t>(height) : height;
    const int64_t pixelBytes = static_cast<int64_t>(width) * rows * 4;
    if (pixelBytes > cbBits)
        return {};
    return {info, width, rows, record + offBits, pixelBytes, masked};
}

// An ALPHABLEND record of the fixed part given (its bitmap's place filled in here) and the bitmap, its colours
// plain (not by masks) and, when weigh is set, weighed by their transparency as a blend takes them.
std::vector<uint8_t> BlendRecord(std::vector<uint8_t> blend, const Bitmap32& bitmap, bool weigh) {
    blend.resize(kAlphaBlendSize);
    PutU32(blend, 4, static_cast<uint32_t>(kAlphaBlendSize + kBitmapHeaderSize + bitmap.pixelBytes));
    PutU32(blend, 84, static_cast<uint32_t>(kAlphaBlendSize));
    PutU32(blend, 88, static_cast<uint32_t>(kBitmapHeaderSize));
    PutU32(blend, 92, static_cast<uint32_t>(kAlphaBlendSize + kBitmapHeaderSize));
    PutU32(blend, 96, static_cast<uint32_t>(bitmap.pixelBytes));
    const size_t header = blend.size();
    blend.insert(blend.end(), bitmap.header, bitmap.header + kBitmapHeaderSize);
    PutU32(blend, header, kBitmapHeaderSize); // a plain header, its colours not by masks
    PutU32(blend, header + 16, 0);
    for (int64_t at = 0; at < bitmap.pixelBytes; at += 4) {
        const uint8_t alpha = bitmap.pixels[at + 3];
        for (int channel = 0; channel < 3; ++channel)
            blend.push_back(!weigh ? bitmap.pixels[at + channel]
                                   : static_cast<uint8_t>((bitmap.pixels[at + channel] * alpha + 127) / 255));
        blend.push_back(alpha);
    }
    return blend;
}

// An ALPHABLEND with its own transparency whose bitmap gives its colours by masks, which LibreOffice takes for a
// bitmap without transparency: the same blend with plain colours. Nothing for any other.
std::vector<uint8_t> PlainColouredBlend(const uint8_t* record, size_t size) {
    if (size < kAlphaBlendSize || record[43] != 1) // the blend's own transparency is not used
        return {};
    const Bitmap32 bitmap = ReadBitmap32(record, size, 84);
    if (!bitmap.header || !bitmap.masked)
        return {};
    return BlendRecord(std::vector<uint8_t>(record, record + kAlphaBlendSize), bitmap, false);
}

// The blend that draws a STRETCHDIBITS record's bitmap with its transparency, or nothing when the record is not a
// plain copy of a whole 32-bit bitmap whose fourth bytes say some of it is clear (all zero is a bitmap without
// transparency, drawn opaque).
std::vector<uint8_t> AlphaBlendFor(const uint8_t* record, size_t size) {
    if (size < kStretchDibitsSize || ReadU32(record + 68) != kSourceCopy || ReadU32(record + 64) != 0)
        return {};
    const Bitmap32 bitmap = ReadBitmap32(record, size, 48);
    const int32_t xSrc = ReadI32(record + 32), ySrc = ReadI32(record + 36);
    const int32_t cxSrc = ReadI32(record + 40), cySrc = ReadI32(record + 44);
    if (!bitmap.header || xSrc != 0 || ySrc != 0 || cxSrc != bitmap.width || cySrc != bitmap.rows)
        return {};
    bool anyAlpha = false, anyClear = false, weighed = true;
    for (int64_t at = 0; at < bitmap.pixelBytes; at += 4) {
        const uint8_t alpha = bitmap.pixels[at + 3];
        anyAlpha = anyAlpha || alpha != 0;
        anyClear = anyClear || alpha != 255;
        weighed = weighed && std::max({bitmap.pixels[at], bitmap.pixels[at + 1], bitmap.pixels[at + 2]}) <= alpha;
    }
    if (!anyAlpha || !anyClear)
        return {};
    std::vector<uint8_t> blend;
    AppendU32(blend, kAlphaBlendRecord);
    AppendU32(blend, 0);                                // its size, filled in with the bitmap
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
    blend.resize(kAlphaBlendSize);
    PutU32(blend, 100, static_cast<uint32_t>(bitmap.width)); // the source's size
    PutU32(blend, 104, static_cast<uint32_t>(bitmap.rows));
    return BlendRecord(std::move(blend), bitmap, !weighed);
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
        const std::vector<uint8_t> blend = type == kStretchDibitsRecord ? AlphaBlendFor(record, size)
                                           : type == kAlphaBlendRecord  ? PlainColouredBlend(record, size)
                                                                        : std::vector<uint8_t>();
        if (blend.empty()) {
            out.insert(out.end(), record, record + size);
        } else {
            out.insert(out.end(), blend.begin(), blend.end());
            changed = true;
        }
    });
    if (!followed || !changed)
        return emf;
    PutU32(out, 48, static_cast<uint32_t>(out.size())); // the header's count of the file's bytes
    return out;
}
