#pragma once
// Little-endian byte assembly for the binary tables inside a help file.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

using Bytes = std::vector<uint8_t>;

class ByteBuffer {
public:
    void Reserve(size_t size) { bytes_.reserve(size); }
    void PutU8(uint8_t value) { bytes_.push_back(value); }
    void PutU16(uint16_t value);
    void PutU32(uint32_t value);
    void PutU64(uint64_t value);
    void PutBytes(const void* data, size_t size);
    void PutBytes(const Bytes& data) { PutBytes(data.data(), data.size()); }
    void PutText(std::string_view text) { PutBytes(text.data(), text.size()); }
    // Zero-terminated narrow text.
    void PutTextZ(std::string_view text);
    // The directory's variable-length integer: 7 bits a byte, most significant group first.
    void PutEncInt(uint64_t value);
    // The search index's variable-length integer: 7 bits a byte, least significant group first, as the readers
    // of the index take it.
    void PutEncIntLowFirst(uint64_t value);
    void PutZeros(size_t count) { bytes_.insert(bytes_.end(), count, 0); }
    void PatchU16(size_t offset, uint16_t value);
    void PatchU32(size_t offset, uint32_t value);

    size_t Size() const { return bytes_.size(); }
    const Bytes& Data() const { return bytes_; }
    Bytes Take() { return std::move(bytes_); }

private:
    Bytes bytes_;
};

size_t EncIntSize(uint64_t value);
