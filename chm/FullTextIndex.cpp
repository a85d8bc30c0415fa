#include "FullTextIndex.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <future>
#include <optional>
#include <stdexcept>

#include "TextCodec.h"
#include "WordBreaker.h"

namespace {

constexpr uint32_t kNoWord = 0xFFFFFFFF;
constexpr size_t kHeaderSize = 0x400;
// A word's length is stored in one byte that also counts the context byte.
constexpr size_t kMaxWordBytes = 254;
constexpr uint8_t kScale = 2; // the only scale the readers know
constexpr int kMaxRoot = 24;

// Bits written most significant first, as the readers take them.
class BitWriter {
public:
    explicit BitWriter(Bytes& out) : out_(out) {}
    // count is at most 33.
    void PutBits(uint64_t value, int count) {
        pending_ = (pending_ << count) | (value & ((uint64_t{1} << count) - 1));
        pendingBits_ += count;
        while (pendingBits_ >= 8) {
            pendingBits_ -= 8;
            out_.push_back(static_cast<uint8_t>(pending_ >> pendingBits_));
        }
    }
    // Scale-and-root code with scale 2: below 2^root a 0 and root bits; otherwise as many 1s as the value has
    // bits beyond root, a 0, and the value without its leading 1.
    // value is below 2^32. The 0 that ends the prefix goes out with the bits before or after it.
    void PutScaleRoot(uint64_t value, int root) {
        if (value < (uint64_t{1} << root)) {
            PutBits(value, root + 1);
            return;
        }
        const int highBit = std::bit_width(value) - 1;
        const int ones = highBit - root + 1;
        PutBits(((uint64_t{1} << ones) - 1) << 1, ones + 1);
        PutBits(value, highBit);
    }
    void AlignToByte() {
        if (pendingBits_ > 0)
            PutBits(0, 8 - pendingBits_);
    }

private:
    Bytes& out_;
    uint64_t pending_ = 0;
    int pendingBits_ = 0;
};

// Bits each root size would spend on the values counted by bit length.
int BestRoot(const std::array<uint64_t, 65>& valuesByBitLength) {
    int best = 0;
    uint64_t bestBits = UINT64_MAX;
    for (int root = 0; root <= kMaxRoot; ++root) {
        uint64_t bits = 0;
        for (int length = 0; length <= 64; ++length) {
            const uint64_t perValue = length <= root ? 1 + root : 2 * length - root;
            bits += valuesByBitLength[length] * perValue;
        }
        if (bits < bestBits) {
            bestBits = bits;
            best = root;
        }
    }
    return best;
}

// Where in the file the codes of earlier words were stored, found by the codes: compared with the file's own
// bytes, so that no second copy of them is held. Open addressing, sized once for every entry.
class StoredCodes {
public:
    StoredCodes(const Bytes& file, size_t entries) : file_(file) {
        size_t size = 64;
        while (size < entries + entries / 2)
            size *= 2;
        slots_.assign(size, Slot{});
        mask_ = size - 1;
    }
    // Returns the offset of the same codes stored before, else records them as stored at offset and returns it.
    uint32_t Place(std::string_view codes, uint32_t offset) {
        const uint32_t hash = TextIdTable<char>::Hash(codes);
        for (size_t at = hash & mask_;; at = (at + 1) & mask_) {
            Slot& slot = slots_[at];
            if (slot.size == 0) {
                if (++count_ > mask_) // one slot stays empty, so every search ends
                    throw std::length_error("more words in the search index than counted");
                slot = Slot{hash, offset, static_cast<uint32_t>(codes.size())};
                return offset;
            }
            if (slot.hash == hash && slot.size == codes.size() &&
                std::memcmp(codes.data(), file_.data() + slot.offset, codes.size()) == 0)
                return slot.offset;
        }
    }

private:
    struct Slot {
        uint32_t hash = 0;
        uint32_t offset = 0;
        uint32_t size = 0; // 0: empty; every word has codes for at least one topic
    };
    const Bytes& file_;
    std::vector<Slot> slots_;
    size_t mask_ = 0;
    size_t count_ = 0;
};

// The bits PutScaleRoot writes for value.
int ScaleRootBits(uint64_t value, int root) {
    if (value < (uint64_t{1} << root))
        return root + 1;
    const int highBit = std::bit_width(value) - 1;
    return 2 * highBit - root + 2;
}

void PutVarint(Bytes& out, uint32_t value) {
    while (value >= 0x80) {
        out.push_back(static_cast<uint8_t>(value | 0x80));
        value >>= 7;
    }
    out.push_back(static_cast<uint8_t>(value));
}

uint32_t GetVarint(const Bytes& in, size_t& at) {
    uint32_t value = 0;
    for (int shift = 0;; shift += 7) {
        const uint8_t byte = in[at++];
        value |= uint32_t{byte & 0x7Fu} << shift;
        if (byte < 0x80)
            return value;
    }
}

// Calls visit(topic, count, locations) for each topic of a word's postings; locations is scratch space.
template <typename Visit> void ForEachTopic(const Bytes& data, std::vector<uint32_t>& locations, Visit visit) {
    size_t at = 0;
    uint32_t topic = 0;
    while (at < data.size()) {
        topic += GetVarint(data, at);
        const uint32_t count = GetVarint(data, at);
        locations.resize(count);
        uint32_t location = 0;
        for (uint32_t k = 0; k < count; ++k) {
            location += GetVarint(data, at);
            locations[k] = location;
        }
        visit(topic, count, locations.data());
    }
}

char FoldedByte(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

size_t CommonPrefix(const std::string& a, const std::string& b) {
    const size_t limit = std::min({a.size(), b.size(), size_t{255}});
    size_t n = 0;
    while (n < limit && a[n] == b[n])
        ++n;
    return n;
}

struct IndexedWord {
    const std::string* word;
    uint8_t context; // 0 page text, 1 title
    uint32_t id;
};

// One leaf entry as it is written.
struct LeafEntry {
    std::string_view word;
    uint8_t context;
    uint32_t topicCount;
    uint32_t wlcOffset;
    uint32_t wlcSize;
};

struct ChildNode {
    std::string lastWord;
    uint32_t offset;
};

// Writes nodes of one kind into the file, each padded to the node size.
class NodeWriter {
public:
    NodeWriter(ByteBuffer& file, size_t headerSize) : file_(file), headerSize_(headerSize) {}

    bool Fits(size_t entrySize) const { return node_.Size() + entrySize <= kSearchNodeSize; }
    bool Empty() const { return node_.Size() == headerSize_; }
    ByteBuffer& Node() { return node_; }
    void Start() {
        node_ = ByteBuffer();
        node_.PutZeros(headerSize_);
    }
    // Appends the node; returns its offset. freeSpaceAt is where its free-space count goes.
    uint32_t Finish(size_t freeSpaceAt) {
        const auto freeSpace = static_cast<uint16_t>(kSearchNodeSize - node_.Size());
        node_.PatchU16(freeSpaceAt, freeSpace);
        node_.PutZeros(freeSpace);
        const auto offset = static_cast<uint32_t>(file_.Size());
        file_.PutBytes(node_.Data());
        return offset;
    }

private:
    ByteBuffer& file_;
    size_t headerSize_;
    ByteBuffer node_;
};

constexpr size_t kLeafHeader = 8;  // next leaf, 0, free space
constexpr size_t kIndexHeader = 2; // free space

// next(entry) gives the entries in order, false after the last.
template <typename Next> std::vector<ChildNode> WriteLeaves(ByteBuffer& file, Next next) {
    std::vector<ChildNode> leaves;
    NodeWriter writer(file, kLeafHeader);
    writer.Start();
    std::string previous;
    std::vector<size_t> nextLinks; // where each leaf's link to the next one is
    const auto finish = [&] {
        const uint32_t offset = writer.Finish(6);
        nextLinks.push_back(offset);
        leaves.push_back({previous, offset});
    };
    LeafEntry entry{};
    while (next(entry)) {
        size_t prefix = !writer.Empty() ? CommonPrefix(previous, std::string(entry.word)) : 0;
        const auto entrySize = [&](size_t shared) {
            return 2 + (entry.word.size() - shared) + 1 + EncIntSize(entry.topicCount) + 4 + 2 +
                   EncIntSize(entry.wlcSize);
        };
        if (!writer.Fits(entrySize(prefix))) {
            finish();
            writer.Start();
            prefix = 0;
        }
        ByteBuffer& node = writer.Node();
        node.PutU8(static_cast<uint8_t>(entry.word.size() - prefix + 1));
        node.PutU8(static_cast<uint8_t>(prefix));
        node.PutText(entry.word.substr(prefix));
        node.PutU8(entry.context);
        node.PutEncIntLowFirst(entry.topicCount);
        node.PutU32(entry.wlcOffset);
        node.PutU16(0);
        node.PutEncIntLowFirst(entry.wlcSize);
        previous = entry.word;
    }
    if (!writer.Empty() || leaves.empty())
        finish();
    for (size_t i = 0; i + 1 < nextLinks.size(); ++i)
        file.PatchU32(nextLinks[i], nextLinks[i + 1]);
    return leaves;
}

// Words in the order readers compare them while walking down the tree: chmlib's search (python3-chm, xchm)
// uses strcasecmp, which folds A-Z; our words are lower case, but the second byte of a double-byte character
// may be one of those letters. Words that fold alike are one word to those readers, and one entry of the index.
// Equal folds fall back to the bytes.
bool SortsBefore(const std::string& a, const std::string& b) {
    const size_t limit = std::min(a.size(), b.size());
    for (size_t i = 0; i < limit; ++i) {
        if (a[i] == b[i])
            continue;
        const int x = static_cast<unsigned char>(FoldedByte(a[i]));
        const int y = static_cast<unsigned char>(FoldedByte(b[i]));
        if (x != y)
            return x < y;
    }
    if (a.size() != b.size())
        return a.size() < b.size();
    return a < b;
}

std::string RunBytes(uint64_t key) {
    std::string bytes;
    for (int shift = 48; shift >= 0 && ((key >> shift) & 0xFFFF) != 0; shift -= 16) {
        bytes += static_cast<char>((key >> (shift + 8)) & 0xFF);
        bytes += static_cast<char>((key >> shift) & 0xFF);
    }
    return bytes;
}

// The index nodes above the leaves, built as the leaves come. chmlib's search walks down from the root but does
// not go back to the first entry when it moves to a lower index node: it reads the lower node from the offset at
// which it left the upper one. So every index node below the root starts with filler entries up to the offset of
// its own entry in its parent. Fillers hold words of 0x01 bytes, which sort before every word, so a reader that
// starts at a node's first entry passes over them; their links go to the node's first real child.
class IndexLevels {
public:
    IndexLevels(ByteBuffer& file, size_t longestKey) : file_(file), reserve_(longestKey + 8) {}

    void Add(const ChildNode& leaf) { Add(0, leaf.lastWord, leaf.offset); }
    // Writes what is open; returns the root's offset. levels is the number of index levels.
    uint32_t Finish(uint16_t& levels) {
        for (size_t level = 0;; ++level) {
            if (level + 1 == levels_.size()) {
                levels = static_cast<uint16_t>(levels_.size());
                return Write(level);
            }
            Close(level);
        }
    }

private:
    struct OpenNode {
        ByteBuffer node;
        std::string previous;
        bool empty = true;
        std::vector<size_t> fillerLinks;
    };

    void Add(size_t level, const std::string& key, uint32_t child) {
        if (level == levels_.size()) {
            levels_.emplace_back();
            Start(level);
        }
        size_t prefix = levels_[level].empty ? 0 : CommonPrefix(levels_[level].previous, key);
        if (levels_[level].node.Size() + key.size() - prefix + 8 > kSearchNodeSize) {
            Close(level);
            Start(level);
            prefix = 0;
        }
        OpenNode& open = levels_[level];
        for (const size_t link : open.fillerLinks)
            open.node.PatchU32(link, child);
        open.fillerLinks.clear();
        open.node.PutU8(static_cast<uint8_t>(key.size() - prefix + 1));
        open.node.PutU8(static_cast<uint8_t>(prefix));
        open.node.PutText(std::string_view(key).substr(prefix));
        open.node.PutU32(child);
        open.node.PutU16(0);
        open.previous = key;
        open.empty = false;
    }

    void Start(size_t level) {
        size_t filler = 0;
        if (level + 1 < levels_.size()) {
            // The parent must have room for this node's entry where it stands now.
            if (levels_[level + 1].node.Size() + reserve_ > kSearchNodeSize) {
                Close(level + 1);
                Start(level + 1);
            }
            filler = levels_[level + 1].node.Size() - kIndexHeader;
        }
        OpenNode& open = levels_[level];
        open.node = ByteBuffer();
        open.node.PutZeros(kIndexHeader);
        open.empty = true;
        open.fillerLinks.clear();
        // Entries take 8 bytes and their word; filler is 0 or at least 8.
        while (filler > 0) {
            const size_t length = filler - 8 <= 254 ? filler - 8 : std::min<size_t>(254, filler - 16);
            open.node.PutU8(static_cast<uint8_t>(length + 1));
            open.node.PutU8(0);
            open.node.PutText(std::string(length, '\x01'));
            open.fillerLinks.push_back(open.node.Size());
            open.node.PutU32(0);
            open.node.PutU16(0);
            filler -= length + 8;
        }
    }

    uint32_t Write(size_t level) {
        ByteBuffer& node = levels_[level].node;
        const auto freeSpace = static_cast<uint16_t>(kSearchNodeSize - node.Size());
        node.PatchU16(0, freeSpace);
        node.PutZeros(freeSpace);
        const auto offset = static_cast<uint32_t>(file_.Size());
        file_.PutBytes(node.Data());
        return offset;
    }

    void Close(size_t level) {
        const uint32_t offset = Write(level);
        const std::string key = levels_[level].previous;
        Add(level + 1, key, offset);
    }

    ByteBuffer& file_;
    size_t reserve_;
    std::vector<OpenNode> levels_;
};

} // namespace

const std::string& FullTextIndex::Encode(char32_t c) {
    auto found = encodedChars_.find(c);
    if (found == encodedChars_.end()) {
        std::string bytes;
        if (c < 0x80)
            bytes = std::string(1, static_cast<char>(c));
        else
            bytes = Utf8ToCodePage(codePage_, EncodeUtf8(std::u32string_view(&c, 1))).value_or(std::string());
        found = encodedChars_.emplace(c, std::move(bytes)).first;
    }
    return found->second;
}

uint32_t FullTextIndex::Intern(std::u32string_view word) {
    const uint32_t hash = textIds_.Hash(word);
    if (const uint32_t* known = textIds_.Find(word, hash))
        return *known;
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
    const uint32_t id = expressible && key.size() <= kMaxWordBytes
                            ? InternBytes(key, word.size() > 1 && IsIdeograph(word.front()))
                            : kNoWord;
    textIds_.Add(word, hash, id);
    return id;
}

uint32_t FullTextIndex::InternBytes(const std::string& bytes, bool withoutLocations) {
    // Words that fold alike share an id, so their topics and locations come together as they are added; the
    // spelling kept is the first in byte order, whichever page came first.
    std::string folded = bytes;
    std::transform(folded.begin(), folded.end(), folded.begin(), FoldedByte);
    const uint32_t hash = wordIds_.Hash(folded);
    if (const uint32_t* known = wordIds_.Find(folded, hash)) {
        if (bytes < words_[*known])
            words_[*known] = bytes;
        return *known;
    }
    const auto id = static_cast<uint32_t>(words_.size());
    wordIds_.Add(folded, hash, id);
    words_.push_back(bytes);
    topicsOnly_.push_back(withoutLocations);
    return id;
}

void FullTextIndex::LeaveOut(std::u32string_view word) {
    const uint32_t hash = textIds_.Hash(word);
    if (uint32_t* known = textIds_.Find(word, hash))
        *known = kNoWord;
    else
        textIds_.Add(word, hash, kNoWord);
}

uint64_t FullTextIndex::PackRun(std::u32string_view word) {
    if (word.size() > 4)
        return 0;
    if (packedChars_.empty())
        packedChars_.assign(0x10000, 0);
    uint64_t key = 0;
    for (const char32_t c : word) {
        uint32_t packed = c < 0x10000 ? packedChars_[c] : 1;
        if (packed == 0) {
            const std::string& bytes = Encode(c);
            // A lead byte of 0x80 or more: a packed run never holds a zero character, which would end it.
            const bool twoBytes = bytes.size() == 2 && static_cast<uint8_t>(bytes[0]) >= 0x80;
            packed = twoBytes ? 0x10000 | static_cast<uint8_t>(bytes[0]) << 8 | static_cast<uint8_t>(bytes[1]) : 1;
            packedChars_[c] = packed;
        }
        if (packed == 1)
            return 0;
        key = key << 16 | (packed & 0xFFFF);
    }
    return key << (16 * (4 - word.size()));
}

void FullTextIndex::AddText(uint32_t topic, std::u32string_view text, HugePageVector<Postings>& postings,
                            RunGroups& runs) {
    pageRuns_.clear();
    pageWords_.clear();
    BreakWords(text, [&](std::u32string_view word, uint32_t location) {
        if (word.size() > 1 && IsIdeograph(word.front())) {
            // Runs of characters serve prefix lookups, which ask only which topics hold them; phrase matching
            // uses the single characters.
            if (const uint64_t key = PackRun(word); key != 0) {
                pageRuns_.push_back(key);
                return;
            }
        }
        const uint32_t id = Intern(word);
        if (id != kNoWord)
            pageWords_.push_back(uint64_t{id} << 32 | location);
    });
    // The page's words by id, each one's locations ascending, go to their lists one topic each.
    std::sort(pageWords_.begin(), pageWords_.end());
    for (size_t at = 0; at < pageWords_.size();) {
        const auto id = static_cast<uint32_t>(pageWords_[at] >> 32);
        size_t end = at + 1;
        while (end < pageWords_.size() && static_cast<uint32_t>(pageWords_[end] >> 32) == id)
            ++end;
        if (postings.size() <= id)
            postings.resize(words_.size());
        Postings& list = postings[id];
        PutVarint(list.data, topic - list.lastTopic);
        list.lastTopic = topic;
        ++list.topicCount;
        if (topicsOnly_[id]) { // a run with a character of other than two bytes
            PutVarint(list.data, 0);
        } else {
            PutVarint(list.data, static_cast<uint32_t>(end - at));
            uint32_t previous = 0;
            for (size_t k = at; k < end; ++k) {
                const auto location = static_cast<uint32_t>(pageWords_[k]);
                PutVarint(list.data, location - previous);
                previous = location;
            }
        }
        at = end;
    }
    std::sort(pageRuns_.begin(), pageRuns_.end());
    pageRuns_.erase(std::unique(pageRuns_.begin(), pageRuns_.end()), pageRuns_.end());
    for (const uint64_t key : pageRuns_)
        runs.Add(key, topic);
}

void FullTextIndex::AddTopic(uint32_t topic, const PageText& text) {
    AddText(topic, text.body, bodyPostings_, bodyRuns_);
    AddText(topic, text.title, titlePostings_, titleRuns_);
    topicLimit_ = std::max(topicLimit_, topic + 1);
}

// Every entry of the leaves in order: the words of the tables (sorted beforehand) merged with the runs of page
// text and of titles, each run with the range of its topics. The runs are read a group at a time.
class FullTextIndex::EntryMerger {
public:
    struct Entry {
        std::string word;
        uint8_t context = 0;
        uint32_t topicCount = 0;
        Postings* postings = nullptr;     // a word of the tables,
        const RunInTopic* runs = nullptr; // or the runs that fold alike, by topic, a topic once per spelling
        size_t runCount = 0;
        uint64_t foldedRun = 0;
    };

