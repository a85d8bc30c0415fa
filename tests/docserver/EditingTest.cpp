// Edits as Word makes them: live ranges, the final paragraph mark, the clipboard between documents, and the way the
// splitter assembles a page.
#include "ServerFixture.h"

using namespace docx;

namespace {

WordRange LastParagraphRange(const WordDocument& document) {
    const WordParagraphs paragraphs = document.Paragraphs();
    return paragraphs.Item(paragraphs.Count()).Range();
}

TEST_F(ServerTest, RangeOnTheLastParagraphGrowsOverParagraphsAddedAfterIt) {
    const WordDocument page = Blank();
    const WordParagraphs paragraphs = page.Paragraphs();
    const WordRange last = LastParagraphRange(page);
    paragraphs.Add(&missing);
    paragraphs.Add(&missing).Range().SetText("copyright");
    EXPECT_EQ(paragraphs.Count(), 3);
    EXPECT_EQ(last.Start(), 0);
    EXPECT_EQ(last.Text(), "\r\rcopyright\r");
}

TEST_F(ServerTest, RangesMoveWithEditsBeforeThemAndGrowWithEditsInside) {
    DocxBuilder doc;
    doc.AddParagraph("alpha").AddParagraph("beta").AddParagraph("gamma");
    const WordDocument document = Open(doc);
    const WordRange beta = document.Paragraphs().Item(2).Range();
    ScopedVariant betaStart = ScopedVariant::I4(6);
    const WordRange toEnd = document.Range(&betaStart, &missing);
    const WordParagraph third = document.Paragraphs().Item(3);
    ScopedVariant zero = ScopedVariant::I4(0);
    ScopedVariant five = ScopedVariant::I4(5);
    document.Range(&zero, &five).SetText("A"); // before beta: it moves
    EXPECT_EQ(beta.Text(), "beta\r");
    EXPECT_EQ(beta.Start(), 2);
    ScopedVariant inside = ScopedVariant::I4(4);
    document.Range(&inside, &inside).SetText("TT"); // inside beta: it grows
    EXPECT_EQ(beta.Text(), "beTTta\r");
    EXPECT_EQ(toEnd.Text(), "beTTta\rgamma\r");
    ScopedVariant atStart = ScopedVariant::I4(2);
    document.Range(&atStart, &atStart).SetText(">"); // at beta's start: it goes before beta
    EXPECT_EQ(beta.Text(), "beTTta\r");
    EXPECT_EQ(third.Range().Text(), "gamma\r"); // a paragraph follows its text
    EXPECT_EQ(Texts(document), (std::vector<std::string>{"A\r", ">beTTta\r", "gamma\r"}));
}

TEST_F(ServerTest, ReplacingAParagraphWithItsMarkJoinsItToTheNext) {
    DocxBuilder doc;
    doc.AddParagraph("alpha").AddParagraph("beta");
    const WordDocument document = Open(doc);
    document.Paragraphs().Item(1).Range().SetText("A");
    EXPECT_EQ(Texts(document), std::vector<std::string>{"Abeta\r"});
}

TEST_F(ServerTest, TheFinalParagraphMarkCannotBeDeleted) {
    DocxBuilder doc;
    doc.AddHeading(1, "Title").AddParagraph("body");
    const WordDocument document = Open(doc);
    LastParagraphRange(document).SetText("replaced");
    EXPECT_EQ(Texts(document), (std::vector<std::string>{"Title\r", "replaced\r"}));

    const WordParagraphs paragraphs = document.Paragraphs();
    ScopedVariant start = ScopedVariant::I4(paragraphs.Item(1).Range().Start());
    ScopedVariant end = ScopedVariant::I4(LastParagraphRange(document).End());
    document.Range(&start, &end).Cut();
    EXPECT_EQ(Texts(document), std::vector<std::string>{"\r"});
    EXPECT_EQ(paragraphs.Item(1).OutlineLevel(), 10); // what is left starts afresh
}

TEST_F(ServerTest, ReplacingTheTextOfALoneHeadingKeepsItAHeading) {
    DocxBuilder doc;
    doc.AddHeading(2, "Old");
    const WordDocument document = Open(doc);
    document.Paragraphs().Item(1).Range().SetText("New");
    EXPECT_EQ(Texts(document), std::vector<std::string>{"New\r"});
    EXPECT_EQ(document.Paragraphs().Item(1).OutlineLevel(), 2);
}

TEST_F(ServerTest, CutCopyAndPasteCarryParagraphsAcrossDocuments) {
    DocxBuilder doc;
    doc.AddParagraph("title page")
        .AddHeading(1, "Intro")
        .AddParagraph({Text("body with "), Link("a link", "http://example.com/"), Text(" and "), Picture(TinyPng())})
        .AddParagraph({BookmarkStart("_Toc1"), Text("marked"), BookmarkEnd("_Toc1")})
        .AddHeading(2, "Next");
    const WordDocument source = Open(doc);
    const WordParagraphs paragraphs = source.Paragraphs();
    ScopedVariant start = ScopedVariant::I4(paragraphs.Item(2).Range().Start());
    ScopedVariant end = ScopedVariant::I4(paragraphs.Item(4).Range().End());
    source.Range(&start, &end).Copy();

    const WordDocument page = Blank();
    const WordRange at = page.Paragraphs().Item(1).Range();
    at.SetRange(0, 0);
    at.Paste();
    EXPECT_EQ(Texts(page), (std::vector<std::string>{"Intro\r", "body with a link and \x01\r", "marked\r", "\r"}));
    EXPECT_EQ(at.Start(), 0);
    EXPECT_EQ(at.End(), 36); // widened over what was pasted
    EXPECT_EQ(page.Paragraphs().Item(1).OutlineLevel(), 1);
    ScopedVariant one = ScopedVariant::I4(1);
    EXPECT_EQ(page.Hyperlinks().Item(&one).Address(), "http://example.com/");
    const WordBookmarks bookmarks = page.Bookmarks();
    bookmarks.SetShowHidden(true);
    ASSERT_EQ(bookmarks.Count(), 1);
    EXPECT_EQ(bookmarks.Item(&one).Range().Text(), "marked");
    EXPECT_EQ(Texts(source).size(), 5u); // copying leaves the source alone

    // Cutting the page empties it down to its final mark; the cut piece (with a copy of that mark) pastes back.
    ScopedVariant pageEnd = ScopedVariant::I4(LastParagraphRange(page).End());
    ScopedVariant zero = ScopedVariant::I4(0);
    page.Range(&zero, &pageEnd).Cut();
    EXPECT_EQ(Texts(page), std::vector<std::string>{"\r"});
    page.Paragraphs().Item(1).Range().Paste();
    EXPECT_EQ(Texts(page).size(), 5u);
}

TEST_F(ServerTest, PastedStylesKeepTheTargetsDefinitionAndBringTheirOwn) {
    DocxBuilder doc;
    doc.AddStyle({.id = "Chapter", .name = "Chapter", .basedOn = "Normal", .outlineLevel = 1})
        .AddStyle({.id = "X1", .name = "heading 1", .outlineLevel = 4}) // a second "heading 1": ignored, ids win
        .AddParagraph("chapter", {.style = "Chapter"})
        .AddParagraph("heading", {.style = "Heading1"});
    const WordDocument source = Open(doc);
    source.Range(&missing, &missing).Copy();
    const WordDocument page = Blank();
    page.Paragraphs().Item(1).Range().Paste();
    EXPECT_EQ(page.Paragraphs().Item(1).OutlineLevel(), 2); // "Chapter" came along
    EXPECT_EQ(page.Paragraphs().Item(2).OutlineLevel(), 1); // the page's own "heading 1"
}

TEST_F(ServerTest, PasteWithAnEmptyClipboardOrCopyOfNothingFails) {
    const WordDocument page = Blank();
    const WordRange range = page.Paragraphs().Item(1).Range();
    EXPECT_THROW(range.Paste(), DispatchError);
    range.SetRange(0, 0);
    EXPECT_THROW(range.Copy(), DispatchError);
}

TEST_F(ServerTest, HeaderRangesCopyIntoThePage) {
    DocxBuilder doc;
    doc.SetHeader("Company manual").AddHeading(1, "Intro").AddParagraph("text");
    const WordDocument source = Open(doc);
    const WordRange heading = source.Paragraphs().Item(1).Range();
    heading.Sections().Item(1).Headers().Item(1).Range().Copy();
    const WordDocument page = Blank();
    const WordRange at = page.Paragraphs().Item(1).Range();
    at.SetRange(0, 0);
    at.Paste();
    EXPECT_EQ(Texts(page), (std::vector<std::string>{"Company manual\r", "\r"}));
}

// The whole sequence the splitter and page decoration send for one page with one sub-topic and a copyright line.
TEST_F(ServerTest, PageAssemblyLeavesTheExpectedPage) {
    DocxBuilder doc;
    doc.AddAbstractList(1, {{.format = "decimal", .text = "%1.", .style = "Heading1"}}).AddList(1, 1);
    doc.AddStyle({.id = "NumberedHeading", .name = "Numbered heading", .basedOn = "Heading1", .numId = 1});
    doc.AddParagraph("Intro", {.style = "NumberedHeading"})
        .AddParagraph({Text("See "), AnchorLink("scope", "_Toc9")})
        .AddParagraph({BookmarkStart("_Toc9"), Text("Scope"), BookmarkEnd("_Toc9")}, {.style = "Heading2"})
        .AddParagraph("scope text");
    const WordDocument source = Open(doc);
    const WordParagraphs sourceParagraphs = source.Paragraphs();
    const WordParagraph heading = sourceParagraphs.Item(1);
    const WordParagraph child = sourceParagraphs.Item(3);

    const WordDocument page = Blank();
    ScopedVariant start = ScopedVariant::I4(heading.Range().Start());
    ScopedVariant end = ScopedVariant::I4(child.Previous(&missing).Range().End());
    source.Range(&start, &end).Copy();
    const WordParagraphs paragraphs = page.Paragraphs();
    const WordRange at = paragraphs.Item(1).Range();
    at.SetRange(0, 0);
    at.Paste();
    at.SetRange(0, LastParagraphRange(page).End());

    // Link fix-up: the bookmark link gets its page file and keeps the bookmark.
    const WordHyperlinks links = at.Hyperlinks();
    ASSERT_EQ(links.Count(), 1);
    ScopedVariant one = ScopedVariant::I4(1);
    EXPECT_EQ(links.Item(&one).Address(), "");
    EXPECT_EQ(links.Item(&one).Name(), "_Toc9");
    links.Item(&one).SetAddress("1.html");
    EXPECT_EQ(links.Item(&one).Address(), "1.html");
    EXPECT_EQ(links.Item(&one).Name(), "_Toc9");

    // Related topics.
    paragraphs.Add(&missing);
    const WordRange entry = paragraphs.Add(&missing).Range();
    std::string title = child.Range().Text();
    std::erase(title, '\r');
    entry.SetText(title);
    entry.ListFormat().RemoveNumbers(&missing);
    ScopedVariant address = ScopedVariant::Bstr(u"1.html");
    page.Hyperlinks().Add(entry, &address, &missing, &missing, &missing, &missing);
    paragraphs.Add(&missing);

    // Heading numbers off.
    EXPECT_EQ(paragraphs.Item(1).Range().ListFormat().ListString(), "1.");
    const WordListParagraphs listed = page.ListParagraphs();
    ASSERT_EQ(listed.Count(), 1);
    listed.Item(1).Range().ListFormat().RemoveNumbers(&missing);
    EXPECT_EQ(page.ListParagraphs().Count(), 0);

    // Copyright block.
    paragraphs.Add(&missing);
    paragraphs.Add(&missing);
    const WordRange rule = paragraphs.Add(&missing).Range();
    rule.InlineShapes().AddHorizontalLineStandard(&missing).HorizontalLineFormat().SetPercentWidth(100.0f);
    paragraphs.Add(&missing).Range().SetText("(c) Example");
    rule.Font().SetSize(10.0f);
    rule.Font().SetColor(0xA8A8A8);
    EXPECT_EQ(rule.Text(), "\x01\r(c) Example\r");

    for (int32_t i = 1; i <= paragraphs.Count(); ++i) {
        const WordParagraph paragraph = paragraphs.Item(i);
        paragraph.SetLineSpacingRule(0);
        paragraph.SetSpaceAfterAuto(0);
        paragraph.SetSpaceBeforeAuto(0);
        paragraph.SetSpaceAfter(3.0f);
        paragraph.SetSpaceBefore(3.0f);
    }
    EXPECT_EQ(Texts(page), (std::vector<std::string>{"Intro\r", "See scope\r", "\r", "\r", "Scope\r", "\r", "\r", "\r",
                                                     "\x01\r", "(c) Example\r"}));
    EXPECT_EQ(page.Hyperlinks().Count(), 2);
    ScopedVariant two = ScopedVariant::I4(2);
    EXPECT_EQ(page.Hyperlinks().Item(&two).Address(), "1.html");
}

} // namespace
