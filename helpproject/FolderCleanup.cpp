#include "FolderCleanup.h"

#include "word/MessageBox.h"

#include "automation/CodePage.h"

#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const std::string kWildcard = "*.*";

// Windows clears the read-only attribute before deleting; here a folder needs the owner's write permission for its
// entries to be deleted.
void MakeOwnerWritable(const fs::path& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0 && !S_ISLNK(info.st_mode))
        ::chmod(path.c_str(), (info.st_mode & 07777) | S_IWUSR | (S_ISDIR(info.st_mode) ? S_IXUSR : 0));
}

bool DeletePlainFile(const std::string& path) {
    const auto fsPath = NarrowToPath(path);
    if (!fsPath)
        return false;
    std::error_code error;
    const fs::file_status status = fs::symlink_status(*fsPath, error);
    if (error || !fs::exists(status) || fs::is_directory(status))
        return false;
    if (::unlink(fsPath->c_str()) != 0) {
        ShowMessageBox("cannot delete file: " + PathToNarrow(fsPath->filename()).value_or("?"));
        return false;
    }
    return true;
}

} // namespace

bool DeleteFolderContents(std::string pattern) {
    const size_t wildcard = pattern.find(kWildcard);
    if (wildcard == std::string::npos)
        return DeletePlainFile(pattern);

    const std::string prefix = pattern.substr(0, wildcard); // the folder with its trailing separator
    std::string folderText = prefix;
    while (!folderText.empty() && folderText.back() == '/')
        folderText.pop_back();
    if (folderText.empty())
        return false; // "/*.*" or "*.*": never the whole file system or the current folder by accident
    const auto folder = NarrowToPath(folderText);
    if (!folder || fs::path(*folder).lexically_normal() == fs::path("/"))
        return false;

    std::error_code error;
    const fs::file_status status = fs::symlink_status(*folder, error);
    if (error || !fs::is_directory(status))
        return false;
    MakeOwnerWritable(*folder);
    fs::directory_iterator entries(*folder, error);
    if (error)
        return false;

    bool result = true;
    for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
        const fs::path entryPath = entries->path();
        const std::string name = PathToNarrow(entryPath.filename()).value_or("?");
        const std::string path = prefix + name;
        std::error_code typeError;
        if (entries->is_directory(typeError) && !entries->is_symlink(typeError)) {
            result = DeleteFolderContents(path + "/" + kWildcard);
            if (result) {
                MakeOwnerWritable(entryPath);
                if (::rmdir(entryPath.c_str()) != 0) {
                    ShowMessageBox("cannot delete directory: " + path);
                    result = false;
                }
            }
            continue;
        }
        if (::unlink(entryPath.c_str()) != 0) {
            ShowMessageBox("cannot delete file: " + name);
            result = false;
        }
    }
    return result;
}
