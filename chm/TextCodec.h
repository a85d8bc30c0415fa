#pragma once
// Conversions between the project's code page, UTF-8 (file names on disk) and UTF-16 (binary index keywords).
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Windows code page for a language id; 0 for the languages Windows keeps in Unicode only (Hindi, Armenian, ...),
// 1252 when the language is not one we know.
uint32_t CodePageForLcid(uint32_t lcid);
// Windows code page for a font charset; 0 when the charset says nothing (DEFAULT_CHARSET and unknown ones).
uint32_t CodePageForCharset(int charset);

// Whether text in the code page can be read here at all.
bool CanReadCodePage(uint32_t codePage);

// Nothing when the text is not valid in the source encoding.
std::optional<std::string> CodePageToUtf8(uint32_t codePage, const std::string& text);
std::optional<std::string> Utf8ToCodePage(uint32_t codePage, const std::string& text);

bool IsValidUtf8(const std::string& text);

// A file or bookmark name from a project, contents or index file as UTF-8: the code page's bytes, and "&#NNNN;"
// for a character the code page cannot hold (how names beyond it are written); a reference to a character it does
// hold is part of the name as written. Nothing when the bytes are not valid in the code page.
std::optional<std::string> NameToUtf8(uint32_t codePage, const std::string& text);

// Text from a contents, index or project file with its character references decoded: &amp; &lt; &gt; &quot;
// &apos;, &#NNNN; and &#xHHHH; become the character in the code page. A reference to a character the code page
// cannot hold, or to none at all, stays as written. For file names: the result converts to UTF-8 losslessly.
std::string DecodeCharacterReferences(std::uint32_t codePage, const std::string& text);
// The same for text a viewer shows (titles, captions): a reference to a character the viewer cannot read back
// from the code page's bytes (see CodePageBytes) stays as written.
std::string DecodeReferencesForDisplay(std::uint32_t codePage, const std::string& text);
// The same text as UTF-16 with every reference decoded, for what the help file stores as UTF-16 (index keywords);
// empty when the text is not valid in the code page.
std::u16string DecodeToUtf16(std::uint32_t codePage, const std::string& text);

// Text as a viewer reading the code page shows it (topic titles): the code page's bytes, and "&#NNNN;" for every
// character it cannot hold. For 936 that means code page 936 itself, GBK: a four-byte GB18030 sequence is garbage
// to such a viewer.
std::string CodePageBytes(std::uint32_t codePage, std::u32string_view text);

// The length in bytes of the character at text[at] in the code page: double-byte code pages have trail bytes
// that look like ASCII ("\\", "|", letters), so such text is walked character by character.
std::size_t CharacterLength(std::uint32_t codePage, std::string_view text, std::size_t at);
// Every backslash that is a character of its own, not the trail byte of one, as "/".
std::string BackslashesToSlashes(std::uint32_t codePage, std::string text);

// Page text is handled as code points so that word breaking never has to decode.
// Malformed sequences become U+FFFD instead of failing: a damaged page still yields its readable words.
std::u32string DecodeUtf8Lenient(std::string_view bytes);
std::string EncodeUtf8(std::u32string_view text);
// Any charset iconv knows, malformed bytes skipped; nothing when the charset is unknown.
std::optional<std::u32string> DecodeCharsetLenient(const std::string& charset, std::string_view bytes);
