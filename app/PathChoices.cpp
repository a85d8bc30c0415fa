#include "PathChoices.h"

#include "base/Text.h"

#include <filesystem>

std::string WithChmExtension(const std::string& outputPath) {
    return AsciiLower(SplitPath(outputPath).extension) == "chm" ? outputPath : outputPath + ".chm";
}

bool IsWordFileName(const std::string& path) {
    const PathParts parts = SplitPath(path);
    const std::string extension = AsciiLower(parts.extension);
    return !parts.base.empty() && (extension == "doc" || extension == "docx");
}

std::string ChooserStartFolder(const std::string& sourcePath, const std::string& rememberedFolder,
                               const std::string& homeFolder) {
    if (const std::string folder = SplitPath(sourcePath).folder; !folder.empty()) {
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
