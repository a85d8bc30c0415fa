#pragma once
// Reads the text of every page, for the topic titles and, when the project asks for search, for the full-text
// index, on all cores: pages are read as text a batch ahead on the other threads while the index takes them in
// page order, so the index is the same however many threads there are.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "FullTextIndex.h"

struct PageToRead {
    std::string_view name; // as reported in warnings
    std::string_view bytes;
    size_t loadSize = 0; // bytes the loader will give, when they are not held here
};

// Gives page i's bytes when they are not held in memory (read again from their file), or nothing when they cannot
// be read. Called on the reading threads, a page at a time.
using PageLoader = std::function<std::optional<std::string>(size_t page)>;

struct PageReading {
    std::u32string title; // <title>, else the first heading; empty when the page cannot be read as text
    std::vector<std::string> warnings;
};

// Page i is topic i. index may be null. threadCount 0: one per hardware thread, or only this one when the pages are
// few bytes. With load, each page's bytes come from it and are held only while the page is read.
std::vector<PageReading> ReadPages(const std::vector<PageToRead>& pages, uint32_t codePage, FullTextIndex* index,
                                   unsigned threadCount = 0, const PageLoader& load = {});

// One page read for the index as ReadPages reads it: its title and warnings into reading, its text into index as
// topic; links, when given, gets what PageLinks gives for the page.
void ReadPageIntoIndex(const PageToRead& page, uint32_t topic, uint32_t codePage, FullTextIndex& index,
                       PageReading& reading, std::vector<std::string>* links = nullptr);
