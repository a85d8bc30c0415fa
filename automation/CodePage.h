#pragma once
// Every conversion between the program's narrow text, Word's UTF-16 and the file system's names lives here.
// Narrow text is the system code page: UTF-8 (on Linux, and on Windows by the program's manifest). Code pages of
// the generated help files are base/CodePageText's business.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// Nothing (std::nullopt) when the input holds a sequence that has no meaning in its encoding.
std::optional<std::u16string> NarrowToWide(std::string_view narrow);
std::optional<std::string> WideToNarrow(std::u16string_view wide);

// Narrow text is UTF-8: these only check that it is valid.
std::optional<std::string> NarrowToUtf8(std::string_view narrow);
std::optional<std::string> Utf8ToNarrow(std::string_view utf8);

// File system boundary: a narrow path names the file whose UTF-8 name holds the same characters.
std::optional<std::filesystem::path> NarrowToPath(std::string_view narrow);
std::optional<std::string> PathToNarrow(const std::filesystem::path& path);
