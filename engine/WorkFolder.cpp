#include "WorkFolder.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// What a signal handler may read: fixed slots, each published only once its path is complete.
constexpr size_t kSlots = 32;
constexpr size_t kPathBytes = 4096;
enum SlotState : int { kFree, kFilling, kReady, kClearing };
struct Slot {
    std::atomic<int> state{kFree};
    char path[kPathBytes];
};
std::array<Slot, kSlots> slots;

int Register(const fs::path& path) {
    const std::string text = path.string();
    if (text.size() >= kPathBytes)
        return -1;
    for (size_t i = 0; i < kSlots; ++i) {
        int expected = kFree;
        if (slots[i].state.compare_exchange_strong(expected, kFilling)) {
            std::memcpy(slots[i].path, text.c_str(), text.size() + 1);
            slots[i].state = kReady;
            return static_cast<int>(i);
        }
    }
    return -1;
}

void Unregister(int slot) {
    if (slot >= 0)
        slots[static_cast<size_t>(slot)].state = kFree;
}

// Removes name under the open folder parent with nothing but system calls a signal handler may make. Entries are
// read again after each pass, since removing entries while reading a folder may skip some.
void RemoveTreeAt(int parent, const char* name, int depth) {
    if (::unlinkat(parent, name, 0) == 0 || (errno != EISDIR && errno != EPERM) || depth > 32)
        return;
    const int folder = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (folder < 0)
        return;
    struct Entry {
        uint64_t inode;
        int64_t offset;
        unsigned short length;
        unsigned char type;
        char name[1];
    };
    alignas(8) char buffer[2048];
    for (bool removedSome = true; removedSome;) {
        removedSome = false;
        ::lseek(folder, 0, SEEK_SET);
        for (long got; (got = ::syscall(SYS_getdents64, folder, buffer, sizeof buffer)) > 0;) {
            for (long at = 0; at < got;) {
                const auto* entry = reinterpret_cast<const Entry*>(buffer + at);
                at += entry->length;
                if (std::strcmp(entry->name, ".") == 0 || std::strcmp(entry->name, "..") == 0)
                    continue;
                RemoveTreeAt(folder, entry->name, depth + 1);
                removedSome = true;
            }
        }
    }
    ::close(folder);
    ::unlinkat(parent, name, AT_REMOVEDIR);
}

void RemoveRegistered() {
    for (Slot& slot : slots) {
        int expected = kReady;
        if (slot.state.compare_exchange_strong(expected, kClearing)) {
            RemoveTreeAt(AT_FDCWD, slot.path, 0);
            slot.state = kFree;
        }
    }
}

void OnSignal(int signal) {
    const int savedErrno = errno;
    RemoveRegistered();
    errno = savedErrno;
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

} // namespace

WorkFolder::WorkFolder(fs::path path, bool owned) : path_(std::move(path)), owned_(owned) {
    if (owned_)
        slot_ = Register(path_);
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
    if (auto folder = CreateIn(UserCacheFolder() / "leafbind", "run-", error))
        return folder;
    std::error_code code;
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
    Unregister(slot_);
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
    RemoveRegistered();
}
