#pragma once
// libmspack's LZX decoder over memory buffers: the independent reader for our compressor.
#include <cstdint>
#include <optional>
#include <vector>

namespace chmtest {

// Decodes `length` bytes of an LZX stream with the given window and reset interval (in 32 KB frames);
// nothing when the decoder reports an error.
std::optional<std::vector<std::uint8_t>> DecodeLzxWithMspack(const std::vector<std::uint8_t>& compressed,
                                                             int windowBits, int framesPerReset, std::uint64_t length);

} // namespace chmtest
