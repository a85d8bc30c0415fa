#include "ChmOutput.h"

#include "helpproject/CompilerCall.h"
#include "helpproject/ProjectWriter.h"
#include "helpproject/SitemapWriter.h"

#include "automation/CodePage.h"

#include <filesystem>
#include <utility>

ChmOutput::ChmOutput(std::string compiledPath) : compiledPath_(std::move(compiledPath)) {}

void ChmOutput::PageSaved(const std::string& pagePath, size_t page, const HelpLanguage& language) {
    compiler_.PageSaved(pagePath, page == 0, language.lcid);
}

Status ChmOutput::Write(const HelpBook& book) {
    // The title goes into the help file as typed; the project's files need a name the file system takes.
    const std::string stem = PortableFileStem(book.title);
    const std::string folder = book.pageFolder;
    ProjectSettings settings{book.title, stem + ".hhc", stem + ".hhk", compiledPath_, book.helpIds, book.language};
    const std::string projectPath = folder + "/" + stem + ".hhp";
    // The writers' results are not examined: a missing file shows in the compiler's messages and as a missing
    // help file.
    WriteContentsFile(book.topics, book.language.codePage, folder, folder + "/" + settings.contentsName);
    WriteIndexFile(book.topics, book.keywords, book.language.codePage, folder, folder + "/" + settings.indexName);
    WriteProjectFile(settings, book.pageFiles, folder, projectPath, &pictureFiles_);
    compilerMessages_ = compiler_.Compile(projectPath, compileObserver);
    if (!keptProjectCompiledPath.empty()) {
        settings.compiledPath = keptProjectCompiledPath;
        WriteProjectFile(settings, book.pageFiles, folder, projectPath);
    }
    std::error_code error;
    const auto compiled = NarrowToPath(compiledPath_);
    if (!compiled || !std::filesystem::is_regular_file(*compiled, error))
        return Failure(StatusCode::Missing, "the help compiler produced no file");
    return {};
}
