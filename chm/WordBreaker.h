#pragma once
// Splits page text into the words the search index holds.
//
// Latin, Greek and Cyrillic letters and digits form words, case-folded. Chinese and Japanese characters have no
// spaces between words, so each character is a word of its own (what phrase-matching viewers look up), and each
// character also starts a word of up to kMaxIdeographRun characters that runs on through the following ones, so a
// reader that looks up a prefix finds any term of up to that many characters where it stands in the text.
// Every character word and every Latin word takes one location; the longer words share the location of their
// first character.
#include <algorithm>
#include <concepts>
#include <cstdint>
#include <string_view>

inline constexpr size_t kMaxIdeographRun = 4;
// Longer runs of letters are not words a reader types (encoded data, long numbers).
inline constexpr size_t kMaxLatinWordLength = 40;

// The characters of the East Asian code pages' double-byte sets that are indexed as runs: ideographs, kana (and
// half-width katakana), bopomofo and Hangul.
inline bool IsIdeograph(char32_t c) {
    return (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0x20000 && c <= 0x3134F) || (c >= 0x3040 && c <= 0x30FF) || c == 0x3005 || // kana, 々
           (c >= 0x3100 && c <= 0x312F) || (c >= 0x3131 && c <= 0x318E) ||                  // bopomofo, jamo
           (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xFF66 && c <= 0xFF9F);                    // Hangul, katakana
}

inline bool IsLetterOrDigit(char32_t c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           (c >= 0xC0 && c <= 0x24F && c != 0xD7 && c != 0xF7) ||      // Latin-1 letters and Latin Extended
           (c >= 0x370 && c <= 0x3FF) || (c >= 0x400 && c <= 0x52F) || // Greek, Cyrillic
           (c >= 0xFF10 && c <= 0xFF19) || (c >= 0xFF21 && c <= 0xFF3A) || (c >= 0xFF41 && c <= 0xFF5A);
}

// Lower case for A-Z only: a viewer folds what is typed as its C library's strcasecmp does, byte by byte in the
// help file's code page, so "Ä" is found only as "Ä" and an index that folded it would never be found.
inline char32_t FoldCase(char32_t c) {
    return c >= 'A' && c <= 'Z' ? c + 0x20 : c;
}

// Calls sink(word, location) for each word in the order of the text; returns the number of locations used. A
// word lasts only for its call. The sink is a template argument so that the call per word costs nothing.
template <typename Sink>
requires std::invocable<Sink&, std::u32string_view, uint32_t> uint32_t BreakWords(std::u32string_view text,
                                                                                  Sink&& sink) {
    uint32_t location = 0;
    char32_t folded[kMaxLatinWordLength];
    size_t i = 0;
    while (i < text.size()) {
        if (IsLetterOrDigit(text[i])) {
            size_t length = 0;
            for (; i < text.size() && IsLetterOrDigit(text[i]); ++i, ++length)
                if (length < kMaxLatinWordLength)
                    folded[length] = FoldCase(text[i]);
            if (length <= kMaxLatinWordLength)
                sink(std::u32string_view(folded, length), location);
            ++location;
        } else if (IsIdeograph(text[i])) {
            size_t end = i + 1;
            while (end < text.size() && IsIdeograph(text[end]))
                ++end;
            for (; i < end; ++i) {
                sink(text.substr(i, 1), location);
                const size_t run = std::min(kMaxIdeographRun, end - i);
                if (run > 1)
                    sink(text.substr(i, run), location);
                ++location;
            }
        } else {
            ++i;
        }
    }
    return location;
}
