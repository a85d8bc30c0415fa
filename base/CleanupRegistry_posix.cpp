#include "CleanupRegistry.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// What a signal handler may read: fixed slots, each published only once its path is complete.
constexpr size_t kFolderSlots = 32;
constexpr size_t kPathBytes = 4096;
enum SlotState : int { kFree, kFilling, kReady, kClearing };
struct FolderSlot {
    std::atomic<int> state{kFree};
    char path[kPathBytes];
};
std::array<FolderSlot, kFolderSlots> folders;

constexpr size_t kGroupSlots = 8;
std::array<std::atomic<std::intptr_t>, kGroupSlots> groups{};

// Removes name under the open folder parent; true when it is gone. A folder's entries are read again after each
// pass, since removing entries while reading a folder may skip some, but only while a pass removed something: an
// entry that cannot go (a subfolder without write permission) ends the work instead of repeating it for ever.
bool RemoveTreeAt(int parent, const char* name, int depth) {
    if (::unlinkat(parent, name, 0) == 0 || errno == ENOENT)
        return true;
    if ((errno != EISDIR && errno != EPERM) || depth > 32)
        return false;
    const int folder = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (folder < 0)
        return false;
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
                removedSome = RemoveTreeAt(folder, entry->name, depth + 1) || removedSome;
            }
        }
    }
    ::close(folder);
    return ::unlinkat(parent, name, AT_REMOVEDIR) == 0 || errno == ENOENT;
}

// What could not be removed, told on standard error with nothing but write(2), as a signal handler may.
void ReportLeftBehind(const char* path) {
    constexpr char kLead[] = "leafbind: could not remove ";
    constexpr char kTail[] = " (left as it is)\n";
    [[maybe_unused]] ssize_t ignored = ::write(STDERR_FILENO, kLead, sizeof kLead - 1);
    ignored = ::write(STDERR_FILENO, path, std::strlen(path));
    ignored = ::write(STDERR_FILENO, kTail, sizeof kTail - 1);
}

void OnSignal(int signal) {
    CleanUpRegistered();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

} // namespace

int RegisterFolderForCleanup(const std::filesystem::path& path) {
    const std::string text = path.string();
    if (text.size() >= kPathBytes)
        return -1;
    for (size_t i = 0; i < kFolderSlots; ++i) {
        int expected = kFree;
        if (folders[i].state.compare_exchange_strong(expected, kFilling)) {
            std::memcpy(folders[i].path, text.c_str(), text.size() + 1);
            folders[i].state = kReady;
            return static_cast<int>(i);
        }
    }
    return -1;
}

void UnregisterFolder(int slot) {
    if (slot >= 0 && static_cast<size_t>(slot) < kFolderSlots)
        folders[static_cast<size_t>(slot)].state = kFree;
}

void RegisterProgramGroup(std::intptr_t group) {
    for (std::atomic<std::intptr_t>& slot : groups) {
        std::intptr_t expected = 0;
        if (slot.compare_exchange_strong(expected, group))
            return;
    }
}

void UnregisterProgramGroup(std::intptr_t group) {
    for (std::atomic<std::intptr_t>& slot : groups) {
        std::intptr_t expected = group;
        if (slot.compare_exchange_strong(expected, 0))
            return;
    }
}

void CleanUpRegistered() {
    const int savedErrno = errno;
    // Programs first: a converter still writing into a folder would refill it.
    for (std::atomic<std::intptr_t>& slot : groups)
        if (const std::intptr_t group = slot.exchange(0); group > 0)
            ::kill(-static_cast<pid_t>(group), SIGKILL);
    for (FolderSlot& slot : folders) {
        int expected = kReady;
        if (slot.state.compare_exchange_strong(expected, kClearing)) {
            if (!RemoveTreeAt(AT_FDCWD, slot.path, 0))
                ReportLeftBehind(slot.path);
            slot.state = kFree;
        }
    }
    errno = savedErrno;
}

TemporaryFolder::TemporaryFolder(std::filesystem::path path)
    : path_(std::move(path)), slot_(RegisterFolderForCleanup(path_)) {}

TemporaryFolder::~TemporaryFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
    UnregisterFolder(slot_);
}

std::unique_ptr<TemporaryFolder> TemporaryFolder::Create(const std::string& prefix) {
    std::error_code error;
    std::filesystem::path parent = std::filesystem::temp_directory_path(error);
    if (error)
        parent = "/tmp";
    std::string pattern = (parent / (prefix + "XXXXXX")).string();
    if (!::mkdtemp(pattern.data()))
        return nullptr;
    return std::unique_ptr<TemporaryFolder>(new TemporaryFolder(pattern));
}

void CleanUpOnInterruption() {
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    // A reader that goes away (leafbind-cli ... | head) ends the run as an interruption does.
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE})
        sigaction(signal, &action, nullptr);
}
