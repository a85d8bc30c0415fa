#include "PageDecoration.h"

#include "engine/ChmConverter.h"

#include "word/AutomationError.h"

#include "automation/CodePage.h"
#include "automation/HResult.h"
#include "automation/Variant.h"
#include "automation/WordConventions.h"
#include "base/Text.h"

namespace {

constexpr float kParagraphSpacingPoints = 3.0f;
constexpr float kRuleWidthPercent = 100.0f;
constexpr float kCopyrightPoints = 10.0f;
constexpr int32_t kCopyrightColor = 0xA8A8A8; // Word colours are 0xBBGGRR; grey either way
const std::string kHyperlinkChinese = "超链接";

std::string PageName(int32_t pageNumber) {
    return std::to_string(pageNumber) + ".html";
}

ScopedVariant NarrowTextVariant(const std::string& text) {
    auto wide = NarrowToWide(text);
    if (!wide)
        throw AutomationError(DISP_E_TYPEMISMATCH, "A text cannot be converted from the system code page.");
    return ScopedVariant::Bstr(*wide);
}

} // namespace

void RemoveLinkUnderline(WordDocument page) {
    WordStyles styles = page.Styles();
    for (int32_t i = 1; i <= styles.Count(); ++i) {
        auto index = ScopedVariant::I4(i);
        WordStyle style = styles.Item(&index);
        const std::string name = AsciiLower(style.NameLocal());
        if (name.find(kHyperlinkChinese) != std::string::npos || name.find("hyperlink") != std::string::npos)
            style.Font().SetUnderline(0);
    }
}

std::vector<std::string> FixPageLinks(WordRange pageRange,
                                      const std::function<std::string(const std::string&)>& pageFileForBookmark) {
    std::vector<std::string> warnings;
    WordHyperlinks links = pageRange.Hyperlinks();
    for (int32_t i = 1; i <= links.Count(); ++i) {
        auto index = ScopedVariant::I4(i);
        WordHyperlink link = links.Item(&index);
        try {
            const std::string address = link.Address();
            const std::string name = link.Name();
            if (!address.empty())
                continue;
            const std::string pageFile = pageFileForBookmark(name);
            if (pageFile.empty()) {
                // Pointing it at some page would send the reader somewhere arbitrary; as it stands, the link is
                // visibly dead in the page and named in the warnings.
                warnings.push_back("A link to the missing bookmark \"" + name + "\" was left unchanged.");
                continue;
            }
            link.SetAddress(pageFile);
        } catch (const AutomationError& error) {
            warnings.push_back("A link could not be rewritten: " + std::string(error.what()));
        }
    }
    return warnings;
}

namespace {

// Headings come in document order, so their starts rise: the first heading after the position is found by
// halving, reading only a few starts.
int32_t PageIndexAmong(const std::vector<TopicNode*>& topics, int32_t position) {
    int32_t low = 0;
    int32_t high = static_cast<int32_t>(topics.size());
    while (low < high) {
        const int32_t middle = low + (high - low) / 2;
        if (position < topics[middle]->paragraph.Range().Start())
            high = middle;
        else
            low = middle + 1;
    }
    return low == 0 ? 0 : low - 1;
}

} // namespace

// The count is read again after each bookmark, as Word's collection may change.
void ForEachBookmark(WordDocument document, const std::function<bool(WordBookmark&)>& visit) {
    WordBookmarks bookmarks = document.Bookmarks();
    bookmarks.SetShowHidden(true);
    int32_t count = bookmarks.Count();
    for (int32_t i = 1; i <= count; ++i) {
        auto index = ScopedVariant::I4(i);
        WordBookmark bookmark = bookmarks.Item(&index);
        if (!visit(bookmark))
            return;
        count = bookmarks.Count();
    }
}

