#include "ChmConverter.h"

#include "engine/ConvertOptions.h"
#include "helpproject/GeneratedFile.h"
#include "helpproject/HelpCompiler.h"
#include "helpproject/ProjectWriter.h"
#include "helpproject/SitemapWriter.h"

#include "automation/CodePage.h"
#include "automation/HeadingText.h"
#include "automation/ServerWarnings.h"

#include <exception>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <utility>

namespace {

// The topic's plain title, shortened to what the help file shows; withNumber: its list number, a space and the
// text.
std::string TopicTitle(const TopicNode& node, bool withNumber) {
    std::string text = PlainTitle(node);
    if (withNumber && !node.paragraph.empty()) {
        const std::string number = node.paragraph.Range().ListFormat().ListString();
        if (!number.empty())
            text = number + " " + text;
    }
    const auto wide = NarrowToWide(text);
    if (!wide)
        return text;
    return WideToNarrow(ShortTitle(PlainHeadingText(*wide))).value_or(text);
}

// The tree from first on as the sitemap writers take it, titles asked of Word in document order.
std::vector<SitemapTopic> SitemapTopics(const TopicNode* first, bool withNumbers) {
    std::vector<SitemapTopic> topics;
    for (const TopicNode* node = first; node; node = node->nextSibling) {
        SitemapTopic topic{TopicTitle(*node, withNumbers), node->pageName, {}};
        topic.children = SitemapTopics(node->firstChild, withNumbers);
        topics.push_back(std::move(topic));
    }
    return topics;
}

} // namespace

ChmConverter::ChmConverter(std::string sourcePath, std::string workFolder)
    : workFolder(std::move(workFolder)), sourcePath(std::move(sourcePath)), root(std::make_unique<TopicNode>()),
      uncaughtAtConstruction_(std::uncaught_exceptions()) {}

ChmConverter::~ChmConverter() noexcept(false) {
    ClearTopics();
    try {
        CloseAndQuitWord();
#ifdef __GLIBC__
        // Hand the freed pages back, so the compile's peak does not come on top of them.
        malloc_trim(0);
#endif
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

void ChmConverter::CollectServerWarnings(const std::string& context) {
    for (const std::string& warning : TakeServerWarnings())
        warnings.push_back(context + ": " + Utf8ToNarrow(warning).value_or(warning));
}

int32_t ChmConverter::Convert(std::string title, std::string compiledPath) {
    if (root->firstChild)
        ClearTopics();
    // The front page, when there is one, carries the help title; a document without headings leaves it as it was.
    std::string previousTitle = std::exchange(this->title, std::move(title));
    RemoveWordIndex();
    BuildTopicTree();
    if (!root->firstChild) {
        this->title = std::move(previousTitle);
        return 0;
    }
    CollectHelpIds(compiledPath);
    CollectIndexEntries();
    SplitPages();
    CheckHelpIdAnchors();
    CheckIndexEntryAnchors();
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
    if (quitWordBeforeCompile) {
        // Closed or not, Word is not asked again: teardown finds nothing left to close.
        struct Release {
            ChmConverter& converter;
            ~Release() {
                converter.document.ReleaseDispatch();
                converter.wordApp.ReleaseDispatch();
            }
        } release{*this};
        CloseAndQuitWord();
    }
    CompileHelpProject(projectPath);
    if (!keptProjectCompiledPath.empty())
        WriteProjectFile(projectPath, contentsName, indexName, keptProjectCompiledPath);
    WriteMapHeader();
    return 1;
}

bool ChmConverter::WriteContentsFile(const std::string& contentsPath) {
    return ::WriteContentsFile(SitemapTopics(root->firstChild, Options().showNumbering), workFolder, contentsPath);
}

bool ChmConverter::WriteIndexFile(const std::string& indexPath) {
    const std::vector<SitemapTopic> topics = SitemapTopics(root->firstChild, Options().showNumbering);
    std::vector<std::string> pageTitles; // pages are numbered in pre-order
    std::function<void(const std::vector<SitemapTopic>&)> collect = [&](const std::vector<SitemapTopic>& level) {
        for (const SitemapTopic& topic : level) {
            pageTitles.push_back(topic.title);
            collect(topic.children);
        }
    };
    collect(topics);
    return ::WriteIndexFile(topics, IndexKeywordsOf(indexEntries, pageTitles), workFolder, indexPath);
}

bool ChmConverter::WriteProjectFile(const std::string& projectPath, const std::string& contentsName,
                                    const std::string& indexName, const std::string& compiledPath) {
    ProjectSettings settings{title, contentsName, indexName, compiledPath, {}};
    for (const HelpId& id : helpIds)
        if (id.page >= 0)
            settings.contextTopics.push_back({id.name, id.number, HelpIdTarget(id)});
    return ::WriteProjectFile(settings, pageFiles, workFolder, projectPath);
}

void ChmConverter::CompileHelpProject(const std::string& projectPath) {
    compilerMessages = RunHelpCompiler(projectPath, compileObserver);
}
