#include "FolderCleanup.h"

#include "word/MessageBox.h"

#include "automation/CodePage.h"

#include <cerrno>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const std::string kFolderSuffix = "/*.*";

// Windows clears the read-only attribute before deleting; here a folder needs the owner's write permission for its
// entries to be deleted.
void MakeOwnerWritable(const fs::path& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0 && !S_ISLNK(info.st_mode))
        ::chmod(path.c_str(), (info.st_mode & 07777) | S_IWUSR | (S_ISDIR(info.st_mode) ? S_IXUSR : 0));
}

// What could not be deleted: counted, with the first one named, and told once.
struct Failures {
    int count = 0;
    std::string first;

    void Add(const std::string& name) {
        if (count++ == 0)
            first = name;
    }
    void Report(const std::string& where) const {
        if (count == 1)
            ShowMessageBox("cannot delete " + first);
        else if (count > 1)
            ShowMessageBox("cannot delete " + std::to_string(count) + " entries in " + where + ", the first: " + first);
    }
};

bool DeletePlainFile(const std::string& path) {
    const auto fsPath = NarrowToPath(path);
    if (!fsPath)
        return false;
    std::error_code error;
    const fs::file_status status = fs::symlink_status(*fsPath, error);
    if (error || !fs::exists(status) || fs::is_directory(status))
        return false;
    if (::unlink(fsPath->c_str()) != 0) {
        // Gone meanwhile is what was wanted.
        if (errno == ENOENT)
            return true;
        ShowMessageBox("cannot delete file: " + PathToNarrow(fsPath->filename()).value_or("?"));
        return false;
    }
    return true;
}

// Everything inside folder, depth first; prefix is how the folder is named in messages.
void DeleteEntries(const fs::path& folder, const std::string& prefix, Failures& failures) {
    MakeOwnerWritable(folder);
    std::error_code error;
    fs::directory_iterator entries(folder, error);
    if (error) {
        if (error != std::errc::no_such_file_or_directory)
            failures.Add(prefix);
        return;
    }
    for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
        const fs::path entryPath = entries->path();
        const std::string path = prefix + "/" + PathToNarrow(entryPath.filename()).value_or("?");
        std::error_code typeError;
        if (entries->is_directory(typeError) && !entries->is_symlink(typeError)) {
            const int before = failures.count;
            DeleteEntries(entryPath, path, failures);
            if (failures.count == before) {
                MakeOwnerWritable(entryPath);
                if (::rmdir(entryPath.c_str()) != 0 && errno != ENOENT)
                    failures.Add(path);
            }
            continue;
        }
        if (::unlink(entryPath.c_str()) != 0 && errno != ENOENT)
            failures.Add(path);
    }
}

} // namespace

bool DeleteFolderContents(std::string pattern) {
    // Only the form the program builds for its own folders ends in "/*.*"; a name that merely holds "*.*" (a legal
    // file name here) is one plain file.
    if (pattern.size() < kFolderSuffix.size() ||
        pattern.compare(pattern.size() - kFolderSuffix.size(), kFolderSuffix.size(), kFolderSuffix) != 0)
        return DeletePlainFile(pattern);

    std::string folderText = pattern.substr(0, pattern.size() - kFolderSuffix.size());
    while (!folderText.empty() && folderText.back() == '/')
        folderText.pop_back();
    if (folderText.empty())
        return false; // "/*.*" or "*.*": never the whole file system or the current folder by accident
    const auto folder = NarrowToPath(folderText);
    if (!folder || fs::path(*folder).lexically_normal() == fs::path("/"))
        return false;
    std::error_code error;
    if (!fs::is_directory(fs::symlink_status(*folder, error)))
        return false;

    Failures failures;
    DeleteEntries(*folder, folderText, failures);
    failures.Report(folderText);
    return failures.count == 0;
}
