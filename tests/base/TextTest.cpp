#include "base/Text.h"

#include <gtest/gtest.h>

TEST(Text, FoldsAsciiLettersOnly) {
    EXPECT_EQ(AsciiLower("Heading 1 \xC3\x84\xC3\x96 Z@["), "heading 1 \xC3\x84\xC3\x96 z@[");
    EXPECT_EQ(AsciiLower(U'Q'), U'q');
    EXPECT_EQ(AsciiLower(U'\u00C4'), U'\u00C4');

    EXPECT_TRUE(EqualsIgnoringAsciiCase("Hyperlink", "hYPERLINK"));
    EXPECT_FALSE(EqualsIgnoringAsciiCase("Hyperlink", "Hyperlinks"));
    EXPECT_FALSE(EqualsIgnoringAsciiCase("\xC3\xA4", "\xC3\x84")); // only ASCII folds
}

TEST(Text, Utf8RoundTripsEveryLengthAndReplacesWhatIsInvalid) {
    const std::u16string wide = u"A\u00E9\u4E2D\U0001F600";
    const std::string utf8 = "A\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80";
    EXPECT_EQ(Utf16ToUtf8(wide), utf8);
    EXPECT_EQ(Utf8ToUtf16(utf8), wide);

    std::string appended;
    for (char32_t c : {U'\x7F', U'\x80', U'\u07FF', U'\u0800', U'\uFFFF', U'\U00010000', U'\U0010FFFF'})
        AppendUtf8(appended, c);
    EXPECT_EQ(appended, "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF\xF0\x90\x80\x80\xF4\x8F\xBF\xBF");

    int replaced = 0;
    // Cut short, overlong, a surrogate and a stray continuation byte: one U+FFFD per byte, the rest still read.
    EXPECT_EQ(Utf8ToUtf16("a\xE4\xB8"
                          "b\xC0\xAF\xED\xA0\x80\x80"
                          "c",
                          &replaced),
              u"a\uFFFD\uFFFDb\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFDc");
    EXPECT_EQ(replaced, 8);
}

TEST(Text, PercentDecodingTakesOnlyWholeEscapes) {
    EXPECT_EQ(PercentDecoded("media/a%20b%2Fc%e4%b8%ad.png"), "media/a b/c\xE4\xB8\xAD.png");
    EXPECT_EQ(PercentDecoded("100%"), "100%");
    EXPECT_EQ(PercentDecoded("%4"), "%4");
    EXPECT_EQ(PercentDecoded("%zz%41"), "%zzA");
}
