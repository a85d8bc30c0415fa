#pragma once
// What a folder holds, by checksum: the tests of hostile input compare it before and after a run, so a file that
// was replaced, emptied, added or removed shows by name.

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>

// FNV-1a over the bytes of a file; a folder, link or other node is described instead of read.
std::string FileChecksum(const std::filesystem::path& path);
// Every entry under root (links not followed), relative name to checksum.
std::map<std::string, std::string> FolderChecksums(const std::filesystem::path& root);
