#include "ChmConverter.h"

#include "helpproject/GeneratedFile.h"

#include <exception>

ChmConverter::ChmConverter(std::string sourcePath, std::string workFolder)
    : workFolder(std::move(workFolder)), sourcePath(std::move(sourcePath)), root(std::make_unique<TopicNode>()),
      uncaughtAtConstruction_(std::uncaught_exceptions()) {}

ChmConverter::~ChmConverter() noexcept(false) {
    ClearTopics();
    try {
        CloseAndQuitWord();
    } catch (...) {
        root.reset();
        // Raising now while another error unwinds would end the process; that first error is the one to show.
        if (std::uncaught_exceptions() <= uncaughtAtConstruction_)
            throw;
        return;
    }
    root.reset();
    // The remaining members go in reverse order of declaration: pageFiles, title, document, wordApp, the paths.
}

const PageOptions& ChmConverter::Options() {
    if (!options)
        options = ConvertOptions::Instance().Snapshot();
    return *options;
}

void ChmConverter::ClearTopics() {
    ::ClearTopics(root.get());
}

int32_t ChmConverter::Convert(std::string title, std::string compiledPath) {
    if (root->firstChild)
        ClearTopics();
    BuildTopicTree();
    if (!root->firstChild)
        return 0;
    SplitPages();
    this->title = std::move(title);
    // The title goes into the help file as typed; the project's files need a name the file system takes.
    const std::string stem = PortableFileStem(this->title);
    const std::string contentsName = stem + ".hhc";
    const std::string indexName = stem + ".hhk";
    const std::string projectName = stem + ".hhp";
    const std::string contentsPath = workFolder + "/" + contentsName;
    const std::string indexPath = workFolder + "/" + indexName;
    const std::string projectPath = workFolder + "/" + projectName;
    // The writers' and the compile's results are not examined: a missing file shows as a missing help file.
    WriteContentsFile(contentsPath);
    WriteIndexFile(indexPath);
    WriteProjectFile(projectPath, contentsName, indexName, compiledPath);
    CompileHelpProject(projectPath);
    return 1;
}
