#pragma once
// The keywords of the document's own index entries, as the index file lists them beside the headings: a keyword
// with its sub-keywords, the topics it leads to (listed by title) or the keyword it refers to ("See Also").

#include "helpproject/GeneratedFile.h"

#include <string>
#include <vector>

// One index entry as plain data (narrow text). An entry refers to another keyword when seeAlso is set; otherwise it
// leads to local, a page with an optional "#anchor", whose topic is called topicTitle.
struct IndexKeyword {
    std::vector<std::string> path; // "Installing", "from disc": the keyword and its sub-keywords, outermost first
    std::string seeAlso;
    std::string topicTitle;
    std::string local;
};

// The entries' keywords as sitemap lines: equal paths make one keyword, its topics sorted by title without
// repeats; keywords in the order the viewer shows an index in (letters in any case together, accents beside
// their letters, Chinese in its code page's order, which is by pronunciation); a keyword that only holds
// sub-keywords refers to itself, as the viewer expects of an entry without a topic.
void AppendIndexKeywords(LineList& lines, const std::vector<IndexKeyword>& keywords);

// Whether a comes before b in the index (narrow texts).
bool IndexKeywordLess(const std::string& a, const std::string& b);
