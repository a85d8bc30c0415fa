#include "CleanupRegistry.h"

#include "CleanupSystem.h"
#include "MessageCatalogue.h"

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

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

} // namespace

// What could not be removed, told on standard error with nothing but write(2), as a signal handler may; in the
// user's language, chosen before the handlers were installed (here an atomic read).
void ReportFolderLeftBehind(const char* path) {
    const bool chinese = UserReadsChinese();
    const char* lead = chinese ? "leafbind: 无法删除 " : "leafbind: could not remove ";
    const char* tail = chinese ? "（保持原样）\n" : " (left as it is)\n";
    [[maybe_unused]] ssize_t ignored = ::write(STDERR_FILENO, lead, std::strlen(lead));
    ignored = ::write(STDERR_FILENO, path, std::strlen(path));
    ignored = ::write(STDERR_FILENO, tail, std::strlen(tail));
}

void StopProgramGroup(std::intptr_t group) {
    ::kill(-static_cast<pid_t>(group), SIGKILL);
}

bool RemoveFolderTree(const char* path) {
    return RemoveTreeAt(AT_FDCWD, path, 0);
}

namespace {

void OnSignal(int signal) {
    CleanUpRegistered();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

} // namespace

void CleanUpOnInterruption() {
    CurrentUserLanguage(); // chosen now, so that the handler only reads it
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    // A reader that goes away (leafbind-cli ... | head) ends the run as an interruption does.
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE})
        sigaction(signal, &action, nullptr);
}
