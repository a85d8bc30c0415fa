#pragma once
// Where a conversion writes its pages and project files.

#include <filesystem>

// The program's folder followed by "/Temp" when that folder can be created and written. An installed program's
// folder is read-only: then "leafbind/Temp" under the user's cache folder. The folder is created; the result is
// that folder even when nothing could be created, so the conversion reports the failure where it writes.
std::filesystem::path PrepareWorkFolder(const std::filesystem::path& programFolder,
                                        const std::filesystem::path& userCacheFolder);

// $XDG_CACHE_HOME when it is an absolute path, otherwise $HOME/.cache.
std::filesystem::path UserCacheFolder();
