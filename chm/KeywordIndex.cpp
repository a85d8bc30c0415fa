#include "KeywordIndex.h"

#include <algorithm>

namespace {

constexpr uint32_t kBlockSize = 2048;
constexpr uint32_t kBlockHeaderSize = 12;
constexpr uint32_t kFileHeaderSize = 0x4C;
constexpr uint16_t kSignature = 0x293B;
// A listing entry must fit in one block: keywords made from long headings are cut, and a keyword shared by very
// many topics keeps the first ones. Viewers show a keyword on one line anyway.
constexpr size_t kMaxKeywordUnits = 255;
constexpr size_t kEntryFixedBytes = 2 + 2 + 2 + 4 + 4 + 4 + 4 + 4; // terminator, fields, topic count, tail
constexpr size_t kMaxTopicsPerEntry = (kBlockSize - kBlockHeaderSize - kEntryFixedBytes - 2 * kMaxKeywordUnits) / 4;

char16_t LowerAscii(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

bool KeywordLess(const std::u16string& a, const std::u16string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char16_t x, char16_t y) { return LowerAscii(x) < LowerAscii(y); });
}

void PutUtf16Z(ByteBuffer& buffer, const std::u16string& text) {
    for (char16_t c : text)
        buffer.PutU16(static_cast<uint16_t>(c));
    buffer.PutU16(0);
}

std::u16string ShownText(const std::u16string& text) {
    if (text.size() <= kMaxKeywordUnits)
        return text;
    size_t cut = kMaxKeywordUnits;
    if (text[cut - 1] >= 0xD800 && text[cut - 1] <= 0xDBFF) // never split a surrogate pair
        --cut;
    return text.substr(0, cut);
}

Bytes ListingEntry(const Keyword& keyword, uint32_t entryNumber) {
    ByteBuffer entry;
    const std::u16string shown = ShownText(keyword.text);
    const std::vector<std::u16string> levels = KeywordLevels(keyword);
    PutUtf16Z(entry, shown);
    const bool seeAlso = !keyword.seeAlso.empty();
    entry.PutU16(seeAlso ? 2 : 0);
    entry.PutU16(static_cast<uint16_t>(levels.size() - 1)); // depth, 0 at the top
    // Where the last level's own text starts in the whole text.
    const size_t lastStart = keyword.text.size() - levels.back().size();
    entry.PutU32(static_cast<uint32_t>(std::min(lastStart, shown.size())));
    entry.PutU32(0);
    if (seeAlso) {
        // The keyword referred to stands where the topics would.
        entry.PutU32(1);
        PutUtf16Z(entry, ShownText(keyword.seeAlso));
    } else {
        const size_t topicCount = std::min(keyword.topics.size(), kMaxTopicsPerEntry);
        entry.PutU32(static_cast<uint32_t>(topicCount));
        for (size_t i = 0; i < topicCount; ++i)
            entry.PutU32(keyword.topics[i]);
    }
    entry.PutU32(1);
    entry.PutU32(entryNumber);
    return entry.Take();
}

struct Block {
    ByteBuffer body;
    uint16_t count = 0;
    uint32_t firstEntry = 0;
    const Keyword* firstKeyword = nullptr;
};

Bytes FinishBlock(const Block& block, int32_t previous, int32_t next) {
    ByteBuffer bytes;
    bytes.PutU16(static_cast<uint16_t>(kBlockSize - kBlockHeaderSize - block.body.Size()));
    bytes.PutU16(block.count);
    bytes.PutU32(static_cast<uint32_t>(previous));
    bytes.PutU32(static_cast<uint32_t>(next));
    bytes.PutBytes(block.body.Data());
    bytes.PutZeros(kBlockSize - bytes.Size());
    return bytes.Take();
}

} // namespace

std::vector<std::u16string> KeywordLevels(const Keyword& keyword) {
    return keyword.path.empty() ? std::vector<std::u16string>{keyword.text} : keyword.path;
}

Keyword NestedKeyword(std::vector<std::u16string> path, std::vector<uint32_t> topics, std::u16string seeAlso) {
    Keyword keyword;
    for (const std::u16string& level : path)
        keyword.text += (keyword.text.empty() ? u"" : u", ") + level;
    keyword.topics = std::move(topics);
    keyword.path = std::move(path);
    keyword.seeAlso = std::move(seeAlso);
    return keyword;
}

