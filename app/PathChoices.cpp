#include "PathChoices.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

std::string WithChmExtension(const std::string& outputPath) {
    const size_t slash = outputPath.find_last_of('/');
    const std::string name = outputPath.substr(slash == std::string::npos ? 0 : slash + 1);
    const size_t point = name.find_last_of('.');
    std::string extension = point == std::string::npos ? std::string() : name.substr(point + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == "chm" ? outputPath : outputPath + ".chm";
}

std::string ChooserStartFolder(const std::string& sourcePath, const std::string& homeFolder) {
    if (!sourcePath.empty()) {
        const std::filesystem::path folder = std::filesystem::path(sourcePath).parent_path();
        std::error_code error;
        if (!folder.empty() && std::filesystem::is_directory(folder, error))
            return folder.string();
    }
    return homeFolder;
}
