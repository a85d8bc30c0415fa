#include "TopicTree.h"

#include "automation/CodePage.h"
#include "automation/HeadingText.h"

std::string PlainLine(const std::string& text) {
    const auto wide = NarrowToWide(text);
    if (!wide)
        return text;
    return WideToNarrow(PlainHeadingText(*wide)).value_or(text);
}

std::string PlainTitle(const TopicNode& node) {
    if (node.paragraph.empty())
        return node.fixedTitle;
    return PlainLine(node.paragraph.Range().Text());
}

std::string QuotedTitle(const TopicNode& node) {
    constexpr size_t kShown = 60;
    const std::string plain = PlainTitle(node);
    auto wide = NarrowToWide(plain);
    if (!wide || wide->size() <= kShown)
        return "\"" + plain + "\"";
    size_t cut = kShown;
    if ((*wide)[cut - 1] >= 0xD800 && (*wide)[cut - 1] < 0xDC00)
        --cut;
    wide->resize(cut);
    return "\"" + WideToNarrow(*wide).value_or(std::string()) + "...\"";
}

void AttachTopic(TopicNode* root, TopicNode* previous, TopicNode* node) {
    if (previous == root) {
        root->firstChild = node;
        node->parent = root;
        return;
    }
    const int32_t previousLevel = previous->paragraph.OutlineLevel();
    const int32_t level = node->paragraph.OutlineLevel();
    if (level == previousLevel) {
        previous->nextSibling = node;
        node->parent = previous->parent;
        return;
    }
    if (level > previousLevel) {
        previous->firstChild = node; // a jump of several levels still nests one level
        node->parent = previous;
        return;
    }
    // Shallower: become the next sibling of the highest ancestor on the current path whose level is not below the
    // new one, stopping at the first of equal level; reaching the root makes a first-level topic.
    TopicNode* sibling = previous;
    for (TopicNode* ancestor = previous->parent; ancestor && ancestor != root; ancestor = ancestor->parent) {
        const int32_t ancestorLevel = ancestor->paragraph.OutlineLevel();
        if (ancestorLevel < level)
            break;
        sibling = ancestor;
        if (ancestorLevel == level)
            break;
    }
    sibling->nextSibling = node;
    node->parent = sibling->parent;
}

void CollectPreOrder(TopicNode* start, std::vector<TopicNode*>& list) {
    // Recursion only descends, so its depth is bounded by the nine outline levels; siblings are iterated.
    for (TopicNode* node = start; node; node = node->nextSibling) {
        list.push_back(node);
        if (node->firstChild)
            CollectPreOrder(node->firstChild, list);
    }
}

void ClearTopics(TopicNode* root) {
    std::vector<TopicNode*> nodes;
    CollectPreOrder(root->firstChild, nodes);
    for (TopicNode* node : nodes) {
        node->paragraph.DetachDispatch();
        delete node;
    }
    root->firstChild = nullptr;
}
