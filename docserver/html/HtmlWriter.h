#pragma once
// The document as one HTML 4 page with CSS 2 (what an IE7-era help viewer renders, and current browsers too):
// paragraphs and headings with their style formatting, list numbers as text, tables, pictures, links, bookmark
// anchors, horizontal rules, breaks, and the notes collected at the foot. Nothing is written to disk here.

#include "docserver/html/MetafileConverter.h"
#include "docserver/model/DocumentModel.h"

#include <cstdint>
#include <string>
#include <vector>

struct HtmlPictureFile {
    std::string name; // "image001.png", inside the page's folder
    std::vector<uint8_t> bytes;
};

struct HtmlPage {
    std::string html; // bytes of the page's code page, escapes for what its charset cannot hold, CR LF line ends
    std::vector<HtmlPictureFile> pictures;
    std::vector<std::string> warnings;
};

// folderName is the page's picture folder as the page links to it ("0.files").
// codePage is one base/CodePageText knows; the page declares its charset. Metafiles come from the cache when it
// holds them.
HtmlPage WriteHtmlPage(const Document& document, const std::string& folderName, uint32_t codePage,
                       const MetafileCache* metafiles = nullptr);
