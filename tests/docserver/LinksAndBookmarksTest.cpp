// Hyperlinks in all three forms Word reads, their Address and Name, and bookmarks with hidden ones.
#include "ServerFixture.h"

using namespace docx;

namespace {

struct LinkSeen {
    std::string address;
    std::string name;
    bool operator==(const LinkSeen&) const = default;
};

std::vector<LinkSeen> LinksOf(const WordHyperlinks& links) {
    std::vector<LinkSeen> seen;
    for (int32_t i = 1; i <= links.Count(); ++i) {
        ScopedVariant index = ScopedVariant::I4(i);
        const WordHyperlink link = links.Item(&index);
        seen.push_back({link.Address(), link.Name()});
    }
    return seen;
}

void PrintTo(const LinkSeen& link, std::ostream* out) {
    *out << "{" << link.address << ", " << link.name << "}";
}

TEST_F(ServerTest, LinksComeFromHyperlinkElementsHyperlinkFieldsAndRefFieldsWithH) {
    DocxBuilder doc;
    doc.AddParagraph({Link("web", "http://example.com/a")})
        .AddParagraph({AnchorLink("to toc", "_Toc100")})
        .AddParagraph({Field("HYPERLINK \"http://example.com/b\"", "field web")})
        .AddParagraph({Field("HYPERLINK \\l \"_Toc200\"", "field anchor")})
        .AddParagraph({Field(" REF _Ref300 \\h ", "cross reference")})
        .AddParagraph({Field(" REF _Ref400 ", "no h: plain text")})
        .AddParagraph({SimpleField("HYPERLINK \"http://example.com/c\" \\l \"part\"", "both")})
        .AddParagraph({Field("TOC \\o \"1-3\" \\h", ""), Field("HYPERLINK \\l \"_Toc500\"", "toc entry")});
    EXPECT_EQ(LinksOf(Open(doc).Hyperlinks()), (std::vector<LinkSeen>{{"http://example.com/a", "http://example.com/a"},
                                                                      {"", "_Toc100"},
                                                                      {"http://example.com/b", "http://example.com/b"},
                                                                      {"", "_Toc200"},
                                                                      {"", "_Ref300"},
                                                                      {"http://example.com/c", "part"},
                                                                      {"", "_Toc500"}}));
}

TEST_F(ServerTest, SettingAnAddressKeepsTheBookmarkAsItsFragment) {
    DocxBuilder doc;
    doc.AddParagraph({Text("go "), AnchorLink("there", "_Toc123")});
    const WordHyperlinks links = Open(doc).Hyperlinks();
    ScopedVariant one = ScopedVariant::I4(1);
    links.Item(&one).SetAddress("2.html");
    EXPECT_EQ(LinksOf(links), (std::vector<LinkSeen>{{"2.html", "_Toc123"}}));
}

TEST_F(ServerTest, RangeHyperlinksAreTheLinksInsideTheRange) {
    DocxBuilder doc;
    doc.AddParagraph({Link("one", "http://one/")}).AddParagraph({Link("two", "http://two/"), AnchorLink("x", "b")});
    const WordDocument document = Open(doc);
    EXPECT_EQ(document.Paragraphs().Item(2).Range().Hyperlinks().Count(), 2);
    EXPECT_EQ(document.Paragraphs().Item(1).Range().Hyperlinks().Count(), 1);
    EXPECT_EQ(document.Hyperlinks().Count(), 3);
}

TEST_F(ServerTest, HyperlinksAddLinksTheAnchorTextWithoutItsMark) {
    const WordDocument page = Blank();
    const WordRange entry = page.Paragraphs().Item(1).Range();
    entry.SetText("Child topic");
    ScopedVariant address = ScopedVariant::Bstr(u"3.html#_Toc7");
    page.Hyperlinks().Add(entry, &address, &missing, &missing, &missing, &missing);
    EXPECT_EQ(LinksOf(page.Hyperlinks()), (std::vector<LinkSeen>{{"3.html", "_Toc7"}}));
    EXPECT_THROW(page.Hyperlinks().Add(entry, &missing, &missing, &missing, &missing, &missing), DispatchError);

    // An entry with no text of its own (the related topic of an empty heading) shows its address instead.
    const WordParagraph empty = page.Paragraphs().Add(&missing);
    ScopedVariant second = ScopedVariant::Bstr(u"4.html");
    page.Hyperlinks().Add(empty.Range(), &second, &missing, &missing, &missing, &missing);
    EXPECT_EQ(empty.Range().Text(), "4.html\r");
    EXPECT_EQ(page.Hyperlinks().Count(), 2);
}

TEST_F(ServerTest, HiddenBookmarksAreListedOnlyWhileShowHiddenIsOn) {
    DocxBuilder doc;
    doc.AddParagraph({BookmarkStart("_Toc1"), Text("heading"), BookmarkEnd("_Toc1")})
        .AddParagraph({BookmarkStart("visible"), Text("text"), BookmarkEnd("visible")})
        .AddParagraph({BookmarkStart("_GoBack"), BookmarkEnd("_GoBack"), Text("tail")});
    const WordBookmarks bookmarks = Open(doc).Bookmarks();
    ScopedVariant one = ScopedVariant::I4(1);
    ASSERT_EQ(bookmarks.Count(), 1);
    EXPECT_EQ(bookmarks.Item(&one).Name(), "visible");
    bookmarks.SetShowHidden(true);
    std::vector<std::pair<std::string, std::string>> seen;
    for (int32_t i = 1; i <= bookmarks.Count(); ++i) {
        ScopedVariant index = ScopedVariant::I4(i);
        const WordBookmark bookmark = bookmarks.Item(&index);
        seen.emplace_back(bookmark.Name(), bookmark.Range().Text());
    }
    EXPECT_EQ(seen, (std::vector<std::pair<std::string, std::string>>{
                        {"_GoBack", ""}, {"_Toc1", "heading"}, {"visible", "text"}}));
    bookmarks.SetShowHidden(false);
    EXPECT_EQ(bookmarks.Count(), 1);
}

TEST_F(ServerTest, BookmarkRangeGivesTheHeadingPosition) {
    DocxBuilder doc;
    doc.AddHeading(1, "One").AddParagraph("x").AddParagraph({BookmarkStart("_Toc2"), Text("Two"), BookmarkEnd("_Toc2")},
                                                            {.style = "Heading1"});
    const WordDocument document = Open(doc);
    const WordBookmarks bookmarks = document.Bookmarks();
    bookmarks.SetShowHidden(true);
    ScopedVariant one = ScopedVariant::I4(1);
    EXPECT_EQ(bookmarks.Item(&one).Range().Start(), document.Paragraphs().Item(3).Range().Start());
}

} // namespace
