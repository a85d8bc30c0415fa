#pragma once
// GB18030, the bytes of Chinese help files, converted by tables taken from the GNU C library when the build runs
// (base/MakeGb18030Table.py), so that a system whose own converter lacks it (Wine has no code page 54936) or maps
// a character otherwise reads and writes the same bytes as the Linux build.
#include <optional>
#include <string>
#include <string_view>

// With replaceInvalid, a byte that starts no valid sequence becomes U+FFFD and the next byte is read; without it,
// such bytes give nothing.
std::optional<std::u32string> DecodeGb18030(std::string_view bytes, bool replaceInvalid);
// Nothing when a character is not a Unicode scalar value GB18030 holds.
std::optional<std::string> EncodeGb18030(std::u32string_view text);
