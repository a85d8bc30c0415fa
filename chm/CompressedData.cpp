#include "CompressedData.h"

#include <array>
#include <cmath>
#include <cstdint>

namespace {

// Formats whose content is compressed, by their first bytes.
constexpr std::array<std::string_view, 12> kSignatures = {
    std::string_view("\x89PNG\r\n\x1A\n", 8),
    std::string_view("\xFF\xD8\xFF", 3), // JPEG
    std::string_view("GIF87a"),
    std::string_view("GIF89a"),
    std::string_view("PK\x03\x04", 4), // zip, and the office and e-book formats built on it
    std::string_view("\x1F\x8B", 2),   // gzip
    std::string_view("BZh"),
    std::string_view("\xFD"
                     "7zXZ\0",
                     6),
    std::string_view("7z\xBC\xAF\x27\x1C", 6),
    std::string_view("\x28\xB5\x2F\xFD", 4), // zstd
    std::string_view("CWS"),                 // compressed Flash
    std::string_view("fLaC"),
};

// Below this size the saving is nothing either way and the byte count below means little.
constexpr size_t kMeasuredFrom = 4096;
// Bits of information per byte, from the bytes' frequencies. Text and markup carry 4 to 6, uncompressed pictures
// less; compressed data is within a few hundredths of 8.
constexpr double kCompressedEntropy = 7.9;

double BitsPerByte(std::string_view bytes) {
    std::array<uint64_t, 256> counts{};
    for (const char c : bytes)
        ++counts[static_cast<unsigned char>(c)];
    double bits = 0;
    const double total = static_cast<double>(bytes.size());
    for (const uint64_t count : counts) {
        if (count != 0) {
            const double share = static_cast<double>(count) / total;
            bits -= share * std::log2(share);
        }
    }
    return bits;
}

} // namespace

bool IsCompressedAlready(std::string_view bytes) {
    for (const std::string_view signature : kSignatures)
        if (bytes.starts_with(signature))
            return true;
    // RIFF files are compressed when they hold WebP; WAV and AVI need not be.
    if (bytes.size() >= 12 && bytes.starts_with("RIFF") && bytes.substr(8, 4) == "WEBP")
        return true;
    return bytes.size() >= kMeasuredFrom && BitsPerByte(bytes) >= kCompressedEntropy;
}
