#include "LzxMatchFinder.h"

#include <algorithm>

#include "LzxFormat.h"

namespace {

constexpr int kHashBits = 16;
constexpr size_t kHashedBytes = 4;
constexpr int32_t kNone = -1;

uint32_t Hash4(const uint8_t* p) {
    const uint32_t value = p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
    return (value * 2654435761u) >> (32 - kHashBits);
}

} // namespace

LzxMatchFinder::LzxMatchFinder(uint32_t maxDistance, int searchDepth)
    : maxDistance_(maxDistance), searchDepth_(searchDepth), head_(size_t{1} << kHashBits) {}

void LzxMatchFinder::Reset(const uint8_t* newData, size_t newSize) {
    data_ = newData;
    size_ = newSize;
    std::fill(head_.begin(), head_.end(), kNone);
    // Every inserted node gets both children written before they are read.
    children_.resize(2 * size_);
}

void LzxMatchFinder::Find(size_t pos, int maxLength, HugePageVector<LzxMatch>& matches) {
    if (pos + kHashedBytes > size_)
        return;
    // The tree orders by up to the longest match, whatever the caller may use.
    const int treeLimit = static_cast<int>(std::min<size_t>(kLzxMaxMatch, size_ - pos));
    const uint8_t* current = data_ + pos;
    // The next position's tree root is a random read in a table larger than the nearest cache: start it now,
    // so it arrives while this position's tree is walked.
    if (pos + 1 + kHashedBytes <= size_)
        __builtin_prefetch(&head_[Hash4(current + 1)]);
    int32_t& root = head_[Hash4(current)];
    int32_t candidate = root;
    root = static_cast<int32_t>(pos);

    // Where the next candidate smaller (greater) than the current string hangs, and how much of the current
    // string every node on that side shares: the walk skips those bytes.
    int32_t* smallerSlot = &children_[2 * pos];
    int32_t* greaterSlot = &children_[2 * pos + 1];
    int smallerLength = 0;
    int greaterLength = 0;
    int longest = 0;
    int reported = 0;
    for (int depth = searchDepth_; candidate != kNone && depth > 0; --depth) {
        const size_t distance = pos - static_cast<size_t>(candidate);
        if (distance > maxDistance_)
            break;
        const uint8_t* earlier = data_ + candidate;
        const int length = LzxCommonLength(earlier, current, std::min(smallerLength, greaterLength), treeLimit);
        if (length > longest) {
            longest = length;
            const int usable = std::min(length, maxLength);
            if (usable > reported && usable >= static_cast<int>(kHashedBytes)) {
                matches.push_back(LzxMatch{static_cast<uint32_t>(usable), static_cast<uint32_t>(distance)});
                reported = usable;
            }
        }
        if (length == treeLimit) {
            // Equal as far as the tree looks: the current position takes the candidate's place.
            *smallerSlot = children_[2 * candidate];
            *greaterSlot = children_[2 * candidate + 1];
            return;
        }
        if (earlier[length] < current[length]) {
            *smallerSlot = candidate;
            smallerSlot = &children_[2 * candidate + 1];
            candidate = *smallerSlot;
            smallerLength = length;
        } else {
            *greaterSlot = candidate;
            greaterSlot = &children_[2 * candidate];
            candidate = *greaterSlot;
            greaterLength = length;
        }
    }
    *smallerSlot = kNone;
    *greaterSlot = kNone;
}
