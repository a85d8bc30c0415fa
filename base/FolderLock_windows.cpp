#include "FolderLock.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

// The open folder is the lock: opened to add files, sharing that right with no one, so a second run's open fails
// with a sharing violation, while reading it, creating files in it and removing it stay open to everyone. The
// handle becomes a C library descriptor, so the caller keeps an int as on other systems.
int LockFolder(const std::filesystem::path& folder, bool& locked) {
    locked = false;
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
        !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return -1;
    const HANDLE handle =
        CreateFileW(folder.c_str(), FILE_ADD_FILE | FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return -1;
    const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY);
    if (descriptor < 0) {
        CloseHandle(handle);
        return -1;
    }
    locked = true;
    return descriptor;
}

void UnlockFolder(int lock) {
    if (lock >= 0)
        _close(lock);
}

// A real folder, no junction or link. Who may write in it the folder inherits from the one it is in (the user's
// profile or temporary folder).
bool IsPrivateFolder(const std::filesystem::path& folder) {
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

void CreatePrivateFolder(const std::filesystem::path& folder) {
    CreateDirectoryW(folder.c_str(), nullptr);
}

// NTFS places folders without being asked.
void SpreadFoldersBelow(const std::filesystem::path&) {}
