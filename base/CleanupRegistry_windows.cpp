#include "CleanupRegistry.h"

#include <windows.h>

#include <array>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "NativeFile.h"
#include "Utf8Path.h"

namespace {

// The same fixed slots as on other systems: a console control handler runs on a thread of its own while the run
// goes on, so a slot is published only once its path is complete.
constexpr size_t kFolderSlots = 32;
constexpr size_t kPathBytes = 4096;
enum SlotState : int { kFree, kFilling, kReady, kClearing };
struct FolderSlot {
    std::atomic<int> state{kFree};
    char path[kPathBytes];
};
std::array<FolderSlot, kFolderSlots> folders;

// Job objects of running programs: terminating one ends the program and everything it started.
constexpr size_t kGroupSlots = 8;
std::array<std::atomic<std::intptr_t>, kGroupSlots> groups{};

std::mutex cleaning; // the handler's thread and the main thread may both clean up

// Ctrl+C, Ctrl+Break, the console closed, the user logging off or the system shutting down: the folders go first,
// then the system's own handler ends the process.
BOOL WINAPI OnConsoleControl(DWORD) {
    CleanUpRegistered();
    return FALSE;
}

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

// Programs first: a file a converter holds open cannot be removed on Windows.
void CleanUpRegistered() {
    const std::lock_guard<std::mutex> hold(cleaning);
    for (std::atomic<std::intptr_t>& slot : groups)
        if (const std::intptr_t group = slot.exchange(0); group != 0)
            TerminateJobObject(reinterpret_cast<HANDLE>(group), 1);
    for (FolderSlot& slot : folders) {
        int expected = kReady;
        if (slot.state.compare_exchange_strong(expected, kClearing)) {
            std::error_code error;
            std::filesystem::remove_all(PathFromUtf8(slot.path), error);
            if (error)
                std::fprintf(stderr, "leafbind: could not remove %s (left as it is)\n", slot.path);
            slot.state = kFree;
        }
    }
}

void CleanUpOnInterruption() {
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
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
    const std::filesystem::path parent = std::filesystem::temp_directory_path(error);
    if (error)
        return nullptr;
    std::string pattern = Utf8FromPath(parent / PathFromUtf8(prefix + "XXXXXX"));
    if (!CreateUniqueFolder(pattern))
        return nullptr;
    return std::unique_ptr<TemporaryFolder>(new TemporaryFolder(PathFromUtf8(pattern)));
}
