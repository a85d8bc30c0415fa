#pragma once
// $FIftiMain, the full-text search index the viewers' Search tab reads. Words are stored in the project's code
// page, sorted by their bytes, front-coded in a B-tree of 4 KB nodes. Each word (once for page text, once more
// for page titles) points to its word-location codes: the topics that hold it and at which locations, written
// as scale-and-root bit codes whose root sizes are chosen to make the index smallest.
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "ByteBuffer.h"
#include "PageText.h"

namespace chm {

inline constexpr std::uint32_t kSearchNodeSize = 4096;

struct FullTextIndexStats {
    std::size_t uniqueWords = 0;
    std::size_t leafNodes = 0;
    std::uint16_t treeDepth = 0;
};

class FullTextIndex {
public:
    explicit FullTextIndex(std::uint32_t codePage) : codePage(codePage) {}

    // Topics come in ascending order, each at most once.
    void AddTopic(std::uint32_t topic, const PageText& text);
    Bytes Build(FullTextIndexStats* stats = nullptr) const;

private:
    // Per word: topic, number of locations, the locations; topic after topic.
    struct Postings {
        std::vector<std::uint32_t> data;
        std::uint32_t topicCount = 0;
    };

    void AddText(std::uint32_t topic, std::u32string_view text, std::vector<Postings>& postings);
    std::uint32_t Intern(std::u32string_view word);
    const std::string& Encode(char32_t c);

    std::uint32_t codePage;
    std::uint32_t topicLimit = 0;
    std::unordered_map<char32_t, std::string> encodedChars;
    std::unordered_map<std::string, std::uint32_t> wordIds;
    std::vector<std::string> words;
    std::vector<bool> firstLocationOnly;
    std::vector<Postings> bodyPostings;
    std::vector<Postings> titlePostings;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> hits; // reused between pages
};

} // namespace chm
