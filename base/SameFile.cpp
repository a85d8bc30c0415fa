#include "base/SameFile.h"

namespace fs = std::filesystem;

namespace {

// The path with its links followed as far as it exists; spelled out in full when even that cannot be read.
fs::path Resolved(const fs::path& path) {
    std::error_code code;
    fs::path absolute = fs::absolute(path, code);
    if (code)
        absolute = path;
    fs::path resolved = fs::weakly_canonical(absolute, code);
    return code ? absolute.lexically_normal() : resolved;
}

} // namespace

bool SameFile(const fs::path& a, const fs::path& b) {
    std::error_code code;
    const bool same = fs::equivalent(a, b, code);
    // Without an error the answer is final (a path that exists is never one that does not). Following every link
    // of both paths as well cost a compile of 2,000 pages 20,000 system calls, asked once per page.
    if (!code)
        return same;
    return Resolved(a) == Resolved(b);
}
