#include "FullTextIndex.h"

#include <algorithm>
#include <array>
#include <bit>

#include "TextCodec.h"
#include "WordBreaker.h"

namespace chm {
namespace {

constexpr std::uint32_t kNoWord = 0xFFFFFFFF;
constexpr std::size_t kHeaderSize = 0x400;
// A word's length is stored in one byte that also counts the context byte.
constexpr std::size_t kMaxWordBytes = 254;
constexpr std::uint8_t kScale = 2; // the only scale the readers know
constexpr int kMaxRoot = 24;

// Bits written most significant first, as the readers take them.
class BitWriter {
public:
    explicit BitWriter(Bytes& out) : out(out) {}
    // count is at most 33.
    void PutBits(std::uint64_t value, int count) {
        pending = (pending << count) | (value & ((std::uint64_t{1} << count) - 1));
        pendingBits += count;
        while (pendingBits >= 8) {
            pendingBits -= 8;
            out.push_back(static_cast<std::uint8_t>(pending >> pendingBits));
        }
    }
    // Scale-and-root code with scale 2: below 2^root a 0 and root bits; otherwise as many 1s as the value has
    // bits beyond root, a 0, and the value without its leading 1.
    // value is below 2^32. The 0 that ends the prefix goes out with the bits before or after it.
    void PutScaleRoot(std::uint64_t value, int root) {
        if (value < (std::uint64_t{1} << root)) {
            PutBits(value, root + 1);
            return;
        }
        const int highBit = std::bit_width(value) - 1;
        const int ones = highBit - root + 1;
        PutBits(((std::uint64_t{1} << ones) - 1) << 1, ones + 1);
        PutBits(value, highBit);
    }
    void AlignToByte() {
        if (pendingBits > 0) {
            PutBits(0, 8 - pendingBits);
        }
    }

private:
    Bytes& out;
    std::uint64_t pending = 0;
    int pendingBits = 0;
};

// Bits each root size would spend on the values counted by bit length.
int BestRoot(const std::array<std::uint64_t, 65>& valuesByBitLength) {
    int best = 0;
    std::uint64_t bestBits = UINT64_MAX;
    for (int root = 0; root <= kMaxRoot; ++root) {
        std::uint64_t bits = 0;
        for (int length = 0; length <= 64; ++length) {
            const std::uint64_t perValue = length <= root ? 1 + root : 2 * length - root;
            bits += valuesByBitLength[length] * perValue;
        }
        if (bits < bestBits) {
            bestBits = bits;
            best = root;
        }
    }
    return best;
}

struct Roots {
    int topic = 0;
    int count = 0;
    int location = 0;
};

template <typename Visit> void ForEachTopic(const std::vector<std::uint32_t>& data, Visit visit) {
    std::size_t at = 0;
    while (at < data.size()) {
        const std::uint32_t topic = data[at];
        const std::uint32_t count = data[at + 1];
        visit(topic, count, &data[at + 2]);
        at += 2 + count;
    }
}

std::size_t CommonPrefix(const std::string& a, const std::string& b) {
    const std::size_t limit = std::min({a.size(), b.size(), std::size_t{255}});
    std::size_t n = 0;
    while (n < limit && a[n] == b[n]) {
        ++n;
    }
    return n;
}

struct IndexedWord {
    const std::string* word;
    std::uint8_t context; // 0 page text, 1 title
    std::uint32_t topicCount;
    std::uint32_t wlcOffset;
    std::uint32_t wlcSize;
    std::uint32_t id;
};

struct ChildNode {
    std::string lastWord;
    std::uint32_t offset;
};

// Writes nodes of one kind into the file, each padded to the node size.
class NodeWriter {
public:
    NodeWriter(ByteBuffer& file, std::size_t headerSize) : file(file), headerSize(headerSize) {}

