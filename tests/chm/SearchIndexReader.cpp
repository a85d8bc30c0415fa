#include "SearchIndexReader.h"

#include <chm_lib.h>
#include <cstring>
#include <iconv.h>

namespace chmtest {
namespace {

std::uint32_t U32(const std::string& data, std::size_t at) {
    if (at + 4 > data.size()) {
        return 0;
    }
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = (value << 8) | static_cast<unsigned char>(data[at + i]);
    }
    return value;
}

std::uint16_t U16(const std::string& data, std::size_t at) {
    return at + 2 > data.size() ? 0
                                : static_cast<std::uint16_t>(static_cast<unsigned char>(data[at]) |
                                                             (static_cast<unsigned char>(data[at + 1]) << 8));
}

// The index's variable-length integers: 7 bits a byte, least significant group first (unlike the directory's).
std::uint64_t ReadEncInt(const std::string& data, std::size_t& at) {
    std::uint64_t value = 0;
    for (int shift = 0; at < data.size() && shift < 64; shift += 7) {
        const auto byte = static_cast<unsigned char>(data[at++]);
        value |= static_cast<std::uint64_t>(byte & 0x7F) << shift;
        if ((byte & 0x80) == 0) {
            break;
        }
    }
    return value;
}

std::string Convert(const char* from, const char* to, const std::string& text) {
    iconv_t converter = iconv_open(to, from);
    std::string input = text;
    std::string output(text.size() * 4 + 8, '\0');
    char* in = input.data();
    char* out = output.data();
    std::size_t inLeft = input.size();
    std::size_t outLeft = output.size();
    iconv(converter, &in, &inLeft, &out, &outLeft);
    iconv_close(converter);
    output.resize(output.size() - outLeft);
    return output;
}

// Bits are taken from the high end of each byte.
class BitReader {
public:
    BitReader(const std::string& data, std::size_t start) : data(data), bit(start * 8) {}
    int Bit() {
        const std::size_t byte = bit / 8;
        const int value = byte < data.size() ? (static_cast<unsigned char>(data[byte]) >> (7 - bit % 8)) & 1 : 0;
        ++bit;
        return value;
    }
    std::uint64_t Bits(int count) {
        std::uint64_t value = 0;
        while (count-- > 0) {
            value = (value << 1) | Bit();
        }
        return value;
    }
    std::uint64_t ScaleRoot(int root) {
        int ones = 0;
        while (Bit() == 1) {
            ++ones;
        }
        if (ones == 0) {
            return Bits(root);
        }
        const int length = root + ones - 1;
        return (std::uint64_t{1} << length) | Bits(length);
    }
    void NextByte() { bit = (bit + 7) / 8 * 8; }

private:
    const std::string& data;
    std::size_t bit;
};

} // namespace

SearchIndexReader::SearchIndexReader(const std::string& helpFile) : file(chm_open(helpFile.c_str())) {
    if (file == nullptr) {
        return;
    }
    index = Read("/$FIftiMain");
    topics = Read("/#TOPICS");
    urlTable = Read("/#URLTBL");
    urlStrings = Read("/#URLSTR");
    strings = Read("/#STRINGS");
}

SearchIndexReader::~SearchIndexReader() {
    if (file != nullptr) {
        chm_close(file);
    }
}

std::string SearchIndexReader::Read(const std::string& name) const {
    chmUnitInfo unit;
    if (file == nullptr || chm_resolve_object(file, name.c_str(), &unit) != CHM_RESOLVE_SUCCESS) {
        return {};
    }
    std::string bytes(unit.length, '\0');
    const auto got = chm_retrieve_object(file, &unit, reinterpret_cast<unsigned char*>(bytes.data()), 0, unit.length);
    bytes.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return bytes;
}

