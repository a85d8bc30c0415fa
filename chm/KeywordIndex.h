#pragma once
// The binary keyword index ($WWKeywordLinks/BTree, Data, Map, Property) that viewers read for the index tab:
// 2 KB blocks of UTF-16 keywords, each with the #TOPICS numbers it leads to, sorted for searching.
#include <cstdint>
#include <string>
#include <vector>

#include "ByteBuffer.h"

struct Keyword {
    std::u16string text;
    std::vector<uint32_t> topics;
};

struct KeywordIndexFiles {
    Bytes btree;
    Bytes data;
    Bytes map;
    Bytes property;
};

// Sorts case-insensitively and merges equal keywords; their topics are kept in order without repeats.
std::vector<Keyword> SortAndMergeKeywords(std::vector<Keyword> keywords);

KeywordIndexFiles BuildKeywordIndex(const std::vector<Keyword>& sortedKeywords, uint32_t codePage, uint32_t lcid);
