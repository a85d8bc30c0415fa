// The small pieces of the page writer that decide safety and bytes: which addresses become links, how text is
// escaped, and how a picture's kind is told from its bytes.
#include "docserver/html/HtmlText.h"
#include "docserver/html/HtmlFormat.h"
#include "docserver/html/PictureExport.h"

#include <gtest/gtest.h>

namespace {

TEST(HtmlText, OnlyWebMailFileAndRelativeAddressesBecomeLinks) {
    const std::pair<std::u16string, bool> cases[] = {
        {u"http://example.com", true},
        {u"HTTPS://example.com", true},
        {u"mailto:a@b.c", true},
        {u"2.html#_Toc1", true},
        {u"#_Toc1", true},
        {u"../a/b.html", true},
        {u"C:\\docs\\a.doc", true},
        {u"file:///tmp/a", true},
        {u"ms-its:help.chm::/0.html", true},
        {u"javascript:alert(1)", false},
        {u"JaVaScRiPt:x", false},
        {u"java\tscript:x", false},
        {u" javascript:x", false},
        {u"vbscript:x", false},
        {u"data:text/html,x", false},
        {u"about:blank", false},
    };
    for (const auto& [address, safe] : cases)
        EXPECT_EQ(IsSafeLinkAddress(address), safe) << EscapedText(address);
}

TEST(HtmlText, EscapesMarkupDropsControlsAndKeepsUnicode) {
    EXPECT_EQ(EscapedText(u"a<b>&\"c\""), "a&lt;b&gt;&amp;&quot;c&quot;");
    EXPECT_EQ(EscapedText(u"x\x01\x1Fy"), "xy");
    EXPECT_EQ(EscapedText(u"\u4E2D\U0001F600"), "\xE4\xB8\xAD\xF0\x9F\x98\x80");
    EXPECT_EQ(EscapedText(std::u16string(1, char16_t(0xD800)) + u"z"), "\xEF\xBF\xBDz");
    EXPECT_EQ(EscapedText(u"\uF0B7"), "\xE2\x80\xA2"); // the Symbol font's bullet
    EXPECT_EQ(EscapedAddress(u"a b\"c"), "a%20b&quot;c");
}

TEST(HtmlText, PictureKindComesFromTheBytes) {
    const std::pair<std::vector<uint8_t>, PictureKind> cases[] = {
        {{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0}, PictureKind::Png},
        {{0xFF, 0xD8, 0xFF, 0xE0}, PictureKind::Jpeg},
        {{'G', 'I', 'F', '8', '9', 'a'}, PictureKind::Gif},
        {{'B', 'M', 0, 0}, PictureKind::Bmp},
        {{0xD7, 0xCD, 0xC6, 0x9A, 0}, PictureKind::Wmf},
        {{'<', 's', 'v', 'g'}, PictureKind::Other},
        {{}, PictureKind::Other},
    };
    for (const auto& [bytes, kind] : cases)
        EXPECT_EQ(SniffPictureKind(bytes), kind);
}

TEST(HtmlFormat, CssNamesOnlyWhatDiffers) {
    RunFormat base;
    base.bold = 1;
    base.sizeHalfPoints = 24;
    RunFormat run = base;
    EXPECT_EQ(RunCss(run, base), "");
    run.bold = 0;
    run.color = 0x0000FF; // red as 0xBBGGRR
    run.underline = 1;
    run.strike = 1;
    EXPECT_EQ(RunCss(run, base), "font-weight:normal;text-decoration:underline line-through;color:#FF0000;");

    ParagraphFormat paragraph;
    paragraph.spaceBefore = 60;
    paragraph.spaceAfterAuto = 1;
    paragraph.lineRule = 0;
    paragraph.alignment = "both";
    EXPECT_EQ(ParagraphCss(paragraph, ParagraphFormat{}),
              "text-align:justify;margin-top:3pt;margin-bottom:14pt;line-height:normal;");
}

// Capitals, small capitals and letter spacing, and a style's ones turned off again by the run.
TEST(HtmlFormat, CapitalsAndLetterSpacing) {
    RunFormat run;
    run.caps = 1;
    run.smallCaps = 1;
    run.letterSpacing = 30;
    EXPECT_EQ(RunCss(run, RunFormat{}), "text-transform:uppercase;font-variant:small-caps;letter-spacing:1.5pt;");
    RunFormat plain;
    plain.caps = 0;
    plain.smallCaps = 0;
    plain.letterSpacing = 0;
    EXPECT_EQ(RunCss(plain, run), "text-transform:none;font-variant:normal;letter-spacing:0pt;");
    RunFormat condensed;
    condensed.letterSpacing = -10;
    EXPECT_EQ(RunCss(condensed, RunFormat{}), "letter-spacing:-0.5pt;");
    EXPECT_EQ(RunCss(OverlayRun(run, RunFormat{}), run), "") << "an unset run keeps what it is laid over";
}

// A font the reader lacks falls back on the kind of font it names, not the browser's default serif; the East Asian
// font comes second, for the characters the Latin font has not.
TEST(HtmlFormat, FontFamiliesEndInAGenericFamily) {
    const std::pair<std::pair<const char*, const char*>, const char*> cases[] = {
        {{"Aptos Display", ""}, "font-family:'Aptos Display',sans-serif;"},
        {{"Times New Roman", "\xE5\xAE\x8B\xE4\xBD\x93"},
         "font-family:'Times New Roman','\xE5\xAE\x8B\xE4\xBD\x93',serif;"},
        {{"", "SimSun"}, "font-family:'SimSun',sans-serif;"},
        {{"Calibri Light", "Times New Roman"}, "font-family:'Calibri Light',sans-serif;"},
        {{"Calibri", "Microsoft YaHei"}, "font-family:'Calibri','Microsoft YaHei',sans-serif;"},
        {{"", "MS Mincho"}, "font-family:'MS Mincho',serif;"},
        {{"Courier New", "Courier New"}, "font-family:'Courier New',monospace;"},
        {{"Noto Sans Serif Mix", ""}, "font-family:'Noto Sans Serif Mix',sans-serif;"},
        {{"Bad'};font", ""}, "font-family:'Badfont',sans-serif;"},
    };
    for (const auto& [fonts, css] : cases) {
        RunFormat run;
        run.font = fonts.first;
        run.eastAsiaFont = fonts.second;
        EXPECT_EQ(RunCss(run, RunFormat{}), css) << fonts.first << " / " << fonts.second;
        EXPECT_EQ(RunCss(run, run), "") << "the same fonts as the base need nothing";
    }
}

} // namespace
