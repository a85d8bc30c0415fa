#pragma once
// Conversions between the project's code page, UTF-8 (file names on disk) and UTF-16 (binary index keywords).
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Windows code page for a language id; 1252 when the language is not one we know.
uint32_t CodePageForLcid(uint32_t lcid);
// Windows code page for a font charset; 0 when the charset says nothing (DEFAULT_CHARSET and unknown ones).
uint32_t CodePageForCharset(int charset);

// Nothing when the text is not valid in the source encoding.
std::optional<std::string> CodePageToUtf8(uint32_t codePage, const std::string& text);
std::optional<std::string> Utf8ToCodePage(uint32_t codePage, const std::string& text);
std::optional<std::u16string> CodePageToUtf16(uint32_t codePage, const std::string& text);

bool IsValidUtf8(const std::string& text);

// Text from a contents, index or project file with its character references decoded: &amp; &lt; &gt; &quot;
// &apos;, &#NNNN; and &#xHHHH; become the character in the code page. A reference to a character the code page
// cannot hold, or to none at all, stays as written.
std::string DecodeCharacterReferences(std::uint32_t codePage, const std::string& text);

// Page text is handled as code points so that word breaking never has to decode.
// Malformed sequences become U+FFFD instead of failing: a damaged page still yields its readable words.
std::u32string DecodeUtf8Lenient(std::string_view bytes);
std::string EncodeUtf8(std::u32string_view text);
// Any charset iconv knows, malformed bytes skipped; nothing when the charset is unknown.
std::optional<std::u32string> DecodeCharsetLenient(const std::string& charset, std::string_view bytes);
