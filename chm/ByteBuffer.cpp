#include "ByteBuffer.h"

void ByteBuffer::PutU16(uint16_t value) {
    bytes_.push_back(static_cast<uint8_t>(value));
    bytes_.push_back(static_cast<uint8_t>(value >> 8));
}

void ByteBuffer::PutU32(uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        bytes_.push_back(static_cast<uint8_t>(value >> shift));
}

void ByteBuffer::PutU64(uint64_t value) {
    for (int shift = 0; shift < 64; shift += 8)
        bytes_.push_back(static_cast<uint8_t>(value >> shift));
}

void ByteBuffer::PutBytes(const void* data, size_t size) {
    const auto* first = static_cast<const uint8_t*>(data);
    bytes_.insert(bytes_.end(), first, first + size);
}

void ByteBuffer::PutTextZ(std::string_view text) {
    PutText(text);
    PutU8(0);
}

void ByteBuffer::PutEncInt(uint64_t value) {
    uint8_t groups[10];
    int count = 0;
    do {
        groups[count++] = static_cast<uint8_t>(value & 0x7F);
        value >>= 7;
    } while (value != 0);
    while (count > 1)
        bytes_.push_back(groups[--count] | 0x80);
    bytes_.push_back(groups[0]);
}

void ByteBuffer::PatchU16(size_t offset, uint16_t value) {
    bytes_[offset] = static_cast<uint8_t>(value);
    bytes_[offset + 1] = static_cast<uint8_t>(value >> 8);
}

void ByteBuffer::PatchU32(size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes_[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

void ByteBuffer::PutEncIntLowFirst(uint64_t value) {
    while (value >= 0x80) {
        bytes_.push_back(static_cast<uint8_t>((value & 0x7F) | 0x80));
        value >>= 7;
    }
    bytes_.push_back(static_cast<uint8_t>(value));
}

size_t EncIntSize(uint64_t value) {
    size_t size = 1;
    while (value >= 0x80) {
        value >>= 7;
        ++size;
    }
    return size;
}
