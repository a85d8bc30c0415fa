#include "Utf8Path.h"

std::filesystem::path PathFromUtf8(std::string_view text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

std::string Utf8FromPath(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::string FileUrlOf(const std::filesystem::path& path) {
    const std::u8string generic = path.generic_u8string();
    const std::string text(generic.begin(), generic.end());
    return "file://" + std::string(text.starts_with('/') ? "" : "/") + text;
}
