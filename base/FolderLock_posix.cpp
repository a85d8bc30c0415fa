#include "FolderLock.h"

#include <cerrno>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

int LockFolder(const std::filesystem::path& folder, bool& locked) {
    locked = false;
    const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (descriptor < 0)
        return -1;
    locked = ::flock(descriptor, LOCK_EX | LOCK_NB) == 0;
    const bool heldElsewhere = !locked && errno == EWOULDBLOCK;
    struct stat status {};
    // A folder removed since (nothing links to it any more) is as good as gone.
    if (heldElsewhere || ::fstat(descriptor, &status) != 0 || status.st_nlink == 0) {
        ::close(descriptor);
        return -1;
    }
    return descriptor;
}

void UnlockFolder(int lock) {
    if (lock >= 0)
        ::close(lock);
}

bool IsPrivateFolder(const std::filesystem::path& folder) {
    struct stat status {};
    return ::lstat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode) && status.st_uid == ::geteuid() &&
           (status.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

void CreatePrivateFolder(const std::filesystem::path& folder) {
    ::mkdir(folder.c_str(), 0700);
}

// Every run fills its folder with thousands of pages and removes them at the end. Without a journal, ext4 steps
// past each recently freed inode of a group, one cache lookup at a time, for every file it creates there, so a
// run after a run spent seconds in the kernel. Folders under one marked as a top of hierarchies are spread over
// the groups instead of kept beside each other. Other file systems do not know the flag.
void SpreadFoldersBelow(const std::filesystem::path& folder) {
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
