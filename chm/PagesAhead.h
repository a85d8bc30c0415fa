#pragma once
// Pages compressed before their compile: a converter hands over each page as soon as it is saved, and the page goes
// into a compressed section whose intervals the stream compressor's helper threads compress while later pages are
// still being made. The compile takes that section over when the first files it stores compressed are these pages,
// byte for byte, in the same order; then its help file is the one it would have made alone.
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "LzxCompressor.h"
#include "SearchAhead.h"

class PagesAhead {
public:
    explicit PagesAhead(const LzxSettings& settings);
    ~PagesAhead();
    PagesAhead(const PagesAhead&) = delete;
    PagesAhead& operator=(const PagesAhead&) = delete;

    // Before the first page: each page is read into a search index as well, for a project in this language.
    void IndexForSearch(uint32_t lcid);

    // Reads the page at path (UTF-8) and appends it; data the compile would store uncompressed is left out, as the
    // compile leaves it out of the section. A page that cannot be read ends the taking: the compile then finds fewer
    // pages than it stores and compresses on its own.
    void Add(const std::string& path) noexcept;
    void Add(std::span<const uint8_t> bytes) noexcept;
    // The same for a path in the caller's code page, turned into UTF-8 by toUtf8.
    void Add(const char* path, std::string (*toUtf8)(const char*)) noexcept;

    // The compile's side. No page comes after this: the search index is built as soon as the last is read.
    void NoMorePages() noexcept;
    // The reading of the pages into a search index, when it was asked for and every page went to it.
    SearchAhead* Search() const;
    // Whether the next file it stores compressed is the next page taken, and moves past it.
    bool TakeNext(std::span<const uint8_t> bytes);
    // Whether every page taken has been matched by TakeNext and nothing went wrong while taking them.
    bool AllTaken() const;
    // Whether the section was made with settings that give the same bytes as these.
    bool Compatible(const LzxSettings& settings) const;
    // The section holding the pages, for the compile to go on appending to; once.
    std::unique_ptr<LzxStreamCompressor> TakeSection();

private:
    struct Page {
        uint64_t size = 0;
        uint64_t hash = 0;
    };
    // Whether the page was appended; pages already compressed are not pages.
    bool Append(std::span<const uint8_t> bytes);

    LzxSettings settings_;
    std::unique_ptr<LzxStreamCompressor> section_;
    std::unique_ptr<SearchAhead> search_;
    std::vector<Page> pages_;
    size_t matched_ = 0;
    bool broken_ = false;
};

// A hash of bytes for telling whether a file changed after it was taken.
uint64_t ContentHash(std::span<const uint8_t> bytes);
