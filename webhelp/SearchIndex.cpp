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
        script += (first ? "\n" : ",\n") + ScriptString(term) + ":[";
        first = false;
        uint32_t previous = 0;
        for (size_t i = 0; i < postings.size(); ++i) {
            // Pages were added in order, so each term's pages increase.
            script += (i ? "," : "") + std::to_string(postings[i].first - previous) + "," +
                      std::to_string(postings[i].second);
            previous = postings[i].first;
        }
        script += "]";
    }
    return script + "}};\n";
}

std::string PageTextScript(uint32_t page, const std::string& text) {
    return "LB_TEXT(" + std::to_string(page) + "," + ScriptString(text) + ");\n";
}
