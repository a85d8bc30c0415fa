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
    std::vector<LzxToken> Parse(const uint8_t* data, size_t size);

    // Code lengths in sixteenths of a bit per symbol of the main and the length trees.
    struct CostModel {
        std::vector<uint32_t> main;
        std::vector<uint32_t> length;
    };

private:
    // The cheapest way found to reach a position: the token that ends there.
    // Eight bytes, one per position of the interval: the token as one word (formatted offsets stay below
    // 2^23 for every window), written whole, since a node is often written again straight after.
    struct PathNode {
        uint32_t price = 0;
        uint32_t token = 0; // length (0 for a literal) in the low 9 bits, the formatted offset above
        int Length() const { return static_cast<int>(token & 0x1FF); }
        uint32_t FormattedOffset() const { return token >> 9; }
    };
    static_assert(sizeof(PathNode) == 8);
    struct RecentOffsets {
        uint32_t distance[kLzxRepeatedOffsets] = {1, 1, 1};
        // A repeated offset moves to the front; a new one pushes the oldest out.
        void Use(uint32_t formattedOffset);
    };

    int MaxLengthAt(size_t pos) const;
    int MatchLength(uint32_t distance, size_t pos, int maxLength) const;
    void CollectMatches();
    std::vector<LzxToken> LongestMatchPath() const;
    CostModel CostsOf(const std::vector<LzxToken>& tokens) const;
    std::vector<LzxToken> CheapestPath(const CostModel& model);
    RecentOffsets RecentAfter(size_t pos) const;
    void Relax(size_t to, uint32_t price, int length, uint32_t formattedOffset);
    std::vector<LzxToken> TokensOnPath() const;

    LzxParseSettings settings_;
    int mainTreeSize_;
    LzxMatchFinder finder_;
    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
    // Matches at position p are matches[matchStart[p]] up to matches[matchStart[p + 1]].
    HugePageVector<uint32_t> matchStart_;
    HugePageVector<LzxMatch> matches_;
    HugePageVector<PathNode> path_;
    // The offsets after each of the last positions: a token reaches back at most kLzxMaxMatch of them.
    static constexpr size_t kRecentRing = 512;
    static_assert(kRecentRing > kLzxMaxMatch);
    RecentOffsets recent_[kRecentRing];
    RecentOffsets& RecentAt(size_t pos) { return recent_[pos % kRecentRing]; }
    const RecentOffsets& RecentAt(size_t pos) const { return recent_[pos % kRecentRing]; }
};
