#include "ChmConverter.h"

#include "engine/LanguageChoice.h"
#include "helpproject/ChmOutput.h"
#include "word/AutomationError.h"

#include "automation/CodePage.h"
#include "automation/HeadingText.h"
#include "automation/ServerWarnings.h"
#include "automation/Variant.h"

#include <algorithm>
#include <exception>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <utility>

namespace {

// Characters of the document's text asked of Word at a time while the help file's language is chosen.
constexpr int32_t kLanguageTextStretch = 1 << 20;

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

// The tree from first on as the outputs take it, titles asked of Word in document order.
std::vector<BookTopic> BookTopics(const TopicNode* first, bool withNumbers) {
    std::vector<BookTopic> topics;
    for (const TopicNode* node = first; node; node = node->nextSibling) {
        BookTopic topic{TopicTitle(*node, withNumbers), node->pageName, {}};
        topic.children = BookTopics(node->firstChild, withNumbers);
        topics.push_back(std::move(topic));
    }
    return topics;
}

} // namespace

ChmConverter::ChmConverter(std::string sourcePath, std::string workFolder, PageOptions options)
    : workFolder(std::move(workFolder)), sourcePath(std::move(sourcePath)), options(std::move(options)),
      root(std::make_unique<TopicNode>()), uncaughtAtConstruction_(std::uncaught_exceptions()) {}

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

void ChmConverter::ClearTopics() {
    ::ClearTopics(root.get());
}

void ChmConverter::CollectServerWarnings(const std::string& context) {
    for (const std::string& warning : TakeServerWarnings())
        warnings.push_back(context + ": " + Utf8ToNarrow(warning).value_or(warning));
}

int32_t ChmConverter::Convert(std::string title, std::string compiledPath) {
    ChmOutput output(compiledPath);
    BookOutput* const outputs[] = {&output};
    return Convert(std::move(title), compiledPath, outputs);
}

int32_t ChmConverter::Convert(std::string title, const std::string& compiledPath,
                              std::span<BookOutput* const> outputs) {
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
    ChooseLanguage();
    {
        // Told of the pages only while this conversion makes them, also when making them fails.
        struct Watching {
            std::span<BookOutput* const>& watched;
            ~Watching() { watched = {}; }
        } watching{outputs_ = outputs};
        SplitPages();
    }
    CheckHelpIdAnchors();
    CheckIndexEntryAnchors();
    const HelpBook book = MakeHelpBook();
    if (quitWordBeforeOutputs) {
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
    for (BookOutput* output : outputs)
        output->Write(book);
    WriteMapHeader();
    return 1;
}

void ChmConverter::ChooseLanguage() {
    auto missing = ScopedVariant::Missing();
    const WordRange whole = document.Range(&missing, &missing);
    const int32_t declared = whole.LanguageID();
    const int32_t declaredFarEast = whole.LanguageIDFarEast();
    // The title and the headings are in the document's text; a page holds what no code page has as references. The
    // text is asked for a stretch at a time: a large document's whole text came as three copies at once.
    TextCharacters characters;
    characters.Add(title + "\n");
    const int32_t end = whole.End();
    for (int32_t start = whole.Start(); start < end;) {
        int32_t stop = end - start > kLanguageTextStretch ? start + kLanguageTextStretch : end;
        auto from = ScopedVariant::I4(start);
        std::string piece;
        try {
            auto to = ScopedVariant::I4(stop);
            piece = document.Range(&from, &to).Text();
        } catch (const AutomationError&) {
            // A stretch that ends between the two halves of a character cannot be converted; one more makes it whole.
            if (stop == end)
                throw;
            auto to = ScopedVariant::I4(++stop);
            piece = document.Range(&from, &to).Text();
        }
        characters.Add(piece);
        start = stop;
    }
    const LanguageChoice choice = ChooseHelpLanguage(options.language, static_cast<uint32_t>(std::max(declared, 0)),
                                                     static_cast<uint32_t>(std::max(declaredFarEast, 0)), characters);
    language = choice.language;
    if (!choice.warning.empty())
        warnings.push_back(choice.warning);
}

HelpBook ChmConverter::MakeHelpBook() {
    HelpBook book;
    book.title = title;
    book.pageFolder = workFolder;
    book.pageFiles = pageFiles;
    book.topics = BookTopics(root->firstChild, options.showNumbering);
    book.language = language;
    for (const HelpId& id : helpIds)
        if (id.page >= 0)
            book.helpIds.push_back({id.name, id.number, HelpIdTarget(id)});
    std::vector<std::string> pageTitles; // pages are numbered in pre-order
    std::function<void(const std::vector<BookTopic>&)> collect = [&](const std::vector<BookTopic>& level) {
        for (const BookTopic& topic : level) {
            pageTitles.push_back(topic.title);
            collect(topic.children);
        }
    };
    collect(book.topics);
    book.keywords = IndexKeywordsOf(indexEntries, pageTitles);
    return book;
}
