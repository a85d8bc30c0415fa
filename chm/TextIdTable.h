#pragma once
// Ids by text, for the search index's one lookup per word of every page: open addressing, the keys back to back
// in one string, so that most lookups are a short hash, one slot and one comparison.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "HugePageAllocator.h"

template <typename Char> class TextIdTable {
public:
    using Text = std::basic_string_view<Char>;

    static uint32_t Hash(Text text) {
        uint64_t hash = 0xCBF29CE484222325;
        for (const Char c : text)
            hash = (hash ^ static_cast<std::make_unsigned_t<Char>>(c)) * 0x100000001B3;
        // The slot comes from the low bits: a last multiply brings every bit of every character into them.
        return static_cast<uint32_t>((hash * 0x9E3779B97F4A7C15) >> 32);
    }
    // Null when text has no id.
    uint32_t* Find(Text text, uint32_t hash) {
        if (slots_.empty())
            return nullptr;
        for (size_t at = hash & mask_;; at = (at + 1) & mask_) {
            Slot& slot = slots_[at];
            if (slot.textAt == kEmpty)
                return nullptr;
            if (slot.hash == hash && Text(texts_).substr(slot.textAt, slot.length) == text)
                return &slot.id;
        }
    }
    // text must have no id yet.
    void Add(Text text, uint32_t hash, uint32_t id) {
        if ((count_ + 1) * 2 > slots_.size())
            Resize(std::max<size_t>(64, slots_.size() * 2));
        if (texts_.size() + text.size() >= kEmpty)
            throw std::length_error("too much text in the search index");
        Place({hash, id, static_cast<uint32_t>(texts_.size()), static_cast<uint32_t>(text.size())});
        texts_.append(text);
        ++count_;
    }

private:
    static constexpr uint32_t kEmpty = 0xFFFFFFFF;
    struct Slot {
        uint32_t hash;
        uint32_t id;
        uint32_t textAt;
        uint32_t length;
    };
    void Place(const Slot& placed) {
        size_t at = placed.hash & mask_;
        while (slots_[at].textAt != kEmpty)
            at = (at + 1) & mask_;
        slots_[at] = placed;
    }
    // size is a power of two.
    void Resize(size_t size) {
        HugePageVector<Slot> old(size, Slot{0, 0, kEmpty, 0});
        old.swap(slots_);
        mask_ = slots_.size() - 1;
        for (const Slot& slot : old)
            if (slot.textAt != kEmpty)
                Place(slot);
    }
    HugePageVector<Slot> slots_;
    size_t mask_ = 0;
    size_t count_ = 0;
    std::basic_string<Char> texts_;
};
