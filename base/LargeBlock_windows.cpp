#include "LargeBlock.h"

#include <windows.h>

#include <new>

// Large pages need a privilege ordinary users lack; committed pages from the system are what is left of the idea.
void* AllocateLargeBlock(std::size_t bytes, bool /*hugePages*/) {
    void* block = VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (block == nullptr)
        throw std::bad_alloc();
    return block;
}

void FreeLargeBlock(void* block, std::size_t /*bytes*/) {
    VirtualFree(block, 0, MEM_RELEASE);
}
