#include "LzxMatchFinder.h"

#include <algorithm>

namespace chm {
namespace {

constexpr int kHashBits = 16;
// A three-byte match further back than this costs more bits than three literals.
constexpr std::uint32_t kFarLimitForShortMatch = 4096;

std::uint32_t Hash3(const std::uint8_t* p) {
    const std::uint32_t value = p[0] | (p[1] << 8) | (p[2] << 16);
    return (value * 2654435761u) >> (32 - kHashBits);
}

class IntervalParser {
public:
    IntervalParser(const std::uint8_t* data, std::size_t size, const LzxMatchSettings& settings)
        : data(data), size(size), settings(settings), maxDistance((std::size_t{1} << settings.windowBits) - 3),
          head(std::size_t{1} << kHashBits, -1), previous(size, -1) {}

    std::vector<LzxToken> Run() {
        std::vector<LzxToken> tokens;
        tokens.reserve(size / 4 + 16);
        std::size_t pos = 0;
        while (pos < size) {
            const int maxLength = MaxLengthAt(pos);
            Choice choice = BestChoice(pos, maxLength);
            if (choice.length > 0 && choice.length < settings.niceLength && pos + 1 < size) {
                // Lazy step: a clearly longer match one byte later wins over this one.
                const Choice next = BestChoice(pos + 1, MaxLengthAt(pos + 1));
                if (next.length > choice.length + 1) {
                    choice.length = 0;
                }
            }
            if (choice.length == 0) {
                tokens.push_back(LzxToken{0, data[pos], 0});
                Insert(pos);
                ++pos;
                continue;
            }
            tokens.push_back(LzxToken{static_cast<std::uint16_t>(choice.length), 0, choice.formattedOffset});
            UpdateRecentOffsets(choice);
            for (int i = 0; i < choice.length; ++i) {
                Insert(pos + i);
            }
            pos += choice.length;
        }
        return tokens;
    }

private:
    struct Choice {
        int length = 0;
        std::uint32_t formattedOffset = 0;
        std::uint32_t distance = 0;
    };

    int MaxLengthAt(std::size_t pos) const {
        const std::size_t frameEnd = std::min(size, (pos / kLzxFrameSize + 1) * kLzxFrameSize);
        return static_cast<int>(std::min<std::size_t>(kLzxMaxMatch, frameEnd - pos));
    }

    int MatchLength(std::size_t earlier, std::size_t pos, int maxLength) const {
        int length = 0;
        while (length < maxLength && data[earlier + length] == data[pos + length]) {
            ++length;
        }
        return length;
    }

    void Insert(std::size_t pos) {
        if (pos >= inserted && pos + 3 <= size) {
            const std::uint32_t hash = Hash3(data + pos);
            previous[pos] = head[hash];
            head[hash] = static_cast<std::int32_t>(pos);
            inserted = pos + 1;
        }
    }

    Choice BestChoice(std::size_t pos, int maxLength) const {
        Choice best;
        if (maxLength < kLzxMinMatch) {
            return best;
        }
        // Repeated offsets first: they cost no offset bits at all.
        for (std::uint32_t slot = 0; slot < 3; ++slot) {
            const std::uint32_t distance = recent[slot];
            if (distance > pos) {
                continue;
            }
            const int length = MatchLength(pos - distance, pos, maxLength);
            if (length >= kLzxMinMatch && length > best.length) {
                best = Choice{length, slot, distance};
            }
        }
        if (maxLength >= 3 && pos + 3 <= size) {
            int chain = settings.maxChainLength;
            int bestLength = 0;
            std::uint32_t bestDistance = 0;
            std::int32_t candidate = head[Hash3(data + pos)];
            // The chain holds only positions before pos: Insert runs after the search.
            while (candidate >= 0 && chain-- > 0) {
                const std::size_t distance = pos - static_cast<std::size_t>(candidate);
                if (distance > maxDistance) {
                    break;
                }
                if (data[candidate + bestLength] == data[pos + bestLength]) {
                    const int length = MatchLength(candidate, pos, maxLength);
                    if (length > bestLength) {
                        bestLength = length;
                        bestDistance = static_cast<std::uint32_t>(distance);
                        if (length >= maxLength || length >= settings.niceLength) {
                            break;
                        }
                    }
                }
                candidate = previous[candidate];
            }
            const bool worthIt = bestLength >= 4 || (bestLength == 3 && bestDistance <= kFarLimitForShortMatch);
            if (worthIt && bestLength > best.length + 1) {
                best = Choice{bestLength, bestDistance + 2, bestDistance};
                for (std::uint32_t slot = 0; slot < 3; ++slot) {
                    if (recent[slot] == bestDistance) {
                        best.formattedOffset = slot;
                        break;
                    }
                }
            }
        }
        return best;
    }

    void UpdateRecentOffsets(const Choice& choice) {
        switch (choice.formattedOffset) {
        case 0:
            break;
        case 1:
            std::swap(recent[0], recent[1]);
            break;
        case 2:
            std::swap(recent[0], recent[2]);
            break;
        default:
            recent[2] = recent[1];
            recent[1] = recent[0];
            recent[0] = choice.distance;
        }
    }

    const std::uint8_t* data;
    std::size_t size;
    LzxMatchSettings settings;
    std::size_t maxDistance;
    std::vector<std::int32_t> head;
    std::vector<std::int32_t> previous;
    std::size_t inserted = 0;
    std::uint32_t recent[3] = {1, 1, 1};
};

} // namespace

std::vector<LzxToken> ParseInterval(const std::uint8_t* data, std::size_t size, const LzxMatchSettings& settings) {
    return IntervalParser(data, size, settings).Run();
}

} // namespace chm
