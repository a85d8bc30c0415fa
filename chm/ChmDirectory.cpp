#include "ChmDirectory.h"

#include <algorithm>

namespace {

constexpr uint32_t kListingHeaderSize = 20;
constexpr uint32_t kIndexHeaderSize = 8;
// Readers jump to every (1 + 2^density)-th entry through the quick-reference table.
constexpr uint32_t kQuickRefDensity = 2;
constexpr uint32_t kQuickRefSpacing = 1 + (1u << kQuickRefDensity);

const uint8_t kDirectoryGuid[16] = {0x6A, 0x92, 0x02, 0x5D, 0x2E, 0x21, 0xD0, 0x11,
                                    0x9D, 0xF9, 0x00, 0xA0, 0xC9, 0x22, 0xE6, 0xEC};

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Room for the entry count and one offset per group of entries, with one group spare so that a reader that
// rounds the group count up still finds its table inside the free area.
uint32_t QuickRefSize(uint32_t entryCount) {
    return 2 + 2 * (entryCount / kQuickRefSpacing + 1);
}

// Encoded entries for one chunk kind, packed greedily into chunks.
struct PackedChunk {
    Bytes entries;
    std::vector<uint16_t> entryOffsets;
    std::string firstName;
};

std::vector<PackedChunk> Pack(const std::vector<std::pair<std::string, Bytes>>& encoded, uint32_t headerSize) {
    std::vector<PackedChunk> chunks(1);
    for (const auto& [name, bytes] : encoded) {
        PackedChunk* chunk = &chunks.back();
        const auto count = static_cast<uint32_t>(chunk->entryOffsets.size());
        const size_t needed = headerSize + chunk->entries.size() + bytes.size() + QuickRefSize(count + 1);
        if (count > 0 && needed > kDirectoryChunkSize) {
            chunks.emplace_back();
            chunk = &chunks.back();
        }
        if (chunk->entryOffsets.empty())
            chunk->firstName = name;
        chunk->entryOffsets.push_back(static_cast<uint16_t>(chunk->entries.size()));
        chunk->entries.insert(chunk->entries.end(), bytes.begin(), bytes.end());
    }
    return chunks;
}

void WriteQuickRef(Bytes& chunk, const PackedChunk& packed) {
    const auto count = static_cast<uint32_t>(packed.entryOffsets.size());
    size_t at = kDirectoryChunkSize - 2;
    chunk[at] = static_cast<uint8_t>(count);
    chunk[at + 1] = static_cast<uint8_t>(count >> 8);
    for (uint32_t group = 1; group * kQuickRefSpacing < count; ++group) {
        at -= 2;
        const uint16_t offset = packed.entryOffsets[group * kQuickRefSpacing];
        chunk[at] = static_cast<uint8_t>(offset);
        chunk[at + 1] = static_cast<uint8_t>(offset >> 8);
    }
}

Bytes ListingChunk(const PackedChunk& packed, int32_t previous, int32_t next) {
    ByteBuffer chunk;
    chunk.PutText("PMGL");
    chunk.PutU32(static_cast<uint32_t>(kDirectoryChunkSize - kListingHeaderSize - packed.entries.size()));
    chunk.PutU32(0);
    chunk.PutU32(static_cast<uint32_t>(previous));
    chunk.PutU32(static_cast<uint32_t>(next));
    chunk.PutBytes(packed.entries);
    chunk.PutZeros(kDirectoryChunkSize - chunk.Size());
    Bytes bytes = chunk.Take();
    WriteQuickRef(bytes, packed);
    return bytes;
}

Bytes IndexChunk(const PackedChunk& packed) {
    ByteBuffer chunk;
    chunk.PutText("PMGI");
    chunk.PutU32(static_cast<uint32_t>(kDirectoryChunkSize - kIndexHeaderSize - packed.entries.size()));
    chunk.PutBytes(packed.entries);
    chunk.PutZeros(kDirectoryChunkSize - chunk.Size());
    Bytes bytes = chunk.Take();
    WriteQuickRef(bytes, packed);
    return bytes;
}

Bytes EncodeName(const std::string& name) {
    ByteBuffer bytes;
    bytes.PutEncInt(name.size());
    bytes.PutText(name);
    return bytes.Take();
}

} // namespace

