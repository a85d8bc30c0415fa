#include "LzxParser.h"

#include <algorithm>
#include <limits>

#include "HuffmanCode.h"

namespace {

constexpr uint32_t kBit = 16;
constexpr uint32_t kUnreachable = std::numeric_limits<uint32_t>::max();
constexpr int kMaxCodeLength = 16;

// The model's tables by plain pointer: held in registers across the path's writes, which could otherwise
// alias the vectors.
struct CostTables {
    const uint32_t* main;
    const uint32_t* length;
};

inline uint32_t MatchCost(CostTables costs, int slot, int length) {
    const int header = LzxLengthHeader(length);
    uint32_t cost = costs.main[LzxMainSymbol(slot, header)];
    if (header == kLzxPrimaryLengths)
        cost += costs.length[length - kLzxMinMatch - kLzxPrimaryLengths];
    return cost + kLzxSlots.extraBits[slot] * kBit;
}

uint32_t NewOffset(uint32_t distance) {
    return distance + kLzxRepeatedOffsets - 1;
}

} // namespace

void LzxIntervalParser::RecentOffsets::Use(uint32_t formattedOffset) {
    if (formattedOffset < kLzxRepeatedOffsets) {
        std::swap(distance[0], distance[formattedOffset]);
    } else {
        distance[2] = distance[1];
        distance[1] = distance[0];
        distance[0] = formattedOffset - (kLzxRepeatedOffsets - 1);
    }
}

LzxIntervalParser::LzxIntervalParser(const LzxParseSettings& settings)
    : settings_(settings), mainTreeSize_(LzxMainTreeSize(settings.windowBits)),
      finder_(static_cast<uint32_t>((size_t{1} << settings.windowBits) - 3), settings.searchDepth) {}

std::vector<LzxToken> LzxIntervalParser::Parse(const uint8_t* newData, size_t newSize) {
    data_ = newData;
    size_ = newSize;
    CollectMatches();
    return CheapestPath(CostsOf(LongestMatchPath()));
}

inline int LzxIntervalParser::MaxLengthAt(size_t pos) const {
    const size_t frameEnd = std::min(size_, (pos / kLzxFrameSize + 1) * kLzxFrameSize);
    return static_cast<int>(std::min<size_t>(kLzxMaxMatch, frameEnd - pos));
}

inline int LzxIntervalParser::MatchLength(uint32_t distance, size_t pos, int maxLength) const {
    return distance > pos ? 0 : LzxCommonLength(data_ + pos - distance, data_ + pos, 0, maxLength);
}

void LzxIntervalParser::CollectMatches() {
    finder_.Reset(data_, size_);
    matchStart_.assign(size_ + 1, 0);
    matches_.clear();
    matches_.reserve(2 * size_); // text has one or two per position; growing by copies costs more than this
    size_t pos = 0;
    while (pos < size_) {
        const size_t first = matches_.size();
        matchStart_[pos] = static_cast<uint32_t>(first);
        finder_.Find(pos, MaxLengthAt(pos), matches_);
        ++pos;
        if (matches_.size() > first && matches_.back().length >= settings_.niceLength)
            for (const size_t end = pos - 1 + matches_.back().length; pos < end; ++pos)
                matchStart_[pos] = static_cast<uint32_t>(matches_.size());
    }
    matchStart_[size_] = static_cast<uint32_t>(matches_.size());
}

std::vector<LzxToken> LzxIntervalParser::LongestMatchPath() const {
    std::vector<LzxToken> tokens;
    RecentOffsets offsets;
    size_t pos = 0;
    while (pos < size_) {
        int bestLength = 0;
        uint32_t bestOffset = 0;
        const int maxLength = MaxLengthAt(pos);
        for (int slot = 0; slot < kLzxRepeatedOffsets; ++slot) {
            const int length = MatchLength(offsets.distance[slot], pos, maxLength);
            if (length > bestLength) {
                bestLength = length;
                bestOffset = static_cast<uint32_t>(slot);
            }
        }
        if (matchStart_[pos + 1] > matchStart_[pos]) {
            // A new offset must beat a repeated one clearly: it costs its offset bits.
            const LzxMatch& longest = matches_[matchStart_[pos + 1] - 1];
            if (longest.length > bestLength + 1) {
                bestLength = longest.length;
                bestOffset = NewOffset(longest.distance);
            }
        }
        if (bestLength < 3) {
            tokens.push_back(LzxToken{0, data_[pos], 0});
            ++pos;
            continue;
        }
        tokens.push_back(LzxToken{static_cast<uint16_t>(bestLength), 0, bestOffset});
        offsets.Use(bestOffset);
        pos += bestLength;
    }
    return tokens;
}

