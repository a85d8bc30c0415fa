#pragma once
// Bounds that keep a hostile package from exhausting memory or time. A real Word document stays far below each:
// the largest part of an 870-page handbook is a few megabytes, of a generated 32,000-heading document 100 MB.

#include <cstdint>
#include <string>

constexpr uint64_t kMaxSourceFileBytes = 512ull << 20;    // the .docx file itself
constexpr uint64_t kMaxPartBytes = 64ull << 20;           // one part once inflated, whatever it came from
constexpr uint64_t kMaxTotalInflatedBytes = 256ull << 20; // all parts read from one package, inflated, likewise
constexpr uint64_t kMaxPackageEntries = 10000;
constexpr int kMaxXmlDepth = 256; // element nesting the body reader follows

// Word's XML deflates to a fifth or a tenth, a run of one element repeated to a few hundredths; a zip bomb to a
// thousandth. Past the fixed bounds above, a part may inflate to this many times the bytes it takes in the file.
constexpr uint64_t kMaxInflateRatio = 100;

// How far a part, or all parts together, may inflate: the fixed bound, or more when the compressed bytes account
// for it and the machine's memory holds it several times over (the parsed tree and the model come on top).
struct InflateLimit {
    uint64_t bytes = 0;
    std::string why; // what sets the limit, for the message: "", or ", N times its compressed size", ...
};

// compressedBytes: the part's compressed size (the directory's, no more than the package file's own size);
// machineMemory: physical memory, 0 when unknown.
InflateLimit PartInflateLimit(uint64_t compressedBytes, uint64_t machineMemory);
// packageBytes: the package file's size.
InflateLimit PackageInflateLimit(uint64_t packageBytes, uint64_t machineMemory);
