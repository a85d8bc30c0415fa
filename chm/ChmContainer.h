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

namespace chm {

inline constexpr std::size_t kMaxInternalNameLength = 1024;

struct ContainerSettings {
    std::uint32_t lcid = 0x409;
    std::uint32_t timestamp = 0;
    LzxSettings lzx;
};

class ChmContainer {
public:
    // Compression of the section starts as soon as its first interval is complete.
    explicit ChmContainer(const ContainerSettings& settings);

    // name is UTF-8 and starts with "/" (content) or "::" (storage); a name may be added once. Compressed
    // files are copied straight into the section, once: help files are mostly pages, tens of megabytes.
    bool AddFile(const std::string& name, std::span<const std::uint8_t> data, bool compressed = true);
    bool AddFile(const std::string& name, std::string_view data, bool compressed = true);
    bool HasFile(const std::string& name) const;
    // The complete file; call once. Empty when a name was refused.
    Bytes Build();
    const std::string& Error() const { return error; }

private:
    struct InternalFile {
        std::string name;
        Bytes data;
    };
    struct CompressedFile {
        std::string name;
        std::uint64_t offset = 0;
        std::uint64_t length = 0;
    };
    ContainerSettings settings;
    LzxStreamCompressor section1;
    std::vector<CompressedFile> compressedFiles;
    std::vector<InternalFile> uncompressedFiles;
    std::unordered_set<std::string> names;
    std::string error;
};

} // namespace chm
