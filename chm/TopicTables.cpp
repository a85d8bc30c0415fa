#include "TopicTables.h"

#include "base/Text.h"

#include <algorithm>
#include <numeric>

namespace {

constexpr uint32_t kUrlEntriesPerBlock = 341; // 341 entries of 12 bytes fill a 4 KB block
constexpr uint32_t kUrlBlockSize = 4096;
constexpr uint16_t kTopicInContents = 6;
constexpr uint16_t kTopicNotInContents = 2;

// Our own hash of the address; the table is kept sorted by it.
uint32_t UrlHash(const std::string& url) {
    uint32_t hash = 2166136261u;
    for (char c : url)
        hash = (hash ^ static_cast<unsigned char>(AsciiLower(c))) * 16777619u;
    return hash;
}

} // namespace

TopicTables BuildTopicTables(const std::vector<Topic>& topicList, StringTable& strings) {
    ByteBuffer urlStrings;
    urlStrings.PutU8(0);
    std::vector<uint32_t> urlStringOffsets;
    for (const Topic& topic : topicList) {
        urlStringOffsets.push_back(static_cast<uint32_t>(urlStrings.Size()));
        urlStrings.PutU32(0); // full address, none for local pages
        urlStrings.PutU32(0); // frame name
        urlStrings.PutTextZ(topic.local);
    }

    std::vector<uint32_t> order(topicList.size());
    std::iota(order.begin(), order.end(), 0);
    std::vector<uint32_t> hashes;
    for (const Topic& topic : topicList)
        hashes.push_back(UrlHash(topic.local));
    std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) { return hashes[a] < hashes[b]; });
    ByteBuffer urlTable;
    std::vector<uint32_t> urlTableOffsets(topicList.size());
    for (uint32_t position = 0; position < order.size(); ++position) {
        if (position > 0 && position % kUrlEntriesPerBlock == 0)
            urlTable.PutZeros(kUrlBlockSize - (urlTable.Size() % kUrlBlockSize));
        const uint32_t topicIndex = order[position];
        urlTableOffsets[topicIndex] = static_cast<uint32_t>(urlTable.Size());
        urlTable.PutU32(hashes[topicIndex]);
        urlTable.PutU32(topicIndex);
        urlTable.PutU32(urlStringOffsets[topicIndex]);
    }

    ByteBuffer topics;
    for (size_t i = 0; i < topicList.size(); ++i) {
        topics.PutU32(0); // no binary contents entry
        topics.PutU32(strings.Add(topicList[i].title));
        topics.PutU32(urlTableOffsets[i]);
        topics.PutU16(topicList[i].inContents ? kTopicInContents : kTopicNotInContents);
        topics.PutU16(0);
    }
    return TopicTables{topics.Take(), urlTable.Take(), urlStrings.Take()};
}
