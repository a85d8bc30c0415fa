#pragma once
// #STRINGS: zero-terminated texts in the project's code page, found by offset. Offset 0 is the empty string;
// no text straddles a 4 KB block, as readers of the table expect.
#include <cstdint>
#include <string>
#include <unordered_map>

#include "ByteBuffer.h"

namespace chm {

class StringTable {
public:
    StringTable() { data.PutU8(0); }
    std::uint32_t Add(const std::string& text);
    const Bytes& Data() const { return data.Data(); }

private:
    ByteBuffer data;
    std::unordered_map<std::string, std::uint32_t> offsets;
};

} // namespace chm
