#pragma once
// The binary keyword index ($WWKeywordLinks/BTree, Data, Map, Property) that viewers read for the index tab:
// 2 KB blocks of UTF-16 keywords, each with the #TOPICS numbers it leads to, sorted for searching.
#include <cstdint>
#include <string>
#include <vector>

#include "ByteBuffer.h"

// A keyword, or a sub-keyword under the keywords of its path; one that refers to another keyword ("See Also")
// leads to no topic.
struct Keyword {
    std::u16string text; // a sub-keyword's text follows its parents' texts, each followed by ", "
    std::vector<uint32_t> topics;
    std::vector<std::u16string> path; // every level's own text, outermost first; empty: text is the only level
    std::u16string seeAlso;
};

// The keyword's levels: path, or text alone.
std::vector<std::u16string> KeywordLevels(const Keyword& keyword);
// A keyword under its parents: the texts joined as the viewer shows and searches them ("Installing, from disc").
Keyword NestedKeyword(std::vector<std::u16string> path, std::vector<uint32_t> topics, std::u16string seeAlso);

struct KeywordIndexFiles {
    Bytes btree;
    Bytes data;
    Bytes map;
    Bytes property;
};

// Sorts case-insensitively level by level, so sub-keywords follow their keyword, and merges equal keywords; their
// topics are kept in order without repeats.
std::vector<Keyword> SortAndMergeKeywords(std::vector<Keyword> keywords);

KeywordIndexFiles BuildKeywordIndex(const std::vector<Keyword>& sortedKeywords, uint32_t codePage, uint32_t lcid);
