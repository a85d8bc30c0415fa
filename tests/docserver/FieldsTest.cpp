// Fields and footnotes as Word lists them: every field of the main text with its kind and code, a note's fields
// through its range, the note's mark; deleting a field with what it shows; bookmarks added at a place.
#include "ServerFixture.h"

using namespace docx;

namespace {

struct FieldSeen {
    int32_t type = 0;
    std::string code;
    int32_t start = 0;
    bool operator==(const FieldSeen&) const = default;
};

void PrintTo(const FieldSeen& field, std::ostream* out) {
    *out << "{" << field.type << ", \"" << field.code << "\", " << field.start << "}";
}

std::vector<FieldSeen> FieldsOf(const WordFields& fields) {
    std::vector<FieldSeen> seen;
    for (int32_t i = 1; i <= fields.Count(); ++i) {
        const WordField field = fields.Item(i);
        const WordRange code = field.Code();
        seen.push_back({field.Type(), code.Text(), code.Start()});
    }
    return seen;
}

} // namespace

TEST_F(ServerTest, FieldsAreListedByStartWithTheirKindAndCode) {
    DocxBuilder doc;
    doc.AddParagraph({Text("ab"), RawXml(IndexEntryXml(" XE \"Split:over runs\" ", 4)), Text("cd"),
                      RawXml(SimpleIndexEntryXml(" xe \"simple\" \\t \"See other\" "))})
        .AddParagraph({Field(" HYPERLINK \"http://x/\" ", "link"), Field(" PAGE ", "7")})
        .AddParagraph({RawXml("<w:r><w:fldChar w:fldCharType=\"begin\"/></w:r><w:r><w:instrText> INDEX </w:instrText>"
                              "</w:r><w:r><w:fldChar w:fldCharType=\"separate\"/></w:r>"),
                       Text("old index"), RawXml("<w:r><w:fldChar w:fldCharType=\"end\"/></w:r>")});
    const WordDocument document = Open(doc);
    EXPECT_EQ(FieldsOf(document.Fields()), (std::vector<FieldSeen>{{4, " XE \"Split:over runs\" ", 2},
                                                                   {4, " xe \"simple\" \\t \"See other\" ", 4},
                                                                   {88, " HYPERLINK \"http://x/\" ", 5},
                                                                   {33, " PAGE ", 9},
                                                                   {8, " INDEX ", 11}}));
    EXPECT_EQ(DocumentText(document), "abcd\rlink7\rold index\r") << "a field's code is no text of the document";

    // Deleting the index takes what it showed with it; the other fields stay.
    document.Fields().Item(5).Delete();
    EXPECT_EQ(DocumentText(document), "abcd\rlink7\r\r");
    EXPECT_EQ(document.Fields().Count(), 4);
    EXPECT_THROW(document.Fields().Item(5), DispatchError);
}

TEST_F(ServerTest, ANotesFieldsAreReachedThroughItsRangeAndItsMarkStandsInTheMainText) {
    DocxBuilder doc;
    doc.AddParagraph({Text("Body"), FootnoteXml("<w:r><w:t>Note</w:t></w:r>" + IndexEntryXml(" XE \"In a note\" ")),
                      Text(" more"), Endnote("an endnote is no footnote")});
    const WordDocument document = Open(doc);
    EXPECT_EQ(document.Fields().Count(), 0) << "the main text's fields only";
    const WordFootnotes notes = document.Footnotes();
    ASSERT_EQ(notes.Count(), 1);
    const WordFootnote note = notes.Item(1);
    EXPECT_EQ(note.Range().Text(), "Note");
    EXPECT_EQ(FieldsOf(note.Range().Fields()), (std::vector<FieldSeen>{{4, " XE \"In a note\" ", 4}}));
    const WordRange mark = note.Reference();
    EXPECT_EQ(mark.Start(), 4);
    EXPECT_EQ(mark.End(), 5);
    EXPECT_THROW(notes.Item(2), DispatchError);
    const WordEndnotes endnotes = document.Endnotes();
    ASSERT_EQ(endnotes.Count(), 1);
    EXPECT_EQ(endnotes.Item(1).Range().Text(), "an endnote is no footnote");
    EXPECT_EQ(endnotes.Item(1).Reference().Start(), 10);
}

TEST_F(ServerTest, BookmarksAddedMarkTheirPlaceAndTravelWithACopy) {
    DocxBuilder doc;
    doc.AddParagraph("First paragraph.").AddParagraph("Second paragraph.");
    const WordDocument document = Open(doc);
    const WordBookmarks bookmarks = document.Bookmarks();
    ScopedVariant at = ScopedVariant::I4(24);
    const WordBookmark added = bookmarks.Add("_Idx1", document.Range(&at, &at));
    EXPECT_EQ(added.Name(), "_Idx1");
    EXPECT_EQ(added.Range().Start(), 24);
    EXPECT_EQ(bookmarks.Count(), 0) << "a hidden bookmark is listed only when asked for";
    bookmarks.SetShowHidden(true);
    EXPECT_EQ(bookmarks.Count(), 1);
    // The same name again moves the bookmark.
    ScopedVariant earlier = ScopedVariant::I4(3);
    bookmarks.Add("_Idx1", document.Range(&earlier, &earlier));
    EXPECT_EQ(bookmarks.Count(), 1);
    ScopedVariant name = ScopedVariant::Bstr(u"_Idx1");
    EXPECT_EQ(bookmarks.Item(&name).Range().Start(), 3);
    EXPECT_THROW(bookmarks.Add("two words", document.Range(&at, &at)), DispatchError);

    // Copied with the text around it, the place is an anchor on the saved page.
    ScopedVariant start = ScopedVariant::I4(0);
    ScopedVariant end = ScopedVariant::I4(17);
    document.Range(&start, &end).Copy();
    const WordDocument page = Blank();
    WordRange insertion = page.Paragraphs().Item(1).Range();
    insertion.Paste();
    const std::string html = SavePage(page);
    const size_t body = html.find("<body");
    const size_t anchor = html.find("name=\"_Idx1\"", body);
    ASSERT_NE(anchor, std::string::npos) << html;
    EXPECT_LT(html.find("Fir", body), anchor);
    EXPECT_GT(html.find("st paragraph", body), anchor);
}
