#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct HhaPagesAhead;

// The help compiler library, loaded by its bare name at the first page handed over (or at the compile) and unloaded
// once the compile is done or this goes. Pages handed over as they are saved are compressed by the library on a
// thread of its own while later pages are made, when the library offers that; the compile takes them over and makes
// the same help file it would have made without them.
class HelpCompilerCall {
public:
    HelpCompilerCall() = default;
    ~HelpCompilerCall();
    HelpCompilerCall(const HelpCompilerCall&) = delete;
    HelpCompilerCall& operator=(const HelpCompilerCall&) = delete;

    // A page just saved (narrow path), in the order the project lists the pages; the first page starts them over.
    // lcid: the project's language, in which the library may index the pages for search as they come.
    void PageSaved(const std::string& pagePath, bool firstPage, uint32_t lcid);
    // Compiles the project at projectPath. Returns the compiler's warnings and errors, or why it could not be
    // called; progress, when given, hears of each file it takes in (narrow).
    std::vector<std::string> Compile(const std::string& projectPath,
                                     const std::function<void(const std::string& file)>& progress = {});

private:
    bool Load(std::string& reason);
    void EndPages();
    void Unload();

    void* library_ = nullptr;
    HhaPagesAhead* pages_ = nullptr;
};

// Compiles the project at projectPath with the library loaded for this one call.
std::vector<std::string> RunHelpCompiler(const std::string& projectPath,
                                         const std::function<void(const std::string& file)>& progress = {});
