#pragma once
// Byte-level text helpers every layer shares. Case is folded for the ASCII letters A-Z only, whatever the C
// library's locale: the bytes of a UTF-8 character beyond ASCII stay as they are. (A double-byte code page may use
// A-Z as a character's second byte, so folded code page text is for comparing, not for showing.)

#include <string>
#include <string_view>

char AsciiLower(char c);
char32_t AsciiLower(char32_t c);
std::string AsciiLower(std::string text);
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);

// One code point as UTF-8; the caller passes a valid scalar value.
void AppendUtf8(std::string& out, char32_t code);
// Invalid UTF-8 (cut short, overlong, surrogates) becomes U+FFFD; replaced, when given, counts those.
std::u16string Utf8ToUtf16(const std::string& text, int* replaced = nullptr);
std::string Utf16ToUtf8(const std::u16string& text);

// "%20" and the like become the bytes they name; a '%' not followed by two hex digits stays as written.
std::string PercentDecoded(std::string_view text);
