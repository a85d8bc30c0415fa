#pragma once
// The compressed section's bit order: 16-bit little-endian words, each filled from its top bit down.
#include <cstdint>

#include "ByteBuffer.h"

namespace chm {

class LzxBitWriter {
public:
    explicit LzxBitWriter(Bytes& output) : output(output) {}

    // Writes the low `count` bits of value (count up to 32), most significant first.
    void Write(std::uint32_t value, int count) {
        pending = (pending << count) | (value & ((count == 32) ? 0xFFFFFFFFu : ((1u << count) - 1)));
        pendingCount += count;
        while (pendingCount >= 16) {
            pendingCount -= 16;
            const auto word = static_cast<std::uint16_t>(pending >> pendingCount);
            output.push_back(static_cast<std::uint8_t>(word));
            output.push_back(static_cast<std::uint8_t>(word >> 8));
        }
    }

    // Pads with zero bits to the next word, as a decoder does at the end of every 32 KB frame.
    void AlignToWord() {
        if (pendingCount > 0) {
            Write(0, 16 - pendingCount);
        }
    }

    std::size_t ByteCount() const { return output.size(); }

private:
    Bytes& output;
    std::uint64_t pending = 0;
    int pendingCount = 0;
};

} // namespace chm
