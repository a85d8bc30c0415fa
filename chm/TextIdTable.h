#pragma once
// Ids by text, for the search index's one lookup per word of every page: open addressing, the keys back to back
// in one string, so that most lookups are a short hash, one slot and one comparison.
#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "HugePageAllocator.h"

namespace chm {

template <typename Char> class TextIdTable {
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
        HugePageVector<Slot> old(size, Slot{0, 0, kEmpty, 0});
        old.swap(slots);
        mask = slots.size() - 1;
        for (const Slot& slot : old) {
            if (slot.textAt != kEmpty) {
                Place(slot);
            }
        }
    }
    HugePageVector<Slot> slots;
    std::size_t mask = 0;
    std::size_t count = 0;
    std::basic_string<Char> texts;
};

} // namespace chm
