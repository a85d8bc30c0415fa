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
            if (word >= key)
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
        if (previous > key && previous.compare(0, key.size(), key) != 0)
            break;
        leaf = U32(index_, leaf);
    }
    return words;
}

std::vector<uint32_t> SearchIndexReader::Topics(const Word& word) const {
    const int topicRoot = static_cast<unsigned char>(index_[0x1F]);
    const int countRoot = static_cast<unsigned char>(index_[0x21]);
    const int locationRoot = static_cast<unsigned char>(index_[0x23]);
    std::vector<uint32_t> result;
    BitReader bits(index_, word.wlcOffset);
    uint64_t topic = 0;
    for (uint64_t i = 0; i < word.topicCount; ++i) {
        bits.NextByte();
        topic += bits.ScaleRoot(topicRoot);
        result.push_back(static_cast<uint32_t>(topic));
        const uint64_t locations = bits.ScaleRoot(countRoot);
        for (uint64_t k = 0; k < locations; ++k)
            bits.ScaleRoot(locationRoot);
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

std::set<std::string> SearchIndexReader::Find(const std::string& query, bool prefix, bool titlesOnly) const {
    std::set<std::string> pages;
    if (index_.size() < 0x400 || index_[0x1E] != 2 || index_[0x20] != 2 || index_[0x22] != 2)
        return pages;
    std::string lower = query;
    for (char& c : lower)
        c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    const std::string key = Convert("UTF-8", "GB18030", lower);
    for (const Word& word : LeafWordsFrom(FindLeaf(key), key)) {
        const bool matches = prefix ? word.bytes.compare(0, key.size(), key) == 0 : word.bytes == key;
        if (!matches && word.bytes > key)
            break;
        if (matches && (!titlesOnly || word.context == 1))
            for (const uint32_t topic : Topics(word))
                pages.insert(PageOf(topic));
    }
    return pages;
}
