#pragma once
// What turns a page assembled in Word into a help topic: links rewritten to page files, the list of sub-topics,
// heading numbers, the copyright line, even paragraph spacing, and hyperlink styles without underline.
// Document and range arguments are copies of the caller's references, as Word's own calling convention has it.

#include "engine/TopicTree.h"
#include "word/WordObjects.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Once per conversion on the page document: the hyperlink character styles lose their underline.
void RemoveLinkUnderline(WordDocument page);

// Every link without an address (one to a bookmark of the source) is pointed at the page pageFileForBookmark names.
// A failure on one link leaves that link as it was and goes on with the next. Returns what was left unchanged.
std::vector<std::string> FixPageLinks(WordRange pageRange,
                                      const std::function<std::string(const std::string&)>& pageFileForBookmark);

// Walks a document's bookmarks, hidden ones included; stops early when visit returns false.
void ForEachBookmark(WordDocument document, const std::function<bool(WordBookmark&)>& visit);
// The page whose heading (among topics, in page order) is the last to start at or before range's start; 0 before the
// first heading.
int32_t PageIndexOfPosition(const std::vector<TopicNode*>& topics, WordRange range);

// An empty paragraph, then one linked entry per direct child of node, without list numbers.
void AppendRelatedTopics(const TopicNode& node, WordDocument page);
// Headings lose their list numbers; numbered body text keeps them.
void RemoveHeadingNumbers(WordDocument page);
// A full-width rule and the copyright text in 10-point grey, when there is a copyright text.
void AppendCopyrightNotice(WordDocument page, const std::string& text);
// Single line spacing and 3 points before and after every paragraph.
void NormalizeParagraphSpacing(WordDocument page);
