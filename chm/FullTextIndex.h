#pragma once
// $FIftiMain, the full-text search index the viewers' Search tab reads. Words are stored in the project's code
// page, sorted by their bytes, front-coded in a B-tree of 4 KB nodes. Each word (once for page text, once more
// for page titles) points to its word-location codes: the topics that hold it and at which locations, written
// as scale-and-root bit codes whose root sizes are chosen to make the index smallest.
#include <algorithm>
#include <bit>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <unordered_map>
#include <vector>

#include "ByteBuffer.h"
#include "PageText.h"

namespace chm {

inline constexpr std::uint32_t kSearchNodeSize = 4096;

struct FullTextIndexStats {
    std::size_t uniqueWords = 0;
    std::size_t leafNodes = 0;
    std::uint16_t treeDepth = 0;
};

class FullTextIndex {
public:
    explicit FullTextIndex(std::uint32_t codePage, std::uint32_t lcid = 0) : codePage(codePage), lcid(lcid) {}

    // A word (as the word breaker gives it) left out of the index, before any topic is added. It keeps its
    // location, so the words on either side do not become neighbours.
    void LeaveOut(std::u32string_view word);
    // Topics come in ascending order, each at most once.
    void AddTopic(std::uint32_t topic, const PageText& text);
    Bytes Build(FullTextIndexStats* stats = nullptr) const;

private:
    // Per word: topic, number of locations, the locations; topic after topic.
    struct Postings {
        std::vector<std::uint32_t> data;
        std::uint32_t topicCount = 0;
        std::uint32_t lastTopic = 0;
        std::size_t countAt = 0; // where the last topic's count is in data
    };

    // Ids by the words' text, for the one lookup every word in every page costs: open addressing, the keys back
    // to back in one string, so that most lookups are a short hash, one slot and one comparison.
    template <typename Char> class IdsByText {
    public:
        using Text = std::basic_string_view<Char>;

        static std::uint32_t Hash(Text text) {
            std::uint64_t hash = 0xCBF29CE484222325;
            for (const Char c : text) {
                hash = (hash ^ static_cast<std::make_unsigned_t<Char>>(c)) * 0x100000001B3;
            }
            // The slot comes from the low bits: a last multiply brings every bit of every character into them.
            return static_cast<std::uint32_t>((hash * 0x9E3779B97F4A7C15) >> 32);
        }
        // Null when text has no id.
        std::uint32_t* Find(Text text, std::uint32_t hash) {
            if (slots.empty()) {
                return nullptr;
            }
            for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
                Slot& slot = slots[at];
                if (slot.textAt == kEmpty) {
                    return nullptr;
                }
                if (slot.hash == hash && Text(texts).substr(slot.textAt, slot.length) == text) {
                    return &slot.id;
                }
            }
        }
        // Room for count texts without growing.
        void Reserve(std::size_t count) {
            if (count * 2 > slots.size()) {
                Resize(std::bit_ceil(count * 2));
            }
        }
        // text must have no id yet.
        void Add(Text text, std::uint32_t hash, std::uint32_t id) {
            if ((count + 1) * 2 > slots.size()) {
                Resize(std::max<std::size_t>(64, slots.size() * 2));
            }
            if (texts.size() + text.size() >= kEmpty) {
                throw std::length_error("too much text in the search index");
            }
            Place({hash, id, static_cast<std::uint32_t>(texts.size()), static_cast<std::uint32_t>(text.size())});
            texts.append(text);
            ++count;
        }

    private:
        static constexpr std::uint32_t kEmpty = 0xFFFFFFFF;
        struct Slot {
            std::uint32_t hash;
            std::uint32_t id;
            std::uint32_t textAt;
            std::uint32_t length;
        };
        void Place(const Slot& placed) {
            std::size_t at = placed.hash & mask;
            while (slots[at].textAt != kEmpty) {
                at = (at + 1) & mask;
            }
            slots[at] = placed;
        }
        // size is a power of two.
        void Resize(std::size_t size) {
            std::vector<Slot> old(size, Slot{0, 0, kEmpty, 0});
            old.swap(slots);
            mask = slots.size() - 1;
            for (const Slot& slot : old) {
                if (slot.textAt != kEmpty) {
                    Place(slot);
                }
            }
        }
        std::vector<Slot> slots;
        std::size_t mask = 0;
        std::size_t count = 0;
        std::basic_string<Char> texts;
    };

    void AddText(std::uint32_t topic, std::u32string_view text, std::vector<Postings>& postings);
    std::uint32_t Intern(std::u32string_view word);
    std::uint32_t InternBytes(const std::string& bytes, bool withoutLocations);
    const std::string& Encode(char32_t c);

    std::uint32_t codePage;
    std::uint32_t lcid;
    std::uint32_t topicLimit = 0;
    std::unordered_map<char32_t, std::string> encodedChars;
    // Words as the page gives them, so that a word seen before is not put in the code page again.
    IdsByText<char32_t> textIds;
    IdsByText<char> wordIds; // by the bytes stored
    std::vector<std::string> words;
    std::vector<bool> topicsOnly; // runs of Chinese characters: no locations
    std::vector<Postings> bodyPostings;
    std::vector<Postings> titlePostings;
};

} // namespace chm
