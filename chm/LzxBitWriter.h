#pragma once
// The compressed section's bit order: 16-bit little-endian words, each filled from its top bit down.
#include <cstdint>

#include "ByteBuffer.h"

class LzxBitWriter {
public:
    explicit LzxBitWriter(Bytes& output) : output_(output) {}

    // Writes the low `count` bits of value (count up to 32), most significant first.
    void Write(uint32_t value, int count) {
        pending_ = (pending_ << count) | (value & ((count == 32) ? 0xFFFFFFFFu : ((1u << count) - 1)));
        pendingCount_ += count;
        while (pendingCount_ >= 16) {
            pendingCount_ -= 16;
            const auto word = static_cast<uint16_t>(pending_ >> pendingCount_);
            output_.push_back(static_cast<uint8_t>(word));
            output_.push_back(static_cast<uint8_t>(word >> 8));
        }
    }

    // Pads with zero bits to the next word, as a decoder does at the end of every 32 KB frame.
    void AlignToWord() {
        if (pendingCount_ > 0)
            Write(0, 16 - pendingCount_);
    }

    size_t ByteCount() const { return output_.size(); }

private:
    Bytes& output_;
    uint64_t pending_ = 0;
    int pendingCount_ = 0;
};
