#pragma once
// The contents and index files and the sitemap format they share, written from the topics as plain data.

#include "book/HelpBook.h"
#include "helpproject/GeneratedFile.h"
#include "helpproject/IndexKeywords.h"

#include <string>
#include <vector>

// Lines 1 to 7: "<HTML>" to "<BODY>", the charset the one of the code page.
void AppendSitemapHead(LineList& lines, uint32_t codePage);
// The contents file's site properties object (after the head, before the list).
void AppendSiteProperties(LineList& lines);
// "</UL>", "</BODY>", "</HTML>".
void AppendSitemapTail(LineList& lines);

// Four lines for a topic with sub-topics, five (with ImageNumber 11) for a leaf; the title is escaped, in the code
// page.
void AppendTopicEntry(LineList& lines, const BookTopic& topic, uint32_t codePage);

// The contents file: the topics as nested lists, in the code page. Written as WriteLineList writes, with its result.
bool WriteContentsFile(const std::vector<BookTopic>& topics, uint32_t codePage, const std::string& folder,
                       const std::string& path);
// The index file: every topic one keyword, in document order, in one flat list; after them the keywords of the
// document's own index entries (IndexKeywords.h), none when it has none; in the code page.
bool WriteIndexFile(const std::vector<BookTopic>& topics, const std::vector<IndexKeyword>& keywords, uint32_t codePage,
                    const std::string& folder, const std::string& path);
