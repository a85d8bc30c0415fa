#include "PathChoices.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace {

struct SplitPath {
    std::string folder; // with its trailing separator, as the source gave it
    std::string base;
    std::string extension; // without the point
};

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

SplitPath Split(const std::string& path) {
    const size_t nameStart = path.find_last_of('/') == std::string::npos ? 0 : path.find_last_of('/') + 1;
    SplitPath parts;
    parts.folder = path.substr(0, nameStart);
    const std::string name = path.substr(nameStart);
    const size_t point = name.find_last_of('.');
    if (point == std::string::npos) {
        parts.base = name;
    } else {
        parts.base = name.substr(0, point);
        parts.extension = name.substr(point + 1);
    }
    return parts;
}

} // namespace

std::string WithChmExtension(const std::string& outputPath) {
    return Lower(Split(outputPath).extension) == "chm" ? outputPath : outputPath + ".chm";
}

bool IsWordFileName(const std::string& path) {
    const SplitPath parts = Split(path);
    const std::string extension = Lower(parts.extension);
    return !parts.base.empty() && (extension == "doc" || extension == "docx");
}

std::string ChooserStartFolder(const std::string& sourcePath, const std::string& rememberedFolder,
                               const std::string& homeFolder) {
    if (const std::string folder = Split(sourcePath).folder; !folder.empty()) {
        const std::string trimmed = folder.size() > 1 ? folder.substr(0, folder.size() - 1) : folder;
        std::error_code error;
        if (std::filesystem::is_directory(trimmed, error)) // a folder since removed would leave the chooser lost
            return trimmed;
    }
    return rememberedFolder.empty() ? homeFolder : rememberedFolder;
}

std::vector<std::string> HelpFileCandidates(const std::string& programFolder, const std::string& fileName) {
    return {programFolder + "/" + fileName, programFolder + "/../share/leafbind/" + fileName};
}
