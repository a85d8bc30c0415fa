#pragma once
// Whether two paths name one file: a guard against writing over what a run reads, or reading what it writes.
#include <filesystem>

// The same file, also through links or another spelling of its path, and also when neither exists yet.
bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b);