    EntryMerger(FullTextIndex& index, const std::vector<IndexedWord>& words)
        : index_(index), words_(words), body_(index.bodyRuns_), title_(index.titleRuns_) {}

    // entry's runs last until the next call.
    bool Next(Entry& entry) {
        const bool haveWord = wordAt_ < words_.size();
        const bool haveBody = body_.Ready();
        const bool haveTitle = title_.Ready();
        if (!haveWord && !haveBody && !haveTitle)
            return false;
        // Of equal words, page text comes before titles. A run never folds like a word of the tables: bytes that
        // fold alike have their characters at the same places with the same lead bytes, so such a word would be a
        // run of two-byte characters too, and packed; the code pages' letters never fold like their ideographs.
        RunCursor* run = nullptr;
        if (haveBody && (!haveTitle || body_.Folded() <= title_.Folded()))
            run = &body_;
        else if (haveTitle)
            run = &title_;
        if (haveWord && (run == nullptr || SortsBefore(*words_[wordAt_].word, RunBytes(run->Key())))) {
            const IndexedWord& word = words_[wordAt_++];
            Postings& list = (word.context == 0 ? index_.bodyPostings_ : index_.titlePostings_)[word.id];
            entry = Entry{*word.word, word.context, list.topicCount, &list, nullptr, 0, 0};
            return true;
        }
        // The runs that fold alike, as one word spelled as the first of them in byte order. A group holds them all,
        // and the cursor whole groups.
        const uint64_t folded = run->Folded();
        const size_t first = run->at;
        uint64_t key = run->Key();
        uint32_t topics = 0;
        for (; run->at < run->pairs.size() && run->Folded() == folded; ++run->at) {
            key = std::min(key, run->Key());
            topics += run->at == first || run->pairs[run->at - 1].topic != run->pairs[run->at].topic ? 1 : 0;
        }
        entry = Entry{
            RunBytes(key), static_cast<uint8_t>(run == &title_), topics, nullptr, &run->pairs[first], run->at - first,
            folded};
        return true;
    }

private:
    struct RunCursor {
        explicit RunCursor(RunGroups& runs) : reader(runs) {}

