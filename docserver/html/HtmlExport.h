#pragma once
// Document.SaveAs with file format 10: the page file and, when the page has pictures, its folder "N.files" beside
// it. A page under a new name (every page of a conversion) is written in place and removed again if the save
// fails; one that replaces an earlier save is written under temporary names and renamed into place. Either way a
// failed save leaves no half-written page, and nothing outside the page and its folder is touched.

#include "docserver/html/MetafileConverter.h"
#include "docserver/model/DocumentModel.h"

#include "base/Status.h"

#include <filesystem>
#include <string>
#include <vector>

struct HtmlSaveResult {
    Status status; // why the save failed, for the user
    std::vector<std::string> warnings;
};

// Metafiles come from the cache when it holds them.
// The page is in codePage (a code page base/CodePageText knows) and declares its charset.
HtmlSaveResult SaveDocumentAsHtml(const Document& document, const std::filesystem::path& page, uint32_t codePage,
                                  const MetafileCache* metafiles = nullptr);

// The picture folder of a page: "0.html" -> "0.files".
std::filesystem::path PictureFolderOf(const std::filesystem::path& page);
