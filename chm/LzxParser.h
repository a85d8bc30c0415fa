#pragma once
// Cost-based LZ77 parse of one reset interval for the compressed section. Matches are collected once per
// position; a quick longest-match parse shows what the Huffman codes will roughly cost; then the cheapest
// path through the interval under those costs is taken. Tokens carry the offset already in the compressed
// format's terms.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "HugePageAllocator.h"
#include "LzxFormat.h"
#include "LzxMatchFinder.h"

namespace chm {

struct LzxParseSettings {
    int windowBits = 16;
    // Tree nodes visited per position: deeper finds slightly longer matches in text, at a cost in time.
    int searchDepth = 16;
    // A match this long is taken without weighing the positions it covers, which then never become match
    // sources; lower is faster and larger.
    int niceLength = 48;
};

class LzxIntervalParser {
public:
    explicit LzxIntervalParser(const LzxParseSettings& settings);

    // Matches never reach back before the interval (the decoder forgets everything at a reset) and never
    // cross a 32 KB frame boundary (decoders require every frame to end on a token boundary). The parser's
    // buffers are kept for the next interval.
    std::vector<LzxToken> Parse(const std::uint8_t* data, std::size_t size);

    // Code lengths in sixteenths of a bit per symbol of the main and the length trees.
    struct CostModel {
        std::vector<std::uint32_t> main;
        std::vector<std::uint32_t> length;
    };

private:
    // The cheapest way found to reach a position: the token that ends there.
    struct PathNode {
        std::uint32_t price = 0;
        std::uint16_t length = 0; // 0 for a literal
        std::uint32_t formattedOffset = 0;
    };
    struct RecentOffsets {
        std::uint32_t distance[kLzxRepeatedOffsets] = {1, 1, 1};
        // A repeated offset moves to the front; a new one pushes the oldest out.
        void Use(std::uint32_t formattedOffset);
    };

    int MaxLengthAt(std::size_t pos) const;
    int MatchLength(std::uint32_t distance, std::size_t pos, int maxLength) const;
    void CollectMatches();
    std::vector<LzxToken> LongestMatchPath() const;
    CostModel CostsOf(const std::vector<LzxToken>& tokens) const;
    std::vector<LzxToken> CheapestPath(const CostModel& costs);
    RecentOffsets RecentAfter(std::size_t pos) const;
    void Relax(std::size_t to, std::uint32_t price, int length, std::uint32_t formattedOffset);
    std::vector<LzxToken> TokensOnPath() const;

    LzxParseSettings settings;
    int mainTreeSize;
    LzxMatchFinder finder;
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    // Matches at position p are matches[matchStart[p]] up to matches[matchStart[p + 1]].
    HugePageVector<std::uint32_t> matchStart;
    HugePageVector<LzxMatch> matches;
    HugePageVector<PathNode> path;
    // The offsets after each of the last positions: a token reaches back at most kLzxMaxMatch of them.
    static constexpr std::size_t kRecentRing = 512;
    static_assert(kRecentRing > kLzxMaxMatch);
    RecentOffsets recent[kRecentRing];
    RecentOffsets& RecentAt(std::size_t pos) { return recent[pos % kRecentRing]; }
    const RecentOffsets& RecentAt(std::size_t pos) const { return recent[pos % kRecentRing]; }
};

} // namespace chm
