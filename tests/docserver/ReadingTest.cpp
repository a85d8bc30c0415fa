// What an opened .docx looks like through Word's members: paragraphs, text, outline levels, sections.
#include "ServerFixture.h"

using namespace docx;

namespace {

TEST_F(ServerTest, ParagraphTextsEndWithTheirMarkAndShowWordsSpecialCharacters) {
    DocxBuilder doc;
    doc.AddParagraph({Text("a"), Tab(), Text("b"), LineBreak(), Text("c"), Symbol("F0E0")})
        .AddParagraph({PageBreak()})
        .AddParagraph({Text("x"), PageBreak(), Text("y")})
        .AddParagraph({Text("see "), Field("PAGEREF _Toc1 \\h", "7"), SimpleField("PAGE", "3")})
        .AddParagraph({RawXml("<w:r><w:fldChar w:fldCharType=\"begin\"/></w:r><w:r><w:instrText>IF </w:instrText>"
                              "</w:r>"),
                       Field("DATE", "hidden in the code"),
                       RawXml("<w:r><w:instrText> = 1 \"x\"</w:instrText></w:r><w:r><w:fldChar "
                              "w:fldCharType=\"separate\"/></w:r><w:r><w:t>shown</w:t></w:r><w:r><w:fldChar "
                              "w:fldCharType=\"end\"/></w:r>")})
        .AddParagraph({Text("boxed"), TextBox("inside the box")})
        .AddParagraph({Text("note"), Footnote("the footnote"), Endnote("the endnote")})
        .AddParagraph({Text("inline"), Picture(TinyPng()), Text("anchored"), Picture(TinyPng(), true)})
        .AddParagraph("");
    const std::vector<std::string> texts = Texts(Open(doc));
    const std::vector<std::string> expected = {"a\tb\vc\xEF\x80\xA0\r",
                                               "\f",
                                               "x\fy\r",
                                               "see 73\r",
                                               "shown\r",
                                               "boxed\r",
                                               "note\x02\x02\r",
                                               "inline\x01"
                                               "anchored\r",
                                               "\r"};
    ASSERT_EQ(texts.size(), expected.size());
    EXPECT_EQ(texts[0], "a\tb\vc" + Narrow("\uF0E0") + "\r");
    for (size_t i = 1; i < texts.size(); ++i)
        EXPECT_EQ(texts[i], expected[i]) << "paragraph " << i + 1;
}

TEST_F(ServerTest, OutlineLevelFollowsParagraphThenStyleChainThenBuiltInHeadingName) {
    DocxBuilder doc;
    doc.AddStyle({.id = "Chapter", .name = "Chapter", .basedOn = "Normal", .outlineLevel = 2})
        .AddStyle({.id = "SubChapter", .name = "Sub chapter", .basedOn = "Chapter"})
        .AddStyle({.id = "MyHeading", .name = "My heading", .basedOn = "Heading4"})
        .AddStyle({.id = "1", .name = "heading 1"});
    struct Case {
        ParagraphOptions options;
        int level;
    };
    const std::vector<Case> cases = {
        {{}, 10},
        {{.outlineLevel = 0}, 1},
        {{.outlineLevel = 8}, 9},
        {{.outlineLevel = 9}, 10},                      // 9 is Word's "body text"
        {{.style = "Heading3"}, 3},                     // built-in name, no w:outlineLvl in the style
        {{.style = "1"}, 1},                            // localised Word: id "1", built-in name
        {{.style = "Title"}, 1},                        // a style that carries w:outlineLvl
        {{.style = "SubChapter"}, 3},                   // inherited through basedOn
        {{.style = "MyHeading"}, 4},                    // based on a built-in heading
        {{.style = "Heading2", .outlineLevel = 9}, 10}, // the paragraph's own level wins
        {{.style = "Normal", .outlineLevel = 4}, 5},
    };
    for (const Case& c : cases)
        doc.AddParagraph("p", c.options);
    const WordParagraphs paragraphs = Open(doc).Paragraphs();
    ASSERT_EQ(paragraphs.Count(), static_cast<int32_t>(cases.size()));
    for (size_t i = 0; i < cases.size(); ++i)
        EXPECT_EQ(paragraphs.Item(static_cast<int32_t>(i) + 1).OutlineLevel(), cases[i].level) << "case " << i;
}

TEST_F(ServerTest, NextAndPreviousWalkTheParagraphsAndAnswerNothingPastTheEnds) {
    DocxBuilder doc;
    doc.AddParagraph("one").AddParagraph("two").AddParagraph("three");
    const WordParagraphs paragraphs = Open(doc).Paragraphs();
    EXPECT_EQ(paragraphs.Item(1).Next(&missing).Range().Text(), "two\r");
    EXPECT_EQ(paragraphs.Item(3).Previous(&missing).Range().Text(), "two\r");
    ScopedVariant two = ScopedVariant::I4(2);
    EXPECT_EQ(paragraphs.Item(1).Next(&two).Range().Text(), "three\r");
    EXPECT_TRUE(paragraphs.Item(3).Next(&missing).empty());
    EXPECT_TRUE(paragraphs.Item(1).Previous(&missing).empty());
}

TEST_F(ServerTest, PositionsAreUtf16CodeUnitsInOneStory) {
    DocxBuilder doc;
    doc.AddParagraph("\xE4\xB8\xAD\xE6\x96\x87").AddParagraph("\xF0\x9F\x98\x80x"); // 中文, an emoji (two units)
    const WordDocument document = Open(doc);
    const WordRange second = document.Paragraphs().Item(2).Range();
    EXPECT_EQ(document.Paragraphs().Item(1).Range().End(), 3);
    EXPECT_EQ(second.Start(), 3);
    EXPECT_EQ(second.End(), 7);
    EXPECT_EQ(document.Paragraphs().Item(1).Range().Text(), Narrow("中文\r"));
}

// Range.LanguageID and LanguageIDFarEast: the languages the document declares (w:lang of the defaults, the Normal
// style's over them), as LCIDs; none declared, 0.
TEST_F(ServerTest, TheDeclaredLanguagesAreTheRangesLanguageIds) {
    struct Case {
        std::string defaults;
        std::string normal;
        int32_t lcid;
        int32_t farEast;
    };
    const Case cases[] = {
        {"", "", 0, 0},
        {"<w:lang w:val=\"de-DE\" w:eastAsia=\"zh-CN\"/>", "", 0x407, 0x804},
        {"<w:lang w:val=\"en-US\" w:eastAsia=\"ja-JP\"/>", "<w:rPr><w:lang w:val=\"ru-RU\"/></w:rPr>", 0x419, 0x411},
        {"<w:lang w:val=\"ar-SA\" w:eastAsia=\"ko-KR\"/>", "", 0, 0x412},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.defaults + c.normal);
        DocxBuilder doc;
        doc.SetDocumentDefaults(c.defaults, "");
        if (!c.normal.empty())
            doc.AddStyle({.id = "Normal", .name = "Normal", .isDefault = true, .properties = c.normal});
        doc.AddParagraph("text");
        const WordDocument document = Open(doc);
        auto missing = ScopedVariant::Missing();
        const WordRange whole = document.Range(&missing, &missing);
        EXPECT_EQ(whole.LanguageID(), c.lcid);
        EXPECT_EQ(whole.LanguageIDFarEast(), c.farEast);
    }
}