// One walk over the bookmarks; the first of two equal names wins, as a search from the front would find it.
std::string ChmConverter::PageFileForBookmark(const std::string& name) {
    if (!bookmarkPages_) {
        std::vector<TopicNode*> topics;
        CollectPreOrder(root->firstChild, topics);
        bookmarkPages_.emplace();
        ForEachBookmark(document, [&](WordBookmark& bookmark) {
            std::string bookmarkName = bookmark.Name();
            if (!bookmarkPages_->contains(bookmarkName)) {
                WordRange range = bookmark.Range();
                if (!range.empty())
                    bookmarkPages_->emplace(std::move(bookmarkName), PageIndexAmong(topics, range.Start()));
            }
            return true;
        });
    }
    const auto found = bookmarkPages_->find(name);
    return found == bookmarkPages_->end() ? std::string() : PageName(found->second);
}

int32_t PageIndexOfPosition(const std::vector<TopicNode*>& topics, WordRange range) {
    return PageIndexAmong(topics, range.Start());
}

void AppendRelatedTopics(const TopicNode& node, WordDocument page) {
    if (!node.firstChild)
        return;
    WordParagraphs paragraphs = page.Paragraphs();
    WordHyperlinks links = page.Hyperlinks();
    auto missing = ScopedVariant::Missing();
    paragraphs.Add(&missing); // an empty paragraph between the text and the list
    for (const TopicNode* child = node.firstChild; child; child = child->nextSibling) {
        WordParagraph entry = paragraphs.Add(&missing);
        const std::string title = PlainTitle(*child);
        WordRange entryRange = entry.Range();
        entryRange.SetText(title);
        entryRange.ListFormat().RemoveNumbers(&missing);
        auto address = NarrowTextVariant(PageName(child->pageNumber));
        links.Add(entryRange, &address, &missing, &missing, &missing, &missing);
        paragraphs.Add(&missing);
    }
}

void RemoveHeadingNumbers(WordDocument page) {
    WordListParagraphs listParagraphs = page.ListParagraphs();
    auto missing = ScopedVariant::Missing();
    for (int32_t i = 1; i <= listParagraphs.Count(); ++i) {
        WordParagraph paragraph = listParagraphs.Item(i);
        if (paragraph.OutlineLevel() >= kBodyTextLevel)
            continue;
        // The collection is live: a paragraph that leaves the list takes its index with it, and the next list
        // paragraph moves up into that index.
        const int32_t before = listParagraphs.Count();
        paragraph.Range().ListFormat().RemoveNumbers(&missing);
        if (listParagraphs.Count() < before)
            --i;
    }
}

void AppendCopyrightNotice(WordDocument page, const std::string& text) {
    if (text.empty())
        return;
    WordParagraphs paragraphs = page.Paragraphs();
    auto missing = ScopedVariant::Missing();
    paragraphs.Add(&missing);
    paragraphs.Add(&missing);
    WordParagraph ruleParagraph = paragraphs.Add(&missing);
    WordRange ruleRange = ruleParagraph.Range();
    ruleRange.InlineShapes().AddHorizontalLineStandard(&missing).HorizontalLineFormat().SetPercentWidth(
        kRuleWidthPercent);
    paragraphs.Add(&missing).Range().SetText(text);
    // The rule's range, not the text's: Word widens a range on the last paragraph over what is appended after it,
    // so this reaches the copyright text too.
    WordFont font = ruleRange.Font();
    font.SetSize(kCopyrightPoints);
    font.SetColor(kCopyrightColor);
}

void NormalizeParagraphSpacing(WordDocument page) {
    WordParagraphs paragraphs = page.Paragraphs();
    for (int32_t i = 1; i <= paragraphs.Count(); ++i) {
        WordParagraph paragraph = paragraphs.Item(i);
        paragraph.SetLineSpacingRule(0);
        paragraph.SetSpaceAfterAuto(0);
        paragraph.SetSpaceBeforeAuto(0);
        paragraph.SetSpaceAfter(kParagraphSpacingPoints);
        paragraph.SetSpaceBefore(kParagraphSpacingPoints);
    }
}
