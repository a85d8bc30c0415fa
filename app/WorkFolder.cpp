#include "WorkFolder.h"

#include <cstdlib>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

bool CreateWritableFolder(const fs::path& folder) {
    std::error_code error;
    fs::create_directories(folder, error);
    return fs::is_directory(folder, error) && ::access(folder.c_str(), W_OK | X_OK) == 0;
}

} // namespace

fs::path PrepareWorkFolder(const fs::path& programFolder, const fs::path& userCacheFolder) {
    const fs::path besideProgram = programFolder / "Temp";
    if (CreateWritableFolder(besideProgram))
        return besideProgram;
    const fs::path perUser = userCacheFolder / "leafbind" / "Temp";
    CreateWritableFolder(perUser);
    return perUser;
}

fs::path UserCacheFolder() {
    if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache && fs::path(cache).is_absolute())
        return cache;
    const char* home = std::getenv("HOME");
    return fs::path(home ? home : "/tmp") / ".cache";
}
