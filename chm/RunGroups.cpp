#include "RunGroups.h"

#include "base/LargeBlock.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <stdexcept>

namespace {

// A pair starts with one byte: the characters after the first (0 to 3), whether the first character's second
// byte is an upper-case letter (its group is by the folded one), and the topic's distance from the group's pair
// before when below 31; else 31 and the rest of the distance in 7-bit groups, low first. The characters' bytes
// follow.
constexpr uint8_t kUpperFlag = 0x04;
constexpr int kStepShift = 3;
constexpr uint32_t kLongStep = 31;
constexpr size_t kLongestPair = 1 + 5 + 6;

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
        ++bands_[folded >> kBandShift].liveGroups;
        slot = static_cast<uint16_t>(groups_.size());
    }
    Group& group = groups_[slot - 1];
    const uint64_t rest = run << 16;
    const int characters = rest == 0 ? 0 : (64 - std::countr_zero(rest) + 15) / 16;
    const uint32_t step = topic - group.lastTopic;
    uint8_t bytes[kLongestPair];
    size_t size = 0;
    bytes[size++] =
        static_cast<uint8_t>(characters | (first != folded ? kUpperFlag : 0) | std::min(step, kLongStep) << kStepShift);
    if (step >= kLongStep) {
        uint32_t more = step - kLongStep;
        for (; more >= 0x80; more >>= 7)
            bytes[size++] = static_cast<uint8_t>(more | 0x80);
        bytes[size++] = static_cast<uint8_t>(more);
    }
    for (int shift = 56; shift > 56 - 16 * characters; shift -= 8)
        bytes[size++] = static_cast<uint8_t>(rest >> shift);
    Append(group, bytes, size);
    group.lastTopic = topic;
    ++group.pairs;
    ++pairs_;
}

void RunGroups::Append(Group& group, const uint8_t* bytes, size_t size) {
    while (size > 0) {
        if (group.lastChunkUsed == group.lastChunkSize) {
            const size_t chunkSize = group.lastChunk == kNoChunk
                                         ? kFirstChunk
                                         : std::min<size_t>(size_t{group.lastChunkSize} * 2, kLargestChunk);
            const uint64_t chunk = NewChunk(group.firstCharacter >> kBandShift, chunkSize);
            if (group.lastChunk == kNoChunk)
                group.firstChunk = chunk;
            else
                std::memcpy(ChunkAt(group.lastChunk), &chunk, kLinkSize);
            group.lastChunk = chunk;
            group.lastChunkSize = static_cast<uint16_t>(chunkSize);
            group.lastChunkUsed = kLinkSize;
        }
        const size_t part = std::min<size_t>(size, group.lastChunkSize - group.lastChunkUsed);
        std::memcpy(ChunkAt(group.lastChunk) + group.lastChunkUsed, bytes, part);
        group.lastChunkUsed = static_cast<uint16_t>(group.lastChunkUsed + part);
        bytes += part;
        size -= part;
    }
}

uint64_t RunGroups::NewChunk(size_t band, size_t size) {
    Band& into = bands_[band];
    if (into.blocks.empty() || into.used + size > kBlockSize) {
        into.blocks.emplace_back(static_cast<uint8_t*>(AllocateLargeBlock(kBlockSize, false)));
        into.used = 0;
    }
    const uint64_t chunk = uint64_t{band} << 56 | uint64_t{into.blocks.size() - 1} << 32 | into.used;
    into.used += size;
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

void RunGroups::Read(uint32_t group, RunPairs& pairs) const {
    const Group& from = groups_[group];
    const size_t before = pairs.size();
    pairs.reserve(before + from.pairs);
    uint64_t chunk = from.firstChunk;
    size_t chunkSize = kFirstChunk;
    const uint8_t* start = nullptr;
    const uint8_t* at = nullptr;
    const uint8_t* end = nullptr;
    const auto enter = [&] {
        start = ChunkAt(chunk);
        at = start + kLinkSize;
        end = start + (chunk == from.lastChunk ? from.lastChunkUsed : chunkSize);
    };
    const auto next = [&] {
        if (at == end) {
            std::memcpy(&chunk, start, kLinkSize);
            chunkSize = std::min(chunkSize * 2, kLargestChunk);
            enter();
        }
        return *at++;
    };
    if (from.pairs > 0)
        enter();
    const uint64_t upperFirst = uint64_t{from.firstCharacter} - 0x20;
    uint32_t topic = 0;
    for (uint32_t k = 0; k < from.pairs; ++k) {
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
        for (int byte = 0; byte < 2 * characters; ++byte)
            run = run << 8 | next();
        run <<= 16 * (3 - characters);
        pairs.push_back(RunInTopic{FoldedBytes(run), run, topic});
    }
    // Each page added its runs once, so the pairs are unique. Sorted, the runs that fold alike stand together with
    // their topics ascending; a topic holding more than one spelling comes once per spelling.
    std::sort(pairs.begin() + static_cast<std::ptrdiff_t>(before), pairs.end(),
              [](const RunInTopic& a, const RunInTopic& b) {
                  if (a.folded != b.folded)
                      return a.folded < b.folded;
                  return a.topic != b.topic ? a.topic < b.topic : a.run < b.run;
              });
}

void RunGroups::FreeBlock::operator()(uint8_t* block) const {
    FreeLargeBlock(block, kBlockSize);
}

void RunGroups::Release(uint32_t group) {
    Group& done = groups_[group];
    if (done.firstChunk == kNoChunk && done.pairs == 0)
        return;
    done = Group{.firstCharacter = done.firstCharacter};
    Band& band = bands_[done.firstCharacter >> kBandShift];
    if (--band.liveGroups == 0)
        band = Band{};
}

void RunGroups::Clear() {
    groupOfCharacter_ = {};
    groups_ = {};
    bands_ = {};
    pairs_ = 0;
}

RunGroupReader::RunGroupReader(RunGroups& groups) : groups_(groups), order_(groups.GroupsInOrder()) {
    ReadAhead();
}

bool RunGroupReader::Next(RunPairs& pairs) {
    for (; released_ < taken_; ++released_)
        groups_.Release(order_[released_]);
    if (taken_ == order_.size())
        return false;
    pairs = ahead_.get();
    taken_ = readAhead_;
    ReadAhead();
    return true;
}

void RunGroupReader::ReadAhead() {
    const size_t from = readAhead_;
    size_t pairs = 0;
    while (readAhead_ < order_.size() && (pairs == 0 || pairs + groups_.Pairs(order_[readAhead_]) <= kBatchPairs))
        pairs += groups_.Pairs(order_[readAhead_++]);
    if (from == readAhead_)
        return;
    RunPairs batch;
    batch.reserve(pairs);
    ahead_ = std::async(std::launch::async, [this, from, to = readAhead_, batch = std::move(batch)]() mutable {
        for (size_t k = from; k < to; ++k)
            groups_.Read(order_[k], batch);
        return std::move(batch);
    });
}
