// The compile: the help compiler library is loaded by its bare name for one call, as the program finds any library.

#include "helpproject/CompilerCall.h"

#include "base/SharedLibrary.h"
#include "chm/hha.h"

#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr const char* kCompilerLibrary = "hha";
constexpr const char* kCompileEntryPoint = "HHA_CompileHHP";

// The entry point's own type, so a change to it cannot go unnoticed here.
using CompileFunction = decltype(&HHA_CompileHHP);

// The compile running on this thread; a plain function pointer carries no context.
thread_local std::vector<std::string>* currentMessages = nullptr;
thread_local const std::function<void(const std::string&)>* currentProgress = nullptr;

// Warnings and errors: kept for the front ends to show.
int CompilerMessageCallback(const char* text) {
    if (currentMessages && text)
        currentMessages->push_back(text);
    return 1;
}

// One line per file taken in: progress, not a message.
int CompilerProgressCallback(const char* text) {
    if (currentProgress && *currentProgress && text)
        (*currentProgress)(text);
    return 1;
}

} // namespace

std::vector<std::string> RunHelpCompiler(const std::string& projectPath,
                                         const std::function<void(const std::string& file)>& progress) {
    std::vector<std::string> compilerMessages;
    std::string reason;
    void* library = LoadSharedLibrary(kCompilerLibrary, reason);
    if (!library) {
        // The front ends show these messages when no help file appears; without this one they would show none.
        compilerMessages.push_back("The help compiler " + SharedLibraryFileName(kCompilerLibrary) +
                                   " could not be loaded: " + reason);
        return compilerMessages;
    }
    auto compile = reinterpret_cast<CompileFunction>(FindLibraryExport(library, kCompileEntryPoint));
    if (!compile)
        compilerMessages.push_back(std::string("The help compiler has no entry point ") + kCompileEntryPoint + ".");
    if (compile) {
        currentMessages = &compilerMessages;
        currentProgress = &progress;
        compile(projectPath.c_str(), CompilerMessageCallback, CompilerProgressCallback, 0);
        currentMessages = nullptr;
        currentProgress = nullptr;
    }
    UnloadSharedLibrary(library);
    return compilerMessages;
}
