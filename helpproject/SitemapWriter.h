#pragma once
// The contents and index files and the sitemap format they share, written from the topics as plain data.

#include "helpproject/GeneratedFile.h"
#include "helpproject/IndexKeywords.h"

#include <string>
#include <vector>

// One topic as the sitemap shows it: its title as written (nothing is escaped), its page, its sub-topics.
struct SitemapTopic {
    std::string title;
    std::string pageName;
    std::vector<SitemapTopic> children;
};

// Lines 1 to 7: "<HTML>" to "<BODY>".
void AppendSitemapHead(LineList& lines);
// The contents file's site properties object (after the head, before the list).
void AppendSiteProperties(LineList& lines);
// "</UL>", "</BODY>", "</HTML>".
void AppendSitemapTail(LineList& lines);

// Four lines for a topic with sub-topics, five (with ImageNumber 11) for a leaf; the title is escaped.
void AppendTopicEntry(LineList& lines, const SitemapTopic& topic);

// The contents file: the topics as nested lists. Written as WriteLineList writes, with its result.
bool WriteContentsFile(const std::vector<SitemapTopic>& topics, const std::string& folder, const std::string& path);
// The index file: every topic one keyword, in document order, in one flat list; after them the keywords of the
// document's own index entries (IndexKeywords.h), none when it has none.
bool WriteIndexFile(const std::vector<SitemapTopic>& topics, const std::vector<IndexKeyword>& keywords,
                    const std::string& folder, const std::string& path);
