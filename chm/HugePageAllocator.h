#pragma once
// Allocator for large tables made anew for each help file: the compressor's per-interval tables and the search
// index's word tables. Each large block is rounded up to whole 2 MB pages and offered to the kernel as a huge
// page, so a fresh table costs one page fault instead of one per 4 KB: on a virtual machine a fault costs
// microseconds, and for a small help file the faults cost more than the compression itself. Where huge pages
// are off the block is paged as usual. The price is memory: up to 2 MB more per table, so only tables of at least
// one huge page get them.
#include "base/LargeBlock.h"

#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

template <typename T> class HugePageAllocator {
public:
    using value_type = T;

    HugePageAllocator() = default;
    template <typename U> HugePageAllocator(const HugePageAllocator<U>&) {}

    T* allocate(size_t count) {
        const size_t bytes = count * sizeof(T);
        if (bytes < kHugeFrom)
            return static_cast<T*>(::operator new(bytes));
        return static_cast<T*>(AllocateLargeBlock(bytes));
    }

    void deallocate(T* block, size_t count) {
        const size_t bytes = count * sizeof(T);
        if (bytes < kHugeFrom)
            ::operator delete(block);
        else
            FreeLargeBlock(block, bytes);
    }

    template <typename U> bool operator==(const HugePageAllocator<U>&) const { return true; }

private:
    // Smaller blocks come from the C library's heap, whose pages are often touched already. A block smaller than a
    // huge page would be backed by a whole one: the compressor's five tables per thread (under 3 MB for an interval)
    // held 10 MB each, which made the peak of a Chinese help file's whole run a quarter larger.
    static constexpr size_t kHugeFrom = size_t{2} << 20;
};

template <typename T> using HugePageVector = std::vector<T, HugePageAllocator<T>>;