TEST_F(ServerTest, TableCellsHoldParagraphsOfTheStory) {
    DocxBuilder doc;
    doc.AddParagraph("before")
        .AddTable({{{.paragraphs = {"a1", "a2"}}, {.paragraphs = {"b"}, .gridSpan = 2}},
                   {{.paragraphs = {"c"}, .verticalMerge = "restart"},
                    {.paragraphs = {"d"},
                     .nestedTableXml = "<w:tbl><w:tr><w:tc><w:p><w:r><w:t>n</w:t></w:r></w:p>"
                                       "</w:tc></w:tr></w:tbl>"}}})
        .AddBodyXml("<w:tbl><w:sdt><w:sdtContent><w:tr><w:tc><w:p><w:r><w:t>wrapped row</w:t></w:r></w:p></w:tc>"
                    "</w:tr></w:sdtContent></w:sdt></w:tbl>")
        .AddParagraph("after");
    EXPECT_EQ(Texts(Open(doc)), (std::vector<std::string>{"before\r", "a1\r", "a2\r", "b\r", "c\r", "d\r", "n\r", "\r",
                                                          "wrapped row\r", "after\r"}));
}

TEST_F(ServerTest, SectionsShowTheirOwnHeaderOrThePreviousSections) {
    DocxBuilder doc;
    doc.SetHeader("first header").SetFooter("first footer").AddParagraph("in section one").EndSection();
    doc.AddParagraph("in section two").EndSection();
    doc.SetHeader("third header").AddParagraph("in section three");
    const WordDocument document = Open(doc);
    const WordParagraphs paragraphs = document.Paragraphs();
    auto header = [&](int paragraph, bool footer) {
        const WordSection section = paragraphs.Item(paragraph).Range().Sections().Item(1);
        return (footer ? section.Footers() : section.Headers()).Item(1).Range().Text();
    };
    EXPECT_EQ(header(1, false), "first header\r");
    EXPECT_EQ(header(1, true), "first footer\r");
    EXPECT_EQ(header(3, false), "first header\r"); // section two has none of its own
    EXPECT_EQ(header(5, false), "third header\r");
    EXPECT_EQ(header(5, true), "first footer\r");
}

