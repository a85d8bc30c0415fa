#pragma once
// Reads the text of every page, for the topic titles and, when the project asks for search, for the full-text
// index, on all cores: pages are read as text a batch ahead on the other threads while the index takes them in
// page order, so the index is the same however many threads there are.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FullTextIndex.h"

struct PageToRead {
    std::string_view name; // as reported in warnings
    std::string_view bytes;
};

struct PageReading {
    std::u32string title; // <title>, else the first heading; empty when the page cannot be read as text
    std::vector<std::string> warnings;
};

// Page i is topic i. index may be null. threadCount 0: one per hardware thread, or only this one when the pages are
// few bytes.
std::vector<PageReading> ReadPages(const std::vector<PageToRead>& pages, uint32_t codePage, FullTextIndex* index,
                                   unsigned threadCount = 0);
