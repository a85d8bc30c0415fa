#include "WorkFolder.h"

#include "base/CleanupRegistry.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
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

} // namespace

WorkFolder::WorkFolder(fs::path path, bool owned) : path_(std::move(path)), owned_(owned) {
    if (owned_)
        slot_ = RegisterFolderForCleanup(path_);
}

WorkFolder::~WorkFolder() {
    Remove();
}

std::unique_ptr<WorkFolder> WorkFolder::CreateIn(const fs::path& parent, const std::string& prefix,
                                                 std::string& error) {
    std::error_code code;
    fs::create_directories(parent, code);
    std::string pattern = (parent / (prefix + "XXXXXX")).string();
    if (!::mkdtemp(pattern.data())) {
        error = "cannot create a folder in " + parent.string() + ": " + std::strerror(errno);
        return nullptr;
    }
    return std::unique_ptr<WorkFolder>(new WorkFolder(fs::path(pattern), true));
}

std::unique_ptr<WorkFolder> WorkFolder::CreatePrivate(std::string& error) {
    const fs::path runs = UserCacheFolder() / "leafbind";
    std::error_code code;
    fs::create_directories(runs, code);
    SpreadFoldersBelow(runs); // also a folder an earlier version made
    if (auto folder = CreateIn(runs, "run-", error))
        return folder;
    fs::path temporary = fs::temp_directory_path(code);
    if (code)
        temporary = "/tmp";
    return CreateIn(temporary, "leafbind-", error);
}

std::unique_ptr<WorkFolder> WorkFolder::UseKept(const fs::path& folder, std::string& error) {
    const fs::path path = fs::absolute(folder);
    std::error_code code;
    const fs::file_status status = fs::symlink_status(path, code);
    if (fs::exists(status)) {
        if (!fs::is_directory(status) || !fs::is_empty(path, code) || code) {
            error = "the folder to keep the pages in must be new or empty: " + path.string();
            return nullptr;
        }
    } else if (!fs::create_directories(path, code) || code) {
        error = "cannot create " + path.string() + (code ? ": " + code.message() : "");
        return nullptr;
    }
    return std::unique_ptr<WorkFolder>(new WorkFolder(path, false));
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
    const char* home = std::getenv("HOME");
    return fs::path(home && *home ? home : "/tmp") / ".cache";
}

void RemoveWorkFoldersOnSignals() {
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
}

void RemoveWorkFoldersNow() {
    CleanUpRegistered();
}
