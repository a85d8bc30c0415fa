#include "SearchIndexReader.h"

#include <chm_lib.h>
#include <cstring>
#include <iconv.h>

namespace {

uint32_t U32(const std::string& data, size_t at) {
    if (at + 4 > data.size())
        return 0;
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(data[at + i]);
    return value;
}

uint16_t U16(const std::string& data, size_t at) {
    return at + 2 > data.size() ? 0
                                : static_cast<uint16_t>(static_cast<unsigned char>(data[at]) |
                                                        (static_cast<unsigned char>(data[at + 1]) << 8));
}

// The index's variable-length integers: 7 bits a byte, least significant group first (unlike the directory's).
uint64_t ReadEncInt(const std::string& data, size_t& at) {
    uint64_t value = 0;
    for (int shift = 0; at < data.size() && shift < 64; shift += 7) {
        const auto byte = static_cast<unsigned char>(data[at++]);
        value |= static_cast<uint64_t>(byte & 0x7F) << shift;
        if ((byte & 0x80) == 0)
            break;
    }
    return value;
}

// Words as the viewers compare them: strcasecmp folds A-Z, the second bytes of double-byte characters too.
std::string Folded(std::string bytes) {
    for (char& c : bytes)
        c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    return bytes;
}

std::string Convert(const char* from, const char* to, const std::string& text) {
    iconv_t converter = iconv_open(to, from);
    std::string input = text;
    std::string output(text.size() * 4 + 8, '\0');
    char* in = input.data();
    char* out = output.data();
    size_t inLeft = input.size();
    size_t outLeft = output.size();
    iconv(converter, &in, &inLeft, &out, &outLeft);
    iconv_close(converter);
    output.resize(output.size() - outLeft);
    return output;
}

// Bits are taken from the high end of each byte.
class BitReader {
public:
    BitReader(const std::string& data, size_t start) : data_(data), bit_(start * 8) {}
    int Bit() {
        const size_t byte = bit_ / 8;
        const int value = byte < data_.size() ? (static_cast<unsigned char>(data_[byte]) >> (7 - bit_ % 8)) & 1 : 0;
        ++bit_;
        return value;
    }
    uint64_t Bits(int count) {
        uint64_t value = 0;
        while (count-- > 0)
            value = (value << 1) | Bit();
        return value;
    }
    uint64_t ScaleRoot(int root) {
        int ones = 0;
        while (Bit() == 1)
            ++ones;
        if (ones == 0)
            return Bits(root);
        const int length = root + ones - 1;
        return (uint64_t{1} << length) | Bits(length);
    }
    void NextByte() { bit_ = (bit_ + 7) / 8 * 8; }

private:
    const std::string& data_;
    size_t bit_;
};

} // namespace

SearchIndexReader::SearchIndexReader(const std::string& helpFile) : file_(chm_open(helpFile.c_str())) {
    if (file_ == nullptr)
        return;
    index_ = Read("/$FIftiMain");
    topics_ = Read("/#TOPICS");
    urlTable_ = Read("/#URLTBL");
    urlStrings_ = Read("/#URLSTR");
    strings_ = Read("/#STRINGS");
}

SearchIndexReader::~SearchIndexReader() {
    if (file_ != nullptr)
        chm_close(file_);
}

std::string SearchIndexReader::Read(const std::string& name) const {
    chmUnitInfo unit;
    if (file_ == nullptr || chm_resolve_object(file_, name.c_str(), &unit) != CHM_RESOLVE_SUCCESS)
        return {};
    std::string bytes(unit.length, '\0');
    const auto got = chm_retrieve_object(file_, &unit, reinterpret_cast<unsigned char*>(bytes.data()), 0, unit.length);
    bytes.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return bytes;
}

uint32_t SearchIndexReader::FindLeaf(const std::string& key) const {
    const uint32_t nodeSize = U32(index_, 0x2E);
    uint32_t node = U32(index_, 0x14);
    for (int level = U16(index_, 0x18); level > 1; --level) {
        const size_t end = node + nodeSize - U16(index_, node);
        std::string word;
        uint32_t child = 0;
        for (size_t at = node + 2; at < end;) {
            const auto length = static_cast<unsigned char>(index_[at]);
            const auto shared = static_cast<unsigned char>(index_[at + 1]);
            word = word.substr(0, shared) + index_.substr(at + 2, length - 1);
            at += 2 + length - 1;
            child = U32(index_, at);
            at += 6;
            if (Folded(word) >= key)
                break;
        }
        node = child;
    }
    return node;
}

