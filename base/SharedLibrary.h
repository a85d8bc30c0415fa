#pragma once
// A library loaded at run time for a while and called by the names it exports, each system's own way.
#include <string>

// The file name the system gives the library called name ("hha": libhha.so, hha.dll).
std::string SharedLibraryFileName(const std::string& name);
// The library called name: by its bare file name first, as the program finds any library (RUNPATH, then the
// system's paths; on Windows the program's own folder first); failing that, beside the running program. Null,
// with reason set, when neither loads.
void* LoadSharedLibrary(const std::string& name, std::string& reason);
// The address of what the library exports as name; null when it exports nothing so named.
void* FindLibraryExport(void* library, const char* name);
void UnloadSharedLibrary(void* library);
