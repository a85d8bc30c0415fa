#pragma once
// The sitemap format the contents and index files share: head, tail and one entry per topic.

#include "engine/TopicTree.h"
#include "helpproject/GeneratedFile.h"

// Lines 1 to 7: "<HTML>" to "<BODY>".
void AppendSitemapHead(LineList& lines);
// The contents file's site properties object (after the head, before the list).
void AppendSiteProperties(LineList& lines);
// "</UL>", "</BODY>", "</HTML>".
void AppendSitemapTail(LineList& lines);

// The topic's title as Word gives it; withNumber: its list number, a space and the text.
std::string TopicTitle(const TopicNode& node, bool withNumber);
// Four lines for a topic with sub-topics, five (with ImageNumber 11) for a leaf. Nothing is escaped.
void AppendTopicEntry(LineList& lines, const TopicNode& node, bool withNumber);
