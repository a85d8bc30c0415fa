#pragma once
// The help book one conversion made, as plain data: the topics and their tree, the pages and their picture
// folders, the document's index entries, the help IDs, the title and the language. Every output (the compiled help
// file, web help) is written from it and from the files in its page folder, and needs nothing else of the
// conversion. Text is narrow (UTF-8); the pages are in the language's code page.

#include "base/HelpLanguage.h"
#include "base/Status.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// One topic: its title as the contents and the index show it, its page, its sub-topics.
struct BookTopic {
    std::string title;
    std::string pageName; // "3.html"
    std::vector<BookTopic> children;
};

// A help ID with a topic: the name an application's number goes by, the number, and where it opens
// ("3.html#IDH_PRINT").
struct BookHelpId {
    std::string name;
    uint32_t number = 0;
    std::string target;
};

// One of the document's own index entries (narrow text). It refers to another keyword when seeAlso is set; otherwise
// it leads to local, a page with an optional "#anchor", whose topic is called topicTitle.
struct IndexKeyword {
    std::vector<std::string> path; // "Installing", "from disc": the keyword and its sub-keywords, outermost first
    std::string seeAlso;
    std::string topicTitle;
    std::string local;
};

struct HelpBook {
    std::string title;                  // as the user typed it
    std::string pageFolder;             // where the pages were saved
    std::vector<std::string> pageFiles; // in page order; page N's pictures are in the folder "N.files" beside it
    std::vector<BookTopic> topics;      // the contents tree; in pre-order, one keyword each in the index
    std::vector<BookHelpId> helpIds;
    std::vector<IndexKeyword> keywords; // the document's index entries, in document order, beside the topics'
    HelpLanguage language;
};

// One thing a conversion makes of its help book. Outputs know nothing of each other or of the document.
class BookOutput {
public:
    virtual ~BookOutput() = default;
    // A page saved in the page folder (narrow path), page 0 first, in the book's language, before the book is
    // complete: an output may start on the pages while later ones are made. The page is final; Write still gets
    // every page in the book.
    virtual void PageSaved(const std::string& /*pagePath*/, size_t /*page*/, const HelpLanguage& /*language*/) {}
    virtual Status Write(const HelpBook& book) = 0;
};
