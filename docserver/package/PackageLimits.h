#pragma once
// Bounds that keep a hostile package from exhausting memory or time. A real Word document stays far below each:
// the largest part of an 870-page handbook is a few megabytes.

#include <cstdint>

constexpr uint64_t kMaxSourceFileBytes = 512ull << 20;    // the .docx file itself
constexpr uint64_t kMaxPartBytes = 64ull << 20;           // one part once inflated
constexpr uint64_t kMaxTotalInflatedBytes = 256ull << 20; // all parts read from one package, inflated
constexpr uint64_t kMaxPackageEntries = 10000;
constexpr int kMaxXmlDepth = 256; // element nesting the body reader follows
