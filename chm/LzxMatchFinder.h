#pragma once
// LZ77 parse of one reset interval for the compressed section: hash chains, repeated-offset matches and
// one step of lazy evaluation. Tokens carry the offset already in the compressed format's terms.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace chm {

inline constexpr std::size_t kLzxFrameSize = 32768;
inline constexpr int kLzxMinMatch = 2;
inline constexpr int kLzxMaxMatch = 257;

struct LzxToken {
    // Match length, or 0 for a literal.
    std::uint16_t length = 0;
    std::uint8_t literal = 0;
    // 0, 1, 2: the three most recent offsets; otherwise the distance plus 2.
    std::uint32_t formattedOffset = 0;
};

struct LzxMatchSettings {
    int windowBits = 16;
    int maxChainLength = 32;
    int niceLength = 64;
};

// Matches never reach back before the interval (the decoder forgets everything at a reset) and never cross a
// 32 KB frame boundary (decoders require every frame to end on a token boundary).
std::vector<LzxToken> ParseInterval(const std::uint8_t* data, std::size_t size, const LzxMatchSettings& settings);

} // namespace chm