std::vector<SearchIndexReader::Word> SearchIndexReader::LeafWordsFrom(uint32_t leaf, const std::string& key) const {
    std::vector<Word> words;
    const uint32_t nodeSize = U32(index_, 0x2E);
    while (leaf != 0 && leaf + nodeSize <= index_.size()) {
        const size_t end = leaf + nodeSize - U16(index_, leaf + 6);
        std::string previous;
        for (size_t at = leaf + 8; at < end;) {
            Word word;
            const auto length = static_cast<unsigned char>(index_[at]);
            const auto shared = static_cast<unsigned char>(index_[at + 1]);
            word.bytes = previous.substr(0, shared) + index_.substr(at + 2, length - 1);
            at += 2 + length - 1;
            word.context = index_[at++];
            word.topicCount = ReadEncInt(index_, at);
            word.wlcOffset = U32(index_, at);
            at += 6;
            word.wlcSize = static_cast<uint32_t>(ReadEncInt(index_, at));
            previous = word.bytes;
            words.push_back(word);
        }
        // Later leaves hold only words after this one's last.
        const std::string last = Folded(previous);
        if (last > key && last.compare(0, key.size(), key) != 0)
            break;
        leaf = U32(index_, leaf);
    }
    return words;
}

std::vector<SearchIndexReader::TopicLocations> SearchIndexReader::Topics(const Word& word) const {
    const int topicRoot = static_cast<unsigned char>(index_[0x1F]);
    const int countRoot = static_cast<unsigned char>(index_[0x21]);
    const int locationRoot = static_cast<unsigned char>(index_[0x23]);
    std::vector<TopicLocations> result;
    BitReader bits(index_, word.wlcOffset);
    uint64_t topic = 0;
    for (uint64_t i = 0; i < word.topicCount; ++i) {
        bits.NextByte();
        topic += bits.ScaleRoot(topicRoot);
        TopicLocations& found = result.emplace_back(TopicLocations{static_cast<uint32_t>(topic), {}});
        const uint64_t count = bits.ScaleRoot(countRoot);
        uint64_t location = 0;
        for (uint64_t k = 0; k < count; ++k) {
            location += bits.ScaleRoot(locationRoot);
            found.locations.push_back(static_cast<uint32_t>(location));
        }
    }
    return result;
}

std::string SearchIndexReader::PageOf(uint32_t topic) const {
    const uint32_t urlEntry = U32(topics_, topic * 16 + 8);
    const uint32_t urlString = U32(urlTable_, urlEntry + 8);
    return urlString + 8 < urlStrings_.size() ? std::string(urlStrings_.c_str() + urlString + 8) : std::string();
}

std::string SearchIndexReader::TitleOf(const std::string& page) const {
    for (uint32_t topic = 0; topic * 16 < topics_.size(); ++topic) {
        if (PageOf(topic) == page) {
            const uint32_t title = U32(topics_, topic * 16 + 4);
            return title < strings_.size() ? Convert("GB18030", "UTF-8", strings_.c_str() + title) : std::string();
        }
    }
    return {};
}

std::vector<SearchIndexReader::Word> SearchIndexReader::Lookup(const std::string& query, bool prefix,
                                                               bool titlesOnly) const {
    std::vector<Word> found;
    if (index_.size() < 0x400 || index_[0x1E] != 2 || index_[0x20] != 2 || index_[0x22] != 2)
        return found;
    const std::string key = Folded(Convert("UTF-8", "GB18030", Folded(query)));
    // A viewer looking up a whole word reads only the first entry equal to it; here, the first of page text and
    // the first of titles.
    bool taken[2] = {false, false};
    for (const Word& word : LeafWordsFrom(FindLeaf(key), key)) {
        const std::string folded = Folded(word.bytes);
        const bool matches = prefix ? folded.compare(0, key.size(), key) == 0 : folded == key;
        if (!matches && folded > key)
            break;
        if (!matches || (titlesOnly && word.context != 1) || (!prefix && taken[word.context != 0]))
            continue;
        taken[word.context != 0] = true;
        found.push_back(word);
    }
    return found;
}

std::set<std::string> SearchIndexReader::Find(const std::string& query, bool prefix, bool titlesOnly) const {
    std::set<std::string> pages;
    for (const Word& word : Lookup(query, prefix, titlesOnly))
        for (const TopicLocations& topic : Topics(word))
            pages.insert(PageOf(topic.topic));
    return pages;
}

std::vector<uint32_t> SearchIndexReader::CodeOffsets(const std::string& query) const {
    std::vector<uint32_t> offsets;
    for (const Word& word : Lookup(query, false, false))
        if (word.context == 0)
            offsets.push_back(word.wlcOffset);
    return offsets;
}

std::map<std::string, std::vector<uint32_t>> SearchIndexReader::Locations(const std::string& query) const {
    std::map<std::string, std::vector<uint32_t>> locations;
    for (const Word& word : Lookup(query, false, false)) {
        if (word.context != 0)
            continue;
        for (const TopicLocations& topic : Topics(word)) {
            std::vector<uint32_t>& onPage = locations[PageOf(topic.topic)];
            onPage.insert(onPage.end(), topic.locations.begin(), topic.locations.end());
        }
    }
    return locations;
}
