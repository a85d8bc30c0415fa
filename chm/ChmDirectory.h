#pragma once
// The container's directory: the header, sorted listing chunks (PMGL) and as many levels of index chunks (PMGI)
// as the listing needs, with the quick-reference tables readers use to search a chunk.
#include <cstdint>
#include <string>
#include <vector>

#include "ByteBuffer.h"

inline constexpr uint32_t kDirectoryChunkSize = 4096;
inline constexpr uint32_t kDirectoryHeaderSize = 0x54;

struct DirectoryEntry {
    std::string name; // UTF-8, "/page.html" or "::DataSpace/..."
    uint32_t section = 0;
    uint64_t offset = 0;
    uint64_t length = 0;
};

// Readers compare names case-insensitively in ASCII; the listing must be sorted the same way.
bool DirectoryNameLess(const std::string& left, const std::string& right);

struct DirectoryLayout {
    uint32_t listingChunks = 0;
    uint32_t indexChunks = 0;
    uint32_t depth = 1;
    int32_t rootChunk = -1;
};

// The directory header followed by every chunk. Entries must be sorted with DirectoryNameLess.
Bytes BuildDirectory(const std::vector<DirectoryEntry>& sortedEntries, uint32_t lcid,
                     DirectoryLayout* layout = nullptr);
