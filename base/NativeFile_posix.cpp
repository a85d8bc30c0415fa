#include "NativeFile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

int OpenFileForReading(const std::filesystem::path& path) {
    return ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
}

// Where the file system cannot make a file with no name, a named one removed at once.
int OpenAnonymousTemporaryFile(const std::string& folder) {
    int descriptor = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (descriptor >= 0)
        return descriptor;
    std::string pattern = folder + "/.hhc-spool-XXXXXX";
    descriptor = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (descriptor >= 0)
        ::unlink(pattern.c_str());
    return descriptor;
}

int CreateUniqueFile(std::string& pattern) {
    return ::mkstemp(pattern.data());
}

std::int64_t ReadFileAt(int descriptor, std::uint64_t offset, void* buffer, std::size_t size) {
    for (;;) {
        const ssize_t got = ::pread(descriptor, buffer, size, static_cast<off_t>(offset));
        if (got >= 0 || errno != EINTR)
            return got;
    }
}

bool RenameReplacing(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str()) == 0;
}

bool RenameWithoutReplacing(const std::filesystem::path& from, const std::filesystem::path& to) {
    return ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0;
}

int OpenFileForUpdate(const std::filesystem::path& path, std::uint64_t& size) {
    const int descriptor = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
    if (descriptor < 0)
        return -1;
    struct stat status {};
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode) || status.st_nlink != 1) {
        ::close(descriptor);
        return -1;
    }
    size = static_cast<std::uint64_t>(status.st_size);
    return descriptor;
}

bool ReplaceFileContent(int descriptor, const std::string& bytes) {
    if (::ftruncate(descriptor, 0) != 0 || ::lseek(descriptor, 0, SEEK_SET) != 0)
        return false;
    return WriteToFile(descriptor, bytes.data(), bytes.size());
}

int CreateNewFile(const std::filesystem::path& path) {
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
}

int OpenFileForWriting(const std::filesystem::path& path) {
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
}

bool WriteToFile(int descriptor, const void* data, std::size_t size) {
    const char* at = static_cast<const char*>(data);
    for (std::size_t left = size; left > 0;) {
        const ssize_t written = ::write(descriptor, at, left);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        at += written;
        left -= static_cast<std::size_t>(written);
    }
    return true;
}

bool CreateUniqueFolder(std::string& pattern) {
    return ::mkdtemp(pattern.data()) != nullptr;
}

bool CloseFile(int descriptor) {
    return ::close(descriptor) == 0;
}
