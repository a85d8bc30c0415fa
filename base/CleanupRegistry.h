#pragma once
// What an interrupted process must not leave behind: the folders this run created and the external programs it
// is waiting on. Registered while they exist, so a signal handler can remove and stop them with nothing but system
// calls a handler may make.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

// A slot for the folder at path, or -1 when none is free or the path is too long to hold.
int RegisterFolderForCleanup(const std::filesystem::path& path);
void UnregisterFolder(int slot);

// A running program with everything it started (a process group's leader pid, a Windows job object's handle),
// stopped on cleanup.
void RegisterProgramGroup(std::intptr_t group);
void UnregisterProgramGroup(std::intptr_t group);

// Kills every registered program group, then removes every registered folder with its contents, as far as it can
// in a bounded time; what cannot go is named on standard error. Safe to call from a signal handler.
void CleanUpRegistered();
// An interruption (SIGINT, SIGTERM, SIGHUP and SIGPIPE; on Windows Ctrl+C, Ctrl+Break, a closed console, the end
// of the session) cleans up as CleanUpRegistered does, then ends the process as it would have.
void CleanUpOnInterruption();

// A new folder under the temporary folder, named prefix + six random characters, registered while it exists and
// removed with what it holds when this goes.
class TemporaryFolder {
public:
    // Null when none can be made.
    static std::unique_ptr<TemporaryFolder> Create(const std::string& prefix);
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }

private:
    explicit TemporaryFolder(std::filesystem::path path);

    std::filesystem::path path_;
    int slot_;
};
