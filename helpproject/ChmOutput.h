#pragma once
// The compiled help file made from a help book: the contents, index and project files written beside the pages,
// named after the title, then the help compiler's call.

#include "book/HelpBook.h"
#include "helpproject/CompilerCall.h"

#include <functional>
#include <string>
#include <vector>

class ChmOutput : public BookOutput {
public:
    // compiledPath (narrow): where the compiler writes the help file.
    explicit ChmOutput(std::string compiledPath);

    // The compiler's library compresses the pages while later ones are made.
    void PageSaved(const std::string& pagePath, size_t page, const HelpLanguage& language) override;
    // The project's files are written whatever happens, as the compiler then reports what it misses; fails when
    // no help file came out.
    Status Write(const HelpBook& book) override;

    // The compiler's warnings and errors during the last Write (narrow).
    const std::vector<std::string>& CompilerMessages() const { return compilerMessages_; }
    // The files in the pages' picture folders, counted as the project file lists them.
    size_t PictureFiles() const { return pictureFiles_; }

    // Hears of each file the compiler takes in (narrow), for a progress display.
    std::function<void(const std::string& file)> compileObserver;
    // When set (narrow), the project left in the page folder names this help file instead of the one compiled: a
    // kept folder outlives the place the help file was made in before it was moved to the user's path.
    std::string keptProjectCompiledPath;

private:
    std::string compiledPath_;
    HelpCompilerCall compiler_;
    std::vector<std::string> compilerMessages_;
    size_t pictureFiles_ = 0;
};
