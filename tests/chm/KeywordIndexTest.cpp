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
    keywords.push_back({std::u16string(3000, u'x'), {0}});
    Keyword shared{u"", {}};
    for (uint32_t topic = 0; topic < 1000; ++topic)
        shared.topics.push_back(topic);
    keywords.push_back(shared);
    for (int i = 0; i < 50; ++i)
        keywords.push_back({u"keyword " + std::u16string(1, char16_t(u'a' + i % 26)) + u"." + std::u16string(40, u'y'),
                            {static_cast<uint32_t>(i)}});

    const auto files = BuildKeywordIndex(SortAndMergeKeywords(keywords), 936, 0x804);
    ASSERT_GT(files.btree.size(), kHeader);
    ASSERT_EQ((files.btree.size() - kHeader) % kBlock, 0u);
    for (size_t block = kHeader; block < files.btree.size(); block += kBlock) {
        const uint16_t freeSpace = U16At(files.btree, block);
        EXPECT_LT(freeSpace, kBlock) << "block at " << block;
        EXPECT_GT(U16At(files.btree, block + 2), 0) << "every block holds an entry";
    }
}
