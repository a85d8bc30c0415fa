#include "NativeFile.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <random>

#include "Text.h"

namespace {

std::wstring Wide(const std::string& utf8) {
    const std::u16string text = Utf8ToUtf16(utf8);
    return std::wstring(text.begin(), text.end());
}

// The C library's descriptors start in text mode; every file here is binary and kept from child processes.
constexpr int kBinary = _O_BINARY | _O_NOINHERIT;

std::string RandomSuffix(std::mt19937& generator, std::size_t length) {
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
    std::string suffix;
    for (std::size_t i = 0; i < length; ++i)
        suffix += kLetters[pick(generator)];
    return suffix;
}

// Tries names until one is new: another process may take a name between the choice and the creation. (No
// thread_local generator: such objects would keep hha.dll from being unloaded.)
int CreateNew(const std::string& stem, int extraFlags, std::string* chosen) {
    std::mt19937 generator{std::random_device{}()};
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = stem + RandomSuffix(generator, 6);
        const int descriptor =
            _wopen(Wide(name).c_str(), _O_CREAT | _O_EXCL | _O_RDWR | kBinary | extraFlags, _S_IREAD | _S_IWRITE);
        if (descriptor >= 0) {
            if (chosen != nullptr)
                *chosen = name;
            return descriptor;
        }
        if (errno != EEXIST)
            return -1;
    }
    return -1;
}

} // namespace

// A named pipe or a device is refused by the file type check, not by waiting: the open itself does not block.
int OpenFileForReading(const std::filesystem::path& path) {
    const int descriptor = _wopen(path.c_str(), _O_RDONLY | kBinary);
    if (descriptor >= 0 && GetFileType(reinterpret_cast<HANDLE>(_get_osfhandle(descriptor))) != FILE_TYPE_DISK) {
        _close(descriptor);
        return -1;
    }
    return descriptor;
}

// _O_TEMPORARY asks the system to delete the file when its last handle closes, also when the process dies.
int OpenAnonymousTemporaryFile(const std::string& folder) {
    return CreateNew(folder + "/.hhc-spool-", _O_TEMPORARY | _O_SHORT_LIVED, nullptr);
}

int CreateUniqueFile(std::string& pattern) {
    const std::string stem = pattern.ends_with("XXXXXX") ? pattern.substr(0, pattern.size() - 6) : pattern;
    return CreateNew(stem, 0, &pattern);
}

// The descriptor's position is kept: the caller may go on writing at its end.
std::int64_t ReadFileAt(int descriptor, std::uint64_t offset, void* buffer, std::size_t size) {
    const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(descriptor));
    if (handle == INVALID_HANDLE_VALUE)
        return -1;
    const __int64 position = _lseeki64(descriptor, 0, SEEK_CUR);
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
    const bool ok = ReadFile(handle, buffer, wanted, &got, &at) || GetLastError() == ERROR_HANDLE_EOF;
    _lseeki64(descriptor, position, SEEK_SET);
    return ok ? static_cast<std::int64_t>(got) : -1;
}

bool RenameReplacing(const std::string& from, const std::string& to) {
    return MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

// Without MOVEFILE_REPLACE_EXISTING the system refuses a name in use, in the same step.
bool RenameWithoutReplacing(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (MoveFileExW(from.c_str(), to.c_str(), 0))
        return true;
    const DWORD error = GetLastError();
    errno = error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS      ? EEXIST
            : error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ENOENT
                                                                             : EACCES;
    return false;
}

// Windows creates no links by a plain open; a reparse point in the path is refused by the attribute check.
int OpenFileForUpdate(const std::filesystem::path& path, std::uint64_t& size) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)))
        return -1;
    const int descriptor = _wopen(path.c_str(), _O_RDWR | _O_CREAT | kBinary, _S_IREAD | _S_IWRITE);
    if (descriptor < 0)
        return -1;
    struct _stat64 status {};
    if (_fstat64(descriptor, &status) != 0 || (status.st_mode & _S_IFREG) == 0 || status.st_nlink > 1 ||
        GetFileType(reinterpret_cast<HANDLE>(_get_osfhandle(descriptor))) != FILE_TYPE_DISK) {
        _close(descriptor);
        return -1;
    }
    size = static_cast<std::uint64_t>(status.st_size);
    return descriptor;
}

bool ReplaceFileContent(int descriptor, const std::string& bytes) {
    if (_chsize_s(descriptor, 0) != 0 || _lseeki64(descriptor, 0, SEEK_SET) != 0)
        return false;
    return WriteToFile(descriptor, bytes.data(), bytes.size());
}

int CreateNewFile(const std::filesystem::path& path) {
    return _wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | kBinary, _S_IREAD | _S_IWRITE);
}

// A reparse point (a link or a junction) is refused as POSIX systems refuse a symbolic link.
int OpenFileForWriting(const std::filesystem::path& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)))
        return -1;
    return _wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | kBinary, _S_IREAD | _S_IWRITE);
}

bool WriteToFile(int descriptor, const void* data, std::size_t size) {
    const char* at = static_cast<const char*>(data);
    for (std::size_t left = size; left > 0;) {
        const int written = _write(descriptor, at, static_cast<unsigned>(std::min<std::size_t>(left, 1u << 30)));
        if (written <= 0)
            return false;
        at += written;
        left -= static_cast<std::size_t>(written);
    }
    return true;
}

// The new folder inherits the rights of the folder it is in, as the user's temporary and profile folders give
// only to their user.
bool CreateUniqueFolder(std::string& pattern) {
    const std::string stem = pattern.ends_with("XXXXXX") ? pattern.substr(0, pattern.size() - 6) : pattern;
    std::mt19937 generator{std::random_device{}()};
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = stem + RandomSuffix(generator, 6);
        if (CreateDirectoryW(Wide(name).c_str(), nullptr)) {
            pattern = name;
            return true;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            errno = GetLastError() == ERROR_PATH_NOT_FOUND ? ENOENT : EACCES;
            return false;
        }
    }
    errno = EEXIST;
    return false;
}

bool CloseFile(int descriptor) {
    return _close(descriptor) == 0;
}
