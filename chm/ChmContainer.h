#pragma once
// Assembles a whole help file: file header, directory, the uncompressed section 0 and the LZX-compressed
// section 1 with its control data, reset table and span info. Internal files are added by name, so later
// additions (such as a full-text index) need nothing new here.
#include <cstdint>
#include <string>
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
    // name is UTF-8 and starts with "/" (content) or "::" (storage); a name may be added once.
    bool AddFile(const std::string& name, Bytes data, bool compressed = true);
    bool HasFile(const std::string& name) const;
    // The complete file. Empty when a name was refused.
    Bytes Build(const ContainerSettings& settings) const;
    const std::string& Error() const { return error; }

private:
    struct InternalFile {
        std::string name;
        Bytes data;
        bool compressed = true;
    };
    std::vector<InternalFile> files;
    std::unordered_set<std::string> names;
    std::string error;
};

} // namespace chm
