#pragma once
// Text set in a symbol font (Symbol, Wingdings, Webdings) as the Unicode characters its glyphs show: these fonts put
// Greek letters, operators and pictures on the codes of Latin letters (an "s" in Symbol is a sigma), and Word writes
// their characters either as those codes or as U+F020..U+F0FF. A browser showing the codes in another font would show
// the Latin letters, or boxes.

#include <string>
#include <string_view>

enum class SymbolFont { None, Symbol, Wingdings, Webdings };

// Which symbol font a font name is, by the names Word uses; None for every text font.
SymbolFont SymbolFontOf(std::string_view fontName);

// The character a code of the font shows (the code as in the document: 0x20..0xFF or U+F020..U+F0FF), or 0 when no
// Unicode character matches it. Codes outside those ranges are returned as they are.
char32_t SymbolFontCharacter(SymbolFont font, char32_t code);

// Text of a run set in the font, in UTF-16 with the symbols placed; a code with no match becomes a white square
// (U+25A1), counted in unmatched so the caller can warn.
std::u16string SymbolFontText(SymbolFont font, std::u16string_view text, size_t& unmatched);
