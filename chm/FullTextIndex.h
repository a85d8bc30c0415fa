#pragma once
// $FIftiMain, the full-text search index the viewers' Search tab reads. Words are stored in the project's code
// page, sorted by their bytes, front-coded in a B-tree of 4 KB nodes. Each word (once for page text, once more
// for page titles) points to its word-location codes: the topics that hold it and at which locations, written
// as scale-and-root bit codes whose root sizes are chosen to make the index smallest.
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "ByteBuffer.h"
#include "PageText.h"
#include "TextIdTable.h"

inline constexpr uint32_t kSearchNodeSize = 4096;

struct FullTextIndexStats {
    size_t uniqueWords = 0;
    size_t leafNodes = 0;
    uint16_t treeDepth = 0;
};

class FullTextIndex {
public:
    explicit FullTextIndex(uint32_t codePage, uint32_t lcid = 0) : codePage_(codePage), lcid_(lcid) {}

    // A word (as the word breaker gives it) left out of the index, before any topic is added. It keeps its
    // location, so the words on either side do not become neighbours.
    void LeaveOut(std::u32string_view word);
    // Topics come in ascending order, each at most once.
    void AddTopic(uint32_t topic, const PageText& text);
    Bytes Build(FullTextIndexStats* stats = nullptr) const;

private:
    // Per word: topic, number of locations, the locations; topic after topic.
    struct Postings {
        std::vector<uint32_t> data;
        uint32_t topicCount = 0;
        uint32_t lastTopic = 0;
        size_t countAt = 0; // where the last topic's count is in data
    };

    void AddText(uint32_t topic, std::u32string_view text, HugePageVector<Postings>& postings);
    uint32_t Intern(std::u32string_view word);
    uint32_t InternBytes(const std::string& bytes, bool withoutLocations);
    const std::string& Encode(char32_t c);

    uint32_t codePage_;
    uint32_t lcid_;
    uint32_t topicLimit_ = 0;
    std::unordered_map<char32_t, std::string> encodedChars_;
    // Words as the page gives them, so that a word seen before is not put in the code page again.
    TextIdTable<char32_t> textIds_;
    TextIdTable<char> wordIds_; // by the bytes stored
    std::vector<std::string> words_;
    std::vector<bool> topicsOnly_; // runs of Chinese characters: no locations
    HugePageVector<Postings> bodyPostings_;
    HugePageVector<Postings> titlePostings_;
};