std::uint32_t SearchIndexReader::FindLeaf(const std::string& key) const {
    const std::uint32_t nodeSize = U32(index, 0x2E);
    std::uint32_t node = U32(index, 0x14);
    for (int level = U16(index, 0x18); level > 1; --level) {
        const std::size_t end = node + nodeSize - U16(index, node);
        std::string word;
        std::uint32_t child = 0;
        for (std::size_t at = node + 2; at < end;) {
            const auto length = static_cast<unsigned char>(index[at]);
            const auto shared = static_cast<unsigned char>(index[at + 1]);
            word = word.substr(0, shared) + index.substr(at + 2, length - 1);
            at += 2 + length - 1;
            child = U32(index, at);
            at += 6;
            if (word >= key) {
                break;
            }
        }
        node = child;
    }
    return node;
}

std::vector<SearchIndexReader::Word> SearchIndexReader::LeafWordsFrom(std::uint32_t leaf) const {
    std::vector<Word> words;
    const std::uint32_t nodeSize = U32(index, 0x2E);
    while (leaf != 0 && leaf + nodeSize <= index.size()) {
        const std::size_t end = leaf + nodeSize - U16(index, leaf + 6);
        std::string previous;
        for (std::size_t at = leaf + 8; at < end;) {
            Word word;
            const auto length = static_cast<unsigned char>(index[at]);
            const auto shared = static_cast<unsigned char>(index[at + 1]);
            word.bytes = previous.substr(0, shared) + index.substr(at + 2, length - 1);
            at += 2 + length - 1;
            word.context = index[at++];
            word.topicCount = ReadEncInt(index, at);
            word.wlcOffset = U32(index, at);
            at += 6;
            word.wlcSize = static_cast<std::uint32_t>(ReadEncInt(index, at));
            previous = word.bytes;
            words.push_back(word);
        }
        leaf = U32(index, leaf);
    }
    return words;
}

std::vector<std::uint32_t> SearchIndexReader::Topics(const Word& word) const {
    const int topicRoot = static_cast<unsigned char>(index[0x1F]);
    const int countRoot = static_cast<unsigned char>(index[0x21]);
    const int locationRoot = static_cast<unsigned char>(index[0x23]);
    std::vector<std::uint32_t> result;
    BitReader bits(index, word.wlcOffset);
    std::uint64_t topic = 0;
    for (std::uint64_t i = 0; i < word.topicCount; ++i) {
        bits.NextByte();
        topic += bits.ScaleRoot(topicRoot);
        result.push_back(static_cast<std::uint32_t>(topic));
        const std::uint64_t locations = bits.ScaleRoot(countRoot);
        for (std::uint64_t k = 0; k < locations; ++k) {
            bits.ScaleRoot(locationRoot);
        }
    }
    return result;
}

std::string SearchIndexReader::PageOf(std::uint32_t topic) const {
    const std::uint32_t urlEntry = U32(topics, topic * 16 + 8);
    const std::uint32_t urlString = U32(urlTable, urlEntry + 8);
    return urlString + 8 < urlStrings.size() ? std::string(urlStrings.c_str() + urlString + 8) : std::string();
}

std::string SearchIndexReader::TitleOf(const std::string& page) const {
    for (std::uint32_t topic = 0; topic * 16 < topics.size(); ++topic) {
        if (PageOf(topic) == page) {
            const std::uint32_t title = U32(topics, topic * 16 + 4);
            return title < strings.size() ? Convert("GB18030", "UTF-8", strings.c_str() + title) : std::string();
        }
    }
    return {};
}

std::set<std::string> SearchIndexReader::Find(const std::string& query, bool prefix, bool titlesOnly) const {
    std::set<std::string> pages;
    if (index.size() < 0x400 || index[0x1E] != 2 || index[0x20] != 2 || index[0x22] != 2) {
        return pages;
    }
    std::string lower = query;
    for (char& c : lower) {
        c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    const std::string key = Convert("UTF-8", "GB18030", lower);
    for (const Word& word : LeafWordsFrom(FindLeaf(key))) {
        const bool matches = prefix ? word.bytes.compare(0, key.size(), key) == 0 : word.bytes == key;
        if (!matches && word.bytes > key) {
            break;
        }
        if (matches && (!titlesOnly || word.context == 1)) {
            for (const std::uint32_t topic : Topics(word)) {
                pages.insert(PageOf(topic));
            }
        }
    }
    return pages;
}

} // namespace chmtest
