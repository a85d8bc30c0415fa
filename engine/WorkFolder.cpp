#include "WorkFolder.h"

#include "base/CleanupRegistry.h"
#include "base/FolderLock.h"
#include "base/NativeFile.h"
#include "base/Utf8Path.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace fs = std::filesystem;

namespace {

int LockFolder(const fs::path& folder) {
    bool locked = false;
    return ::LockFolder(folder, locked);
}

// Run folders of this user under parent that no live run holds: what a run killed outright (SIGKILL, a power cut)
// left behind. Names are prefix and the six characters mkdtemp adds, so other folders of ours are never touched.
void RemoveStaleRunFolders(const fs::path& parent, const std::string& prefix) {
    std::error_code code;
    for (fs::directory_iterator it(parent, code), end; !code && it != end; it.increment(code)) {
        const std::string name = Utf8FromPath(it->path().filename());
        if (name.size() != prefix.size() + 6 || name.rfind(prefix, 0) != 0 || !IsPrivateFolder(it->path()))
            continue;
        bool locked = false;
        const int lock = ::LockFolder(it->path(), locked);
        if (lock < 0)
            continue;
        std::error_code ignored;
        if (locked) // no live run holds it
            fs::remove_all(it->path(), ignored);
        UnlockFolder(lock);
    }
}

} // namespace

WorkFolder::WorkFolder(fs::path path, bool owned, int lock) : path_(std::move(path)), owned_(owned), lock_(lock) {
    if (owned_)
        slot_ = RegisterFolderForCleanup(path_);
}

WorkFolder::~WorkFolder() {
    Remove();
    UnlockFolder(lock_);
}

std::unique_ptr<WorkFolder> WorkFolder::CreateIn(const fs::path& parent, const std::string& prefix,
                                                 std::string& error) {
    std::error_code code;
    fs::create_directories(parent, code);
    RemoveStaleRunFolders(parent, prefix);
    // A folder a stale-folder sweep of another run took between its making and its lock is given up for a new one.
    for (int attempt = 0; attempt < 8; ++attempt) {
        std::string pattern = Utf8FromPath(parent / PathFromUtf8(prefix + "XXXXXX"));
        if (!CreateUniqueFolder(pattern)) {
            error = "cannot create a folder in " + Utf8FromPath(parent) + ": " + std::strerror(errno);
            return nullptr;
        }
        if (const int lock = LockFolder(PathFromUtf8(pattern)); lock >= 0)
            return std::unique_ptr<WorkFolder>(new WorkFolder(PathFromUtf8(pattern), true, lock));
        std::error_code ignored;
        fs::remove(PathFromUtf8(pattern), ignored);
    }
    error = "cannot hold a folder of its own in " + Utf8FromPath(parent);
    return nullptr;
}

std::unique_ptr<WorkFolder> WorkFolder::CreatePrivate(std::string& error) {
    // Beside the user's other cache, else in the user's runtime folder; either only when no one else can change it.
    for (const fs::path& base : {UserCacheFolder(), UserRuntimeFolder()}) {
        if (base.empty())
            continue;
        const fs::path runs = base / "leafbind";
        std::error_code code;
        fs::create_directories(base, code);
        CreatePrivateFolder(runs);
        if (!IsPrivateFolder(runs))
            continue;
        SpreadFoldersBelow(runs); // also a folder an earlier version made
        if (auto folder = CreateIn(runs, "run-", error))
            return folder;
    }
    // A folder of its own, made private, straight in the temporary folder: no shared folder between.
    std::error_code code;
    fs::path temporary = fs::temp_directory_path(code);
    if (code)
        temporary = fs::path("/tmp");
    return CreateIn(temporary, "leafbind-run-", error);
}

std::unique_ptr<WorkFolder> WorkFolder::UseKept(const fs::path& folder, std::string& error) {
    const fs::path path = fs::absolute(folder);
    std::error_code code;
    const fs::file_status status = fs::symlink_status(path, code);
    if (!fs::exists(status) && (!fs::create_directories(path, code) || code)) {
        error = "cannot create " + Utf8FromPath(path) + (code ? ": " + code.message() : "");
        return nullptr;
    }
    if (fs::exists(status) && !fs::is_directory(status)) {
        error = "the folder to keep the pages in must be new or empty: " + Utf8FromPath(path);
        return nullptr;
    }
    // Locked before it is found empty: of two runs given the same folder at once, the second is refused.
    const int lock = LockFolder(path);
    if (lock < 0) {
        error = "the folder to keep the pages in is in use by another run: " + Utf8FromPath(path);
        return nullptr;
    }
    if (!fs::is_empty(path, code) || code) {
        UnlockFolder(lock);
        error = "the folder to keep the pages in must be new or empty: " + Utf8FromPath(path);
        return nullptr;
    }
    return std::unique_ptr<WorkFolder>(new WorkFolder(path, false, lock));
}

std::string WorkFolder::Remove() {
    if (!owned_ || path_.empty())
        return {};
    std::error_code code;
    fs::remove_all(path_, code);
    std::string message;
    if (code && code != std::errc::no_such_file_or_directory)
        message = "could not remove the working folder " + Utf8FromPath(path_) + ": " + code.message();
    UnregisterFolder(slot_);
    slot_ = -1;
    path_.clear();
    return message;
}

fs::path UserCacheFolder() {
    if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache && fs::path(cache).is_absolute())
        return cache;
    if (const char* home = std::getenv("HOME"); home && fs::path(home).is_absolute())
        return fs::path(home) / ".cache";
    return {};
}

fs::path UserRuntimeFolder() {
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && fs::path(runtime).is_absolute())
        return runtime;
    return {};
}

void RemoveWorkFoldersOnSignals() {
    CleanUpOnInterruption();
}

void RemoveWorkFoldersNow() {
    CleanUpRegistered();
}
