#include "CleanupRegistry.h"

#include "CleanupSystem.h"
#include "MessageCatalogue.h"
#include "ProcessText.h"
#include "Utf8Path.h"

#include <windows.h>

#include <cstdio>

namespace {

// Ctrl+C, Ctrl+Break, the console closed, the user logging off or the system shutting down: the folders go first,
// then the system's own handler ends the process. The handler runs on a thread of its own while the run goes on.
BOOL WINAPI OnConsoleControl(DWORD) {
    CleanUpRegistered();
    return FALSE;
}

} // namespace

// A group is a job object's handle: terminating the job ends the program and everything it started.
void StopProgramGroup(std::intptr_t group) {
    TerminateJobObject(reinterpret_cast<HANDLE>(group), 1);
}

bool RemoveFolderTree(const char* path) {
    std::error_code error;
    std::filesystem::remove_all(PathFromUtf8(path), error);
    return !error;
}

void ReportFolderLeftBehind(const char* path) {
    PrintLine(stderr, UserReadsChinese() ? std::string("leafbind: 无法删除 ") + path + "（保持原样）"
                                         : std::string("leafbind: could not remove ") + path + " (left as it is)");
}

void CleanUpOnInterruption() {
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}
