#pragma once
// Text in a Windows ANSI code page, for the files a help viewer reads (pages, contents, index, project, the
// compiled titles). Text inside the program is UTF-8; code pages appear only where such a file is written, and
// every conversion into one goes through here.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The code pages a help file may be in: 1250-1254, 1257, 932, 936, 949, 950.
bool IsHelpCodePage(uint32_t codePage);

// The charset name a page declares for the code page, one the help viewer maps to it: "gb2312", "big5",
// "shift_jis", "ks_c_5601-1987", "windows-1252", ...; empty for a code page that is not a help code page.
std::string PageCharsetName(uint32_t codePage);

// Which characters go into a file as bytes.
enum class HeldBy {
    // The code page as the viewer decodes it (titles, contents, index, project).
    CodePage,
    // Also the strict set of the charset a page declares, which every decoder of that name reads: GB2312 rather
    // than GBK for 936, Big5 for 950, JIS X 0208 for 932, KS X 1001 for 949.
    PageCharset,
};

bool CodePageHolds(uint32_t codePage, HeldBy heldBy, char32_t character);

// UTF-8 text as bytes of the code page, every character not held as "&#NNNN;". A malformed UTF-8 byte becomes
// U+FFFD (as a reference); markup characters are left to the caller.
std::string Utf8ToCodePageWithReferences(uint32_t codePage, HeldBy heldBy, std::string_view utf8);

// UTF-8 text as bytes of the code page for a file that holds plain text only: a character the code page lacks
// becomes an ASCII look-alike ("e" for "ě" in 1252, "-" for a dash 1252 lacks) or "?". The characters replaced are
// appended to missing (UTF-8, each once) when given.
std::string Utf8ToCodePagePlain(uint32_t codePage, std::string_view utf8, std::string* missing = nullptr);

// The code page's bytes as UTF-8; nothing when they are not valid in it.
std::optional<std::string> CodePageToUtf8Text(uint32_t codePage, std::string_view bytes);

// Whether the byte starts a two-byte character in the code page (the East Asian ones).
bool IsLeadByte(uint32_t codePage, unsigned char byte);
