#pragma once
// Assembles a whole help file: file header, directory, the uncompressed section 0 and the LZX-compressed
// section 1 with its control data, reset table and span info. Internal files are added by name, so later
// additions (such as a full-text index) need nothing new here.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "ByteBuffer.h"
#include "LzxCompressor.h"

inline constexpr size_t kMaxInternalNameLength = 1024;

struct ContainerSettings {
    uint32_t lcid = 0x409;
    uint32_t timestamp = 0;
    LzxSettings lzx;
};

class ChmContainer {
public:
    // Compression of the section starts as soon as its first interval is complete.
    explicit ChmContainer(const ContainerSettings& settings);

    // name is UTF-8 and starts with "/" (content) or "::" (storage); a name may be added once. Compressed
    // files are copied straight into the section, once: help files are mostly pages, tens of megabytes.
    bool AddFile(const std::string& name, std::span<const uint8_t> data, bool compressed = true);
    bool AddFile(const std::string& name, std::string_view data, bool compressed = true);
    bool HasFile(const std::string& name) const;
    // The complete file; call once. Empty when a name was refused.
    Bytes Build();
    const std::string& Error() const { return error_; }

private:
    struct InternalFile {
        std::string name;
        Bytes data;
    };
    struct CompressedFile {
        std::string name;
        uint64_t offset = 0;
        uint64_t length = 0;
    };
    ContainerSettings settings_;
    LzxStreamCompressor section1_;
    std::vector<CompressedFile> compressedFiles_;
    std::vector<InternalFile> uncompressedFiles_;
    std::unordered_set<std::string> names_;
    std::string error_;
};
