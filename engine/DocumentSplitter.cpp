// The heading walk and the page split: the source document becomes one topic per heading and one page per topic.

#include "ChmConverter.h"

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
