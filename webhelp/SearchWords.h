#pragma once
// How the web folder's search breaks text into what it looks up, the same here (for the index built at conversion
// time) and in the browser's script (for what is typed): words of letters and digits, their case folded
// (LetterCase.h); runs of Chinese, Japanese and Korean characters, which have no spaces between words, as their
// pairs of neighbours (a single character alone stands for itself). A query of 1 to 4 such characters is then
// found through the pairs it holds, with no dictionary of words.

#include <string>
#include <string_view>
#include <vector>

bool IsCjkCharacter(char32_t c);
// A letter or digit of a word written with spaces between words.
bool IsWordCharacter(char32_t c);

// The terms of text (UTF-8), in order, repeated as often as they occur.
std::vector<std::string> SearchTerms(std::string_view utf8Text);
