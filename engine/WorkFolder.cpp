#include "WorkFolder.h"

#include "base/CleanupRegistry.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

void OnSignal(int signal) {
    CleanUpRegistered();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// Every run fills its folder with thousands of pages and removes them at the end. Without a journal, ext4 steps
// past each recently freed inode of a group, one cache lookup at a time, for every file it creates there, so a
// run after a run spent seconds in the kernel. Folders under one marked as a top of hierarchies are spread over
// the groups instead of kept beside each other. Best effort: other file systems do not know the flag.
void SpreadFoldersBelow(const fs::path& folder) {
    const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (descriptor < 0)
        return;
    int flags = 0;
    if (::ioctl(descriptor, FS_IOC_GETFLAGS, &flags) == 0 && (flags & FS_TOPDIR_FL) == 0) {
        flags |= FS_TOPDIR_FL;
        ::ioctl(descriptor, FS_IOC_SETFLAGS, &flags);
    }
    ::close(descriptor);
}

// The lock that marks a folder as in use by a live run: held on the open folder, so it goes with the process however
// it ends. -1 when another run holds it or the folder is gone (nothing links to it any more). Where the file system
// keeps no such locks (some network file systems), the folder is used unlocked: stale folders there are never
// taken for a dead run's, and a shared kept folder goes unnoticed as before.
int LockFolder(const fs::path& folder, bool& locked) {
    locked = false;
    const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (descriptor < 0)
        return -1;
    locked = ::flock(descriptor, LOCK_EX | LOCK_NB) == 0;
    const bool heldElsewhere = !locked && errno == EWOULDBLOCK;
    struct stat status {};
    if (heldElsewhere || ::fstat(descriptor, &status) != 0 || status.st_nlink == 0) {
        ::close(descriptor);
        return -1;
    }
    return descriptor;
}

int LockFolder(const fs::path& folder) {
    bool locked = false;
    return LockFolder(folder, locked);
}

// A folder of ours no one else can change: a real folder (no link), owned by this user, written by no one else.
bool IsPrivateFolder(const fs::path& folder) {
    struct stat status {};
    return ::lstat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode) && status.st_uid == ::geteuid() &&
           (status.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

// Run folders of this user under parent that no live run holds: what a run killed outright (SIGKILL, a power cut)
// left behind. Names are prefix and the six characters mkdtemp adds, so other folders of ours are never touched.
void RemoveStaleRunFolders(const fs::path& parent, const std::string& prefix) {
    std::error_code code;
    for (fs::directory_iterator it(parent, code), end; !code && it != end; it.increment(code)) {
        const std::string name = it->path().filename().string();
        if (name.size() != prefix.size() + 6 || name.rfind(prefix, 0) != 0 || !IsPrivateFolder(it->path()))
            continue;
        bool locked = false;
        const int lock = LockFolder(it->path(), locked);
        if (lock < 0)
            continue;
        std::error_code ignored;
        if (locked) // no live run holds it
            fs::remove_all(it->path(), ignored);
        ::close(lock);
    }
}

} // namespace

WorkFolder::WorkFolder(fs::path path, bool owned, int lock) : path_(std::move(path)), owned_(owned), lock_(lock) {
    if (owned_)
        slot_ = RegisterFolderForCleanup(path_);
}

WorkFolder::~WorkFolder() {
    Remove();
    if (lock_ >= 0)
        ::close(lock_);
}

std::unique_ptr<WorkFolder> WorkFolder::CreateIn(const fs::path& parent, const std::string& prefix,
                                                 std::string& error) {
    std::error_code code;
    fs::create_directories(parent, code);
    RemoveStaleRunFolders(parent, prefix);
    // A folder a stale-folder sweep of another run took between its making and its lock is given up for a new one.
    for (int attempt = 0; attempt < 8; ++attempt) {
        std::string pattern = (parent / (prefix + "XXXXXX")).string();
        if (!::mkdtemp(pattern.data())) {
            error = "cannot create a folder in " + parent.string() + ": " + std::strerror(errno);
            return nullptr;
        }
        if (const int lock = LockFolder(pattern); lock >= 0)
            return std::unique_ptr<WorkFolder>(new WorkFolder(fs::path(pattern), true, lock));
        ::rmdir(pattern.c_str());
    }
    error = "cannot hold a folder of its own in " + parent.string();
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
        ::mkdir(runs.c_str(), 0700);
        if (!IsPrivateFolder(runs))
            continue;
        SpreadFoldersBelow(runs); // also a folder an earlier version made
        if (auto folder = CreateIn(runs, "run-", error))
            return folder;
    }
    // A folder of its own, made by mkdtemp (mode 0700), straight in the temporary folder: no shared folder between.
    std::error_code code;
    fs::path temporary = fs::temp_directory_path(code);
    if (code)
        temporary = "/tmp";
    return CreateIn(temporary, "leafbind-run-", error);
}

std::unique_ptr<WorkFolder> WorkFolder::UseKept(const fs::path& folder, std::string& error) {
    const fs::path path = fs::absolute(folder);
    std::error_code code;
    const fs::file_status status = fs::symlink_status(path, code);
    if (!fs::exists(status) && (!fs::create_directories(path, code) || code)) {
        error = "cannot create " + path.string() + (code ? ": " + code.message() : "");
        return nullptr;
    }
    if (fs::exists(status) && !fs::is_directory(status)) {
        error = "the folder to keep the pages in must be new or empty: " + path.string();
        return nullptr;
    }
    // Locked before it is found empty: of two runs given the same folder at once, the second is refused.
    const int lock = LockFolder(path);
    if (lock < 0) {
        error = "the folder to keep the pages in is in use by another run: " + path.string();
        return nullptr;
    }
    if (!fs::is_empty(path, code) || code) {
        ::close(lock);
        error = "the folder to keep the pages in must be new or empty: " + path.string();
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
        message = "could not remove the working folder " + path_.string() + ": " + code.message();
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
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    // A reader that goes away (leafbind-cli ... | head) ends the run as an interruption does.
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE})
        sigaction(signal, &action, nullptr);
}

void RemoveWorkFoldersNow() {
    CleanUpRegistered();
}
