// The table-driven GB18030 converter the Windows build uses gives exactly the bytes and characters of the C
// library's converter, which the Linux build uses.
#include "base/Gb18030.h"
#include "base/Charset.h"
#include "base/Text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Utf8Of(char32_t code) {
    std::string text;
    AppendUtf8(text, code);
    return text;
}

// Every character of the Basic Multilingual Plane and of the plane above it, where a few have double-byte
// sequences; the planes above those sampled with their ends.
bool Checked(char32_t code) {
    return code < 0x30000 || code % 97 == 0 || (code & 0xFFFF) == 0 || (code & 0xFFFF) == 0xFFFF;
}

} // namespace

TEST(Gb18030, EveryCharacterEncodesAsTheCLibraryDoesAndDecodesBack) {
    int mismatches = 0;
    for (char32_t code = 1; code <= 0x10FFFF; ++code) {
        if ((code >= 0xD800 && code < 0xE000) || !Checked(code))
            continue;
        const std::optional<std::string> expected = ConvertCharset("UTF-8", "GB18030", Utf8Of(code));
        const std::optional<std::string> actual = EncodeGb18030(std::u32string(1, code));
        if (expected != actual && ++mismatches <= 10)
            ADD_FAILURE() << "U+" << std::hex << static_cast<uint32_t>(code);
        if (actual && DecodeGb18030(*actual, false) != std::u32string(1, code) && ++mismatches <= 10)
            ADD_FAILURE() << "U+" << std::hex << static_cast<uint32_t>(code) << " does not decode back";
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(Gb18030, EveryDoubleByteSequenceDecodesAsTheCLibraryDoes) {
    int mismatches = 0;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            const std::string bytes{static_cast<char>(lead), static_cast<char>(trail)};
            const std::optional<std::string> expected = ConvertCharset("GB18030", "UTF-8", bytes);
            const std::optional<std::u32string> decoded = DecodeGb18030(bytes, false);
            std::optional<std::string> actual;
            if (decoded) {
                actual.emplace();
                for (const char32_t code : *decoded)
                    AppendUtf8(*actual, code);
            }
            if (expected != actual && ++mismatches <= 10)
                ADD_FAILURE() << std::hex << lead << " " << trail;
        }
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(Gb18030, MalformedBytesAreReplacedAsTheCLibraryDoes) {
    const std::string cases[] = {
        "\x80", // no character in GB18030
        "\xFF"
        "a", // nor is this
        "\xD6"
        "a",                            // a lead byte before ASCII
        "\xD6",                         // a lead byte at the end
        "\x81\x30",                     // a four-byte sequence cut after two bytes
        "\x81\x30\x8B",                 // and after three
        "\x81\x30\x20\x32",             // its third byte out of range
        "\xE3\x32\x9A\x36",             // past U+10FFFF
        "ok\xD6\xD0\x81\x30\x8B\x32ok", // all well: GBK and four bytes
    };
    for (const std::string& bytes : cases) {
        SCOPED_TRACE(bytes);
        EXPECT_EQ(DecodeGb18030(bytes, true), DecodeCharsetReplacing("GB18030", bytes));
        EXPECT_EQ(DecodeGb18030(bytes, false).has_value(), ConvertCharset("GB18030", "UTF-8", bytes).has_value());
    }
}
