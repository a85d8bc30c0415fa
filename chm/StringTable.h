#pragma once
// #STRINGS: zero-terminated texts in the project's code page, found by offset. Offset 0 is the empty string;
// no text straddles a 4 KB block, as readers of the table expect.
#include <cstdint>
#include <string>
#include <unordered_map>

#include "ByteBuffer.h"

class StringTable {
public:
    StringTable() { data_.PutU8(0); }
    uint32_t Add(const std::string& text);
    const Bytes& Data() const { return data_.Data(); }

private:
    ByteBuffer data_;
    std::unordered_map<std::string, uint32_t> offsets_;
};
