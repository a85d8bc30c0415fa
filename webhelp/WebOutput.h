#pragma once
// Web help made from a help book: a folder any browser opens from disk, with no server and nothing from outside
// it. Every page of the help file in UTF-8 inside a frame with the contents, the keyword index and a search box;
// index.html showing the home topic; search.html?q=WORDS over an index built here; open.html?id=IDH_NAME or
// ?id=NUMBER for the help IDs. The data the pages share are scripts in "_web", since a page opened from file://
// may not read files.

#include "book/HelpBook.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

class WebOutput : public BookOutput {
public:
    // folder: an existing empty folder, which the output fills; the caller decides what becomes of it.
    explicit WebOutput(std::filesystem::path folder);

    // Stops at the first page or file that cannot be read or written.
    Status Write(const HelpBook& book) override;

    // The last Write's result, for a caller that hands the output on and asks afterwards.
    const Status& Result() const { return result_; }
    // What the last Write could not keep as it was (UTF-8), each naming its page.
    const std::vector<std::string>& Warnings() const { return warnings_; }

    // Bytes written by the last Write: the pages (without pictures), the search index, the pages' plain text.
    struct Sizes {
        uintmax_t pages = 0;
        uintmax_t searchIndex = 0;
        uintmax_t pageText = 0;
    };
    const Sizes& WrittenSizes() const { return sizes_; }

private:
    Status WriteFolder(const HelpBook& book);

    std::filesystem::path folder_;
    Status result_ = Failure(StatusCode::Missing, "the web help was not written");
    std::vector<std::string> warnings_;
    Sizes sizes_;
};
