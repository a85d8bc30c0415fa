#include "RunGroups.h"

#include <algorithm>
#include <bit>
#include <stdexcept>

namespace {

// A pair starts with one byte: the characters after the first (0 to 3), whether the first character's second
// byte is an upper-case letter (its group is by the folded one), and the topic's distance from the group's pair
// before when below 31; else 31 and the rest of the distance in 7-bit groups, low first.
constexpr uint8_t kUpperFlag = 0x04;
constexpr int kStepShift = 3;
constexpr uint32_t kLongStep = 31;

uint16_t FoldedCharacter(uint16_t character) {
    return static_cast<uint16_t>(FoldedBytes(uint64_t{character} << 48) >> 48);
}

} // namespace

// ASCII bytes (high bit clear) from 'A' to 'Z' gain 0x20. Sums of a byte's low seven bits and a constant below 0x80
// never carry into the next byte. Packed runs compared so are in the readers' order: the zero fill sorts a shorter
// run before the longer ones it starts.
uint64_t FoldedBytes(uint64_t bytes) {
    constexpr uint64_t kOnes = 0x0101010101010101;
    constexpr uint64_t kHighBits = 0x8080808080808080;
    const uint64_t low = bytes & ~kHighBits;
    const uint64_t fromA = low + kOnes * (0x80 - 'A');
    const uint64_t pastZ = low + kOnes * (0x80 - 'Z' - 1);
    const uint64_t upper = fromA & ~pastZ & ~bytes & kHighBits;
    return bytes | (upper >> 2);
}

void RunGroups::Add(uint64_t run, uint32_t topic) {
    if (groupOfCharacter_.empty())
        groupOfCharacter_.assign(0x10000, 0);
    const auto first = static_cast<uint16_t>(run >> 48);
    const uint16_t folded = FoldedCharacter(first);
    uint16_t& slot = groupOfCharacter_[folded];
    if (slot == 0) {
        if (groups_.size() == UINT16_MAX)
            throw std::length_error("more first characters of runs than a code page has");
        groups_.push_back(Group{});
        groups_.back().firstCharacter = folded;
        slot = static_cast<uint16_t>(groups_.size());
    }
    Group& group = groups_[slot - 1];
    const uint64_t rest = run << 16;
    const int characters = rest == 0 ? 0 : (64 - std::countr_zero(rest) + 15) / 16;
    const uint32_t step = topic - group.lastTopic;
    group.lastTopic = topic;
    PutByte(group, static_cast<uint8_t>(characters | (first != folded ? kUpperFlag : 0) |
                                        std::min(step, kLongStep) << kStepShift));
    if (step >= kLongStep) {
        for (uint32_t more = step - kLongStep;; more >>= 7) {
            PutByte(group, static_cast<uint8_t>(more >= 0x80 ? (more & 0x7F) | 0x80 : more));
            if (more < 0x80)
                break;
        }
    }
    for (int shift = 56; shift > 56 - 16 * characters; shift -= 8)
        PutByte(group, static_cast<uint8_t>(rest >> shift));
    ++pairs_;
}

void RunGroups::PutByte(Group& group, uint8_t byte) {
    if (group.lastChunkUsed == kChunkSize) {
        const uint64_t chunk = NewChunk();
        if (group.lastChunk == kNoChunk)
            group.firstChunk = chunk;
        else
            std::copy_n(reinterpret_cast<const uint8_t*>(&chunk), kLinkSize, ChunkAt(group.lastChunk));
        group.lastChunk = chunk;
        group.lastChunkUsed = kLinkSize;
    }
    ChunkAt(group.lastChunk)[group.lastChunkUsed++] = byte;
}

uint64_t RunGroups::NewChunk() {
    if (blocks_.empty() || blockUsed_ == blocks_.back().size()) {
        const size_t size = blocks_.empty() ? kFirstBlock : std::min(blocks_.back().size() * 2, kLargestBlock);
        blocks_.emplace_back(size);
        blockUsed_ = 0;
    }
    const uint64_t chunk = uint64_t{blocks_.size() - 1} << 32 | blockUsed_;
    blockUsed_ += kChunkSize;
    std::fill_n(ChunkAt(chunk), kLinkSize, uint8_t{0xFF}); // no next chunk yet
    return chunk;
}

std::vector<uint32_t> RunGroups::GroupsInOrder() const {
    std::vector<uint32_t> order;
    order.reserve(groups_.size());
    for (const uint16_t slot : groupOfCharacter_)
        if (slot != 0)
            order.push_back(slot - 1u);
    return order;
}

void RunGroups::Read(uint32_t group, std::vector<RunInTopic>& pairs) const {
    pairs.clear();
    const Group& from = groups_[group];
    uint64_t chunk = from.firstChunk;
    size_t at = kLinkSize;
    const auto next = [&] {
        if (at == kChunkSize) {
            std::copy_n(ChunkAt(chunk), kLinkSize, reinterpret_cast<uint8_t*>(&chunk));
            at = kLinkSize;
        }
        return ChunkAt(chunk)[at++];
    };
    const auto atEnd = [&] { return chunk == from.lastChunk && at == from.lastChunkUsed; };
    const uint64_t upperFirst = uint64_t{from.firstCharacter} - 0x20;
    uint32_t topic = 0;
    while (chunk != kNoChunk && !atEnd()) {
        const uint8_t head = next();
        uint32_t step = head >> kStepShift;
        if (step == kLongStep) {
            for (int shift = 0;; shift += 7) {
                const uint8_t byte = next();
                step += uint32_t{byte & 0x7Fu} << shift;
                if (byte < 0x80)
                    break;
            }
        }
        topic += step;
        uint64_t run = (head & kUpperFlag) != 0 ? upperFirst : from.firstCharacter;
        const int characters = head & 0x03;
        for (int k = 0; k < 2 * characters; ++k)
            run = run << 8 | next();
        run <<= 16 * (3 - characters);
        pairs.push_back(RunInTopic{FoldedBytes(run), run, topic});
    }
    // Each page added its runs once, so the pairs are unique. Sorted, the runs that fold alike stand together with
    // their topics ascending; a topic holding more than one spelling comes once per spelling.
    std::sort(pairs.begin(), pairs.end(), [](const RunInTopic& a, const RunInTopic& b) {
        if (a.folded != b.folded)
            return a.folded < b.folded;
        return a.topic != b.topic ? a.topic < b.topic : a.run < b.run;
    });
}

void RunGroups::Clear() {
    groupOfCharacter_ = {};
    groups_ = {};
    blocks_ = {};
    blockUsed_ = 0;
    pairs_ = 0;
}
