#pragma once
// Binary-tree match finder over one reset interval: every position is a node of a tree of earlier positions
// that share its first four bytes, ordered by what follows. Walking that tree yields the longest match at
// each distance in a few steps, where hash chains would compare every candidate: text repeats the same
// words so often that the long matches hide deep in a chain. Shorter matches are left to the repeated
// offsets; a new offset costs more than three literals.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "HugePageAllocator.h"

// Packed into four bytes: an interval holds one or two matches per position, and the parser reads them all
// again; half the memory keeps them nearer the processor. Lengths reach 257, distances 2 MB.
struct LzxMatch {
    uint32_t length : 9 = 0;
    uint32_t distance : 23 = 0;
};
static_assert(sizeof(LzxMatch) == 4);

class LzxMatchFinder {
public:
    // maxDistance: the farthest a match may reach back; searchDepth: tree nodes visited per position.
    LzxMatchFinder(uint32_t maxDistance, int searchDepth);

    // Starts on a new interval; the buffers stay allocated from one interval to the next.
    void Reset(const uint8_t* data, size_t size);

    // Appends the matches at pos, each strictly longer (and farther) than the one before, none longer than
    // maxLength, and adds pos to the tree. Positions must come in increasing order; a position left out is
    // never a match source, which is how the parser saves time inside long matches.
    void Find(size_t pos, int maxLength, HugePageVector<LzxMatch>& matches);

private:
    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
    uint32_t maxDistance_;
    int searchDepth_;
    HugePageVector<int32_t> head_;
    // Two children per position: the smaller and the greater continuations.
    HugePageVector<int32_t> children_;
};
