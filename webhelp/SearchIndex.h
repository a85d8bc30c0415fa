#pragma once
// The web folder's search index, built at conversion time: for every term (SearchWords.h) the pages holding it and
// how often, a term in the title counting more. The browser loads it once as a script; the pages' plain text is
// kept apart, one small script per page, read only for the pages a search lists (their line of context, and
// the check that a run of characters longer than a pair stands together).

#include <cstdint>
#include <map>
#include <string>
#include <vector>

class SearchIndex {
public:
    // Pages are numbered in the order they are added, from 0. Text is UTF-8.
    void AddPage(const std::string& title, const std::string& href, const std::string& text);

    // "var LB_SEARCH = {pages: [[title, href], ...], terms: {term: "postings", ...}};". A term's postings are its
    // pages in increasing order, each as the step from the one before (from 0 for the first) times two, plus one
    // when a weight other than 1 follows; the numbers are written as letters (PostingNumbers).
    std::string Script() const;

    // The pages holding term and their weights, in page order; for tests and measurements.
    std::vector<std::pair<uint32_t, uint32_t>> Postings(const std::string& term) const;
    size_t TermCount() const { return terms_.size(); }

private:
    std::vector<std::pair<std::string, std::string>> pages_;
    std::map<std::string, std::vector<std::pair<uint32_t, uint32_t>>> terms_;
};

// Numbers as text without separators: each in groups of five bits, high first, every group but the last from one
// alphabet and the last from another. Most steps and weights are below 32: one letter each.
void AppendPostingNumber(std::string& text, uint32_t number);

// The script holding one page's plain text: "LB_TEXT(page, \"...\");".
std::string PageTextScript(uint32_t page, const std::string& text);

// How much more a term in the title weighs than one in the text.
constexpr uint32_t kTitleWeight = 10;