    bool Fits(std::size_t entrySize) const { return node.Size() + entrySize <= kSearchNodeSize; }
    bool Empty() const { return node.Size() == headerSize; }
    ByteBuffer& Node() { return node; }
    void Start() {
        node = ByteBuffer();
        node.PutZeros(headerSize);
    }
    // Appends the node; returns its offset. freeSpaceAt is where its free-space count goes.
    std::uint32_t Finish(std::size_t freeSpaceAt) {
        const auto freeSpace = static_cast<std::uint16_t>(kSearchNodeSize - node.Size());
        node.PatchU16(freeSpaceAt, freeSpace);
        node.PutZeros(freeSpace);
        const auto offset = static_cast<std::uint32_t>(file.Size());
        file.PutBytes(node.Data());
        return offset;
    }

private:
    ByteBuffer& file;
    std::size_t headerSize;
    ByteBuffer node;
};

constexpr std::size_t kLeafHeader = 8;  // next leaf, 0, free space
constexpr std::size_t kIndexHeader = 2; // free space

std::vector<ChildNode> WriteLeaves(ByteBuffer& file, const std::vector<IndexedWord>& entries) {
    std::vector<ChildNode> leaves;
    NodeWriter writer(file, kLeafHeader);
    writer.Start();
    const std::string* previous = nullptr;
    std::vector<std::size_t> nextLinks; // where each leaf's link to the next one is
    const auto finish = [&] {
        const std::uint32_t offset = writer.Finish(6);
        nextLinks.push_back(offset);
        leaves.push_back({*previous, offset});
    };
    for (const IndexedWord& entry : entries) {
        std::size_t prefix = previous != nullptr && !writer.Empty() ? CommonPrefix(*previous, *entry.word) : 0;
        const auto entrySize = [&](std::size_t shared) {
            return 2 + (entry.word->size() - shared) + 1 + EncIntSize(entry.topicCount) + 4 + 2 +
                   EncIntSize(entry.wlcSize);
        };
        if (!writer.Fits(entrySize(prefix))) {
            finish();
            writer.Start();
            prefix = 0;
        }
        ByteBuffer& node = writer.Node();
        node.PutU8(static_cast<std::uint8_t>(entry.word->size() - prefix + 1));
        node.PutU8(static_cast<std::uint8_t>(prefix));
        node.PutText(std::string_view(*entry.word).substr(prefix));
        node.PutU8(entry.context);
        node.PutEncIntLowFirst(entry.topicCount);
        node.PutU32(entry.wlcOffset);
        node.PutU16(0);
        node.PutEncIntLowFirst(entry.wlcSize);
        previous = entry.word;
    }
    if (!writer.Empty() || leaves.empty()) {
        static const std::string kNone;
        previous = previous == nullptr ? &kNone : previous;
        finish();
    }
    for (std::size_t i = 0; i + 1 < nextLinks.size(); ++i) {
        file.PatchU32(nextLinks[i], nextLinks[i + 1]);
    }
    return leaves;
}

std::vector<ChildNode> WriteIndexLevel(ByteBuffer& file, const std::vector<ChildNode>& children) {
    std::vector<ChildNode> parents;
    NodeWriter writer(file, kIndexHeader);
    writer.Start();
    const std::string* previous = nullptr;
    for (const ChildNode& child : children) {
        std::size_t prefix = previous != nullptr && !writer.Empty() ? CommonPrefix(*previous, child.lastWord) : 0;
        if (!writer.Fits(child.lastWord.size() - prefix + 8)) {
            parents.push_back({*previous, writer.Finish(0)});
            writer.Start();
            prefix = 0;
        }
        ByteBuffer& node = writer.Node();
        node.PutU8(static_cast<std::uint8_t>(child.lastWord.size() - prefix + 1));
        node.PutU8(static_cast<std::uint8_t>(prefix));
        node.PutText(std::string_view(child.lastWord).substr(prefix));
        node.PutU32(child.offset);
        node.PutU16(0);
        previous = &child.lastWord;
    }
    parents.push_back({*previous, writer.Finish(0)});
    return parents;
}

} // namespace

const std::string& FullTextIndex::Encode(char32_t c) {
    auto found = encodedChars.find(c);
    if (found == encodedChars.end()) {
        std::string bytes;
        if (c < 0x80) {
            bytes = std::string(1, static_cast<char>(c));
        } else {
            bytes = Utf8ToCodePage(codePage, EncodeUtf8(std::u32string_view(&c, 1))).value_or(std::string());
        }
        found = encodedChars.emplace(c, std::move(bytes)).first;
    }
    return found->second;
}

std::uint32_t FullTextIndex::Intern(std::u32string_view word) {
    const std::uint32_t hash = textIds.Hash(word);
    if (const std::uint32_t* known = textIds.Find(word, hash)) {
        return *known;
    }
    std::string key;
    bool expressible = true;
    for (const char32_t c : word) {
        if (c < 0x80) {
            key += static_cast<char>(c);
            continue;
        }
        const std::string& bytes = Encode(c);
        expressible = expressible && !bytes.empty(); // else no reader could type it
        key += bytes;
    }
    const std::uint32_t id = expressible && key.size() <= kMaxWordBytes
                                 ? InternBytes(key, word.size() > 1 && IsIdeograph(word.front()))
                                 : kNoWord;
    textIds.Add(word, hash, id);
    return id;
}

std::uint32_t FullTextIndex::InternBytes(const std::string& bytes, bool withoutLocations) {
    const std::uint32_t hash = wordIds.Hash(bytes);
    if (const std::uint32_t* known = wordIds.Find(bytes, hash)) {
        return *known;
    }
    const auto id = static_cast<std::uint32_t>(words.size());
    wordIds.Add(bytes, hash, id);
    words.push_back(bytes);
    topicsOnly.push_back(withoutLocations);
    return id;
}

void FullTextIndex::LeaveOut(std::u32string_view word) {
    const std::uint32_t hash = textIds.Hash(word);
    if (std::uint32_t* known = textIds.Find(word, hash)) {
        *known = kNoWord;
    } else {
        textIds.Add(word, hash, kNoWord);
    }
}

void FullTextIndex::AddText(std::uint32_t topic, std::u32string_view text, HugePageVector<Postings>& postings) {
    // Words come in the order of their locations, so each word's locations are appended already sorted.
    BreakWords(text, [&](std::u32string_view word, std::uint32_t location) {
        const std::uint32_t id = Intern(word);
        if (id == kNoWord) {
            return;
        }
        if (postings.size() <= id) {
            postings.resize(words.size());
        }
        Postings& list = postings[id];
        if (list.topicCount == 0 || list.lastTopic != topic) {
            list.data.push_back(topic);
            list.countAt = list.data.size();
            list.data.push_back(0);
            list.lastTopic = topic;
            ++list.topicCount;
        }
        if (topicsOnly[id]) {
            // Runs of characters serve prefix lookups, which ask only which topics hold them; phrase matching
            // uses the single characters. Without locations, runs found in the same topics share their codes.
            return;
        }
        list.data.push_back(location);
        ++list.data[list.countAt];
    });
}

void FullTextIndex::AddTopic(std::uint32_t topic, const PageText& text) {
    AddText(topic, text.body, bodyPostings);
    AddText(topic, text.title, titlePostings);
    topicLimit = std::max(topicLimit, topic + 1);
}

Bytes FullTextIndex::Build(FullTextIndexStats* stats) const {
    std::vector<IndexedWord> entries;
    std::array<std::array<std::uint64_t, 65>, 3> histograms{};
    std::uint64_t occurrences = 0;
    std::uint64_t occurrenceBytes = 0;
    for (const auto* postings : {&bodyPostings, &titlePostings}) {
        for (std::uint32_t id = 0; id < postings->size(); ++id) {
            const Postings& list = (*postings)[id];
            if (list.topicCount == 0) {
                continue;
            }
            entries.push_back(
                {&words[id], static_cast<std::uint8_t>(postings == &titlePostings), list.topicCount, 0, 0, id});
            std::uint32_t previousTopic = 0;
            ForEachTopic(list.data, [&](std::uint32_t topic, std::uint32_t count, const std::uint32_t* locations) {
                ++histograms[0][std::bit_width(topic - previousTopic)];
                ++histograms[1][std::bit_width(count)];
                std::uint32_t previousLocation = 0;
                for (std::uint32_t k = 0; k < count; ++k) {
                    ++histograms[2][std::bit_width(locations[k] - previousLocation)];
                    previousLocation = locations[k];
                }
                previousTopic = topic;
                occurrences += count;
                occurrenceBytes += std::uint64_t{count} * words[id].size();
            });
        }
    }
    std::sort(entries.begin(), entries.end(), [](const IndexedWord& a, const IndexedWord& b) {
        return *a.word != *b.word ? *a.word < *b.word : a.context < b.context;
    });
    const Roots roots{BestRoot(histograms[0]), BestRoot(histograms[1]), BestRoot(histograms[2])};

    ByteBuffer file;
    file.PutZeros(kHeaderSize);
    std::size_t longestWord = 0;
    Bytes codes;                   // one word's codes, reused
    TextIdTable<char> storedCodes; // offsets in the file by the codes stored there
    storedCodes.Reserve(entries.size());
    for (IndexedWord& entry : entries) {
        const auto& postings = entry.context == 0 ? bodyPostings : titlePostings;
        const Postings& list = postings[entry.id];
        codes.clear();
        BitWriter bits(codes);
        std::uint32_t previousTopic = 0;
        ForEachTopic(list.data, [&](std::uint32_t topic, std::uint32_t count, const std::uint32_t* locations) {
            bits.AlignToByte(); // every topic's codes start on a byte
            bits.PutScaleRoot(topic - previousTopic, roots.topic);
            bits.PutScaleRoot(count, roots.count);
            std::uint32_t previousLocation = 0;
            for (std::uint32_t k = 0; k < count; ++k) {
                bits.PutScaleRoot(locations[k] - previousLocation, roots.location);
                previousLocation = locations[k];
            }
            previousTopic = topic;
        });
        bits.AlignToByte();
        // Words found at the same places have the same codes: they are stored once and pointed at by each.
        const std::string_view stored(reinterpret_cast<const char*>(codes.data()), codes.size());
        const std::uint32_t hash = storedCodes.Hash(stored);
        if (const std::uint32_t* offset = storedCodes.Find(stored, hash)) {
            entry.wlcOffset = *offset;
        } else {
            entry.wlcOffset = static_cast<std::uint32_t>(file.Size());
            storedCodes.Add(stored, hash, entry.wlcOffset);
            file.PutBytes(codes);
        }
        entry.wlcSize = static_cast<std::uint32_t>(codes.size());
        longestWord = std::max(longestWord, entry.word->size());
    }

    std::vector<ChildNode> level = WriteLeaves(file, entries);
    const std::size_t leafCount = level.size();
    std::uint16_t depth = 1;
    while (level.size() > 1) {
        level = WriteIndexLevel(file, level);
        ++depth;
    }
    file.PatchU32(0x04, topicLimit);
    file.PatchU32(0x08, level.front().offset);
    file.PatchU32(0x10, static_cast<std::uint32_t>(leafCount));
    file.PatchU32(0x14, level.front().offset);
    file.PatchU16(0x18, depth);
    file.PatchU32(0x1A, 7);
    Bytes bytes = file.Take();
    bytes[0x1E] = kScale;
    bytes[0x1F] = static_cast<std::uint8_t>(roots.topic);
    bytes[0x20] = kScale;
    bytes[0x21] = static_cast<std::uint8_t>(roots.count);
    bytes[0x22] = kScale;
    bytes[0x23] = static_cast<std::uint8_t>(roots.location);
    bytes[0x02] = 0x28; // the signature 00 00 28 00
    std::uint64_t wordBytes = 0;
    for (const std::string& word : words) {
        wordBytes += word.size();
    }
    ByteBuffer tail;
    tail.PutU32(kSearchNodeSize);                          // 0x2E node size
    tail.PutU32(0);                                        // 0x32
    tail.PutU32(0);                                        // 0x36
    tail.PutU32(0);                                        // 0x3A
    tail.PutU32(static_cast<std::uint32_t>(longestWord));  // 0x3E longest word, for readers' buffers
    tail.PutU32(static_cast<std::uint32_t>(occurrences));  // 0x42 words indexed, repeats counted
    tail.PutU32(static_cast<std::uint32_t>(words.size())); // 0x46 distinct words
    tail.PutU64(occurrenceBytes);                          // 0x4A their bytes, repeats counted
    tail.PutU32(static_cast<std::uint32_t>(wordBytes));    // 0x52 distinct words' bytes
    tail.PutU32(0);                                        // 0x56
    tail.PutU32(0);                                        // 0x5A
    tail.PutU32(topicLimit == 0 ? 0 : topicLimit - 1);     // 0x5E last topic
    tail.PutZeros(24);                                     // 0x62
    tail.PutU32(codePage);                                 // 0x7A code page of the words
    tail.PutU32(lcid);                                     // 0x7E language
    std::copy(tail.Data().begin(), tail.Data().end(), bytes.begin() + 0x2E);
    if (stats != nullptr) {
        stats->uniqueWords = words.size();
        stats->leafNodes = leafCount;
        stats->treeDepth = depth;
    }
    return bytes;
}

} // namespace chm
