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

namespace chm {

inline constexpr std::uint32_t kSearchNodeSize = 4096;

struct FullTextIndexStats {
    std::size_t uniqueWords = 0;
    std::size_t leafNodes = 0;
    std::uint16_t treeDepth = 0;
};

class FullTextIndex {
public:
    explicit FullTextIndex(std::uint32_t codePage, std::uint32_t lcid = 0) : codePage(codePage), lcid(lcid) {}

    // A word (as the word breaker gives it) left out of the index, before any topic is added. It keeps its
    // location, so the words on either side do not become neighbours.
    void LeaveOut(std::u32string_view word);
    // Topics come in ascending order, each at most once.
    void AddTopic(std::uint32_t topic, const PageText& text);
    Bytes Build(FullTextIndexStats* stats = nullptr) const;

private:
    // Per word: topic, number of locations, the locations; topic after topic.
    struct Postings {
        std::vector<std::uint32_t> data;
        std::uint32_t topicCount = 0;
        std::uint32_t lastTopic = 0;
        std::size_t countAt = 0; // where the last topic's count is in data
    };

    void AddText(std::uint32_t topic, std::u32string_view text, HugePageVector<Postings>& postings);
    std::uint32_t Intern(std::u32string_view word);
    std::uint32_t InternBytes(const std::string& bytes, bool withoutLocations);
    const std::string& Encode(char32_t c);

    std::uint32_t codePage;
    std::uint32_t lcid;
    std::uint32_t topicLimit = 0;
    std::unordered_map<char32_t, std::string> encodedChars;
    // Words as the page gives them, so that a word seen before is not put in the code page again.
    TextIdTable<char32_t> textIds;
    TextIdTable<char> wordIds; // by the bytes stored
    std::vector<std::string> words;
    std::vector<bool> topicsOnly; // runs of Chinese characters: no locations
    HugePageVector<Postings> bodyPostings;
    HugePageVector<Postings> titlePostings;
};

} // namespace chm
