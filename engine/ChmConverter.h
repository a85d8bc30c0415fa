#pragma once
// One conversion job: the source document open in Word, its topic tree, and the help project made from it.
// Its operations are all in engine/ (the splitter, the page decoration, Word's start and end in files of their
// own); the help project's files and the compile are helpproject/'s, which takes the topics as plain data.

#include "engine/ConvertOptions.h"
#include "engine/HelpIds.h"
#include "engine/IndexEntries.h"
#include "engine/TopicTree.h"
#include "word/WordObjects.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

class ChmConverter {
public:
    // Makes no Word call and touches no file.
    ChmConverter(std::string sourcePath, std::string workFolder);
    // Frees the tree, closes the source document without saving and quits Word. A failing close or quit is
    // raised, unless another error is already on its way out: then the first error is the one that travels.
    ~ChmConverter() noexcept(false);
    ChmConverter(const ChmConverter&) = delete;
    ChmConverter& operator=(const ChmConverter&) = delete;

    // Starts Word hidden and opens the source read-only. 0 when Word cannot be started (already reported);
    // Word's refusal to open the document is raised.
    int32_t StartWordAndOpen();
    // Runs the whole conversion. 1 when it ran to its end, 0 when the document has no heading.
    int32_t Convert(std::string title, std::string compiledPath);

    // The steps of Convert, in the order it runs them.
    // Word's own index (INDEX fields) leaves the source: the document's index entries make the help file's index.
    void RemoveWordIndex();
    void ClearTopics();
    void BuildTopicTree();
    // Finds the "IDH_" bookmarks and gives them numbers; a fault in them or in the header raises HelpIdError.
    void CollectHelpIds(const std::string& compiledPath);
    // Finds the index entries (XE fields) and marks each place with a hidden bookmark; a faulty entry is a warning.
    void CollectIndexEntries();
    int32_t SplitPages();
    // A help ID whose anchor did not reach its page opens the page's top, with a warning.
    void CheckHelpIdAnchors();
    // An entry whose anchor did not reach its page leads to the page's top.
    void CheckIndexEntryAnchors();
    bool WriteContentsFile(const std::string& contentsPath);
    bool WriteIndexFile(const std::string& indexPath);
    bool WriteProjectFile(const std::string& projectPath, const std::string& contentsName, const std::string& indexName,
                          const std::string& compiledPath);
    void CompileHelpProject(const std::string& projectPath);
    // The header of help IDs the front end asked for, if any; a failed write raises HelpIdError.
    void WriteMapHeader();

    void CloseAndQuitWord();

    // The options of this run: those set here, else the process-wide ones as they are at their first use.
    const PageOptions& Options();
    // Moves what the document server reported since the last call into warnings, each after context (narrow).
    void CollectServerWarnings(const std::string& context);

    const std::string workFolder;
    const std::string sourcePath;
    WordApplication wordApp;
    WordDocument document;
    std::unique_ptr<TopicNode> root;
    std::string title = "doc";
    std::vector<std::string> pageFiles;
    std::optional<PageOptions> options;
    HelpIdSettings helpIdSettings;
    std::vector<HelpId> helpIds;
    std::vector<IndexEntry> indexEntries;

    // A run that converts once closes the source and quits Word before the compile: the compile needs none of
    // it, and the source's text and pictures would otherwise stay in memory beside the compiler's.
    bool quitWordBeforeCompile = false;

    // Front ends may watch the pages being saved (page number from 0, page count, heading text).
    std::function<void(int32_t page, int32_t pageCount, const std::string& title)> pageObserver;
    // What a run skipped or could not do, for the front ends to show (narrow text), each naming the page, heading
    // or picture it concerns.
    std::vector<std::string> warnings;
    // The help compiler's progress (one line per file it takes in, narrow), for a progress display.
    std::function<void(const std::string& line)> compileObserver;
    // The help compiler's warnings and errors during the last compile.
    std::vector<std::string> compilerMessages;
    // When set (narrow), the project left in the work folder names this help file instead of the one compiled:
    // a kept folder outlives the place the help file was made in before it was moved to the user's path.
    std::string keptProjectCompiledPath;
    // The page of every bookmark of the source, read at the first link of a split and kept until the next
    // split: the source does not change while pages are made, and walking all bookmarks for every link made
    // large documents quadratic.
    std::optional<std::unordered_map<std::string, int32_t>> bookmarkPages;

private:
    int uncaughtAtConstruction_;
};
