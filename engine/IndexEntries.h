#pragma once
// The document's own index entries (Word's XE fields), read through Word. Each entry's place gets a hidden
// bookmark before the split, so its page carries an anchor there, as it does for the document's own bookmarks;
// after the split the entries become keywords of the index file beside the headings.

#include <cstdint>
#include <string>
#include <vector>

struct IndexKeyword;

// What an XE field's code says. levels is empty when the code names no entry text.
struct IndexEntryCode {
    std::vector<std::u16string> levels; // "Installing:from disc" -> "Installing", "from disc"
    std::u16string seeAlso;             // \t, without a leading "See" or "See also"
    std::u16string rangeBookmark;       // \r: the entry covers this bookmark, and leads to its start
    std::u16string text;                // the entry text as written, for messages
};

// Reads " XE "text" \t "See x" \r name \b \i \f type" (any case, quotes optional for one word). Within the text,
// \" is a quote, \: a colon that separates nothing, and each level is trimmed; \b, \i (formatting), \f (the index
// it belongs to: there is only one here) and \y (a reading for sorting) are passed over.
IndexEntryCode ParseIndexEntryCode(const std::u16string& code);

// Sub-entries Word's index shows; deeper levels stay in the last one's text.
constexpr size_t kMaxIndexLevels = 7;

// One index entry of the conversion, in document order (narrow text).
struct IndexEntry {
    std::vector<std::string> path;
    std::string seeAlso;
    int32_t page = -1;    // the page (from 0) the entry's place is on
    std::string anchor;   // the hidden bookmark at its place; empty: the page opens at its top (heading)
    bool pageTop = false; // the page alone, without the anchor
};

// The entries as the index file's writer takes them; pageTitles by page number.
std::vector<IndexKeyword> IndexKeywordsOf(const std::vector<IndexEntry>& entries,
                                          const std::vector<std::string>& pageTitles);
