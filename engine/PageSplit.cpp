// The page split: every topic becomes one page, assembled in a scratch document, decorated and saved as HTML.

#include "ChmConverter.h"

#include "engine/PageDecoration.h"
#include "word/AutomationError.h"

#include "automation/CodePage.h"
#include "automation/HResult.h"
#include "automation/HeadingText.h"
#include "automation/ServerWarnings.h"
#include "automation/Variant.h"
#include "automation/WordConventions.h"

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

void ChmConverter::SplitPages() {
    std::vector<TopicNode*> topics;
    CollectPreOrder(root->firstChild, topics);
    pageFiles.clear();
    bookmarkPages_.reset();

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

        for (std::string& problem :
             FixPageLinks(insertion, [this](const std::string& name) { return PageFileForBookmark(name); }))
            warnings.push_back(std::move(problem));
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
        auto encoding = ScopedVariant::I4(static_cast<int32_t>(language.codePage));
        page.SaveAs(&fileName, &format, &missing, &missing, &falseValue, &missing, &missing, &missing, &missing,
                    &missing, &missing, &encoding, &missing, &missing, &missing, &missing);
        for (BookOutput* output : outputs_)
            output->PageSaved(workFolder + "/" + node.pageName, static_cast<size_t>(i), language);

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
}