// What the tokens' own Huffman codes would spend on each symbol; unused symbols at the longest code.
LzxIntervalParser::CostModel LzxIntervalParser::CostsOf(const std::vector<LzxToken>& tokens) const {
    const LzxSymbolCounts counts = CountLzxSymbols(tokens, mainTreeSize_);
    auto toCosts = [](const std::vector<uint32_t>& frequencies) {
        const std::vector<uint8_t> lengths = BuildCodeLengths(frequencies, kMaxCodeLength);
        std::vector<uint32_t> costs(frequencies.size());
        for (size_t i = 0; i < frequencies.size(); ++i)
            costs[i] = (lengths[i] == 0 ? kMaxCodeLength : lengths[i]) * kBit;
        return costs;
    };
    return CostModel{toCosts(counts.main), toCosts(counts.length)};
}

// Offsets after the cheapest token into pos, from those before it: the path into pos is final by now.
LzxIntervalParser::RecentOffsets LzxIntervalParser::RecentAfter(size_t pos) const {
    const PathNode& node = path_[pos];
    if (node.Length() == 0)
        return RecentAt(pos - 1);
    RecentOffsets offsets = RecentAt(pos - node.Length());
    offsets.Use(node.FormattedOffset());
    return offsets;
}

// Shortest path through the interval, positions as nodes, tokens as edges weighed by the cost model. A
// match is weighed at its full length only (and a repeated one also at two bytes): trying every shorter
// length gains little in text and costs much time.
std::vector<LzxToken> LzxIntervalParser::CheapestPath(const CostModel& model) {
    const CostTables costs{model.main.data(), model.length.data()};
    // A token reaches at most kLzxMaxMatch ahead, so each node is made unreachable just before the first
    // token that may reach it: written while it is near in the cache, not in a pass of its own.
    path_.resize(size_ + 1);
    path_[0] = PathNode{0, 0};
    for (size_t pos = 1; pos <= std::min<size_t>(size_, kLzxMaxMatch - 1); ++pos)
        path_[pos] = PathNode{kUnreachable, 0};
    RecentAt(0) = RecentOffsets{};
    // Inside a match of the nice length nothing else is weighed: runs (a page's padding, repeated markup)
    // would otherwise have their repeated offsets compared over their whole length at every position.
    size_t coveredUntil = 0;
    for (size_t pos = 0; pos < size_; ++pos) {
        if (pos + kLzxMaxMatch <= size_)
            path_[pos + kLzxMaxMatch] = PathNode{kUnreachable, 0};
        if (pos > 0)
            RecentAt(pos) = RecentAfter(pos);
        const uint32_t price = path_[pos].price;
        const RecentOffsets offsets = RecentAt(pos);
        Relax(pos + 1, price + costs.main[data_[pos]], 0, 0);
        const int maxLength = MaxLengthAt(pos);
        if (maxLength < kLzxMinMatch || pos < coveredUntil)
            continue;
        for (int slot = 0; slot < kLzxRepeatedOffsets; ++slot) {
            const int longest = MatchLength(offsets.distance[slot], pos, maxLength);
            if (longest >= settings_.niceLength)
                coveredUntil = pos + longest;
            if (longest >= kLzxMinMatch) {
                const auto formatted = static_cast<uint32_t>(slot);
                Relax(pos + kLzxMinMatch, price + MatchCost(costs, slot, kLzxMinMatch), kLzxMinMatch, formatted);
                Relax(pos + longest, price + MatchCost(costs, slot, longest), longest, formatted);
            }
        }
        for (uint32_t m = matchStart_[pos]; m < matchStart_[pos + 1]; ++m) {
            const LzxMatch match = matches_[m];
            if (match.distance == offsets.distance[0] || match.distance == offsets.distance[1] ||
                match.distance == offsets.distance[2])
                continue; // weighed above, as the cheaper repeated offset
            const uint32_t formatted = NewOffset(match.distance);
            const int slot = kLzxSlots.SlotOf(formatted);
            Relax(pos + match.length, price + MatchCost(costs, slot, match.length), match.length, formatted);
        }
        if (matchStart_[pos + 1] > matchStart_[pos] &&
            matches_[matchStart_[pos + 1] - 1].length >= settings_.niceLength)
            coveredUntil = std::max(coveredUntil, pos + matches_[matchStart_[pos + 1] - 1].length);
    }
    return TokensOnPath();
}

inline void LzxIntervalParser::Relax(size_t to, uint32_t price, int length, uint32_t formattedOffset) {
    PathNode& node = path_[to];
    if (price < node.price)
        node = PathNode{price, static_cast<uint32_t>(length) | formattedOffset << 9};
}

std::vector<LzxToken> LzxIntervalParser::TokensOnPath() const {
    std::vector<LzxToken> tokens;
    for (size_t pos = size_; pos > 0;) {
        const PathNode& node = path_[pos];
        if (node.Length() == 0) {
            tokens.push_back(LzxToken{0, data_[pos - 1], 0});
            --pos;
        } else {
            tokens.push_back(LzxToken{static_cast<uint16_t>(node.Length()), 0, node.FormattedOffset()});
            pos -= node.Length();
        }
    }
    std::reverse(tokens.begin(), tokens.end());
    return tokens;
}
