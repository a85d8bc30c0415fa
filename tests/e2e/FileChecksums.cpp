#include "FileChecksums.h"

#include <cstdio>
#include <fstream>

namespace fs = std::filesystem;

std::string FileChecksum(const fs::path& path) {
    std::error_code code;
    const fs::file_status status = fs::symlink_status(path, code);
    if (fs::is_symlink(status))
        return "link to " + fs::read_symlink(path, code).string();
    if (fs::is_directory(status))
        return "folder";
    if (!fs::is_regular_file(status))
        return fs::exists(status) ? "special" : "missing";
    std::ifstream in(path, std::ios::binary);
    uint64_t hash = 0xcbf29ce484222325ull;
    uint64_t size = 0;
    for (char c; in.get(c); ++size)
        hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3ull;
    char text[64];
    std::snprintf(text, sizeof text, "%016llx/%llu", static_cast<unsigned long long>(hash),
                  static_cast<unsigned long long>(size));
    return text;
}

std::map<std::string, std::string> FolderChecksums(const fs::path& root) {
    std::map<std::string, std::string> sums;
    std::error_code code;
    for (fs::recursive_directory_iterator it(root, code), end; !code && it != end; it.increment(code))
        sums[fs::relative(it->path(), root).string()] = FileChecksum(it->path());
    return sums;
}
