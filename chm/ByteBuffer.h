#pragma once
// Little-endian byte assembly for the binary tables inside a help file.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace chm {

using Bytes = std::vector<std::uint8_t>;

class ByteBuffer {
public:
    void PutU8(std::uint8_t value) { bytes.push_back(value); }
    void PutU16(std::uint16_t value);
    void PutU32(std::uint32_t value);
    void PutU64(std::uint64_t value);
    void PutBytes(const void* data, std::size_t size);
    void PutBytes(const Bytes& data) { PutBytes(data.data(), data.size()); }
    void PutText(std::string_view text) { PutBytes(text.data(), text.size()); }
    // Zero-terminated narrow text.
    void PutTextZ(std::string_view text);
    // The directory's variable-length integer: 7 bits a byte, most significant group first.
    void PutEncInt(std::uint64_t value);
    // The search index's variable-length integer: 7 bits a byte, least significant group first, as the readers
    // of the index take it.
    void PutEncIntLowFirst(std::uint64_t value);
    void PutZeros(std::size_t count) { bytes.insert(bytes.end(), count, 0); }
    void PatchU16(std::size_t offset, std::uint16_t value);
    void PatchU32(std::size_t offset, std::uint32_t value);

    std::size_t Size() const { return bytes.size(); }
    // Room for size bytes in all, for a buffer whose final size is known: growing by copies costs page faults.
    void Reserve(std::size_t size) { bytes.reserve(size); }
    const Bytes& Data() const { return bytes; }
    Bytes Take() { return std::move(bytes); }

private:
    Bytes bytes;
};

std::size_t EncIntSize(std::uint64_t value);

} // namespace chm
