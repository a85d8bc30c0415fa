#pragma once
// Every conversion between the program's narrow text, Word's UTF-16 and the file system's UTF-8 names lives here.
// Narrow text is GB18030: the lossless superset of GB2312/GBK, the code page of the systems this tool serves.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// Nothing (std::nullopt) when the input holds a sequence that has no meaning in its encoding.
std::optional<std::u16string> NarrowToWide(std::string_view narrow);
std::optional<std::string> WideToNarrow(std::u16string_view wide);

std::optional<std::string> NarrowToUtf8(std::string_view narrow);
std::optional<std::string> Utf8ToNarrow(std::string_view utf8);

// File system boundary: a narrow path names the file whose UTF-8 name holds the same characters.
std::optional<std::filesystem::path> NarrowToPath(std::string_view narrow);
std::optional<std::string> PathToNarrow(const std::filesystem::path& path);

// Whether a viewer decoding code page 936 reads the character back from the narrow bytes: GBK holds it, with the
// same bytes as GB18030. Characters beyond it (most accented Latin letters, Arabic, the euro sign) are written as
// character references wherever a help viewer reads code page 936.
bool CodePage936Holds(char32_t character);
// Text for a file a viewer reads in code page 936 (pages, contents, index, project): the narrow bytes of every
// character code page 936 holds and "&#NNNN;" for every other one. Markup characters are left to the caller.
std::string WideToCodePage936(std::u16string_view wide);
// The same from UTF-8; a malformed byte becomes U+FFFD (as a reference), the rest is kept.
std::string Utf8ToCodePage936(std::string_view utf8);
