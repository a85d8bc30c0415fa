#pragma once
// Splits page text into the words the search index holds.
//
// Latin, Greek and Cyrillic letters and digits form words, case-folded. Chinese and Japanese characters have no
// spaces between words, so each character is a word of its own (what phrase-matching viewers look up), and each
// character also starts a word of up to kMaxIdeographRun characters that runs on through the following ones, so a
// reader that looks up a prefix finds any term of up to that many characters where it stands in the text.
// Every character word and every Latin word takes one location; the longer words share the location of their
// first character.
#include <cstdint>
#include <functional>
#include <string_view>

namespace chm {

inline constexpr std::size_t kMaxIdeographRun = 4;
// Longer runs of letters are not words a reader types (encoded data, long numbers).
inline constexpr std::size_t kMaxLatinWordLength = 40;

using WordSink = std::function<void(std::u32string_view word, std::uint32_t location)>;

// Returns the number of locations used.
std::uint32_t BreakWords(std::u32string_view text, const WordSink& sink);

bool IsIdeograph(char32_t c);
char32_t FoldCase(char32_t c);

} // namespace chm
