#pragma once
// One conversion job: the source document open in Word, its topic tree, and the help book made from it. Its
// operations are all in engine/ (the heading walk and page split, the page decoration, the help IDs, Word's start
// and end in files of their own); what is made of the help book is each output's own (helpproject/ for the compiled
// help file), and the converter only hands the book to the outputs it is given.

#include "book/HelpBook.h"
#include "engine/HelpIds.h"
#include "engine/IndexEntries.h"
#include "engine/PageOptions.h"
#include "engine/TopicTree.h"
#include "word/WordObjects.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

class ChmConverter {
public:
    // Makes no Word call and touches no file. The options are the run's from its start to its end.
    ChmConverter(std::string sourcePath, std::string workFolder, PageOptions options = {});
    // Frees the tree, closes the source document without saving and quits Word. A failing close or quit is
    // raised, unless another error is already on its way out: then the first error is the one that travels.
    ~ChmConverter() noexcept(false);
    ChmConverter(const ChmConverter&) = delete;
    ChmConverter& operator=(const ChmConverter&) = delete;

    // Starts Word hidden and opens the source read-only. 0 when Word cannot be started (already reported);
    // Word's refusal to open the document is raised.
    int32_t StartWordAndOpen();
    // Runs the whole conversion into one compiled help file. 1 when it ran to its end, 0 when the document has no
    // heading.
    int32_t Convert(std::string title, std::string compiledPath);
    // The same, handing the help book to each output in turn; compiledPath is only where a help ID header must not
    // go. The outputs' results are theirs to report.
    int32_t Convert(std::string title, const std::string& compiledPath, std::span<BookOutput* const> outputs);

    // The steps of Convert, in the order it runs them.
    // Word's own index (INDEX fields) leaves the source: the document's index entries make the help file's index.
    void RemoveWordIndex();
    void ClearTopics();
    void BuildTopicTree();
    // Finds the "IDH_" bookmarks and gives them numbers; a fault in them or in the header raises HelpIdError.
    void CollectHelpIds(const std::string& compiledPath);
    // Finds the index entries (XE fields) and marks each place with a hidden bookmark; a faulty entry is a warning.
    void CollectIndexEntries();
    // The help file's language: the one asked for, or chosen from the document's declared languages and text
    // (engine/LanguageChoice.h); what its code page lacks is a warning.
    void ChooseLanguage();
    void SplitPages();
    // A help ID whose anchor did not reach its page opens the page's top, with a warning.
    void CheckHelpIdAnchors();
    // An entry whose anchor did not reach its page leads to the page's top.
    void CheckIndexEntryAnchors();
    // The topics' titles asked of Word, in document order, and everything else the outputs write from.
    HelpBook MakeHelpBook();
    // The header of help IDs the front end asked for, if any; a failed write raises HelpIdError.
    void WriteMapHeader();

    void CloseAndQuitWord();

    // The page file holding the source bookmark name; empty when the source has no such bookmark. The pages of
    // all bookmarks are read at the first call of a split and kept until the next split: the source does not
    // change while pages are made, and walking all bookmarks for every link made large documents quadratic.
    std::string PageFileForBookmark(const std::string& name);
    // Moves what the document server reported since the last call into warnings, each after context (narrow).
    void CollectServerWarnings(const std::string& context);

    const std::string workFolder;
    const std::string sourcePath;
    const PageOptions options;
    WordApplication wordApp;
    WordDocument document;
    std::unique_ptr<TopicNode> root;
    std::string title = "doc";
    std::vector<std::string> pageFiles;
    HelpIdSettings helpIdSettings;
    std::vector<HelpId> helpIds;
    std::vector<IndexEntry> indexEntries;
    HelpLanguage language; // the pages are saved in its code page

    // A run that converts once closes the source and quits Word once the help book is made: the outputs need none
    // of it, and the source's text and pictures would otherwise stay in memory beside the compiler's.
    bool quitWordBeforeOutputs = false;

    // Front ends may watch the pages being saved (page number from 0, page count, heading text).
    std::function<void(int32_t page, int32_t pageCount, const std::string& title)> pageObserver;
    // What a run skipped or could not do, for the front ends to show (narrow text), each naming the page, heading
    // or picture it concerns.
    std::vector<std::string> warnings;

private:
    std::optional<std::unordered_map<std::string, int32_t>> bookmarkPages_;
    // The outputs of the conversion under way, told of each page as it is saved.
    std::span<BookOutput* const> outputs_;
    int uncaughtAtConstruction_;
};
