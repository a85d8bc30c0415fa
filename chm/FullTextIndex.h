#pragma once
// $FIftiMain, the full-text search index the viewers' Search tab reads. Words are stored in the project's code
// page, sorted by their bytes with A-Z folded as the readers compare them, front-coded in a B-tree of 4 KB nodes.
// Each word (once for page text, once more for page titles) points to its word-location codes: the topics that
// hold it and at which locations, written as scale-and-root bit codes whose root sizes are chosen to make the
// index smallest.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "ByteBuffer.h"
#include "PageText.h"
#include "RunGroups.h"
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
    // Call once, after the last topic.
    Bytes Build(FullTextIndexStats* stats = nullptr);

private:
    // Per word, topic after topic: the topic's distance from the one before, its number of locations and each
    // location's distance from the one before, in 7-bit groups low first. Most take one byte where a number of
    // their own took four: the lists are the largest part of an index under construction.
    struct Postings {
        Bytes data;
        uint32_t topicCount = 0;
        uint32_t lastTopic = 0;
    };

    class EntryMerger;
    struct Roots {
        int topic = 0;
        int count = 0;
        int location = 0;
    };

    // What the codes of the runs need, counted group by group before any is written.
    struct RunCounts {
        std::array<uint64_t, 65> topicSteps{}; // by bit length
        size_t entries = 0;
        size_t entryBytes = 0; // of their words
    };

    void AddText(uint32_t topic, std::u32string_view text, HugePageVector<Postings>& postings, RunGroups& runs);
    // The run packed as RunGroups keeps it, or 0 when a character is not two bytes in the code page.
    uint64_t PackRun(std::u32string_view word);
    // At least the size of the file Build writes (the codes as if none were shared), so that it is allocated
    // once: grown by doubling, the old and the new copy of an index of tens of megabytes were a whole run's peak.
    size_t FileSizeBound(const Roots& roots, const RunCounts& runs, std::vector<uint32_t>& locations) const;
    RunCounts CountRuns() const;
    uint32_t Intern(std::u32string_view word);
    uint32_t InternBytes(const std::string& bytes, bool withoutLocations);
    const std::string& Encode(char32_t c);

    uint32_t codePage_;
    uint32_t lcid_;
    uint32_t topicLimit_ = 0;
    std::unordered_map<char32_t, std::string> encodedChars_;
    // Per character of the first plane: 0 not looked up yet, 1 not two bytes, else 0x10000 and the two bytes.
    std::vector<uint32_t> packedChars_;
    std::vector<uint64_t> pageRuns_;  // one page's runs, before they are made unique
    std::vector<uint64_t> pageWords_; // one page's words as id and location, before they go to their lists
    // Words as the page gives them, so that a word seen before is not put in the code page again.
    TextIdTable<char32_t> textIds_;
    TextIdTable<char> wordIds_; // by the bytes stored, A-Z folded
    std::vector<std::string> words_;
    std::vector<bool> topicsOnly_; // runs of Chinese characters: no locations
    HugePageVector<Postings> bodyPostings_;
    HugePageVector<Postings> titlePostings_;
    // Runs of Chinese characters whose every character is two bytes in the code page. They are most of a Chinese
    // index's words, nearly all found on one or two pages: kept as packed (run, topic) pairs they take about 7
    // bytes each, where a word of its own in the tables above took over a hundred.
    RunGroups bodyRuns_;
    RunGroups titleRuns_;
};
