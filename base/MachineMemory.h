#pragma once
// The machine's physical memory, for limits that should grow with the machine the program runs on.
#include <cstdint>

// Bytes of physical memory; 0 when the system does not say.
uint64_t PhysicalMemoryBytes();
