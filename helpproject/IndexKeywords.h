#pragma once
// The keywords of the document's own index entries, as the index file lists them beside the headings: a keyword
// with its sub-keywords, the topics it leads to (listed by title) or the keyword it refers to ("See Also").

#include "book/HelpBook.h"
#include "helpproject/GeneratedFile.h"

#include <string>
#include <vector>

// The entries' keywords as sitemap lines: equal paths make one keyword, its topics sorted by title without
// repeats; keywords in the order the viewer shows an index in (letters in any case together, accents beside
// their letters, Chinese in its code page's order, which is by pronunciation); a keyword that only holds
// sub-keywords refers to itself, as the viewer expects of an entry without a topic.
void AppendIndexKeywords(LineList& lines, const std::vector<IndexKeyword>& keywords, uint32_t codePage);

// Whether a comes before b in the index (narrow texts).
bool IndexKeywordLess(const std::string& a, const std::string& b);
