#include "base/CodePageText.h"
#include "base/HelpLanguage.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

const uint32_t kCodePages[] = {1250, 1251, 1252, 1253, 1254, 1257, 932, 936, 949, 950};

// Whether python3's codec of the charset decodes the bytes strictly, to as many characters as the text (UTF-8)
// has: the decoders a page's readers use, independent of iconv. A variant of a character (U+2015 for the em
// dash in GB2312) is the same to a reader.
bool PythonDecodesStrictly(const std::string& charset, const std::string& bytes, const std::string& utf8) {
    char name[] = "/tmp/leafbind-codepage-XXXXXX";
    const int fd = mkstemp(name);
    if (fd < 0)
        return false;
    close(fd);
    std::ofstream(name, std::ios::binary) << bytes;
    std::ofstream(std::string(name) + ".utf8", std::ios::binary) << utf8;
    const std::string command =
        "python3 -c \"import sys; a=open(sys.argv[1],'rb').read().decode(sys.argv[3], "
        "'strict'); b=open(sys.argv[2],'rb').read().decode('utf-8'); sys.exit(0 if len(a)==len(b) "
        "else 3)\" " +
        std::string(name) + " " + name + ".utf8 " + charset;
    const int status = std::system(command.c_str());
    std::remove(name);
    std::remove((std::string(name) + ".utf8").c_str());
    return status == 0;
}

} // namespace

// Every covered code page holds its own letters as its bytes and writes the rest as references.
TEST(CodePageText, EachCodePageHoldsItsLettersAndReferencesTheRest) {
    struct Case {
        uint32_t codePage;
        const char* utf8;
        const char* bytes;
    };
    const Case cases[] = {
        {1252, "Übersicht Änderungen Aperçu",
         "\xDC"
         "bersicht \xC4"
         "nderungen Aper\xE7u"},
        {1250, "Přehled Łódź",
         "P\xF8"
         "ehled \xA3\xF3"
         "d\x9F"},
        {1251, "Обзор", "\xCE\xE1\xE7\xEE\xF0"},
        {1253, "Επισκόπηση", "\xC5\xF0\xE9\xF3\xEA\xFC\xF0\xE7\xF3\xE7"},
        {1254, "Ağ ışık",
         "A\xF0 \xFD\xFE\xFD"
         "k"},
        {1257, "Ūdens ąžuolas",
         "\xDB"
         "dens \xE0\xFEuolas"},
        {932, "概要", "\x8A\x54\x97\x76"},
        {936, "宋体", "\xCB\xCE\xCC\xE5"},
        {949, "개요", "\xB0\xB3\xBF\xE4"},
        {950, "概要", "\xB7\xA7\xAD\x6E"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.codePage);
        EXPECT_EQ(Utf8ToCodePageWithReferences(c.codePage, HeldBy::PageCharset, c.utf8), c.bytes);
        EXPECT_EQ(CodePageToUtf8Text(c.codePage, c.bytes), c.utf8);
        EXPECT_EQ(Utf8ToCodePagePlain(c.codePage, c.utf8), c.bytes);
    }
    EXPECT_EQ(Utf8ToCodePageWithReferences(1252, HeldBy::PageCharset, "Ж 😀 <&>"), "&#1046; &#128512; <&>");
    EXPECT_EQ(Utf8ToCodePageWithReferences(936, HeldBy::CodePage, "\xE5\xAE\x8B \xFF!"), "\xCB\xCE &#65533;!");
    EXPECT_FALSE(CodePageHolds(936, HeldBy::CodePage, U'\u20AC')) << "0x80 in 936, A2E3 in GB18030: no agreement";
    EXPECT_TRUE(CodePageHolds(936, HeldBy::CodePage, U'\u00FC'));
    EXPECT_FALSE(IsHelpCodePage(65001));
    EXPECT_EQ(Utf8ToCodePageWithReferences(65001, HeldBy::CodePage, "é"), "&#233;")
        << "an unknown code page holds ASCII only";
}

// A page declared gb2312, big5, shift_jis or ks_c_5601-1987 holds only that charset's strict set as bytes: GBK's
// en dash and 込 are references there, but titles (read as the code page) keep them.
TEST(CodePageText, PagesHoldOnlyTheStrictSetOfTheirCharset) {
    EXPECT_EQ(Utf8ToCodePageWithReferences(936, HeldBy::PageCharset, "a–b 込"), "a&#8211;b &#36796;");
    EXPECT_EQ(Utf8ToCodePageWithReferences(936, HeldBy::CodePage, "–"), "\xA8\x43");
    EXPECT_EQ(Utf8ToCodePagePlain(936, "a–b"), "a\xA8\x43"
                                               "b");
    EXPECT_EQ(PageCharsetName(936), "gb2312");
    EXPECT_EQ(PageCharsetName(949), "ks_c_5601-1987");
    EXPECT_EQ(PageCharsetName(1257), "windows-1257");
    EXPECT_EQ(PageCharsetName(65001), "");
}

