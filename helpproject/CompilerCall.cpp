// The compile: the help compiler library is loaded by its bare name, as the program finds any library.

#include "helpproject/CompilerCall.h"

#include "base/SharedLibrary.h"
#include "chm/hha.h"

#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr const char* kCompilerLibrary = "hha";
constexpr const char* kCompileEntryPoint = "HHA_CompileHHP";

// The entry points' own types, so a change to them cannot go unnoticed here.
using CompileFunction = decltype(&HHA_CompileHHP);
using BeginPagesFunction = decltype(&HHA_BeginPagesAhead);
using AddPageFunction = decltype(&HHA_AddPageAhead);
using CompileWithPagesFunction = decltype(&HHA_CompileHHPWithPages);
using EndPagesFunction = decltype(&HHA_EndPagesAhead);
using IndexPagesFunction = decltype(&HHA_IndexPagesAhead);

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

template <typename Function> Function EntryPoint(void* library, const char* name) {
    return reinterpret_cast<Function>(FindLibraryExport(library, name));
}

} // namespace

HelpCompilerCall::~HelpCompilerCall() {
    Unload();
}

bool HelpCompilerCall::Load(std::string& reason) {
    if (!library_)
        library_ = LoadSharedLibrary(kCompilerLibrary, reason);
    return library_ != nullptr;
}

void HelpCompilerCall::EndPages() {
    if (pages_)
        EntryPoint<EndPagesFunction>(library_, "HHA_EndPagesAhead")(pages_);
    pages_ = nullptr;
}

void HelpCompilerCall::Unload() {
    EndPages();
    if (library_)
        UnloadSharedLibrary(library_);
    library_ = nullptr;
}

void HelpCompilerCall::PageSaved(const std::string& pagePath, bool firstPage, uint32_t lcid) {
    if (firstPage)
        EndPages();
    std::string reason; // a library that does not load is reported by the compile
    if (!pages_ && firstPage && Load(reason)) {
        const auto begin = EntryPoint<BeginPagesFunction>(library_, "HHA_BeginPagesAhead");
        // All four or none: a library without them only compiles.
        const bool offered = begin && EntryPoint<AddPageFunction>(library_, "HHA_AddPageAhead") &&
                             EntryPoint<CompileWithPagesFunction>(library_, "HHA_CompileHHPWithPages") &&
                             EntryPoint<EndPagesFunction>(library_, "HHA_EndPagesAhead");
        pages_ = offered ? begin() : nullptr;
        if (const auto index = EntryPoint<IndexPagesFunction>(library_, "HHA_IndexPagesAhead"); pages_ && index)
            index(pages_, lcid);
    }
    if (pages_)
        EntryPoint<AddPageFunction>(library_, "HHA_AddPageAhead")(pages_, pagePath.c_str());
}

std::vector<std::string> HelpCompilerCall::Compile(const std::string& projectPath,
                                                   const std::function<void(const std::string& file)>& progress) {
    std::vector<std::string> compilerMessages;
    std::string reason;
    if (!Load(reason)) {
        // The front ends show these messages when no help file appears; without this one they would show none.
        compilerMessages.push_back("The help compiler " + SharedLibraryFileName(kCompilerLibrary) +
                                   " could not be loaded: " + reason);
        return compilerMessages;
    }
    auto compile = EntryPoint<CompileFunction>(library_, kCompileEntryPoint);
    if (!compile)
        compilerMessages.push_back(std::string("The help compiler has no entry point ") + kCompileEntryPoint + ".");
    if (compile) {
        currentMessages = &compilerMessages;
        currentProgress = &progress;
        if (pages_)
            EntryPoint<CompileWithPagesFunction>(library_, "HHA_CompileHHPWithPages")(
                projectPath.c_str(), CompilerMessageCallback, CompilerProgressCallback, pages_);
        else
            compile(projectPath.c_str(), CompilerMessageCallback, CompilerProgressCallback, 0);
        currentMessages = nullptr;
        currentProgress = nullptr;
    }
    Unload();
    return compilerMessages;
}

std::vector<std::string> RunHelpCompiler(const std::string& projectPath,
                                         const std::function<void(const std::string& file)>& progress) {
    return HelpCompilerCall().Compile(projectPath, progress);
}
