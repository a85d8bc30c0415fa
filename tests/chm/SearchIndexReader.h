#pragma once
// A reader of a help file's full-text index, written from the format's public description and sharing nothing
// with the compiler: it finds words the way the viewers do (an exact word, or every word starting with the
// query, compared as strcasecmp compares them) and answers with the pages, as chmlib gives them.
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

struct chmFile; // chmlib's handle

class SearchIndexReader {
public:
    explicit SearchIndexReader(const std::string& helpFile);
    ~SearchIndexReader();
    SearchIndexReader(const SearchIndexReader&) = delete;
    SearchIndexReader& operator=(const SearchIndexReader&) = delete;

    bool HasIndex() const { return !index_.empty(); }
    // query is UTF-8; it is lower-cased and converted to the code page, as a viewer does with what is typed.
    std::set<std::string> Find(const std::string& query, bool prefix, bool titlesOnly = false) const;
    // The page text locations of a whole word, page by page, in the order the index gives them.
    std::map<std::string, std::vector<uint32_t>> Locations(const std::string& query) const;
    // Where the page text codes of a whole word are in the index, empty when it is not found.
    std::vector<uint32_t> CodeOffsets(const std::string& query) const;
    // A page's title as #TOPICS gives it, converted to UTF-8.
    std::string TitleOf(const std::string& page) const;
    // A whole internal file, empty when it is missing.
    std::string Read(const std::string& name) const;

private:
    struct Word {
        std::string bytes;
        int context = 0;
        uint32_t wlcOffset = 0;
        uint32_t wlcSize = 0;
        uint64_t topicCount = 0;
    };
    // The words of the leaf at leafOffset and of the leaves after it that may hold key or words starting with it.
    std::vector<Word> LeafWordsFrom(uint32_t leafOffset, const std::string& key) const;
    uint32_t FindLeaf(const std::string& key) const;
    struct TopicLocations {
        uint32_t topic;
        std::vector<uint32_t> locations;
    };
    // The entries a viewer reads for the query.
    std::vector<Word> Lookup(const std::string& query, bool prefix, bool titlesOnly) const;
    std::vector<TopicLocations> Topics(const Word& word) const;
    std::string PageOf(uint32_t topic) const;

    ::chmFile* file_ = nullptr;
    std::string index_;
    std::string topics_;
    std::string urlTable_;
    std::string urlStrings_;
    std::string strings_;
};
