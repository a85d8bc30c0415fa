// Members whose effect Word never reads back through the table (font, spacing, web options, pictures carried by
// the clipboard): called through the wrappers, checked in the document model the HTML export will write from.
#include "ServerFixture.h"

#include "docserver/docx/DocxReader.h"
#include "docserver/model/StoryEdit.h"
#include "docserver/objects/ServerObjects.h"

using namespace docx;

namespace {

class ModelEffects : public ServerTest {
protected:
    // The document as the server holds it, and a wrapper on it.
    WordDocument Load(const DocxBuilder& builder) {
        DocxReadResult read = ReadDocx(builder.Build());
        EXPECT_TRUE(read.status.ok()) << read.status.message;
        state = std::make_shared<DocumentState>(std::move(read.document), "model.docx",
                                                std::weak_ptr<ApplicationState>(application));
        application->documents.push_back(state);
        return WordDocument(NewDocument(state));
    }
    const Story& Body() { return state->model().stories[kMainStory]; }
    RunFormat FormatAt(int32_t position) {
        for (const RunSpan& run : Body().runs)
            if (run.start <= position && position < run.end)
                return run.format;
        ADD_FAILURE() << "no run at " << position;
        return {};
    }

    std::shared_ptr<ApplicationState> application = std::make_shared<ApplicationState>();
    std::shared_ptr<DocumentState> state;
};

TEST_F(ModelEffects, RangeFontChangesExactlyTheRangeMarksIncluded) {
    DocxBuilder doc;
    doc.AddParagraph("keep").AddParagraph("grey").AddParagraph("small");
    const WordDocument document = Load(doc);
    ScopedVariant from = ScopedVariant::I4(5);
    ScopedVariant to = ScopedVariant::I4(12);
    const WordFont font = document.Range(&from, &to).Font();
    font.SetSize(10.0f);
    font.SetColor(0xA8A8A8);
    font.SetUnderline(0);
    EXPECT_EQ(FormatAt(4).sizeHalfPoints, 0); // "keep"'s mark is outside
    for (int32_t p = 5; p < 12; ++p) {
        EXPECT_EQ(FormatAt(p).sizeHalfPoints, 20) << p;
        EXPECT_EQ(FormatAt(p).color, 0xA8A8A8) << p;
        EXPECT_EQ(FormatAt(p).underline, 0) << p;
    }
    EXPECT_EQ(FormatAt(12).sizeHalfPoints, 0); // "small" from its second letter on
    EXPECT_EQ(Body().paragraphs[1].format->markFormat.sizeHalfPoints, 20);
}

TEST_F(ModelEffects, ParagraphSpacingAndStyleFontAndWebOptionsAreKept) {
    DocxBuilder doc;
    doc.AddParagraph("text");
    const WordDocument document = Load(doc);
    const WordParagraph paragraph = document.Paragraphs().Item(1);
    paragraph.SetLineSpacingRule(0);
    paragraph.SetSpaceAfterAuto(0);
    paragraph.SetSpaceBeforeAuto(0);
    paragraph.SetSpaceAfter(3.0f);
    paragraph.SetSpaceBefore(3.0f);
    const ParagraphFormat& format = Body().paragraphs[0].format;
    EXPECT_EQ(format.lineRule, 0);
    EXPECT_EQ(format.spaceBeforeAuto, 0);
    EXPECT_EQ(format.spaceAfterAuto, 0);
    EXPECT_EQ(format.spaceBefore, 60); // twips
    EXPECT_EQ(format.spaceAfter, 60);

    const WordStyles styles = document.Styles();
    for (int32_t i = 1; i <= styles.Count(); ++i) {
        ScopedVariant index = ScopedVariant::I4(i);
        const WordStyle style = styles.Item(&index);
        if (style.NameLocal() == "Hyperlink")
            style.Font().SetUnderline(0);
    }
    for (const Style& style : state->model().styles) {
        if (style.name == "Hyperlink") {
            EXPECT_EQ(style.run.underline, 0);
        } else if (style.name == "FollowedHyperlink") {
            EXPECT_EQ(style.run.underline, 1); // not asked for
        }
    }

    document.WebOptions().SetAllowPNG(true);
    EXPECT_TRUE(state->model().allowPng);
}

TEST_F(ModelEffects, EqualFormatsAreKeptOnceAndAChangeReachesOnlyItsParagraph) {
    DocxBuilder doc;
    doc.AddParagraph("one").AddHeading(1, "Title").AddParagraph("two").AddParagraph("three");
    const WordDocument document = Load(doc);
    const auto& paragraphs = Body().paragraphs;
    ASSERT_EQ(paragraphs.size(), 4u);
    EXPECT_TRUE(paragraphs[0].format.SharesWith(paragraphs[2].format)) << "equal formats apart are read as one";
    EXPECT_TRUE(paragraphs[2].format.SharesWith(paragraphs[3].format));
    EXPECT_FALSE(paragraphs[0].format.SharesWith(paragraphs[1].format));

    document.Paragraphs().Item(3).SetSpaceAfter(6.0f);
    EXPECT_EQ(paragraphs[2].format->spaceAfter, 120);
    EXPECT_EQ(paragraphs[0].format->spaceAfter, -1) << "a paragraph sharing the format is left as it was";
    EXPECT_EQ(paragraphs[3].format->spaceAfter, -1);
    EXPECT_TRUE(paragraphs[0].format.SharesWith(paragraphs[3].format));

    // A change over many paragraphs keeps those that shared a format sharing one.
    ScopedVariant from = ScopedVariant::I4(0);
    ScopedVariant to = ScopedVariant::I4(static_cast<int32_t>(Body().text.size()));
    document.Range(&from, &to).ListFormat().RemoveNumbers(&missing);
    for (const ParagraphEntry& paragraph : paragraphs)
        EXPECT_EQ(paragraph.format->numId, 0);
    EXPECT_TRUE(paragraphs[0].format.SharesWith(paragraphs[3].format));
    EXPECT_FALSE(paragraphs[0].format.SharesWith(paragraphs[2].format));
    EXPECT_EQ(paragraphs[1].format->style, "Heading1");

    // Run formatting of a part of the text: the runs outside keep theirs.
    ScopedVariant twoStart = ScopedVariant::I4(ParagraphStart(Body(), 2));
    ScopedVariant twoEnd = ScopedVariant::I4(paragraphs[2].end);
    document.Range(&twoStart, &twoEnd).Font().SetSize(7.0f);
    EXPECT_EQ(FormatAt(0).sizeHalfPoints, 0);
    EXPECT_EQ(FormatAt(ParagraphStart(Body(), 2)).sizeHalfPoints, 14);
    EXPECT_EQ(paragraphs[2].format->markFormat.sizeHalfPoints, 14);
    EXPECT_EQ(paragraphs[3].format->markFormat.sizeHalfPoints, 0);
    EXPECT_EQ(FormatAt(ParagraphStart(Body(), 3)).sizeHalfPoints, 0);
}

TEST_F(ModelEffects, AddedLinksAndLinesAreFormattedAsWordDoes) {
    DocxBuilder doc;
    doc.AddParagraph("entry");
    const WordDocument document = Load(doc);
    const WordRange entry = document.Paragraphs().Item(1).Range();
    ScopedVariant address = ScopedVariant::Bstr(u"1.html");
    document.Hyperlinks().Add(entry, &address, &missing, &missing, &missing, &missing);
    EXPECT_EQ(FormatAt(0).characterStyle, "Hyperlink");
    EXPECT_EQ(Body().paragraphs[0].format->markFormat.characterStyle, ""); // the mark is not part of the link

    entry.InlineShapes().AddHorizontalLineStandard(&missing).HorizontalLineFormat().SetPercentWidth(50.0f);
    ASSERT_EQ(Body().pictures.size(), 1u);
    EXPECT_TRUE(Body().pictures[0].horizontalLine);
    EXPECT_EQ(Body().pictures[0].percentWidth, 50.0f);
}

TEST_F(ModelEffects, PastedPiecesBringPicturesNotesTextBoxesAndTables) {
    DocxBuilder doc;
    doc.AddParagraph({Text("picture "), Picture(TinyPng()), Footnote("a note"), TextBox("boxed text")})
        .AddTable({{{.paragraphs = {"cell"}}, {.paragraphs = {"merged"}, .gridSpan = 2}}});
    const WordDocument source = Load(doc);
    source.Range(&missing, &missing).Copy();
    ScopedVariant no = ScopedVariant::I2(0);
    const WordDocument page = WordDocuments(NewDocuments(application)).Add(&missing, &no, &missing, &missing);
    page.Paragraphs().Item(1).Range().Paste();

    DocumentState& target = *application->documents.back();
    const Story& body = target.model().stories[kMainStory];
    ASSERT_EQ(body.pictures.size(), 1u);
    EXPECT_EQ(*body.pictures[0].bytes.Read().bytes, TinyPng());
    ASSERT_EQ(body.notes.size(), 1u);
    ASSERT_GE(body.notes[0].story, 1);
    EXPECT_EQ(target.model().stories[static_cast<size_t>(body.notes[0].story)].text, u"a note\r");
    ASSERT_EQ(body.textBoxes.size(), 1u); // text boxes keep their own story, anchored in the text
    EXPECT_EQ(target.model().stories[static_cast<size_t>(body.textBoxes[0].story)].text, u"boxed text\r");
    EXPECT_EQ(body.text.find(u"boxed"), std::u16string::npos);
    ASSERT_EQ(body.tables.size(), 1u);
    ASSERT_EQ(body.tables[0].rows.size(), 1u);
    EXPECT_EQ(body.tables[0].rows[0].cells[1].gridSpan, 2);
    EXPECT_EQ(body.text.substr(static_cast<size_t>(body.tables[0].start),
                               static_cast<size_t>(body.tables[0].end - body.tables[0].start)),
              u"cell\rmerged\r");
}

// A client may keep objects of a closed document: they refuse calls, and the document's text is gone already.
TEST_F(ModelEffects, ClosingFreesTheModelWhileObjectsStillReferToIt) {
    DocxBuilder doc;
    doc.AddHeading(1, "Heading").AddParagraph(std::string(10000, 'x'));
    const WordDocument document = Load(doc);
    const WordParagraph kept = document.Paragraphs().Item(2);
    const WordRange range = kept.Range();
    auto no = ScopedVariant::I2(0);
    auto missing = ScopedVariant::Missing();
    document.Close(&no, &missing, &missing);
    EXPECT_TRUE(state->model().stories.empty());
    EXPECT_THROW(range.Text(), DispatchError);
    EXPECT_THROW(kept.OutlineLevel(), DispatchError);
}

} // namespace
