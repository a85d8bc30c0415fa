#pragma once
// The searchable text of one HTML page: markup, scripts, styles and comments left out, character references
// decoded, the bytes read in the charset the page declares. Text is held as code points so that word breaking
// never decodes.
#include "base/Status.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct PageText {
    std::u32string body;  // what a reader sees; block boundaries become spaces
    std::u32string title; // <title>, else the first heading
};

struct PageTextResult {
    Status status;       // why the page cannot be indexed
    std::string warning; // what was guessed in reading it
    PageText text;
};

// fallbackCodePage is used when the page declares no charset and is not UTF-8. links, when given, gets what
// PageLinks gives, from the same decoding of the page.
PageTextResult ExtractPageText(std::string_view html, uint32_t fallbackCodePage,
                               std::vector<std::string>* links = nullptr);

// The href and src values of the page's tags as UTF-8 (not of markup shown as text, comments, scripts or styles):
// the page read in its charset as above, references decoded.
std::vector<std::string> PageLinks(std::string_view html, uint32_t fallbackCodePage);
