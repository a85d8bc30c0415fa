#pragma once
// Contents (.hhc) and index (.hhk) files: nested lists of <OBJECT type="text/sitemap"> entries. Tolerates the
// variants generators write (lower case, unclosed <LI>, a <UL> around every entry, Keyword instead of Name);
// refuses what cannot be read safely.
#include "base/Status.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

inline constexpr size_t kMaxSitemapValueLength = 4096;
inline constexpr int kMaxSitemapDepth = 64;

// Texts a viewer shows (names, keywords) are decoded as it reads them: a reference to a character the code page's
// viewers cannot hold stays as written. Paths (Local) have every reference decoded.
struct SitemapEntry {
    std::string name; // first Name, else Keyword
    std::string local;
    std::string keyword;
    std::u16string keywordText; // Keyword, else the first Name, as UTF-16 with every reference decoded
    std::string seeAlso;
    int imageNumber = -1;
    // Every Name/Local pair, in order: index entries may point at several topics.
    std::vector<std::pair<std::string, std::string>> targets;
    std::vector<SitemapEntry> children;
};

struct Sitemap {
    std::vector<SitemapEntry> entries;
    std::vector<std::pair<std::string, std::string>> properties;
};

struct SitemapParseResult {
    Status status;
    Sitemap sitemap;
};

// Values are decoded into codePage, the project's: character references become the characters they name, as
// SitemapEntry says.
SitemapParseResult ParseSitemap(const std::string& bytes, uint32_t codePage = 1252);
