#pragma once
// File system paths from and to the UTF-8 text the program keeps them in. A std::string given to a path directly
// is read in the C library's locale, which on Windows is not UTF-8.
#include <filesystem>
#include <string>
#include <string_view>

std::filesystem::path PathFromUtf8(std::string_view text);
std::string Utf8FromPath(const std::filesystem::path& path);
// The file URL of an absolute path as programs taking one on their command line read it: "file:///tmp/a",
// "file:///C:/Users/a". Its characters stay as they are, not percent-encoded.
std::string FileUrlOf(const std::filesystem::path& path);