bool DirectoryNameLess(const std::string& left, const std::string& right) {
    return std::lexicographical_compare(left.begin(), left.end(), right.begin(), right.end(), [](char a, char b) {
        return static_cast<unsigned char>(LowerAscii(a)) < static_cast<unsigned char>(LowerAscii(b));
    });
}

Bytes BuildDirectory(const std::vector<DirectoryEntry>& sortedEntries, uint32_t lcid, DirectoryLayout* layout) {
    std::vector<std::pair<std::string, Bytes>> listingEntries;
    listingEntries.reserve(sortedEntries.size());
    for (const DirectoryEntry& entry : sortedEntries) {
        ByteBuffer bytes;
        bytes.PutBytes(EncodeName(entry.name));
        bytes.PutEncInt(entry.section);
        bytes.PutEncInt(entry.offset);
        bytes.PutEncInt(entry.length);
        listingEntries.emplace_back(entry.name, bytes.Take());
    }
    const std::vector<PackedChunk> listing = Pack(listingEntries, kListingHeaderSize);
    const auto listingCount = static_cast<int32_t>(listing.size());
    std::vector<Bytes> chunks;
    for (int32_t i = 0; i < listingCount; ++i)
        chunks.push_back(ListingChunk(listing[i], i - 1, i + 1 < listingCount ? i + 1 : -1));

    // Index levels, each pointing at the first name of every chunk one level down, until one chunk is left.
    DirectoryLayout result;
    result.listingChunks = static_cast<uint32_t>(listingCount);
    std::vector<std::pair<std::string, int32_t>> level;
    for (int32_t i = 0; i < listingCount; ++i)
        level.emplace_back(listing[i].firstName, i);
    while (level.size() > 1) {
        std::vector<std::pair<std::string, Bytes>> indexEntries;
        for (const auto& [name, chunkNumber] : level) {
            ByteBuffer bytes;
            bytes.PutBytes(EncodeName(name));
            bytes.PutEncInt(static_cast<uint64_t>(chunkNumber));
            indexEntries.emplace_back(name, bytes.Take());
        }
        std::vector<std::pair<std::string, int32_t>> upper;
        for (const PackedChunk& packed : Pack(indexEntries, kIndexHeaderSize)) {
            upper.emplace_back(packed.firstName, static_cast<int32_t>(chunks.size()));
            chunks.push_back(IndexChunk(packed));
        }
        level = std::move(upper);
        ++result.depth;
        result.rootChunk = level.front().second;
    }
    result.indexChunks = static_cast<uint32_t>(chunks.size()) - result.listingChunks;

    ByteBuffer directory;
    directory.PutText("ITSP");
    directory.PutU32(1);
    directory.PutU32(kDirectoryHeaderSize);
    directory.PutU32(0x0A);
    directory.PutU32(kDirectoryChunkSize);
    directory.PutU32(kQuickRefDensity);
    directory.PutU32(result.depth);
    directory.PutU32(static_cast<uint32_t>(result.rootChunk));
    directory.PutU32(0);
    directory.PutU32(result.listingChunks - 1);
    directory.PutU32(0xFFFFFFFF);
    directory.PutU32(static_cast<uint32_t>(chunks.size()));
    directory.PutU32(lcid);
    directory.PutBytes(kDirectoryGuid, sizeof kDirectoryGuid);
    directory.PutU32(kDirectoryHeaderSize);
    directory.PutU32(0xFFFFFFFF);
    directory.PutU32(0xFFFFFFFF);
    directory.PutU32(0xFFFFFFFF);
    for (const Bytes& chunk : chunks)
        directory.PutBytes(chunk);
    if (layout != nullptr)
        *layout = result;
    return directory.Take();
}
