#pragma once
// Folders a run keeps for itself: made private, marked in use while a live run holds them, so a later run can tell
// a dead run's folder from a live one's. Each system does this its own way.
#include <filesystem>

// The lock that marks a folder as in use by a live run, held on the open folder, so it goes with the process however
// it ends. -1 when another run holds it or the folder is gone. locked is false where the file system keeps no such
// locks (some network file systems): the folder is used unlocked then.
int LockFolder(const std::filesystem::path& folder, bool& locked);
void UnlockFolder(int lock);
// A folder of ours no one else can change: a real folder (no link), owned by this user, written by no one else.
bool IsPrivateFolder(const std::filesystem::path& folder);
// Makes folder, only this user having rights in it; an existing one is left as it is.
void CreatePrivateFolder(const std::filesystem::path& folder);
// Marks a folder whose subfolders are each filled and emptied in one go, where the file system can place them
// apart for it. Best effort.
void SpreadFoldersBelow(const std::filesystem::path& folder);
