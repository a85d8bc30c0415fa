#include "SearchIndex.h"

#include "ScriptData.h"
#include "SearchWords.h"

#include <unordered_map>

void SearchIndex::AddPage(const std::string& title, const std::string& href, const std::string& text) {
    const auto page = static_cast<uint32_t>(pages_.size());
    pages_.emplace_back(title, href);
    std::unordered_map<std::string, uint32_t> weights;
    for (std::string& term : SearchTerms(text))
        ++weights[std::move(term)];
    for (std::string& term : SearchTerms(title))
        weights[std::move(term)] += kTitleWeight;
    for (auto& [term, weight] : weights)
        terms_[term].emplace_back(page, weight);
}

std::vector<std::pair<uint32_t, uint32_t>> SearchIndex::Postings(const std::string& term) const {
    const auto found = terms_.find(term);
    return found == terms_.end() ? std::vector<std::pair<uint32_t, uint32_t>>() : found->second;
}

std::string SearchIndex::Script() const {
    std::string script = "var LB_SEARCH = {pages: [";
    for (size_t i = 0; i < pages_.size(); ++i)
        script += (i ? ",\n[" : "\n[") + ScriptString(pages_[i].first) + "," + ScriptString(pages_[i].second) + "]";
    script += "],\nterms: {";
    bool first = true;
    for (const auto& [term, postings] : terms_) {
        script += (first ? "" : ",") + ScriptString(term) + ":\"";
        first = false;
        uint32_t previous = 0;
        for (const auto& [page, weight] : postings) {
            // Pages were added in order, so each term's pages increase.
            AppendPostingNumber(script, (page - previous) * 2 + (weight == 1 ? 0 : 1));
            if (weight != 1)
                AppendPostingNumber(script, weight);
            previous = page;
        }
        script += "\"";
    }
    return script + "}};\n";
}

void AppendPostingNumber(std::string& text, uint32_t number) {
    static constexpr char kLast[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdef";
    static constexpr char kMore[] = "ghijklmnopqrstuvwxyz0123456789+/";
    char groups[8];
    int count = 0;
    groups[count++] = kLast[number & 31];
    for (number >>= 5; number != 0; number >>= 5)
        groups[count++] = kMore[number & 31];
    while (count > 0)
        text += groups[--count];
}

std::string PageTextScript(uint32_t page, const std::string& text) {
    return "LB_TEXT(" + std::to_string(page) + "," + ScriptString(text) + ");\n";
}
