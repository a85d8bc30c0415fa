#pragma once
// The compressed section's coding terms shared by the parser and the block encoder: frame size, match
// lengths, the main tree's layout and the position slots that turn a match offset into a symbol.
#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

inline constexpr size_t kLzxFrameSize = 32768;
inline constexpr int kLzxMinMatch = 2;
inline constexpr int kLzxMaxMatch = 257;
inline constexpr int kLzxNumChars = 256;
// Match lengths 2 to 8 live in the main symbol; longer ones add a symbol of the length tree.
inline constexpr int kLzxPrimaryLengths = 7;
inline constexpr int kLzxSecondaryLengths = 249;
inline constexpr int kLzxRepeatedOffsets = 3;

struct LzxToken {
    // Match length, or 0 for a literal.
    uint16_t length = 0;
    uint8_t literal = 0;
    // 0, 1, 2: the three most recent offsets; otherwise the distance plus 2.
    uint32_t formattedOffset = 0;
};

// How far the bytes at `earlier` and `current` agree, from `from` up to `limit`; eight bytes at a time,
// since text matches run long.
static_assert(std::endian::native == std::endian::little, "LzxCommonLength reads words little-endian");
inline int LzxCommonLength(const uint8_t* earlier, const uint8_t* current, int from, int limit) {
    int length = from;
    while (length + 8 <= limit) {
        uint64_t a;
        uint64_t b;
        std::memcpy(&a, earlier + length, 8);
        std::memcpy(&b, current + length, 8);
        if (a != b)
            return length + std::countr_zero(a ^ b) / 8; // little-endian: the lowest differing byte comes first
        length += 8;
    }
    while (length < limit && earlier[length] == current[length])
        ++length;
    return length;
}

// Header of a match length inside its main symbol; kLzxPrimaryLengths means "see the length tree".
inline int LzxLengthHeader(int length) {
    return std::min(length - kLzxMinMatch, kLzxPrimaryLengths);
}

class LzxPositionSlotTable {
public:
    static constexpr int kSlots = 51;

    LzxPositionSlotTable() {
        uint32_t next = 0;
        for (int slot = 0; slot < kSlots; ++slot) {
            extraBits[slot] = static_cast<uint8_t>(slot < 4 ? 0 : std::min(slot / 2 - 1, 17));
            base[slot] = next;
            next += 1u << extraBits[slot];
        }
    }

    int SlotOf(uint32_t formattedOffset) const {
        // Below 2^19 each slot's extra bits grow by one every two slots, so the slot follows from the top two
        // bits; the parser asks this for every match it weighs.
        if (formattedOffset < 4)
            return static_cast<int>(formattedOffset);
        if (formattedOffset < (1u << 19)) {
            const int top = std::bit_width(formattedOffset) - 1;
            return 2 * top + static_cast<int>((formattedOffset >> (top - 1)) & 1);
        }
        return static_cast<int>(std::upper_bound(base, base + kSlots, formattedOffset) - base) - 1;
    }

    uint32_t base[kSlots];
    uint8_t extraBits[kSlots];
};

inline const LzxPositionSlotTable kLzxSlots;

// Position slots the decoder expects for a window size.
inline int LzxPositionSlots(int windowBits) {
    switch (windowBits) {
    case 20:
        return 42;
    case 21:
        return 50;
    default:
        return windowBits * 2;
    }
}

inline int LzxMainTreeSize(int windowBits) {
    return kLzxNumChars + 8 * LzxPositionSlots(windowBits);
}

inline int LzxMainSymbol(int slot, int lengthHeader) {
    return kLzxNumChars + slot * 8 + lengthHeader;
}

// How often each symbol of the main tree and of the length tree occurs in the tokens: what their Huffman codes
// are built from, and what the parser prices its choices by.
struct LzxSymbolCounts {
    std::vector<uint32_t> main;
    std::vector<uint32_t> length;
};

inline LzxSymbolCounts CountLzxSymbols(std::span<const LzxToken> tokens, int mainTreeSize) {
    LzxSymbolCounts counts{std::vector<uint32_t>(mainTreeSize, 0), std::vector<uint32_t>(kLzxSecondaryLengths, 0)};
    for (const LzxToken& token : tokens) {
        if (token.length == 0) {
            ++counts.main[token.literal];
            continue;
        }
        const int header = LzxLengthHeader(token.length);
        ++counts.main[LzxMainSymbol(kLzxSlots.SlotOf(token.formattedOffset), header)];
        if (header == kLzxPrimaryLengths)
            ++counts.length[token.length - kLzxMinMatch - kLzxPrimaryLengths];
    }
    return counts;
}
