#include "LzxMatchFinder.h"

#include <algorithm>

#include "LzxFormat.h"

namespace chm {
namespace {

constexpr int kHashBits = 16;
constexpr std::size_t kHashedBytes = 4;
constexpr std::int32_t kNone = -1;

std::uint32_t Hash4(const std::uint8_t* p) {
    const std::uint32_t value = p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
    return (value * 2654435761u) >> (32 - kHashBits);
}

} // namespace

LzxMatchFinder::LzxMatchFinder(std::uint32_t maxDistance, int searchDepth)
    : maxDistance(maxDistance), searchDepth(searchDepth), head(std::size_t{1} << kHashBits) {}

void LzxMatchFinder::Reset(const std::uint8_t* newData, std::size_t newSize) {
    data = newData;
    size = newSize;
    std::fill(head.begin(), head.end(), kNone);
    // Every inserted node gets both children written before they are read.
    children.resize(2 * size);
}

void LzxMatchFinder::Find(std::size_t pos, int maxLength, HugePageVector<LzxMatch>& matches) {
    if (pos + kHashedBytes > size) {
        return;
    }
    // The tree orders by up to the longest match, whatever the caller may use.
    const int treeLimit = static_cast<int>(std::min<std::size_t>(kLzxMaxMatch, size - pos));
    const std::uint8_t* current = data + pos;
    std::int32_t& root = head[Hash4(current)];
    std::int32_t candidate = root;
    root = static_cast<std::int32_t>(pos);

    // Where the next candidate smaller (greater) than the current string hangs, and how much of the current
    // string every node on that side shares: the walk skips those bytes.
    std::int32_t* smallerSlot = &children[2 * pos];
    std::int32_t* greaterSlot = &children[2 * pos + 1];
    int smallerLength = 0;
    int greaterLength = 0;
    int longest = 0;
    int reported = 0;
    for (int depth = searchDepth; candidate != kNone && depth > 0; --depth) {
        const std::size_t distance = pos - static_cast<std::size_t>(candidate);
        if (distance > maxDistance) {
            break;
        }
        const std::uint8_t* earlier = data + candidate;
        const int length = LzxCommonLength(earlier, current, std::min(smallerLength, greaterLength), treeLimit);
        if (length > longest) {
            longest = length;
            const int usable = std::min(length, maxLength);
            if (usable > reported && usable >= static_cast<int>(kHashedBytes)) {
                matches.push_back(LzxMatch{usable, static_cast<std::uint32_t>(distance)});
                reported = usable;
            }
        }
        if (length == treeLimit) {
            // Equal as far as the tree looks: the current position takes the candidate's place.
            *smallerSlot = children[2 * candidate];
            *greaterSlot = children[2 * candidate + 1];
            return;
        }
        if (earlier[length] < current[length]) {
            *smallerSlot = candidate;
            smallerSlot = &children[2 * candidate + 1];
            candidate = *smallerSlot;
            smallerLength = length;
        } else {
            *greaterSlot = candidate;
            greaterSlot = &children[2 * candidate];
            candidate = *greaterSlot;
            greaterLength = length;
        }
    }
    *smallerSlot = kNone;
    *greaterSlot = kNone;
}

} // namespace chm
