#pragma once
// Assembles a whole help file: file header, directory, the uncompressed section 0 and the LZX-compressed
// section 1 with its control data, reset table and span info. Internal files are added by name, so later
// additions (such as a full-text index) need nothing new here. Files stored uncompressed (pictures, mostly) wait
// in a nameless temporary file in the spool folder, not in memory, and the help file is written out piece by
// piece: the container never holds the whole file.
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "ByteBuffer.h"
#include "LzxCompressor.h"
#include "base/Status.h"

inline constexpr size_t kMaxInternalNameLength = 1024;

struct ContainerSettings {
    uint32_t lcid = 0x409;
    uint32_t timestamp = 0;
    LzxSettings lzx;
    // Where uncompressed files wait until the help file is written; empty: in memory.
    std::string spoolFolder;
};

class ChmContainer {
public:
    // Compression of the section starts as soon as its first interval is complete. A section given already holds
    // the first files the caller will add compressed (pages compressed while they were made): those additions are
    // only recorded, and the caller vouches that they are the same bytes in the same order.
    explicit ChmContainer(const ContainerSettings& settings, std::unique_ptr<LzxStreamCompressor> section = nullptr);
    ~ChmContainer();
    ChmContainer(const ChmContainer&) = delete;
    ChmContainer& operator=(const ChmContainer&) = delete;

    // name is UTF-8 and starts with "/" (content) or "::" (storage); a name may be added once. Compressed
    // files are copied straight into the section, once: help files are mostly pages, tens of megabytes. Damaged
    // for a name refused, Io when the spool cannot be written.
    Status AddFile(const std::string& name, std::span<const uint8_t> data, bool compressed = true);
    Status AddFile(const std::string& name, std::string_view data, bool compressed = true);
    bool HasFile(const std::string& name) const;
    // Writes the complete file to descriptor; call once. The first refused addition, if any, and nothing
    // written; Io when a write fails.
    Status Write(int descriptor);

private:
    struct StoredFile {
        std::string name;
        uint64_t offset = 0;
        uint64_t length = 0;
    };
    ContainerSettings settings_;
    std::unique_ptr<LzxStreamCompressor> section1_;
    uint64_t prefilled_ = 0;       // bytes the section held when it was given
    uint64_t compressedBytes_ = 0; // bytes of the compressed files added so far
    Status Store(std::span<const uint8_t> data);

    std::vector<StoredFile> compressedFiles_;
    std::vector<StoredFile> uncompressedFiles_; // offsets in the spool
    int spool_ = -1;
    uint64_t spoolSize_ = 0;
    Bytes spoolInMemory_;
    std::unordered_set<std::string> names_;
    Status firstFailure_;
};
