#include "PackageLimits.h"

#include <algorithm>

namespace {

// One part is parsed into a tree and read into the model beside its text; all parts together are held at most once.
constexpr uint64_t kPartShareOfMemory = 8;
constexpr uint64_t kPackageShareOfMemory = 4;

InflateLimit Limit(uint64_t fixed, uint64_t compressedBytes, uint64_t machineMemory, uint64_t share,
                   const char* memoryWords) {
    const uint64_t byRatio =
        compressedBytes > UINT64_MAX / kMaxInflateRatio ? UINT64_MAX : compressedBytes * kMaxInflateRatio;
    const uint64_t byMemory = machineMemory / share;
    const uint64_t larger = std::min(byRatio, byMemory);
    if (larger <= fixed)
        return {fixed, ""};
    if (byRatio <= byMemory)
        return {larger, ", " + std::to_string(kMaxInflateRatio) + " times its compressed size"};
    return {larger, std::string(", ") + memoryWords + " of this machine's memory"};
}

} // namespace

InflateLimit PartInflateLimit(uint64_t compressedBytes, uint64_t machineMemory) {
    return Limit(kMaxPartBytes, compressedBytes, machineMemory, kPartShareOfMemory, "an eighth");
}

InflateLimit PackageInflateLimit(uint64_t packageBytes, uint64_t machineMemory) {
    return Limit(kMaxTotalInflatedBytes, packageBytes, machineMemory, kPackageShareOfMemory, "a quarter");
}
