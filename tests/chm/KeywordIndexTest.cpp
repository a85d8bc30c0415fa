#include "KeywordIndex.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

constexpr size_t kHeader = 0x4C;
constexpr size_t kBlock = 2048;

uint16_t U16At(const Bytes& bytes, size_t at) {
    uint16_t value;
    std::memcpy(&value, bytes.data() + at, sizeof value);
    return value;
}

} // namespace

// Headings can be whole paragraphs, and many empty headings share one keyword: every entry must still fit a block.
TEST(KeywordIndex, OversizedKeywordsStillFitTheirBlocks) {
    std::vector<Keyword> keywords;
    keywords.push_back({std::u16string(3000, u'x'), {0}, {}, {}});
    Keyword shared{u"", {}, {}, {}};
    for (uint32_t topic = 0; topic < 1000; ++topic)
        shared.topics.push_back(topic);
    keywords.push_back(shared);
    for (int i = 0; i < 50; ++i)
        keywords.push_back({u"keyword " + std::u16string(1, char16_t(u'a' + i % 26)) + u"." + std::u16string(40, u'y'),
                            {static_cast<uint32_t>(i)},
                            {},
                            {}});

    const auto files = BuildKeywordIndex(SortAndMergeKeywords(keywords), 936, 0x804);
    ASSERT_GT(files.btree.size(), kHeader);
    ASSERT_EQ((files.btree.size() - kHeader) % kBlock, 0u);
    for (size_t block = kHeader; block < files.btree.size(); block += kBlock) {
        const uint16_t freeSpace = U16At(files.btree, block);
        EXPECT_LT(freeSpace, kBlock) << "block at " << block;
        EXPECT_GT(U16At(files.btree, block + 2), 0) << "every block holds an entry";
    }
}

// Sub-keywords follow their keyword (also past keywords that sort between them as plain text), carry their depth
// and where their own text starts; a cross-reference carries the keyword it names instead of topics.
TEST(KeywordIndex, SubKeywordsAndCrossReferencesAreListedAsTheViewerReadsThem) {
    std::vector<Keyword> keywords;
    keywords.push_back({u"a b", {3}, {}, {}});
    keywords.push_back(NestedKeyword({u"a", u"x"}, {1, 2}, {}));
    keywords.push_back({u"a", {0}, {}, {}});
    keywords.push_back(NestedKeyword({u"setup"}, {}, u"Installing"));
    const std::vector<Keyword> sorted = SortAndMergeKeywords(keywords);
    ASSERT_EQ(sorted.size(), 4u);
    EXPECT_EQ(sorted[0].text, u"a");
    EXPECT_EQ(sorted[1].text, u"a, x") << "the sub-keyword stays under its keyword";
    EXPECT_EQ(sorted[2].text, u"a b");
    EXPECT_EQ(sorted[3].text, u"setup");

    const auto files = BuildKeywordIndex(sorted, 1252, 0x409);
    const Bytes& btree = files.btree;
    // The second entry of the first block: "a, x", its see-also flag, depth and the start of "x".
    size_t at = kHeader + 12;
    auto skipText = [&] {
        while (U16At(btree, at) != 0)
            at += 2;
        at += 2;
    };
    skipText();                          // "a"
    at += 2 + 2 + 4 + 4 + 4 + 4 + 4 + 4; // flags, depth, index, zero, one topic, its number, tail
    skipText();                          // "a, x"
    EXPECT_EQ(U16At(btree, at), 0);
    EXPECT_EQ(U16At(btree, at + 2), 1) << "depth";
    EXPECT_EQ(U16At(btree, at + 4), 3) << "\"x\" starts at character 3";
    EXPECT_EQ(U16At(btree, at + 12), 2) << "two topics";
    at += 16 + 2 * 4 + 8;
    skipText(); // "a b"
    at += 2 + 2 + 4 + 4 + 4 + 4 + 4 + 4;
    skipText(); // "setup"
    EXPECT_EQ(U16At(btree, at), 2) << "a see-also entry";
    EXPECT_EQ(U16At(btree, at + 16), u'I') << "the keyword it names follows";
}
