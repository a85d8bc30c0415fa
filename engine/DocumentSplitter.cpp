// The heading walk and the page split: the source document becomes one topic per heading and one page per topic.

#include "ChmConverter.h"

#include "engine/ConvertOptions.h"
#include "engine/PageDecoration.h"
#include "word/AutomationError.h"

#include "automation/CodePage.h"
#include "automation/HResult.h"
#include "automation/HeadingText.h"
#include "automation/ServerWarnings.h"
#include "automation/Variant.h"
#include "automation/WordConventions.h"

namespace {

constexpr char16_t kPictureCharacter = 0x01;

// Whether a paragraph's text shows anything: a character beyond spaces and breaks, or a picture.
bool HoldsContent(const std::string& narrow) {
    const auto wide = NarrowToWide(narrow);
    if (!wide)
        return !narrow.empty();
    for (const char16_t c : *wide)
        if (c == kPictureCharacter || c == 0x1E || (c > 0x20 && c != 0x7F && c != 0x00A0 && c != 0x3000))
            return true;
    return false;
}

size_t PlainLength(const std::string& narrow) {
    const auto wide = NarrowToWide(narrow);
    return wide ? wide->size() : narrow.size();
}

} // namespace

void ChmConverter::BuildTopicTree() {
    WordParagraphs paragraphs = document.Paragraphs();
    const int32_t count = paragraphs.Count();
    TopicNode* previous = root.get();
    int32_t pageCounter = 0;
    int32_t frontParagraphs = 0; // paragraphs with something to show before the first heading
    for (int32_t i = 1; i <= count; ++i) {
        WordParagraph paragraph = paragraphs.Item(i);
        if (paragraph.OutlineLevel() >= kBodyTextLevel) {
            if (previous == root.get() && HoldsContent(paragraph.Range().Text()))
                ++frontParagraphs;
            continue;
        }
        const std::string text = paragraph.Range().Text();
        // A heading paragraph that holds nothing but a page break is no topic.
        if (text == "\f")
            continue;
        // Nor is a heading with no text to show (a blank entry in the contents and index): what it holds and what
        // follows it stay on the page before, or count as text before the first heading.
        const std::string plain = PlainLine(text);
        if (IsBlankHeading(NarrowToWide(plain).value_or(u"x"))) {
            if (previous == root.get())
                frontParagraphs += HoldsContent(text) ? 1 : 0;
            else
                warnings.push_back("an empty heading after " + QuotedTitle(*previous) +
                                   " is left out of the contents and index; what follows it is on that topic's page");
            continue;
        }
        auto node = std::make_unique<TopicNode>();
        node->paragraph = paragraph;
        if (const size_t length = PlainLength(plain); length > kMaxTitleLength)
            warnings.push_back("the heading " + QuotedTitle(*node) + " is " + std::to_string(length) +
                               " characters long; the contents, index and page title show its first " +
                               std::to_string(kMaxTitleLength - 1) + ", its page the whole heading");
        node->pageNumber = pageCounter++;
        // AttachTopic reads every level before it links anything, so a failing read leaves the node unlinked and
        // ours to free.
        AttachTopic(root.get(), previous, node.get());
        previous = node.release();
    }
    if (frontParagraphs == 0 || !root->firstChild)
        return;
    if (!Options().frontPage) {
        warnings.push_back(std::to_string(frontParagraphs) +
                           " paragraph(s) before the first heading are on no page (title page, abstract, "
                           "introduction); the front page option puts them on a page of their own");
        return;
    }
    // The front page comes first in the contents, beside the first-level topics, and is page 0.
    auto front = std::make_unique<TopicNode>();
    front->fixedTitle = title;
    front->parent = root.get();
    front->nextSibling = root->firstChild;
    front->pageNumber = 0;
    std::vector<TopicNode*> topics;
    CollectPreOrder(root->firstChild, topics);
    for (TopicNode* topic : topics)
        ++topic->pageNumber;
    root->firstChild = front.release();
}

namespace {

ScopedVariant PathVariant(const std::string& path) {
    auto wide = NarrowToWide(path);
    if (!wide)
        throw AutomationError(DISP_E_TYPEMISMATCH, "A page path cannot be converted for Word.");
    return ScopedVariant::Bstr(*wide);
}

// Whether a topic's page runs on past its heading: the paragraph after the heading is body text, or a heading that
// is no topic (not the next topic's heading).
bool TakesFollowingText(const WordParagraph& next, const TopicNode* nextTopic) {
    if (next.OutlineLevel() == kBodyTextLevel)
        return true;
    return !nextTopic || next.Range().Start() != nextTopic->paragraph.Range().Start();
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
    const PageOptions& options = Options();
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
        const size_t warningsBefore = warnings.size();
        WordRange content = node.paragraph.Range();
        WordParagraph next = node.paragraph.Next(&missing);
        WordParagraphs pageParagraphs = page.Paragraphs();
        EmptyPage(page, pageParagraphs);

        // A heading takes everything up to the next topic's heading (or the document's end): its body text, and
        // headings that are no topic (page breaks, empty headings) with what follows them. A heading followed by
        // the next topic's heading is a page of its own line. The front page runs from the document's start to
        // the first heading.
        if (node.paragraph.empty() ||
            (!next.empty() && TakesFollowingText(next, i + 1 < count ? topics[i + 1] : nullptr))) {
            auto start = ScopedVariant::I4(node.paragraph.empty() ? 0 : content.Start());
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
        AppendCopyrightNotice(page, options.copyrightText);
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

        // What this page's decoration and export reported, named by the page and its heading.
        if (warnings.size() > warningsBefore || HasServerWarnings()) {
            const std::string context = "page " + node.pageName + " " + QuotedTitle(node);
            for (size_t w = warningsBefore; w < warnings.size(); ++w)
                warnings[w] = context + ": " + warnings[w];
            CollectServerWarnings(context);
        }

        if (pageObserver)
            pageObserver(i, count, PlainTitle(node));
    }
    page.Close(&falseValue, &missing, &missing);
    return 1;
}
