// The compile: the help compiler library is loaded by its bare name for one call, as the program finds any library.

#include "engine/ChmConverter.h"

#include <dlfcn.h>

#include <vector>

namespace {

constexpr const char* kCompilerLibrary = "libhha.so";
constexpr const char* kCompileEntryPoint = "HHA_CompileHHP";

using CompilerCallback = int (*)(const char* text);
using CompileFunction = int (*)(char* projectPath, CompilerCallback, CompilerCallback, int);

// The compiler's messages for the compile running on this thread; a plain function pointer carries no context.
thread_local std::vector<std::string>* currentMessages = nullptr;

int CompilerMessageCallback(const char* text) {
    if (currentMessages && text)
        currentMessages->push_back(text);
    return 1;
}

} // namespace

void ChmConverter::CompileHelpProject(const std::string& projectPath) {
    compilerMessages.clear();
    void* library = ::dlopen(kCompilerLibrary, RTLD_NOW | RTLD_LOCAL);
    if (!library)
        return;
    auto compile = reinterpret_cast<CompileFunction>(::dlsym(library, kCompileEntryPoint));
    if (compile) {
        std::vector<char> buffer(projectPath.begin(), projectPath.end());
        buffer.push_back('\0');
        currentMessages = &compilerMessages;
        compile(buffer.data(), CompilerMessageCallback, CompilerMessageCallback, 0);
        currentMessages = nullptr;
    }
    ::dlclose(library);
}
