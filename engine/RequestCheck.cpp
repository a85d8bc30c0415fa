#include "engine/RequestCheck.h"

#include "automation/HeadingText.h"
#include "base/NativeFile.h"
#include "base/SameFile.h"
#include "base/Text.h"
#include "base/Utf8Path.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace fs = std::filesystem;

namespace {} // namespace

std::string MapHeaderTargetProblem(const fs::path& target, const std::vector<fs::path>& runFiles) {
    const std::string shown = Utf8FromPath(target);
    if (target.filename().empty())
        return "the header to write is not a file name: " + shown;
    for (const fs::path& file : runFiles)
        if (!file.empty() && SameFile(target, file))
            return "the header to write would replace an input or the help file: " + shown;
    std::error_code code;
    const fs::file_status status = fs::symlink_status(target, code);
    if (fs::is_symlink(status))
        return "the header to write is a symbolic link, which is not followed: " + shown;
    if (fs::exists(status) && !fs::is_regular_file(status))
        return "the header to write exists and is not a regular file: " + shown;
    const fs::path folder = fs::absolute(target).parent_path();
    if (!fs::is_directory(folder, code))
        return "the folder of the header to write does not exist: " + shown;
    // A file made and removed at once: the folder takes new files, as the header's replacement will need.
    std::string probe = Utf8FromPath(folder / ".leafbind-header-XXXXXX");
    const int descriptor = CreateUniqueFile(probe);
    if (descriptor < 0)
        return "the header cannot be written in " + Utf8FromPath(folder) + ": " + std::strerror(errno);
    CloseFile(descriptor);
    fs::remove(PathFromUtf8(probe), code);
    return {};
}

std::string FittedTitle(const std::string& title, std::string& warning) {
    warning.clear();
    const std::u16string wide = Utf8ToUtf16(title);
    if (wide.size() <= kMaxTitleLength)
        return title;
    warning = "The title is longer than " + std::to_string(kMaxTitleLength) + " characters and was shortened.";
    return Utf16ToUtf8(ShortTitle(wide));
}
