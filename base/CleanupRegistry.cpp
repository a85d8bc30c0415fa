#include "CleanupRegistry.h"

#include "CleanupSystem.h"
#include "NativeFile.h"
#include "Utf8Path.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <cstring>

namespace {

// What an interruption's handler may read: fixed slots, each published only once its path is complete.
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

} // namespace

int RegisterFolderForCleanup(const std::filesystem::path& path) {
    const std::string text = Utf8FromPath(path);
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
    // Programs first: a converter still writing into a folder would refill it (and on Windows, a file it holds
    // open cannot be removed).
    for (std::atomic<std::intptr_t>& slot : groups)
        if (const std::intptr_t group = slot.exchange(0); group != 0)
            StopProgramGroup(group);
    for (FolderSlot& slot : folders) {
        int expected = kReady;
        if (slot.state.compare_exchange_strong(expected, kClearing)) {
            if (!RemoveFolderTree(slot.path))
                ReportFolderLeftBehind(slot.path);
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
        parent = std::filesystem::path("/tmp");
    std::string pattern = Utf8FromPath(parent / PathFromUtf8(prefix + "XXXXXX"));
    if (!CreateUniqueFolder(pattern))
        return nullptr;
    return std::unique_ptr<TemporaryFolder>(new TemporaryFolder(PathFromUtf8(pattern)));
}
