// The heading walk: every heading of the source with something to show becomes a topic of the tree.

#include "ChmConverter.h"

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
    if (!options.frontPage) {
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
