#pragma once
// What the cleanup registry asks of the system, each system's CleanupRegistry_*.cpp giving it. Called from an
// interruption's handler: on POSIX systems only with calls a signal handler may make.
#include <cstdint>

// Ends a registered program with everything it started.
void StopProgramGroup(std::intptr_t group);
// Removes the folder at path (UTF-8) with everything in it, as far as it can in a bounded time; true when it is gone.
bool RemoveFolderTree(const char* path);
// Tells the user on standard error that the folder at path stays.
void ReportFolderLeftBehind(const char* path);
