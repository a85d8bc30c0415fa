// The private folder of a run: where it is made, what it leaves behind, and the mark on the folder above it.

#include "engine/WorkFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iostream>
#include <linux/fs.h>
#include <optional>
#include <sys/ioctl.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// The inode flags of a folder, or nothing where the file system keeps none.
std::optional<int> FolderFlags(const fs::path& folder) {
    const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (descriptor < 0)
        return std::nullopt;
    int flags = 0;
    const bool read = ::ioctl(descriptor, FS_IOC_GETFLAGS, &flags) == 0;
    ::close(descriptor);
    return read ? std::optional(flags) : std::nullopt;
}

// Whether folders here can carry the top-of-hierarchies mark at all (ext4 can; tmpfs, btrfs and XFS cannot).
bool KeepsTopDirMark(const fs::path& scratch) {
    fs::create_directory(scratch);
    const int descriptor = ::open(scratch.c_str(), O_RDONLY | O_DIRECTORY);
    int flags = 0;
    bool kept = false;
    if (descriptor >= 0 && ::ioctl(descriptor, FS_IOC_GETFLAGS, &flags) == 0) {
        flags |= FS_TOPDIR_FL;
        kept = ::ioctl(descriptor, FS_IOC_SETFLAGS, &flags) == 0 && (FolderFlags(scratch).value_or(0) & FS_TOPDIR_FL);
    }
    if (descriptor >= 0)
        ::close(descriptor);
    fs::remove(scratch);
    return kept;
}

TEST(WorkFolder, RunFoldersLiveUnderAMarkedCacheFolderAndGoWithTheirFiles) {
    std::string pattern = (fs::temp_directory_path() / "workfolder-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    const fs::path home(pattern);
    const char* saved = std::getenv("XDG_CACHE_HOME");
    const std::string savedValue = saved ? saved : "";
    ::setenv("XDG_CACHE_HOME", (home / "cache").c_str(), 1);

    std::string error;
    std::unique_ptr<WorkFolder> first = WorkFolder::CreatePrivate(error);
    std::unique_ptr<WorkFolder> second = WorkFolder::CreatePrivate(error);
    saved ? ::setenv("XDG_CACHE_HOME", savedValue.c_str(), 1) : ::unsetenv("XDG_CACHE_HOME");
    ASSERT_TRUE(first && second) << error;
    const fs::path runs = home / "cache" / "leafbind";
    EXPECT_EQ(first->Path().parent_path(), runs);
    EXPECT_NE(first->Path(), second->Path()) << "each run has a folder of its own";
    if (KeepsTopDirMark(home / "scratch"))
        EXPECT_NE(FolderFlags(runs).value_or(0) & FS_TOPDIR_FL, 0) << "run folders are spread over the disk";
    else
        std::cout << "this file system keeps no top-of-hierarchies mark; it is not checked\n";

    const fs::path firstPath = first->Path();
    std::ofstream(firstPath / "0.html") << "<html></html>";
    fs::create_directory(firstPath / "0.files");
    EXPECT_EQ(first->Remove(), "");
    EXPECT_FALSE(fs::exists(firstPath));
    EXPECT_TRUE(fs::exists(second->Path())) << "another run's folder stays";
    second.reset();
    EXPECT_TRUE(fs::is_empty(runs));
    fs::remove_all(home);
}

} // namespace
