// The heading walk and the page split: the source document becomes one topic per heading and one page per topic.

#include "ChmConverter.h"

#include "engine/ConvertOptions.h"
#include "engine/PageDecoration.h"
#include "word/AutomationError.h"

#include "automation/CodePage.h"
#include "automation/HResult.h"
#include "automation/Variant.h"

void ChmConverter::BuildTopicTree() {
    WordParagraphs paragraphs = document.Paragraphs();
    const int32_t count = paragraphs.Count();
    TopicNode* previous = root.get();
    int32_t pageCounter = 0;
    for (int32_t i = 1; i <= count; ++i) {
        WordParagraph paragraph = paragraphs.Item(i);
        if (paragraph.OutlineLevel() >= 10)
            continue;
        // A heading paragraph that holds nothing but a page break is no topic.
        if (paragraph.Range().Text() == "\f")
            continue;
        auto node = std::make_unique<TopicNode>();
        node->paragraph = paragraph;
        node->pageNumber = pageCounter++;
        // AttachTopic reads every level before it links anything, so a failing read leaves the node unlinked and
        // ours to free.
        AttachTopic(root.get(), previous, node.get());
        previous = node.release();
    }
}

namespace {

constexpr int32_t kBodyTextLevel = 10;
constexpr int32_t kFilteredHtmlFormat = 10;

ScopedVariant PathVariant(const std::string& path) {
    auto wide = NarrowToWide(path);
    if (!wide)
        throw AutomationError(DISP_E_TYPEMISMATCH, "A page path cannot be converted for Word.");
    return ScopedVariant::Bstr(*wide);
}

// Empties the page document: Word keeps its last paragraph mark.
void EmptyPage(const WordDocument& page, const WordParagraphs& paragraphs) {
    auto start = ScopedVariant::I4(paragraphs.Item(1).Range().Start());
    auto end = ScopedVariant::I4(paragraphs.Item(paragraphs.Count()).Range().End());
    page.Range(&start, &end).Cut();
}

// Copies the primary header or footer of the source range's first section to the insertion point.
void PasteSectionStory(const WordRange& source, bool header, const WordRange& insertion) {
    WordSection section = source.Sections().Item(1);
    WordHeadersFooters stories = header ? section.Headers() : section.Footers();
    stories.Item(1).Range().Copy();
    insertion.Paste();
}

void SetRangeTo(const WordRange& target, const WordParagraph& paragraph) {
    WordRange range = paragraph.Range();
    target.SetRange(range.Start(), range.End());
}

} // namespace

int32_t ChmConverter::SplitPages() {
    ConvertOptions& options = ConvertOptions::Instance();
    std::vector<TopicNode*> topics;
    CollectPreOrder(root->firstChild, topics);
    pageFiles.clear();
    bookmarkPages.reset();

    auto trueValue = ScopedVariant::I2(1);
    auto falseValue = ScopedVariant::I2(0);
    auto missing = ScopedVariant::Missing();
    WordDocuments documents = wordApp.Documents();
    WordDocument page = documents.Add(&missing, &falseValue, &missing, &trueValue);
    RemoveLinkUnderline(page);

    const int32_t count = static_cast<int32_t>(topics.size());
    for (int32_t i = 0; i < count; ++i) {
        TopicNode& node = *topics[i];
        WordRange content = node.paragraph.Range();
        WordParagraph next = node.paragraph.Next(&missing);
        WordParagraphs pageParagraphs = page.Paragraphs();
        EmptyPage(page, pageParagraphs);

        // A heading followed by body text takes everything up to the next heading (or the document's end);
        // any other heading is a page of its own line.
        if (!next.empty() && next.OutlineLevel() == kBodyTextLevel) {
            auto start = ScopedVariant::I4(content.Start());
            int32_t endPosition = 0;
            if (i < count - 1) {
                endPosition = topics[i + 1]->paragraph.Previous(&missing).Range().End();
            } else {
                WordParagraphs sourceParagraphs = document.Paragraphs();
                endPosition = sourceParagraphs.Item(sourceParagraphs.Count()).Range().End();
            }
            auto end = ScopedVariant::I4(endPosition);
            content = document.Range(&start, &end);
        }

        WordRange insertion = pageParagraphs.Item(1).Range();
        insertion.SetRange(0, 0);
        if (options.showHeader) {
            PasteSectionStory(content, true, insertion);
            pageParagraphs.Add(&missing);
            pageParagraphs.Add(&missing);
            SetRangeTo(insertion, pageParagraphs.Add(&missing));
        }
        content.Copy();
        insertion.Paste();
        insertion.SetRange(0, pageParagraphs.Item(pageParagraphs.Count()).Range().End());

        FixPageLinks(*this, insertion);
        if (options.relatedTopics)
            AppendRelatedTopics(node, page);
        if (!options.showNumbering)
            RemoveHeadingNumbers(page);
        AppendCopyrightNotice(page);
        if (options.showFooter) {
            SetRangeTo(insertion, pageParagraphs.Add(&missing));
            PasteSectionStory(content, false, insertion);
        }
        NormalizeParagraphSpacing(page);

        node.pageName = std::to_string(i) + ".html";
        pageFiles.push_back(node.pageName);
        if (options.pngImages)
            page.WebOptions().SetAllowPNG(true);
        auto fileName = PathVariant(workFolder + "/" + node.pageName);
        auto format = ScopedVariant::I4(kFilteredHtmlFormat);
        page.SaveAs(&fileName, &format, &missing, &missing, &falseValue, &missing, &missing, &missing, &missing,
                    &missing, &missing, &missing, &missing, &missing, &missing, &missing);

        if (pageObserver) {
            std::string heading = node.paragraph.Range().Text();
            std::erase(heading, '\r');
            pageObserver(i, count, heading);
        }
    }
    page.Close(&falseValue, &missing, &missing);
    return 1;
}
