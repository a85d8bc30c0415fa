#pragma once
// Our compressor for the help file's compressed section: an LZ77 parse coded in verbatim blocks with
// Huffman trees, restarted at every reset interval so a viewer can start decoding at any interval.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "ByteBuffer.h"

struct LzxSettings {
    int windowBits = 16;    // 15..21
    int framesPerReset = 2; // 32 KB frames between two resets
    int threadCount = 0;    // 0: one per hardware thread
    int searchDepth = 16;   // match-finder nodes visited per position
    int niceLength = 48;    // matches this long are taken without weighing what they cover
    // Complete intervals that may wait for a helper before the caller of Append compresses one itself: more keep
    // the caller's thread free for other work, at the cost of holding their input in memory.
    int waitingIntervals = 8;
};

struct LzxResult {
    Bytes compressed;
    // Compressed offset of every 32 KB frame, the first one 0: the section's reset table.
    std::vector<uint64_t> frameOffsets;
    // The input zero-padded to whole reset intervals; decoders always produce whole frames.
    uint64_t paddedLength = 0;
};

// Compresses a section that arrives piece by piece: each reset interval is compressed by helper threads as
// soon as it is complete, while the caller goes on reading the rest; the caller's thread joins in at Finish.
class LzxStreamCompressor {
public:
    explicit LzxStreamCompressor(const LzxSettings& settings);
    ~LzxStreamCompressor(); // a result never finished is dropped; the helpers stop after their interval
    LzxStreamCompressor(const LzxStreamCompressor&) = delete;
    LzxStreamCompressor& operator=(const LzxStreamCompressor&) = delete;

    void Append(std::span<const uint8_t> data);
    // Bytes appended so far: the offset the next byte will have in the section.
    uint64_t Size() const;
    // The whole compressed section; call once, after the last Append.
    LzxResult Finish();

private:
    struct State;
    std::unique_ptr<State> state_;
};

LzxResult CompressLzx(const uint8_t* data, size_t size, const LzxSettings& settings);
