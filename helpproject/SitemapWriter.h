#pragma once
// The contents and index files and the sitemap format they share, written from the topics as plain data.

#include "book/HelpBook.h"
#include "helpproject/GeneratedFile.h"
#include "helpproject/IndexKeywords.h"

#include <string>
#include <vector>

// Lines 1 to 7: "<HTML>" to "<BODY>".
void AppendSitemapHead(LineList& lines);
// The contents file's site properties object (after the head, before the list).
void AppendSiteProperties(LineList& lines);
// "</UL>", "</BODY>", "</HTML>".
void AppendSitemapTail(LineList& lines);

// Four lines for a topic with sub-topics, five (with ImageNumber 11) for a leaf; the title is escaped.
void AppendTopicEntry(LineList& lines, const BookTopic& topic);

// The contents file: the topics as nested lists. Written as WriteLineList writes, with its result.
bool WriteContentsFile(const std::vector<BookTopic>& topics, const std::string& folder, const std::string& path);
// The index file: every topic one keyword, in document order, in one flat list; after them the keywords of the
// document's own index entries (IndexKeywords.h), none when it has none.
bool WriteIndexFile(const std::vector<BookTopic>& topics, const std::vector<IndexKeyword>& keywords,
                    const std::string& folder, const std::string& path);
