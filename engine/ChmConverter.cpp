#include "ChmConverter.h"

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

void ChmConverter::ClearTopics() {
    ::ClearTopics(root.get());
}

int32_t ChmConverter::Convert(std::string title, std::string compiledPath) {
    if (root->firstChild)
        ClearTopics();
    BuildTopicTree();
    if (!root->firstChild)
        return 0;
    CollectHelpIds(compiledPath);
    SplitPages();
    CheckHelpIdAnchors();
    this->title = std::move(title);
    const std::string contentsName = this->title + ".hhc";
    const std::string indexName = this->title + ".hhk";
    const std::string projectName = this->title + ".hhp";
    const std::string contentsPath = workFolder + "/" + contentsName;
    const std::string indexPath = workFolder + "/" + indexName;
    const std::string projectPath = workFolder + "/" + projectName;
    // The writers' and the compile's results are not examined: a missing file shows as a missing help file.
    WriteContentsFile(contentsPath);
    WriteIndexFile(indexPath);
    WriteProjectFile(projectPath, contentsName, indexName, compiledPath);
    CompileHelpProject(projectPath);
    WriteMapHeader();
    return 1;
}
