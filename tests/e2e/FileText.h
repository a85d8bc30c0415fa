#pragma once
// A file's bytes as one string, for the end-to-end tests that look into what a run wrote.

#include <filesystem>
#include <string>

// Empty when the file cannot be read.
std::string ReadText(const std::filesystem::path& path);
