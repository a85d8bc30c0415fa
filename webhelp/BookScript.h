#pragma once
// What every page of the web folder knows of the whole book, as one script: the title, the home page, the contents
// tree, the keyword index and the help IDs. Text is UTF-8.

#include "book/HelpBook.h"

#include <string>
#include <vector>

// One entry of the keyword index: its text, the topics it leads to, the entries it points to instead or as well
// ("See also"), and its sub-entries, each with the same parts.
struct WebKeyword {
    struct Target {
        std::string title;
        std::string href; // "3.html" or "3.html#anchor"
    };
    std::string text;
    std::vector<Target> targets;
    std::vector<std::string> seeAlso;
    std::vector<WebKeyword> subEntries;
};

// One topic of the contents as the web pages show it: its UTF-8 title, its page and its sub-topics.
struct WebTopic {
    std::string title;
    std::string pageName;
    std::vector<WebTopic> children;
};

// The book's topics with their titles as UTF-8.
std::vector<WebTopic> WebTopics(const std::vector<BookTopic>& topics);

// One keyword per heading title, entries of the same text as one with several targets, in alphabetical order (A-Z
// folded, other characters by their code).
std::vector<WebKeyword> KeywordsFromTopics(const std::vector<WebTopic>& topics);

// The document's own index entries joined to keywords: equal paths make one keyword, "a:b" nests b under a, a
// cross-reference is a See Also; every level in alphabetical order afterwards.
void AddIndexKeywords(std::vector<WebKeyword>& keywords, const std::vector<IndexKeyword>& entries);

struct BookScriptParts {
    std::string title;
    std::string homePage;
    std::vector<WebTopic> topics;
    std::vector<WebKeyword> keywords;
    std::vector<BookHelpId> helpIds; // names are ASCII
};

// "var LB_BOOK = {title, home, toc: [[title, page, [children]]...], keys: [{k, t: [[title, href]...], see: [...],
// sub: [...]}...], ids: {name or number: target}};"
std::string BookScript(const BookScriptParts& parts);
