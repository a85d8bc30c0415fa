#include <gtest/gtest.h>

#include <random>

#include "LzxFormat.h"
#include "LzxMatchFinder.h"

namespace {

// Text-like bytes from a few words, so long matches at many distances abound.
std::vector<uint8_t> Words(size_t size, unsigned seed) {
    static const std::string words[] = {"help ", "topic ", "to", "top", "<p>", "帮助", "the ", "then "};
    std::mt19937 random(seed);
    std::vector<uint8_t> data;
    while (data.size() < size) {
        const std::string& word = words[random() % 8];
        data.insert(data.end(), word.begin(), word.end());
    }
    data.resize(size);
    return data;
}

int LongestByBruteForce(const std::vector<uint8_t>& data, size_t pos, uint32_t maxDistance, int maxLength) {
    int longest = 0;
    for (size_t earlier = pos > maxDistance ? pos - maxDistance : 0; earlier < pos; ++earlier) {
        int length = 0;
        while (length < maxLength && data[earlier + length] == data[pos + length])
            ++length;
        longest = std::max(longest, length);
    }
    return longest;
}

// A deep enough search must find the true longest match at every position, and every reported match must
// really be there: the tree's shortcuts (skipping shared prefixes, replacing equal nodes) are easy to get wrong.
TEST(LzxMatchFinder, FindsTheLongestMatchAndOnlyRealOnes) {
    for (const uint32_t maxDistance : {64u, 5000u}) {
        const std::vector<uint8_t> data = Words(6000, maxDistance);
        LzxMatchFinder finder(maxDistance, 1 << 20);
        finder.Reset(data.data(), data.size());
        HugePageVector<LzxMatch> matches;
        for (size_t pos = 0; pos + 4 <= data.size(); ++pos) {
            const int maxLength = static_cast<int>(std::min<size_t>(kLzxMaxMatch, data.size() - pos));
            matches.clear();
            finder.Find(pos, maxLength, matches);
            const int expected = LongestByBruteForce(data, pos, maxDistance, maxLength);
            ASSERT_EQ(matches.empty() ? 0 : matches.back().length, expected >= 4 ? expected : 0) << "at " << pos;
            int previous = 0;
            for (const LzxMatch& match : matches) {
                ASSERT_GT(match.length, previous);
                ASSERT_LE(match.distance, maxDistance);
                ASSERT_TRUE(std::equal(data.begin() + pos, data.begin() + pos + match.length,
                                       data.begin() + pos - match.distance));
                previous = match.length;
            }
        }
    }
}

// Leaving positions out (as the parser does inside long matches) and a cap below the tree's own limit (a frame
// boundary) must not break the tree for the positions after them.
TEST(LzxMatchFinder, StaysCorrectWithPositionsLeftOutAndLengthsCapped) {
    const std::vector<uint8_t> data = Words(4000, 3);
    LzxMatchFinder finder(65533, 1 << 20);
    finder.Reset(data.data(), data.size());
    HugePageVector<LzxMatch> matches;
    for (size_t pos = 0; pos + 4 <= data.size(); ++pos) {
        if (pos % 7 == 3)
            continue;
        matches.clear();
        finder.Find(pos, 9, matches);
        for (const LzxMatch& match : matches) {
            ASSERT_LE(match.length, 9);
            ASSERT_NE((pos - match.distance) % 7, 3u) << "a left-out position became a source";
            ASSERT_TRUE(
                std::equal(data.begin() + pos, data.begin() + pos + match.length, data.begin() + pos - match.distance));
        }
    }
}

TEST(LzxPositionSlots, SlotOfAgreesWithTheSlotBases) {
    for (uint32_t offset = 0; offset < (1u << 21); ++offset) {
        const int slot = kLzxSlots.SlotOf(offset);
        ASSERT_LE(kLzxSlots.base[slot], offset);
        ASSERT_LT(offset - kLzxSlots.base[slot], 1u << kLzxSlots.extraBits[slot]) << offset;
    }
}

} // namespace
