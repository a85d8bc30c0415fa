#pragma once
// Large blocks of memory straight from the system, offered to it as huge pages where it has them: a fresh table
// then costs one page fault instead of one per 4 KB.
#include <cstddef>

// Throws std::bad_alloc when the system has no memory to give. Without hugePages the block is backed a small page
// at a time as it is first touched, so a block filled in part costs only that part.
void* AllocateLargeBlock(std::size_t bytes, bool hugePages = true);
// Takes back a block of AllocateLargeBlock, with the size it was asked for.
void FreeLargeBlock(void* block, std::size_t bytes);
