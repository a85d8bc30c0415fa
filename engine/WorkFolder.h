#pragma once
// The folders a conversion run creates for itself, and the only place anything is removed on the run's behalf.
// Each one is registered while it exists, so an interrupted process (SIGINT, SIGTERM, SIGHUP, SIGPIPE) still removes
// it, and locked while it is used, so a later run removes what a run killed outright left.

#include <filesystem>
#include <memory>
#include <string>

class WorkFolder {
public:
    // A new private folder under parent (created when missing), named prefix + six random characters,
    // locked while it exists. Folders of this user named so that no live run holds are removed first. Null, with
    // error set, when it cannot be made.
    static std::unique_ptr<WorkFolder> CreateIn(const std::filesystem::path& parent, const std::string& prefix,
                                                std::string& error);
    // A fresh private folder for one run: under "leafbind" in the user's cache folder, else in the user's runtime
    // folder, each only when that "leafbind" is the user's and no one else may write in it; else a folder of its
    // own in the temporary folder.
    static std::unique_ptr<WorkFolder> CreatePrivate(std::string& error);
    // A folder the user named to keep the run's files: used when it is new or empty and no other run uses it,
    // never removed, not even when this run created it. Null, with error set, for anything else; nothing is
    // touched then.
    static std::unique_ptr<WorkFolder> UseKept(const std::filesystem::path& folder, std::string& error);

    // Removes a folder this run created, with everything in it. Empty on success (also when it is already gone),
    // otherwise one message for the whole folder.
    std::string Remove();
    ~WorkFolder();
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    bool Kept() const { return !owned_; }

private:
    WorkFolder(std::filesystem::path path, bool owned, int lock);

    std::filesystem::path path_;
    bool owned_;
    int lock_; // the open folder, locked while this run uses it
    int slot_ = -1;
};

// The user's cache folder: $XDG_CACHE_HOME when it is an absolute path, otherwise $HOME/.cache; empty when
// neither is set.
std::filesystem::path UserCacheFolder();
// The user's runtime folder, $XDG_RUNTIME_DIR when it is an absolute path; empty otherwise.
std::filesystem::path UserRuntimeFolder();

// Makes an interruption (SIGINT, SIGTERM, SIGHUP and SIGPIPE; on Windows Ctrl+C, Ctrl+Break and a closed console)
// remove every registered folder, then end the process as it would have.
void RemoveWorkFoldersOnSignals();
// Removes every registered folder now; for a program that ends while a run is still going on.
void RemoveWorkFoldersNow();