TEST_F(ServerTest, ADocumentWithoutHeadersHasEmptyOnes) {
    DocxBuilder doc;
    doc.AddParagraph("text");
    EXPECT_EQ(Open(doc).Paragraphs().Item(1).Range().Sections().Item(1).Headers().Item(1).Range().Text(), "\r");
}

TEST_F(ServerTest, DocumentRangeSpansCharacterPositions) {
    DocxBuilder doc;
    doc.AddParagraph("Hello").AddParagraph("World");
    const WordDocument document = Open(doc);
    ScopedVariant start = ScopedVariant::I4(3);
    ScopedVariant end = ScopedVariant::I4(8);
    EXPECT_EQ(document.Range(&start, &end).Text(), "lo\rWo");
    EXPECT_EQ(document.Range(&missing, &missing).Text(), "Hello\rWorld\r");
    ScopedVariant beyond = ScopedVariant::I4(99);
    EXPECT_THROW(document.Range(&start, &beyond), DispatchError);
}

TEST_F(ServerTest, StylesAreListedWithWordsNamesAndBuiltInsAreAlwaysThere) {
    DocxBuilder doc(false);
    doc.AddStyle({.id = "Body", .name = "Body text", .isDefault = true});
    doc.AddParagraph("x");
    const WordStyles styles = Open(doc).Styles();
    std::vector<std::string> names;
    for (int32_t i = 1; i <= styles.Count(); ++i) {
        ScopedVariant index = ScopedVariant::I4(i);
        names.push_back(styles.Item(&index).NameLocal());
    }
    for (const char* name : {"Body text", "Heading 1", "Heading 9", "Hyperlink", "FollowedHyperlink"})
        EXPECT_NE(std::find(names.begin(), names.end(), name), names.end()) << name;
}

TEST_F(ServerTest, BlankDocumentHasOneEmptyParagraphAndTheHyperlinkStyles) {
    const WordDocument blank = Blank();
    EXPECT_EQ(Texts(blank), std::vector<std::string>{"\r"});
    EXPECT_EQ(blank.Paragraphs().Item(1).OutlineLevel(), 10);
    int hyperlinkStyles = 0;
    const WordStyles styles = blank.Styles();
    for (int32_t i = 1; i <= styles.Count(); ++i) {
        ScopedVariant index = ScopedVariant::I4(i);
        const std::string name = styles.Item(&index).NameLocal();
        hyperlinkStyles += name == "Hyperlink" || name == "FollowedHyperlink";
    }
    EXPECT_EQ(hyperlinkStyles, 2);
}

} // namespace
