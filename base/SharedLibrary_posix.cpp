#include "SharedLibrary.h"

#include <dlfcn.h>

#include <filesystem>

std::string SharedLibraryFileName(const std::string& name) {
    return "lib" + name + ".so";
}

// The second try matters when a sanitizer's runtime makes the call on the program's behalf and the program's
// RUNPATH no longer applies.
void* LoadSharedLibrary(const std::string& name, std::string& reason) {
    const std::string file = SharedLibraryFileName(name);
    if (void* library = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL))
        return library;
    const char* error = ::dlerror();
    reason = error ? error : "unknown reason";
    std::error_code code;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", code);
    if (code)
        return nullptr;
    void* library = ::dlopen((program.parent_path() / file).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library && (error = ::dlerror()))
        reason = error;
    return library;
}

void* FindLibraryExport(void* library, const char* name) {
    return ::dlsym(library, name);
}

void UnloadSharedLibrary(void* library) {
    ::dlclose(library);
}
