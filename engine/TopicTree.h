#pragma once
// The document's outline: one node per accepted heading, first-child / next-sibling links under a root sentinel.
// Pre-order is document order and page order. Heading nodes keep no title or level: both are asked of Word when
// needed. The one node that is no heading, the front page (the text before the first heading), has a fixed title.

#include "word/WordObjects.h"

#include <cstdint>
#include <string>
#include <vector>

struct TopicNode {
    TopicNode* parent = nullptr;
    TopicNode* firstChild = nullptr;
    TopicNode* nextSibling = nullptr;
    WordParagraph paragraph; // the heading paragraph in the source document; empty in the root and the front page
    std::string fixedTitle;  // the front page's title (the help title); empty for headings
    std::string pageName;    // "%d.html", set when the page is made
    int32_t pageNumber = -1; // position among all headings in document order; -1 until the heading walk sets it
};

// Word's text of a heading (narrow) as one plain line; not shortened.
std::string PlainLine(const std::string& text);
// The heading's text as one plain line (narrow), or the front page's fixed title; not shortened.
std::string PlainTitle(const TopicNode& node);
// The heading's plain line for messages: quoted, at most about 60 characters.
std::string QuotedTitle(const TopicNode& node);

// Links node into the tree after previous (the node attached just before it, or the root for the first one),
// comparing outline levels read from Word at each comparison.
void AttachTopic(TopicNode* root, TopicNode* previous, TopicNode* node);

// Appends start and everything reachable from it through firstChild and nextSibling, in pre-order.
void CollectPreOrder(TopicNode* start, std::vector<TopicNode*>& list);

// Deletes every node below root. Heading references are detached, not released: no call reaches Word.
void ClearTopics(TopicNode* root);