        RunGroupReader reader;
        RunPairs pairs; // of the groups being written
        size_t at = 0;

        // Takes the next groups once these are written; false after the last.
        bool Ready() {
            while (at == pairs.size()) {
                if (!reader.Next(pairs))
                    return false;
                at = 0;
            }
            return true;
        }
        uint64_t Key() const { return pairs[at].run; }
        uint64_t Folded() const { return pairs[at].folded; }
    };
    FullTextIndex& index_;
    const std::vector<IndexedWord>& words_;
    size_t wordAt_ = 0;
    RunCursor body_;
    RunCursor title_;
};

size_t FullTextIndex::FileSizeBound(const Roots& roots, const RunCounts& runs, std::vector<uint32_t>& locations) const {
    // Every topic's codes start on a byte.
    const auto topicBytes = [&](uint32_t topicStep, uint32_t count, const uint32_t* at) {
        int bits = ScaleRootBits(topicStep, roots.topic) + ScaleRootBits(count, roots.count);
        uint32_t previous = 0;
        for (uint32_t k = 0; k < count; ++k) {
            bits += ScaleRootBits(at[k] - previous, roots.location);
            previous = at[k];
        }
        return static_cast<size_t>((bits + 7) / 8);
    };
    // A leaf entry without the prefix it shares with the one before: lengths, context, counts, offset.
    constexpr size_t kEntryBytes = 2 + 1 + 5 + 4 + 2 + 5;
    size_t codes = 0;
    size_t entries = 0;
    for (const auto* postings : {&bodyPostings_, &titlePostings_}) {
        for (uint32_t id = 0; id < postings->size(); ++id) {
            uint32_t previousTopic = 0;
            ForEachTopic((*postings)[id].data, locations, [&](uint32_t topic, uint32_t count, const uint32_t* at) {
                codes += topicBytes(topic - previousTopic, count, at);
                previousTopic = topic;
            });
            entries += (*postings)[id].topicCount > 0 ? words_[id].size() + kEntryBytes : 0;
        }
    }
    // A run's codes are a topic's distance alone, whose size is its bit length's.
    for (int length = 0; length <= 32; ++length)
        codes += runs.topicSteps[length] * topicBytes(length == 0 ? 0 : uint32_t{1} << (length - 1), 0, nullptr);
    entries += runs.entryBytes + runs.entries * kEntryBytes;
    // A leaf is closed when the next entry does not fit: each holds at least a node less its longest entry. Index
    // nodes take an entry of at most 263 bytes per node below.
    const size_t leaves = entries / (kSearchNodeSize - 8 - kMaxWordBytes - kEntryBytes) + 1;
    return kHeaderSize + codes + (leaves + leaves / 8 + 8) * kSearchNodeSize;
}

FullTextIndex::RunCounts FullTextIndex::CountRuns() const {
    std::vector<std::pair<const RunGroups*, uint32_t>> groups;
    for (const RunGroups* runs : {&bodyRuns_, &titleRuns_})
        for (const uint32_t group : runs->GroupsInOrder())
            groups.emplace_back(runs, group);
    // Every other group, so that both halves take about as long: sorting each group is most of the work. Each half's
    // room for its largest group is allocated here, as RunGroupReader does for its batches.
    const auto room = [&groups](size_t first) {
        size_t largest = 0;
        for (size_t k = first; k < groups.size(); k += 2)
            largest = std::max(largest, groups[k].first->Pairs(groups[k].second));
        RunPairs pairs;
        pairs.reserve(largest);
        return pairs;
    };
    const auto countEvery = [&groups](size_t first, RunPairs pairs) {
        RunCounts counts;
        for (size_t k = first; k < groups.size(); k += 2) {
            pairs.clear();
            groups[k].first->Read(groups[k].second, pairs);
            // A topic comes once per run, its distance from the one before.
            for (size_t i = 0; i < pairs.size(); ++i) {
                const bool first = i == 0 || pairs[i - 1].folded != pairs[i].folded;
                if (!first && pairs[i - 1].topic == pairs[i].topic)
                    continue;
                ++counts.topicSteps[std::bit_width(pairs[i].topic - (first ? 0 : pairs[i - 1].topic))];
                if (first) {
                    ++counts.entries;
                    counts.entryBytes += RunBytes(pairs[i].run).size();
                }
            }
        }
        return counts;
    };
    if (groups.size() < 2)
        return countEvery(0, room(0));
    std::future<RunCounts> odd = std::async(std::launch::async, countEvery, 1, room(1));
    RunCounts counts = countEvery(0, room(0));
    const RunCounts other = odd.get();
    for (size_t length = 0; length < counts.topicSteps.size(); ++length)
        counts.topicSteps[length] += other.topicSteps[length];
    counts.entries += other.entries;
    counts.entryBytes += other.entryBytes;
    return counts;
}

Bytes FullTextIndex::Build(FullTextIndexStats* stats) {
    std::vector<IndexedWord> entries;
    std::array<std::array<uint64_t, 65>, 3> histograms{};
    uint64_t occurrences = 0;
    uint64_t occurrenceBytes = 0;
    std::vector<uint32_t> locationsRead;
    for (const auto* postings : {&bodyPostings_, &titlePostings_}) {
        for (uint32_t id = 0; id < postings->size(); ++id) {
            const Postings& list = (*postings)[id];
            if (list.topicCount == 0)
                continue;
            entries.push_back({&words_[id], static_cast<uint8_t>(postings == &titlePostings_), id});
            uint32_t previousTopic = 0;
            ForEachTopic(list.data, locationsRead, [&](uint32_t topic, uint32_t count, const uint32_t* locations) {
                ++histograms[0][std::bit_width(topic - previousTopic)];
                ++histograms[1][std::bit_width(count)];
                uint32_t previousLocation = 0;
                for (uint32_t k = 0; k < count; ++k) {
                    ++histograms[2][std::bit_width(locations[k] - previousLocation)];
                    previousLocation = locations[k];
                }
                previousTopic = topic;
                occurrences += count;
                occurrenceBytes += uint64_t{count} * words_[id].size();
            });
        }
    }
    std::sort(entries.begin(), entries.end(), [](const IndexedWord& a, const IndexedWord& b) {
        return *a.word != *b.word ? SortsBefore(*a.word, *b.word) : a.context < b.context;
    });
    const RunCounts runCounts = CountRuns();
    const size_t entryCount = entries.size() + runCounts.entries;
    for (size_t length = 0; length < runCounts.topicSteps.size(); ++length) {
        histograms[0][length] += runCounts.topicSteps[length];
        histograms[1][0] += runCounts.topicSteps[length]; // no locations
    }
    const Roots roots{BestRoot(histograms[0]), BestRoot(histograms[1]), BestRoot(histograms[2])};

    ByteBuffer file;
    file.Reserve(FileSizeBound(roots, runCounts, locationsRead));
    file.PutZeros(kHeaderSize);
    size_t longestWord = 0;
    uint64_t runWords = 0;
    uint64_t runWordBytes = 0;
    Bytes codes;                                       // one word's codes, reused
    std::vector<std::pair<uint32_t, uint32_t>> placed; // each entry's codes: offset and size
    placed.reserve(entryCount);
    std::optional<StoredCodes> storedCodes(std::in_place, file.Data(), entryCount);
    // The leaves come after the codes, in the same order, when the runs are gone: each entry's length, 0 for a word of
    // the tables (they come as sorted), else a run's bytes and its count of topics.
    Bytes leafRuns;
    leafRuns.reserve(entries.size() + runCounts.entryBytes + runCounts.entries * 6);
    EntryMerger merger(*this, entries);
    EntryMerger::Entry entry;
    uint64_t previousRun = 0;
    while (merger.Next(entry)) {
        codes.clear();
        BitWriter bits(codes);
        uint32_t previousTopic = 0;
        const auto putTopic = [&](uint32_t topic, uint32_t count, const uint32_t* locations) {
            bits.AlignToByte(); // every topic's codes start on a byte
            bits.PutScaleRoot(topic - previousTopic, roots.topic);
            bits.PutScaleRoot(count, roots.count);
            uint32_t previousLocation = 0;
            for (uint32_t k = 0; k < count; ++k) {
                bits.PutScaleRoot(locations[k] - previousLocation, roots.location);
                previousLocation = locations[k];
            }
            previousTopic = topic;
        };
        if (entry.postings != nullptr) {
            ForEachTopic(entry.postings->data, locationsRead, putTopic);
            // Written out, the list goes while the file grows: the leaves need only its count of topics.
            Bytes().swap(entry.postings->data);
        } else {
            for (size_t k = 0; k < entry.runCount; ++k)
                if (k == 0 || entry.runs[k - 1].topic != entry.runs[k].topic)
                    putTopic(entry.runs[k].topic, 0, nullptr);
            if (entry.foldedRun != previousRun) { // the same run in titles follows it in page text
                ++runWords;
                runWordBytes += entry.word.size();
                previousRun = entry.foldedRun;
            }
        }
        if (entry.postings != nullptr) {
            leafRuns.push_back(0);
        } else {
            leafRuns.push_back(static_cast<uint8_t>(entry.word.size() << 1 | entry.context));
            leafRuns.insert(leafRuns.end(), entry.word.begin(), entry.word.end());
            PutVarint(leafRuns, entry.topicCount);
        }
        bits.AlignToByte();
        // Words found at the same places have the same codes: they are stored once and pointed at by each.
        const std::string_view stored(reinterpret_cast<const char*>(codes.data()), codes.size());
        const auto end = static_cast<uint32_t>(file.Size());
        const uint32_t offset = storedCodes->Place(stored, end);
        if (offset == end)
            file.PutBytes(codes);
        placed.emplace_back(offset, static_cast<uint32_t>(codes.size()));
        longestWord = std::max(longestWord, entry.word.size());
    }
    storedCodes.reset();
    bodyRuns_.Clear();
    titleRuns_.Clear();

    size_t placedAt = 0;
    size_t wordAt = 0;
    size_t leafRunAt = 0;
    std::string run;
    const std::vector<ChildNode> leaves = WriteLeaves(file, [&](LeafEntry& leaf) {
        if (placedAt == placed.size())
            return false;
        const auto [offset, size] = placed[placedAt++];
        const uint8_t head = leafRuns[leafRunAt++];
        if (head == 0) {
            const IndexedWord& word = entries[wordAt++];
            const Postings& list = (word.context == 0 ? bodyPostings_ : titlePostings_)[word.id];
            leaf = LeafEntry{*word.word, word.context, list.topicCount, offset, size};
            return true;
        }
        run.assign(reinterpret_cast<const char*>(leafRuns.data() + leafRunAt), head >> 1);
        leafRunAt += head >> 1;
        leaf = LeafEntry{run, static_cast<uint8_t>(head & 1), GetVarint(leafRuns, leafRunAt), offset, size};
        return true;
    });

    const size_t leafCount = leaves.size();
    uint16_t depth = 1;
    uint32_t root = leaves.front().offset;
    if (leafCount > 1) {
        IndexLevels index(file, longestWord);
        for (const ChildNode& leaf : leaves)
            index.Add(leaf);
        uint16_t levels = 0;
        root = index.Finish(levels);
        depth += levels;
    }
    file.PatchU32(0x04, topicLimit_);
    file.PatchU32(0x08, root);
    file.PatchU32(0x10, static_cast<uint32_t>(leafCount));
    file.PatchU32(0x14, root);
    file.PatchU16(0x18, depth);
    file.PatchU32(0x1A, 7);
    Bytes bytes = file.Take();
    bytes[0x1E] = kScale;
    bytes[0x1F] = static_cast<uint8_t>(roots.topic);
    bytes[0x20] = kScale;
    bytes[0x21] = static_cast<uint8_t>(roots.count);
    bytes[0x22] = kScale;
    bytes[0x23] = static_cast<uint8_t>(roots.location);
    bytes[0x02] = 0x28; // the signature 00 00 28 00
    uint64_t wordBytes = runWordBytes;
    for (const std::string& word : words_)
        wordBytes += word.size();
    const auto distinctWords = static_cast<uint32_t>(words_.size() + runWords);
    ByteBuffer tail;
    tail.PutU32(kSearchNodeSize);                        // 0x2E node size
    tail.PutU32(0);                                      // 0x32
    tail.PutU32(0);                                      // 0x36
    tail.PutU32(0);                                      // 0x3A
    tail.PutU32(static_cast<uint32_t>(longestWord));     // 0x3E longest word, for readers' buffers
    tail.PutU32(static_cast<uint32_t>(occurrences));     // 0x42 words indexed, repeats counted
    tail.PutU32(distinctWords);                          // 0x46 distinct words
    tail.PutU64(occurrenceBytes);                        // 0x4A their bytes, repeats counted
    tail.PutU32(static_cast<uint32_t>(wordBytes));       // 0x52 distinct words' bytes
    tail.PutU32(0);                                      // 0x56
    tail.PutU32(0);                                      // 0x5A
    tail.PutU32(topicLimit_ == 0 ? 0 : topicLimit_ - 1); // 0x5E last topic
    tail.PutZeros(24);                                   // 0x62
    tail.PutU32(codePage_);                              // 0x7A code page of the words
    tail.PutU32(lcid_);                                  // 0x7E language
    std::copy(tail.Data().begin(), tail.Data().end(), bytes.begin() + 0x2E);
    if (stats != nullptr) {
        stats->uniqueWords = distinctWords;
        stats->leafNodes = leafCount;
        stats->treeDepth = depth;
    }
    return bytes;
}
