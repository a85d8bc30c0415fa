#include "PathChoices.h"

#include <algorithm>
#include <cctype>

namespace {

struct SplitPath {
    std::string folder; // with its trailing separator, as the source gave it
    std::string base;
    std::string extension; // without the point
};

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

std::string TitleForSource(const std::string& sourcePath) {
    return Split(sourcePath).base;
}

std::string OutputPathForSource(const std::string& sourcePath) {
    const SplitPath parts = Split(sourcePath);
    return parts.folder + parts.base + ".chm";
}

std::string WithChmExtension(const std::string& outputPath) {
    std::string extension = Split(outputPath).extension;
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == "chm" ? outputPath : outputPath + ".chm";
}
