#pragma once
// Conversions between charsets named as the GNU C library names them ("GB18030", "BIG5", "CP1252", "UTF-8",
// "UTF-16LE", "UTF-32LE", or any name a page declares), by whatever converter the system offers.
#include <optional>
#include <string>
#include <string_view>

// Nothing when the text is not valid in the source charset, a character has no place in the target, or a
// charset is unknown.
std::optional<std::string> ConvertCharset(const std::string& from, const std::string& to, std::string_view text);
// Bytes in charset as UTF-8, each byte that starts no valid character passed over and counted in skipped (also
// the bytes of a character cut short at the end); nothing when the charset is unknown.
std::optional<std::string> ConvertToUtf8Skipping(const std::string& charset, std::string_view bytes,
                                                 std::size_t& skipped);
// Malformed bytes become U+FFFD and the rest is read on; nothing when the charset is unknown.
std::optional<std::u32string> DecodeCharsetReplacing(const std::string& charset, std::string_view bytes);
