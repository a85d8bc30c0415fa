#pragma once
// Files through the operating system's own descriptors, for the few places where streams cost too much or cannot
// do what is needed (a temporary file that vanishes with the process, a reading at an offset, a replacing rename).
// Paths are UTF-8; each system's implementation turns them into what its calls take.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

// The longest name one folder entry may have.
constexpr std::size_t kMaxFileNameLength = 255;

// A regular file opened for reading in binary mode; -1 when it cannot be opened. Never waits for a writer, so a
// pipe given as a file is refused rather than hanging.
int OpenFileForReading(const std::filesystem::path& path);
// A file with no name left behind: removed by the system when it is closed or the process ends. -1 on failure.
int OpenAnonymousTemporaryFile(const std::string& folder);
// A new file for writing whose name is the pattern with its trailing "XXXXXX" made unique; the pattern is
// changed to the name chosen. -1 on failure.
int CreateUniqueFile(std::string& pattern);
// Reads up to size bytes at offset without moving the file's own position; the count read, 0 at the end, -1 on
// failure.
std::int64_t ReadFileAt(int descriptor, std::uint64_t offset, void* buffer, std::size_t size);
// Renames from to to, replacing a file that is there, in one step as far as the system allows.
bool RenameReplacing(const std::string& from, const std::string& to);

// Renames from to to (a file or a folder) in one step, failing (errno EEXIST) when anything is at to.
bool RenameWithoutReplacing(const std::filesystem::path& from, const std::filesystem::path& to);
// A file to be replaced only if it turns out to be what the caller expects: opened for reading and writing (created
// when missing) without following a link, and only when it is a regular file with no other name; -1 otherwise.
// size receives its length.
int OpenFileForUpdate(const std::filesystem::path& path, std::uint64_t& size);
// Replaces the whole content of a file of OpenFileForUpdate with bytes; false when any step fails.
bool ReplaceFileContent(int descriptor, const std::string& bytes);
// A new file for writing at path; -1 with errno EEXIST when anything is there already, -1 on any other failure.
int CreateNewFile(const std::filesystem::path& path);
// A file for writing at path, emptied when it exists; a symbolic link there is not followed. -1 on failure.
int OpenFileForWriting(const std::filesystem::path& path);
// Writes all size bytes at the descriptor's position; false when the system takes fewer (a full disk, say).
bool WriteToFile(int descriptor, const void* data, std::size_t size);
// A new folder only this user may change, named as the pattern with its trailing "XXXXXX" made unique; the pattern
// is changed to the name chosen. False on failure, errno telling why.
bool CreateUniqueFolder(std::string& pattern);
// Closes a descriptor of these functions; false when the system reports a failure (a full disk, say).
bool CloseFile(int descriptor);
