#pragma once
// libmspack's LZX decoder over memory buffers: the independent reader for our compressor.
#include <cstdint>
#include <optional>
#include <vector>

// Decodes `length` bytes of an LZX stream with the given window and reset interval (in 32 KB frames);
// nothing when the decoder reports an error.
std::optional<std::vector<uint8_t>> DecodeLzxWithMspack(const std::vector<uint8_t>& compressed, int windowBits,
                                                        int framesPerReset, uint64_t length);