std::vector<Keyword> SortAndMergeKeywords(std::vector<Keyword> keywords) {
    std::stable_sort(keywords.begin(), keywords.end(), [](const Keyword& a, const Keyword& b) {
        const auto levelsA = KeywordLevels(a);
        const auto levelsB = KeywordLevels(b);
        return std::lexicographical_compare(levelsA.begin(), levelsA.end(), levelsB.begin(), levelsB.end(),
                                            KeywordLess);
    });
    std::vector<Keyword> merged;
    for (Keyword& keyword : keywords) {
        if (!merged.empty() && merged.back().text == keyword.text &&
            KeywordLevels(merged.back()) == KeywordLevels(keyword) && merged.back().seeAlso == keyword.seeAlso) {
            for (uint32_t topic : keyword.topics) {
                auto& topics = merged.back().topics;
                if (std::find(topics.begin(), topics.end(), topic) == topics.end())
                    topics.push_back(topic);
            }
        } else {
            merged.push_back(std::move(keyword));
        }
    }
    return merged;
}

KeywordIndexFiles BuildKeywordIndex(const std::vector<Keyword>& sortedKeywords, uint32_t codePage, uint32_t lcid) {
    std::vector<Block> listing(1);
    for (uint32_t number = 0; number < sortedKeywords.size(); ++number) {
        const Bytes entry = ListingEntry(sortedKeywords[number], number);
        if (listing.back().count > 0 && kBlockHeaderSize + listing.back().body.Size() + entry.size() > kBlockSize)
            listing.emplace_back();
        Block& block = listing.back();
        if (block.count == 0) {
            block.firstEntry = number;
            block.firstKeyword = &sortedKeywords[number];
        }
        block.body.PutBytes(entry);
        ++block.count;
    }
    const auto listingCount = static_cast<int32_t>(listing.size());

    // One index block over the listing blocks when there is more than one: each entry names the first keyword
    // of a listing block and that block's number.
    std::vector<Block> index;
    if (listingCount > 1) {
        index.emplace_back();
        for (int32_t i = 0; i < listingCount; ++i) {
            ByteBuffer entry;
            PutUtf16Z(entry, ShownText(listing[i].firstKeyword->text));
            entry.PutU16(0);
            entry.PutU16(0);
            entry.PutU32(0);
            entry.PutU32(0);
            entry.PutU32(0);
            entry.PutU32(static_cast<uint32_t>(i));
            if (index.back().count > 0 && kBlockHeaderSize + index.back().body.Size() + entry.Size() > kBlockSize)
                index.emplace_back();
            index.back().body.PutBytes(entry.Data());
            ++index.back().count;
        }
    }

    ByteBuffer btree;
    btree.PutU16(kSignature);
    btree.PutU16(2);
    btree.PutU16(static_cast<uint16_t>(kBlockSize));
    char format[16] = {'X', '4', '4'};
    btree.PutBytes(format, sizeof format);
    btree.PutU32(0);
    btree.PutU32(static_cast<uint32_t>(listingCount - 1));
    btree.PutU32(index.empty() ? 0xFFFFFFFFu : static_cast<uint32_t>(listingCount));
    btree.PutU32(0xFFFFFFFFu);
    btree.PutU32(static_cast<uint32_t>(listing.size() + index.size()));
    btree.PutU16(static_cast<uint16_t>(index.empty() ? 1 : 2));
    btree.PutU32(static_cast<uint32_t>(sortedKeywords.size()));
    btree.PutU32(codePage);
    btree.PutU32(lcid);
    btree.PutU32(0);
    btree.PutZeros(kFileHeaderSize - btree.Size());
    for (int32_t i = 0; i < listingCount; ++i)
        btree.PutBytes(FinishBlock(listing[i], i - 1, i + 1 < listingCount ? i + 1 : -1));
    for (const Block& block : index)
        btree.PutBytes(FinishBlock(block, -1, -1));

    ByteBuffer map;
    map.PutU16(static_cast<uint16_t>(listing.size()));
    for (int32_t i = 0; i < listingCount; ++i) {
        map.PutU32(listing[i].firstEntry);
        map.PutU16(static_cast<uint16_t>(i));
    }
    ByteBuffer property;
    property.PutU32(2);
    property.PutZeros(28);
    return KeywordIndexFiles{btree.Take(), Bytes{}, map.Take(), property.Take()};
}
