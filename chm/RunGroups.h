#pragma once
// The search index's runs of Chinese characters as (run, topic) pairs, grouped by the run's first character and
// packed: a Chinese index has millions of pairs, nearly all of a run found on one or two pages. Each group is a
// stream of the topic's distance from the pair before (topics come in ascending order, so mostly one byte) and
// the run's characters after the first, about 7 bytes a pair where a struct of its own took 12. The groups are read
// back one at a time, sorted, in the order the index's readers compare runs, so only one group's pairs are ever
// held whole, and let go in that order as the index is written.
#include <array>
#include <cstdint>
#include <future>
#include <memory>
#include <vector>

#include "HugePageAllocator.h"

// The eight bytes with A-Z folded to a-z, as the index's readers fold them when they compare words.
uint64_t FoldedBytes(uint64_t bytes);

// A run of characters of two bytes each in the code page as one number: the bytes in order, zero-filled on the
// right; the lead byte of each character is 0x80 or more, so no character is zero.
struct RunInTopic {
    uint64_t folded; // the run's bytes as the readers compare them
    uint64_t run;
    uint32_t topic;

    bool operator==(const RunInTopic&) const = default;
};
// Pairs read back; a large group's come straight from the system and go back to it when freed.
using RunPairs = HugePageVector<RunInTopic>;

class RunGroups {
public:
    // Topics come in ascending order; a (run, topic) pair at most once.
    void Add(uint64_t run, uint32_t topic);
    size_t Pairs() const { return pairs_; }
    // The groups by their first character as the readers compare it, A-Z folded: first characters that fold alike
    // are one group, so no two groups hold runs that fold alike and reading them in this order gives every run in
    // the readers' order.
    std::vector<uint32_t> GroupsInOrder() const;
    size_t Pairs(uint32_t group) const { return groups_[group].pairs; }
    // Appends the group's pairs, sorted by folded run, then topic, then run. Safe on another thread beside a Read
    // of another group or a Release of one not being read.
    void Read(uint32_t group, RunPairs& pairs) const;
    // The group will not be read again. Groups let go in the order above give their memory back as they go: a
    // band's blocks once its last group is let go.
    void Release(uint32_t group);
    // Frees every pair.
    void Clear();

private:
    // A group's stream is a chain of chunks, each a link to the next and bytes of the stream, the first small and
    // each next one twice as large up to a limit: a group costs little beyond its bytes, whether it holds one pair
    // or a hundred thousand. Chunks come from blocks of their own for each range of first characters (a band), so
    // that a band's blocks are freed whole once its groups are written. Blocks come from the system in small pages,
    // so that they go back to it when freed and the unused end of each band's last block costs nothing.
    static constexpr size_t kFirstChunk = 32;
    static constexpr size_t kLargestChunk = 1024;
    static constexpr size_t kLinkSize = sizeof(uint64_t);
    static constexpr size_t kBlockSize = size_t{2} << 20;
    static constexpr int kBandShift = 11; // 8 lead bytes a band
    static constexpr uint64_t kNoChunk = UINT64_MAX;

    struct Group {
        uint64_t firstChunk = kNoChunk; // band, block and offset
        uint64_t lastChunk = kNoChunk;
        uint32_t lastTopic = 0;
        uint32_t pairs = 0;
        uint16_t lastChunkSize = 0;
        uint16_t lastChunkUsed = 0;  // the link included
        uint16_t firstCharacter = 0; // folded
    };
    struct FreeBlock {
        void operator()(uint8_t* block) const;
    };
    struct Band {
        std::vector<std::unique_ptr<uint8_t[], FreeBlock>> blocks;
        size_t used = 0; // of the last block
        size_t liveGroups = 0;
    };

    void Append(Group& group, const uint8_t* bytes, size_t size);
    uint64_t NewChunk(size_t band, size_t size);
    uint8_t* ChunkAt(uint64_t chunk) {
        return bands_[chunk >> 56].blocks[(chunk >> 32) & 0xFFFFFF].get() + static_cast<uint32_t>(chunk);
    }
    const uint8_t* ChunkAt(uint64_t chunk) const {
        return bands_[chunk >> 56].blocks[(chunk >> 32) & 0xFFFFFF].get() + static_cast<uint32_t>(chunk);
    }

    // By folded first character: 0 none yet, else the group's index + 1. At most 32,768 first characters have a
    // lead byte of 0x80 or more.
    std::vector<uint16_t> groupOfCharacter_;
    std::vector<Group> groups_;
    std::array<Band, (0x10000 >> kBandShift)> bands_;
    size_t pairs_ = 0;
};

// Reads every group in order, a batch of groups at a time, and lets each batch go when the next is asked for. The
// next batch is read and sorted on another thread while the caller writes the one before: sorting is most of the
// work of reading. Batches are allocated on the caller's thread: the C library keeps what a thread frees for that
// thread's later allocations, so memory a helper took would stay out of reach of the rest of the run.
class RunGroupReader {
public:
    explicit RunGroupReader(RunGroups& groups);
    // The next batch's pairs, in order; false after the last.
    bool Next(RunPairs& pairs);

private:
    // Small batches, so that the one read ahead costs little; a group larger than this is a batch of its own.
    static constexpr size_t kBatchPairs = size_t{1} << 14;

    void ReadAhead();

    RunGroups& groups_;
    std::vector<uint32_t> order_;
    size_t released_ = 0;  // groups of order_ let go
    size_t taken_ = 0;     // groups handed out
    size_t readAhead_ = 0; // groups read or being read
    std::future<RunPairs> ahead_;
};
