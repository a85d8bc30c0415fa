#include "SearchWords.h"

#include "LetterCase.h"

#include "base/Text.h"

namespace {

// Words longer than this are not words anyone types: encoded data, long numbers.
constexpr size_t kLongestWord = 40;

std::u32string CodePoints(std::string_view utf8Text) {
    const std::u16string wide = Utf8ToUtf16(std::string(utf8Text));
    std::u32string points;
    points.reserve(wide.size());
    for (size_t i = 0; i < wide.size(); ++i) {
        const char16_t unit = wide[i];
        if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 && wide[i + 1] < 0xE000) {
            points += static_cast<char32_t>(0x10000 + ((unit - 0xD800) << 10) + (wide[i + 1] - 0xDC00));
            ++i;
        } else {
            points += unit;
        }
    }
    return points;
}

std::string Utf8Of(std::u32string_view points) {
    std::string text;
    for (const char32_t c : points)
        AppendUtf8(text, c);
    return text;
}

std::string FoldedUtf8Of(std::u32string_view points) {
    std::string text;
    for (const char32_t c : points)
        AppendUtf8(text, FoldedCase(c));
    return text;
}

} // namespace

bool IsCjkCharacter(char32_t c) {
    return (c >= 0x3040 && c <= 0x30FF) || // kana
           (c >= 0x3100 && c <= 0x312F) || // bopomofo
           (c >= 0x3400 && c <= 0x4DBF) || // ideographs, extension A
           (c >= 0x4E00 && c <= 0x9FFF) || // ideographs
           (c >= 0xAC00 && c <= 0xD7AF) || // Hangul syllables
           (c >= 0x1100 && c <= 0x11FF) || // Hangul jamo
           (c >= 0xF900 && c <= 0xFAFF) || // compatibility ideographs
           (c >= 0xFF66 && c <= 0xFF9F) || // half-width katakana
           (c >= 0x20000 && c <= 0x3FFFF); // ideographs, later extensions
}

bool IsWordCharacter(char32_t c) {
    if (c < 0x80)
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    // Latin, Greek, Cyrillic and the other alphabets; not their punctuation, the general punctuation and symbol
    // blocks, or the CJK characters, which are searched by runs.
    if (c < 0xC0 || c == 0xD7 || c == 0xF7)
        return false;
    if ((c >= 0x2000 && c <= 0x2BFF) || (c >= 0x3000 && c <= 0x303F) || (c >= 0xFE30 && c <= 0xFE4F) ||
        (c >= 0xFF00 && c <= 0xFF65) || (c >= 0xE000 && c <= 0xF8FF) || c == 0xFEFF || c == 0xFFFD)
        return false;
    return !IsCjkCharacter(c);
}

std::vector<std::string> SearchTerms(std::string_view utf8Text) {
    const std::u32string points = CodePoints(utf8Text);
    std::vector<std::string> terms;
    size_t i = 0;
    while (i < points.size()) {
        size_t end = i;
        if (IsWordCharacter(points[i])) {
            while (end < points.size() && IsWordCharacter(points[end]))
                ++end;
            if (end - i <= kLongestWord)
                terms.push_back(FoldedUtf8Of(std::u32string_view(points).substr(i, end - i)));
        } else if (IsCjkCharacter(points[i])) {
            while (end < points.size() && IsCjkCharacter(points[end]))
                ++end;
            if (end - i == 1)
                terms.push_back(Utf8Of(std::u32string_view(points).substr(i, 1)));
            for (size_t pair = i; pair + 1 < end; ++pair)
                terms.push_back(Utf8Of(std::u32string_view(points).substr(pair, 2)));
        } else {
            end = i + 1;
        }
        i = end;
    }
    return terms;
}
