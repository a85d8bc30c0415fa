#include "WordBreaker.h"

#include <string>

namespace chm {
namespace {

bool IsLetterOrDigit(char32_t c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           (c >= 0xC0 && c <= 0x24F && c != 0xD7 && c != 0xF7) ||      // Latin-1 letters and Latin Extended
           (c >= 0x370 && c <= 0x3FF) || (c >= 0x400 && c <= 0x52F) || // Greek, Cyrillic
           (c >= 0xFF10 && c <= 0xFF19) || (c >= 0xFF21 && c <= 0xFF3A) || (c >= 0xFF41 && c <= 0xFF5A);
}

} // namespace

bool IsIdeograph(char32_t c) {
    return (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0x20000 && c <= 0x3134F) || (c >= 0x3040 && c <= 0x30FF) || c == 0x3005; // kana, 々
}

char32_t FoldCase(char32_t c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x391 && c <= 0x3AB && c != 0x3A2) ||
        (c >= 0x410 && c <= 0x42F)) {
        return c + 0x20;
    }
    if (c >= 0x400 && c <= 0x40F) {
        return c + 0x50;
    }
    if (c >= 0x100 && c <= 0x17F && c != 0x130 && c != 0x131 && c != 0x138 && c != 0x149 && c != 0x178 && c != 0x17F) {
        // Latin Extended-A pairs upper and lower case in neighbours, though the pairing flips at U+0139..U+0148.
        const bool flipped = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        return (c % 2 == (flipped ? 1 : 0)) ? c + 1 : c;
    }
    if (c >= 0xFF10 && c <= 0xFF19) { // full-width digits and letters are typed as plain ones
        return c - 0xFF10 + '0';
    }
    if (c >= 0xFF21 && c <= 0xFF3A) {
        return c - 0xFF21 + 'a';
    }
    if (c >= 0xFF41 && c <= 0xFF5A) {
        return c - 0xFF41 + 'a';
    }
    return c;
}

std::uint32_t BreakWords(std::u32string_view text, const WordSink& sink) {
    std::uint32_t location = 0;
    std::u32string word;
    std::size_t i = 0;
    while (i < text.size()) {
        if (IsLetterOrDigit(text[i])) {
            const std::size_t start = i;
            bool folded = false; // most words are already as stored, and are passed without a copy
            while (i < text.size() && IsLetterOrDigit(text[i])) {
                folded = folded || FoldCase(text[i]) != text[i];
                ++i;
            }
            if (i - start <= kMaxLatinWordLength) {
                if (folded) {
                    word.clear();
                    for (std::size_t k = start; k < i; ++k) {
                        word.push_back(FoldCase(text[k]));
                    }
                    sink(word, location);
                } else {
                    sink(text.substr(start, i - start), location);
                }
            }
            ++location;
        } else if (IsIdeograph(text[i])) {
            std::size_t end = i;
            while (end < text.size() && IsIdeograph(text[end])) {
                ++end;
            }
            for (; i < end; ++i) {
                sink(text.substr(i, 1), location);
                const std::size_t run = std::min(kMaxIdeographRun, end - i);
                if (run > 1) {
                    sink(text.substr(i, run), location);
                }
                ++location;
            }
        } else {
            ++i;
        }
    }
    return location;
}

} // namespace chm
