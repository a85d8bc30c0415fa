#include "LargeBlock.h"

#include <sys/mman.h>

#include <cstdint>
#include <new>

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;

std::size_t RoundedUp(std::size_t value) {
    return (value + kHugePage - 1) / kHugePage * kHugePage;
}

} // namespace

void* AllocateLargeBlock(std::size_t bytes, bool hugePages) {
    // Mapped with a page to spare, then trimmed to a range the kernel can back with huge pages.
    const std::size_t rounded = RoundedUp(bytes);
    auto* mapped = static_cast<char*>(
        mmap(nullptr, rounded + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    if (mapped == MAP_FAILED)
        throw std::bad_alloc();
    const auto address = reinterpret_cast<std::uintptr_t>(mapped);
    char* aligned = mapped + (RoundedUp(address) - address);
    if (aligned != mapped)
        munmap(mapped, static_cast<std::size_t>(aligned - mapped));
    munmap(aligned + rounded, static_cast<std::size_t>(mapped + kHugePage - aligned));
    // Hints: failing leaves the system's choice.
    madvise(aligned, rounded, hugePages ? MADV_HUGEPAGE : MADV_NOHUGEPAGE);
    return aligned;
}

void FreeLargeBlock(void* block, std::size_t bytes) {
    munmap(block, RoundedUp(bytes));
}