// What python's strict codec of the declared charset makes of a page's bytes is the text itself, for a sample of
// every block the code pages hold (Latin, Greek, Cyrillic, punctuation, kana, hangul, ideographs).
TEST(CodePageText, PythonDecodesEveryPageCharsetStrictly) {
    if (std::system("python3 -c pass >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "python3 is not installed";
    for (const uint32_t codePage : kCodePages) {
        SCOPED_TRACE(codePage);
        std::string sample;
        std::string held;
        for (char32_t c = 0xA0; c < 0x10000; c += (c < 0x3000 ? 1 : 7)) {
            if (c >= 0xD800 && c < 0xF900)
                c = 0xF900;
            std::string utf8;
            if (c < 0x800) {
                utf8 += static_cast<char>(0xC0 | (c >> 6));
                utf8 += static_cast<char>(0x80 | (c & 0x3F));
            } else {
                utf8 += static_cast<char>(0xE0 | (c >> 12));
                utf8 += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
                utf8 += static_cast<char>(0x80 | (c & 0x3F));
            }
            if (CodePageHolds(codePage, HeldBy::PageCharset, c))
                held += utf8;
        }
        ASSERT_GT(held.size(), 100u);
        sample = Utf8ToCodePageWithReferences(codePage, HeldBy::PageCharset, held);
        EXPECT_EQ(sample.find("&#"), std::string::npos);
        EXPECT_TRUE(PythonDecodesStrictly(PageCharsetName(codePage), sample, held));
    }
}

TEST(CodePageText, PlainTextGetsALookAlikeOrAQuestionMarkAndNamesWhatItLacks) {
    std::string missing;
    EXPECT_EQ(Utf8ToCodePagePlain(1252, "Přehled 中", &missing), "Prehled ?");
    EXPECT_EQ(missing, "ř中");
    missing.clear();
    EXPECT_EQ(Utf8ToCodePagePlain(936, "Ä", &missing), "A");
    EXPECT_EQ(missing, "Ä");
}

TEST(CodePageText, LeadBytesOfTheDoubleByteCodePages) {
    EXPECT_TRUE(IsLeadByte(932, 0x81));
    EXPECT_FALSE(IsLeadByte(932, 0xA1)) << "a half-width katakana";
    EXPECT_TRUE(IsLeadByte(932, 0xE0));
    EXPECT_TRUE(IsLeadByte(949, 0xB0));
    EXPECT_TRUE(IsLeadByte(950, 0xA4));
    EXPECT_FALSE(IsLeadByte(1252, 0xC4));
}

TEST(HelpLanguage, TagsAndLcidsFindTheirLanguage) {
    struct Case {
        const char* asked;
        uint32_t lcid;
        uint32_t codePage;
    };
    const Case cases[] = {
        {"de-DE", 0x407, 1252}, {"DE_de", 0x407, 1252}, {"de", 0x407, 1252},    {"0x407", 0x407, 1252},
        {"1031", 0x407, 1252},  {"ja-JP", 0x411, 932},  {"ko", 0x412, 949},     {"zh-TW", 0x404, 950},
        {"zh", 0x804, 936},     {"zh-CN", 0x804, 936},  {"ru-RU", 0x419, 1251}, {"el", 0x408, 1253},
        {"tr-TR", 0x41F, 1254}, {"lt", 0x427, 1257},    {"pl-PL", 0x415, 1250}, {"0x2407", 0x407, 1252},
        {"en-AU", 0x409, 1252}, {"ru-MD", 0x419, 1251},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.asked);
        const auto language = FindHelpLanguage(c.asked);
        ASSERT_TRUE(language);
        EXPECT_EQ(language->lcid, c.lcid);
        EXPECT_EQ(language->codePage, c.codePage);
    }
    for (const char* unknown : {"", "xx-YY", "0x0", "klingon", "99999999"})
        EXPECT_FALSE(FindHelpLanguage(unknown)) << unknown;
    EXPECT_EQ(LcidForTag("en-US"), 0x409u);
    EXPECT_EQ(LcidForTag("0x409"), 0u) << "a document declares tags, not numbers";
    const HelpLanguage chinese;
    EXPECT_EQ(chinese.lcid, 0x804u);
    EXPECT_EQ(chinese.defaultFont, "宋体,9,1");
    for (const HelpLanguage& language : HelpLanguages())
        EXPECT_TRUE(IsHelpCodePage(language.codePage)) << language.tag;
}
